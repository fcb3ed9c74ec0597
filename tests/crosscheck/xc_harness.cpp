// Draws polygons read from standard input with the engine's rasterizers and
// writes the resulting buffers to standard output, for the cross-check
// against the independent model (xc_check.py polys).
//
// Input, one command per line:
//   case W H BGKIND BGVAL WS HS TEXSEED TEXMASK
//       a W x H drawing area (W x (H + 1) pixels, the extra row must stay
//       untouched); background: BGKIND 0 = every pixel BGVAL, 1 = hashed
//       with seed BGVAL; a 2^WS x 2^HS texture hashed with TEXSEED, texels
//       masked with TEXMASK.
//   F n x0 y0 ... colour                 flat triangle (n = 3) or quad (n = 4)
//   S mode n x0 y0 r0 g0 b0 ...          shaded, mode 0 opaque, 1 additive
//   T mode n x0 y0 u0 v0 ...             textured, mode 0 copy, 1 add, 2 half
//   R x y w h colour                     rectangle outline
//   end
//       writes the W x (H + 1) pixels as little-endian 16-bit values, then
//       one byte: 0 when the guard zones around the buffer are untouched.
//
// Display-list cases go through the ordering table and the dispatch instead:
//   list W H BGKIND BGVAL WS HS TEXSEED TEXMASK    as `case`; the texture is slot 0
//   V x y z clip                         next projected vertex
//   C r g b                              next colour record (row 1)
//   U u v                                next texture coordinate (row 2)
//   P codeWord depth bias s0 ... s12     next 44-byte primitive record
//   end
//       converts the colours, sorts and dispatches the list (sprite table:
//       four entries of kinds 0, 1, 0, 5), then writes the buffer as above.
//
// Implementations, outside cases (the engine may keep a straightforward and
// a fast route for its hot routines, the fast one at several vector levels):
//   CONFIGS                              writes the number of routes (32-bit)
//   CONFIG k                             draws through route k from now on
//
// Math, outside cases:
//   TRIG                                 writes the 1024 sines, then the 1024 cosines
//   M cx cy px py pz ax ay az sx sy sz tx ty tz bx by bz vx vy vz
//       writes M = model transform (position p, angles a, scale s), V = view
//       transform (translation t, angles b, scale 512), L = M x V (16 values
//       each) and the vertex v through L projected about (cx, cy) (4 values),
//       all as little-endian 32-bit integers.
//       writes the W x (H + 1) pixels as little-endian 16-bit values, then
//       one byte: 0 when the guard zones around the buffer are untouched.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "math/matrix.h"
#include "math/trig.h"
#include "render/display_list.h"
#include "render/ordering.h"
#include "render/primitive.h"
#include "render/raster/flat.h"
#include "render/raster/raster_target.h"
#include "render/raster/rect_outline.h"
#include "render/raster/shaded.h"
#include "render/raster/textured.h"
#include "scene/transform.h"
#include "texture/texture.h"
#include "util/alloc.h"

#if __has_include("util/code_path.h")
#include "util/code_path.h"
#define VANTIR_XC_HAS_CODE_PATHS 1
#endif
#include "video/back_buffer.h"

