#include "render/ordering.h"

#include <cstring>

#include "render/raster/flat.h"
#include "render/raster/rect_outline.h"
#include "render/raster/shaded.h"
#include "render/raster/textured.h"
#include "util/code_path.h"

namespace vantir {

namespace {

const SpriteEntry* spriteTable = nullptr;
std::int32_t spriteCount = 0;

constexpr std::uint32_t BUCKET_COUNT = ORDERING_TABLE_SIZE;
constexpr std::int32_t RECORD_ALIGNMENT = 4;

bool usable(const DisplayList* list) { return list != nullptr && !isAllOnesAddress(list); }

// Highest s-field index + 1 that sorting and dispatching a record read.
int fieldsRead(std::uint32_t codeWord) {
    int fields = 0;
    switch (codeWord & PRIM_CODE_MASK) {
    case PRIM_FLAT_TRI: fields = 5; break;
    case PRIM_FLAT_QUAD: fields = 6; break;
    case PRIM_TEX_TRI:
    case PRIM_TEX_ADD_TRI:
    case PRIM_TEX_HALF_TRI: fields = 10; break;
    case PRIM_TEX_QUAD:
    case PRIM_TEX_ADD_QUAD:
    case PRIM_TEX_HALF_QUAD: fields = 13; break;
    case PRIM_SHADED_TRI:
    case PRIM_SHADED_ADD_TRI: fields = 7; break;
    case PRIM_SHADED_QUAD:
    case PRIM_SHADED_ADD_QUAD: fields = 9; break;
    case PRIM_CALLBACK: fields = 2; break;  // the 32-bit handle in s0 and s1
    default: break;
    }
    const int depthFields[8] = {0, 1, 3, 4, 5, 0, 0, 0};  // per vertex count: s0, s1..s2, s1..s3, s1..s4
    if (depthFields[codeWord & PRIM_VERTEX_COUNT_MASK] > fields) fields = depthFields[codeWord & PRIM_VERTEX_COUNT_MASK];
    if ((codeWord & PRIM_BACKFACE) && fields < 4) fields = 4;  // s1..s3
    return fields;
}

// The arrays a record's indices name, read from the list's header once per pass.
struct ListArrays {
    const ProjectedVertex* vertices = nullptr;
    std::int32_t vertexCount = 0;
    const Rgb555* colourTable = nullptr;
    std::int32_t colourCount = 0;
    const ColourRecord* colourRecords = nullptr;
    std::int32_t colourRecordCount = 0;
    const TexCoord* texCoords = nullptr;
    std::int32_t texCoordCount = 0;

