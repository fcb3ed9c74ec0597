#include "render/ordering.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>
#include <vector>

#include "raster/raster_fixture.h"
#include "render/raster/flat.h"
#include "render/raster/shaded.h"
#include "render/raster/textured.h"
#include "util/alloc.h"
#include "util/code_path.h"

namespace {

constexpr int VERTICES = 48;
constexpr int COLOURS = 16;
constexpr int TEX_COORDS = 16;

// A small display list of the tests' own, with its own ordering table,
// callback slots and rows, all restored afterwards.
class Ordering : public ::testing::Test {
protected:
    void SetUp() override {
        savedTable_ = orderingTable;
        savedSlots_ = callbackSlots;
        savedRows_ = vertexRows;
        savedCurrent_ = currentDisplayList();
        orderingTable = table_.data();
        callbackSlots = slots_;
        savedCapacities_[0] = rowCapacity(1);
        savedCapacities_[1] = rowCapacity(2);
        vertexRows = rows_;
        list_ = createDisplayList(4000, VERTICES, COLOURS, 0, 0);
        ASSERT_FALSE(isAllOnesAddress(list_));
        setCurrentDisplayList(list_);
        bindColourArray(colourRecords_, COLOURS);
        bindTexCoordArray(texCoords_, TEX_COORDS);
        for (int i = 0; i < COLOURS; ++i) list_->colourTable[i] = static_cast<Rgb555>(0x0400 * (i % 31) + 1);
        for (int i = 0; i < COLOURS; ++i) colourRecords_[i] = {i * 16, 255 - i * 16, 128, 0};
        for (int i = 0; i < TEX_COORDS; ++i) texCoords_[i] = {i * 37 - 200, i * 91 - 300, 0, 0};
        textures_.install(0, 3, 3, [](int c, int r) { return static_cast<Rgb555>(0x1000 + r * 8 + c); });
        textures_.install(1, 8, 1, [](int c, int r) { return static_cast<Rgb555>(c * 64 + r); });
    }
    void TearDown() override {
        setSpriteTable(nullptr, 0);
        setCurrentDisplayList(savedCurrent_);
        checkedFree(list_);
        orderingTable = savedTable_;
        callbackSlots = savedSlots_;
        // Row capacities live beside the descriptors: give back the old ones.
        bindRow(nullptr, 1, savedCapacities_[0]);
        bindRow(nullptr, 2, savedCapacities_[1]);
        vertexRows = savedRows_;
    }

    void resetList() {
        list_->primitiveCount = 0;
        list_->nextFree = list_->firstPrimitive;
        std::memset(reinterpret_cast<unsigned char*>(list_) + list_->firstPrimitive, 0,
                    list_->primitiveEnd - list_->firstPrimitive);
    }
    ProjectedVertex& vertex(int i) { return list_->projectedVertices[i]; }
    // A 44-byte record with the given code word and fields s0, s1, ...
    Primitive* add(std::uint32_t codeWord, std::initializer_list<int> fields, std::int32_t size = 44) {
        Primitive* r = allocPrimitive(size);
        EXPECT_NE(r, nullptr);
        if (!r) return nullptr;
        r->codeWord = codeWord;
        r->size = size;
        int k = 0;
        for (int f : fields) r->s[k++] = static_cast<std::int16_t>(f);
        return r;
    }
    std::uint32_t offsetOf(const Primitive* r) const { return primitiveOffset(list_, r); }
    bool tableEmpty() const {
        for (std::uint32_t head : table_)
            if (head != PRIM_LINK_NONE) return false;
        return true;
    }
    void sortAndDraw() {
        sortPrimitives(list_);
        dispatchPrimitives(list_);
    }

