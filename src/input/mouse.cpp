#include "input/mouse.h"

#include "platform/win32.h"
#include "video/screen.h"

namespace vantir {

MouseState mouse{};

void resetMouse() { mouse = MouseState{}; }

void leftButtonDown() {
    SetCapture(screenWindow());
    mouse.buttons |= MOUSE_LEFT;
}

void rightButtonDown() {
    SetCapture(screenWindow());
    mouse.buttons |= MOUSE_RIGHT;
}

void leftButtonUp() {
    ReleaseCapture();
    mouse.buttons &= ~MOUSE_LEFT;
}

void rightButtonUp() {
    ReleaseCapture();
    mouse.buttons &= ~MOUSE_RIGHT;
}

void updateMouse(std::int32_t newX, std::int32_t newY) {
    mouse.prevX = mouse.x;
    mouse.prevY = mouse.y;
    mouse.x = newX;
    mouse.y = newY;
    mouse.pressedButtons = mouse.buttons & ~mouse.latchedButtons;  // against the old latch
    mouse.latchedButtons = mouse.buttons;
}

void mouseDelta(std::int32_t* dx, std::int32_t* dy) {
    *dx = mouse.x - mouse.prevX;
    *dy = mouse.y - mouse.prevY;
}

std::int32_t mouseState(std::int32_t* x, std::int32_t* y) {
    *x = mouse.x;
    *y = mouse.y;
    return mouse.buttons;
}

}  // namespace vantir
