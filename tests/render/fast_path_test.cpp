// Every fast routine against its reference, bit for bit, at every vector level
// the processor offers: the reciprocal division over its whole range, the
// clear fill, the spans, every polygon family on fixed-seed random input
// (clipped, degenerate and huge coordinates included), and whole frames. A
// failing case prints itself as a reproducible input.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/demo_scene.h"
#include "math/reciprocal.h"
#include "render/display_list.h"
#include "render/ordering.h"
#include "render/raster/flat.h"
#include "render/raster/shaded.h"
#include "render/raster/textured.h"
#include "scene/model.h"
#include "scene/transform.h"
#include "support/raster.h"
#include "support/shell.h"
#include "texture/texture.h"
#include "util/code_path.h"
#include "video/screen.h"

namespace {

std::vector<SimdLevel> simdLevels() {
    std::vector<SimdLevel> levels{SimdLevel::Scalar};
    if (detectedSimdLevel() >= SimdLevel::Sse2) levels.push_back(SimdLevel::Sse2);
    if (detectedSimdLevel() >= SimdLevel::Avx2) levels.push_back(SimdLevel::Avx2);
    return levels;
}

// Restores the fast path with every extension when a test ends.
struct PathGuard {
    ~PathGuard() {
        setCodePath(CodePath::Fast);
        setSimdLevel(SimdLevel::Avx2);
    }
};

// Every numerator the reciprocal takes, for every divisor: the truncated
// quotient is constant on each run q * d .. q * d + d - 1, and the product
// form is monotonic on either side of zero, so both ends of every run check
// every numerator between. Then the wrappers around the edges of the range.
TEST(Reciprocal, ExactForEveryNumeratorAndDivisor) {
    const std::int32_t limit = static_cast<std::int32_t>(RECIPROCAL_NUMERATOR_LIMIT);
    for (std::int32_t d = 1; d <= RECIPROCAL_DIVISOR_LIMIT; ++d) {
        const std::uint64_t m = reciprocalTable[static_cast<std::size_t>(d)];
        for (std::int32_t low = 0; low < limit; low += d) {
            const std::int32_t high = std::min(low + d - 1, limit - 1);
            for (std::int32_t n : {low, high, -low, -high})
                if (divTruncByReciprocal(n, m) != n / d) FAIL() << n << " by the reciprocal of " << d;
        }
    }
    for (std::int32_t n : {0, 1, -1, limit - 1, -(limit - 1)}) EXPECT_TRUE(reciprocalNumerator(n)) << n;
    for (std::int32_t n : {limit, -limit, INT32_MAX, INT32_MIN}) EXPECT_FALSE(reciprocalNumerator(n)) << n;
    std::mt19937 random(8);
    const auto check = [](std::int32_t n, std::int32_t d) {
        ASSERT_EQ(divTruncFast(n, d), divTrunc(n, d)) << n << " / " << d;
        if (d > 0) {
            ASSERT_EQ(divTruncPositive(n, d), n / d) << n << " / " << d;
        }
    };
    for (std::int32_t d = 1; d <= RECIPROCAL_DIVISOR_LIMIT + 2; ++d) {
        for (std::int32_t n : {0, 1, d - 1, d, limit - 1, limit, limit + 1, INT32_MAX, INT32_MIN + 1})
            for (std::int32_t s : {1, -1}) {
                check(n * s, d);
                check(n * s, -d);
            }
        for (int i = 0; i < 50; ++i) check(static_cast<std::int32_t>(random()) >> (random() % 32), d);
    }
    check(INT32_MIN, -1);
}

// Coordinates on a range of `size`: mostly on or near it, some huge.
std::int32_t randomCoordinate(std::mt19937& random, std::int32_t size) {
    switch (random() % 10) {
    case 0: return static_cast<std::int32_t>(random());                      // huge, either sign
    case 1: return static_cast<std::int32_t>(random() % 2000001) - 1000000;  // far off screen
    case 2: return static_cast<std::int32_t>(random() % 5) - 2;              // around the edges
    case 3: return size - 2 + static_cast<std::int32_t>(random() % 5);
    default: return static_cast<std::int32_t>(random() % static_cast<unsigned>(size * 2)) - size / 2;
    }
}

// The walk's slopes by reciprocal against the hardware division, on edges of
// every kind: downwards and upwards, horizontal, long, differences of any size.
TEST(Reciprocal, EdgeSlopesMatchTheHardwareDivision) {
    std::mt19937 random(4242);
    for (int i = 0; i < 200000; ++i) {
        RasterPoint<3> a, b;
        a.x = randomCoordinate(random, 1024);
        b.x = randomCoordinate(random, 1024);
        a.y = randomCoordinate(random, 600);
        b.y = random() % 4 == 0 ? a.y + static_cast<std::int32_t>(random() % 1100) : randomCoordinate(random, 600);
        for (int k = 0; k < 3; ++k) a.value[k] = randomCoordinate(random, 70000), b.value[k] = randomCoordinate(random, 70000);
        const EdgeValues<3> expected = raster_detail::edgeSlope<3, raster_detail::HardwareDivide>(a, b);
        const EdgeValues<3> actual = raster_detail::edgeSlopeFast<3>(a, b);
        ASSERT_TRUE(expected.x == actual.x && expected.value == actual.value)
            << "(" << a.x << "," << a.y << " " << a.value[0] << " " << a.value[1] << " " << a.value[2] << ") -> ("
            << b.x << "," << b.y << " " << b.value[0] << " " << b.value[1] << " " << b.value[2] << ")";
    }
}

TEST(FastClear, FillsTheSameBytesAtEveryAlignmentAndLength) {
    PathGuard guard;
    std::vector<unsigned char> expected(4096 + 64), actual(4096 + 64);
    for (SimdLevel level : simdLevels()) {
        setSimdLevel(level);
        for (int offset = 0; offset < 16; offset += 2)
            for (std::int32_t count : {-3, 0, 1, 2, 3, 5, 7, 15, 16, 17, 31, 33, 63, 64, 65, 255, 1017})
                for (std::uint32_t word : {0u, 0x7fff7fffu, 0x12341234u, 0xababababu}) {
                    std::fill(expected.begin(), expected.end(), static_cast<unsigned char>(offset + count));
                    actual = expected;
                    fillWordsReference(expected.data() + 16 + offset, count, word);
                    fillWordsFast(actual.data() + 16 + offset, count, word);
                    ASSERT_EQ(expected, actual) << "offset " << offset << ", " << count << " words of 0x" << std::hex
                                                << word << " at " << simdLevelName(level);
                }
    }
}

std::int32_t randomCount(std::mt19937& random) {
    switch (random() % 8) {
    case 0: return static_cast<std::int32_t>(random() % 300);
    case 1: return -static_cast<std::int32_t>(random() % 5);
    default: return static_cast<std::int32_t>(random() % 20);
    }
}

// Runs draw(reference?, row) on two copies of a random row, 8 pixels in.
template <typename Draw>
void compareRows(unsigned screenSeed, Draw draw, const std::string& what) {
    std::vector<Rgb555> expected(320), actual(320);
    std::minstd_rand screenRandom(screenSeed);
    for (std::size_t k = 0; k < expected.size(); ++k) expected[k] = actual[k] = static_cast<Rgb555>(screenRandom());
    draw(true, expected.data() + 8);
    draw(false, actual.data() + 8);
    ASSERT_EQ(expected, actual) << what << ", row from minstd_rand seeded " << screenSeed;
}

// Every span routine against its reference on random rows, counts and values,
// at every vector level; the textured ones on textures of every size.
TEST(FastSpans, MatchTheirReferences) {
    PathGuard guard;
    const TexturedSpan textured[][2] = {{spanCopy, spanCopyFast}, {spanAdd, spanAddFast}, {spanHalf, spanHalfFast}};
    using ShadedSpan = void (*)(Rgb555*, std::int32_t, const ShadedColour&, const ShadedColour&);
    const ShadedSpan shaded[][2] = {{spanShaded, spanShadedFast}, {spanShadedAdd, spanShadedAddFast}};
    std::mt19937 random(5150);
    // One texture of every size, exactly its texels long: no load may reach past them.
    std::vector<std::vector<Rgb555>> textures(81);  // index: width shift * 9 + height shift
    for (std::size_t k = 0; k < textures.size(); ++k) {
        textures[k].resize(std::size_t{1} << (k / 9 + k % 9));
        for (Rgb555& texel : textures[k]) texel = static_cast<Rgb555>(random());
    }
    const auto colour = [&] {
        return random() % 3 ? static_cast<std::int32_t>(random() % 65536) : randomCoordinate(random, 65793);
    };
    for (SimdLevel level : simdLevels()) {
        setSimdLevel(level);
        for (int r = 0; r < 5; ++r)
            for (int i = 0; i < 100000; ++i) {
                const std::int32_t count = randomCount(random);
                std::ostringstream what;
                what << "routine " << r << " at " << simdLevelName(level) << ": count " << count;
                std::function<void(bool, Rgb555*)> draw;
                if (r < 3) {
                    const int ws = 1 + static_cast<int>(random() % 8), hs = 1 + static_cast<int>(random() % 8);
                    const TextureAddressing texture{textures[static_cast<std::size_t>(ws * 9 + hs)].data(), ws, hs,
                                                    (1 << ws) - 1, ((1 << hs) - 1) << 8, 8 - ws};
                    const std::int32_t u0 = randomCoordinate(random, 65793), v0 = randomCoordinate(random, 65793);
                    const std::int32_t u1 = randomCoordinate(random, 65793), v1 = randomCoordinate(random, 65793);
                    what << ", u " << u0 << ".." << u1 << ", v " << v0 << ".." << v1 << ", shifts " << ws << "/" << hs;
                    draw = [=, &textured](bool reference, Rgb555* row) {
                        textured[r][reference ? 0 : 1](row, count, u0, v0, u1, v1, texture);
                    };
                } else {
                    const ShadedColour left{colour(), colour(), colour()}, right{colour(), colour(), colour()};
                    what << ", left " << left[0] << " " << left[1] << " " << left[2] << ", right " << right[0] << " "
                         << right[1] << " " << right[2];
                    draw = [=, &shaded](bool reference, Rgb555* row) { shaded[r - 3][reference ? 0 : 1](row, count, left, right); };
                }
                compareRows(static_cast<unsigned>(random()), draw, what.str());
                if (HasFatalFailure()) return;
            }
    }
}

enum class Family { Flat, Shaded, ShadedAdd, Tex, TexAdd, TexHalf };
const char* familyName(Family f) { return std::array{"flat", "shaded", "shadedAdd", "tex", "texAdd", "texHalf"}[static_cast<int>(f)]; }

struct PolygonCase {
    int corners;
    ProjectedVertex v[4];
    ColourRecord c[4];
    TexCoord t[4];
    std::int32_t colour;
};

std::string describe(Family family, const PolygonCase& p, int width, int height) {
    std::ostringstream out;
    out << familyName(family) << " polygon on a " << width << " x " << height << " screen:";
    for (int i = 0; i < p.corners; ++i)
        out << " (" << p.v[i].x << ", " << p.v[i].y << " | rgb " << p.c[i].red << " " << p.c[i].green << " "
            << p.c[i].blue << " | uv " << p.t[i].u << " " << p.t[i].v << ")";
    out << " colour " << p.colour;
    return out.str();
}

PolygonCase randomPolygon(std::mt19937& random, int width, int height) {
    PolygonCase p{};
    p.corners = 3 + static_cast<int>(random() % 2);
    const bool small = random() % 2;  // demo-like: a few pixels across, mostly on screen
    const std::int32_t cx = static_cast<std::int32_t>(random() % static_cast<unsigned>(width));
    const std::int32_t cy = static_cast<std::int32_t>(random() % static_cast<unsigned>(height));
    for (int i = 0; i < 4; ++i) {
        p.v[i].x = small ? cx + static_cast<std::int32_t>(random() % 13) - 6 : randomCoordinate(random, width);
        p.v[i].y = small ? cy + static_cast<std::int32_t>(random() % 13) - 6 : randomCoordinate(random, height);
        p.c[i] = {static_cast<std::int32_t>(random() % 256), static_cast<std::int32_t>(random() % 256),
                  static_cast<std::int32_t>(random() % 256), 0};
        if (random() % 8 == 0) p.c[i].red = static_cast<std::int32_t>(random() % 1000) - 500;
        p.t[i] = {static_cast<std::int32_t>(random() % 769) - 256, static_cast<std::int32_t>(random() % 769) - 256, 0, 0};
        if (random() % 8 == 0) p.t[i].u = static_cast<std::int32_t>(random() % 70001) - 35000;
    }
    switch (random() % 16) {  // degenerate shapes: a repeated corner, one row, one column
    case 0: p.v[1] = p.v[0]; break;
    case 1: p.v[1].y = p.v[2].y = p.v[0].y; break;
    case 2: p.v[1].x = p.v[2].x = p.v[0].x; break;
    default: break;
    }
    p.colour = static_cast<std::int32_t>(random() & 0xffff);
    return p;
}

void drawCase(Family family, const PolygonCase& p) {
    const ProjectedVertex* v = p.v;
    const ColourRecord* c = p.c;
    const TexCoord* t = p.t;
    const decltype(&drawShadedTriangle) shaded3[] = {drawShadedTriangle, drawShadedTriangleAdd};
    const decltype(&drawShadedQuad) shaded4[] = {drawShadedQuad, drawShadedQuadAdd};
    const decltype(&drawTexTriangle) tex3[] = {drawTexTriangle, drawTexTriangleAdd, drawTexTriangleHalf};
    const decltype(&drawTexQuad) tex4[] = {drawTexQuad, drawTexQuadAdd, drawTexQuadHalf};
    const int f = static_cast<int>(family);
    if (family == Family::Flat)
        p.corners == 4 ? drawFlatQuad(v, v + 1, v + 2, v + 3, p.colour) : drawFlatTriangle(v, v + 1, v + 2, p.colour);
    else if (f <= static_cast<int>(Family::ShadedAdd))
        p.corners == 4 ? shaded4[f - 1](v, v + 1, v + 2, v + 3, c, c + 1, c + 2, c + 3) : shaded3[f - 1](v, v + 1, v + 2, c, c + 1, c + 2);
    else
        p.corners == 4 ? tex4[f - 3](v, v + 1, v + 2, v + 3, t, t + 1, t + 2, t + 3, 0) : tex3[f - 3](v, v + 1, v + 2, t, t + 1, t + 2, 0);
}

// Draws each polygon on two screens, one per path, comparing them every batch;
// a batch that differs is replayed polygon by polygon to name the culprit.
// Answers the hash of the reference screen after every batch, which pins
// what both paths share (clipper, walk, spans) even where the two agree.
std::uint64_t comparePolygons(Family family, unsigned seed, int count, int width, int height) {
    PathGuard guard;
    TestScreen reference(width, height), fast(width, height);
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::mt19937 random(seed), colours(seed + 1);
    for (std::size_t i = 0; i < pixels; ++i) reference.pixels()[i] = fast.pixels()[i] = static_cast<Rgb555>(colours());
    const std::vector<SimdLevel> levels = simdLevels();
    constexpr int BATCH = 32;
    std::vector<PolygonCase> batch(BATCH);
    std::uint64_t hash = 0xcbf29ce484222325ull;
    const auto draw = [&](const PolygonCase& p, Rgb555* ref, Rgb555* fst, SimdLevel level) {
        setCodePath(CodePath::Reference);
        setBackBuffer(ref, width, height);
        drawCase(family, p);
        setCodePath(CodePath::Fast);
        setSimdLevel(level);
        setBackBuffer(fst, width, height);
        drawCase(family, p);
    };
    for (int done = 0; done < count; done += BATCH) {
        for (PolygonCase& p : batch) p = randomPolygon(random, width, height);
        const SimdLevel level = levels[static_cast<std::size_t>(done / BATCH) % levels.size()];
        const std::vector<Rgb555> before(fast.pixels(), fast.pixels() + pixels + static_cast<std::size_t>(width));
        for (const PolygonCase& p : batch) draw(p, reference.pixels(), fast.pixels(), level);
        hash = hashPixels(reference.pixels(), pixels, hash);
        if (std::memcmp(reference.pixels(), fast.pixels(), pixels * sizeof(Rgb555)) == 0 && fast.guardsIntact()) continue;
        std::vector<Rgb555> ref(before), fst(before);
        for (const PolygonCase& p : batch) {
            draw(p, ref.data(), fst.data(), level);
            if (ref != fst) {
                ADD_FAILURE() << "fast path (" << simdLevelName(level) << ") differs: " << describe(family, p, width, height);
                return 0;
            }
        }
        ADD_FAILURE() << "fast path (" << simdLevelName(level) << ") wrote outside the drawable rows in batch " << done / BATCH;
        return 0;
    }
    setBackBuffer(reference.pixels(), width, height);
    return hash;
}

class FastPolygons : public ::testing::TestWithParam<Family> {};

// The second screen is wider than the reciprocal's divisors reach: spans may
// then be too long for it, and the fast walk must test them row by row.
TEST_P(FastPolygons, MatchTheReferenceOnRandomPolygons) {
    // Recorded from the reference routines once they agreed with an independent model.
    static const char* const pinned[] = {"26f42a07bd7d545d", "b45deae5beb5f58a", "51098ab4fa330169",
                                         "fe31a68117356070", "363dd32aff07e82", "fcd30cec1b5f843a"};
    TestTextures textures;
    std::mt19937 texelRandom(3);
    textures.install(0, 5, 4, [&](int, int) { return static_cast<Rgb555>(texelRandom()); });
    const std::uint64_t small = comparePolygons(GetParam(), 1000u + static_cast<unsigned>(GetParam()), 100000, 64, 48);
    TestTextures wide;
    wide.install(0, 8, 8, [&](int, int) { return static_cast<Rgb555>(texelRandom()); });
    const std::uint64_t large = comparePolygons(GetParam(), 2000u + static_cast<unsigned>(GetParam()), 4000, 1100, 24);
    std::ostringstream hash;
    hash << std::hex << (small ^ large);
    EXPECT_EQ(hash.str(), pinned[static_cast<int>(GetParam())]);
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, FastPolygons,
                         ::testing::Values(Family::Flat, Family::Shaded, Family::ShadedAdd, Family::Tex, Family::TexAdd,
                                           Family::TexHalf),
                         [](const ::testing::TestParamInfo<Family>& info) { return std::string(familyName(info.param)); });

// Demo frames at several poses and clear colours, and random projected
// vertices with few depths, so buckets hold long chains of polygons sharing
// some, all or none of their corners: the fast dispatch may leave out only
// what is drawn over anyway.
TEST(FastFrames, MatchTheReferenceFrames) {
    PathGuard guard;
    ScopedRunDirectory directory;
    ASSERT_EQ(startUp(createBareWindow(512, 480)), 0);
    ASSERT_TRUE(demoSceneBuilt());
    const std::size_t pixels = static_cast<std::size_t>(screenWidth()) * static_cast<std::size_t>(screenHeight() + 1);
    const auto frame = [&](CodePath path, SimdLevel level, bool demo) {
        setCodePath(path);
        setSimdLevel(level);
        clearBackBuffer();
        if (demo) {
            animateTextures();
            transformAllModels();
        }
        drawDisplayList();
        return std::vector<Rgb555>(backBufferPixels(), backBufferPixels() + pixels);
    };
    const Vec4 poses[] = {{0, 0, 0, 0}, {96, 0, 64, 0}, {960, 0, 960, 0}, {40, 0, 1000, 0}, {1000, 0, 30, 0}};
    for (const Vec4& pose : poses) {
        for (int part = 1; part < DEMO_PART_COUNT; ++part) {
            partRotation(demoModel, part)->x = pose.x;
            partRotation(demoModel, part)->z = pose.z;
        }
        for (std::uint32_t clear : {0u, 0x12341234u}) {
            setClearColor(static_cast<std::int32_t>(clear >> 10), static_cast<std::int32_t>(clear >> 5), static_cast<std::int32_t>(clear));
            const std::vector<Rgb555> expected = frame(CodePath::Reference, SimdLevel::Scalar, true);
            for (SimdLevel level : simdLevels())
                ASSERT_TRUE(frame(CodePath::Fast, level, true) == expected)
                    << "bands at x " << pose.x << ", z " << pose.z << ", clear 0x" << std::hex << clear << " at "
                    << simdLevelName(level);
        }
    }
    DisplayList* list = frameDisplayList();
    std::uint64_t hash = 0xcbf29ce484222325ull;
    std::mt19937 random(606);
    for (int n = 0; n < 150; ++n) {
        const std::int32_t spread = 1 + static_cast<std::int32_t>(random() % 40);
        for (std::int32_t i = 0; i < 220; ++i) {
            ProjectedVertex& v = list->projectedVertices[i];
            v.x = static_cast<std::int32_t>(random() % static_cast<unsigned>(spread * 8)) + 200;
            v.y = static_cast<std::int32_t>(random() % static_cast<unsigned>(spread * 8)) + 200;
            v.z = static_cast<std::int32_t>(random() % 4);
            v.clip = random() % 50 == 0 ? -1 : 0;
        }
        for (int k = 0; k < spread; ++k) {  // some corners coincide
            const std::size_t a = random() % 220, b = random() % 220;
            list->projectedVertices[a].x = list->projectedVertices[b].x;
            list->projectedVertices[a].y = list->projectedVertices[b].y;
        }
        const std::vector<Rgb555> expected = frame(CodePath::Reference, SimdLevel::Scalar, false);
        ASSERT_TRUE(frame(CodePath::Fast, SimdLevel::Avx2, false) == expected) << "crowded frame " << n << " differs";
        hash = hashPixels(expected.data(), expected.size(), hash);
    }
    std::ostringstream hex;
    hex << std::hex << hash;
    EXPECT_EQ(hex.str(), "9d8335d51f138e36") << "the crowded frames drew otherwise than when recorded";
    resetShellState();
}

}  // namespace
