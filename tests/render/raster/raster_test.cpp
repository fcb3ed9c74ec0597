// The rules of the rasterizers on hand-derived cases. What they draw on
// random polygons of every family is pinned by the fast-path tests.
#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

#include "render/raster/flat.h"
#include "render/raster/polygon.h"
#include "render/raster/rect_outline.h"
#include "render/raster/shaded.h"
#include "render/raster/textured.h"
#include "support/raster.h"

namespace {

constexpr Rgb555 RED = 0x7c00;

// Rows of the worked triangle (10,10) (20,10) (10,20): the right edge moves
// by -232 (24.8) per row, so row r covers 10..29 - r; the last column of the
// screen is never filled, the last row is; a polygon whose corners share a
// row draws nothing, whatever its family.
TEST(Rasterizers, FillTheWorkedTriangleAndCutAtTheEdges) {
    TestScreen screen(64, 48);
    const ProjectedVertex a{10, 10, 0, 0}, b{20, 10, 0, 0}, c{10, 20, 0, 0};
    drawFlatTriangle(&a, &b, &c, RED);
    for (int row = 0; row < 48; ++row)
        EXPECT_EQ(screen.runs(row), row >= 10 && row <= 19 ? "10.." + std::to_string(29 - row) : "") << row;
    screen.fill_all(0);
    const ProjectedVertex d{40, 30, 0, 0}, e{200, 30, 0, 0}, f{40, 200, 0, 0}, g{-20, 5, 0, 0}, h{20, 5, 0, 0}, i{-20, 25, 0, 0};
    drawFlatTriangle(&d, &e, &f, RED);
    drawFlatTriangle(&g, &h, &i, RED);
    EXPECT_EQ(screen.runs(30), "40..62");
    EXPECT_EQ(screen.runs(47), "40..62");
    EXPECT_EQ(screen.runs(5), "0..19");
    EXPECT_TRUE(screen.guardsIntact());
    screen.fill_all(0);
    TestTextures textures;
    textures.install(0, 1, 1, [](int, int) { return Rgb555{7}; });
    const ProjectedVertex r0{1, 9, 0, 0}, r1{40, 9, 0, 0}, r2{10, 9, 0, 0}, r3{60, 9, 0, 0};
    const ColourRecord white{255, 255, 255, 0};
    const TexCoord t{0, 0, 0, 0};
    drawFlatQuad(&r0, &r1, &r2, &r3, RED);
    drawShadedTriangle(&r0, &r1, &r2, &white, &white, &white);
    drawShadedQuadAdd(&r0, &r1, &r2, &r3, &white, &white, &white, &white);
    drawTexTriangleAdd(&r0, &r1, &r2, &t, &t, &t, 0);
    drawTexQuadHalf(&r0, &r1, &r2, &r3, &t, &t, &t, &t, 0);
    EXPECT_EQ(screen.countNot(0), 0);
    // Corner counts outside 1..4 draw and clip nothing; without a target nothing is drawn.
    const ProjectedVertex* five[] = {&a, &b, &c, &a, &b};
    const ColourRecord* colours[] = {&white, &white, &white, &white, &white};
    const TexCoord* texCoords[] = {&t, &t, &t, &t, &t};
    ShadedPoint out[CLIP_POINT_CAPACITY];
    TexturedPoint texturedOut[CLIP_POINT_CAPACITY];
    for (int n : {0, 5}) {
        fillShadedPolygon(five, colours, n);
        EXPECT_EQ(clipShadedPolygon(five, colours, out, n), 0) << n;
        EXPECT_EQ(clipTexturedPolygon(five, texCoords, texturedOut, n), 0) << n;
    }
    EXPECT_EQ(screen.countNot(0), 0);
    setBackBuffer(nullptr, 0, 0);
    setClipRect();
    drawFlatTriangle(&a, &b, &c, RED);  // no target: must simply return
    drawRectOutline(1, 1, 5, 5, RED);
}

// Plain divisor 10 puts the crossing of (-10,5)->(0,15) on the next point's
// row, so the crossing stands with its own value 98; the enlarged divisor 11
// lands one row short and the next point stands (99). Polygons on screen
// come out rotated by two places; off one side, nothing.
TEST(Clipper, TakesCrossingsByTheFamilysDivisor) {
    const auto clip = [](std::vector<RasterPoint<1>> in, ClipDivisor divisor) {
        RasterPoint<1> out[CLIP_POINT_CAPACITY];
        const int m = clipPolygon(in.data(), static_cast<int>(in.size()), out, divisor, ClipRect{64, 48, 63, 47});
        std::string s;
        for (int i = 0; i < m; ++i)
            s += "(" + std::to_string(out[i].x) + "," + std::to_string(out[i].y) + " " + std::to_string(out[i].value[0]) + ")";
        return s;
    };
    const std::vector<RasterPoint<1>> crossing = {{-10, 5, {0}}, {0, 15, {99}}, {20, 5, {50}}};
    EXPECT_EQ(clip(crossing, ClipDivisor::Plain), "(20,5 50)(0,5 16)(0,15 98)");
    EXPECT_EQ(clip(crossing, ClipDivisor::Enlarged), "(20,5 50)(0,5 16)(0,15 99)");
    EXPECT_EQ(clip({{1, 1, {7}}, {9, 2, {8}}, {8, 9, {9}}, {2, 8, {10}}}, ClipDivisor::Enlarged), "(8,9 9)(2,8 10)(1,1 7)(9,2 8)");
    EXPECT_EQ(clip({{-10, 10, {0}}, {74, 20, {0}}, {30, 40, {0}}}, ClipDivisor::Plain), "(63,18 0)(63,24 0)(30,40 0)(0,17 0)(0,11 0)");
    EXPECT_EQ(clip({{-30, 10, {0}}, {-5, 10, {0}}, {-20, 40, {0}}}, ClipDivisor::Plain), "");
    EXPECT_EQ(clip({{10, 48, {0}}, {50, 60, {0}}, {20, 900, {0}}}, ClipDivisor::Enlarged), "");
    TestScreen screen(64, 48);  // the clip rectangle of the flat family's own clipper
    const ProjectedVertex q0{1, 1, 0, 0}, q1{9, 2, 0, 0}, q2{8, 9, 0, 0}, q3{2, 8, 0, 0};
    const ProjectedVertex* quad[] = {&q0, &q1, &q2, &q3, &q0};
    FlatPoint out[CLIP_POINT_CAPACITY];
    for (int n : {0, 1, 4, 5}) EXPECT_EQ(clipFlatPolygon(quad, out, n), n == 1 || n == 4 ? n : 0) << n;
}

// Each span over a row of `pixel`: 3 pixels of a one-texel texture or a flat
// colour, the pixels beside them untouched.
TEST(Spans, CombineTexelAndPixel) {
    struct Case {
        TexturedSpan span;  // null: the flat span with colour `texel` | 0xffff0000
        Rgb555 texel, pixel, expected;
    };
    const Case cases[] = {
        {spanCopy, 0x1234, 0x7fff, 0x1234}, {spanAdd, 0x7fff, 0x7fff, 0xffff}, {spanAdd, 0x7fff, 0x0000, 0x7bde},
        {spanAdd, 0x001f, 0x001f, 0x003f},  {spanHalf, 0x7fff, 0x0000, 0x3def}, {spanHalf, 0x7fff, 0x7fff, 0x7bde},
        {nullptr, 0x8421, 0x1111, 0x8421},
    };
    for (const Case& c : cases) {
        TestTextures textures;
        textures.install(1, 1, 1, [&](int, int) { return c.texel; });
        TextureAddressing a;
        ASSERT_TRUE(textureAddressing(1, &a));
        for (int count : {-2, 0, 3}) {
            Rgb555 row[5] = {c.pixel, c.pixel, c.pixel, c.pixel, c.pixel};
            if (c.span)
                c.span(row + 1, count, 0, 0, 256 * 256, 0, a);
            else
                spanFlat(row + 1, count, static_cast<std::int32_t>(0xffff0000u | c.texel));
            for (int i = 0; i < 5; ++i)
                EXPECT_EQ(row[i], i >= 1 && i <= count ? c.expected : c.pixel) << std::hex << c.texel << " " << c.pixel << " " << count;
        }
    }
}

// One colour over the worked triangle: the shaded span interpolates with
// seven fraction bits, wraps past 255 and adds with saturation.
TEST(Spans, ShadeTheListedColours) {
    using Draw = void (*)(const ProjectedVertex*, const ProjectedVertex*, const ProjectedVertex*, const ColourRecord*,
                          const ColourRecord*, const ColourRecord*);
    struct Case {
        Draw draw;
        ColourRecord colour;
        Rgb555 background, expected;
    };
    const Case cases[] = {
        {drawShadedTriangle, {200, 100, 50, 0}, 0x0000, 0x6586},    {drawShadedTriangleAdd, {200, 100, 50, 0}, 0x0000, 0x6186},
        {drawShadedTriangleAdd, {255, 255, 255, 0}, 0x7fff, 0xffff}, {drawShadedTriangleAdd, {0, 0, 0, 0}, 0x7fff, 0x7bde},
        {drawShadedTriangle, {256, 0, 0, 0}, 0x1234, 0x0000},        {drawShadedTriangle, {263, 8, 16, 0}, 0x1234, 0x0022},
    };
    for (const Case& c : cases) {
        TestScreen screen(64, 48, c.background);
        const ProjectedVertex a{10, 10, 0, 0}, b{20, 10, 0, 0}, v{10, 20, 0, 0};
        c.draw(&a, &b, &v, &c.colour, &c.colour, &c.colour);
        std::set<Rgb555> values;
        for (int row = 10; row <= 19; ++row)
            for (int x = 10; x <= 29 - row; ++x) values.insert(screen.at(x, row));
        EXPECT_EQ(values, std::set<Rgb555>{c.expected}) << c.colour.red << " " << c.colour.green << " " << c.colour.blue;
    }
    TestScreen screen(64, 48);
    spanShaded(screen.pixels(), 8, {0, 0, 0}, {255 * 256, 0, 0});  // step (65280 >> 1) / 8 per pixel
    const int reds[8] = {0, 3, 7, 11, 15, 19, 23, 27};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(screen.at(i, 0), reds[i] << 10) << i;
}

// A 10 x 10 square mapping a 256 x 256 texture that holds its own positions
// samples these columns and rows; unusable texture ids draw nothing.
TEST(Textured, SamplesTheListedTexels) {
    TestScreen screen(64, 48, 0xdead);
    TestTextures textures;
    const auto position = [](int c, int r) { return static_cast<Rgb555>((r << 8) | c); };
    textures.install(3, 8, 8, position);
    textures.install(4, 9, 2, position);  // a width no texture may have
    const ProjectedVertex c0{0, 0, 0, 0}, c1{10, 0, 0, 0}, c2{10, 10, 0, 0}, c3{0, 10, 0, 0};
    const TexCoord t0{0, 0, 0, 0}, t1{256, 0, 0, 0}, t2{256, 256, 0, 0}, t3{0, 256, 0, 0};
    for (int id : {-1, 2, 4, 127, 128, 40000}) drawTexQuad(&c0, &c1, &c2, &c3, &t0, &t1, &t2, &t3, id);
    EXPECT_EQ(screen.countNot(0xdead), 0);
    drawTexQuad(&c0, &c1, &c2, &c3, &t0, &t1, &t2, &t3, 3);
    const int columns[10] = {0, 25, 51, 76, 102, 127, 153, 179, 204, 230};
    const int rows[11] = {0, 23, 46, 69, 93, 116, 139, 162, 186, 209, 232};
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 10; ++x) EXPECT_EQ(screen.at(x, y), position(columns[x], rows[y])) << x << "," << y;
    EXPECT_EQ(screen.countNot(0xdead), 110);
}

