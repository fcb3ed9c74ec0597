#include "render/display_list.h"

#include <cstring>

#include "render/ordering.h"
#include "util/alloc.h"

namespace vantir {

std::uint32_t* orderingTable = nullptr;
CallbackSlot* callbackSlots = nullptr;
VertexRow* vertexRows = nullptr;

static_assert(sizeof(Primitive) == TRIANGLE_PRIMITIVE_BYTES && offsetof(Primitive, s) == PRIMITIVE_HEADER_BYTES);

namespace {
DisplayList* ownedList = nullptr;  // made by initDisplayList, freed by releaseDisplayList
DisplayList* currentList = nullptr;
DisplayList* frameList = nullptr;

bool usable(const DisplayList* list) { return list && !isAllOnesAddress(list); }

VertexRow* rowAt(int row) {
    if (!vertexRows || row < 0 || row >= VERTEX_ROW_COUNT) return nullptr;
    return &vertexRows[row];
}

// Room for n more records in a row (always, when its capacity is unknown).
bool rowHasRoom(int row, std::int64_t n) {
    const std::int32_t capacity = vertexRows[row].capacity;
    return capacity == ROW_CAPACITY_UNKNOWN || std::int64_t{vertexRows[row].count} + n <= capacity;
}

// Appends n consecutive 16-byte records to a row, all or none.
int appendRecords(int row, int n, const void* records) {
    VertexRow* r = rowAt(row);
    if (n < 1 || !r || !r->base || !rowHasRoom(row, n)) return -1;
    const int first = r->count;
    const auto* bytes = static_cast<const unsigned char*>(records);
    for (int i = 0; i < n; ++i) appendRow(bytes + std::size_t(i) * ROW_RECORD_BYTES, row);
    return first;
}
}  // namespace

DisplayList* createDisplayList(std::int32_t primitiveBytes, std::int32_t vertexCount, std::int32_t colourCount,
                               std::int32_t extraA, std::int32_t extraB) {
    // Sizes in 64 bits so that no count can wrap the total; a request that
    // does not fit a 32-bit byte count is refused as the allocator refuses a
    // negative one.
    const std::int64_t primitiveArea = (std::int64_t{primitiveBytes} + 3) & ~std::int64_t{3};
    const std::int64_t header = sizeof(DisplayList);
    const std::int64_t verticesAt = header + primitiveArea;
    const std::int64_t colourRecordsAt = verticesAt + std::int64_t{vertexCount} * ROW_RECORD_BYTES;
    const std::int64_t extraAAt = colourRecordsAt + std::int64_t{colourCount} * ROW_RECORD_BYTES;
    const std::int64_t extraBAt = extraAAt + std::int64_t{extraA} * ROW_RECORD_BYTES;
    const std::int64_t colourTableAt = extraBAt + std::int64_t{extraB} * ROW_RECORD_BYTES;
    const std::int64_t total = colourTableAt + std::int64_t{colourCount} * sizeof(Rgb555);
    const bool valid = primitiveBytes >= 0 && vertexCount >= 0 && colourCount >= 0 && extraA >= 0 && extraB >= 0 &&
                       total <= INT32_MAX;

    auto* block = static_cast<unsigned char*>(checkedAlloc(valid ? static_cast<std::int32_t>(total) : -1));
    if (!block) return allOnesAddress<DisplayList>();
    auto* list = reinterpret_cast<DisplayList*>(block);
    list->primitiveCount = 0;
    list->firstPrimitive = static_cast<std::uint32_t>(header);
    list->nextFree = static_cast<std::uint32_t>(header);
    list->primitiveEnd = static_cast<std::uint32_t>(header + primitiveBytes);
    list->projectedVertices = reinterpret_cast<ProjectedVertex*>(block + verticesAt);
    list->vertexCount = vertexCount;
    list->reservedColourRecords = block + colourRecordsAt;
    list->reservedExtraA = block + extraAAt;
    list->reservedExtraB = block + extraBAt;
    list->colourTable = reinterpret_cast<Rgb555*>(block + colourTableAt);
    list->colourCount = colourCount;
    return list;
}

int initVertexRows() {
    vertexRows = static_cast<VertexRow*>(checkedAlloc(VERTEX_ROW_COUNT * sizeof(VertexRow)));
    if (!vertexRows) return -1;
    for (int row = 0; row < VERTEX_ROW_COUNT; ++row) vertexRows[row].capacity = ROW_CAPACITY_UNKNOWN;
    return 0;
}

int initCallbackSlots() {
    callbackSlots = static_cast<CallbackSlot*>(checkedAlloc(CALLBACK_SLOT_COUNT * sizeof(CallbackSlot)));
    if (!callbackSlots) return -1;
    for (int i = 0; i < CALLBACK_SLOT_COUNT; ++i) callbackSlots[i].function = 0;
    return 0;
}

int setCallbackSlot(int slot, PrimitiveCallback fn, std::int32_t depth) {
    if (!callbackSlots || slot < 0 || slot >= CALLBACK_SLOT_COUNT) return -1;
    CallbackSlot& s = callbackSlots[slot];
    if (!fn) {
        s.function = 0;
        return 0;
    }
    if (depth < 0 || depth >= ORDERING_TABLE_SIZE) return -1;
    const std::int32_t handle = registerPrimitiveCallback(fn);
    if (handle < 0) return -1;
    s.codeWord = PRIM_CALLBACK;
    s.size = sizeof(CallbackSlot);
    s.link = PRIM_LINK_NONE;
    s.depth = static_cast<std::int16_t>(depth);
    s.bias = 0;
    s.function = static_cast<std::uint32_t>(handle);
    return 0;
}

int initDisplayList() {
    setSpriteTable(nullptr, 0);  // a table from an earlier run is not this scene's
    // Without row descriptors no scene can be built, so start-up stops here
    // too rather than going on to an empty picture.
    if (initVertexRows() < 0) return -1;
    orderingTable = static_cast<std::uint32_t*>(checkedAlloc(ORDERING_TABLE_SIZE * sizeof(std::uint32_t)));
    if (!orderingTable) return -1;
    DisplayList* list = createDisplayList(DISPLAY_LIST_PRIMITIVE_BYTES, DISPLAY_LIST_VERTEX_COUNT,
                                          DISPLAY_LIST_COLOUR_COUNT, DISPLAY_LIST_EXTRA_COUNT,
                                          DISPLAY_LIST_EXTRA_COUNT);
    if (isAllOnesAddress(list)) return -2;
    ownedList = list;
    setCurrentDisplayList(list);
    setFrameDisplayList(list);
    if (initCallbackSlots() < 0) return -3;
    return 0;
}

void releaseDisplayList() {
    setSpriteTable(nullptr, 0);  // the sprites' table belongs to the scene released with the list
    checkedFree(callbackSlots);
    callbackSlots = nullptr;
    if (currentList == ownedList) currentList = nullptr;
    if (frameList == ownedList) frameList = nullptr;
    checkedFree(ownedList);
    ownedList = nullptr;
    checkedFree(orderingTable);
    orderingTable = nullptr;
    checkedFree(vertexRows);
    vertexRows = nullptr;
}

void setCurrentDisplayList(DisplayList* list) { currentList = usable(list) ? list : nullptr; }
DisplayList* currentDisplayList() { return currentList; }
void setFrameDisplayList(DisplayList* list) { frameList = usable(list) ? list : nullptr; }
DisplayList* frameDisplayList() { return frameList; }

int bindRow(void* base, int row, std::int32_t capacity) {
    VertexRow* r = rowAt(row);
    if (!r) return -1;
    r->count = 0;
    r->base = static_cast<unsigned char*>(base);
    r->mark = 0;
    r->capacity = capacity < 0 ? ROW_CAPACITY_UNKNOWN : capacity;
    return 0;
}

int appendRow(const void* record, int row) {
    VertexRow* r = rowAt(row);
    if (!r || !r->base || !rowHasRoom(row, 1)) return -1;
    std::memcpy(r->base + std::size_t(r->count) * ROW_RECORD_BYTES, record, ROW_RECORD_BYTES);
    return r->count++;
}

int rowCount(int row) {
    const VertexRow* r = rowAt(row);
    return r ? r->count : -1;
}

std::int32_t rowCapacity(int row) {
    const VertexRow* r = rowAt(row);
    return r ? r->capacity : ROW_CAPACITY_UNKNOWN;
}

void markRow(int row) {
    if (VertexRow* r = rowAt(row)) r->mark = r->count;
}

int bindVertexArray(ModelVertex* base, std::int32_t capacity) {
    if (currentList) currentList->vertexRowBase = base;
    return bindRow(base, 0, capacity);
}

int bindColourArray(ColourRecord* base, std::int32_t capacity) {
    if (currentList) currentList->colourRowBase = base;
    return bindRow(base, 1, capacity);
}

int bindTexCoordArray(TexCoord* base, std::int32_t capacity) {
    if (currentList) currentList->texCoordRowBase = base;
    return bindRow(base, 2, capacity);
}

int appendVertices(int n, const ModelVertex* records) { return appendRecords(0, n, records); }
int appendTexCoords(int n, const TexCoord* records) { return appendRecords(2, n, records); }
void markModelVertices() { markRow(0); }

ModelVertex* sourceVertexBase() { return currentList ? currentList->vertexRowBase : nullptr; }

ProjectedVertex* projectedVertexAt(int i) {
    if (!currentList || i < 0 || i >= currentList->vertexCount) return nullptr;
    return currentList->projectedVertices + i;
}

Primitive* allocPrimitive(std::int32_t size) {
    DisplayList* list = currentList;
    if (!list || size < PRIMITIVE_HEADER_BYTES || size % 4 != 0) return nullptr;
    if (std::int64_t{list->nextFree} + size > list->primitiveEnd) return nullptr;
    Primitive* record = primitiveAtOffset(list, list->nextFree);
    list->nextFree += static_cast<std::uint32_t>(size);
    ++list->primitiveCount;
    return record;
}

int addTriangles(int vertexBase, int texBase, int colourBase, int extraBase, const std::int16_t* vertexList,
                 const std::int16_t* texList, const std::int16_t* colourList, const std::int16_t* extraList,
                 int texture, int count, std::uint32_t flags) {
    // Index sums are stored as 16-bit fields and wrap there.
    auto index16 = [](int base, std::int16_t entry) { return static_cast<std::int16_t>(base + entry); };
    int made = 0;
    for (; vertexList && made < count; ++made) {
        Primitive* r = allocPrimitive(TRIANGLE_PRIMITIVE_BYTES);
        if (!r) break;
        r->codeWord = flags | 3;
        r->link = PRIM_LINK_NONE;
        r->size = TRIANGLE_PRIMITIVE_BYTES;
        if (texture != -1) {
            r->s[0] = static_cast<std::int16_t>(texture);
            r->codeWord = flags | 3 | 8;
        } else {
            // Shaded codes (bit 0x40) carry one colour per vertex, flat ones one.
            const int colours = (flags & 0x40) ? 3 : 1;
            for (int k = 0; k < colours; ++k) r->s[4 + k] = colourList ? index16(colourBase, *colourList++) : 0;
        }
        for (int j = 0; j < 3; ++j) {
            r->s[1 + j] = index16(vertexBase, vertexList[j]);
            if (texList) r->s[7 + j] = index16(texBase, texList[j]);
            if (extraList) r->s[10 + j] = index16(extraBase, extraList[j]);
        }
        vertexList += 3;
        if (texList) texList += 3;
        if (extraList) extraList += 3;
    }
    return made;
}

Rgb555* convertColours() {
    DisplayList* list = currentList;
    if (!list) return nullptr;
    const VertexRow* colours = rowAt(1);
    // The count is read again for every entry; the table's end bounds it too.
    for (int i = 0; colours && colours->base && i < colours->count && i < list->colourCount; ++i) {
        ColourRecord c;
        std::memcpy(&c, colours->base + std::size_t(i) * ROW_RECORD_BYTES, sizeof c);
        list->colourTable[i] = packRgb555(c.red, c.green, c.blue);
    }
    return list->colourTable;
}

}  // namespace vantir
