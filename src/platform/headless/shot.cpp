#include "platform/headless/shot.h"

#include <algorithm>
#include <cstdio>

namespace vantir {

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

}  // namespace

Shot takeShot(const HeadlessWindowImage& image, int width, int height) {
    Shot shot;
    shot.width = std::clamp(width, 0, image.width);
    shot.height = std::clamp(height, 0, image.height);
    shot.pixels.reserve(static_cast<std::size_t>(shot.width) * shot.height);
    for (int y = 0; y < shot.height; ++y) {
        const auto row = image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width;
        shot.pixels.insert(shot.pixels.end(), row, row + shot.width);
    }
    return shot;
}

std::uint64_t hashShot(const Shot& shot) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::uint16_t p : shot.pixels) {
        for (std::uint8_t byte : {static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 8)}) {
            hash ^= byte;
            hash *= 0x100000001b3ull;
        }
    }
    return hash;
}

std::string formatShotHash(std::uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::vector<std::uint8_t> encodeShotBmp(const Shot& shot) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(shot.width) * 2 + 3) & ~3u;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(shot.height);
    constexpr std::uint32_t HEADERS = 14 + 40;
    std::vector<std::uint8_t> out;
    out.reserve(HEADERS + imageSize);
    // File header.
    put16(out, 0x4d42);  // "BM"
    put32(out, HEADERS + imageSize);
    put32(out, 0);
    put32(out, HEADERS);
    // Info header: positive height = bottom-up rows.
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(shot.width));
    put32(out, static_cast<std::uint32_t>(shot.height));
    put16(out, 1);
    put16(out, 16);
    put32(out, 0);  // BI_RGB: 5-5-5
    put32(out, imageSize);
    put32(out, 2835);  // 72 dpi
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = shot.height - 1; y >= 0; --y) {
        for (int x = 0; x < shot.width; ++x) put16(out, shot.pixels[static_cast<std::size_t>(y) * shot.width + x]);
        for (std::uint32_t pad = static_cast<std::uint32_t>(shot.width) * 2; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

}  // namespace vantir
