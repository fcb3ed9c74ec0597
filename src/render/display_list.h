// The display list: one block holding the primitive records, the projected
// vertices and the Rgb555 colour table, plus the six vertex-array rows that
// scenes append their source records to.
//
// Capacities: allocPrimitive refuses a record that does not fit the primitive
// area, appendRow/appendVertices/appendTexCoords refuse records past a row's
// capacity when the row was bound with one, and convertColours stops at the
// colour table's end. Rows bound without a capacity cannot be checked: their
// callers keep within their arrays.
#pragma once

#include <cstddef>
#include <cstdint>

#include "math/fixed.h"
#include "render/primitive.h"

namespace vantir {

// The all-ones address that lookups answer for an empty slot and that
// createDisplayList answers when it cannot allocate.
template <typename T>
inline T* allOnesAddress() {
    return reinterpret_cast<T*>(~std::uintptr_t{0});
}
inline bool isAllOnesAddress(const void* address) {
    return reinterpret_cast<std::uintptr_t>(address) == ~std::uintptr_t{0};
}

// The block's header; the areas follow it back to back: primitive area,
// projected vertices, three reserved record arrays, colour table.
struct DisplayList {
    std::int32_t primitiveCount;
    std::uint32_t firstPrimitive;  // byte offset of the primitive area from the block start
    std::uint32_t nextFree;        // byte offset where the next record goes
    std::uint32_t primitiveEnd;    // byte offset just past the primitive area
    ProjectedVertex* projectedVertices;
    ModelVertex* vertexRowBase;    // row 0, set by bindVertexArray
    std::int32_t vertexCount;      // capacity of projectedVertices
    void* reservedColourRecords;
    ColourRecord* colourRowBase;   // row 1
    Rgb555* colourTable;
    std::int32_t colourCount;      // capacity of colourTable
    void* reservedExtraA;
    TexCoord* texCoordRowBase;     // row 2
    std::int32_t reserved;
    void* reservedExtraB;
    void* row3Base;
};
// Sixteen 4-byte fields on 32-bit builds; on 64-bit the address fields (and
// the 32-bit fields in front of them) take 8 bytes each, in the same order.
static_assert(offsetof(DisplayList, primitiveCount) == 0 && offsetof(DisplayList, firstPrimitive) == 4 &&
              offsetof(DisplayList, nextFree) == 8 && offsetof(DisplayList, primitiveEnd) == 12 &&
              offsetof(DisplayList, projectedVertices) == 16);
static_assert(offsetof(DisplayList, row3Base) == 16 + 11 * sizeof(void*) &&
              sizeof(DisplayList) == 16 + 12 * sizeof(void*));
static_assert(sizeof(DisplayList) % alignof(Primitive) == 0);

constexpr std::int32_t DISPLAY_LIST_PRIMITIVE_BYTES = 60000;
constexpr std::int32_t DISPLAY_LIST_VERTEX_COUNT = 1500;
constexpr std::int32_t DISPLAY_LIST_COLOUR_COUNT = 1200;
constexpr std::int32_t DISPLAY_LIST_EXTRA_COUNT = 10;
constexpr int ORDERING_TABLE_SIZE = 4096;
constexpr int VERTEX_ROW_COUNT = 6;
constexpr std::int32_t ROW_RECORD_BYTES = 16;

// A vertex-array row: a caller-owned array of 16-byte records.
constexpr std::int32_t ROW_CAPACITY_UNKNOWN = -1;
struct VertexRow {
    std::int32_t mark;
    std::int32_t count;
    unsigned char* base;
    std::int32_t capacity;  // records the array holds, or ROW_CAPACITY_UNKNOWN
};

// 4096 bucket heads in the link encoding of primitive.h; empty between frames.
extern std::uint32_t* orderingTable;
extern CallbackSlot* callbackSlots;
// Six row descriptors; null before initVertexRows.
extern VertexRow* vertexRows;

// Record at a link (not 0, not a callback slot) of list.
inline Primitive* primitiveAtOffset(DisplayList* list, std::uint32_t offset) {
    return reinterpret_cast<Primitive*>(reinterpret_cast<unsigned char*>(list) + offset);
}
inline std::uint32_t primitiveOffset(const DisplayList* list, const void* record) {
    return static_cast<std::uint32_t>(static_cast<const unsigned char*>(record) -
                                      reinterpret_cast<const unsigned char*>(list));
}

// Rows, ordering table, the 60000/1500/1200/10/10 list (made current and the
// frame list) and callback slots. 0; -1 rows or ordering table, -2 list,
// -3 callback slots (each after the allocator's message).
int initDisplayList();
// Releases callback slots, the list made by initDisplayList, the ordering
// table and the rows; accepts a partial initDisplayList.
void releaseDisplayList();
// The block, or the all-ones address when it cannot be allocated (negative
// counts and sizes past 2^31 bytes are refused the same way). The primitive
// area is rounded up to whole 4-byte words so that every area stays aligned.
DisplayList* createDisplayList(std::int32_t primitiveBytes, std::int32_t vertexCount, std::int32_t colourCount,
                               std::int32_t extraA, std::int32_t extraB);
int initVertexRows();
int initCallbackSlots();
// Activates callback slot `slot` (0..31): from the next sort on, every frame
// calls fn with the depth when the walk reaches bucket `depth` (0..4095),
// before the primitives of that bucket; a slot of higher number in the same
// bucket runs first. A null fn makes the slot inactive again. 0, or -1 for a
// slot or depth outside its range, no slots (before initDisplayList) or a
// full callback registry; nothing changes then.
int setCallbackSlot(int slot, PrimitiveCallback fn, std::int32_t depth);
void setCurrentDisplayList(DisplayList* list);
// The list the building operations act on, or null when none is set.
DisplayList* currentDisplayList();
// The list the frame pass sorts and draws (the current list at start-up).
DisplayList* frameDisplayList();
void setFrameDisplayList(DisplayList* list);

// Rows 0..5. Records can only be checked against a capacity given here.
int bindRow(void* base, int row, std::int32_t capacity = ROW_CAPACITY_UNKNOWN);
// Index of the appended record; -1 for a row outside 0..5, an unbound row or
// a full row of known capacity (nothing changes then).
int appendRow(const void* record, int row);
// Records appended so far, or -1 for a row outside 0..5.
int rowCount(int row);
// Records the row's array holds as given at binding; ROW_CAPACITY_UNKNOWN
// when none was given or the row is outside 0..5.
std::int32_t rowCapacity(int row);
void markRow(int row);
// Rows 0, 1 and 2, bound through the current list's header as well.
int bindVertexArray(ModelVertex* base, std::int32_t capacity = ROW_CAPACITY_UNKNOWN);
int bindColourArray(ColourRecord* base, std::int32_t capacity = ROW_CAPACITY_UNKNOWN);
int bindTexCoordArray(TexCoord* base, std::int32_t capacity = ROW_CAPACITY_UNKNOWN);
// Append n >= 1 records to row 0 (row 2) and answer the first one's index;
// -1 and nothing appended when n < 1 or the n records would not all fit.
int appendVertices(int n, const ModelVertex* records);
int appendTexCoords(int n, const TexCoord* records);
void markModelVertices();

// Row-0 base of the current list (null when none).
ModelVertex* sourceVertexBase();
// Projected vertex i of the current list, or null when i is outside it.
ProjectedVertex* projectedVertexAt(int i);

// Next record of the current list's primitive area, or null when there is no
// list or the record would not fit. size must cover the common part and be a
// multiple of 4 (so the following record stays aligned); others are refused.
Primitive* allocPrimitive(std::int32_t size);
// Creates count 44-byte triangles; stops at the first one allocPrimitive
// refuses. Answers the number created.
int addTriangles(int vertexBase, int texBase, int colourBase, int extraBase, const std::int16_t* vertexList,
                 const std::int16_t* texList, const std::int16_t* colourList, const std::int16_t* extraList,
                 int texture, int count, std::uint32_t flags);
// Packs row 1 into the colour table (stopping at the table's end) and answers
// the table, or null when there is no current list.
Rgb555* convertColours();

}  // namespace vantir
