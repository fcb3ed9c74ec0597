// Mouse state for the frame loop: button bits set at once by the button
// messages (with mouse capture while a button is held), and the cursor
// position latched once per idle pass, from which a frame reads the motion
// since the previous pass.
#pragma once

#include <cstdint>

namespace vantir {

constexpr std::int32_t MOUSE_RIGHT = 1;
constexpr std::int32_t MOUSE_LEFT = 2;

struct MouseState {
    std::int32_t x, y;            // latched at the last idle pass, screen pixels
    std::int32_t prevX, prevY;    // latched at the pass before
    std::int32_t buttons;         // live MOUSE_* bits
    std::int32_t latchedButtons;  // buttons at the last idle pass
    std::int32_t pressedButtons;  // set at the last pass but not at the one before
};

// The one mouse of the program.
extern MouseState mouse;

// Back to the state of process start: everything zero.
void resetMouse();

// Button handlers, called from the window procedure. Each down message
// captures the mouse for the screen window; each up message releases the
// capture, even while the other button is still held.
void leftButtonDown();
void rightButtonDown();
void leftButtonUp();
void rightButtonUp();

// Once per idle pass, before the frame: latch the position and the buttons.
void updateMouse(std::int32_t newX, std::int32_t newY);
// Motion between the last two latched positions.
void mouseDelta(std::int32_t* dx, std::int32_t* dy);
// The latched position and the live button bits.
std::int32_t mouseState(std::int32_t* x, std::int32_t* y);

}  // namespace vantir
