#include "build.h"

#include <cstring>
#include <utility>

#include "render/display_list.h"
#include "scene/model.h"

using namespace vantir;

namespace gallery {

namespace {

// Every polygon record takes the full 44 bytes of a triangle; sprites and
// callback records need only their common part and one 32-bit field.
constexpr std::int32_t SHORT_RECORD_BYTES = PRIMITIVE_HEADER_BYTES + 4;

Primitive* newRecord(std::uint32_t codeWord, std::int32_t size) {
    Primitive* r = allocPrimitive(size);
    if (!r) return nullptr;
    r->codeWord = codeWord;
    r->size = size;
    r->link = PRIM_LINK_NONE;
    return r;
}

std::int16_t index16(int i) { return static_cast<std::int16_t>(i); }

const ModelVertex& vertexAt(int i) { return sourceVertexBase()[i]; }

}  // namespace

Rgb hue(int degrees, int value) {
    const int h = ((degrees % 360) + 360) % 360;
    const int sector = h / 60;
    const int rising = value * (h % 60) / 60;  // 0 .. value within the sector
    const int falling = value - rising;
    switch (sector) {
        case 0: return {value, rising, 0};
        case 1: return {falling, value, 0};
        case 2: return {0, value, rising};
        case 3: return {0, falling, value};
        case 4: return {rising, 0, value};
        default: return {value, 0, falling};
    }
}

int addVertex(std::int32_t x, std::int32_t y, std::int32_t z) {
    const ModelVertex v{x, y, z, 0};
    return appendRow(&v, 0);
}

int addColour(Rgb colour) {
    const ColourRecord c{colour.r, colour.g, colour.b, 0};
    return appendRow(&c, 1);
}

int addTexCoord(std::int32_t u, std::int32_t v) {
    const TexCoord t{u, v, 0, 0};
    return appendRow(&t, 2);
}

bool addFlat(const int* corners, int n, int colour, std::uint32_t flags) {
    Primitive* r = newRecord(flags | (n == 4 ? PRIM_FLAT_QUAD : PRIM_FLAT_TRI), TRIANGLE_PRIMITIVE_BYTES);
    if (!r) return false;
    for (int i = 0; i < n; ++i) r->s[1 + i] = index16(corners[i]);
    r->s[1 + n] = index16(colour);  // s4 after a triangle, s5 after a quadrilateral
    return true;
}

bool addShaded(const int* corners, const int* colours, int n, bool additive, std::uint32_t flags) {
    const std::uint32_t code = n == 4 ? (additive ? PRIM_SHADED_ADD_QUAD : PRIM_SHADED_QUAD)
                                      : (additive ? PRIM_SHADED_ADD_TRI : PRIM_SHADED_TRI);
    Primitive* r = newRecord(flags | code, TRIANGLE_PRIMITIVE_BYTES);
    if (!r) return false;
    for (int i = 0; i < n; ++i) {
        r->s[1 + i] = index16(corners[i]);
        r->s[1 + n + i] = index16(colours[i]);  // s4.. after a triangle, s5.. after a quadrilateral
    }
    return true;
}

bool addTextured(const int* corners, const int* texCoords, int n, int texture, Blend blend, std::uint32_t flags) {
    if (texture < 0) return addFlat(corners, n, 0, flags);
    static constexpr std::uint32_t CODES[3][2] = {{PRIM_TEX_TRI, PRIM_TEX_QUAD},
                                                  {PRIM_TEX_ADD_TRI, PRIM_TEX_ADD_QUAD},
                                                  {PRIM_TEX_HALF_TRI, PRIM_TEX_HALF_QUAD}};
    Primitive* r = newRecord(flags | CODES[static_cast<int>(blend)][n == 4], TRIANGLE_PRIMITIVE_BYTES);
    if (!r) return false;
    r->s[0] = index16(texture);
    const int firstCoord = n == 4 ? 9 : 7;  // after s1..s4, or s1..s3 and three unused fields
    for (int i = 0; i < n; ++i) {
        r->s[1 + i] = index16(corners[i]);
        r->s[firstCoord + i] = index16(texCoords[i]);
    }
    return true;
}

bool addSprite(int vertex, int spriteIndex) {
    // The sprite index rides in the code word's upper half.
    Primitive* r = newRecord(PRIM_SPRITE | static_cast<std::uint32_t>(spriteIndex) << 16, SHORT_RECORD_BYTES);
    if (!r) return false;
    r->s[0] = index16(vertex);
    return true;
}

bool addCallbackRecord(PrimitiveCallback fn, std::int32_t depth) {
    const std::int32_t handle = registerPrimitiveCallback(fn);
    if (handle < 0) return false;
    Primitive* r = newRecord(PRIM_CALLBACK, SHORT_RECORD_BYTES);
    if (!r) return false;
    r->depth = static_cast<std::int16_t>(depth);  // kept: a record of no corners is filed by its own depth
    std::memcpy(&r->s[0], &handle, sizeof handle);
    return true;
}

PartBuilder beginPart(int model) { return {model, rowCount(0)}; }

int endPart(const PartBuilder& part, int popCount) {
    return addModelPart(part.model, part.firstVertex, rowCount(0) - part.firstVertex, popCount);
}

void orientOutward(int* corners, int n, std::int32_t insideX, std::int32_t insideY, std::int32_t insideZ) {
    // The screen keeps corners that run clockwise with y pointing down, which
    // in view space (x right, y down, z away) means the cross product of the
    // first two edges points into the solid.
    const ModelVertex& a = vertexAt(corners[0]);
    const ModelVertex& b = vertexAt(corners[1]);
    const ModelVertex& c = vertexAt(corners[2]);
    const std::int64_t e1[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
    const std::int64_t e2[3] = {c.x - b.x, c.y - b.y, c.z - b.z};
    const std::int64_t normal[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                                    e1[0] * e2[1] - e1[1] * e2[0]};
    const std::int64_t toInside[3] = {insideX - a.x, insideY - a.y, insideZ - a.z};
    if (normal[0] * toInside[0] + normal[1] * toInside[1] + normal[2] * toInside[2] < 0)
        for (int i = 0, j = n - 1; i < j; ++i, --j) std::swap(corners[i], corners[j]);
}

namespace {

// The eight corners of a box, appended in the order addShadedBox documents,
// and its six faces as corner numbers around each face.
int appendBoxCorners(std::int32_t cx, std::int32_t cy, std::int32_t cz, std::int32_t hx, std::int32_t hy,
                     std::int32_t hz) {
    int first = -1;
    for (const std::int32_t dy : {-hy, hy}) {
        const std::int32_t corners[4][2] = {{-hx, -hz}, {hx, -hz}, {hx, hz}, {-hx, hz}};
        for (const auto& c : corners) {
            const int i = addVertex(cx + c[0], cy + dy, cz + c[1]);
            if (first < 0) first = i;
        }
    }
    return first;
}
constexpr int BOX_FACES[6][4] = {
    {0, 1, 2, 3}, {4, 5, 6, 7},  // top (y = -hy), bottom
    {1, 2, 6, 5}, {3, 0, 4, 7},  // the sides at +x and -x
    {0, 1, 5, 4}, {2, 3, 7, 6},  // the sides at -z and +z
};

}  // namespace

void addBox(std::int32_t cx, std::int32_t cy, std::int32_t cz, std::int32_t hx, std::int32_t hy, std::int32_t hz,
            int top, int side, int front) {
    const int first = appendBoxCorners(cx, cy, cz, hx, hy, hz);
    const int colours[6] = {top, top, side, side, front, front};
    for (int f = 0; f < 6; ++f) {
        int corners[4];
        for (int i = 0; i < 4; ++i) corners[i] = first + BOX_FACES[f][i];
        orientOutward(corners, 4, cx, cy, cz);
        addFlat(corners, 4, colours[f], PRIM_BACKFACE);
    }
}

void addShadedBox(std::int32_t cx, std::int32_t cy, std::int32_t cz, std::int32_t hx, std::int32_t hy,
                  std::int32_t hz, const int* colours) {
    const int first = appendBoxCorners(cx, cy, cz, hx, hy, hz);
    for (const auto& face : BOX_FACES) {
        int corners[4];
        for (int i = 0; i < 4; ++i) corners[i] = first + face[i];
        orientOutward(corners, 4, cx, cy, cz);
        int cornerColours[4];
        for (int i = 0; i < 4; ++i) cornerColours[i] = colours[corners[i] - first];
        addShaded(corners, cornerColours, 4, false, PRIM_BACKFACE);
    }
}

}  // namespace gallery
