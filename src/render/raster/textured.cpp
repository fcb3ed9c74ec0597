#include "render/raster/textured.h"

#include "math/reciprocal.h"
#include "texture/texture.h"
#include "util/code_path.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VANTIR_X86 1
#define VANTIR_AVX2 __attribute__((target("avx2,bmi2")))
#else
#define VANTIR_X86 0
#endif

namespace vantir {

namespace {

void loadCorners(const ProjectedVertex* const* vertices, const TexCoord* const* texCoords, int n,
                 TexturedPoint* corners) {
    for (int i = 0; i < n; ++i) corners[i] = {vertices[i]->x, vertices[i]->y, {texCoords[i]->u, texCoords[i]->v}};
}

// How a texel T meets the destination pixel D; the result's low 16 bits are stored.
struct CopyTexel {
    // Span lengths from which the walk's vector spans gather their texels
    // rather than load them one by one: a copy never gathers, as it has no
    // vector work to share the gather's cost with; add and half combine eight
    // pixels at once, which pays for gathers from two rounds on.
    [[maybe_unused]] static constexpr std::int32_t GATHER_FROM = INT32_MAX;
    static std::uint32_t combine(std::uint32_t t, std::uint32_t) { return t; }
#if VANTIR_X86
    static VANTIR_AVX2 __m128i combine8(__m128i t, __m128i) { return t; }
#endif
};
struct AddTexel {
    [[maybe_unused]] static constexpr std::int32_t GATHER_FROM = 16;
    // Channels added at four-bit precision; a channel's carry lands in the next
    // field's lowest bit (or bit 15), and k - (k >> 5) saturates it to 31.
    static std::uint32_t combine(std::uint32_t t, std::uint32_t d) {
        const std::uint32_t s = (t & 0x7bdeu) + (d & 0x7bdeu);
        const std::uint32_t k = s & 0x8420u;
        return s | (k - (k >> 5));
    }
#if VANTIR_X86
    // The same in 16-bit lanes: s < 2^16 and k >= k >> 5, so nothing wraps.
    static VANTIR_AVX2 __m128i combine8(__m128i t, __m128i d) {
        const __m128i mask = _mm_set1_epi16(0x7bde);
        const __m128i s = _mm_add_epi16(_mm_and_si128(t, mask), _mm_and_si128(d, mask));
        const __m128i k = _mm_and_si128(s, _mm_set1_epi16(static_cast<short>(0x8420)));
        return _mm_or_si128(s, _mm_sub_epi16(k, _mm_srli_epi16(k, 5)));
    }
#endif
};
struct HalfTexel {
    [[maybe_unused]] static constexpr std::int32_t GATHER_FROM = 16;
    // Each channel halved before the sum, so no carry crosses channels.
    static std::uint32_t combine(std::uint32_t t, std::uint32_t d) { return ((t >> 1) & 0x3defu) + ((d >> 1) & 0x3defu); }
#if VANTIR_X86
    static VANTIR_AVX2 __m128i combine8(__m128i t, __m128i d) {
        const __m128i mask = _mm_set1_epi16(0x3def);
        return _mm_add_epi16(_mm_and_si128(_mm_srli_epi16(t, 1), mask), _mm_and_si128(_mm_srli_epi16(d, 1), mask));
    }
#endif
};

template <typename Combine>
void spanTextured(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
                  std::int32_t vRight, const TextureAddressing& texture) {
    if (count <= 0) return;
    const std::int32_t du = (uRight - uLeft) / count;
    const std::int32_t dv = (vRight - vLeft) / count;
    // Texel units with 8 fraction bits; every right shift is arithmetic.
    const std::int32_t stepU = du >> (8 - texture.widthShift);
    const std::int32_t stepV = dv >> (8 - texture.heightShift);
    std::int32_t u = (uLeft << texture.widthShift) >> 8;
    std::int32_t v = (vLeft << texture.heightShift) >> 8;
    for (std::int32_t i = 0; i < count; ++i) {
        // Masks wrap both coordinates into the texture, negative ones included.
        const std::int32_t index = ((v & texture.rowMask) >> texture.rowShift) + ((u >> 8) & texture.columnMask);
        dst[i] = static_cast<Rgb555>(Combine::combine(texture.texels[index], dst[i]));
        u += stepU;
        v += stepV;
    }
}

// ---- The fast spans ----------------------------------------------------------
//
// The same pixels as spanTextured: u and v of pixel i are u + i * stepU and
// v + i * stepV in wrapping 32-bit arithmetic, whether added one by one or
// formed per lane. Only the masked low bits of each reach the index, so the
// logical shifts of the vector code give the same index as the arithmetic
// ones of the reference.

// The addressing of one polygon with what the gathers need besides.
struct FastTexture : TextureAddressing {
    std::int32_t lastIndex;  // the texture's last texel
};

FastTexture fastTexture(const TextureAddressing& t) { return {t, (1 << (t.widthShift + t.heightShift)) - 1}; }

// A span's first texel position and per-pixel steps (texel units, 8 fraction
// bits): the two divisions by reciprocal multiplication. count >= 1.
struct SpanSteps {
    std::int32_t u, v, stepU, stepV;
};

inline SpanSteps spanSteps(std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
                           std::int32_t vRight, const TextureAddressing& t) {
    const std::int32_t uSpan = uRight - uLeft, vSpan = vRight - vLeft;
    std::int32_t du, dv;
    // One test for both divisions (& rather than &&: a single branch).
    const int quick = int{reciprocalNumerator(uSpan)} & int{reciprocalNumerator(vSpan)} & int{count <= RECIPROCAL_DIVISOR_LIMIT};
    if (__builtin_expect(quick, 1)) {
        const std::uint64_t m = reciprocalTable[static_cast<std::uint32_t>(count)];
        du = divTruncByReciprocal(uSpan, m);
        dv = divTruncByReciprocal(vSpan, m);
    } else {
        du = uSpan / count;
        dv = vSpan / count;
    }
    return {(uLeft << t.widthShift) >> 8, (vLeft << t.heightShift) >> 8, du >> (8 - t.widthShift), dv >> (8 - t.heightShift)};
}

// One pixel after another.
template <typename Combine>
inline void texelRunScalar(Rgb555* dst, std::int32_t count, std::int32_t u, std::int32_t v, std::int32_t stepU,
                           std::int32_t stepV, const TextureAddressing& t) {
    const Rgb555* const texels = t.texels;
    const std::int32_t rowMask = t.rowMask;
    const std::int32_t rowShift = t.rowShift;
    const std::int32_t columnMask = t.columnMask;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t index = ((v & rowMask) >> rowShift) + ((u >> 8) & columnMask);
        dst[i] = static_cast<Rgb555>(Combine::combine(texels[index], dst[i]));
        u += stepU;
        v += stepV;
    }
}

#if VANTIR_X86
// The texels of eight lanes as eight pixels: the indices of all lanes at
// once, the texels gathered as 32-bit loads and narrowed to their 16-bit
// halves. A 32-bit load at the last texel would reach past the texture: that
// lane loads from one texel earlier and takes the upper half.
VANTIR_AVX2 inline __m128i gatherTexels8(__m256i us, __m256i vs, const FastTexture& t) {
    const __m256i index = _mm256_add_epi32(_mm256_srl_epi32(_mm256_and_si256(vs, _mm256_set1_epi32(t.rowMask)),
                                                            _mm_cvtsi32_si128(t.rowShift)),
                                           _mm256_and_si256(_mm256_srli_epi32(us, 8), _mm256_set1_epi32(t.columnMask)));
    const __m256i last = _mm256_cmpeq_epi32(index, _mm256_set1_epi32(t.lastIndex));
    const __m256i gathered =
        _mm256_srlv_epi32(_mm256_i32gather_epi32(reinterpret_cast<const int*>(t.texels), _mm256_add_epi32(index, last), 2),
                          _mm256_and_si256(last, _mm256_set1_epi32(16)));
    // Bytes 0-1, 4-5, 8-9, 12-13 of each half to its low 8 bytes.
    const __m256i narrow = _mm256_setr_epi8(0, 1, 4, 5, 8, 9, 12, 13, -1, -1, -1, -1, -1, -1, -1, -1, 0, 1, 4, 5, 8, 9,
                                            12, 13, -1, -1, -1, -1, -1, -1, -1, -1);
    return _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_shuffle_epi8(gathered, narrow), 0x08));
}

