// Every fast routine against its reference, bit for bit, at every vector level
// the processor offers: the reciprocal division over its whole range, the
// clear fill, the spans and every polygon family on fixed-seed random input
// (clipped, degenerate and huge coordinates included). A case where the two
// differ prints its input; what the references draw is pinned trial by trial.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "math/reciprocal.h"
#include "render/raster/flat.h"
#include "render/raster/shaded.h"
#include "render/raster/textured.h"
#include "support/pins.h"
#include "support/raster.h"
#include "util/code_path.h"
#include "video/screen.h"

using namespace vantir;

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
testing::AssertionResult wrappersAgree(std::int32_t n, std::int32_t d) {
    const std::int32_t fast = divTruncFast(n, d), plain = divTrunc(n, d);
    const std::int32_t positive = d > 0 ? divTruncPositive(n, d) : 0, quotient = d > 0 ? n / d : 0;
    if (fast == plain && positive == quotient) return testing::AssertionSuccess();
    return testing::AssertionFailure() << n << " / " << d << ": divTruncFast " << fast << ", divTrunc " << plain
                                       << ", divTruncPositive " << positive << ", n / d " << quotient;
}

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
    for (std::int32_t d = 1; d <= RECIPROCAL_DIVISOR_LIMIT + 2; ++d) {
        for (std::int32_t n : {0, 1, d - 1, d, limit - 1, limit, limit + 1, INT32_MAX, INT32_MIN + 1})
            for (std::int32_t s : {1, -1}) {
                ASSERT_TRUE(wrappersAgree(n * s, d));
                ASSERT_TRUE(wrappersAgree(n * s, -d));
            }
        for (int i = 0; i < 50; ++i) {
            const std::int32_t n = static_cast<std::int32_t>(random());
            ASSERT_TRUE(wrappersAgree(n >> (random() % 32), d));
        }
    }
    EXPECT_TRUE(wrappersAgree(INT32_MIN, -1));
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

// Every span routine against its reference, 8 pixels into random rows, on
// random counts and values at every vector level; the textured ones on
// textures of every size, each exactly its texels long: no load may reach past them.
TEST(FastSpans, MatchTheirReferences) {
    PathGuard guard;
    const TexturedSpan textured[][2] = {{spanCopy, spanCopyFast}, {spanAdd, spanAddFast}, {spanHalf, spanHalfFast}};
    using ShadedSpan = void (*)(Rgb555*, std::int32_t, const ShadedColour&, const ShadedColour&);
    const ShadedSpan shaded[][2] = {{spanShaded, spanShadedFast}, {spanShadedAdd, spanShadedAddFast}};
    const char* const names[] = {"spanCopy", "spanAdd", "spanHalf", "spanShaded", "spanShadedAdd"};
    std::mt19937 random(5150);
    std::vector<std::vector<Rgb555>> textures(81);  // index: width shift * 9 + height shift
    for (std::size_t k = 0; k < textures.size(); ++k) {
        textures[k].resize(std::size_t{1} << (k / 9 + k % 9));
        for (Rgb555& texel : textures[k]) texel = static_cast<Rgb555>(random());
    }
    for (SimdLevel level : simdLevels()) {
        setSimdLevel(level);
        for (int r = 0; r < 5; ++r)
            for (int i = 0; i < 100000; ++i) {
                const std::int32_t count = randomCount(random);
                const int ws = 1 + static_cast<int>(random() % 8), hs = 1 + static_cast<int>(random() % 8);
                const TextureAddressing texture{textures[static_cast<std::size_t>(ws * 9 + hs)].data(), ws, hs,
                                                (1 << ws) - 1, ((1 << hs) - 1) << 8, 8 - ws};
                std::array<std::int32_t, 6> values;  // u and v at either end, or the colour at either end
                for (std::int32_t& v : values)
                    v = r >= 3 && random() % 3 ? static_cast<std::int32_t>(random() % 65536) : randomCoordinate(random, 65793);
                const unsigned rowSeed = static_cast<unsigned>(random());
                std::minstd_rand pixels(rowSeed);
                std::vector<Rgb555> rows[2] = {std::vector<Rgb555>(320)};  // by the reference, by the fast routine
                for (Rgb555& pixel : rows[0]) pixel = static_cast<Rgb555>(pixels());
                rows[1] = rows[0];
                for (int fast : {0, 1}) {
                    Rgb555* row = rows[fast].data() + 8;
                    if (r < 3)
                        textured[r][fast](row, count, values[0], values[1], values[2], values[3], texture);
                    else
                        shaded[r - 3][fast](row, count, {values[0], values[1], values[2]}, {values[3], values[4], values[5]});
                }
                ASSERT_EQ(rows[1], rows[0]) << names[r] << " at " << simdLevelName(level) << ": count " << count
                                            << ", values " << testing::PrintToString(values) << ", texture shifts " << ws
                                            << "/" << hs << ", row from minstd_rand seeded " << rowSeed;
            }
    }
}

