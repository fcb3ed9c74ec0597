// A back buffer on the heap framed by guard zones, installed as the raster
// target for its lifetime: any write outside the drawable rows shows up as a
// changed guard pixel (and far-off writes as an AddressSanitizer report).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "math/fixed.h"
#include "render/raster/raster_target.h"
#include "video/back_buffer.h"

using namespace vantir;

struct GuardedScreen {
    static constexpr std::size_t GUARD_PIXELS = 1024;
    static constexpr Rgb555 GUARD_VALUE = 0xA5A5;

    std::int32_t width;
    std::int32_t height;
    bool spareRowGuarded;
    std::vector<Rgb555> memory;

    // width x (height + 1) pixels, the extra row every surface has included.
    // That row is guarded as well, since nothing may draw it, unless
    // guardSpareRow is false: under a clip rectangle of another screen size
    // the sprite outline strides by the clip width (as it does by design),
    // which stays inside the block but may reach the spare row.
    GuardedScreen(std::int32_t w, std::int32_t h, Rgb555 fill, bool guardSpareRow = true)
        : width(w), height(h), spareRowGuarded(guardSpareRow),
          memory(2 * GUARD_PIXELS + drawable() + static_cast<std::size_t>(w), GUARD_VALUE) {
        for (std::size_t i = 0; i < drawable(); ++i) memory[GUARD_PIXELS + i] = fill;
        setBackBuffer(pixels(), width, height);
    }
    ~GuardedScreen() {
        setBackBuffer(nullptr, 0, 0);
        setClipRect();
    }
    GuardedScreen(const GuardedScreen&) = delete;
    GuardedScreen& operator=(const GuardedScreen&) = delete;

    std::size_t drawable() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height); }
    Rgb555* pixels() { return memory.data() + GUARD_PIXELS; }

    bool guardsIntact() const {
        for (std::size_t i = 0; i < memory.size(); ++i) {
            const std::size_t block = drawable() + (spareRowGuarded ? 0 : static_cast<std::size_t>(width));
            const bool inside = i >= GUARD_PIXELS && i < GUARD_PIXELS + block;
            if (!inside && memory[i] != GUARD_VALUE) return false;
        }
        return true;
    }
};
