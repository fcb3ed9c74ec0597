// Every fast routine against its reference, bit for bit: the reciprocal
// division over its whole divisor range, the clear fill, the textured and
// shaded spans, every polygon family on fixed-seed random input (clipped,
// degenerate and huge coordinates included), and whole demo frames. Vector
// code is checked at every level the processor offers. A failing case prints
// itself as a reproducible input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/demo_scene.h"
#include "app/shell_test_support.h"
#include "math/reciprocal.h"
#include "render/display_list.h"
#include "render/ordering.h"
#include "render/raster/flat.h"
#include "render/raster/raster_fixture.h"
#include "render/raster/shaded.h"
#include "render/raster/textured.h"
#include "scene/model.h"
#include "scene/transform.h"
#include "texture/texture.h"
#include "util/code_path.h"
#include "video/screen.h"

namespace {

// Every vector level this processor offers, scalar first.
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

// ---- Reciprocal division -------------------------------------------------------

// The product m * a stays exact while a * e < 2^32 for e = m * d - 2^32: the
// reasoning of math/reciprocal.h, checked here for every divisor in the table.
TEST(Reciprocal, ErrorBoundHoldsForEveryDivisor) {
    for (std::uint64_t d = 1; d <= RECIPROCAL_DIVISOR_LIMIT; ++d) {
        const std::uint64_t m = reciprocalTable[d];
        ASSERT_GT(m * d, std::uint64_t{1} << 32) << "d=" << d;
        const std::uint64_t e = m * d - (std::uint64_t{1} << 32);
        ASSERT_GE(e, 1u) << "d=" << d;  // the signed form needs e > 0
        ASSERT_LE(e, d) << "d=" << d;
        ASSERT_LT(e * (RECIPROCAL_NUMERATOR_LIMIT - 1), std::uint64_t{1} << 32) << "d=" << d;
    }
}

// Around every multiple of each divisor where a rounding error would first
// show, at both ends of the numerator range, and beyond it (hardware path).
TEST(Reciprocal, MatchesTruncatingDivision) {
    std::mt19937 random(8);
    const auto check = [](std::int32_t n, std::int32_t d) {
        ASSERT_EQ(divTruncFast(n, d), divTrunc(n, d)) << "n=" << n << " d=" << d;
        if (d > 0) {
            ASSERT_EQ(divTruncPositive(n, d), n / d) << "n=" << n << " d=" << d;
        }
    };
    const std::int32_t limit = static_cast<std::int32_t>(RECIPROCAL_NUMERATOR_LIMIT);
    for (std::int32_t d = 1; d <= RECIPROCAL_DIVISOR_LIMIT + 2; ++d) {
        for (std::int32_t n : {0, 1, d - 1, d, d + 1, limit - 1, limit, limit + 1, INT32_MAX, INT32_MIN, INT32_MIN + 1}) {
            for (std::int32_t sn : {1, -1})
                for (std::int32_t sd : {1, -1}) check(static_cast<std::int32_t>(static_cast<std::uint32_t>(n) * sn), d * sd);
        }
        // The largest multiples below the limit and random ones.
        const std::int32_t top = (limit - 1) / d;
        for (std::int32_t q : {top, top - 1, top / 2, 1 + static_cast<std::int32_t>(random() % static_cast<unsigned>(top + 1))}) {
            for (std::int32_t r : {-1, 0, d - 1}) {
                const std::int32_t n = q * d + r;
                check(n, d);
                check(-n, d);
                check(n, -d);
                check(-n, -d);
            }
        }
        for (int i = 0; i < 200; ++i) {
            const std::int32_t n = static_cast<std::int32_t>(random());
            check(n, d);
            check(n >> (random() % 32), d);
            check(n >> (random() % 32), -d);
        }
    }
    check(INT32_MIN, -1);
}

// Every numerator the reciprocal takes, for every divisor: the truncated
// quotient is constant on each run q * d .. q * d + d - 1 (and its negative),
// and the product form is non-decreasing in the numerator on either side of
// zero, so checking both ends of every run checks every numerator between.
TEST(Reciprocal, SignedFormExactForEveryNumeratorInRange) {
    const std::int32_t limit = static_cast<std::int32_t>(RECIPROCAL_NUMERATOR_LIMIT);
    for (std::int32_t d = 1; d <= RECIPROCAL_DIVISOR_LIMIT; ++d) {
        const std::uint64_t m = reciprocalTable[static_cast<std::size_t>(d)];
        for (std::int32_t low = 0; low < limit; low += d) {
            const std::int32_t high = std::min(low + d - 1, limit - 1);
            for (std::int32_t n : {low, high, -low, -high}) {
                if (divTruncByReciprocal(n, m) != n / d) {
                    FAIL() << "divTruncByReciprocal(" << n << ", reciprocalTable[" << d << "]) = "
                           << divTruncByReciprocal(n, m) << ", expected " << n / d;
                }
            }
        }
    }
    // The range test: exactly -(limit - 1)..limit - 1.
    for (std::int32_t n : {0, 1, -1, limit - 1, -(limit - 1)}) EXPECT_TRUE(reciprocalNumerator(n)) << n;
    for (std::int32_t n : {limit, -limit, INT32_MAX, INT32_MIN, limit + 1, -limit - 1}) EXPECT_FALSE(reciprocalNumerator(n)) << n;
}

// The vector spans divide through double precision: the correctly rounded
// quotient of two 32-bit integers, truncated, is the truncated quotient. The
// cases nearest to failing are the numerators just below and above a
// multiple of the divisor, largest in magnitude; every divisor the spans can
// have (up to a screen width far beyond any here) at both ends of the range.
TEST(DoubleDivision, TruncatesAsIntegerDivisionDoes) {
    const auto check = [](std::int32_t n, std::int32_t d) {
        const std::int32_t viaDouble = static_cast<std::int32_t>(static_cast<double>(n) / static_cast<double>(d));
        return viaDouble == n / d;
    };
    for (std::int32_t d = 1; d <= 70000; ++d) {
        const std::int32_t top = INT32_MAX / d * d;  // the largest multiple of d
        for (std::int32_t n : {top, top - 1, top - d + 1, top - d, d - 1, d, d + 1, 1, 0}) {
            if (!check(n, d) || !check(-n, d)) FAIL() << n << " / " << d;
        }
        if (!check(INT32_MIN, d) || !check(INT32_MAX, d)) FAIL() << "extremes / " << d;
    }
    std::mt19937 random(77);
    for (int i = 0; i < 1000000; ++i) {
        const std::int32_t n = static_cast<std::int32_t>(random());
        const std::int32_t d = 1 + static_cast<std::int32_t>(random() % 4096);
        if (!check(n, d)) FAIL() << n << " / " << d;
    }
}

// The walk's slopes by reciprocal against the hardware division, on edges of
// every kind: downwards and upwards, horizontal, long, and differences of any size.
TEST(Reciprocal, EdgeSlopesMatchTheHardwareDivision) {
    std::mt19937 random(4242);
    for (int i = 0; i < 200000; ++i) {
        RasterPoint<3> a, b;
        const auto coordinate = [&](int scale) {
            switch (random() % 4) {
            case 0: return static_cast<std::int32_t>(random());
            case 1: return static_cast<std::int32_t>(random() % 40000) - 20000;
            default: return static_cast<std::int32_t>(random() % static_cast<unsigned>(scale));
            }
        };
        a.x = coordinate(1024);
        b.x = coordinate(1024);
        a.y = coordinate(600);
        b.y = random() % 4 == 0 ? a.y + static_cast<std::int32_t>(random() % 1100) : coordinate(600);
        for (int k = 0; k < 3; ++k) {
            a.value[k] = coordinate(70000);
            b.value[k] = coordinate(70000);
        }
        const EdgeValues<3> expected = raster_detail::edgeSlope<3, raster_detail::HardwareDivide>(a, b);
        const EdgeValues<3> actual = raster_detail::edgeSlopeFast<3>(a, b);
        ASSERT_TRUE(expected.x == actual.x && expected.value == actual.value)
            << "edge (" << a.x << ", " << a.y << " | " << a.value[0] << " " << a.value[1] << " " << a.value[2] << ") -> ("
            << b.x << ", " << b.y << " | " << b.value[0] << " " << b.value[1] << " " << b.value[2] << ")";
    }
}

// ---- The clear --------------------------------------------------------------

TEST(FastClear, FillsTheSameBytesAtEveryAlignmentAndLength) {
    PathGuard guard;
    std::mt19937 random(21);
    const std::uint32_t words[] = {0u, 0x7fff7fffu, 0x001f001fu, 0x12341234u, 0xabababab, 0x7c007c00u};
    std::vector<unsigned char> expected(4096 + 64), actual(4096 + 64);
    for (SimdLevel level : simdLevels()) {
        setSimdLevel(level);
        for (int offset = 0; offset < 16; offset += 2) {  // pixels are 2-byte aligned
            for (std::int32_t count : {-3, 0, 1, 2, 3, 4, 5, 7, 15, 16, 17, 31, 33, 63, 64, 65, 100, 255, 1000, 1017}) {
                for (std::uint32_t word : words) {
                    const auto seed = static_cast<unsigned char>(random());
                    std::memset(expected.data(), seed, expected.size());
                    std::memset(actual.data(), seed, actual.size());
                    fillWordsReference(expected.data() + 16 + offset, count, word);
                    fillWordsFast(actual.data() + 16 + offset, count, word);
                    ASSERT_EQ(expected, actual) << "fillWords(offset " << offset << ", " << count << " words, 0x" << std::hex
                                                << word << ") at " << simdLevelName(level);
                }
            }
        }
    }
}

// ---- Spans -------------------------------------------------------------------

// Coordinates of every scale: demo-like 24.8 values, small negatives, and
// anything a 32-bit accumulator can hold.
std::int32_t randomCoordinate(std::mt19937& random) {
    switch (random() % 4) {
    case 0: return static_cast<std::int32_t>(random() % 65793);              // 0..256 texture units
    case 1: return static_cast<std::int32_t>(random() % 400000) - 200000;    // negative ones too
    case 2: return static_cast<std::int32_t>(random());                      // any
    default: return static_cast<std::int32_t>(random() % 2000000) - 1000000;
    }
}

std::int32_t randomCount(std::mt19937& random) {
    switch (random() % 8) {
    case 0: return static_cast<std::int32_t>(random() % 300);
    case 1: return -static_cast<std::int32_t>(random() % 5);
    default: return static_cast<std::int32_t>(random() % 20);
    }
}

TEST(FastSpans, TexturedSpansMatchTheirReferences) {
    PathGuard guard;
    struct Routine {
        const char* name;
        TexturedSpan reference;
        TexturedSpan fast;
    };
    const Routine routines[] = {{"spanCopy", spanCopy, spanCopyFast},
                                {"spanAdd", spanAdd, spanAddFast},
                                {"spanHalf", spanHalf, spanHalfFast}};
    constexpr int SPANS = 100000;
    constexpr int PIXELS = 320;
    std::mt19937 random(5150);
    // One texture of every size, exactly its texels long: no load may reach past them.
    std::vector<std::vector<Rgb555>> textures(81);
    for (int ws = 1; ws <= 8; ++ws)
        for (int hs = 1; hs <= 8; ++hs) {
            std::vector<Rgb555>& t = textures[static_cast<std::size_t>(ws * 9 + hs)];
            t.resize(std::size_t{1} << (ws + hs));
            std::mt19937 texelRandom(static_cast<unsigned>(ws * 9 + hs));
            for (Rgb555& texel : t) texel = static_cast<Rgb555>(texelRandom());
        }
    std::vector<Rgb555> expected(PIXELS), actual(PIXELS);
    for (SimdLevel level : simdLevels()) {
        setSimdLevel(level);
        for (const Routine& routine : routines) {
            for (int i = 0; i < SPANS; ++i) {
                const int widthShift = 1 + static_cast<int>(random() % 8);
                const int heightShift = 1 + static_cast<int>(random() % 8);
                const std::vector<Rgb555>& texels = textures[static_cast<std::size_t>(widthShift * 9 + heightShift)];
                const TextureAddressing texture{texels.data(), widthShift, heightShift, (1 << widthShift) - 1,
                                                ((1 << heightShift) - 1) << 8, 8 - widthShift};
                const std::int32_t count = randomCount(random);
                const std::int32_t uLeft = randomCoordinate(random), vLeft = randomCoordinate(random);
                const std::int32_t uRight = randomCoordinate(random), vRight = randomCoordinate(random);
                const unsigned screenSeed = static_cast<unsigned>(random());
                std::minstd_rand screenRandom(screenSeed);
                for (std::size_t k = 0; k < expected.size(); ++k) expected[k] = actual[k] = static_cast<Rgb555>(screenRandom());
                routine.reference(expected.data() + 8, count, uLeft, vLeft, uRight, vRight, texture);
                routine.fast(actual.data() + 8, count, uLeft, vLeft, uRight, vRight, texture);
                ASSERT_EQ(expected, actual) << routine.name << "Fast at " << simdLevelName(level) << ": count " << count
                                            << ", u " << uLeft << ".." << uRight << ", v " << vLeft << ".." << vRight
                                            << ", shifts " << widthShift << "/" << heightShift
                                            << " (texels from mt19937 seeded with 9 * widthShift + heightShift)"
                                            << ", screen from minstd_rand seeded " << screenSeed << " (8 pixels in)";
            }
        }
    }
}

TEST(FastSpans, ShadedSpansMatchTheirReferences) {
    struct Routine {
        const char* name;
        void (*reference)(Rgb555*, std::int32_t, const ShadedColour&, const ShadedColour&);
        void (*fast)(Rgb555*, std::int32_t, const ShadedColour&, const ShadedColour&);
    };
    const Routine routines[] = {{"spanShaded", spanShaded, spanShadedFast},
                                {"spanShadedAdd", spanShadedAdd, spanShadedAddFast}};
    std::mt19937 random(77);
    for (const Routine& routine : routines) {
        for (int i = 0; i < 100000; ++i) {
            ShadedColour left, right;
            for (int k = 0; k < 3; ++k) {
                left[k] = random() % 3 ? static_cast<std::int32_t>(random() % 65536) : randomCoordinate(random);
                right[k] = random() % 3 ? static_cast<std::int32_t>(random() % 65536) : randomCoordinate(random);
            }
            const std::int32_t count = randomCount(random);
            const unsigned screenSeed = static_cast<unsigned>(random());
            std::vector<Rgb555> expected(320), actual(320);
            std::minstd_rand screenRandom(screenSeed);
            for (std::size_t k = 0; k < expected.size(); ++k) expected[k] = actual[k] = static_cast<Rgb555>(screenRandom());
            routine.reference(expected.data() + 8, count, left, right);
            routine.fast(actual.data() + 8, count, left, right);
            ASSERT_EQ(expected, actual) << routine.name << "Fast: count " << count << ", left " << left[0] << " "
                                        << left[1] << " " << left[2] << ", right " << right[0] << " " << right[1] << " "
                                        << right[2] << ", screen from minstd_rand seeded " << screenSeed << " (8 pixels in)";
        }
    }
}

// ---- Polygons ----------------------------------------------------------------

enum class Family { Flat, Shaded, ShadedAdd, Tex, TexAdd, TexHalf };
const char* familyName(Family f) {
    static const char* names[] = {"flat", "shaded", "shadedAdd", "tex", "texAdd", "texHalf"};
    return names[static_cast<int>(f)];
}

struct PolygonCase {
    int corners;
    ProjectedVertex v[4];
    ColourRecord c[4];
    TexCoord t[4];
    std::int32_t colour;
};

std::string describe(Family family, const PolygonCase& p, int width, int height) {
    std::ostringstream out;
    out << familyName(family) << " polygon of " << p.corners << " corners on a " << width << " x " << height << " screen:";
    for (int i = 0; i < p.corners; ++i)
        out << " (" << p.v[i].x << ", " << p.v[i].y << " | rgb " << p.c[i].red << " " << p.c[i].green << " "
            << p.c[i].blue << " | uv " << p.t[i].u << " " << p.t[i].v << ")";
    out << " colour " << p.colour;
    return out.str();
}

std::int32_t randomScreenCoordinate(std::mt19937& random, std::int32_t size) {
    switch (random() % 10) {
    case 0: return static_cast<std::int32_t>(random());                           // huge, either sign
    case 1: return static_cast<std::int32_t>(random() % 2000001) - 1000000;       // far off screen
    case 2: return static_cast<std::int32_t>(random() % 5) - 2;                   // on and around the edge
    case 3: return size - 2 + static_cast<std::int32_t>(random() % 5);
    default: return static_cast<std::int32_t>(random() % static_cast<unsigned>(size * 2)) - size / 2;
    }
}

PolygonCase randomPolygon(std::mt19937& random, int width, int height) {
    PolygonCase p{};
    p.corners = 3 + static_cast<int>(random() % 2);
    const bool small = random() % 2;  // demo-like: a few pixels across, mostly on screen
    const std::int32_t cx = static_cast<std::int32_t>(random() % static_cast<unsigned>(width));
    const std::int32_t cy = static_cast<std::int32_t>(random() % static_cast<unsigned>(height));
    for (int i = 0; i < 4; ++i) {
        if (small) {
            p.v[i].x = cx + static_cast<std::int32_t>(random() % 13) - 6;
            p.v[i].y = cy + static_cast<std::int32_t>(random() % 13) - 6;
        } else {
            p.v[i].x = randomScreenCoordinate(random, width);
            p.v[i].y = randomScreenCoordinate(random, height);
        }
        p.c[i] = {static_cast<std::int32_t>(random() % 256), static_cast<std::int32_t>(random() % 256),
                  static_cast<std::int32_t>(random() % 256), 0};
        if (random() % 8 == 0) p.c[i].red = static_cast<std::int32_t>(random() % 1000) - 500;
        p.t[i] = {static_cast<std::int32_t>(random() % 769) - 256, static_cast<std::int32_t>(random() % 769) - 256, 0, 0};
        if (random() % 8 == 0) p.t[i].u = static_cast<std::int32_t>(random() % 70001) - 35000;
    }
    // Degenerate shapes: repeated corners, one row, one column.
    switch (random() % 16) {
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
    const bool quad = p.corners == 4;
    switch (family) {
    case Family::Flat: quad ? drawFlatQuad(v, v + 1, v + 2, v + 3, p.colour) : drawFlatTriangle(v, v + 1, v + 2, p.colour); break;
    case Family::Shaded:
        quad ? drawShadedQuad(v, v + 1, v + 2, v + 3, c, c + 1, c + 2, c + 3) : drawShadedTriangle(v, v + 1, v + 2, c, c + 1, c + 2);
        break;
    case Family::ShadedAdd:
        quad ? drawShadedQuadAdd(v, v + 1, v + 2, v + 3, c, c + 1, c + 2, c + 3)
             : drawShadedTriangleAdd(v, v + 1, v + 2, c, c + 1, c + 2);
        break;
    case Family::Tex:
        quad ? drawTexQuad(v, v + 1, v + 2, v + 3, t, t + 1, t + 2, t + 3, 0) : drawTexTriangle(v, v + 1, v + 2, t, t + 1, t + 2, 0);
        break;
    case Family::TexAdd:
        quad ? drawTexQuadAdd(v, v + 1, v + 2, v + 3, t, t + 1, t + 2, t + 3, 0)
             : drawTexTriangleAdd(v, v + 1, v + 2, t, t + 1, t + 2, 0);
        break;
    case Family::TexHalf:
        quad ? drawTexQuadHalf(v, v + 1, v + 2, v + 3, t, t + 1, t + 2, t + 3, 0)
             : drawTexTriangleHalf(v, v + 1, v + 2, t, t + 1, t + 2, 0);
        break;
    }
}

// Draws each polygon on two screens, one per path, comparing them every batch;
// a batch that differs is replayed polygon by polygon to name the culprit.
void comparePolygons(Family family, unsigned seed, int count, int width = 64, int height = 48) {
    PathGuard guard;
    TestScreen reference(width, height), fast(width, height);  // both set the same clip rectangle
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::mt19937 random(seed);
    std::mt19937 colours(seed + 1);
    for (std::size_t i = 0; i < pixels; ++i) reference.pixels()[i] = fast.pixels()[i] = static_cast<Rgb555>(colours());
    const std::vector<SimdLevel> levels = simdLevels();
    constexpr int BATCH = 32;
    std::vector<PolygonCase> batch;
    for (int done = 0; done < count; done += BATCH) {
        batch.clear();
        for (int i = 0; i < BATCH; ++i) batch.push_back(randomPolygon(random, width, height));
        const SimdLevel level = levels[static_cast<std::size_t>(done / BATCH) % levels.size()];
        std::vector<Rgb555> before(fast.pixels(), fast.pixels() + pixels + static_cast<std::size_t>(width));
        for (const PolygonCase& p : batch) {
            setBackBuffer(reference.pixels(), width, height);
            setCodePath(CodePath::Reference);
            drawCase(family, p);
            setBackBuffer(fast.pixels(), width, height);
            setCodePath(CodePath::Fast);
            setSimdLevel(level);
            drawCase(family, p);
        }
        if (std::memcmp(reference.pixels(), fast.pixels(), pixels * sizeof(Rgb555)) == 0 && fast.guardsIntact()) continue;
        // Replay one by one from the state before the batch.
        std::vector<Rgb555> ref(before), fst(before);
        for (const PolygonCase& p : batch) {
            setCodePath(CodePath::Reference);
            setBackBuffer(ref.data(), width, height);
            drawCase(family, p);
            setCodePath(CodePath::Fast);
            setSimdLevel(level);
            setBackBuffer(fst.data(), width, height);
            drawCase(family, p);
            if (ref != fst)
                FAIL() << "fast path (" << simdLevelName(level) << ") differs: " << describe(family, p, width, height);
        }
        FAIL() << "fast path (" << simdLevelName(level) << ") wrote outside the drawable rows in batch " << done / BATCH;
    }
    setBackBuffer(reference.pixels(), width, height);
}

class FastPolygons : public ::testing::TestWithParam<Family> {};

TEST_P(FastPolygons, MatchReferenceOnRandomPolygons) {
    TestTextures textures;
    std::mt19937 texelRandom(3);
    textures.install(0, 5, 4, [&](int, int) { return static_cast<Rgb555>(texelRandom()); });
    comparePolygons(GetParam(), 1000u + static_cast<unsigned>(GetParam()), 100000);
}

// A screen wider than the reciprocal's divisors reach: spans may then be too
// long for it, and the fast walk must test them row by row.
TEST_P(FastPolygons, MatchReferenceOnAScreenWiderThanTheReciprocalTable) {
    TestTextures textures;
    std::mt19937 texelRandom(4);
    textures.install(0, 8, 8, [&](int, int) { return static_cast<Rgb555>(texelRandom()); });
    comparePolygons(GetParam(), 2000u + static_cast<unsigned>(GetParam()), 4000, 1100, 24);
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, FastPolygons,
                         ::testing::Values(Family::Flat, Family::Shaded, Family::ShadedAdd, Family::Tex, Family::TexAdd,
                                           Family::TexHalf),
                         [](const ::testing::TestParamInfo<Family>& info) { return std::string(familyName(info.param)); });

// ---- Demo frames ---------------------------------------------------------------

TEST(FastFrames, DemoFramesMatchTheReferenceFrame) {
    PathGuard guard;
    ScopedRunDirectory directory;
    HWND window = createBareWindow(512, 480);
    ASSERT_EQ(startUp(window), 0);
    ASSERT_TRUE(demoSceneBuilt());
    const std::size_t pixels = static_cast<std::size_t>(screenWidth()) * static_cast<std::size_t>(screenHeight() + 1);
    const auto frame = [&](CodePath path, SimdLevel level) {
        setCodePath(path);
        setSimdLevel(level);
        clearBackBuffer();
        animateTextures();
        transformAllModels();
        drawDisplayList();
        return std::vector<Rgb555>(backBufferPixels(), backBufferPixels() + pixels);
    };
    // Bands turned as far as a drag turns them, both ways, and in between.
    const Vec4 poses[] = {{0, 0, 0, 0}, {96, 0, 64, 0}, {960, 0, 960, 0}, {40, 0, 1000, 0}, {1000, 0, 30, 0}};
    for (const Vec4& pose : poses) {
        for (int part = 1; part < DEMO_PART_COUNT; ++part) {
            partRotation(demoModel, part)->x = pose.x;
            partRotation(demoModel, part)->z = pose.z;
        }
        for (std::uint32_t clear : {0u, 0x12341234u}) {
            setClearColor(static_cast<std::int32_t>(clear >> 10), static_cast<std::int32_t>(clear >> 5), static_cast<std::int32_t>(clear));
            const std::vector<Rgb555> expected = frame(CodePath::Reference, SimdLevel::Scalar);
            for (SimdLevel level : simdLevels())
                ASSERT_TRUE(frame(CodePath::Fast, level) == expected)
                    << "demo frame with bands at x " << pose.x << ", z " << pose.z << ", clear word 0x" << std::hex
                    << screenClearWord() << " at " << simdLevelName(level);
        }
    }
    resetShellState();
}

// The demo's display list over random projected vertices with few depths, so
// buckets hold long chains of polygons that share some, all or none of their
// corners: the fast dispatch must leave out only what is drawn over anyway.
TEST(FastFrames, DispatchOfCrowdedBucketsMatchesTheReference) {
    PathGuard guard;
    ScopedRunDirectory directory;
    HWND window = createBareWindow(512, 480);
    ASSERT_EQ(startUp(window), 0);
    DisplayList* list = frameDisplayList();
    ASSERT_NE(list, nullptr);
    std::mt19937 random(606);
    const std::size_t pixels = static_cast<std::size_t>(screenWidth()) * static_cast<std::size_t>(screenHeight() + 1);
    for (int frame = 0; frame < 150; ++frame) {
        const std::int32_t spread = 1 + static_cast<std::int32_t>(random() % 40);
        for (std::int32_t i = 0; i < 220; ++i) {
            ProjectedVertex& v = list->projectedVertices[i];
            v.x = static_cast<std::int32_t>(random() % static_cast<unsigned>(spread * 8)) + 200;
            v.y = static_cast<std::int32_t>(random() % static_cast<unsigned>(spread * 8)) + 200;
            v.z = static_cast<std::int32_t>(random() % 4);
            v.clip = random() % 50 == 0 ? -1 : 0;
        }
        // Some vertices share a position, so neighbouring cells coincide.
        for (int k = 0; k < spread; ++k) {
            const std::size_t a = random() % 220, b = random() % 220;
            list->projectedVertices[a].x = list->projectedVertices[b].x;
            list->projectedVertices[a].y = list->projectedVertices[b].y;
        }
        std::vector<Rgb555> expected;
        for (CodePath path : {CodePath::Reference, CodePath::Fast}) {
            setCodePath(path);
            clearBackBuffer();
            drawDisplayList();
            std::vector<Rgb555> out(backBufferPixels(), backBufferPixels() + pixels);
            if (path == CodePath::Reference)
                expected = std::move(out);
            else
                ASSERT_TRUE(out == expected) << "random frame " << frame << " (mt19937 seeded 606) differs";
        }
    }
    resetShellState();
}

}  // namespace
