#include "render/raster/shaded.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "support/raster.h"

namespace {

using DrawTriangle = void (*)(const ProjectedVertex*, const ProjectedVertex*, const ProjectedVertex*,
                              const ColourRecord*, const ColourRecord*, const ColourRecord*);

// The worked triangle (rows 10..19, each drawn once) in one colour over `background`;
// answers the set of pixel values it leaves inside.
std::set<Rgb555> fillWorkedTriangle(DrawTriangle draw, ColourRecord colour, Rgb555 background) {
    TestScreen screen(64, 48, background);
    const ProjectedVertex a{10, 10, 0, 0}, b{20, 10, 0, 0}, c{10, 20, 0, 0};
    draw(&a, &b, &c, &colour, &colour, &colour);
    std::set<Rgb555> values;
    for (int row = 10; row <= 19; ++row)
        for (int x = 10; x <= 29 - row; ++x) values.insert(screen.at(x, row));
    EXPECT_EQ(screen.at(10, 20), background);
    EXPECT_EQ(screen.at(20, 10), background);
    EXPECT_TRUE(screen.guardsIntact());
    return values;
}

TEST(ShadedPolygon, ProducesTheListedColours) {
    struct Case {
        DrawTriangle draw;
        ColourRecord colour;
        Rgb555 background, expected;
    };
    const Case cases[] = {
        {drawShadedTriangle, {200, 100, 50, 0}, 0x0000, 0x6586},
        {drawShadedTriangleAdd, {200, 100, 50, 0}, 0x0000, 0x6186},  // channels 24, 12, 6
        {drawShadedTriangleAdd, {255, 255, 255, 0}, 0x7fff, 0xffff},  // saturated, red carry in bit 15
        {drawShadedTriangleAdd, {255, 255, 255, 0}, 0x0000, 0x7bde},
        {drawShadedTriangleAdd, {0, 0, 0, 0}, 0x7fff, 0x7bde},        // only each field's lowest bit lost
        {drawShadedTriangle, {256, 0, 0, 0}, 0x1234, 0x0000},         // 256 wraps to 0, no clamping
        {drawShadedTriangle, {263, 8, 16, 0}, 0x1234, 0x0022},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fillWorkedTriangle(c.draw, c.colour, c.background), std::set<Rgb555>{c.expected})
            << c.colour.red << " " << c.colour.green << " " << c.colour.blue << " over " << c.background;
}

TEST(ShadedSpan, InterpolatesSevenFractionBits) {
    TestScreen screen(64, 48);
    // Red from 0 to 255 over 8 pixels: step (65280 >> 1) / 8 = 4080 per pixel.
    spanShaded(screen.pixels(), 8, {0, 0, 0}, {255 * 256, 0, 0});
    const int reds[8] = {0, 3, 7, 11, 15, 19, 23, 27};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(screen.at(i, 0), reds[i] << 10) << i;
    EXPECT_EQ(screen.at(8, 0), 0);
}

TEST(ShadedSpan, ChangesNothingForEmptyCounts) {
    TestScreen screen(64, 48, 0x1111);
    for (int count : {0, -1, -64}) {
        spanShaded(screen.pixels() + 10, count, {1, 2, 3}, {4, 5, 6});
        spanShadedAdd(screen.pixels() + 10, count, {1, 2, 3}, {4, 5, 6});
    }
    EXPECT_EQ(screen.countNot(0x1111), 0);
}

// One pixel of the additive span, on its own: the 16-bit form of the combine.
Rgb555 addPixel(std::int32_t red, std::int32_t green, std::int32_t blue, Rgb555 d) {
    const std::uint32_t p = ((static_cast<std::uint32_t>(red) & 0x78000000u) |
                             (static_cast<std::uint32_t>(green) & 0x03C00000u) |
                             (static_cast<std::uint32_t>(blue) & 0x001E0000u)) >> 16;
    const std::uint32_t sum = p + (d & 0x7bdeu);
    const std::uint32_t carries = sum & 0x8420u;
    return static_cast<Rgb555>(sum | (carries - (carries >> 5)));
}

TEST(ShadedSpan, AddsPairsLikeSinglePixels) {
    std::mt19937 rng(5);
    for (int trial = 0; trial < 500; ++trial) {
        const int count = static_cast<int>(rng() % 40);
        const ShadedColour left = {static_cast<std::int32_t>(rng() % 65536), static_cast<std::int32_t>(rng() % 65536),
                                   static_cast<std::int32_t>(rng() % 65536)};
        const ShadedColour right = {static_cast<std::int32_t>(rng() % 65536), static_cast<std::int32_t>(rng() % 65536),
                                    static_cast<std::int32_t>(rng() % 65536)};
        Rgb555 row[42];
        for (Rgb555& p : row) p = static_cast<Rgb555>(rng());
        Rgb555 expected[42];
        std::copy(std::begin(row), std::end(row), expected);
        if (count > 0) {
            std::int32_t r = left[0] << 15, g = left[1] << 10, b = left[2] << 5;
            const std::int32_t sr = ((right[0] - left[0]) << 15) / count, sg = ((right[1] - left[1]) << 10) / count,
                               sb = ((right[2] - left[2]) << 5) / count;
            for (int i = 0; i < count; ++i, r += sr, g += sg, b += sb)
                expected[1 + i] = addPixel(r, g, b, expected[1 + i]);
        }
        spanShadedAdd(row + 1, count, left, right);
        for (int i = 0; i < 42; ++i)
            ASSERT_EQ(row[i], expected[i]) << "count " << count << " left " << left[0] << "," << left[1] << ","
                                           << left[2] << " right " << right[0] << "," << right[1] << "," << right[2]
                                           << " pixel " << i;
    }
}

TEST(ShadedQuadAdd, AddsARowTwiceWhereTheWalkDrawsItTwice) {
    TestScreen screen(64, 48);
    // Clipped order (10,10) (20,11) (20,12) (0,20): row 12 is drawn by the
    // horizontal step and again by the next edge. The clipper rotates by two,
    // so the corners are given from the third one.
    const ProjectedVertex a{20, 12, 0, 0}, b{0, 20, 0, 0}, c{10, 10, 0, 0}, d{20, 11, 0, 0};
    const ColourRecord grey{16, 16, 16, 0};  // channels 2, 2, 2
    drawShadedQuadAdd(&a, &b, &c, &d, &grey, &grey, &grey, &grey);
    EXPECT_EQ(screen.runs(11), "9..14");
    EXPECT_EQ(screen.at(9, 11), 0x0842);
    EXPECT_EQ(screen.runs(12), "8..19");
    for (int x = 8; x <= 19; ++x) EXPECT_EQ(screen.at(x, 12), 0x1084) << x;
    EXPECT_EQ(screen.at(7, 13), 0x0842);
    EXPECT_TRUE(screen.guardsIntact());
}

TEST(ShadedPolygon, DrawsNothingOnOneRow) {
    TestScreen screen(64, 48);
    const ProjectedVertex a{1, 5, 0, 0}, b{30, 5, 0, 0}, c{60, 5, 0, 0}, d{10, 5, 0, 0};
    const ColourRecord white{255, 255, 255, 0};
    drawShadedTriangle(&a, &b, &c, &white, &white, &white);
    drawShadedQuadAdd(&a, &b, &c, &d, &white, &white, &white, &white);
    EXPECT_EQ(screen.countNot(0), 0);
}

TEST(ShadedPolygon, ClipsColoursWithTheEnlargedDivisor) {
    const ClipRect saved = clipRect;
    clipRect = {64, 48, 63, 47};
    // Edge (-10,0)->(10,0) with red 0 -> 255: slope 65280 / 21 = 3108, red at
    // the crossing 0 + (10 * 3108 >> 8) = 121.
    const ProjectedVertex a{-10, 0, 0, 0}, b{10, 0, 0, 0}, c{0, 20, 0, 0};
    const ColourRecord ca{0, 0, 0, 0}, cb{255, 0, 0, 0}, cc{128, 0, 0, 0};
    const ProjectedVertex* vs[] = {&a, &b, &c};
    const ColourRecord* cs[] = {&ca, &cb, &cc};
    ShadedPoint out[CLIP_POINT_CAPACITY];
    ASSERT_EQ(clipShadedPolygon(vs, cs, out, 3), 3);
    EXPECT_EQ(out[2].x, 0);
    EXPECT_EQ(out[2].y, 0);
    EXPECT_EQ(out[2].value[0], 121);
    clipRect = saved;
}

}  // namespace
