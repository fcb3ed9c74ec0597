#include "app/demo/demo.h"

#include "app/demo/demo_scene.h"
#include "input/mouse.h"
#include "scene/model.h"

namespace vantir {

const Program demoProgram = {
    .title = "TEST",
    .buildScene = buildDemoScene,
    .frameMouse = turnDemoBands,
    .preFrame = nullptr,
    .postFrame = nullptr,
    .typedCharacter = nullptr,
};

void turnDemoBands(std::int32_t buttons, std::int32_t dx, std::int32_t dy) {
    // Without a built scene there are no parts to turn.
    if (!(buttons & MOUSE_LEFT) || !demoSceneBuilt()) return;
    for (int part = DEMO_PART_COUNT - 1; part >= 1; --part) turnPartByMouse(partRotation(demoModel, part), dx, dy);
}

void turnPartByMouse(Vec4* rotation, std::int32_t dx, std::int32_t dy) {
    // Angles are stored in 0..1023; 512..959 is the negative side below -64.
    Angle tilt = (rotation->x - dy) & ANGLE_MASK;
    if (tilt >= 97 && tilt <= 511) tilt = 96;  // at most +96
    if (tilt >= 512 && tilt <= 959) tilt = 960;  // at least -64
    rotation->x = tilt;

    Angle turn = (rotation->z - dx) & ANGLE_MASK;
    if (turn >= 65 && turn <= 511) turn = 64;  // at most +64
    if (turn >= 512 && turn <= 959) turn = 960;  // at least -64
    rotation->z = turn;
}

}  // namespace vantir
