// Truncating division by small divisors through multiplication with a
// reciprocal: the same quotient as the `/` operator, bit for bit, at a
// fraction of a hardware division's cost.
//
// For 1 <= d <= RECIPROCAL_DIVISOR_LIMIT the table holds m = ceil(2^32 / d),
// so m * d = 2^32 + e with 0 <= e < d. For 0 <= a < RECIPROCAL_NUMERATOR_LIMIT,
// (a * m) >> 32 = floor(a / d + a * e / (d * 2^32)), and writing a = q * d + r
// (0 <= r < d) the fraction beyond q is (r + a * e / 2^32) / d, which stays
// below 1 because r <= d - 1 and a * e < 2^22 * 2^10 = 2^32. So the product
// gives floor(a / d) exactly. Larger numerators and divisors take the
// hardware division.
#pragma once

#include <array>
#include <cstdint>

#include "math/fixed.h"

constexpr std::int32_t RECIPROCAL_DIVISOR_LIMIT = 1024;          // 2^10
constexpr std::uint32_t RECIPROCAL_NUMERATOR_LIMIT = 1u << 22;   // 2^22 * 2^10 = 2^32

inline constexpr std::array<std::uint64_t, RECIPROCAL_DIVISOR_LIMIT + 1> reciprocalTable = [] {
    std::array<std::uint64_t, RECIPROCAL_DIVISOR_LIMIT + 1> table{};
    for (std::uint64_t d = 1; d <= RECIPROCAL_DIVISOR_LIMIT; ++d) table[d] = ((std::uint64_t{1} << 32) + d - 1) / d;
    return table;
}();

// Sign handling without branches: the signs of these numerators follow the
// data, so a branch on them would be mispredicted half the time.
// numerator / divisor, truncated toward zero, for a divisor >= 1.
inline std::int32_t divTruncPositive(std::int32_t numerator, std::int32_t divisor) {
    const std::uint32_t sign = static_cast<std::uint32_t>(numerator >> 31);  // 0 or all ones
    const std::uint32_t magnitude = (static_cast<std::uint32_t>(numerator) ^ sign) - sign;
    if (__builtin_expect(magnitude < RECIPROCAL_NUMERATOR_LIMIT && divisor <= RECIPROCAL_DIVISOR_LIMIT, 1)) {
        const auto q = static_cast<std::uint32_t>((magnitude * reciprocalTable[static_cast<std::uint32_t>(divisor)]) >> 32);
        return static_cast<std::int32_t>((q ^ sign) - sign);
    }
    return numerator / divisor;
}

// numerator / divisor, truncated toward zero, for any divisor but 0; the same
// as divTrunc (INT32_MIN / -1 wraps).
inline std::int32_t divTruncFast(std::int32_t numerator, std::int32_t divisor) {
    const std::uint32_t numeratorSign = static_cast<std::uint32_t>(numerator >> 31);
    const std::uint32_t divisorSign = static_cast<std::uint32_t>(divisor >> 31);
    const std::uint32_t magnitude = (static_cast<std::uint32_t>(numerator) ^ numeratorSign) - numeratorSign;
    const std::uint32_t divisorMagnitude = (static_cast<std::uint32_t>(divisor) ^ divisorSign) - divisorSign;
    // divisorMagnitude - 1 < limit: 1..limit (0 wraps above it).
    if (__builtin_expect(magnitude < RECIPROCAL_NUMERATOR_LIMIT &&
                             divisorMagnitude - 1 < static_cast<std::uint32_t>(RECIPROCAL_DIVISOR_LIMIT),
                         1)) {
        const auto q = static_cast<std::uint32_t>((magnitude * reciprocalTable[divisorMagnitude]) >> 32);
        const std::uint32_t sign = numeratorSign ^ divisorSign;
        return static_cast<std::int32_t>((q ^ sign) - sign);
    }
    return divTrunc(numerator, divisor);
}
