// The raster target every polygon rasterizer draws into and the clip
// rectangle it clips against.
#pragma once

#include <cstddef>
#include <cstdint>

#include "math/fixed.h"

namespace vantir {

// The drawing area, fixed once at start-up from the screen size.
struct ClipRect {
    std::int32_t width;   // W, screen width in pixels
    std::int32_t height;  // H, usable screen height in pixels
    std::int32_t maxX;    // W - 1, last drawable column
    std::int32_t maxY;    // H - 1, last drawable row
};

extern ClipRect clipRect;

// Reads the screen size once; called at start-up after the surfaces exist.
void setClipRect();

// What one rasterizer call draws into, fetched afresh at the start of the call.
// The row stride follows the screen; `columns` and `rows` bound every write to
// both the clip rectangle and the real pixel block, so a screen that changed
// size after start-up (or a clip rectangle never set) cannot lead a span out
// of the buffer.
struct RasterTarget {
    Rgb555* pixels;
    std::int32_t stride;   // pixels per row
    std::int32_t columns;  // spans end at or before this column (exclusive)
    std::int32_t rows;     // rows 0..rows-1 may be drawn
    // One past the pixel block, whose extra row below the usable height lets
    // fast spans read and write back a few pixels past a span's end unchanged.
    const Rgb555* blockEnd;
};

// False when there is nothing to draw into.
bool fetchRasterTarget(RasterTarget* target);

// Clamps the span of 24.8 edge positions leftX..rightX on `row` to the target:
// L = max(L, 0), R = min(R, columns). Answers the first pixel and the pixel
// count, or false when the clamped span is empty or the row lies outside.
// The interpolated values are not advanced for a cut-off left part: the
// span starts at the clamped column with the left edge's values.
inline bool clampSpan(const RasterTarget& target, std::int32_t row, std::int32_t leftX, std::int32_t rightX,
                      Rgb555** dst, std::int32_t* count) {
    if (row < 0 || row >= target.rows) return false;
    std::int32_t left = leftX >> 8;    // arithmetic: columns of 24.8 positions
    std::int32_t right = rightX >> 8;  // exclusive end
    if (left < 0) left = 0;
    if (right > target.columns) right = target.columns;
    if (right <= left) return false;
    *dst = target.pixels + static_cast<std::ptrdiff_t>(row) * target.stride + left;
    *count = right - left;
    return true;
}

}  // namespace vantir
