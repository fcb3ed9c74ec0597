#include "render/raster/rect_outline.h"

#include <gtest/gtest.h>

#include <climits>

#include "support/raster.h"

namespace {

constexpr Rgb555 WHITE = 0x7fff;

TEST(RectOutline, DrawsAFrameWithoutItsBottomRightPixel) {
    TestScreen screen(100, 80);
    drawRectOutline(10, 10, 50, 50, WHITE);
    EXPECT_EQ(screen.runs(9), "");
    EXPECT_EQ(screen.runs(10), "10..60");  // top run 10..59 and the right run's first pixel
    for (int row = 11; row < 60; ++row) EXPECT_EQ(screen.runs(row), "10..10 60..60") << row;
    EXPECT_EQ(screen.runs(60), "10..59");
    EXPECT_EQ(screen.at(60, 60), 0);
    EXPECT_EQ(screen.countNot(0), 199);
    EXPECT_EQ(screen.at(10, 10), WHITE);
    EXPECT_TRUE(screen.guardsIntact());
}

TEST(RectOutline, IsClippedToTheScreen) {
    struct Case {
        int x, y, w, h;
        int row;
        const char* runs;
    };
    const Case cases[] = {
        // Left of the screen: runs from column 0 to 29, no left run, right run at 30.
        {-20, 10, 50, 50, 10, "0..30"},
        {-20, 10, 50, 50, 30, "30..30"},
        {-20, 10, 50, 50, 60, "0..29"},
        // Right side on column W: no right run.
        {60, 10, 40, 20, 20, "60..60"},
        {60, 10, 40, 20, 10, "60..99"},
        // Bottom side on row H: no bottom run; the sides reach the last row.
        {10, 40, 20, 40, 79, "10..10 30..30"},
        // Wider than the screen on both sides: whole rows.
        {-5, 3, 200, 4, 3, "0..99"},
        {-5, 3, 200, 4, 7, "0..99"},
        {-5, 3, 200, 4, 5, ""},
        // Corners far away must not wrap back onto the screen.
        {5, 5, INT_MAX, 10, 5, "5..99"},
        {5, 5, INT_MAX, 10, 6, "5..5"},
        {INT_MIN, INT_MIN, INT_MIN, INT_MIN, 0, ""},
    };
    for (const Case& c : cases) {
        TestScreen screen(100, 80);
        drawRectOutline(c.x, c.y, c.w, c.h, WHITE);
        EXPECT_EQ(screen.runs(c.row), c.runs) << c.x << " " << c.y << " " << c.w << " " << c.h << " row " << c.row;
        EXPECT_TRUE(screen.guardsIntact());
    }
}

TEST(RectOutline, DrawsNothingAboveTheScreen) {
    TestScreen screen(100, 80);
    drawRectOutline(10, -70, 50, 50, WHITE);
    EXPECT_EQ(screen.countNot(0), 0);
}

}  // namespace
