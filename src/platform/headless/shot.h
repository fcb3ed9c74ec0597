// Shots of the window image: a 16-bit BMP file and a hash of the pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/headless/headless.h"

namespace vantir {

// The top-left width x height pixels of the window image (clipped to it),
// rows top to bottom.
struct Shot {
    int width = 0;
    int height = 0;
    std::vector<std::uint16_t> pixels;
};
Shot takeShot(const HeadlessWindowImage& image, int width, int height);

// FNV-1a 64 over the pixels as 16-bit little-endian bytes, rows top to bottom.
std::uint64_t hashShot(const Shot& shot);
// As 16 lowercase hex digits.
std::string formatShotHash(std::uint64_t hash);

// A standard BMP: 14-byte file header, 40-byte info header, 16 bits per pixel
// BI_RGB, bottom-up rows padded to 4 bytes.
std::vector<std::uint8_t> encodeShotBmp(const Shot& shot);

}  // namespace vantir