// The texture's sides as the vector code uses them: read from the texture
// (FixedShift 0), or fixed at 256 x 256 (FixedShift 8), the largest and most
// common size, where every shift and mask below is a constant.
template <int FixedShift>
struct TextureSides {
    static_assert(FixedShift == 0 || FixedShift == 8);
    const FastTexture& texture;

    // Texel position of an accumulator, (a << widthShift) >> 8 per lane.
    VANTIR_AVX2 __m256i texelU(__m256i a) const { return _mm256_srai_epi32(shiftLeft(a, texture.widthShift), 8); }
    VANTIR_AVX2 __m256i texelV(__m256i a) const { return _mm256_srai_epi32(shiftLeft(a, texture.heightShift), 8); }
    // Per-pixel step of a span quotient, d >> (8 - widthShift) per lane.
    VANTIR_AVX2 __m256i stepU(__m256i d) const { return shiftRight(d, texture.widthShift); }
    VANTIR_AVX2 __m256i stepV(__m256i d) const { return shiftRight(d, texture.heightShift); }
    // ((v & rowMask) >> rowShift) + ((u >> 8) & columnMask) per lane; only
    // masked bits reach it, so logical shifts serve as well as arithmetic ones.
    VANTIR_AVX2 __m256i index(__m256i us, __m256i vs) const {
        const __m256i column = _mm256_and_si256(_mm256_srli_epi32(us, 8), _mm256_set1_epi32(FixedShift ? 0xff : texture.columnMask));
        if constexpr (FixedShift != 0) return _mm256_add_epi32(_mm256_and_si256(vs, _mm256_set1_epi32(0xff00)), column);
        return _mm256_add_epi32(_mm256_srl_epi32(_mm256_and_si256(vs, _mm256_set1_epi32(texture.rowMask)),
                                                 _mm_cvtsi32_si128(texture.rowShift)),
                                column);
    }

private:
    static VANTIR_AVX2 __m256i shiftLeft(__m256i a, std::int32_t shift) {
        if constexpr (FixedShift != 0) return _mm256_slli_epi32(a, FixedShift);
        return _mm256_sll_epi32(a, _mm_cvtsi32_si128(shift));
    }
    static VANTIR_AVX2 __m256i shiftRight(__m256i d, std::int32_t shift) {
        if constexpr (FixedShift != 0) return d;  // by 8 - 8
        return _mm256_sra_epi32(d, _mm_cvtsi32_si128(8 - shift));
    }
};

