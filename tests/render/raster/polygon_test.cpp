// The clipper and the edge walk shared by every polygon family, on points
// chosen by hand.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "render/raster/polygon.h"

namespace {

const ClipRect SMALL = {64, 48, 63, 47};

template <int K>
std::string describe(const RasterPoint<K>* p, int m) {
    std::string s;
    for (int i = 0; i < m; ++i) {
        s += "(" + std::to_string(p[i].x) + "," + std::to_string(p[i].y);
        for (int k = 0; k < K; ++k) s += " " + std::to_string(p[i].value[k]);
        s += ")";
    }
    return s;
}

template <int K>
std::string clip(std::vector<RasterPoint<K>> in, ClipDivisor divisor, const ClipRect& rect = SMALL) {
    RasterPoint<K> out[CLIP_POINT_CAPACITY];
    const int m = clipPolygon(in.data(), static_cast<int>(in.size()), out, divisor, rect);
    return describe(out, m);
}

struct Span {
    int row, left, right;  // whole columns, right exclusive
    bool operator==(const Span&) const = default;
};

std::vector<Span> walk(std::vector<RasterPoint<0>> p) {
    std::vector<Span> spans;
    walkPolygon(p.data(), static_cast<int>(p.size()), [&](std::int32_t row, const EdgeValues<0>& l, const EdgeValues<0>& r) {
        spans.push_back({row, l.x >> 8, r.x >> 8});
    });
    return spans;
}

TEST(Clipper, LeavesAPolygonOnScreenRotatedByTwoPlaces) {
    EXPECT_EQ(clip<0>({{10, 10, {}}, {20, 10, {}}, {10, 20, {}}}, ClipDivisor::Plain), "(10,20)(10,10)(20,10)");
    EXPECT_EQ(clip<1>({{1, 1, {7}}, {9, 2, {8}}, {8, 9, {9}}, {2, 8, {10}}}, ClipDivisor::Enlarged),
              "(8,9 9)(2,8 10)(1,1 7)(9,2 8)");
}

TEST(Clipper, CountsTheScreenEdgesAsInsideAndOneBeyondAsOutside) {
    // Columns 0 and W - 1 are inside: nothing changes.
    EXPECT_EQ(clip<0>({{0, 0, {}}, {63, 0, {}}, {0, 47, {}}}, ClipDivisor::Plain), "(0,47)(0,0)(63,0)");
    // x = -1 and x = W are outside: both get cut.
    EXPECT_EQ(clip<0>({{-1, 10, {}}, {30, 10, {}}, {30, 20, {}}}, ClipDivisor::Plain).find("(-1"),
              std::string::npos);
    EXPECT_EQ(clip<0>({{64, 10, {}}, {30, 10, {}}, {30, 20, {}}}, ClipDivisor::Plain).find("(64"),
              std::string::npos);
}

TEST(Clipper, DropsAPolygonWhollyOffOneSide) {
    EXPECT_EQ(clip<0>({{-30, 10, {}}, {-5, 10, {}}, {-20, 40, {}}}, ClipDivisor::Plain), "");
    EXPECT_EQ(clip<0>({{10, 48, {}}, {50, 60, {}}, {20, 900, {}}}, ClipDivisor::Enlarged), "");
}

TEST(Clipper, TakesCrossingValuesOneBeyondTheFarEdge) {
    // The textured family on 512 x 480: (-10,0) (10,0) (0,20) with u 0, 256, 128.
    const ClipRect screen = {512, 480, 511, 479};
    // u at the crossing of (-10,0)->(10,0): slope 65536 / 21 = 3120, 10 * 3120 >> 8 = 121.
    // The crossing of (0,20)->(-10,0) has the x of (0,20) and is not written.
    EXPECT_EQ(clip<2>({{-10, 0, {0, 0}}, {10, 0, {256, 0}}, {0, 20, {128, 256}}}, ClipDivisor::Enlarged, screen),
              "(10,0 256 0)(0,20 128 256)(0,0 121 0)");
}

TEST(Clipper, ReplacesACrossingByTheNextPointOnTheSameColumn) {
    // Edge (-10,5)->(0,15). Plain divisor 10: y = 5 + (10 * 256 >> 8) = 15 equals
    // the next point, so the crossing stands with its own value 0 + (10 * 2534 >> 8) = 98.
    // Enlarged divisor 11: y = 5 + (10 * 232 >> 8) = 14, so the next point stands (value 99).
    // The closing edge's crossing (0,5) carries 0 + (10 * (12800 / d) >> 8) = 16 either way.
    const std::vector<RasterPoint<1>> in = {{-10, 5, {0}}, {0, 15, {99}}, {20, 5, {50}}};
    EXPECT_EQ(clip<1>(in, ClipDivisor::Plain), "(20,5 50)(0,5 16)(0,15 98)");
    EXPECT_EQ(clip<1>(in, ClipDivisor::Enlarged), "(20,5 50)(0,5 16)(0,15 99)");
}

TEST(Clipper, RowPassComparesBothCoordinatesForDuplicates) {
    // After the column pass: (5,0) (20,10) (5,-10). Edge (20,10)->(5,-10) leaves
    // at y 0 with x = 5 + (10 * (15 * 256 / 21) >> 8) = 12; edge (5,-10)->(5,0)
    // enters exactly at (5,0), the next point, which the crossing stands for.
    EXPECT_EQ(clip<0>({{5, -10, {}}, {5, 0, {}}, {20, 10, {}}}, ClipDivisor::Plain), "(20,10)(12,0)(5,0)");
}

TEST(Clipper, WritesBothCrossingsOfAnEdgeSpanningTheRange) {
    // Edge (-10,10)->(74,20), plain divisor 84, slope 2560 / 84 = 30:
    // entering at x 0, y = 10 + (10 * 30 >> 8) = 11; leaving at x 63,
    // y = 20 + ((64 - 74) * 30 >> 8) = 18. Then (74,20)->(30,40) enters at
    // y = 20 + (-10 * -116 >> 8) = 24, and (30,40)->(-10,10) leaves at
    // y = 10 + (10 * 192 >> 8) = 17. The row pass only rotates.
    EXPECT_EQ(clip<0>({{-10, 10, {}}, {74, 20, {}}, {30, 40, {}}}, ClipDivisor::Plain),
              "(63,18)(63,24)(30,40)(0,17)(0,11)");
}

TEST(Clipper, KeepsAQuadrilateralAroundTheWholeScreen) {
    // Each edge spans a whole range: the top and bottom edges give their two
    // column crossings, then the sides give their two row crossings.
    EXPECT_EQ(clip<0>({{-100, -100, {}}, {164, -100, {}}, {164, 148, {}}, {-100, 148, {}}}, ClipDivisor::Plain),
              "(63,0)(63,47)(0,47)(0,0)");
    // So does a diamond around the screen, whose edges each cross two boundaries.
    const std::string diamond =
        clip<0>({{32, -40, {}}, {120, 24, {}}, {32, 90, {}}, {-60, 24, {}}}, ClipDivisor::Plain);
    EXPECT_EQ(diamond, "(63,0)(63,47)(0,47)(0,0)");
}

TEST(Clipper, KeepsEveryRowInRangeForExtremeCoordinates) {
    const std::int32_t big = 2147483647, small = -2147483647 - 1;
    const std::vector<std::vector<RasterPoint<1>>> cases = {
        {{small, small, {small}}, {big, small, {big}}, {big, big, {0}}, {small, big, {5}}},
        {{small, 10, {1}}, {big, 20, {2}}, {30, big, {3}}},
        {{big, big, {big}}, {small, 3, {small}}, {40, small, {0}}},
        {{-1, 0, {0}}, {big, 1, {0}}, {0, small, {0}}},
    };
    for (const auto& in : cases)
        for (ClipDivisor divisor : {ClipDivisor::Plain, ClipDivisor::Enlarged}) {
            RasterPoint<1> out[CLIP_POINT_CAPACITY];
            const int m = clipPolygon(in.data(), static_cast<int>(in.size()), out, divisor, SMALL);
            ASSERT_LE(m, CLIP_POINT_CAPACITY);
            for (int i = 0; i < m; ++i) EXPECT_TRUE(out[i].y >= 0 && out[i].y <= 47) << describe(out, m);
        }
}

TEST(Clipper, KeepsRandomPolygonsWithinTheRowsAndItsBuffers) {
    std::mt19937 rng(77);
    const auto coordinate = [&](std::int32_t extent) -> std::int32_t {
        switch (rng() % 5) {
        case 0: return static_cast<std::int32_t>(rng() % (extent + 41)) - 20;
        case 1: return static_cast<std::int32_t>(rng() % 4001) - 2000;
        case 2: return static_cast<std::int32_t>(rng());
        case 3: return rng() % 2 ? INT_MAX - static_cast<std::int32_t>(rng() % 3) : INT_MIN + static_cast<std::int32_t>(rng() % 3);
        default: return static_cast<std::int32_t>(rng() % (1 << 26)) - (1 << 25);
        }
    };
    for (int trial = 0; trial < 20000; ++trial) {
        const int n = 3 + static_cast<int>(rng() % 2);
        RasterPoint<1> in[4];
        for (int i = 0; i < n; ++i) in[i] = {coordinate(64), coordinate(48), {static_cast<std::int32_t>(rng())}};
        const ClipDivisor divisor = rng() % 2 ? ClipDivisor::Plain : ClipDivisor::Enlarged;
        RasterPoint<1> out[CLIP_POINT_CAPACITY];
        const int m = clipPolygon(in, n, out, divisor, SMALL);
        bool inRange = m >= 0 && m <= 2 * 2 * n;
        for (int i = 0; i < m; ++i) inRange = inRange && out[i].y >= 0 && out[i].y <= 47;
        walkPolygon(out, m, [&](std::int32_t row, const EdgeValues<1>&, const EdgeValues<1>&) {
            inRange = inRange && row >= 0 && row <= 47;
        });
        ASSERT_TRUE(inRange) << "trial " << trial << (divisor == ClipDivisor::Plain ? " plain " : " enlarged ")
                             << describe(in, n) << " -> " << describe(out, m);
    }
}

TEST(EdgeWalk, FillsTheWorkedTriangle) {
    // Clipped (10,20) (10,10) (20,10): top (10,10), side 1 on the left; side 0
    // takes the flat top by one horizontal step, then its slope is
    // (-10 * 256) / 11 = -232 per row.
    std::vector<Span> expected = {{10, 10, 10}};
    for (int row = 10; row <= 20; ++row) expected.push_back({row, 10, (5120 - (row - 10) * 232) >> 8});
    EXPECT_EQ(walk({{10, 20, {}}, {10, 10, {}}, {20, 10, {}}}), expected);
    EXPECT_EQ(expected[1].right, 20);   // row 10: columns 10..19
    EXPECT_EQ(expected[2].right, 19);   // row 11: columns 10..18
    EXPECT_EQ(expected[10].right, 11);  // row 19: column 10 alone
    EXPECT_EQ(expected[11].right, 10);  // row 20: visited, empty
}

TEST(EdgeWalk, DrawsARowTwiceWhenAnEndLiesJustBelow) {
    // (10,10) (20,11) (20,12) (0,20): rows 10 and 11 end at y = 12, where the
    // next end lies: row 12 gets a horizontal step (slope 0) and is drawn again.
    const std::vector<Span> spans = walk({{10, 10, {}}, {20, 11, {}}, {20, 12, {}}, {0, 20, {}}});
    ASSERT_GE(spans.size(), 5u);
    EXPECT_EQ(spans[0], (Span{10, 10, 10}));
    EXPECT_EQ(spans[1], (Span{11, 9, 15}));   // left slope -232, right 1280
    EXPECT_EQ(spans[2], (Span{12, 8, 20}));   // the horizontal step
    EXPECT_EQ(spans[3], (Span{12, 8, 20}));   // and the row again
    EXPECT_EQ(spans[4], (Span{13, 7, 17}));   // right slope -5120 / 9 = -568
    EXPECT_EQ(spans.back().row, 20);
}

TEST(EdgeWalk, DrawsNothingForFewerThanTwoPoints) {
    EXPECT_TRUE(walk({}).empty());
    EXPECT_TRUE(walk({{5, 5, {}}}).empty());
}

TEST(EdgeWalk, TakesTheFirstOfTiedTopPoints) {
    // Tie at y = 3 between index 1 and 3: index 1 is the top; its side 0 runs
    // to index 2, side 1 to index 0.
    const std::vector<Span> spans = walk({{0, 9, {}}, {4, 3, {}}, {8, 9, {}}, {30, 3, {}}});
    ASSERT_FALSE(spans.empty());
    EXPECT_EQ(spans.front().row, 3);
}

}  // namespace
