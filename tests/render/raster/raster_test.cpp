// The rules of the rasterizers on hand-derived cases. What they draw on
// random polygons of every family is pinned by the fast-path tests.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "render/raster/flat.h"
#include "render/raster/polygon.h"
#include "render/raster/rect_outline.h"
#include "render/raster/shaded.h"
#include "render/raster/textured.h"
#include "support/raster.h"

using namespace vantir;

namespace {

constexpr Rgb555 RED = 0x7c00;

// Rows of the worked triangle (10,10) (20,10) (10,20): the right edge moves
// by -232 (24.8) per row, so row r covers 10..29 - r; the last column of the
// screen is never filled, the last row is. A polygon whose corners share a
// row draws nothing, whatever its family, and so do corner counts outside
// 1..4 and a missing target.
TEST(Rasterizers, FillTheWorkedTriangleCutAtTheEdgesAndNothingDegenerate) {
    TestScreen screen(64, 48);
    const ProjectedVertex a{10, 10, 0, 0}, b{20, 10, 0, 0}, c{10, 20, 0, 0};
    drawFlatTriangle(&a, &b, &c, RED);
    for (int row = 0; row < 48; ++row)
        EXPECT_EQ(screen.runs(row), row >= 10 && row <= 19 ? "10.." + std::to_string(29 - row) : "") << row;
    screen.fill_all(0);
    const ProjectedVertex d{40, 30, 0, 0}, e{200, 30, 0, 0}, f{40, 200, 0, 0};
    const ProjectedVertex g{-20, 5, 0, 0}, h{20, 5, 0, 0}, i{-20, 25, 0, 0};
    drawFlatTriangle(&d, &e, &f, RED);
    drawFlatTriangle(&g, &h, &i, RED);
    EXPECT_EQ(screen.runs(30), "40..62");
    EXPECT_EQ(screen.runs(47), "40..62");
    EXPECT_EQ(screen.runs(5), "0..19");
    EXPECT_TRUE(screen.guardsIntact());
    screen.fill_all(0);
    TestTextures textures;
    textures.install(1, 1, [](int, int) { return Rgb555{7}; });
    const ProjectedVertex r0{1, 9, 0, 0}, r1{40, 9, 0, 0}, r2{10, 9, 0, 0}, r3{60, 9, 0, 0};
    const ColourRecord white{255, 255, 255, 0};
    const TexCoord t{0, 0, 0, 0};
    drawFlatQuad(&r0, &r1, &r2, &r3, RED);
    drawShadedTriangle(&r0, &r1, &r2, &white, &white, &white);
    drawShadedQuadAdd(&r0, &r1, &r2, &r3, &white, &white, &white, &white);
    drawTexTriangleAdd(&r0, &r1, &r2, &t, &t, &t, 0);
    drawTexQuadHalf(&r0, &r1, &r2, &r3, &t, &t, &t, &t, 0);
    EXPECT_EQ(screen.countNot(0), 0);
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
        std::ostringstream s;
        for (int i = 0; i < m; ++i) s << "(" << out[i].x << "," << out[i].y << " " << out[i].value[0] << ")";
        return s.str();
    };
    const std::vector<RasterPoint<1>> crossing = {{-10, 5, {0}}, {0, 15, {99}}, {20, 5, {50}}};
    EXPECT_EQ(clip(crossing, ClipDivisor::Plain), "(20,5 50)(0,5 16)(0,15 98)");
    EXPECT_EQ(clip(crossing, ClipDivisor::Enlarged), "(20,5 50)(0,5 16)(0,15 99)");
    EXPECT_EQ(clip({{1, 1, {7}}, {9, 2, {8}}, {8, 9, {9}}, {2, 8, {10}}}, ClipDivisor::Enlarged),
              "(8,9 9)(2,8 10)(1,1 7)(9,2 8)");
    EXPECT_EQ(clip({{-10, 10, {0}}, {74, 20, {0}}, {30, 40, {0}}}, ClipDivisor::Plain),
              "(63,18 0)(63,24 0)(30,40 0)(0,17 0)(0,11 0)");
    EXPECT_EQ(clip({{-30, 10, {0}}, {-5, 10, {0}}, {-20, 40, {0}}}, ClipDivisor::Plain), "");
    EXPECT_EQ(clip({{10, 48, {0}}, {50, 60, {0}}, {20, 900, {0}}}, ClipDivisor::Enlarged), "");
    TestScreen screen(64, 48);  // the clip rectangle of the flat family's own clipper
    const ProjectedVertex q0{1, 1, 0, 0}, q1{9, 2, 0, 0}, q2{8, 9, 0, 0}, q3{2, 8, 0, 0};
    const ProjectedVertex* quad[] = {&q0, &q1, &q2, &q3, &q0};
    FlatPoint out[CLIP_POINT_CAPACITY];
    for (int n : {0, 1, 4, 5}) EXPECT_EQ(clipFlatPolygon(quad, out, n), n == 1 || n == 4 ? n : 0) << n;
}

}  // namespace
