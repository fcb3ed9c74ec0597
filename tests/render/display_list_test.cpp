#include "render/display_list.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "platform/headless/headless.h"
#include "util/alloc.h"

namespace {

class DisplayListTest : public ::testing::Test {
protected:
    void SetUp() override {
        headlessClearMessageBoxes();
        ASSERT_EQ(initDisplayList(), 0);
        list = currentDisplayList();
        ASSERT_NE(list, nullptr);
    }
    void TearDown() override {
        failAllocationsAfter(-1);
        releaseDisplayList();
    }
    std::uint32_t used() const { return list->nextFree - list->firstPrimitive; }
    Primitive* record(int i) {
        return primitiveAtOffset(list, list->firstPrimitive + std::uint32_t(i) * TRIANGLE_PRIMITIVE_BYTES);
    }
    DisplayList* list = nullptr;
};

std::vector<std::int16_t> sequence(int n, int start = 0) {
    std::vector<std::int16_t> v(n);
    for (int i = 0; i < n; ++i) v[i] = static_cast<std::int16_t>(start + i);
    return v;
}

TEST_F(DisplayListTest, StartUpLayout) {
    EXPECT_EQ(list->primitiveCount, 0);
    EXPECT_EQ(list->firstPrimitive, sizeof(DisplayList));
    EXPECT_EQ(list->nextFree, list->firstPrimitive);
    EXPECT_EQ(list->primitiveEnd, list->firstPrimitive + 60000);
    EXPECT_EQ(frameDisplayList(), list);
    const auto* block = reinterpret_cast<unsigned char*>(list);
    const std::size_t header = sizeof(DisplayList);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(list->projectedVertices), block + header + 60000);
    EXPECT_EQ(static_cast<unsigned char*>(list->reservedColourRecords), block + header + 60000 + 24000);
    EXPECT_EQ(static_cast<unsigned char*>(list->reservedExtraA), block + header + 60000 + 24000 + 19200);
    EXPECT_EQ(static_cast<unsigned char*>(list->reservedExtraB), block + header + 60000 + 24000 + 19200 + 160);
    EXPECT_EQ(reinterpret_cast<unsigned char*>(list->colourTable), block + header + 103520);
    EXPECT_EQ(list->vertexCount, 1500);
    EXPECT_EQ(list->colourCount, 1200);
    EXPECT_EQ(list->vertexRowBase, nullptr);
    EXPECT_EQ(list->colourRowBase, nullptr);
    EXPECT_EQ(list->texCoordRowBase, nullptr);
    ASSERT_NE(orderingTable, nullptr);
    for (int b = 0; b < ORDERING_TABLE_SIZE; ++b) ASSERT_EQ(orderingTable[b], PRIM_LINK_NONE);
    ASSERT_NE(callbackSlots, nullptr);
    for (int k = 0; k < CALLBACK_SLOT_COUNT; ++k) EXPECT_EQ(callbackSlots[k].function, 0u);
    for (int row = 0; row < VERTEX_ROW_COUNT; ++row) EXPECT_EQ(rowCount(row), 0);
}

TEST_F(DisplayListTest, EightHundredTrianglesTake35200Bytes) {
    const auto vertices = sequence(2400);
    const auto texCoords = sequence(2400, 5);
    EXPECT_EQ(addTriangles(0, 0, 0, 0, vertices.data(), texCoords.data(), nullptr, nullptr, 0, 800, 0), 800);
    EXPECT_EQ(list->primitiveCount, 800);
    EXPECT_EQ(used(), 35200u);
    for (int i = 0; i < 800; ++i) {
        const Primitive* r = record(i);
        ASSERT_EQ(r->codeWord, PRIM_TEX_TRI);
        ASSERT_EQ(r->size, 44);
        ASSERT_EQ(r->link, PRIM_LINK_NONE);
        ASSERT_EQ(r->depth, 0);
        ASSERT_EQ(r->bias, 0);
        for (int j = 0; j < 3; ++j) {
            ASSERT_EQ(r->s[1 + j], 3 * i + j);
            ASSERT_EQ(r->s[7 + j], 3 * i + j + 5);
        }
    }
}