    // Index 0..count-1 of an array, or null (listArrays gives an absent array
    // no records). One unsigned comparison: a negative index is out of range too.
    template <typename T>
    static const T* at(const T* base, std::int32_t count, std::int16_t i) {
        return static_cast<std::uint32_t>(std::int32_t{i}) < static_cast<std::uint32_t>(count) ? base + i : nullptr;
    }
    const ProjectedVertex* vertex(std::int16_t i) const { return at(vertices, vertexCount, i); }
    const ColourRecord* colour(std::int16_t i) const { return at(colourRecords, colourRecordCount, i); }
    const TexCoord* texCoord(std::int16_t i) const { return at(texCoords, texCoordCount, i); }
};

// Records a row's array holds: its bound capacity, or every index a 16-bit
// field can name when the row was bound without one (its binder keeps the
// indices within the array).
std::int32_t rowRecords(int row, const void* base) {
    constexpr std::int32_t ANY_INDEX = 32768;
    const std::int32_t capacity = rowCapacity(row);
    if (vertexRows == nullptr || vertexRows[row].base != base || capacity < 0) return ANY_INDEX;
    return capacity;
}

ListArrays listArrays(const DisplayList* list) {
    ListArrays a;
    if (!usable(list)) return a;
    a.vertices = list->projectedVertices;
    a.vertexCount = list->vertexCount;
    a.colourTable = list->colourTable;
    a.colourCount = list->colourCount;
    a.colourRecords = list->colourRowBase;
    a.colourRecordCount = rowRecords(1, list->colourRowBase);
    a.texCoords = list->texCoordRowBase;
    a.texCoordCount = rowRecords(2, list->texCoordRowBase);
    // An absent array has no records, whatever its count says, and no count
    // is negative.
    if (a.vertices == nullptr || a.vertexCount < 0) a.vertexCount = 0;
    if (a.colourTable == nullptr || a.colourCount < 0) a.colourCount = 0;
    if (a.colourRecords == nullptr || a.colourRecordCount < 0) a.colourRecordCount = 0;
    if (a.texCoords == nullptr || a.texCoordCount < 0) a.texCoordCount = 0;
    return a;
}

// The record at a link, or null when the link does not lead to a whole
// record header inside the primitive area.
Primitive* recordAt(DisplayList* list, std::uint32_t offset) {
    if (offset < list->firstPrimitive || offset > list->primitiveEnd ||
        list->primitiveEnd - offset < static_cast<std::uint32_t>(PRIMITIVE_HEADER_BYTES) || offset % RECORD_ALIGNMENT)
        return nullptr;
    return primitiveAtOffset(list, offset);
}

// Depth of a record of 1 to 4 corners from its projected vertices, in full
// 32 bits, or PRIM_DEPTH_REJECTED when a corner lies at or behind the near
// limit; false when an index names no vertex.
bool recordDepth(const ListArrays& a, const Primitive& r, std::int32_t corners, std::int32_t* depth,
                 bool* rejected) {
    const ProjectedVertex* v[4];
    std::int32_t sum = 0;
    bool nearLimit = false;
    for (std::int32_t i = 0; i < corners; ++i) {
        v[i] = a.vertex(corners == 1 ? r.s[0] : r.s[1 + i]);
        if (v[i] == nullptr) return false;
        nearLimit = nearLimit || v[i]->clip == -1;
        sum += v[i]->z;  // wraps in 32 bits
    }
    *rejected = nearLimit;
    if (nearLimit) {
        *depth = PRIM_DEPTH_REJECTED;
    } else {
        switch (corners) {
        case 1: *depth = sum; break;
        case 2: *depth = sum >> 1; break;  // arithmetic: -1 stays -1
        case 3: *depth = sum / 3; break;   // truncates toward zero
        default: *depth = sum >> 2; break;
        }
    }
    return true;
}

// True when the screen corners a, b, d run counter-clockwise (screen y grows
// downward), by the sign of the exact cross product: the coordinate
// differences take 33 bits and their products 66, so a large clockwise
// triangle cannot wrap into a negative product.
bool facesAway(const ProjectedVertex& a, const ProjectedVertex& b, const ProjectedVertex& d) {
    using Wide = __int128;
    const Wide cross = Wide{std::int64_t{b.x} - a.x} * (std::int64_t{d.y} - b.y) -
                       Wide{std::int64_t{b.y} - a.y} * (std::int64_t{d.x} - b.x);
    return cross < 0;  // clockwise (> 0) and degenerate (0) stay
}

// Files one record at the front of its bucket, unless it faces away, reaches
// behind the near limit, falls outside the buckets or names nothing.
void fileRecord(const ListArrays& a, Primitive* r, std::uint32_t offset) {
    if (r->size < PRIMITIVE_HEADER_BYTES + 2 * fieldsRead(r->codeWord)) return;
    if (r->codeWord & PRIM_BACKFACE) {
        const ProjectedVertex* p = a.vertex(r->s[1]);
        const ProjectedVertex* q = a.vertex(r->s[2]);
        const ProjectedVertex* d = a.vertex(r->s[3]);
        if (!p || !q || !d || facesAway(*p, *q, *d)) return;
    }
    // A computed depth files by its full value, so that a far average cannot
    // wrap into a near bucket; the 16-bit field keeps only its low bits.
    // Codes of 0 or 5 to 7 corners file by the depth their creator stored.
    std::int64_t depth = r->depth;
    const std::int32_t corners = r->codeWord & PRIM_VERTEX_COUNT_MASK;
    if (corners >= 1 && corners <= 4) {
        std::int32_t computed;
        bool rejected;
        if (!recordDepth(a, *r, corners, &computed, &rejected)) return;
        r->depth = static_cast<std::int16_t>(computed);  // low 16 bits: 40000 becomes -25536
        if (rejected) return;  // the near-limit mark is never filed, whatever the bias
        depth = computed;
    }
    const std::int64_t bucket = depth + r->bias;
    if (bucket < 0 || bucket >= BUCKET_COUNT) return;
    r->link = orderingTable[bucket];
    orderingTable[bucket] = offset;
}

// What the fast dispatch fetches once for many textured records: the raster
// target and the addressing of the texture last drawn with. Only a callback
// can change either during a dispatch, so each callback clears it.
struct PreparedTexturing {
    bool targetFetched = false;
    bool haveTarget = false;
    RasterTarget target{};
    std::int32_t texture = 0;
    bool textureFetched = false;
    bool haveTexture = false;
    TextureAddressing addressing{};