// A frame of w x h from (x, y) without its bottom-right pixel, cut to the
// screen; far corners never wrap back onto it.
TEST(RectOutline, IsAFrameCutToTheScreen) {
    struct Case {
        int x, y, w, h, row;
        const char* runs;
    };
    const Case cases[] = {
        {10, 10, 50, 50, 10, "10..60"}, {10, 10, 50, 50, 30, "10..10 60..60"}, {10, 10, 50, 50, 60, "10..59"},
        {-20, 10, 50, 50, 10, "0..30"}, {-20, 10, 50, 50, 30, "30..30"},       {60, 10, 40, 20, 20, "60..60"},
        {60, 10, 40, 20, 10, "60..99"}, {10, 40, 20, 40, 79, "10..10 30..30"}, {-5, 3, 200, 4, 7, "0..99"},
        {-5, 3, 200, 4, 5, ""},         {5, 5, INT_MAX, 10, 5, "5..99"},       {5, 5, INT_MAX, 10, 6, "5..5"},
        {INT_MIN, INT_MIN, INT_MIN, INT_MIN, 0, ""}, {10, -70, 50, 50, 0, ""},
    };
    for (const Case& c : cases) {
        TestScreen screen(100, 80);
        drawRectOutline(c.x, c.y, c.w, c.h, 0x7fff);
        EXPECT_EQ(screen.runs(c.row), c.runs) << c.x << " " << c.y << " " << c.w << " " << c.h << " row " << c.row;
        EXPECT_TRUE(screen.guardsIntact());
    }
    TestScreen screen(100, 80);
    drawRectOutline(10, 10, 50, 50, 0x7fff);
    EXPECT_EQ(screen.countNot(0), 199);
}

}  // namespace