// Eight pixels per round with the indices worked out by the vector unit and
// the texels fetched by plain loads: the scalar units are left only the loads,
// the stores and the count. us and vs hold pixels 0..7's coordinates.
template <typename Combine, int FixedShift>
VANTIR_AVX2 inline void texelRunIndexed(Rgb555* dst, std::int32_t count, __m256i us, __m256i vs, __m256i stepU,
                                        __m256i stepV, const TextureSides<FixedShift>& sides) {
    const Rgb555* const texels = sides.texture.texels;
    alignas(32) std::uint32_t at[8];
    const auto round = [&](Rgb555* out, std::int32_t n) VANTIR_AVX2 {
        _mm256_store_si256(reinterpret_cast<__m256i*>(at), sides.index(us, vs));
        for (std::int32_t j = 0; j < n; ++j) out[j] = static_cast<Rgb555>(Combine::combine(texels[at[j]], out[j]));
    };
    if (count <= 8) {
        round(dst, count);
        return;
    }
    const __m256i stepUs = _mm256_slli_epi32(stepU, 3);  // eight steps, wrapping
    const __m256i stepVs = _mm256_slli_epi32(stepV, 3);
    for (std::int32_t i = 0; i < count; i += 8) {
        round(dst + i, count - i < 8 ? count - i : 8);
        us = _mm256_add_epi32(us, stepUs);
        vs = _mm256_add_epi32(vs, stepVs);
    }
}

// Lane i: start + i * step, wrapping as repeated steps do.
VANTIR_AVX2 inline __m256i alongLanes(__m256i start, __m256i step) {
    return _mm256_add_epi32(start, _mm256_mullo_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), step));
}