    DisplayList* list_ = nullptr;
    std::vector<std::uint32_t> table_ = std::vector<std::uint32_t>(ORDERING_TABLE_SIZE, 0);
    CallbackSlot slots_[CALLBACK_SLOT_COUNT] = {};
    VertexRow rows_[VERTEX_ROW_COUNT] = {};
    ColourRecord colourRecords_[COLOURS] = {};
    TexCoord texCoords_[TEX_COORDS] = {};
    TestTextures textures_;

private:
    std::uint32_t* savedTable_ = nullptr;
    CallbackSlot* savedSlots_ = nullptr;
    VertexRow* savedRows_ = nullptr;
    DisplayList* savedCurrent_ = nullptr;
    std::int32_t savedCapacities_[2] = {};
};

TEST_F(Ordering, AveragesDepthsPerVertexCount) {
    struct Case {
        std::uint32_t code;
        std::vector<int> z;
        int clipped;  // index of a vertex at the near limit, or -1
        std::int16_t depth;
        bool filed;
    };
    const Case cases[] = {
        {PRIM_FLAT_TRI, {10, 20, 30}, 1, 4096, false},          // behind the near limit
        {PRIM_FLAT_TRI, {-1, -1, 0}, -1, 0, true},              // -2 / 3 truncates to 0
        {PRIM_FLAT_QUAD, {-1, -1, 0, 0}, -1, -1, false},        // -2 >> 2 is -1
        {PRIM_TEX_TRI, {40000, 40000, 40000}, -1, -25536, false},
        {PRIM_SHADED_QUAD, {5000, 5000, 4000, 4000}, -1, 4500, false},
        {PRIM_SHADED_ADD_TRI, {4095, 4095, 4096}, -1, 4095, true},
        {PRIM_SPRITE, {77}, -1, 77, true},
        {2, {-3, 0}, -1, -2, false},  // two vertices: arithmetic shift
        {2, {3, 8}, -1, 5, true},
    };
    for (const Case& c : cases) {
        resetList();
        const std::vector<int> fields = c.code == PRIM_SPRITE ? std::vector<int>{0} : std::vector<int>{0, 1, 2, 3, 4};
        for (int i = 0; i < 5; ++i) vertex(i) = {10, 10, i < static_cast<int>(c.z.size()) ? c.z[i] : 0, 0};
        if (c.clipped >= 0) vertex(c.code == PRIM_SPRITE ? 0 : c.clipped + 1).clip = -1;
        if (c.code != PRIM_SPRITE)
            for (int i = 0; i < static_cast<int>(c.z.size()); ++i) vertex(i + 1).z = c.z[i];
        Primitive* r = add(c.code, {});
        for (std::size_t k = 0; k < fields.size(); ++k) r->s[k] = static_cast<std::int16_t>(fields[k]);
        sortPrimitives(list_);
        EXPECT_EQ(r->depth, c.depth) << "code " << c.code;
        if (c.filed) {
            EXPECT_EQ(table_[c.depth], offsetOf(r)) << "code " << c.code;
        }
        dispatchPrimitives(list_);
        EXPECT_TRUE(tableEmpty());
        if (!c.filed) {
            sortPrimitives(list_);
            EXPECT_TRUE(tableEmpty()) << "code " << c.code;
        }
    }
}

TEST_F(Ordering, AddsTheBiasAndKeepsTheDepthOfRecordsWithoutVertices) {
    Primitive* r = add(PRIM_CALLBACK, {0, 0}, 20);
    r->depth = 10;
    r->bias = 5;
    Primitive* q = add(PRIM_FLAT_TRI, {0, 1, 2, 3, 0});
    for (int i = 1; i <= 3; ++i) vertex(i) = {0, 0, 4100, 0};
    q->bias = -10;
    sortPrimitives(list_);
    EXPECT_EQ(r->depth, 10);
    EXPECT_EQ(table_[15], offsetOf(r));
    EXPECT_EQ(table_[4090], offsetOf(q));
    dispatchPrimitives(list_);
    EXPECT_TRUE(tableEmpty());
}

TEST_F(Ordering, DrawsFarToNearAndTheFirstCreatedLastWithinABucket) {
    TestScreen screen(64, 48);
    vertex(1) = {10, 10, 100, 0};
    vertex(2) = {40, 10, 100, 0};
    vertex(3) = {10, 40, 100, 0};
    vertex(4) = {10, 10, 0, 0};
    vertex(5) = {40, 10, 0, 0};
    vertex(6) = {10, 40, 0, 0};
    vertex(7) = {10, 10, 3000, 0};
    vertex(8) = {40, 10, 3000, 0};
    vertex(9) = {10, 40, 3000, 0};
    Primitive* first = add(PRIM_FLAT_TRI, {0, 1, 2, 3, 1});
    Primitive* second = add(PRIM_FLAT_TRI, {0, 1, 2, 3, 2});
    sortPrimitives(list_);
    EXPECT_EQ(table_[100], offsetOf(second));
    EXPECT_EQ(second->link, offsetOf(first));
    dispatchPrimitives(list_);
    EXPECT_EQ(screen.at(15, 15), list_->colourTable[1]);  // the first created ends up on top

    // Bucket 0 is drawn last, after the far bucket 3000.
    resetList();
    add(PRIM_FLAT_TRI, {0, 4, 5, 6, 3});
    add(PRIM_FLAT_TRI, {0, 7, 8, 9, 4});
    sortAndDraw();
    EXPECT_EQ(screen.at(15, 15), list_->colourTable[3]);
    EXPECT_TRUE(tableEmpty());
}

TEST_F(Ordering, DropsCounterClockwiseRecordsThatAskForTheBackFaceTest) {
    TestScreen screen(64, 48);
    vertex(1) = {10, 10, 50, 0};
    vertex(2) = {20, 10, 50, 0};
    vertex(3) = {10, 20, 50, 0};
    add(PRIM_FLAT_TRI | PRIM_BACKFACE, {0, 1, 3, 2, 1});  // cross = -100: dropped
    sortAndDraw();
    EXPECT_EQ(screen.countNot(0), 0);
    resetList();
    add(PRIM_FLAT_TRI | PRIM_BACKFACE, {0, 1, 2, 3, 1});  // cross = 100: kept
    add(PRIM_FLAT_TRI | PRIM_BACKFACE, {0, 1, 1, 1, 1});  // degenerate, kept (draws nothing)
    sortPrimitives(list_);
    EXPECT_NE(table_[50], PRIM_LINK_NONE);
    dispatchPrimitives(list_);
    EXPECT_GT(screen.countNot(0), 0);
    resetList();
    add(PRIM_FLAT_TRI, {0, 1, 3, 2, 1});  // no test requested: drawn either way
    screen.fill_all(0);
    sortAndDraw();
    EXPECT_GT(screen.countNot(0), 0);
}

// Filing must not wrap: the back-face test decides by the exact cross product,
// the near-limit mark is never filed, and a computed depth files by its full
// 32-bit value plus the bias. Both dispatches draw what was filed.
TEST_F(Ordering, FilesByExactCrossProductAndFullDepth) {
    struct Case {
        const char* what;
        int x2, y2;            // the third corner; the others are (0, 0) and (65536, 0)
        std::int32_t z;        // every corner's depth
        bool nearLimit;        // the first corner at the near limit
        std::int16_t bias;
        std::int16_t stored;   // the depth field afterwards
        std::int32_t bucket;   // or -1: not filed
    };
    const Case cases[] = {
        {"clockwise, cross 2^31", 65536, 32768, 50, false, 0, 50, 50},
        {"counter-clockwise, cross -2^31: depth not recomputed", 65536, -32768, 50, false, 0, 0, -1},
        {"near-limit mark under a negative bias", 65536, 32768, 50, true, -100, 4096, -1},
        {"average 65636 is far, not bucket 100", 65536, 32768, 65636, false, 0, 100, -1},
        {"average 36000 brought within the table by its bias", 65536, 32768, 36000, false, -32000, -29536, 4000},
    };
    for (CodePath path : {CodePath::Reference, CodePath::Fast}) {
        setCodePath(path);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (path == CodePath::Fast ? " (fast)" : " (reference)"));
            TestScreen screen(64, 48);
            resetList();
            vertex(1) = {0, 0, c.z, c.nearLimit ? -1 : 0};
            vertex(2) = {65536, 0, c.z, 0};
            vertex(3) = {c.x2, c.y2, c.z, 0};
            Primitive* r = add(PRIM_FLAT_TRI | PRIM_BACKFACE, {0, 1, 2, 3, 1});
            r->bias = c.bias;
            sortPrimitives(list_);
            EXPECT_EQ(r->depth, c.stored);
            for (int b = 0; b < ORDERING_TABLE_SIZE; ++b)
                EXPECT_EQ(table_[b], b == c.bucket ? offsetOf(r) : PRIM_LINK_NONE) << "bucket " << b;
            dispatchPrimitives(list_);
            EXPECT_EQ(screen.countNot(0) > 0, c.bucket >= 0);
        }
    }
    setCodePath(CodePath::Fast);
}

