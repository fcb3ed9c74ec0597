#include "render/display_list.h"

#include <gtest/gtest.h>

#include <array>

#include "platform/headless/headless.h"
#include "util/alloc.h"

using namespace vantir;

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
    Primitive* record(int i) {
        return primitiveAtOffset(list, list->firstPrimitive + std::uint32_t(i) * TRIANGLE_PRIMITIVE_BYTES);
    }
    DisplayList* list = nullptr;
};

// Flags choose the code (textured when a texture is given) and how many
// colour fields each triangle takes; indices are offset by the bases (vertices
// 1000, texture coordinates 200, colours 100, extras 2), missing lists leave
// their fields zero, and sums wrap to 16 bits.
TEST_F(DisplayListTest, FlagsChooseTheCodeAndTheFieldsWritten) {
    // s0 texture, s1-s3 vertices, s4-s6 colours, s7-s9 texture coordinates, s10-s12 extras, s13 unused
    using Fields = std::array<std::int16_t, 14>;
    const Fields flat[] = {{0, 1000, 1001, 1002, 110, 0, 0, 220, 221, 222, 32, 33, 34},
                           {0, 1003, 1004, 1005, 111, 0, 0, 223, 224, 225, 35, 36, 37}};
    const Fields shaded[] = {{0, 1000, 1001, 1002, 110, 111, 112, 220, 221, 222, 32, 33, 34},
                             {0, 1003, 1004, 1005, 113, 114, 115, 223, 224, 225, 35, 36, 37}};
    const Fields textured[] = {{5, 1000, 1001, 1002, 0, 0, 0, 220, 221, 222, 32, 33, 34},
                               {5, 1003, 1004, 1005, 0, 0, 0, 223, 224, 225, 35, 36, 37}};
    struct Case { std::uint32_t flags; int texture; std::uint32_t code; const Fields* triangles; };
    const Case cases[] = {{0x00, -1, 3, flat},        {0x10, -1, 19, flat},       {0x230, -1, 0x233, flat},
                          {0x40, -1, 67, shaded},     {0x250, -1, 0x253, shaded}, {0x00, 5, 11, textured},
                          {0x210, 5, 0x21b, textured}, {0x30, 5, 59, textured},    {0x40, 5, 75, textured},
                          {0x50, 5, 91, textured}};
    const std::int16_t vertices[] = {0, 1, 2, 3, 4, 5}, texCoords[] = {20, 21, 22, 23, 24, 25},
                       colourList[] = {10, 11, 12, 13, 14, 15}, extras[] = {30, 31, 32, 33, 34, 35};
    for (int row = 0; row < static_cast<int>(std::size(cases)); ++row) {
        const Case& c = cases[row];
        ASSERT_EQ(addTriangles(1000, 200, 100, 2, vertices, texCoords, colourList, extras, c.texture, 2, c.flags), 2);
        for (int t = 0; t < 2; ++t)
            EXPECT_EQ(std::pair(record(2 * row + t)->codeWord, std::to_array(record(2 * row + t)->s)),
                      std::pair(c.code, c.triangles[t])) << "row " << row << ", triangle " << t;
    }
    const std::int16_t wrapping[] = {1, 2, -1};
    ASSERT_EQ(addTriangles(32767, 7, 7, 7, wrapping, nullptr, nullptr, nullptr, 0x12345, 1, 0x40), 1);
    EXPECT_EQ(std::to_array(record(20)->s), (Fields{0x2345, -32768, -32767, 32766}));  // after the cases' 20
}