// Eight pixels per round. A last partial round (and a span of fewer than
// eight pixels) covers eight pixels when they lie below writableEnd, putting
// the pixels beyond the span back as they were: no loop whose length follows
// the span, whose end the processor would mispredict on the short spans of a
// frame. Otherwise the rest goes pixel by pixel.
template <typename Combine>
VANTIR_AVX2 inline void texelRunAvx2(Rgb555* dst, std::int32_t count, std::int32_t u, std::int32_t v,
                                     std::int32_t stepU, std::int32_t stepV, const FastTexture& t,
                                     const Rgb555* writableEnd) {
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    __m256i us = _mm256_add_epi32(_mm256_set1_epi32(u), _mm256_mullo_epi32(lanes, _mm256_set1_epi32(stepU)));
    __m256i vs = _mm256_add_epi32(_mm256_set1_epi32(v), _mm256_mullo_epi32(lanes, _mm256_set1_epi32(stepV)));
    std::int32_t i = 0;
    if (count > 8) {
        const __m256i stepUs = _mm256_set1_epi32(static_cast<std::int32_t>(static_cast<std::uint32_t>(stepU) * 8u));
        const __m256i stepVs = _mm256_set1_epi32(static_cast<std::int32_t>(static_cast<std::uint32_t>(stepV) * 8u));
        for (; i + 8 <= count; i += 8) {
            __m128i* const out = reinterpret_cast<__m128i*>(dst + i);
            const __m128i texels = gatherTexels8(us, vs, t);
            _mm_storeu_si128(out, Combine::combine8(texels, _mm_loadu_si128(out)));
            us = _mm256_add_epi32(us, stepUs);
            vs = _mm256_add_epi32(vs, stepVs);
        }
    }
    const std::int32_t left = count - i;
    if (left == 0) return;
    if (writableEnd - (dst + i) >= 8) {
        __m128i* const out = reinterpret_cast<__m128i*>(dst + i);
        const __m128i old = _mm_loadu_si128(out);
        const __m128i keep = _mm_cmpgt_epi16(_mm_set1_epi16(static_cast<short>(left)), _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7));
        _mm_storeu_si128(out, _mm_blendv_epi8(old, Combine::combine8(gatherTexels8(us, vs, t), old), keep));
        return;
    }
    const std::uint32_t done = static_cast<std::uint32_t>(i);
    texelRunScalar<Combine>(dst + i, left, u + static_cast<std::int32_t>(done * static_cast<std::uint32_t>(stepU)),
                            v + static_cast<std::int32_t>(done * static_cast<std::uint32_t>(stepV)), stepU, stepV, t);
}
#endif

// The span routines of the polygon walk, one per vector level: clamp the row's
// span, set it up and draw it, all inlined into the walk.
template <typename Combine>
struct ScalarSpans {
    RasterTarget target;
    FastTexture texture;
    void operator()(std::int32_t row, const EdgeValues<2>& left, const EdgeValues<2>& right) const {
        Rgb555* dst;
        std::int32_t count;
        if (!clampSpan(target, row, left.x, right.x, &dst, &count)) return;
        const SpanSteps s = spanSteps(count, left.value[0], left.value[1], right.value[0], right.value[1], texture);
        texelRunScalar<Combine>(dst, count, s.u, s.v, s.stepU, s.stepV, texture);
    }
};

#if VANTIR_X86
// Eight truncating quotients n / d of 32-bit integers by divisors d >= 1,
// through double precision. Exact for every such pair: n / d = q + r / d
// with 0 <= r < d; the correctly rounded quotient is q itself when r = 0,
// and otherwise lies within |n / d| * 2^-53 <= 2^31 / d * 2^-53 = 2^-22 / d
// of n / d, strictly between q and q + 1 since r / d >= 1 / d and
// 1 - r / d >= 1 / d; truncating conversion then gives q (the negative side
// is symmetric).
struct DoubleDivisor8 {
    __m256d low, high;  // lanes 0-3 and 4-7 of the divisors
    VANTIR_AVX2 explicit DoubleDivisor8(__m256i d)
        : low(_mm256_cvtepi32_pd(_mm256_castsi256_si128(d))), high(_mm256_cvtepi32_pd(_mm256_extracti128_si256(d, 1))) {}
    VANTIR_AVX2 __m256i divide(__m256i n) const {
        const __m128i q0 = _mm256_cvttpd_epi32(_mm256_div_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(n)), low));
        const __m128i q1 = _mm256_cvttpd_epi32(_mm256_div_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(n, 1)), high));
        return _mm256_inserti128_si256(_mm256_castsi128_si256(q0), q1, 1);
    }
};

