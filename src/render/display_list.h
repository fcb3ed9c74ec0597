// The display list: one block holding the primitive records, the projected
// vertices and the Rgb555 colour table, plus the six vertex-array rows that
// scenes append their source records to.
#pragma once

#include <cstdint>

#include "math/fixed.h"
#include "render/primitive.h"

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

constexpr std::int32_t DISPLAY_LIST_PRIMITIVE_BYTES = 60000;
constexpr std::int32_t DISPLAY_LIST_VERTEX_COUNT = 1500;
constexpr std::int32_t DISPLAY_LIST_COLOUR_COUNT = 1200;
constexpr std::int32_t DISPLAY_LIST_EXTRA_COUNT = 10;
constexpr int ORDERING_TABLE_SIZE = 4096;
constexpr int VERTEX_ROW_COUNT = 6;

// 4096 bucket heads in the link encoding of primitive.h; empty between frames.
extern std::uint32_t* orderingTable;
extern CallbackSlot* callbackSlots;

// Record at a link (not 0, not a callback slot) of list.
inline Primitive* primitiveAtOffset(DisplayList* list, std::uint32_t offset) {
    return reinterpret_cast<Primitive*>(reinterpret_cast<unsigned char*>(list) + offset);
}
inline std::uint32_t primitiveOffset(const DisplayList* list, const void* record) {
    return static_cast<std::uint32_t>(static_cast<const unsigned char*>(record) -
                                      reinterpret_cast<const unsigned char*>(list));
}

int initDisplayList();
void releaseDisplayList();
// The block, or the all-ones address when it cannot be allocated.
DisplayList* createDisplayList(std::int32_t primitiveBytes, std::int32_t vertexCount, std::int32_t colourCount,
                               std::int32_t extraA, std::int32_t extraB);
int initVertexRows();
int initCallbackSlots();
void setCurrentDisplayList(DisplayList* list);
DisplayList* currentDisplayList();
// The list the frame pass sorts and draws (the current list at start-up).
DisplayList* frameDisplayList();

int bindRow(void* base, int row);
int appendRow(const void* record, int row);
int rowCount(int row);
void markRow(int row);
int bindVertexArray(ModelVertex* base);
int bindColourArray(ColourRecord* base);
int bindTexCoordArray(TexCoord* base);
int appendVertices(int n, const ModelVertex* records);
int appendTexCoords(int n, const TexCoord* records);
void markModelVertices();

ModelVertex* sourceVertexBase();
ProjectedVertex* projectedVertexAt(int i);

Primitive* allocPrimitive(std::int32_t size);
void addTriangles(int vertexBase, int texBase, int colourBase, int extraBase, const std::int16_t* vertexList,
                  const std::int16_t* texList, const std::int16_t* colourList, const std::int16_t* extraList,
                  int texture, int count, std::uint32_t flags);
Rgb555* convertColours();
