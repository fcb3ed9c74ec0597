// A back buffer of the tests' own, framed by guard zones, and a texture slot
// table the tests can fill.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iomanip>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "math/fixed.h"
#include "render/raster/raster_target.h"
#include "texture/texture.h"
#include "video/back_buffer.h"

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
        setBackBuffer(pixels(), width, height);
        setClipRect();
    }
    ~TestScreen() {
        setBackBuffer(nullptr, 0, 0);
        setClipRect();
    }
    TestScreen(const TestScreen&) = delete;
    TestScreen& operator=(const TestScreen&) = delete;

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

// Pixels as rows of hexadecimal values, and projected vertices as x, y, z
// and clip, four to a line: the inputs of a reproducer.
inline std::string describePixels(const Rgb555* pixels, int width, int height) {
    std::ostringstream out;
    out << std::hex << std::setfill('0');
    for (int i = 0; i < width * height; ++i) out << std::setw(4) << pixels[i] << ((i + 1) % width ? " " : "\n");
    return out.str();
}
inline std::string describeVertices(const ProjectedVertex* v, int count) {
    std::ostringstream out;
    for (int i = 0; i < count; ++i)
        out << i << ": " << v[i].x << ", " << v[i].y << ", " << v[i].z << ", " << v[i].clip << (i % 4 == 3 ? "\n" : "  ");
    return out.str() + "\n";
}

// FNV-1a 64 over pixels, to pin what was drawn.
inline std::uint64_t hashPixels(const Rgb555* pixels, std::size_t count, std::uint64_t hash = 0xcbf29ce484222325ull) {
    for (std::size_t i = 0; i < count; ++i)
        for (int shift : {0, 8}) hash = (hash ^ ((pixels[i] >> shift) & 0xff)) * 0x100000001b3ull;
    return hash;
}

// Points textureTable at a local table for the test's lifetime.
class TestTextures {
public:
    TestTextures() : saved_(textureTable), slots_(TEXTURE_SLOT_COUNT, nullptr) { textureTable = slots_.data(); }
    ~TestTextures() { textureTable = saved_; }
    TestTextures(const TestTextures&) = delete;
    TestTextures& operator=(const TestTextures&) = delete;

    // Installs a texture of (1 << widthShift) x (1 << heightShift) texels in
    // slot `slot`, texel (column c, row r) = texel(c, r).
    template <typename Fn>
    void install(int slot, int widthShift, int heightShift, Fn texel) {
        records_.push_back(std::make_unique<Texture>());
        images_.emplace_back(static_cast<std::size_t>(1) << (widthShift + heightShift));
        std::vector<Rgb555>& image = images_.back();
        for (int r = 0; r < (1 << heightShift); ++r)
            for (int c = 0; c < (1 << widthShift); ++c) image[(r << widthShift) + c] = texel(c, r);
        Texture& t = *records_.back();
        t = Texture{};
        t.id = slot;
        t.widthShift = t.widthShiftCopy = widthShift;
        t.heightShift = t.heightShiftCopy = heightShift;
        t.currentPixels = t.basePixels = image.data();
        slots_[slot] = &t;
    }

private:
    Texture** saved_;
    std::vector<Texture*> slots_;
    std::vector<std::unique_ptr<Texture>> records_;
    std::vector<std::vector<Rgb555>> images_;
};