namespace {

bool readIntsFor(std::istringstream& in, std::int32_t* out, int n) {
    for (int i = 0; i < n; ++i) {
        std::int64_t v;
        if (!(in >> v)) return false;
        out[i] = static_cast<std::int32_t>(v);
    }
    return true;
}
bool readInts(std::istringstream& in, std::int32_t* out, int n) { return readIntsFor(in, out, n); }

// Shared with the model: a small integer hash for backgrounds and texels.
std::uint32_t mix(std::uint32_t i, std::uint32_t seed) {
    std::uint32_t x = i * 0x9E3779B1u + seed * 0x85EBCA77u + 0x165667B1u;
    x ^= x >> 15;
    x *= 0x2C1B3C6Du;
    x ^= x >> 12;
    x *= 0x297A2D39u;
    x ^= x >> 15;
    return x;
}

constexpr std::size_t GUARD = 256;
constexpr Rgb555 GUARD_VALUE = 0xA5C3;

struct Case {
    std::int32_t width = 0, height = 0;
    std::vector<Rgb555> block;  // guard, W x (H + 1) pixels, guard
    int texture = -1;
    DisplayList* list = nullptr;  // list cases only
    int vertexCount = 0;
};

constexpr std::int32_t ROW_RECORDS = 1200;
ColourRecord colourRow[ROW_RECORDS];
TexCoord texCoordRow[ROW_RECORDS];
const SpriteEntry spriteEntries[4] = {{0, {}}, {1, {}}, {0, {}}, {5, {}}};

bool startList(Case& c) {
    c.list = createDisplayList(DISPLAY_LIST_PRIMITIVE_BYTES, DISPLAY_LIST_VERTEX_COUNT, DISPLAY_LIST_COLOUR_COUNT,
                               DISPLAY_LIST_EXTRA_COUNT, DISPLAY_LIST_EXTRA_COUNT);
    if (isAllOnesAddress(c.list)) return false;
    setCurrentDisplayList(c.list);
    setFrameDisplayList(c.list);
    std::memset(colourRow, 0, sizeof colourRow);
    std::memset(texCoordRow, 0, sizeof texCoordRow);
    bindColourArray(colourRow, ROW_RECORDS);
    bindTexCoordArray(texCoordRow, ROW_RECORDS);
    c.vertexCount = 0;
    setSpriteTable(spriteEntries, 4);
    return c.texture == 0;
}

bool listCommand(Case& c, const std::string& word, std::istringstream& in) {
    if (word == "V") {
        ProjectedVertex* v = projectedVertexAt(c.vertexCount);
        if (!v || !readIntsFor(in, &v->x, 4)) return false;
        ++c.vertexCount;
        return true;
    }
    if (word == "C") {
        ColourRecord r = {};
        return readIntsFor(in, &r.red, 3) && appendRow(&r, 1) >= 0;
    }
    if (word == "U") {
        TexCoord t = {};
        return readIntsFor(in, &t.u, 2) && appendRow(&t, 2) >= 0;
    }
    if (word == "P") {
        std::int32_t f[16];
        if (!readIntsFor(in, f, 16)) return false;
        Primitive* p = allocPrimitive(TRIANGLE_PRIMITIVE_BYTES);
        if (!p) return false;
        p->codeWord = static_cast<std::uint32_t>(f[0]);
        p->size = TRIANGLE_PRIMITIVE_BYTES;
        p->link = PRIM_LINK_NONE;
        p->depth = static_cast<std::int16_t>(f[1]);
        p->bias = static_cast<std::int16_t>(f[2]);
        for (int i = 0; i < 13; ++i) p->s[i] = static_cast<std::int16_t>(f[3 + i]);
        return true;
    }
    return false;
}

void endList(Case& c) {
    convertColours();
    drawDisplayList();
    setFrameDisplayList(nullptr);
    setCurrentDisplayList(nullptr);
    setSpriteTable(nullptr, 0);
    checkedFree(c.list);
    c.list = nullptr;
}

Rgb555* pixelsOf(Case& c) { return c.block.data() + GUARD; }

bool startCase(Case& c, std::istringstream& in) {
    std::int64_t w, h, bgKind, bgValue, ws, hs, texSeed, texMask;
    if (!(in >> w >> h >> bgKind >> bgValue >> ws >> hs >> texSeed >> texMask)) return false;
    c.width = static_cast<std::int32_t>(w);
    c.height = static_cast<std::int32_t>(h);
    const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h + 1);
    c.block.assign(count + 2 * GUARD, GUARD_VALUE);
    Rgb555* pixels = pixelsOf(c);
    for (std::size_t i = 0; i < count; ++i) {
        pixels[i] = bgKind == 0 ? static_cast<Rgb555>(bgValue)
                                : static_cast<Rgb555>(mix(static_cast<std::uint32_t>(i),
                                                          static_cast<std::uint32_t>(bgValue)));
    }
    setBackBuffer(pixels, c.width, c.height);
    setClipRect();
    std::vector<Rgb555> texels(std::size_t{1} << (ws + hs));
    for (std::size_t i = 0; i < texels.size(); ++i) {
        texels[i] = static_cast<Rgb555>(mix(static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(texSeed)) &
                                         static_cast<std::uint32_t>(texMask));
    }
    c.texture = installTexture("crosscheck", static_cast<int>(ws), static_cast<int>(hs), texels.data());
    return c.texture >= 0;
}