TEST_F(DisplayListTest, PrimitiveAreaRefusesWhatDoesNotFit) {
    const auto vertices = sequence(3 * 2000);
    // 60000 / 44: 1363 triangles fit, with 28 bytes to spare.
    EXPECT_EQ(addTriangles(0, 0, 0, 0, vertices.data(), nullptr, nullptr, nullptr, 0, 2000, 0), 1363);
    EXPECT_EQ(list->primitiveCount, 1363);
    EXPECT_EQ(used(), 59972u);
    EXPECT_EQ(allocPrimitive(44), nullptr);
    EXPECT_EQ(list->primitiveCount, 1363);
    Primitive* last = allocPrimitive(28);
    EXPECT_EQ(primitiveOffset(list, last), list->firstPrimitive + 59972);
    EXPECT_EQ(list->nextFree, list->primitiveEnd);
    EXPECT_EQ(allocPrimitive(16), nullptr);
    // The projected vertices right behind the area were never touched.
    const ProjectedVertex zero{};
    EXPECT_EQ(std::memcmp(&list->projectedVertices[0], &zero, sizeof zero), 0);
}

TEST_F(DisplayListTest, AllocPrimitiveRefusesMalformedSizes) {
    for (std::int32_t size : {-44, 0, 8, 15, 18, 45}) {
        EXPECT_EQ(allocPrimitive(size), nullptr) << size;
    }
    EXPECT_EQ(list->primitiveCount, 0);
    EXPECT_EQ(used(), 0u);
    EXPECT_NE(allocPrimitive(PRIMITIVE_HEADER_BYTES), nullptr);
    setCurrentDisplayList(nullptr);
    EXPECT_EQ(allocPrimitive(44), nullptr);
}

struct FlagsCase {
    std::uint32_t flags;
    int texture;
    std::uint32_t code;
    int colours;  // colour fields written (and colour list entries consumed) per triangle
};

TEST_F(DisplayListTest, FlagsTable) {
    const FlagsCase cases[] = {
        {0x00, -1, 3, 1},  {0x10, -1, 19, 1}, {0x30, -1, 51, 1}, {0x40, -1, 67, 3}, {0x50, -1, 83, 3},
        {0x00, 5, 11, 0},  {0x10, 5, 27, 0},  {0x30, 5, 59, 0},  {0x40, 5, 75, 0},  {0x50, 5, 91, 0},
    };
    const std::int16_t vertices[] = {0, 1, 2, 3, 4, 5};
    const std::int16_t texCoords[] = {20, 21, 22, 23, 24, 25};
    const std::int16_t colourList[] = {10, 11, 12, 13, 14, 15};
    const std::int16_t extras[] = {30, 31, 32, 33, 34, 35};
    for (const FlagsCase& c : cases) {
        for (std::uint32_t backface : {0u, PRIM_BACKFACE}) {
            SCOPED_TRACE(testing::Message() << "flags " << (c.flags | backface) << " texture " << c.texture);
            releaseDisplayList();
            ASSERT_EQ(initDisplayList(), 0);
            list = currentDisplayList();
            ASSERT_EQ(addTriangles(1000, 200, 100, 2, vertices, texCoords, colourList, extras, c.texture, 2,
                                   c.flags | backface),
                      2);
            for (int t = 0; t < 2; ++t) {
                const Primitive* r = record(t);
                EXPECT_EQ(r->codeWord & PRIM_CODE_MASK, c.code);
                EXPECT_EQ(r->codeWord, c.flags | backface | c.code);
                EXPECT_EQ(r->s[0], c.texture == -1 ? 0 : c.texture);
                for (int k = 0; k < 3; ++k) {
                    const int colour = k < c.colours ? 100 + colourList[t * c.colours + k] : 0;
                    EXPECT_EQ(r->s[4 + k], colour) << "triangle " << t << " colour " << k;
                    EXPECT_EQ(r->s[1 + k], 1000 + vertices[3 * t + k]);
                    EXPECT_EQ(r->s[7 + k], 200 + texCoords[3 * t + k]);
                    EXPECT_EQ(r->s[10 + k], 2 + extras[3 * t + k]);
                }
            }
        }
    }
}

TEST_F(DisplayListTest, MissingListsLeaveTheirFieldsZero) {
    const std::int16_t vertices[] = {0, 1, 2, 3, 4, 5};
    ASSERT_EQ(addTriangles(7, 7, 7, 7, vertices, nullptr, nullptr, nullptr, -1, 2, 0x40), 2);
    for (int t = 0; t < 2; ++t) {
        const Primitive* r = record(t);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(r->s[4 + k], 0);
            EXPECT_EQ(r->s[7 + k], 0);
            EXPECT_EQ(r->s[10 + k], 0);
            EXPECT_EQ(r->s[1 + k], 7 + vertices[3 * t + k]);
        }
    }
}

