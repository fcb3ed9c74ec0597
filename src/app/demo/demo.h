// The demo: one window titled "TEST" showing the textured sphere of
// demo_scene.h, whose bands 1 to 4 turn while the left button is held.
#pragma once

#include <cstdint>

#include "app/program.h"
#include "math/fixed.h"

namespace vantir {

extern const Program demoProgram;

// The frame's mouse step: with the left button held, the motion turns parts
// 4 to 1 of the sphere (when it was built) by turnPartByMouse.
void turnDemoBands(std::int32_t buttons, std::int32_t dx, std::int32_t dy);

// The left-button drag applied to one part's rotation: the vertical motion
// tilts x within -64..+96, the horizontal motion turns z (moving right
// lowers it) within -64..+64; y and w are left alone.
void turnPartByMouse(Vec4* rotation, std::int32_t dx, std::int32_t dy);

}  // namespace vantir