    void forget() { targetFetched = textureFetched = false; }
    // False when the record would draw nothing for want of a target or texture.
    bool prepare(std::int32_t textureSlot) {
        if (!targetFetched) {
            haveTarget = fetchRasterTarget(&target);
            targetFetched = true;
        }
        if (!textureFetched || texture != textureSlot) {
            haveTexture = textureAddressing(textureSlot, &addressing);
            texture = textureSlot;
            textureFetched = true;
        }
        return haveTarget && haveTexture;
    }
};

int cornerCount(const Primitive& r) { return (r.codeWord & PRIM_VERTEX_COUNT_MASK) == 4 ? 4 : 3; }

// The field of a textured record's first texture coordinate: s7 after a
// triangle's three corners, s9 after a quadrilateral's four.
int firstTexCoordField(const Primitive& r) { return cornerCount(r) == 4 ? 9 : 7; }

TexturedMode texturedMode(std::uint32_t code) {
    switch (code) {
    case PRIM_TEX_ADD_TRI:
    case PRIM_TEX_ADD_QUAD: return TexturedMode::Add;
    case PRIM_TEX_HALF_TRI:
    case PRIM_TEX_HALF_QUAD: return TexturedMode::Half;
    default: return TexturedMode::Copy;
    }
}

// drawRecord's textured records by the fast route, through `prepared`.
void drawTexturedRecord(const ListArrays& a, const Primitive& r, PreparedTexturing& prepared) {
    const int n = cornerCount(r);
    const int firstCoord = firstTexCoordField(r);
    TexturedPoint corners[4];
    for (int i = 0; i < n; ++i) {
        const ProjectedVertex* v = a.vertex(r.s[1 + i]);
        const TexCoord* t = a.texCoord(r.s[firstCoord + i]);
        if (v == nullptr || t == nullptr) return;
        corners[i] = {v->x, v->y, {t->u, t->v}};
    }
    if (prepared.prepare(r.s[0]))
        drawTexturedPrepared(texturedMode(r.codeWord & PRIM_CODE_MASK), corners, n, prepared.addressing, prepared.target);
}

void drawRecord(const ListArrays& a, const Primitive& r) {
    const std::int16_t* s = r.s;
    const auto V = [&](int i) { return a.vertex(s[i]); };
    const auto T = [&](int i) { return a.texCoord(s[i]); };
    const auto K = [&](int i) { return a.colour(s[i]); };
    const std::int32_t texture = s[0];
    switch (r.codeWord & PRIM_CODE_MASK) {
    case PRIM_FLAT_TRI:
        if (V(1) && V(2) && V(3) && ListArrays::at(a.colourTable, a.colourCount, s[4]))
            drawFlatTriangle(V(1), V(2), V(3), static_cast<std::int16_t>(a.colourTable[s[4]]));
        break;
    case PRIM_FLAT_QUAD:
        if (V(1) && V(2) && V(3) && V(4) && ListArrays::at(a.colourTable, a.colourCount, s[5]))
            drawFlatQuad(V(1), V(2), V(3), V(4), static_cast<std::int16_t>(a.colourTable[s[5]]));
        break;
    case PRIM_TEX_TRI:
    case PRIM_TEX_ADD_TRI:
    case PRIM_TEX_HALF_TRI: {
        if (!(V(1) && V(2) && V(3) && T(7) && T(8) && T(9))) break;
        const auto entry = (r.codeWord & PRIM_CODE_MASK) == PRIM_TEX_TRI       ? drawTexTriangle
                           : (r.codeWord & PRIM_CODE_MASK) == PRIM_TEX_ADD_TRI ? drawTexTriangleAdd
                                                                                : drawTexTriangleHalf;
        entry(V(1), V(2), V(3), T(7), T(8), T(9), texture);
        break;
    }
    case PRIM_TEX_QUAD:
    case PRIM_TEX_ADD_QUAD:
    case PRIM_TEX_HALF_QUAD: {
        if (!(V(1) && V(2) && V(3) && V(4) && T(9) && T(10) && T(11) && T(12))) break;
        const auto entry = (r.codeWord & PRIM_CODE_MASK) == PRIM_TEX_QUAD       ? drawTexQuad
                           : (r.codeWord & PRIM_CODE_MASK) == PRIM_TEX_ADD_QUAD ? drawTexQuadAdd
                                                                                 : drawTexQuadHalf;
        entry(V(1), V(2), V(3), V(4), T(9), T(10), T(11), T(12), texture);
        break;
    }
    case PRIM_SHADED_TRI:
    case PRIM_SHADED_ADD_TRI:
        if (!(V(1) && V(2) && V(3) && K(4) && K(5) && K(6))) break;
        ((r.codeWord & PRIM_CODE_MASK) == PRIM_SHADED_TRI ? drawShadedTriangle : drawShadedTriangleAdd)(
            V(1), V(2), V(3), K(4), K(5), K(6));
        break;
    case PRIM_SHADED_QUAD:
    case PRIM_SHADED_ADD_QUAD:
        if (!(V(1) && V(2) && V(3) && V(4) && K(5) && K(6) && K(7) && K(8))) break;
        ((r.codeWord & PRIM_CODE_MASK) == PRIM_SHADED_QUAD ? drawShadedQuad : drawShadedQuadAdd)(
            V(1), V(2), V(3), V(4), K(5), K(6), K(7), K(8));
        break;
    case PRIM_SPRITE:
        if (V(0)) drawSpritePrimitive(static_cast<std::int32_t>(r.codeWord) >> 16, V(0));
        break;
    case PRIM_CALLBACK: {
        std::uint32_t handle;
        std::memcpy(&handle, &s[0], sizeof handle);
        if (PrimitiveCallback fn = primitiveCallback(handle)) fn(r.depth);
        break;
    }
    default: break;  // not drawn
    }
}

// ---- Hidden duplicates (the fast path) --------------------------------------
//
// A polygon drawn later in the same bucket over the same corners, by a mode
// that writes every pixel of its spans without reading them (flat, opaque
// shaded, copied texture), overwrites every pixel the earlier one wrote: the
// spans of a polygon follow from its corners' x and y alone, and flat
// polygons clip their columns differently from the others, so only the same
// kind of geometry counts. The earlier one need not be drawn at all. "The
// same corners" is taken as the same vertex indices, which a model that draws
// a surface twice repeats: one comparison of the index fields, no vertex read.

enum class Geometry { None, Flat, Interpolated };

Geometry geometryOf(std::uint32_t code) {
    switch (code) {
    case PRIM_FLAT_TRI:
    case PRIM_FLAT_QUAD: return Geometry::Flat;
    case PRIM_TEX_TRI:
    case PRIM_TEX_QUAD:
    case PRIM_TEX_ADD_TRI:
    case PRIM_TEX_ADD_QUAD:
    case PRIM_TEX_HALF_TRI:
    case PRIM_TEX_HALF_QUAD:
    case PRIM_SHADED_TRI:
    case PRIM_SHADED_QUAD:
    case PRIM_SHADED_ADD_TRI:
    case PRIM_SHADED_ADD_QUAD: return Geometry::Interpolated;
    default: return Geometry::None;
    }
}

bool isTextured(std::uint32_t code) {
    switch (code) {
    case PRIM_TEX_TRI:
    case PRIM_TEX_QUAD:
    case PRIM_TEX_ADD_TRI:
    case PRIM_TEX_ADD_QUAD:
    case PRIM_TEX_HALF_TRI:
    case PRIM_TEX_HALF_QUAD: return true;
    default: return false;
    }
}

// True when drawRecord would draw r in full with a mode that ignores the
// pixels beneath (its indices and texture are valid; corners not checked).
bool drawsOpaque(const ListArrays& a, const Primitive& r, PreparedTexturing& prepared) {
    const std::int16_t* s = r.s;
    switch (r.codeWord & PRIM_CODE_MASK) {
    case PRIM_FLAT_TRI: return ListArrays::at(a.colourTable, a.colourCount, s[4]) != nullptr;
    case PRIM_FLAT_QUAD: return ListArrays::at(a.colourTable, a.colourCount, s[5]) != nullptr;
    case PRIM_SHADED_TRI: return a.colour(s[4]) && a.colour(s[5]) && a.colour(s[6]);
    case PRIM_SHADED_QUAD: return a.colour(s[5]) && a.colour(s[6]) && a.colour(s[7]) && a.colour(s[8]);
    case PRIM_TEX_TRI:
    case PRIM_TEX_QUAD:
        for (int i = 0; i < cornerCount(r); ++i)
            if (!a.texCoord(s[firstTexCoordField(r) + i])) return false;
        return prepared.prepare(s[0]);
    default: return false;
    }
}

// A polygon's kind and corner indices in one word: equal words, and an equal
// fourth index for quadrilaterals, mean the same corners drawn the same way.
std::uint64_t cornerKey(const Primitive& r, Geometry geometry) {
    return static_cast<std::uint64_t>(geometry) | std::uint64_t{cornerCount(r) == 4} << 2 |
           std::uint64_t{static_cast<std::uint16_t>(r.s[1])} << 16 |
           std::uint64_t{static_cast<std::uint16_t>(r.s[2])} << 32 |
           std::uint64_t{static_cast<std::uint16_t>(r.s[3])} << 48;
}

// Asks for a polygon's vertices (and texture coordinates), which the drawing
// reads soon after; indices outside the arrays are left alone.
void prefetchCorners(const ListArrays& a, const Primitive& r) {
    const bool textured = isTextured(r.codeWord & PRIM_CODE_MASK);
    for (int i = 0; i < cornerCount(r); ++i) {
        if (const ProjectedVertex* v = a.vertex(r.s[1 + i])) __builtin_prefetch(v);
        if (textured)
            if (const TexCoord* t = a.texCoord(r.s[firstTexCoordField(r) + i])) __builtin_prefetch(t);
    }
}

// The fast dispatch of one bucket whose chain holds only polygons (the usual
// case), BUCKET_WINDOW of them at most: each polygon that a later one of the
// chain hides is left out. No record of such a chain runs code of its own, so
// nothing changes while the chain is drawn. False, with nothing drawn, for
// any other chain. Corners that name no vertex need no test: the same
// indices then name none for the later polygon either, and neither draws.
bool drawPolygonBucket(DisplayList* list, const ListArrays& a, std::uint32_t head, std::uint32_t& visitsLeft,
                       PreparedTexturing& prepared) {
    constexpr int BUCKET_WINDOW = 16;
    const Primitive* records[BUCKET_WINDOW];
    std::uint64_t keys[BUCKET_WINDOW];
    int count = 0;
    for (std::uint32_t link = head; link != PRIM_LINK_NONE; ++count) {
        if (count == BUCKET_WINDOW || static_cast<std::uint32_t>(count) == visitsLeft || (link & PRIM_LINK_CALLBACK_SLOT))
            return false;
        const Primitive* r = recordAt(list, link);
        if (r == nullptr) return false;
        const Geometry geometry = geometryOf(r->codeWord & PRIM_CODE_MASK);
        if (geometry == Geometry::None) return false;
        records[count] = r;
        keys[count] = cornerKey(*r, geometry);
        prefetchCorners(a, *r);
        link = r->link;
    }
    for (int i = 0; i < count; ++i) {
        const Primitive& r = *records[i];
        bool hidden = false;
        for (int j = i + 1; j < count && !hidden; ++j)
            hidden = keys[j] == keys[i] && (cornerCount(r) == 3 || records[j]->s[4] == r.s[4]) &&
                     drawsOpaque(a, *records[j], prepared);
        if (hidden) continue;
        if (isTextured(r.codeWord & PRIM_CODE_MASK))
            drawTexturedRecord(a, r, prepared);
        else
            drawRecord(a, r);
    }
    visitsLeft -= static_cast<std::uint32_t>(count);
    return true;
}

// Asks for the head record of the next bucket below b that holds one, so that
// it arrives while bucket b is drawn: the dispatch visits records in depth
// order, far from the order they lie in. A hint only; the table is read
// afresh when the bucket's turn comes.
void prefetchNextBucket(const DisplayList* list, std::int32_t b) {
    constexpr std::int32_t LOOKAHEAD_BUCKETS = 16;
    for (std::int32_t next = b - 1; next >= 0 && next >= b - LOOKAHEAD_BUCKETS; --next) {
        const std::uint32_t link = orderingTable[next];
        if (link == PRIM_LINK_NONE) continue;
        if (!(link & PRIM_LINK_CALLBACK_SLOT) && link < list->primitiveEnd)
            __builtin_prefetch(reinterpret_cast<const unsigned char*>(list) + link);
        return;
    }
}

// True when the EMPTY_GROUP buckets from `first` are all empty: one test
// for the whole group, which the compiler turns into a vector comparison.
constexpr std::int32_t EMPTY_GROUP = 8;
static_assert(ORDERING_TABLE_SIZE % EMPTY_GROUP == 0);
bool bucketsEmpty(const std::uint32_t* first) {
    std::uint32_t any = 0;
    for (std::int32_t i = 0; i < EMPTY_GROUP; ++i) any |= first[i];
    return any == PRIM_LINK_NONE;
}

}  // namespace

void sortPrimitives(DisplayList* list) {
    if (!usable(list) || orderingTable == nullptr) return;
    const ListArrays arrays = listArrays(list);
    std::uint32_t offset = list->firstPrimitive;
    // The count is read again before every step, as a callback may add records.
    for (std::int32_t i = 0; i < list->primitiveCount; ++i) {
        Primitive* r = recordAt(list, offset);
        if (r == nullptr) break;
        const std::int32_t size = r->size;
        // Records lie back to back, whole and aligned, or the walk ends here.
        if (size < PRIMITIVE_HEADER_BYTES || size % RECORD_ALIGNMENT ||
            static_cast<std::uint32_t>(size) > list->primitiveEnd - offset)
            break;
        fileRecord(arrays, r, offset);
        offset += static_cast<std::uint32_t>(size);
    }
    insertCallbackSlots();
}

void insertCallbackSlots() {
    if (orderingTable == nullptr || callbackSlots == nullptr) return;
    for (std::uint32_t k = 0; k < CALLBACK_SLOT_COUNT; ++k) {
        CallbackSlot& slot = callbackSlots[k];
        // The slot's depth is its bucket, without bias; others are not filed.
        if (slot.function == 0 || static_cast<std::uint32_t>(std::int32_t{slot.depth}) >= BUCKET_COUNT) continue;
        slot.link = orderingTable[slot.depth];
        orderingTable[slot.depth] = PRIM_LINK_CALLBACK_SLOT | k;
    }
}

int dispatchPrimitives(DisplayList* list) {
    if (orderingTable == nullptr) return 0;
    const ListArrays arrays = listArrays(list);
    // No chain can hold more entries than there are places for records and
    // slots; the bound keeps a table filed twice without a dispatch (a chain
    // that loops back on itself) from hanging the frame.
    std::uint32_t visitsLeft = CALLBACK_SLOT_COUNT;
    if (usable(list) && list->primitiveEnd > list->firstPrimitive)
        visitsLeft += (list->primitiveEnd - list->firstPrimitive) / PRIMITIVE_HEADER_BYTES;
    const bool fast = fastPath();
    const bool skipHidden = fast && usable(list);
    PreparedTexturing prepared;
    for (std::int32_t b = ORDERING_TABLE_SIZE - 1; b >= 0; --b) {
        // Most buckets are empty: the fast path passes over eight at a time.
        // Nothing runs while passing over them, so nothing can fill them meanwhile.
        if (fast && b % EMPTY_GROUP == EMPTY_GROUP - 1 && bucketsEmpty(orderingTable + (b - (EMPTY_GROUP - 1)))) {
            b -= EMPTY_GROUP - 1;
            continue;
        }
        std::uint32_t link = orderingTable[b];
        if (skipHidden && link != PRIM_LINK_NONE) {
            prefetchNextBucket(list, b);
            if (drawPolygonBucket(list, arrays, link, visitsLeft, prepared)) link = PRIM_LINK_NONE;
        }
        for (; link != PRIM_LINK_NONE && visitsLeft > 0; --visitsLeft) {
            if (link & PRIM_LINK_CALLBACK_SLOT) {
                const std::uint32_t k = link & ~PRIM_LINK_CALLBACK_SLOT;
                if (callbackSlots == nullptr || k >= CALLBACK_SLOT_COUNT) break;
                const CallbackSlot& slot = callbackSlots[k];
                if ((slot.codeWord & PRIM_CODE_MASK) == PRIM_CALLBACK)
                    if (PrimitiveCallback fn = primitiveCallback(slot.function)) {
                        fn(slot.depth);
                        prepared.forget();
                    }
                link = slot.link;
            } else {
                const Primitive* r = usable(list) ? recordAt(list, link) : nullptr;
                if (r == nullptr) break;
                if (fast && isTextured(r->codeWord & PRIM_CODE_MASK)) {
                    drawTexturedRecord(arrays, *r, prepared);
                } else {
                    drawRecord(arrays, *r);
                    // A callback record runs code that may change the target or textures.
                    if ((r->codeWord & PRIM_CODE_MASK) == PRIM_CALLBACK) prepared.forget();
                }
                link = r->link;
            }
        }
        orderingTable[b] = PRIM_LINK_NONE;
    }
    return 0;
}

void drawDisplayList() {
    DisplayList* list = frameDisplayList();
    sortPrimitives(list);
    dispatchPrimitives(list);
}

void setSpriteTable(const SpriteEntry* table, std::int32_t count) {
    spriteTable = count > 0 ? table : nullptr;
    spriteCount = spriteTable ? count : 0;
}

void drawSpritePrimitive(std::int32_t spriteIndex, const ProjectedVertex* vertex) {
    if (spriteTable == nullptr || vertex == nullptr || spriteIndex < 0 || spriteIndex >= spriteCount) return;
    if (spriteTable[spriteIndex].kind == 0) drawRectOutline(vertex->x, vertex->y, 50, 50, 0x7fff);
}

}  // namespace vantir
