#include "render/ordering.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <random>
#include <sstream>
#include <vector>

#include "support/pins.h"
#include "support/raster.h"
#include "render/raster/flat.h"
#include "render/raster/shaded.h"
#include "render/raster/textured.h"
#include "util/code_path.h"

using namespace vantir;

namespace {

constexpr int VERTICES = 48;
constexpr int COLOURS = 16;
constexpr int TEX_COORDS = 16;

// The real display list, with colour and texture-coordinate rows of the
// test's own and two textures.
class Ordering : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(initDisplayList(), 0);
        list_ = currentDisplayList();
        table_ = orderingTable;
        bindColourArray(colourRecords_, COLOURS);
        bindTexCoordArray(texCoords_, TEX_COORDS);
        for (int i = 0; i < COLOURS; ++i) list_->colourTable[i] = static_cast<Rgb555>(0x0400 * (i % 31) + 1);
        for (int i = 0; i < COLOURS; ++i) colourRecords_[i] = {i * 16, 255 - i * 16, 128, 0};
        for (int i = 0; i < TEX_COORDS; ++i) texCoords_[i] = {i * 37 - 200, i * 91 - 300, 0, 0};
        textures_.install(3, 3, [](int c, int r) { return static_cast<Rgb555>(0x1000 + r * 8 + c); });
        textures_.install(8, 1, [](int c, int r) { return static_cast<Rgb555>(c * 64 + r); });
    }
    void TearDown() override {
        setSpriteTable(nullptr, 0);
        setCodePath(CodePath::Fast);
        releaseDisplayList();
    }

    void resetList() {
        list_->primitiveCount = 0;
        list_->nextFree = list_->firstPrimitive;
        std::memset(reinterpret_cast<unsigned char*>(list_) + list_->firstPrimitive, 0,
                    list_->primitiveEnd - list_->firstPrimitive);
    }
    ProjectedVertex& vertex(int i) { return list_->projectedVertices[i]; }
    // A 44-byte record with the given code word and fields s0, s1, ...
    Primitive* add(std::uint32_t codeWord, const std::vector<int>& fields = {}) {
        Primitive* r = allocPrimitive(TRIANGLE_PRIMITIVE_BYTES);
        EXPECT_NE(r, nullptr);
        r->codeWord = codeWord;
        r->size = TRIANGLE_PRIMITIVE_BYTES;
        for (std::size_t k = 0; k < fields.size(); ++k) r->s[k] = static_cast<std::int16_t>(fields[k]);
        return r;
    }
    std::uint32_t offsetOf(const Primitive* r) const { return primitiveOffset(list_, r); }
    bool tableEmpty() const {
        return std::all_of(table_, table_ + ORDERING_TABLE_SIZE, [](std::uint32_t head) { return head == PRIM_LINK_NONE; });
    }
    void sortAndDraw() {
        sortPrimitives(list_);
        dispatchPrimitives(list_);
    }

    DisplayList* list_ = nullptr;
    std::uint32_t* table_ = nullptr;
    ColourRecord colourRecords_[COLOURS] = {};
    TexCoord texCoords_[TEX_COORDS] = {};
    TestTextures textures_;
};

