#include "render/raster/textured.h"

#include <gtest/gtest.h>

#include "support/raster.h"

namespace {

// Texel (c, r) of a 256 x 256 texture holding its own position.
Rgb555 position(int c, int r) { return static_cast<Rgb555>((r << 8) | c); }

std::string describe(const TexturedPoint* p, int m) {
    std::string s;
    for (int i = 0; i < m; ++i)
        s += "(" + std::to_string(p[i].x) + "," + std::to_string(p[i].y) + " " + std::to_string(p[i].value[0]) +
             " " + std::to_string(p[i].value[1]) + ")";
    return s;
}

TEST(TexturedQuad, SamplesTheListedTexelsOfTheSquare) {
    TestScreen screen(64, 48, 0xdead);
    TestTextures textures;
    textures.install(3, 8, 8, position);
    const ProjectedVertex c0{0, 0, 0, 0}, c1{10, 0, 0, 0}, c2{10, 10, 0, 0}, c3{0, 10, 0, 0};
    const TexCoord t0{0, 0, 0, 0}, t1{256, 0, 0, 0}, t2{256, 256, 0, 0}, t3{0, 256, 0, 0};
    drawTexQuad(&c0, &c1, &c2, &c3, &t0, &t1, &t2, &t3, 3);
    const int columns[10] = {0, 25, 51, 76, 102, 127, 153, 179, 204, 230};
    const int rows[11] = {0, 23, 46, 69, 93, 116, 139, 162, 186, 209, 232};
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 10; ++x) EXPECT_EQ(screen.at(x, y), position(columns[x], rows[y])) << x << "," << y;
        EXPECT_EQ(screen.at(10, y), 0xdead) << y;
    }
    EXPECT_EQ(screen.runs(11, 0xdead), "");
    EXPECT_EQ(screen.countNot(0xdead), 110);
    EXPECT_TRUE(screen.guardsIntact());
}

TEST(TexturedClip, CarriesWholeTextureCoordinates) {
    TestScreen screen(512, 480);
    const ProjectedVertex a{-10, 0, 0, 0}, b{10, 0, 0, 0}, c{0, 20, 0, 0};
    const TexCoord ta{0, 0, 0, 0}, tb{256, 0, 0, 0}, tc{128, 256, 0, 0};
    const ProjectedVertex* vs[] = {&a, &b, &c};
    const TexCoord* ts[] = {&ta, &tb, &tc};
    TexturedPoint out[CLIP_POINT_CAPACITY];
    const int m = clipTexturedPolygon(vs, ts, out, 3);
    // u at the crossing: 65536 / 21 = 3120, 10 * 3120 >> 8 = 121 (not 128).
    EXPECT_EQ(describe(out, m), "(10,0 256 0)(0,20 128 256)(0,0 121 0)");

    // Wholly on screen: rotated by two places.
    const ProjectedVertex d{5, 40, 0, 0};
    const TexCoord td{7, 9, 0, 0};
    const ProjectedVertex* quad[] = {&b, &c, &d, &a};
    const ProjectedVertex e{1, 1, 0, 0};
    quad[3] = &e;
    const TexCoord* quadTs[] = {&tb, &tc, &td, &ta};
    EXPECT_EQ(describe(out, clipTexturedPolygon(quad, quadTs, out, 4)),
              "(5,40 7 9)(1,1 0 0)(10,0 256 0)(0,20 128 256)");
}

TextureAddressing uniform(TestTextures& textures, Rgb555 texel) {
    textures.install(1, 1, 1, [texel](int, int) { return texel; });
    TextureAddressing a;
    EXPECT_TRUE(textureAddressing(1, &a));
    return a;
}

TEST(TexturedSpan, CombinesTexelAndPixel) {
    struct Case {
        TexturedSpan span;
        Rgb555 texel, pixel, expected;
    };
    const Case cases[] = {
        {spanCopy, 0x1234, 0x7fff, 0x1234},
        {spanAdd, 0x7fff, 0x7fff, 0xffff},  {spanAdd, 0x7fff, 0x0000, 0x7bde},
        {spanAdd, 0x001f, 0x001f, 0x003f},  {spanHalf, 0x7fff, 0x0000, 0x3def},
        {spanHalf, 0x7fff, 0x7fff, 0x7bde},
    };
    for (const Case& c : cases) {
        TestTextures textures;
        const TextureAddressing a = uniform(textures, c.texel);
        Rgb555 row[5] = {c.pixel, c.pixel, c.pixel, c.pixel, c.pixel};
        c.span(row + 1, 3, 0, 0, 256 * 256, 0, a);
        EXPECT_EQ(row[0], c.pixel);
        for (int i = 1; i <= 3; ++i) EXPECT_EQ(row[i], c.expected) << std::hex << c.texel << " " << c.pixel;
        EXPECT_EQ(row[4], c.pixel);
    }
}