TEST_F(DisplayListTest, IndexSumsAndTextureWrapToSixteenBits) {
    const std::int16_t vertices[] = {1, 2, -1};
    ASSERT_EQ(addTriangles(32767, 0, 0, 0, vertices, nullptr, nullptr, nullptr, 0x12345, 1, 0), 1);
    const Primitive* r = record(0);
    EXPECT_EQ(r->s[0], 0x2345);
    EXPECT_EQ(r->s[1], -32768);
    EXPECT_EQ(r->s[2], -32767);
    EXPECT_EQ(r->s[3], 32766);
}

TEST_F(DisplayListTest, RowsAppendWithinTheirCapacity) {
    ModelVertex vertices[4] = {};
    const ModelVertex input[3] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}};
    ASSERT_EQ(bindVertexArray(vertices, 4), 0);
    EXPECT_EQ(rowCapacity(0), 4);
    EXPECT_EQ(list->vertexRowBase, vertices);
    EXPECT_EQ(sourceVertexBase(), vertices);
    EXPECT_EQ(appendVertices(1, input), 0);  // the count before the call
    EXPECT_EQ(appendVertices(3, input), 1);
    EXPECT_EQ(rowCount(0), 4);
    EXPECT_EQ(vertices[3].x, 9);
    EXPECT_EQ(vertices[3].w, 12);
    // Full row, n < 1, and rows outside 0..5 change nothing.
    EXPECT_EQ(appendVertices(1, input), -1);
    EXPECT_EQ(appendRow(&input[0], 0), -1);
    EXPECT_EQ(appendVertices(0, input), -1);
    EXPECT_EQ(appendRow(&input[0], 6), -1);
    EXPECT_EQ(appendRow(&input[0], -1), -1);
    EXPECT_EQ(bindRow(vertices, 6), -1);
    EXPECT_EQ(rowCount(6), -1);
    EXPECT_EQ(rowCount(0), 4);
    // An unbound row refuses; a row of unknown capacity cannot be checked.
    EXPECT_EQ(appendRow(&input[0], 4), -1);
    ModelVertex wide[8] = {};
    ASSERT_EQ(bindRow(wide, 5), 0);
    EXPECT_EQ(rowCapacity(5), ROW_CAPACITY_UNKNOWN);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(appendRow(&input[i % 3], 5), i);
    markRow(5);
    EXPECT_EQ(vertexRows[5].mark, 8);
    // A batch that would not fit appends nothing at all.
    ModelVertex two[2] = {};
    ASSERT_EQ(bindVertexArray(two, 2), 0);
    EXPECT_EQ(appendVertices(3, input), -1);
    EXPECT_EQ(rowCount(0), 0);
    markModelVertices();
    EXPECT_EQ(vertexRows[0].mark, 0);
}

TEST_F(DisplayListTest, ColourAndTexCoordRows) {
    ColourRecord colours[3] = {};
    TexCoord texCoords[2] = {};
    ASSERT_EQ(bindColourArray(colours, 3), 0);
    ASSERT_EQ(bindTexCoordArray(texCoords, 2), 0);
    EXPECT_EQ(list->colourRowBase, colours);
    EXPECT_EQ(list->texCoordRowBase, texCoords);
    const TexCoord uv[2] = {{256, 128, 0, 0}, {0, 256, 0, 0}};
    EXPECT_EQ(appendTexCoords(2, uv), 0);
    EXPECT_EQ(texCoords[1].v, 256);
    EXPECT_EQ(appendTexCoords(1, uv), -1);
}

TEST_F(DisplayListTest, ConvertColours) {
    ColourRecord colours[DISPLAY_LIST_COLOUR_COUNT] = {};
    ASSERT_EQ(bindColourArray(colours, DISPLAY_LIST_COLOUR_COUNT), 0);
    EXPECT_EQ(convertColours(), list->colourTable);
    for (int i = 0; i < DISPLAY_LIST_COLOUR_COUNT; ++i) ASSERT_EQ(list->colourTable[i], 0);
    const ColourRecord input[] = {{255, 128, 7, 0}, {255, 255, 255, 0}, {8, 0, 0, 0}};
    for (const ColourRecord& c : input) appendRow(&c, 1);
    list->colourTable[3] = 0x1234;  // past the count: kept
    convertColours();
    EXPECT_EQ(list->colourTable[0], 0x7e00);
    EXPECT_EQ(list->colourTable[1], 0x7fff);
    EXPECT_EQ(list->colourTable[2], 0x0400);
    EXPECT_EQ(list->colourTable[3], 0x1234);
}