void endCase(Case& c) {
    if (c.list) endList(c);
    bool guardsIntact = true;
    const std::size_t count = static_cast<std::size_t>(c.width) * static_cast<std::size_t>(c.height + 1);
    for (std::size_t i = 0; i < GUARD; ++i) {
        if (c.block[i] != GUARD_VALUE || c.block[GUARD + count + i] != GUARD_VALUE) guardsIntact = false;
    }
    std::vector<unsigned char> bytes(count * 2 + 1);
    const Rgb555* pixels = pixelsOf(c);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[2 * i] = static_cast<unsigned char>(pixels[i] & 0xff);
        bytes[2 * i + 1] = static_cast<unsigned char>(pixels[i] >> 8);
    }
    bytes[count * 2] = guardsIntact ? 0 : 1;
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
    releaseTexture(c.texture);
    c.texture = -1;
}

bool drawFlat(std::istringstream& in) {
    std::int32_t n;
    if (!readInts(in, &n, 1) || (n != 3 && n != 4)) return false;
    ProjectedVertex v[4] = {};
    for (int i = 0; i < n; ++i) {
        if (!readInts(in, &v[i].x, 2)) return false;
    }
    std::int32_t colour;
    if (!readInts(in, &colour, 1)) return false;
    if (n == 3) {
        drawFlatTriangle(&v[0], &v[1], &v[2], colour);
    } else {
        drawFlatQuad(&v[0], &v[1], &v[2], &v[3], colour);
    }
    return true;
}

bool drawShaded(std::istringstream& in) {
    std::int32_t head[2];
    if (!readInts(in, head, 2) || (head[1] != 3 && head[1] != 4)) return false;
    const std::int32_t mode = head[0], n = head[1];
    ProjectedVertex v[4] = {};
    ColourRecord c[4] = {};
    for (int i = 0; i < n; ++i) {
        if (!readInts(in, &v[i].x, 2) || !readInts(in, &c[i].red, 3)) return false;
    }
    if (n == 3) {
        (mode == 0 ? drawShadedTriangle : drawShadedTriangleAdd)(&v[0], &v[1], &v[2], &c[0], &c[1], &c[2]);
    } else {
        (mode == 0 ? drawShadedQuad : drawShadedQuadAdd)(&v[0], &v[1], &v[2], &v[3], &c[0], &c[1], &c[2], &c[3]);
    }
    return true;
}

bool drawTextured(std::istringstream& in, int texture) {
    std::int32_t head[2];
    if (!readInts(in, head, 2) || (head[1] != 3 && head[1] != 4) || head[0] < 0 || head[0] > 2) return false;
    const std::int32_t mode = head[0], n = head[1];
    ProjectedVertex v[4] = {};
    TexCoord t[4] = {};
    for (int i = 0; i < n; ++i) {
        if (!readInts(in, &v[i].x, 2) || !readInts(in, &t[i].u, 2)) return false;
    }
    using Tri = void (*)(const ProjectedVertex*, const ProjectedVertex*, const ProjectedVertex*, const TexCoord*,
                         const TexCoord*, const TexCoord*, std::int32_t);
    using Quad = void (*)(const ProjectedVertex*, const ProjectedVertex*, const ProjectedVertex*,
                          const ProjectedVertex*, const TexCoord*, const TexCoord*, const TexCoord*,
                          const TexCoord*, std::int32_t);
    const Tri tris[3] = {drawTexTriangle, drawTexTriangleAdd, drawTexTriangleHalf};
    const Quad quads[3] = {drawTexQuad, drawTexQuadAdd, drawTexQuadHalf};
    if (n == 3) {
        tris[mode](&v[0], &v[1], &v[2], &t[0], &t[1], &t[2], texture);
    } else {
        quads[mode](&v[0], &v[1], &v[2], &v[3], &t[0], &t[1], &t[2], &t[3], texture);
    }
    return true;
}

bool drawRect(std::istringstream& in) {
    std::int32_t r[5];
    if (!readInts(in, r, 5)) return false;
    drawRectOutline(r[0], r[1], r[2], r[3], r[4]);
    return true;
}

