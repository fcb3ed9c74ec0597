// Truncating division by small divisors through multiplication with a
// reciprocal: the same quotient as the `/` operator, bit for bit, at a
// fraction of a hardware division's cost.
//
// For 1 <= d <= RECIPROCAL_DIVISOR_LIMIT the table holds m = floor(2^32 / d) + 1,
// so m * d = 2^32 + e with 1 <= e <= d. Take a magnitude 0 <= a <
// RECIPROCAL_NUMERATOR_LIMIT and write a = q * d + r (0 <= r < d). Then
// a * m / 2^32 = q + f with f = (r + a * e / 2^32) / d, and
// 0 <= f < 1 because r <= d - 1 and a * e <= (2^22 - 1) * 2^10 < 2^32.
//   - Unsigned: (a * m) >> 32 = floor(q + f) = q.
//   - Signed, n = -a < 0: n * m / 2^32 = -(q + f), and f > 0 (e >= 1, a >= 1),
//     so the arithmetic shift gives floor(-(q + f)) = -q - 1; adding 1 (the
//     sign bit) gives -q, the quotient truncated toward zero.
// Larger numerators and divisors take the hardware division.
#pragma once

#include <array>
#include <cstdint>

#include "math/fixed.h"

namespace vantir {

constexpr std::int32_t RECIPROCAL_DIVISOR_LIMIT = 1024;          // 2^10
constexpr std::uint32_t RECIPROCAL_NUMERATOR_LIMIT = 1u << 22;   // 2^22 * 2^10 = 2^32

inline constexpr std::array<std::uint64_t, RECIPROCAL_DIVISOR_LIMIT + 1> reciprocalTable = [] {
    std::array<std::uint64_t, RECIPROCAL_DIVISOR_LIMIT + 1> table{};
    for (std::uint64_t d = 1; d <= RECIPROCAL_DIVISOR_LIMIT; ++d) table[d] = (std::uint64_t{1} << 32) / d + 1;
    return table;
}();

// True when |numerator| < RECIPROCAL_NUMERATOR_LIMIT: one unsigned comparison
// of the numerator moved up by limit - 1 (the range -(limit - 1)..limit - 1).
inline bool reciprocalNumerator(std::int32_t numerator) {
    return static_cast<std::uint32_t>(numerator) + (RECIPROCAL_NUMERATOR_LIMIT - 1) < 2 * RECIPROCAL_NUMERATOR_LIMIT - 1;
}

// numerator / d truncated toward zero, given m = reciprocalTable[d] and
// |numerator| < RECIPROCAL_NUMERATOR_LIMIT: one multiplication, no sign
// juggling (the header's signed case).
inline std::int32_t divTruncByReciprocal(std::int32_t numerator, std::uint64_t m) {
    const std::int64_t product = static_cast<std::int64_t>(numerator) * static_cast<std::int64_t>(m);  // |.| < 2^55
    return static_cast<std::int32_t>(product >> 32) - (numerator >> 31);  // arithmetic: floor, then +1 below zero
}

// numerator / divisor, truncated toward zero, for a divisor >= 1.
inline std::int32_t divTruncPositive(std::int32_t numerator, std::int32_t divisor) {
    if (__builtin_expect(reciprocalNumerator(numerator) && divisor <= RECIPROCAL_DIVISOR_LIMIT, 1))
        return divTruncByReciprocal(numerator, reciprocalTable[static_cast<std::uint32_t>(divisor)]);
    return numerator / divisor;
}

// numerator / divisor, truncated toward zero, for any divisor but 0; the same
// as divTrunc (INT32_MIN / -1 wraps). Sign handling without branches: the
// signs of these numerators follow the data, so a branch on them would be
// mispredicted half the time.
inline std::int32_t divTruncFast(std::int32_t numerator, std::int32_t divisor) {
    const std::uint32_t divisorSign = static_cast<std::uint32_t>(divisor >> 31);
    const std::uint32_t divisorMagnitude = (static_cast<std::uint32_t>(divisor) ^ divisorSign) - divisorSign;
    // divisorMagnitude - 1 < limit: 1..limit (0 wraps above it).
    if (__builtin_expect(reciprocalNumerator(numerator) &&
                             divisorMagnitude - 1 < static_cast<std::uint32_t>(RECIPROCAL_DIVISOR_LIMIT),
                         1)) {
        // n / -d = -(n / d) under truncation.
        const std::uint32_t q =
            static_cast<std::uint32_t>(divTruncByReciprocal(numerator, reciprocalTable[divisorMagnitude]));
        return static_cast<std::int32_t>((q ^ divisorSign) - divisorSign);
    }
    return divTrunc(numerator, divisor);
}

}  // namespace vantir
