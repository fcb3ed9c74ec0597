#include "render/raster/rect_outline.h"

#include <algorithm>
#include <cstring>

#include "render/raster/raster_target.h"
#include "video/back_buffer.h"

namespace vantir {

namespace {

// n pixels from dst: 32-bit stores of the colour doubled, then one 16-bit store.
void horizontalRun(Rgb555* dst, std::int64_t n, std::uint32_t pixel) {
    const std::uint32_t pattern = pixel | (pixel << 16);
    for (std::int64_t i = 0; i < n / 2; ++i) std::memcpy(dst + 2 * i, &pattern, sizeof pattern);
    if (n & 1) dst[n - 1] = static_cast<Rgb555>(pixel);
}

void verticalRun(Rgb555* dst, std::int64_t c, std::int32_t stride, std::uint32_t pixel) {
    for (std::int64_t i = 0; i < c; ++i) dst[i * stride] = static_cast<Rgb555>(pixel);
}

}  // namespace

void drawRectOutline(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, std::int32_t colour) {
    Rgb555* const pixels = backBufferPixels();
    const std::int64_t W = clipRect.width;  // stride and bounds of the start-up screen
    const std::int64_t H = clipRect.height;
    // The stride is the clip width, so the whole W x H area must lie inside the
    // current pixel block for any write to be safe.
    const std::int64_t available = static_cast<std::int64_t>(screenWidth()) * (static_cast<std::int64_t>(screenHeight()) + 1);
    if (pixels == nullptr || W <= 0 || H <= 0 || W * H > available) return;

    // 64-bit sums: a far corner beyond 2^31 must not wrap back onto the screen.
    const std::int64_t right = static_cast<std::int64_t>(x) + w;
    const std::int64_t bottom = static_cast<std::int64_t>(y) + h;
    const std::int64_t x0 = std::max<std::int64_t>(x, 0);
    const std::int64_t n = std::min(right, W) - x0;
    const std::int64_t y0 = std::max<std::int64_t>(y, 0);
    const std::int64_t c = std::min(bottom, H) - y0;
    const std::uint32_t pixel = static_cast<std::uint16_t>(colour);
    const auto at = [&](std::int64_t col, std::int64_t row) { return pixels + row * W + col; };

    if (n > 0) {
        if (y >= 0 && y <= H - 1) horizontalRun(at(x0, y), n, pixel);
        if (bottom >= 0 && bottom <= H - 1) horizontalRun(at(x0, bottom), n, pixel);
    }
    if (c > 0) {
        if (x >= 0 && x <= W - 1) verticalRun(at(x, y0), c, static_cast<std::int32_t>(W), pixel);
        if (right >= 0 && right <= W - 1) verticalRun(at(right, y0), c, static_cast<std::int32_t>(W), pixel);
    }
}

}  // namespace vantir