TEST_F(Ordering, AveragesDepthsPerVertexCount) {
    // z: of vertices 1, 2, ..., which a sprite's s0 and every other record's s1.. name; clipped: the index in z of
    // a vertex at the near limit, or -1.
    struct Case { std::uint32_t code; std::vector<int> z; int clipped; std::int16_t depth; bool filed; };
    const Case cases[] = {
        {PRIM_FLAT_TRI, {10, 20, 30}, 1, PRIM_DEPTH_REJECTED, false},
        {PRIM_FLAT_TRI, {-1, -1, 0}, -1, 0, true},              // -2 / 3 truncates to 0
        {PRIM_FLAT_QUAD, {-1, -1, 0, 0}, -1, -1, false},        // -2 >> 2 is -1
        {PRIM_TEX_TRI, {40000, 40000, 40000}, -1, -25536, false},  // 40000 kept in 16 bits
        {PRIM_SHADED_QUAD, {5000, 5000, 4000, 4000}, -1, 4500, false},
        {PRIM_SHADED_ADD_TRI, {4095, 4095, 4096}, -1, 4095, true},
        {PRIM_SPRITE, {77}, -1, 77, true},
        {2, {-3, 0}, -1, -2, false},  // two vertices: arithmetic shift
        {2, {3, 8}, -1, 5, true},
    };
    for (std::size_t row = 0; row < std::size(cases); ++row) {
        const Case& c = cases[row];
        SCOPED_TRACE(testing::Message() << "row " << row);
        resetList();
        for (int i = 0; i < static_cast<int>(c.z.size()); ++i) vertex(i + 1) = {10, 10, c.z[i], c.clipped == i ? -1 : 0};
        Primitive* r = add(c.code, {1, 1, 2, 3, 4});
        sortPrimitives(list_);
        EXPECT_EQ(r->depth, c.depth);
        if (c.filed) {
            EXPECT_EQ(table_[c.depth], offsetOf(r));
        }
        dispatchPrimitives(list_);
        EXPECT_TRUE(tableEmpty());
        if (!c.filed) {
            sortPrimitives(list_);
            EXPECT_TRUE(tableEmpty());
        }
    }
}

// Callbacks run far to near with their record's depth, which sorting leaves
// as given; slots, filed after every record, run first in their bucket.
std::vector<std::int32_t> callbackDepths;

TEST_F(Ordering, CallbacksRunInTheirBucketSlotsFirst) {
    const std::int32_t handle = registerPrimitiveCallback([](std::int32_t depth) { callbackDepths.push_back(depth); });
    for (const auto& [depth, bias] : {std::pair{7, 0}, {5, 2}, {9, 0}}) {
        Primitive* r = add(PRIM_CALLBACK, {handle});  // the handle in s0 and s1
        r->depth = static_cast<std::int16_t>(depth);
        r->bias = static_cast<std::int16_t>(bias);
    }
    callbackSlots[3] = {PRIM_CALLBACK, 20, PRIM_LINK_NONE, 7, 0, static_cast<std::uint32_t>(handle)};
    callbackDepths.clear();
    sortAndDraw();
    callbackSlots[3] = {};
    EXPECT_EQ(callbackDepths, (std::vector<std::int32_t>{9, 7, 5, 7}));
}

