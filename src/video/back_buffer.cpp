#include "video/back_buffer.h"

namespace vantir {

namespace {
Rgb555* targetPixels = nullptr;
std::int32_t targetWidth = 0;
std::int32_t targetHeight = 0;
}  // namespace

Rgb555* backBufferPixels() { return targetPixels; }
std::int32_t screenWidth() { return targetWidth; }
std::int32_t screenHeight() { return targetHeight; }

void setBackBuffer(Rgb555* pixels, std::int32_t width, std::int32_t height) {
    targetPixels = pixels;
    targetWidth = width;
    targetHeight = height;
}

}  // namespace vantir