std::vector<std::pair<std::int32_t, Rgb555>> callbackCalls;
TestScreen* callbackScreen = nullptr;
void recordCallback(std::int32_t depth) {
    if (callbackScreen) callbackCalls.push_back({depth, callbackScreen->at(15, 15)});  // other tests may reach it too
}

TEST_F(Ordering, CallsCallbacksBeforeThePrimitivesOfTheirBucket) {
    TestScreen screen(64, 48);
    callbackScreen = &screen;
    callbackCalls.clear();
    const std::int32_t handle = registerPrimitiveCallback(recordCallback);
    ASSERT_GT(handle, 0);
    vertex(1) = {10, 10, 50, 0};
    vertex(2) = {40, 10, 50, 0};
    vertex(3) = {10, 40, 50, 0};
    add(PRIM_FLAT_TRI, {0, 1, 2, 3, 1});
    Primitive* record = add(PRIM_CALLBACK, {0, 0}, 20);
    std::memcpy(&record->s[0], &handle, sizeof handle);
    record->depth = 40;
    slots_[3] = {PRIM_CALLBACK, 20, 0, 50, 0, static_cast<std::uint32_t>(handle)};
    slots_[4] = {PRIM_FLAT_TRI, 20, 0, 60, 0, static_cast<std::uint32_t>(handle)};  // not code 96: not called
    slots_[5] = {PRIM_CALLBACK, 20, 0, 5000, 0, static_cast<std::uint32_t>(handle)};  // outside the table
    sortAndDraw();
    ASSERT_EQ(callbackCalls.size(), 2u);
    EXPECT_EQ(callbackCalls[0], (std::pair<std::int32_t, Rgb555>{50, 0}));  // before the triangle of bucket 50
    EXPECT_EQ(callbackCalls[1].first, 40);
    EXPECT_EQ(callbackCalls[1].second, list_->colourTable[1]);
    EXPECT_TRUE(tableEmpty());
    callbackScreen = nullptr;
}