// Rows append within their capacity; a batch that does not fit appends
// nothing; rows outside 0..5, unbound rows and empty batches refuse.
TEST_F(DisplayListTest, RowsAppendWithinTheirCapacity) {
    ModelVertex vertices[4] = {};
    const ModelVertex input[3] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}};
    ASSERT_EQ(bindVertexArray(vertices, 4), 0);
    EXPECT_EQ(sourceVertexBase(), vertices);
    EXPECT_EQ(appendVertices(1, input), 0);  // the count before the call
    EXPECT_EQ(appendVertices(3, input), 1);
    EXPECT_EQ((std::array{vertices[3].x, vertices[3].w}), (std::array{9, 12}));  // input[2]
    EXPECT_EQ(appendVertices(1, input), -1);
    EXPECT_EQ(appendVertices(0, input), -1);
    for (int row : {0, 6, -1, 4}) EXPECT_EQ(appendRow(&input[0], row), -1) << row;
    EXPECT_EQ(bindRow(vertices, 6), -1);
    EXPECT_EQ((std::array{rowCount(6), rowCount(0)}), (std::array{-1, 4}));
    ModelVertex wide[8] = {};
    ASSERT_EQ(bindRow(wide, 5), 0);
    EXPECT_EQ(rowCapacity(5), ROW_CAPACITY_UNKNOWN);  // cannot be checked: takes all
    for (int i = 0; i < 8; ++i) EXPECT_EQ(appendRow(&input[i % 3], 5), i);
    markRow(5);
    EXPECT_EQ(vertexRows[5].mark, 8);
    ModelVertex two[2] = {};
    ASSERT_EQ(bindVertexArray(two, 2), 0);
    EXPECT_EQ(appendVertices(3, input), -1);
    EXPECT_EQ(rowCount(0), 0);
    TexCoord texCoords[2] = {};
    ASSERT_EQ(bindTexCoordArray(texCoords, 2), 0);
    const TexCoord uv[2] = {{256, 128, 0, 0}, {0, 256, 0, 0}};
    EXPECT_EQ(appendTexCoords(2, uv), 0);
    EXPECT_EQ(texCoords[1].v, 256);
    EXPECT_EQ(appendTexCoords(1, uv), -1);
    EXPECT_EQ(projectedVertexAt(1499), list->projectedVertices + 1499);
    EXPECT_EQ(projectedVertexAt(1500), nullptr);
    EXPECT_EQ(projectedVertexAt(-1), nullptr);
}

// Bad sizes give the all-ones address with one message; each failed
// allocation of the start-up has its own result, and everything refuses
// without a current list.
TEST(DisplayListStartUp, FailuresAndNoList) {
    releaseDisplayList();
    for (auto sizes : {std::array<std::int32_t, 5>{-1, 0, 0, 0, 0}, {0, -1, 0, 0, 0}, {0, 0, 0, 0, -5},
                       {INT32_MAX, 1500, 0, 0, 0}, {0, INT32_MAX, INT32_MAX, 0, 0}}) {
        SCOPED_TRACE(testing::PrintToString(sizes));
        headlessClearMessageBoxes();
        EXPECT_TRUE(isAllOnesAddress(createDisplayList(sizes[0], sizes[1], sizes[2], sizes[3], sizes[4])));
        EXPECT_EQ(headlessMessageBoxes().size(), 1u);
    }
    const int expected[] = {-1, -1, -2, -3};  // rows, ordering table, list, callback slots
    for (int successes = 0; successes < 4; ++successes) {
        SCOPED_TRACE(testing::Message() << "after " << successes << " allocations");
        headlessClearMessageBoxes();
        failAllocationsAfter(successes);
        EXPECT_EQ(initDisplayList(), expected[successes]);
        failAllocationsAfter(-1);
        EXPECT_EQ(headlessMessageBoxes().size(), 1u);
        releaseDisplayList();  // frees the partial start-up
        EXPECT_EQ(orderingTable, nullptr);
        EXPECT_EQ(currentDisplayList(), nullptr);
    }
    setCurrentDisplayList(allOnesAddress<DisplayList>());
    EXPECT_EQ(currentDisplayList(), nullptr);
    EXPECT_EQ(allocPrimitive(44), nullptr);
    EXPECT_EQ(convertColours(), nullptr);
    EXPECT_EQ(projectedVertexAt(0), nullptr);
    const std::int16_t vertices[] = {0, 1, 2};
    EXPECT_EQ(addTriangles(0, 0, 0, 0, vertices, nullptr, nullptr, nullptr, 0, 1, 0), 0);
    EXPECT_EQ(bindRow(nullptr, 0), -1);
    EXPECT_EQ(rowCount(0), -1);
}

}  // namespace