// Lane i: start + i * slope (i from the lanes of `i`), wrapping.
VANTIR_AVX2 inline __m256i along(std::int32_t start, std::int32_t slope, __m256i i) {
    return _mm256_add_epi32(_mm256_set1_epi32(start), _mm256_mullo_epi32(i, _mm256_set1_epi32(slope)));
}

template <typename Combine, int FixedShift>
struct Avx2Spans {
    RasterTarget target;
    FastTexture texture;
    TextureSides<FixedShift> sides() const { return {texture}; }
    VANTIR_AVX2 void operator()(std::int32_t row, const EdgeValues<2>& left, const EdgeValues<2>& right) const {
        Rgb555* dst;
        std::int32_t count;
        if (!clampSpan(target, row, left.x, right.x, &dst, &count)) return;
        run(dst, count, spanSteps(count, left.value[0], left.value[1], right.value[0], right.value[1], texture));
    }

    VANTIR_AVX2 void run(Rgb555* dst, std::int32_t count, const SpanSteps& s) const {
        run(dst, count, _mm256_set1_epi32(s.u), _mm256_set1_epi32(s.v), _mm256_set1_epi32(s.stepU),
            _mm256_set1_epi32(s.stepV));
    }

    // One span from its first texel position and steps, each in every lane.
    // A gather costs more than the few loads of a short span: plain loads at
    // vector-made indices, gathers only for long spans that combine.
    VANTIR_AVX2 void run(Rgb555* dst, std::int32_t count, __m256i u, __m256i v, __m256i stepU, __m256i stepV) const {
        if (count < Combine::GATHER_FROM)
            texelRunIndexed<Combine>(dst, count, alongLanes(u, stepU), alongLanes(v, stepV), stepU, stepV, sides());
        else
            texelRunAvx2<Combine>(dst, count, _mm256_cvtsi256_si32(u), _mm256_cvtsi256_si32(v),
                                  _mm256_cvtsi256_si32(stepU), _mm256_cvtsi256_si32(stepV), texture, target.blockEnd);
    }

    // Rows y..y+n-1 of one stretch of the walk (row y + k has the accumulators
    // acc + k * slope), when every one lies on the target (false otherwise:
    // the walk then draws them row by row). Eight rows at a time, lane i
    // holding row first + i: their columns, counts and texture steps are
    // worked out together; each live row's values then go to the pixels'
    // lanes without leaving the vector unit.
    VANTIR_AVX2 bool rows(std::int32_t y, std::int32_t n, const EdgeValues<2>& left, const EdgeValues<2>& leftSlope,
                          const EdgeValues<2>& right, const EdgeValues<2>& rightSlope) const {
        if (y < 0 || n > target.rows - y) return false;  // clampSpan's row test, once for the stretch
        const __m256i zero = _mm256_setzero_si256();
        const __m256i one = _mm256_set1_epi32(1);
        const TextureSides<FixedShift> texelSides = sides();
        const __m256i columns = _mm256_set1_epi32(target.columns);
        const __m256i rowCount = _mm256_set1_epi32(n);
        alignas(32) std::int32_t columnAt[8], countAt[8];
        for (std::int32_t first = 0; first < n; first += 8) {
            Rgb555* const line = target.pixels + static_cast<std::ptrdiff_t>(y + first) * target.stride;
            const __m256i i = _mm256_add_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), _mm256_set1_epi32(first));
            // clampSpan: columns max(L, 0) .. min(R, columns).
            const __m256i l = _mm256_max_epi32(_mm256_srai_epi32(along(left.x, leftSlope.x, i), 8), zero);
            const __m256i r = _mm256_min_epi32(_mm256_srai_epi32(along(right.x, rightSlope.x, i), 8), columns);
            const __m256i counts = _mm256_sub_epi32(r, l);
            const __m256i live = _mm256_and_si256(_mm256_cmpgt_epi32(counts, zero), _mm256_cmpgt_epi32(rowCount, i));
            std::uint32_t liveRows = static_cast<std::uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(live)));
            if (liveRows == 0) continue;
            // spanSteps: both quotients, exact for any numerator and count.
            const __m256i uLeft = along(left.value[0], leftSlope.value[0], i);
            const __m256i vLeft = along(left.value[1], leftSlope.value[1], i);
            const __m256i uSpan = _mm256_sub_epi32(along(right.value[0], rightSlope.value[0], i), uLeft);
            const __m256i vSpan = _mm256_sub_epi32(along(right.value[1], rightSlope.value[1], i), vLeft);
            const __m256i divisor = _mm256_max_epi32(counts, one);  // dead rows: any valid divisor
            const DoubleDivisor8 byCount(divisor);
            const __m256i u = texelSides.texelU(uLeft);
            const __m256i v = texelSides.texelV(vLeft);
            const __m256i stepU = texelSides.stepU(byCount.divide(uSpan));
            const __m256i stepV = texelSides.stepV(byCount.divide(vSpan));
            _mm256_store_si256(reinterpret_cast<__m256i*>(columnAt), l);
            _mm256_store_si256(reinterpret_cast<__m256i*>(countAt), counts);
            for (; liveRows != 0; liveRows &= liveRows - 1) {
                const int k = __builtin_ctz(liveRows);
                const __m256i lane = _mm256_set1_epi32(k);
                run(line + static_cast<std::ptrdiff_t>(k) * target.stride + columnAt[k], countAt[k],
                    _mm256_permutevar8x32_epi32(u, lane), _mm256_permutevar8x32_epi32(v, lane),
                    _mm256_permutevar8x32_epi32(stepU, lane), _mm256_permutevar8x32_epi32(stepV, lane));
            }
        }
        return true;
    }
};
#endif