TEST_F(Ordering, PassesTheListedArgumentsToEachRasterizer) {
    TestScreen direct(64, 48), dispatched(64, 48);
    vertex(1) = {3, 2, 10, 0};
    vertex(2) = {50, 6, 10, 0};
    vertex(3) = {30, 40, 10, 0};
    vertex(4) = {2, 30, 10, 0};
    list_->colourTable[5] = 0x8421;  // sign-extended on the way, low 16 bits drawn
    struct Case {
        std::uint32_t code;
        std::vector<int> fields;
        std::function<void()> draw;
    };
    const ProjectedVertex* V = list_->projectedVertices;
    const TexCoord* T = texCoords_;
    const ColourRecord* K = colourRecords_;
    const Case cases[] = {
        {PRIM_FLAT_TRI, {0, 1, 2, 3, 5}, [&] { drawFlatTriangle(V + 1, V + 2, V + 3, 0x8421); }},
        {PRIM_FLAT_QUAD, {0, 1, 2, 3, 4, 5}, [&] { drawFlatQuad(V + 1, V + 2, V + 3, V + 4, 0x8421); }},
        {PRIM_TEX_TRI, {1, 1, 2, 3, 0, 0, 0, 4, 6, 8},
         [&] { drawTexTriangle(V + 1, V + 2, V + 3, T + 4, T + 6, T + 8, 1); }},
        {PRIM_TEX_ADD_QUAD, {0, 1, 2, 3, 4, 0, 0, 0, 0, 9, 3, 5, 7},
         [&] { drawTexQuadAdd(V + 1, V + 2, V + 3, V + 4, T + 9, T + 3, T + 5, T + 7, 0); }},
        {PRIM_TEX_HALF_TRI, {0, 3, 1, 2, 0, 0, 0, 1, 2, 3},
         [&] { drawTexTriangleHalf(V + 3, V + 1, V + 2, T + 1, T + 2, T + 3, 0); }},
        {PRIM_SHADED_TRI, {0, 1, 2, 3, 7, 8, 9}, [&] { drawShadedTriangle(V + 1, V + 2, V + 3, K + 7, K + 8, K + 9); }},
        {PRIM_SHADED_ADD_QUAD, {0, 1, 2, 3, 4, 2, 4, 6, 8},
         [&] { drawShadedQuadAdd(V + 1, V + 2, V + 3, V + 4, K + 2, K + 4, K + 6, K + 8); }},
    };
    for (const Case& c : cases) {
        direct.fill_all(0x0c63);
        dispatched.fill_all(0x0c63);
        setBackBuffer(direct.pixels(), 64, 48);
        c.draw();
        setBackBuffer(dispatched.pixels(), 64, 48);
        resetList();
        Primitive* r = add(c.code, {});
        for (std::size_t k = 0; k < c.fields.size(); ++k) r->s[k] = static_cast<std::int16_t>(c.fields[k]);
        sortAndDraw();
        EXPECT_GT(direct.countNot(0x0c63), 100) << "code " << c.code;
        EXPECT_TRUE(std::equal(direct.pixels(), direct.pixels() + 64 * 48, dispatched.pixels())) << "code " << c.code;
    }
}