TEST_F(DisplayListTest, ConvertColoursStopsAtTheTableEnd) {
    DisplayList* small = createDisplayList(44, 4, 2, 0, 0);
    ASSERT_FALSE(isAllOnesAddress(small));
    setCurrentDisplayList(small);
    ColourRecord colours[5] = {{255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}, {1, 1, 1, 0}, {2, 2, 2, 0}};
    ASSERT_EQ(bindColourArray(colours), 0);  // capacity unknown: the row accepts all five
    for (const ColourRecord& c : colours) appendRow(&c, 1);
    EXPECT_EQ(convertColours(), small->colourTable);
    EXPECT_EQ(small->colourTable[0], 0x7c00);
    EXPECT_EQ(small->colourTable[1], 0x03e0);
    setCurrentDisplayList(list);
    checkedFree(small);
}

TEST_F(DisplayListTest, ProjectedVertexLookup) {
    EXPECT_EQ(projectedVertexAt(0), list->projectedVertices);
    EXPECT_EQ(projectedVertexAt(1499), list->projectedVertices + 1499);
    EXPECT_EQ(projectedVertexAt(1500), nullptr);
    EXPECT_EQ(projectedVertexAt(-1), nullptr);
}

TEST_F(DisplayListTest, BadSizesGiveTheAllOnesAddress) {
    for (auto sizes : {std::array<std::int32_t, 5>{-1, 0, 0, 0, 0}, {0, -1, 0, 0, 0}, {0, 0, 0, 0, -5},
                       {INT32_MAX, 1500, 0, 0, 0}, {0, INT32_MAX, INT32_MAX, 0, 0}}) {
        headlessClearMessageBoxes();
        DisplayList* bad = createDisplayList(sizes[0], sizes[1], sizes[2], sizes[3], sizes[4]);
        EXPECT_TRUE(isAllOnesAddress(bad));
        EXPECT_EQ(headlessMessageBoxes().size(), 1u);
    }
}

TEST(DisplayListStartUp, EachFailedAllocationHasItsOwnResult) {
    // Rows, ordering table, list, callback slots: the allocations in order.
    const int expected[] = {-1, -1, -2, -3};
    releaseDisplayList();
    for (int successes = 0; successes < 4; ++successes) {
        headlessClearMessageBoxes();
        failAllocationsAfter(successes);
        EXPECT_EQ(initDisplayList(), expected[successes]) << successes;
        failAllocationsAfter(-1);
        EXPECT_EQ(headlessMessageBoxes().size(), 1u);
        EXPECT_EQ(currentDisplayList() != nullptr, successes >= 3);
        releaseDisplayList();  // frees the partial start-up
        EXPECT_EQ(currentDisplayList(), nullptr);
        EXPECT_EQ(orderingTable, nullptr);
    }
    releaseDisplayList();  // twice is harmless
}

TEST(DisplayListNoList, OperationsRefuseWithoutACurrentList) {
    releaseDisplayList();
    setCurrentDisplayList(allOnesAddress<DisplayList>());
    EXPECT_EQ(currentDisplayList(), nullptr);
    EXPECT_EQ(allocPrimitive(44), nullptr);
    EXPECT_EQ(convertColours(), nullptr);
    EXPECT_EQ(sourceVertexBase(), nullptr);
    EXPECT_EQ(projectedVertexAt(0), nullptr);
    const std::int16_t vertices[] = {0, 1, 2};
    EXPECT_EQ(addTriangles(0, 0, 0, 0, vertices, nullptr, nullptr, nullptr, 0, 1, 0), 0);
    // Without row descriptors every row operation refuses.
    EXPECT_EQ(bindRow(nullptr, 0), -1);
    EXPECT_EQ(appendVertices(1, nullptr), -1);
    EXPECT_EQ(rowCount(0), -1);
}

void callbackA(std::int32_t) {}
void callbackB(std::int32_t) {}

TEST(PrimitiveCallbacks, HandlesNameRegisteredFunctions) {
    const std::int32_t a = registerPrimitiveCallback(callbackA);
    const std::int32_t b = registerPrimitiveCallback(callbackB);
    ASSERT_GE(a, 1);
    ASSERT_LE(b, PRIM_CALLBACK_CAPACITY);
    EXPECT_NE(a, b);
    EXPECT_EQ(registerPrimitiveCallback(callbackA), a);
    EXPECT_EQ(primitiveCallback(std::uint32_t(a)), &callbackA);
    EXPECT_EQ(primitiveCallback(std::uint32_t(b)), &callbackB);
    EXPECT_EQ(primitiveCallback(0), nullptr);
    EXPECT_EQ(primitiveCallback(PRIM_CALLBACK_CAPACITY + 1), nullptr);
    EXPECT_EQ(registerPrimitiveCallback(nullptr), -1);
}

}  // namespace