#if VANTIR_X86
// Whether the vector pixels may run.
bool vectorTexels() { return simdLevel() >= SimdLevel::Avx2; }
#endif

// fillTexturedPolygon through the fast clipper and walk with the span routine
// of one vector level.
template <typename Spans>
inline void fillTexturedWith(const TexturedPoint* corners, const TextureAddressing& addressing,
                             const RasterTarget& target, int n) {
    const Spans spans{target, fastTexture(addressing)};
    rasterizePolygonFast(corners, n, ClipDivisor::Enlarged, spans);
}

template <typename Combine>
void fillTexturedScalar(const TexturedPoint* corners, const TextureAddressing& addressing, const RasterTarget& target,
                        int n) {
    fillTexturedWith<ScalarSpans<Combine>>(corners, addressing, target, n);
}

#if VANTIR_X86
// flatten: the walk and the vector span routine become one function, so
// the span's set-up stays in registers and no call is made per row.
template <typename Combine, int FixedShift>
VANTIR_AVX2 __attribute__((flatten)) void fillTexturedAvx2(const TexturedPoint* corners,
                                                           const TextureAddressing& addressing,
                                                           const RasterTarget& target, int n) {
    fillTexturedWith<Avx2Spans<Combine, FixedShift>>(corners, addressing, target, n);
}
#endif

template <typename Combine>
void fillTexturedPrepared(const TexturedPoint* corners, const TextureAddressing& addressing, const RasterTarget& target,
                          int n) {
#if VANTIR_X86
    if (vectorTexels()) {
        if (addressing.widthShift == 8 && addressing.heightShift == 8)
            fillTexturedAvx2<Combine, 8>(corners, addressing, target, n);
        else
            fillTexturedAvx2<Combine, 0>(corners, addressing, target, n);
        return;
    }
#endif
    fillTexturedScalar<Combine>(corners, addressing, target, n);
}

template <typename Combine>
void fillTexturedFast(const ProjectedVertex* const* vertices, const TexCoord* const* texCoords, std::int32_t texture,
                      int n) {
    if (n < 1 || n > MAX_POLYGON_CORNERS) return;
    TextureAddressing addressing;
    if (!textureAddressing(texture, &addressing)) return;
    RasterTarget target;
    if (!fetchRasterTarget(&target)) return;
    TexturedPoint corners[MAX_POLYGON_CORNERS];
    loadCorners(vertices, texCoords, n, corners);
    fillTexturedPrepared<Combine>(corners, addressing, target, n);
}

#if VANTIR_X86
// A span on its own, by the fast route with gathers; writableEnd is the
// span's own end.
template <typename Combine>
VANTIR_AVX2 void spanFastAvx2(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft,
                              std::int32_t uRight, std::int32_t vRight, const TextureAddressing& texture) {
    const FastTexture t = fastTexture(texture);
    const SpanSteps s = spanSteps(count, uLeft, vLeft, uRight, vRight, t);
    texelRunAvx2<Combine>(dst, count, s.u, s.v, s.stepU, s.stepV, t, dst + count);
}
#endif

