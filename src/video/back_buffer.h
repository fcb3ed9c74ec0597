// The raster target every rasterizer draws into: the current back buffer and
// the drawing size. Kept apart from the window surfaces so that the render code
// reads plain memory and includes nothing of the platform.
#pragma once

#include <cstdint>

#include "math/fixed.h"

namespace vantir {

// Pixel pointer of the current surface; pixel (x, y) is element y * width + x.
Rgb555* backBufferPixels();
// Drawing width in pixels (even), 0 before any surface exists.
std::int32_t screenWidth();
// Usable height: the surface's rows less one, 0 before any surface exists.
std::int32_t screenHeight();

// Points the raster target at pixels of width x (height + 1) rows. The screen
// calls it whenever its surfaces change; tests and benchmarks call it to draw
// into memory of their own without a window.
void setBackBuffer(Rgb555* pixels, std::int32_t width, std::int32_t height);

}  // namespace vantir
