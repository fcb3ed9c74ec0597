// Number conventions of the whole engine.
//
// Fix9: signed 32-bit with 9 fraction bits (512 = 1.0). Products are 32-bit and
// shifted right arithmetically by 9, each product on its own, so they round
// toward minus infinity. 32-bit overflow wraps: the build compiles with
// -fwrapv, and C++20 defines shifts of negative values, so plain operators
// carry the design's arithmetic. Only the one division that can trap
// (INT32_MIN / -1) needs a helper.
#pragma once

#include <cstdint>

namespace vantir {

using Fix9 = std::int32_t;
using Angle = std::int32_t;   // 1024 units per full turn
using Rgb555 = std::uint16_t; // red 10-14, green 5-9, blue 0-4, bit 15 no colour

constexpr int FIX9_SHIFT = 9;
constexpr Fix9 FIX9_ONE = 512;
constexpr Angle ANGLE_MASK = 0x3ff;

// Positions, angle triples and scale triples. w is never read.
struct Vec4 {
    std::int32_t x;
    std::int32_t y;
    std::int32_t z;
    std::int32_t w;
};
static_assert(sizeof(Vec4) == 16);

// Truncating division that also survives INT32_MIN / -1 (wraps to INT32_MIN
// instead of trapping). The divisor must not be 0.
constexpr std::int32_t divTrunc(std::int32_t numerator, std::int32_t divisor) {
    if (divisor == -1) return static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(numerator));
    return numerator / divisor;
}

// 8-bit channels to Rgb555: each channel shifted right arithmetically by 3 and
// masked to 5 bits, so only bits 3-7 survive.
constexpr Rgb555 packRgb555(std::int32_t r, std::int32_t g, std::int32_t b) {
    return static_cast<Rgb555>((((r >> 3) & 31) << 10) | (((g >> 3) & 31) << 5) | ((b >> 3) & 31));
}

// 5-bit channels to Rgb555 (the clear colour).
constexpr Rgb555 packRgb555From5(std::int32_t r, std::int32_t g, std::int32_t b) {
    return static_cast<Rgb555>(((r & 31) << 10) | ((g & 31) << 5) | (b & 31));
}

}  // namespace vantir