template <typename Combine>
void spanFast(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
              std::int32_t vRight, const TextureAddressing& texture) {
    if (count <= 0) return;
#if VANTIR_X86
    // Gathers pay off from a whole round on when no pixel past the span may be touched.
    if (count >= 8 && vectorTexels()) {
        spanFastAvx2<Combine>(dst, count, uLeft, vLeft, uRight, vRight, texture);
        return;
    }
#endif
    const SpanSteps s = spanSteps(count, uLeft, vLeft, uRight, vRight, texture);
    texelRunScalar<Combine>(dst, count, s.u, s.v, s.stepU, s.stepV, texture);
}

template <TexturedSpan Span, typename Combine>
void drawTextured(const ProjectedVertex* const* vertices, const TexCoord* const* texCoords, std::int32_t texture,
                  int n) {
    if (allOnOneRow(vertices, n)) return;
    if (fastPath())
        fillTexturedFast<Combine>(vertices, texCoords, texture, n);
    else
        fillTexturedPolygon<Span>(vertices, texCoords, texture, n);
}

}  // namespace

bool textureAddressing(int texture, TextureAddressing* out) {
    const Texture* t = loadedTexture(texture);
    if (t == nullptr || t->currentPixels == nullptr) return false;
    if (t->widthShift < 1 || t->widthShift > 8 || t->heightShift < 1 || t->heightShift > 8) return false;
    out->texels = t->currentPixels;
    out->widthShift = t->widthShift;
    out->heightShift = t->heightShift;
    out->columnMask = (1 << t->widthShift) - 1;
    out->rowMask = ((1 << t->heightShift) - 1) << 8;
    out->rowShift = 8 - t->widthShift;
    return true;
}

template <TexturedSpan Span>
void fillTexturedPolygon(const ProjectedVertex* const* vertices, const TexCoord* const* texCoords,
                         std::int32_t texture, int n) {
    if (n < 1 || n > MAX_POLYGON_CORNERS) return;
    TextureAddressing addressing;  // read once per polygon
    if (!textureAddressing(texture, &addressing)) return;
    RasterTarget target;
    if (!fetchRasterTarget(&target)) return;
    TexturedPoint corners[MAX_POLYGON_CORNERS];
    loadCorners(vertices, texCoords, n, corners);
    rasterizePolygon(corners, n, ClipDivisor::Enlarged,
                     [&](std::int32_t row, const EdgeValues<2>& left, const EdgeValues<2>& right) {
                         Rgb555* dst;
                         std::int32_t count;
                         if (clampSpan(target, row, left.x, right.x, &dst, &count))
                             Span(dst, count, left.value[0], left.value[1], right.value[0], right.value[1],
                                  addressing);
                     });
}

template void fillTexturedPolygon<spanCopy>(const ProjectedVertex* const*, const TexCoord* const*, std::int32_t, int);
template void fillTexturedPolygon<spanAdd>(const ProjectedVertex* const*, const TexCoord* const*, std::int32_t, int);
template void fillTexturedPolygon<spanHalf>(const ProjectedVertex* const*, const TexCoord* const*, std::int32_t, int);

int clipTexturedPolygon(const ProjectedVertex* const* vertices, const TexCoord* const* texCoords,
                        TexturedPoint* out, int n) {
    if (n < 1 || n > MAX_POLYGON_CORNERS) return 0;
    TexturedPoint corners[MAX_POLYGON_CORNERS];
    loadCorners(vertices, texCoords, n, corners);
    return clipPolygon(corners, n, out, ClipDivisor::Enlarged, clipRect);
}

void spanCopy(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
              std::int32_t vRight, const TextureAddressing& texture) {
    spanTextured<CopyTexel>(dst, count, uLeft, vLeft, uRight, vRight, texture);
}

void spanAdd(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
             std::int32_t vRight, const TextureAddressing& texture) {
    spanTextured<AddTexel>(dst, count, uLeft, vLeft, uRight, vRight, texture);
}

void spanHalf(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
              std::int32_t vRight, const TextureAddressing& texture) {
    spanTextured<HalfTexel>(dst, count, uLeft, vLeft, uRight, vRight, texture);
}

void drawTexTriangle(const ProjectedVertex* c0, const ProjectedVertex* c1, const ProjectedVertex* c2,
                     const TexCoord* t0, const TexCoord* t1, const TexCoord* t2, std::int32_t texture) {
    const ProjectedVertex* const vertices[] = {c0, c1, c2};
    const TexCoord* const texCoords[] = {t0, t1, t2};
    drawTextured<spanCopy, CopyTexel>(vertices, texCoords, texture, 3);
}