TEST_F(Ordering, DrawsSpritePlaceholdersOnlyFromAnInstalledTable) {
    TestScreen screen(100, 80);
    vertex(7) = {10, 10, 30, 0};
    const auto spriteCode = [](int index) { return PRIM_SPRITE | (static_cast<std::uint32_t>(index) << 16); };
    add(spriteCode(2), {7});
    sortAndDraw();
    EXPECT_EQ(screen.countNot(0), 0);  // no table: nothing

    SpriteEntry table[3] = {};
    table[1].kind = 1;
    setSpriteTable(table, 3);
    sortAndDraw();
    EXPECT_EQ(screen.runs(10), "10..60");
    EXPECT_EQ(screen.at(10, 10), 0x7fff);
    EXPECT_EQ(screen.at(60, 60), 0);

    screen.fill_all(0);
    resetList();
    add(spriteCode(1), {7});       // an entry of another kind
    add(spriteCode(3), {7});       // past the table
    add(spriteCode(0xffff), {7});  // index -1
    add(spriteCode(0), {-1});      // no such vertex
    sortAndDraw();
    EXPECT_EQ(screen.countNot(0), 0);
}

TEST_F(Ordering, SkipsRecordsThatNameNothing) {
    TestScreen screen(64, 48);
    for (int i = 0; i < VERTICES; ++i) vertex(i) = {(i * 13) % 70 - 3, (i * 29) % 60 - 5, 20, 0};
    const std::vector<std::pair<std::uint32_t, std::vector<int>>> records = {
        {PRIM_FLAT_TRI, {0, -1, 2, 3, 1}},
        {PRIM_FLAT_TRI, {0, 1, 2, VERTICES, 1}},
        {PRIM_FLAT_QUAD, {0, 1, 2, 3, 4, COLOURS}},
        {PRIM_FLAT_TRI, {0, 1, 2, 3, -7}},
        {PRIM_TEX_TRI, {2, 1, 2, 3, 0, 0, 0, 1, 2, 3}},      // no texture in slot 2
        {PRIM_TEX_TRI, {-300, 1, 2, 3, 0, 0, 0, 1, 2, 3}},   // no slot
        {PRIM_TEX_QUAD, {0, 1, 2, 3, 4, 0, 0, 0, 0, 1, 2, 3, TEX_COORDS}},
        {PRIM_TEX_ADD_TRI, {0, 1, 2, 3, 0, 0, 0, -1, 2, 3}},
        {PRIM_SHADED_TRI, {0, 1, 2, 3, 1, 2, COLOURS}},
        {PRIM_SHADED_ADD_QUAD, {0, 1, 2, 3, 4, 1, 2, 3, -2}},
        {PRIM_FLAT_TRI | PRIM_BACKFACE, {0, 1, 2, 32767, 1}},
        {PRIM_CALLBACK, {99, 0}},  // no such callback
        {2, {0, 1, 2}},
        {0xff, {0, 1, 2, 3, 4, 5, 6}},
    };
    for (const auto& [code, fields] : records) {
        Primitive* r = add(code, {});
        for (std::size_t k = 0; k < fields.size(); ++k) r->s[k] = static_cast<std::int16_t>(fields[k]);
    }
    sortAndDraw();
    EXPECT_EQ(screen.countNot(0), 0);
    EXPECT_TRUE(screen.guardsIntact());
    EXPECT_TRUE(tableEmpty());
}

