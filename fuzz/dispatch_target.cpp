// Display lists from the fuzzer: projected vertices anywhere in 32 bits,
// colours, texture coordinates, primitive records of every code with any
// fields, sizes and biases, callback slots and sprites, on a screen and clip
// rectangle of any small size. Built with the real display-list operations,
// sorted and dispatched through every rasterizer twice (the second pass on
// the links the first left behind); nothing may be written outside the back
// buffer and the ordering table must come back empty.
#include <algorithm>
#include <climits>
#include <cstring>

#include "fuzz_input.h"
#include "fuzz_targets.h"
#include "guarded_screen.h"
#include "platform/headless/headless.h"
#include "render/display_list.h"
#include "render/ordering.h"
#include "render/primitive.h"
#include "render/raster/flat.h"
#include "render/raster/rect_outline.h"
#include "render/raster/shaded.h"
#include "render/raster/textured.h"
#include "texture/texture.h"
#include "util/code_path.h"

using namespace vantir;

namespace {

constexpr int MAX_VERTICES = 64;
constexpr int MAX_COLOURS = 64;
constexpr int MAX_TEX_COORDS = 64;
constexpr int ANY_INDEX = 32768;  // every index a 16-bit field can name

// Rows 1 and 2. When they are bound without a capacity the dispatch trusts
// any index, so the arrays cover them all; only the first entries are ever
// set (and cleared again after the run).
ColourRecord colourRow[ANY_INDEX];
TexCoord texCoordRow[ANY_INDEX];

SpriteEntry sprites[3];
int callbackCalls = 0;

void countCall(std::int32_t) { ++callbackCalls; }
std::int32_t callbackHandle() {
    static const std::int32_t handle = registerPrimitiveCallback(countCall);
    return handle;
}

std::int32_t coordinate(FuzzInput& in, std::int32_t extent) {
    static constexpr std::int32_t SPECIAL[] = {INT_MIN, INT_MAX, INT_MIN + 1, INT_MAX - 1, -1, 0, 1,
                                               1 << 23, -(1 << 23), 1 << 24, -(1 << 24), 8388607, -8388609,
                                               32767, -32768, 65535, 1 << 30, -(1 << 30)};
    switch (in.u8() & 3) {
    case 0: return static_cast<std::int32_t>(in.u8()) * (extent + 32) / 256 - 16;  // on screen and just off it
    case 1: return in.s16();
    case 2: return in.s32();
    default: return SPECIAL[in.u8() % (sizeof SPECIAL / sizeof SPECIAL[0])];
    }
}

// Mostly an index of the first count + 1 entries (one past them too), now
// and then anything a 16-bit field holds.
std::int16_t index(FuzzInput& in, int count) {
    const std::uint8_t b = in.u8();
    return b < 0xf0 ? static_cast<std::int16_t>(b % (count + 1)) : in.s16();
}

std::uint32_t primitiveCode(FuzzInput& in) {
    static constexpr std::uint32_t CODES[] = {
        PRIM_FLAT_TRI, PRIM_FLAT_QUAD, PRIM_TEX_TRI, PRIM_TEX_QUAD, PRIM_TEX_ADD_TRI, PRIM_TEX_ADD_QUAD,
        PRIM_TEX_HALF_TRI, PRIM_TEX_HALF_QUAD, PRIM_SHADED_TRI, PRIM_SHADED_QUAD, PRIM_SHADED_ADD_TRI,
        PRIM_SHADED_ADD_QUAD, PRIM_SPRITE, PRIM_CALLBACK, 0, 1, 2, 5, 7, 19, 75, 0xff};
    const std::uint8_t b = in.u8();
    return b < 0xe0 ? CODES[b % (sizeof CODES / sizeof CODES[0])] : in.u32();
}

void setField(Primitive* r, int k, std::int16_t value) {
    std::memcpy(reinterpret_cast<unsigned char*>(r) + PRIMITIVE_HEADER_BYTES + 2 * k, &value, sizeof value);
}

// One record straight into the primitive area; false when it is full.
bool addRawRecord(FuzzInput& in, int vertices) {
    const std::uint8_t sizeByte = in.u8();
    const std::int32_t allocated = PRIMITIVE_HEADER_BYTES + 4 * (sizeByte % 12);  // 16..60, whole words
    Primitive* r = allocPrimitive(allocated);
    if (!r) return false;
    const std::uint8_t flags = in.u8();
    r->codeWord = primitiveCode(in);
    if (flags & 1) r->codeWord |= PRIM_BACKFACE;
    if (flags & 2) r->codeWord = (r->codeWord & 0xffff) | std::uint32_t{in.u16()} << 16;  // sprite index
    r->size = sizeByte >= 0xf0 ? in.s32() : allocated;  // a lying size now and then
    r->link = PRIM_LINK_NONE;
    r->depth = (flags & 4) ? in.s16() : static_cast<std::int16_t>(in.u8() * 16);
    r->bias = (flags & 8) ? in.s16() : 0;
    const int fields = (allocated - PRIMITIVE_HEADER_BYTES) / 2;
    for (int k = 0; k < fields && k < 14; ++k) setField(r, k, index(in, vertices));
    if ((r->codeWord & PRIM_CODE_MASK) == PRIM_CALLBACK && (flags & 16) && fields >= 2) {
        const std::int32_t handle = callbackHandle();
        std::memcpy(r->s, &handle, sizeof handle);
    }
    return true;
}

// A record of any requested size: allocPrimitive must refuse what is too
// short or not whole words, and place what it accepts inside the area.
bool addSizedRecord(FuzzInput& in, DisplayList* list) {
    const std::int32_t size = (in.u8() & 1) ? in.s32() : static_cast<std::int32_t>(in.u8());
    const std::uint32_t before = list->nextFree;
    Primitive* r = allocPrimitive(size);
    if (!r) return size >= PRIMITIVE_HEADER_BYTES && size % 4 == 0 ? false : true;  // a full area ends the list
    fuzzCheck(size >= PRIMITIVE_HEADER_BYTES && size % 4 == 0, "allocPrimitive takes whole records only");
    const std::uint32_t offset = primitiveOffset(list, r);
    fuzzCheck(offset == before && offset >= list->firstPrimitive &&
                  std::uint64_t{offset} + static_cast<std::uint32_t>(size) <= list->primitiveEnd,
              "allocPrimitive places the record inside the primitive area");
    r->codeWord = primitiveCode(in);
    r->size = size;
    r->link = PRIM_LINK_NONE;
    r->depth = static_cast<std::int16_t>(in.u8() * 16);
    const int fields = (size - PRIMITIVE_HEADER_BYTES) / 2;
    for (int k = 0; k < fields && k < 14; ++k) setField(r, k, index(in, MAX_VERTICES));
    return true;
}

// Texture coordinates appended to row 2: refused past a known capacity.
void appendTexCoordRecords(FuzzInput& in) {
    TexCoord records[8];
    const int n = static_cast<int>(in.u8() % 10) - 1;  // -1..8
    for (TexCoord& t : records) t = TexCoord{in.s16(), in.s16(), 0, 0};
    const int before = rowCount(2);
    const int first = appendTexCoords(n, records);
    const std::int32_t capacity = rowCapacity(2);
    if (n < 1 || (capacity >= 0 && before + n > capacity)) {
        fuzzCheck(first == -1 && rowCount(2) == before, "a refused append changes nothing");
    } else {
        fuzzCheck(first == before && rowCount(2) == before + n, "an append lands at the row's end");
    }
}

// The rasterizers called directly, with corners and values from the input.
void drawDirectly(FuzzInput& in, const ProjectedVertex* v, int vertices) {
    const auto V = [&] { return &v[in.u8() % vertices]; };
    const auto C = [&] { return &colourRow[in.u8() % MAX_COLOURS]; };
    const auto T = [&] { return &texCoordRow[in.u8() % MAX_TEX_COORDS]; };
    const std::uint8_t kind = in.u8();
    switch (kind % 8) {
    case 0: {
        const std::int32_t x = in.s32(), y = in.s32(), w = in.s32(), h = in.s32();
        drawRectOutline(x, y, w, h, in.s32());
        break;
    }
    case 1: drawFlatTriangle(V(), V(), V(), in.s32()); break;
    case 2: drawFlatQuad(V(), V(), V(), V(), in.s32()); break;
    case 3: drawShadedTriangle(V(), V(), V(), C(), C(), C()); break;
    case 4: drawShadedQuadAdd(V(), V(), V(), V(), C(), C(), C(), C()); break;
    case 5: drawTexTriangleHalf(V(), V(), V(), T(), T(), T(), in.s16()); break;
    case 6: drawTexQuadAdd(V(), V(), V(), V(), T(), T(), T(), T(), in.s16()); break;
    default: drawTexQuad(V(), V(), V(), V(), T(), T(), T(), T(), in.s16()); break;
    }
}

// Triangles through addTriangles, lists and bases from the input.
bool addTriangleRecords(FuzzInput& in, int vertices) {
    std::int16_t vertexList[12], texList[12], colourList[12], extraList[12];
    const int count = 1 + in.u8() % 4;
    for (int i = 0; i < 3 * count; ++i) {
        vertexList[i] = index(in, vertices);
        texList[i] = index(in, MAX_TEX_COORDS);
        colourList[i] = index(in, MAX_COLOURS);
        extraList[i] = index(in, 4);
    }
    const std::uint8_t flags = in.u8();
    static constexpr std::uint32_t FLAG_SETS[] = {0, 0x40, 0x10, 0x30, 0x50, PRIM_BACKFACE, PRIM_BACKFACE | 0x40};
    const std::uint32_t codeFlags = flags < 0xf0 ? FLAG_SETS[flags % 7] : in.u32();
    const int texture = static_cast<int>(in.u8() % 4) - 1;  // -1: untextured
    const bool small = (flags & 0x80) == 0;
    const int made = addTriangles(small ? 0 : in.s16(), small ? 0 : in.s16(), small ? 0 : in.s16(), 0, vertexList,
                                  (flags & 0x20) ? nullptr : texList, (flags & 0x08) ? nullptr : colourList,
                                  (flags & 0x04) ? extraList : nullptr, texture, count, codeFlags);
    return made == count;
}

bool orderingTableEmpty() {
    for (int b = 0; b < ORDERING_TABLE_SIZE; ++b)
        if (orderingTable[b] != PRIM_LINK_NONE) return false;
    return true;
}

// A texture slot of the given shifts with texels that differ everywhere.
void installPatternTexture(const char* name, std::uint8_t shifts) {
    static Rgb555 pattern[256 * 256];
    if (pattern[1] == 0)
        for (int i = 0; i < 256 * 256; ++i) pattern[i] = static_cast<Rgb555>(i * 2654435761u >> 17);
    fuzzCheck(installTexture(name, 1 + (shifts & 7), 1 + ((shifts >> 3) & 7), pattern) >= 0, "installTexture");
}

}  // namespace