void drawTexQuad(const ProjectedVertex* c0, const ProjectedVertex* c1, const ProjectedVertex* c2,
                 const ProjectedVertex* c3, const TexCoord* t0, const TexCoord* t1, const TexCoord* t2,
                 const TexCoord* t3, std::int32_t texture) {
    const ProjectedVertex* const vertices[] = {c0, c1, c2, c3};
    const TexCoord* const texCoords[] = {t0, t1, t2, t3};
    drawTextured<spanCopy, CopyTexel>(vertices, texCoords, texture, 4);
}

void drawTexTriangleAdd(const ProjectedVertex* c0, const ProjectedVertex* c1, const ProjectedVertex* c2,
                     const TexCoord* t0, const TexCoord* t1, const TexCoord* t2, std::int32_t texture) {
    const ProjectedVertex* const vertices[] = {c0, c1, c2};
    const TexCoord* const texCoords[] = {t0, t1, t2};
    drawTextured<spanAdd, AddTexel>(vertices, texCoords, texture, 3);
}

void drawTexQuadAdd(const ProjectedVertex* c0, const ProjectedVertex* c1, const ProjectedVertex* c2,
                 const ProjectedVertex* c3, const TexCoord* t0, const TexCoord* t1, const TexCoord* t2,
                 const TexCoord* t3, std::int32_t texture) {
    const ProjectedVertex* const vertices[] = {c0, c1, c2, c3};
    const TexCoord* const texCoords[] = {t0, t1, t2, t3};
    drawTextured<spanAdd, AddTexel>(vertices, texCoords, texture, 4);
}

void drawTexTriangleHalf(const ProjectedVertex* c0, const ProjectedVertex* c1, const ProjectedVertex* c2,
                     const TexCoord* t0, const TexCoord* t1, const TexCoord* t2, std::int32_t texture) {
    const ProjectedVertex* const vertices[] = {c0, c1, c2};
    const TexCoord* const texCoords[] = {t0, t1, t2};
    drawTextured<spanHalf, HalfTexel>(vertices, texCoords, texture, 3);
}

void drawTexQuadHalf(const ProjectedVertex* c0, const ProjectedVertex* c1, const ProjectedVertex* c2,
                 const ProjectedVertex* c3, const TexCoord* t0, const TexCoord* t1, const TexCoord* t2,
                 const TexCoord* t3, std::int32_t texture) {
    const ProjectedVertex* const vertices[] = {c0, c1, c2, c3};
    const TexCoord* const texCoords[] = {t0, t1, t2, t3};
    drawTextured<spanHalf, HalfTexel>(vertices, texCoords, texture, 4);
}

void drawTexturedPrepared(TexturedMode mode, const TexturedPoint* corners, int n, const TextureAddressing& addressing,
                          const RasterTarget& target) {
    if (n < 1 || n > MAX_POLYGON_CORNERS) return;
    bool oneRow = true;  // such polygons are never clipped or walked
    for (int i = 1; i < n; ++i) oneRow &= corners[i].y == corners[0].y;
    if (oneRow) return;
    switch (mode) {
    case TexturedMode::Copy: fillTexturedPrepared<CopyTexel>(corners, addressing, target, n); break;
    case TexturedMode::Add: fillTexturedPrepared<AddTexel>(corners, addressing, target, n); break;
    case TexturedMode::Half: fillTexturedPrepared<HalfTexel>(corners, addressing, target, n); break;
    }
}

void spanCopyFast(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
                  std::int32_t vRight, const TextureAddressing& texture) {
    spanFast<CopyTexel>(dst, count, uLeft, vLeft, uRight, vRight, texture);
}

void spanAddFast(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
                 std::int32_t vRight, const TextureAddressing& texture) {
    spanFast<AddTexel>(dst, count, uLeft, vLeft, uRight, vRight, texture);
}

void spanHalfFast(Rgb555* dst, std::int32_t count, std::int32_t uLeft, std::int32_t vLeft, std::int32_t uRight,
                  std::int32_t vRight, const TextureAddressing& texture) {
    spanFast<HalfTexel>(dst, count, uLeft, vLeft, uRight, vRight, texture);
}

}  // namespace vantir
