// A back buffer of the tests' own, framed by guard zones, and a texture slot
// table the tests can fill.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "math/fixed.h"
#include "render/raster/raster_target.h"
#include "texture/texture.h"
#include "video/back_buffer.h"

using namespace vantir;

// W x H drawable pixels plus the extra row every surface has, with guard
// pixels before and after; the clip rectangle is set from it.
class TestScreen {
public:
    static constexpr int GUARD_PIXELS = 2048;
    static constexpr Rgb555 GUARD_VALUE = 0xA5A5;

    TestScreen(int width, int height, Rgb555 fill = 0)
        : width_(width), height_(height),
          memory_(2 * GUARD_PIXELS + static_cast<std::size_t>(width) * (height + 1), GUARD_VALUE) {
        fill_all(fill);
        bind();
    }
    ~TestScreen() {
        setBackBuffer(nullptr, 0, 0);
        setClipRect();
    }
    TestScreen(const TestScreen&) = delete;
    TestScreen& operator=(const TestScreen&) = delete;

    // Makes this screen the back buffer, with the clip rectangle of its size.
    void bind() {
        setBackBuffer(pixels(), width_, height_);
        setClipRect();
    }
    Rgb555* pixels() { return memory_.data() + GUARD_PIXELS; }
    Rgb555 at(int x, int y) const { return memory_[GUARD_PIXELS + static_cast<std::size_t>(y) * width_ + x]; }

    // Drawable rows get `fill`; the extra row H keeps the guard value, since
    // no rasterizer may draw it.
    void fill_all(Rgb555 fill) { std::fill(pixels(), pixels() + width_ * height_, fill); }

    // True when the guard zones and the extra row are untouched.
    bool guardsIntact() const {
        const auto guard = [](Rgb555 p) { return p == GUARD_VALUE; };
        return std::all_of(memory_.begin(), drawableBegin(), guard) && std::all_of(drawableEnd(), memory_.end(), guard);
    }

    // Columns of row y whose pixel differs from `background`, as "a..b" runs.
    std::string runs(int y, Rgb555 background = 0) const {
        std::string out;
        for (int x = 0; x < width_; ++x) {
            if (at(x, y) == background) continue;
            const int start = x;
            while (x + 1 < width_ && at(x + 1, y) != background) ++x;
            out += (out.empty() ? "" : " ") + std::to_string(start) + ".." + std::to_string(x);
        }
        return out;
    }

    int countNot(Rgb555 background) const {
        return static_cast<int>(std::count_if(drawableBegin(), drawableEnd(), [=](Rgb555 p) { return p != background; }));
    }

private:
    std::vector<Rgb555>::const_iterator drawableBegin() const { return memory_.begin() + GUARD_PIXELS; }
    std::vector<Rgb555>::const_iterator drawableEnd() const { return drawableBegin() + width_ * height_; }

    int width_;
    int height_;
    std::vector<Rgb555> memory_;
};

// FNV-1a 64 over pixels, to pin what was drawn.
inline std::uint64_t hashPixels(const Rgb555* pixels, std::size_t count, std::uint64_t hash = 0xcbf29ce484222325ull) {
    for (std::size_t i = 0; i < count; ++i)
        for (int shift : {0, 8}) hash = (hash ^ ((pixels[i] >> shift) & 0xff)) * 0x100000001b3ull;
    return hash;
}

// A texture table of the test's own for its lifetime (the one before it is
// kept aside), filled through installTexture as a program fills it.
class TestTextures {
public:
    TestTextures() : saved_(textureTable) {
        textureTable = nullptr;
        EXPECT_EQ(initTextures(), 0);
    }
    ~TestTextures() {
        releaseTextures();
        textureTable = saved_;
    }
    TestTextures(const TestTextures&) = delete;
    TestTextures& operator=(const TestTextures&) = delete;

    // A texture of (1 << widthShift) x (1 << heightShift) texels in the lowest
    // free slot, texel (column c, row r) = texel(c, r).
    template <typename Fn>
    void install(int widthShift, int heightShift, Fn texel) {
        std::vector<Rgb555> image;
        for (int r = 0; r < (1 << heightShift); ++r)
            for (int c = 0; c < (1 << widthShift); ++c) image.push_back(texel(c, r));
        EXPECT_GE(installTexture("test", widthShift, heightShift, image.data()), 0);
    }

private:
    Texture** saved_;
};