void writeInts(const std::int32_t* values, std::size_t n) {
    std::vector<unsigned char> bytes(n * 4);
    for (std::size_t i = 0; i < n; ++i) {
        const auto v = static_cast<std::uint32_t>(values[i]);
        for (int b = 0; b < 4; ++b) bytes[4 * i + b] = static_cast<unsigned char>(v >> (8 * b));
    }
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void writeTrig() {
    std::int32_t values[2048];
    for (int i = 0; i < 1024; ++i) {
        values[i] = fixSin(i);
        values[1024 + i] = fixCos(i);
    }
    writeInts(values, 2048);
    std::fflush(stdout);
}

bool writeTransform(std::istringstream& in) {
    std::int32_t f[17];
    if (!readIntsFor(in, f, 17)) return false;
    const Vec4 position{f[2], f[3], f[4], 0}, angles{f[5], f[6], f[7], 0}, scale{f[8], f[9], f[10], 0};
    const Vec4 translation{f[11], f[12], f[13], 1}, viewAngles{f[14], f[15], f[16], 1}, unit{512, 512, 512, 1};
    for (int i = 5; i <= 7; ++i) {
        if (f[i] < 0 || f[i] > 1023) return false;  // stored angles stay within one turn
    }
    for (int i = 14; i <= 16; ++i) {
        if (f[i] < 0 || f[i] > 1023) return false;
    }
    ModelVertex vertex{};
    if (!readIntsFor(in, &vertex.x, 3)) return false;
    Matrix m, v, l;
    matModelTransform(&m, &position, &angles, &scale);
    matViewTransform(&v, &translation, &viewAngles, &unit);
    matMultiply(&l, &m, &v);
    setProjectionCentre(f[0], f[1]);
    ProjectedVertex out{};
    transformVertices(1, &out, &vertex, &l);
    static_assert(sizeof(Matrix) == 64);
    writeInts(reinterpret_cast<const std::int32_t*>(&m), 16);
    writeInts(reinterpret_cast<const std::int32_t*>(&v), 16);
    writeInts(reinterpret_cast<const std::int32_t*>(&l), 16);
    writeInts(&out.x, 4);
    std::fflush(stdout);
    return true;
}

#ifdef VANTIR_XC_HAS_CODE_PATHS
// Route 0 is the reference code; then the fast code at every vector level
// this processor offers.
std::vector<std::pair<CodePath, SimdLevel>> routes() {
    std::vector<std::pair<CodePath, SimdLevel>> list = {{CodePath::Reference, detectedSimdLevel()}};
    for (SimdLevel level : {SimdLevel::Scalar, SimdLevel::Sse2, SimdLevel::Avx2}) {
        if (static_cast<int>(level) <= static_cast<int>(detectedSimdLevel())) list.push_back({CodePath::Fast, level});
    }
    return list;
}
std::int32_t routeCount() { return static_cast<std::int32_t>(routes().size()); }
bool selectRoute(std::int32_t k) {
    const auto list = routes();
    if (k < 0 || k >= static_cast<std::int32_t>(list.size())) return false;
    setCodePath(list[static_cast<std::size_t>(k)].first);
    setSimdLevel(list[static_cast<std::size_t>(k)].second);
    return true;
}
#else
std::int32_t routeCount() { return 1; }
bool selectRoute(std::int32_t k) { return k == 0; }
#endif

}  // namespace

int main() {
    if (initMath() < 0 || initTextures() < 0 || initDisplayList() < 0) return 2;
    Case current;
    bool open = false;
    std::string line;
    int lineNumber = 0;
    while (std::getline(std::cin, line)) {
        ++lineNumber;
        std::istringstream in(line);
        std::string word;
        if (!(in >> word)) continue;
        bool ok = true;
        std::int32_t route = 0;
        if (!open && word == "CONFIGS") {
            const std::int32_t count = routeCount();
            writeInts(&count, 1);
            std::fflush(stdout);
        } else if (!open && word == "CONFIG") {
            ok = readIntsFor(in, &route, 1) && selectRoute(route);
        } else if (!open && word == "TRIG") {
            writeTrig();
        } else if (!open && word == "M") {
            ok = writeTransform(in);
        } else if (word == "case" || word == "list") {
            ok = !open && startCase(current, in) && (word == "case" || startList(current));
            open = ok;
        } else if (!open) {
            ok = false;
        } else if (word == "end") {
            endCase(current);
            open = false;
        } else if (current.list) {
            ok = listCommand(current, word, in);
        } else if (word == "F") {
            ok = drawFlat(in);
        } else if (word == "S") {
            ok = drawShaded(in);
        } else if (word == "T") {
            ok = drawTextured(in, current.texture);
        } else if (word == "R") {
            ok = drawRect(in);
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "xc-harness: bad line %d: %s\n", lineNumber, line.c_str());
            return 1;
        }
    }
    releaseTextures();
    releaseDisplayList();
    releaseMath();
    return 0;
}
