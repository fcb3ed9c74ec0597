#include <gtest/gtest.h>

#include <cstdint>

#include "input/cursor.h"
#include "input/mouse.h"
#include "platform/headless/headless.h"
#include "support/shell.h"
#include "video/screen.h"

namespace {

class Mouse : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = createBareWindow(512, 480);
        ASSERT_EQ(initScreen(window_), 0);  // the capture target is the screen's window
        resetMouse();
    }
    void TearDown() override { resetShellState(); }
    HWND window_ = nullptr;
};

// Buttons are live at once; position, latched and newly pressed buttons move
// only with an idle pass, the delta between the last two latched positions.
TEST_F(Mouse, ButtonsAreLiveWhilePositionAndLatchesMoveOnlyPerPass) {
    enum Event { NONE, LEFT_DOWN, LEFT_UP, RIGHT_DOWN, RIGHT_UP };
    struct Step {
        Event event;
        bool pass;
        std::int32_t x, y, buttons, latched, pressed, dx, dy;
    };
    const Step steps[] = {
        {NONE, true, 30, 40, 0, 0, 0, 30, 40},  // the first pass moves from 0, 0
        {LEFT_DOWN, false, 30, 40, MOUSE_LEFT, 0, 0, 30, 40},
        {NONE, true, 30, 40, MOUSE_LEFT, MOUSE_LEFT, MOUSE_LEFT, 0, 0},
        {NONE, true, 25, 47, MOUSE_LEFT, MOUSE_LEFT, 0, -5, 7},
        {RIGHT_DOWN, true, -3, 0, 3, 3, MOUSE_RIGHT, -28, -47},
        {LEFT_UP, true, -3, 0, MOUSE_RIGHT, MOUSE_RIGHT, 0, 0, 0},
        {RIGHT_UP, false, -3, 0, 0, MOUSE_RIGHT, 0, 0, 0},
        {RIGHT_UP, true, -3, 0, 0, 0, 0, 0, 0},  // up without down: no change
        {LEFT_DOWN, false, -3, 0, MOUSE_LEFT, 0, 0, 0, 0},
        {LEFT_UP, true, -3, 0, 0, 0, 0, 0, 0},  // a click between passes is never latched
    };
    int index = 0;
    for (const Step& s : steps) {
        switch (s.event) {
        case LEFT_DOWN: leftButtonDown(); break;
        case LEFT_UP: leftButtonUp(); break;
        case RIGHT_DOWN: rightButtonDown(); break;
        case RIGHT_UP: rightButtonUp(); break;
        case NONE: break;
        }
        if (s.pass) updateMouse(s.x, s.y);
        std::int32_t x = 0, y = 0, dx = 99, dy = 99;
        EXPECT_EQ(mouseState(&x, &y), s.buttons) << "step " << index;
        mouseDelta(&dx, &dy);
        EXPECT_EQ(mouse.latchedButtons, s.latched) << "step " << index;
        EXPECT_EQ(mouse.pressedButtons, s.pressed) << "step " << index;
        EXPECT_EQ(x * 10000 + y, s.x * 10000 + s.y) << "step " << index;
        EXPECT_EQ(dx * 10000 + dy, s.dx * 10000 + s.dy) << "step " << index;
        ++index;
    }
}

TEST_F(Mouse, CursorSlotZeroKeepsTheStartUpCursorAndTheOthersAreEmpty) {
    const HCURSOR shown = GetCursor();
    ASSERT_EQ(initCursors(), 0);
    EXPECT_EQ(cursorSlot(0), reinterpret_cast<CursorSlot>(shown));
    for (int slot = 1; slot < CURSOR_SLOTS; ++slot) EXPECT_EQ(cursorSlot(slot), CURSOR_SLOT_EMPTY) << slot;
    for (const auto& [slot, result] : {std::pair{8, -3}, {-1, -3}, {1000, -3}, {3, -1}, {7, -1}, {1, -1}})
        EXPECT_EQ(destroyCursorSlot(slot), result) << "slot " << slot;
    releaseCursors();
    EXPECT_EQ(headlessState().classCursor, shown);
    EXPECT_EQ(cursorSlot(0), CURSOR_SLOT_EMPTY);
    EXPECT_EQ(destroyCursorSlot(0), -3);  // no table any more
}

}  // namespace