TEST_F(Ordering, StopsAtRecordsThatDoNotFit) {
    TestScreen screen(64, 48);
    vertex(1) = {10, 10, 5, 0};
    vertex(2) = {40, 10, 5, 0};
    vertex(3) = {10, 40, 5, 0};
    Primitive* shortRecord = add(PRIM_FLAT_TRI, {0, 1, 2, 3, 1}, 20);  // too short for its fields: skipped
    Primitive* good = add(PRIM_FLAT_TRI, {0, 1, 2, 3, 1});
    sortPrimitives(list_);
    EXPECT_EQ(table_[5], offsetOf(good));
    EXPECT_EQ(good->link, PRIM_LINK_NONE);
    (void)shortRecord;
    dispatchPrimitives(list_);

    // A size of 0, an unaligned size, or a count beyond the records ends the walk.
    for (std::int32_t size : {0, 6, 8, 1 << 30, -44}) {
        resetList();
        Primitive* a = add(PRIM_FLAT_TRI, {0, 1, 2, 3, 1});
        a->size = size;
        add(PRIM_FLAT_TRI, {0, 1, 2, 3, 1});
        list_->primitiveCount = 1000000;
        sortPrimitives(list_);
        EXPECT_EQ(table_[5], PRIM_LINK_NONE) << size;  // neither a nor the record after it
        dispatchPrimitives(list_);
        EXPECT_TRUE(tableEmpty());
    }
    EXPECT_TRUE(screen.guardsIntact());
}

TEST_F(Ordering, SurvivesATableFiledTwice) {
    TestScreen screen(64, 48);
    vertex(1) = {10, 10, 5, 0};
    vertex(2) = {40, 10, 5, 0};
    vertex(3) = {10, 40, 5, 0};
    add(PRIM_FLAT_TRI, {0, 1, 2, 3, 1});
    sortPrimitives(list_);
    sortPrimitives(list_);  // the record now links to itself
    dispatchPrimitives(list_);
    EXPECT_TRUE(tableEmpty());
    EXPECT_EQ(screen.at(15, 15), list_->colourTable[1]);
}