int fuzzDispatch(const std::uint8_t* data, std::size_t size) {
    FuzzInput in{data, size};
    headlessClearMessageBoxes();
    callbackHandle();

    const std::int32_t width = 1 + in.u8() % 160;
    const std::int32_t height = 1 + in.u8() % 120;
    const std::uint8_t setup = in.u8();
    const bool otherClip = setup & 1;
    GuardedScreen screen(width, height, static_cast<Rgb555>(in.u16()), !otherClip);
    if (otherClip) {
        // A clip rectangle taken from another screen size than the one drawn into.
        setBackBuffer(nullptr, 1 + in.u8() % 200, 1 + in.u8() % 160);
        setClipRect();
        setBackBuffer(screen.pixels(), width, height);
    } else {
        setClipRect();
    }

    fuzzCheck(initDisplayList() == 0, "initDisplayList");
    fuzzCheck(initTextures() == 0, "initTextures");
    installPatternTexture("a", in.u8());
    installPatternTexture("b", in.u8());
    DisplayList* list = currentDisplayList();
    fuzzCheck(list != nullptr && list == frameDisplayList(), "the list initDisplayList made is current");

    // Rows 1 and 2, with or without a capacity to check indices against.
    const bool unknownCapacity = setup & 2;
    bindColourArray(colourRow, unknownCapacity ? ROW_CAPACITY_UNKNOWN : MAX_COLOURS);
    bindTexCoordArray(texCoordRow, unknownCapacity ? ROW_CAPACITY_UNKNOWN : MAX_TEX_COORDS);

    const int vertices = 1 + in.u8() % MAX_VERTICES;
    for (int i = 0; i < vertices; ++i) {
        const std::uint8_t kind = in.u8();
        ProjectedVertex& v = list->projectedVertices[i];
        v.x = coordinate(in, width);
        v.y = coordinate(in, height);
        v.z = (kind & 1) ? in.s32() : static_cast<std::int32_t>(in.u16() % 4200) - 50;
        v.clip = (kind & 6) == 6 ? -1 : (kind & 6) == 4 ? static_cast<std::int32_t>(in.u32()) : 0;
    }
    for (int i = 0; i < MAX_COLOURS; ++i) list->colourTable[i] = static_cast<Rgb555>(i * 0x0421 + 3);
    const int colours = in.u8() % (MAX_COLOURS + 1);
    for (int i = 0; i < colours; ++i) {
        const std::uint8_t kind = in.u8();
        list->colourTable[i] = in.u16();
        // Channels are 0..255 by contract; a corrupt record may hold anything.
        colourRow[i] = (kind & 1) ? ColourRecord{in.s32(), in.s32(), in.s32(), 0}
                                  : ColourRecord{in.u8(), in.u8(), in.u8(), 0};
    }
    const int texCoords = in.u8() % (MAX_TEX_COORDS + 1);
    for (int i = 0; i < texCoords; ++i) {
        const std::uint8_t kind = in.u8();
        texCoordRow[i] = (kind & 1) ? TexCoord{in.s32(), in.s32(), 0, 0} : TexCoord{in.s16(), in.s16(), 0, 0};
    }

    const std::int32_t claimedCount = (setup & 4) ? in.s32() : 0;  // a count that lies about the records
    const std::uint8_t spriteCount = in.u8();
    for (int i = 0; i < 3; ++i) sprites[i].kind = (spriteCount >> (2 + i)) & 1;
    setSpriteTable(sprites, spriteCount % 4);

    const std::uint8_t slots = in.u8();
    for (int i = 0; i < slots % 5; ++i) {
        CallbackSlot& slot = callbackSlots[in.u8() % CALLBACK_SLOT_COUNT];
        const std::uint8_t kind = in.u8();
        slot.codeWord = (kind & 1) ? PRIM_CALLBACK : in.u32();
        slot.function = (kind & 2) ? static_cast<std::uint32_t>(callbackHandle()) : in.u32();
        slot.depth = (kind & 4) ? in.s16() : static_cast<std::int16_t>(in.u16() % ORDERING_TABLE_SIZE);
    }

    // The direct calls take their bytes from a block of their own, ahead of
    // the records, which read on to the end of the input.
    const int directCalls = in.u8() % 4;
    const std::size_t directBytes = in.u8() % 65;
    FuzzInput direct{in.data + in.pos, in.pos < size ? std::min(directBytes, size - in.pos) : 0};
    in.pos += direct.size;
    while (!in.exhausted()) {
        const std::uint8_t op = in.u8();
        bool more = true;
        switch (op % 16) {
        case 15: more = addTriangleRecords(in, vertices); break;
        case 14: more = addSizedRecord(in, list); break;
        case 13: appendTexCoordRecords(in); break;
        default: more = addRawRecord(in, vertices); break;
        }
        if (!more) break;
    }
    if (setup & 4) list->primitiveCount = claimedCount;

    // The same list drawn by the reference routines into a twin screen and by
    // the fast ones at a vector level from the input: to the bit the same.
    static constexpr SimdLevel LEVELS[] = {SimdLevel::Avx2, SimdLevel::Sse2, SimdLevel::Scalar, SimdLevel::Avx2};
    GuardedScreen reference(width, height, screen.pixels()[0], !otherClip);
    for (int pass = 0; pass < 2; ++pass) {
        setCodePath(CodePath::Reference);
        setBackBuffer(reference.pixels(), width, height);
        sortPrimitives(list);
        dispatchPrimitives(list);
        setCodePath(CodePath::Fast);
        setSimdLevel(LEVELS[(setup >> 4) & 3]);
        setBackBuffer(screen.pixels(), width, height);
        sortPrimitives(list);
        dispatchPrimitives(list);
        fuzzCheck(orderingTableEmpty(), "dispatch leaves the ordering table empty");
        fuzzCheck(screen.guardsIntact() && reference.guardsIntact(), "drawing stays inside the back buffer");
        fuzzCheck(screen.memory == reference.memory, "the fast routines draw what the reference ones draw");
    }
    for (int i = 0; i < directCalls; ++i) drawDirectly(direct, list->projectedVertices, vertices);
    fuzzCheck(screen.guardsIntact(), "direct drawing stays inside the back buffer");

    setSimdLevel(SimdLevel::Avx2);  // back to the widest the processor has
    setSpriteTable(nullptr, 0);
    releaseTextures();
    releaseDisplayList();
    std::memset(colourRow, 0, sizeof(ColourRecord) * MAX_COLOURS);
    std::memset(texCoordRow, 0, sizeof(TexCoord) * MAX_TEX_COORDS);
    return 0;
}