enum class Family { Flat, Shaded, ShadedAdd, Tex, TexAdd, TexHalf };
const char* familyName(Family f) {
    return std::array{"flat", "shaded", "shadedAdd", "tex", "texAdd", "texHalf"}[static_cast<int>(f)];
}

struct PolygonCase { int corners; ProjectedVertex v[4]; ColourRecord c[4]; TexCoord t[4]; std::int32_t colour; };

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
    const bool quad = p.corners == 4;
    if (family == Family::Flat && quad)
        drawFlatQuad(v, v + 1, v + 2, v + 3, p.colour);
    else if (family == Family::Flat)
        drawFlatTriangle(v, v + 1, v + 2, p.colour);
    else if (f <= static_cast<int>(Family::ShadedAdd) && quad)
        shaded4[f - 1](v, v + 1, v + 2, v + 3, c, c + 1, c + 2, c + 3);
    else if (f <= static_cast<int>(Family::ShadedAdd))
        shaded3[f - 1](v, v + 1, v + 2, c, c + 1, c + 2);
    else if (quad)
        tex4[f - 3](v, v + 1, v + 2, v + 3, t, t + 1, t + 2, t + 3, 0);
    else
        tex3[f - 3](v, v + 1, v + 2, t, t + 1, t + 2, 0);
}

// Pixels as rows of hexadecimal values, for a reproducer.
std::string describePixels(const Rgb555* pixels, int width, int height) {
    std::ostringstream out;
    out << std::hex << std::setfill('0');
    for (int i = 0; i < width * height; ++i) out << std::setw(4) << pixels[i] << ((i + 1) % width ? " " : "\n");
    return out.str();
}

// Draws each polygon on two screens, one per path, comparing them every batch;
// a batch that differs is replayed polygon by polygon to name the culprit.
// The reference screen after every batch is pinned, which pins what both
// paths share (clipper, walk, spans) even where the two agree.
void comparePolygons(Family family, unsigned seed, int count, int width, int height, TrialPins& pins) {
    PathGuard guard;
    TestScreen reference(width, height), fast(width, height);
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::mt19937 random(seed), colours(seed + 1);
    for (std::size_t i = 0; i < pixels; ++i) reference.pixels()[i] = fast.pixels()[i] = static_cast<Rgb555>(colours());
    const std::vector<SimdLevel> levels = simdLevels();
    constexpr int BATCH = 32;
    std::vector<PolygonCase> batch(BATCH);
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
        const auto input = [&] {
            std::string text = "Batch " + std::to_string(done / BATCH) + " (texture 0 as MatchTheReferenceOnRandomPolygons " +
                               "installs it): the screen before it, then its polygons\n" +
                               describePixels(before.data(), width, height);
            for (const PolygonCase& p : batch) text += describe(family, p, width, height) + "\n";
            return text;
        };
        if (!pins.check(hashPixels(reference.pixels(), pixels), input)) return;
        if (std::memcmp(reference.pixels(), fast.pixels(), pixels * sizeof(Rgb555)) == 0 && fast.guardsIntact()) continue;
        std::vector<Rgb555> ref(before), fst(before);
        for (const PolygonCase& p : batch) {
            draw(p, ref.data(), fst.data(), level);
            if (ref != fst) {
                ADD_FAILURE() << "fast path (" << simdLevelName(level) << ") differs: " << describe(family, p, width, height);
                return;
            }
        }
        ADD_FAILURE() << "fast path (" << simdLevelName(level) << ") wrote outside the drawable rows in batch "
                      << done / BATCH;
        return;
    }
}

class FastPolygons : public ::testing::TestWithParam<Family> {};

// The second screen is wider than the reciprocal's divisors reach: spans may
// then be too long for it, and the fast walk must test them row by row. The
// pins were first recorded from the reference routines once they agreed with
// an independent model.
TEST_P(FastPolygons, MatchTheReferenceOnRandomPolygons) {
    TrialPins pins(std::string("polygons_") + familyName(GetParam()));
    TestTextures textures;
    std::mt19937 texelRandom(3);
    textures.install(5, 4, [&](int, int) { return static_cast<Rgb555>(texelRandom()); });
    comparePolygons(GetParam(), 1000u + static_cast<unsigned>(GetParam()), 100000, 64, 48, pins);
    TestTextures wide;
    wide.install(8, 8, [&](int, int) { return static_cast<Rgb555>(texelRandom()); });
    if (!HasFailure()) comparePolygons(GetParam(), 2000u + static_cast<unsigned>(GetParam()), 4000, 1100, 24, pins);
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, FastPolygons,
                         ::testing::Values(Family::Flat, Family::Shaded, Family::ShadedAdd, Family::Tex, Family::TexAdd,
                                           Family::TexHalf),
                         [](const ::testing::TestParamInfo<Family>& info) { return std::string(familyName(info.param)); });

}  // namespace