// Random primitives of every code, on and far off screen, through the whole
// sort and dispatch: nothing outside the back buffer may change.
std::int32_t randomCoordinate(std::mt19937& rng, std::int32_t extent) {
    switch (rng() % 7) {
    case 0:
    case 1: return static_cast<std::int32_t>(rng() % (extent + 17)) - 8;
    case 2: return static_cast<std::int32_t>(rng() % 2001) - 1000;
    case 3: return static_cast<std::int32_t>(rng() % (1 << 22)) - (1 << 21);
    case 4: return static_cast<std::int32_t>(rng());
    default: {
        const std::int32_t special[] = {INT_MIN, INT_MAX, INT_MIN + 1, INT_MAX - 1, -1, 0, extent - 1, extent,
                                        1 << 23, -(1 << 23), 1 << 24, -(1 << 24), 8388607, -8388609};
        return special[rng() % (sizeof special / sizeof special[0])];
    }
    }
}

TEST_F(Ordering, NeverWritesOutsideTheBackBuffer) {
    constexpr int W = 64, H = 48;
    TestScreen screen(W, H, 0x1ce7);
    const std::uint32_t codes[] = {PRIM_FLAT_TRI, PRIM_FLAT_QUAD, PRIM_TEX_TRI, PRIM_TEX_QUAD, PRIM_TEX_ADD_TRI,
                                   PRIM_TEX_ADD_QUAD, PRIM_TEX_HALF_TRI, PRIM_TEX_HALF_QUAD, PRIM_SHADED_TRI,
                                   PRIM_SHADED_QUAD, PRIM_SHADED_ADD_TRI, PRIM_SHADED_ADD_QUAD, PRIM_SPRITE,
                                   PRIM_CALLBACK, 2, 19, 75, 0xff};
    SpriteEntry sprites[2] = {};
    setSpriteTable(sprites, 2);
    std::mt19937 rng(20240607);
    for (int trial = 0; trial < 6000; ++trial) {
        resetList();
        for (int i = 0; i < VERTICES; ++i)
            vertex(i) = {randomCoordinate(rng, W), randomCoordinate(rng, H), static_cast<std::int32_t>(rng() % 4200) - 50,
                         rng() % 16 == 0 ? -1 : 0};
        const int count = 1 + static_cast<int>(rng() % 6);
        for (int n = 0; n < count; ++n) {
            Primitive* r = add(codes[rng() % (sizeof codes / sizeof codes[0])], {});
            if (rng() % 4 == 0) r->codeWord |= PRIM_BACKFACE;
            if (r->codeWord == PRIM_SPRITE) r->codeWord |= (rng() % 3) << 16;
            for (int k = 0; k < 13; ++k) {
                // Mostly valid indices, now and then anything a 16-bit field holds.
                const int limit = k == 0 ? 3 : VERTICES;
                r->s[k] = static_cast<std::int16_t>(rng() % 20 == 0 ? rng() : rng() % limit);
            }
            if (rng() % 3 == 0) r->s[0] = static_cast<std::int16_t>(rng() % 130) - 1;  // texture ids, some unloaded
            r->bias = static_cast<std::int16_t>(rng() % 10 == 0 ? rng() : 0);
            if (r->codeWord == PRIM_CALLBACK) r->s[1] = 1;  // a handle no callback has: other tests' stay uncalled
        }
        sortAndDraw();
        const bool intact = screen.guardsIntact();
        if (!intact || !tableEmpty()) {
            std::ostringstream repro;
            repro << "trial " << trial << ":\n";
            std::uint32_t offset = list_->firstPrimitive;
            for (int n = 0; n < list_->primitiveCount; ++n, offset += 44) {
                const Primitive* r = primitiveAtOffset(list_, offset);
                repro << "  code 0x" << std::hex << r->codeWord << std::dec << " bias " << r->bias << " s:";
                for (int k = 0; k < 13; ++k) repro << ' ' << r->s[k];
                repro << "\n";
            }
            for (int i = 0; i < VERTICES; ++i)
                repro << "  V[" << i << "] = {" << vertex(i).x << ", " << vertex(i).y << ", " << vertex(i).z << ", "
                      << vertex(i).clip << "}\n";
            FAIL() << (intact ? "ordering table not emptied" : "write outside the back buffer") << "\n" << repro.str();
        }
        if (trial % 64 == 0) screen.fill_all(0x1ce7);
    }
}

}  // namespace