// Filing must not wrap: the back-face test decides by the exact cross product,
// the near-limit mark is never filed, and a computed depth files by its full
// 32-bit value plus the bias. What was filed is drawn.
TEST_F(Ordering, FilesByExactCrossProductAndFullDepth) {
    // The third corner (the others are (0, 0) and (65536, 0)), every corner's depth, the first corner at the near
    // limit, the bias, the depth field afterwards and the bucket filed in, or -1.
    struct Case { const char* what; int x2, y2; std::int32_t z; bool nearLimit; std::int16_t bias, stored, bucket; };
    const Case cases[] = {
        {"clockwise, cross 2^31", 65536, 32768, 50, false, 0, 50, 50},
        {"counter-clockwise, cross -2^31: depth not recomputed", 65536, -32768, 50, false, 0, 0, -1},
        {"near-limit mark under a negative bias", 65536, 32768, 50, true, -100, PRIM_DEPTH_REJECTED, -1},
        {"average 65636 is far, not bucket 100", 65536, 32768, 65636, false, 0, 100, -1},
        {"average 36000, kept in 16 bits, brought within the table by its bias", 65536, 32768, 36000, false, -32000,
         -29536, 4000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
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

// The fast dispatch leaves out a polygon that an opaque twin with the same
// corners draws over later in its bucket; records that differ in a corner or
// in their number of corners are no twins, so both paths draw both.
TEST_F(Ordering, FastDispatchTellsTwinsByEveryCorner) {
    vertex(1) = {10, 10, 30, 0};
    vertex(2) = {40, 10, 30, 0};
    vertex(3) = {10, 40, 30, 0};
    vertex(0) = {0, 25, 30, 0};  // the quadrilateral's fourth corner: index 0, as a triangle's fifth field
    vertex(4) = {45, 35, 30, 0};
    const std::vector<std::pair<std::uint32_t, std::vector<int>>> pairs[] = {
        {{PRIM_TEX_TRI, {0, 1, 2, 3, 0, 0, 0, 1, 2, 3}}, {PRIM_TEX_TRI, {0, 1, 2, 4, 0, 0, 0, 4, 5, 6}}},
        {{PRIM_TEX_TRI, {0, 1, 2, 3, 0, 0, 0, 1, 2, 3}}, {PRIM_TEX_QUAD, {0, 1, 2, 3, 0, 0, 0, 0, 0, 4, 5, 6, 7}}},
        {{PRIM_FLAT_TRI, {0, 1, 2, 3, 1}}, {PRIM_FLAT_TRI, {0, 1, 2, 4, 1}}},
    };
    for (const auto& records : pairs) {
        std::vector<Rgb555> drawn[2];
        for (CodePath path : {CodePath::Reference, CodePath::Fast}) {
            setCodePath(path);
            TestScreen screen(64, 48);
            resetList();
            for (const auto& [code, fields] : records) add(code, fields);
            sortAndDraw();
            EXPECT_GT(screen.countNot(0), 0) << "nothing drawn";
            drawn[path == CodePath::Fast].assign(screen.pixels(), screen.pixels() + 64 * 48);
        }
        EXPECT_EQ(drawn[0], drawn[1]) << "codes " << records[0].first << " and " << records[1].first;
    }
}

// Random primitives of every code, on and far off screen, with hostile fields,
// through the whole sort and either dispatch: nothing outside the back buffer
// may change, the fast dispatch draws what the reference does, and what each
// list draws is pinned (how each code reaches its rasterizer, depths, biases,
// back faces, sprites, records that name nothing).
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

// A slot set at a depth runs in that bucket every frame until it is set to
// null; slots and depths outside their ranges are refused.
TEST_F(Ordering, CallbackSlotsRunAtTheirDepthUntilCleared) {
    static std::vector<std::int32_t> calls;
    calls.clear();
    const PrimitiveCallback note = [](std::int32_t depth) { calls.push_back(depth); };
    struct Row {
        int slot;
        std::int32_t depth;
        int result;
    };
    for (const Row& r : {Row{-1, 10, -1}, Row{32, 10, -1}, Row{0, -1, -1}, Row{0, 4096, -1}, Row{31, 4095, 0},
                         Row{5, 0, 0}})
        EXPECT_EQ(setCallbackSlot(r.slot, note, r.depth), r.result) << "slot " << r.slot << ", depth " << r.depth;
    sortAndDraw();
    EXPECT_EQ(calls, (std::vector<std::int32_t>{4095, 0}));  // far to near
    EXPECT_EQ(setCallbackSlot(31, nullptr, 0), 0);
    sortAndDraw();
    EXPECT_EQ(calls, (std::vector<std::int32_t>{4095, 0, 0}));
}

// A sprite table belongs to the scene of one display list: releasing the
// list, as shutdown does, forgets it.
TEST(SpriteTable, ReleasingTheListForgetsIt) {
    TestScreen screen(64, 48);
    const SpriteEntry sprites[1] = {};  // kind 0: the placeholder outline
    const ProjectedVertex at{4, 4, 10, 0};
    setSpriteTable(sprites, 1);
    drawSpritePrimitive(0, &at);
    EXPECT_EQ(screen.runs(4), "4..54");  // the top run and the right side's first pixel
    screen.fill_all(0);
    releaseDisplayList();
    drawSpritePrimitive(0, &at);
    EXPECT_EQ(screen.runs(4), "");
}

TEST_F(Ordering, NeverWritesOutsideTheBackBuffer) {
    constexpr int W = 64, H = 48;
    TestScreen reference(W, H), fast(W, H);  // drawn by either dispatch
    TrialPins pins("ordering_random_lists");
    const std::uint32_t codes[] = {PRIM_FLAT_TRI, PRIM_FLAT_QUAD, PRIM_TEX_TRI, PRIM_TEX_QUAD, PRIM_TEX_ADD_TRI,
                                   PRIM_TEX_ADD_QUAD, PRIM_TEX_HALF_TRI, PRIM_TEX_HALF_QUAD, PRIM_SHADED_TRI,
                                   PRIM_SHADED_QUAD, PRIM_SHADED_ADD_TRI, PRIM_SHADED_ADD_QUAD, PRIM_SPRITE,
                                   PRIM_CALLBACK, 2, 19, 75, 0xff};
    SpriteEntry sprites[2] = {};  // kind 0 draws the placeholder outline
    sprites[1].kind = 1;          // and any other kind nothing
    for (int trial = 0; trial < 6000; ++trial) {
        std::mt19937 rng(20240607 + trial);  // each trial's list from its own seed, to be made again alone
        setSpriteTable(trial % 2 ? nullptr : sprites, 2);
        resetList();
        for (int i = 0; i < VERTICES; ++i)
            vertex(i) = {randomCoordinate(rng, W), randomCoordinate(rng, H), static_cast<std::int32_t>(rng() % 4200) - 50,
                         rng() % 16 == 0 ? -1 : 0};
        const int count = 1 + static_cast<int>(rng() % 6);
        for (int n = 0; n < count; ++n) {
            Primitive* r = add(codes[rng() % (sizeof codes / sizeof codes[0])]);
            if (rng() % 4 == 0) r->codeWord |= PRIM_BACKFACE;
            if (r->codeWord == PRIM_SPRITE) r->codeWord |= (rng() % 3) << 16;
            for (int k = 0; k < 13; ++k) {
                // Mostly valid indices, now and then anything a 16-bit field holds.
                const int limit = k == 0 ? 3 : VERTICES;
                r->s[k] = static_cast<std::int16_t>(rng() % 20 == 0 ? rng() : rng() % limit);
            }
            if (rng() % 3 == 0) r->s[0] = static_cast<std::int16_t>(rng() % 130) - 1;  // texture ids, some unloaded
            r->bias = static_cast<std::int16_t>(rng() % 10 == 0 ? rng() : 0);
            if (r->codeWord == PRIM_CALLBACK) r->s[1] = 1;  // a handle of 65536 or more, which none has
        }
        for (TestScreen* screen : {&reference, &fast}) {
            screen->fill_all(0x1ce7);
            screen->bind();
            setCodePath(screen == &fast ? CodePath::Fast : CodePath::Reference);
            sortAndDraw();
        }
        const auto input = [&] {
            return "Trial " + std::to_string(trial) + " of Ordering.NeverWritesOutsideTheBackBuffer: its list made from " +
                   "mt19937 seeded " + std::to_string(20240607 + trial) + (trial % 2 ? ", no sprite table\n" : "\n");
        };
        ASSERT_TRUE(reference.guardsIntact()) << "the reference wrote outside the screen: " << input();
        ASSERT_TRUE(fast.guardsIntact()) << "the fast dispatch wrote outside the screen: " << input();
        ASSERT_TRUE(tableEmpty()) << input();
        ASSERT_TRUE(std::equal(fast.pixels(), fast.pixels() + W * H, reference.pixels()))
            << "the fast dispatch draws otherwise than the reference: " << input();
        if (!pins.check(hashPixels(reference.pixels(), W * H), input)) return;
    }
}

}  // namespace
