#include "render/raster/flat.h"

#include <gtest/gtest.h>

#include "support/raster.h"

namespace {

constexpr Rgb555 RED = 0x7c00;

std::string clipped(std::initializer_list<ProjectedVertex> vs) {
    std::vector<const ProjectedVertex*> ptrs;
    for (const ProjectedVertex& v : vs) ptrs.push_back(&v);
    FlatPoint out[CLIP_POINT_CAPACITY];
    const int m = clipFlatPolygon(ptrs.data(), out, static_cast<int>(ptrs.size()));
    std::string s;
    for (int i = 0; i < m; ++i) s += "(" + std::to_string(out[i].x) + "," + std::to_string(out[i].y) + ")";
    return s;
}

TEST(FlatTriangle, FillsTheWorkedTriangle) {
    TestScreen screen(64, 48);
    const ProjectedVertex a{10, 10, 0, 0}, b{20, 10, 0, 0}, c{10, 20, 0, 0};
    EXPECT_EQ(clipped({a, b, c}), "(10,20)(10,10)(20,10)");
    drawFlatTriangle(&a, &b, &c, RED);
    // The right edge moves by -232 (24.8) per row from x = 20: row r ends at column 29 - r.
    for (int row = 0; row < 48; ++row) {
        const std::string expected = row >= 10 && row <= 19 ? "10.." + std::to_string(29 - row) : "";
        EXPECT_EQ(screen.runs(row), expected) << "row " << row;
    }
    EXPECT_EQ(screen.at(10, 10), RED);
    EXPECT_TRUE(screen.guardsIntact());
}

TEST(FlatTriangle, DrawsNothingWhenAllCornersShareARow) {
    TestScreen screen(64, 48);
    const ProjectedVertex a{1, 10, 0, 0}, b{40, 10, 0, 0}, c{20, 10, 0, 0}, d{60, 10, 0, 0};
    drawFlatTriangle(&a, &b, &c, RED);
    drawFlatQuad(&a, &b, &c, &d, RED);
    EXPECT_EQ(screen.countNot(0), 0);
}

TEST(FlatQuad, DrawsWithThreeCornersOnOneRow) {
    TestScreen screen(64, 48);
    const ProjectedVertex a{10, 10, 0, 0}, b{20, 10, 0, 0}, c{30, 10, 0, 0}, d{20, 30, 0, 0};
    drawFlatQuad(&a, &b, &c, &d, RED);
    EXPECT_GT(screen.countNot(0), 0);
    EXPECT_EQ(screen.runs(10), "10..29");
    EXPECT_TRUE(screen.guardsIntact());
}

TEST(FlatSpan, StoresPairsThenOneOddPixel) {
    struct Case {
        int count;
        const char* runs;
    };
    const Case cases[] = {{-3, ""}, {0, ""}, {1, "5..5"}, {2, "5..6"}, {5, "5..9"}, {8, "5..12"}};
    for (const Case& c : cases) {
        TestScreen screen(64, 48);
        spanFlat(screen.pixels() + 64 * 3 + 5, c.count, static_cast<std::int32_t>(0xffff8421u));
        EXPECT_EQ(screen.runs(3), c.runs) << c.count;
        if (c.count > 0) {
            EXPECT_EQ(screen.at(5, 3), 0x8421);  // the colour's low 16 bits
        }
        EXPECT_EQ(screen.countNot(0), c.count > 0 ? c.count : 0);
    }
}

TEST(FlatTriangle, IsCutAtTheScreenEdges) {
    TestScreen screen(64, 48);
    // Past the left edge: drawn from column 0.
    const ProjectedVertex a{-20, 5, 0, 0}, b{20, 5, 0, 0}, c{-20, 25, 0, 0};
    drawFlatTriangle(&a, &b, &c, RED);
    EXPECT_EQ(screen.at(0, 5), RED);
    EXPECT_EQ(screen.runs(5).substr(0, 3), "0..");
    // Past the right and bottom edges: the last column is never filled, the last row is.
    screen.fill_all(0);
    const ProjectedVertex d{40, 30, 0, 0}, e{200, 30, 0, 0}, f{40, 200, 0, 0};
    drawFlatTriangle(&d, &e, &f, RED);
    EXPECT_EQ(screen.runs(30), "40..62");
    EXPECT_EQ(screen.runs(47), "40..62");
    for (int row = 0; row < 48; ++row) EXPECT_EQ(screen.at(63, row), 0) << row;
    EXPECT_TRUE(screen.guardsIntact());
}

TEST(FlatTriangle, StartsAtRowZeroWhenItsTopIsAboveTheScreen) {
    TestScreen screen(64, 48);
    const ProjectedVertex a{10, -10, 0, 0}, b{40, 20, 0, 0}, c{10, 20, 0, 0};
    drawFlatTriangle(&a, &b, &c, RED);
    EXPECT_NE(screen.runs(0), "");
    EXPECT_TRUE(screen.guardsIntact());
}

TEST(FlatQuad, CoversTheScreenWhenItContainsTheScreen) {
    TestScreen screen(64, 48);
    const ProjectedVertex a{-100, -100, 0, 0}, b{164, -100, 0, 0}, c{164, 148, 0, 0}, d{-100, 148, 0, 0};
    drawFlatQuad(&a, &b, &c, &d, RED);
    for (int row = 0; row < 48; ++row) EXPECT_EQ(screen.runs(row), "0..62") << "row " << row;
    EXPECT_TRUE(screen.guardsIntact());
    // The same with corners far beyond 2^23, where 24.8 positions wrap.
    screen.fill_all(0);
    const ProjectedVertex e{-2000000000, -2000000000, 0, 0}, f{2000000000, -2000000000, 0, 0},
        g{2000000000, 2000000000, 0, 0}, h{-2000000000, 2000000000, 0, 0};
    drawFlatQuad(&e, &f, &g, &h, RED);
    EXPECT_TRUE(screen.guardsIntact());
}

TEST(FlatQuad, ClampsSpansOfASelfIntersectingQuadrilateral) {
    TestScreen screen(64, 48);
    // A bow tie reaching far past both sides.
    const ProjectedVertex a{-500, 0, 0, 0}, b{600, 47, 0, 0}, c{600, 0, 0, 0}, d{-500, 47, 0, 0};
    drawFlatQuad(&a, &b, &c, &d, RED);
    drawFlatQuad(&a, &c, &b, &d, RED);
    EXPECT_TRUE(screen.guardsIntact());
}

TEST(FlatTriangle, DrawsNothingWithoutATarget) {
    setBackBuffer(nullptr, 0, 0);
    setClipRect();
    const ProjectedVertex a{10, 10, 0, 0}, b{20, 10, 0, 0}, c{10, 20, 0, 0};
    drawFlatTriangle(&a, &b, &c, RED);  // must simply return
}

}  // namespace