TEST(TexturedSpan, WrapsNegativeCoordinates) {
    TestTextures textures;
    textures.install(2, 2, 1, [](int c, int r) { return static_cast<Rgb555>(r * 4 + c + 1); });
    TextureAddressing a;
    ASSERT_TRUE(textureAddressing(2, &a));
    // u from -256 to 0 maps the texture once, like 0 to 256; 0 to 512 maps it twice.
    Rgb555 negative[4] = {}, positive[4] = {}, twice[8] = {};
    spanCopy(negative, 4, -256 * 256, 0, 0, 0, a);
    spanCopy(positive, 4, 0, 0, 256 * 256, 0, a);
    spanCopy(twice, 8, 0, 0, 512 * 256, 0, a);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(positive[i], i + 1);
        EXPECT_EQ(negative[i], positive[i]);
        EXPECT_EQ(twice[i], positive[i]);
        EXPECT_EQ(twice[i + 4], positive[i]);
    }
    // Nothing for empty counts.
    Rgb555 untouched[2] = {9, 9};
    spanAdd(untouched, 0, 0, 0, 1, 1, a);
    spanHalf(untouched, -2, 0, 0, 1, 1, a);
    EXPECT_EQ(untouched[0], 9);
}

TEST(TexturedTriangle, VariantsDifferOnlyInTheCombine) {
    TestTextures textures;
    textures.install(5, 5, 4, [](int c, int r) { return static_cast<Rgb555>((c * 997 + r * 131) & 0x7fff); });
    const ProjectedVertex a{-7, 3, 0, 0}, b{70, 9, 0, 0}, c{20, 60, 0, 0};
    const TexCoord ta{-40, 0, 0, 0}, tb{300, 20, 0, 0}, tc{100, 400, 0, 0};
    constexpr Rgb555 MARK = 0x8000;  // no texel carries bit 15
    TestScreen copy(64, 48, MARK);
    drawTexTriangle(&a, &b, &c, &ta, &tb, &tc, 5);
    constexpr Rgb555 BACKGROUND = 0x2d6b;
    TestScreen add(64, 48, BACKGROUND);
    drawTexTriangleAdd(&a, &b, &c, &ta, &tb, &tc, 5);
    const std::vector<Rgb555> added(add.pixels(), add.pixels() + 64 * 48);
    TestScreen half(64, 48, BACKGROUND);
    drawTexTriangleHalf(&a, &b, &c, &ta, &tb, &tc, 5);
    int drawn = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const Rgb555 t = copy.at(x, y);
            if (t == MARK) {
                EXPECT_EQ(added[y * 64 + x], BACKGROUND);
                EXPECT_EQ(half.at(x, y), BACKGROUND);
                continue;
            }
            ++drawn;
            const std::uint32_t s = (t & 0x7bdeu) + (BACKGROUND & 0x7bdeu), k = s & 0x8420u;
            EXPECT_EQ(added[y * 64 + x], static_cast<Rgb555>(s | (k - (k >> 5)))) << x << "," << y;
            EXPECT_EQ(half.at(x, y), ((t >> 1) & 0x3def) + ((BACKGROUND >> 1) & 0x3def)) << x << "," << y;
        }
    EXPECT_GT(drawn, 500);
    // Cut at the right edge: the last column stays, the last row does not exist here.
    for (int y = 0; y < 48; ++y) EXPECT_EQ(copy.at(63, y), MARK);
}

TEST(TexturedTriangle, IgnoresDepthAndDrawsTheLastRow) {
    TestTextures textures;
    textures.install(0, 3, 3, [](int c, int r) { return static_cast<Rgb555>(r * 8 + c + 1); });
    const TexCoord ta{0, 0, 0, 0}, tb{256, 0, 0, 0}, tc{0, 256, 0, 0};
    TestScreen near(64, 48), far(64, 48);
    const ProjectedVertex a{30, 20, 5, 0}, b{90, 40, 9, 0}, c{10, 90, 1, 0};
    const ProjectedVertex fa{30, 20, 900, 0}, fb{90, 40, 2000, 0}, fc{10, 90, 4000, 0};
    setBackBuffer(near.pixels(), 64, 48);
    drawTexTriangle(&a, &b, &c, &ta, &tb, &tc, 0);
    setBackBuffer(far.pixels(), 64, 48);
    drawTexTriangle(&fa, &fb, &fc, &ta, &tb, &tc, 0);
    EXPECT_TRUE(std::equal(near.pixels(), near.pixels() + 64 * 48, far.pixels()));
    EXPECT_NE(near.runs(47), "");
    EXPECT_TRUE(near.guardsIntact());
}

TEST(TexturedTriangle, DrawsNothingWithoutAUsableTexture) {
    TestScreen screen(64, 48);
    TestTextures textures;
    textures.install(4, 9, 2, position);  // a width no texture may have
    const ProjectedVertex a{1, 1, 0, 0}, b{40, 5, 0, 0}, c{10, 40, 0, 0};
    const TexCoord t{0, 0, 0, 0};
    for (int id : {-1, 2, 4, 127, 128, 40000}) drawTexTriangle(&a, &b, &c, &t, &t, &t, id);
    EXPECT_EQ(screen.countNot(0), 0);
}

TEST(TexturedTriangle, DrawsNothingOnOneRow) {
    TestScreen screen(64, 48);
    TestTextures textures;
    textures.install(0, 1, 1, [](int, int) { return Rgb555{7}; });
    const ProjectedVertex a{1, 9, 0, 0}, b{40, 9, 0, 0}, c{10, 9, 0, 0}, d{60, 9, 0, 0};
    const TexCoord t{0, 0, 0, 0};
    drawTexTriangleAdd(&a, &b, &c, &t, &t, &t, 0);
    drawTexQuadHalf(&a, &b, &c, &d, &t, &t, &t, &t, 0);
    EXPECT_EQ(screen.countNot(0), 0);
}

}  // namespace
