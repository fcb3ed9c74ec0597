#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/shell_test_support.h"
#include "input/cursor.h"
#include "input/mouse.h"
#include "platform/headless/headless.h"
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

TEST_F(Mouse, DeltaIsTheMotionBetweenTheLastTwoLatches) {
    struct Pass {
        std::int32_t x, y, dx, dy;
    };
    // The first pass moves from 0, 0; a pass at the same place gives no motion.
    const Pass passes[] = {{30, 40, 30, 40}, {30, 40, 0, 0}, {25, 47, -5, 7}, {-3, 0, -28, -47}, {-3, 0, 0, 0}};
    for (const Pass& p : passes) {
        updateMouse(p.x, p.y);
        std::int32_t dx = 99;
        std::int32_t dy = 99;
        mouseDelta(&dx, &dy);
        EXPECT_EQ(dx, p.dx) << "at " << p.x << "," << p.y;
        EXPECT_EQ(dy, p.dy) << "at " << p.x << "," << p.y;
        std::int32_t x = 0;
        std::int32_t y = 0;
        EXPECT_EQ(mouseState(&x, &y), 0);
        EXPECT_EQ(x, p.x);
        EXPECT_EQ(y, p.y);
    }
}

TEST_F(Mouse, ButtonsAreLiveWhilePositionAndLatchesMoveOnlyPerPass) {
    // Each step: an optional handler, then whether an idle pass follows, and
    // the state expected after it.
    enum Event { NONE, LEFT_DOWN, LEFT_UP, RIGHT_DOWN, RIGHT_UP };
    struct Step {
        Event event;
        bool pass;
        std::int32_t buttons, latched, pressed;
    };
    const Step steps[] = {
        {LEFT_DOWN, false, MOUSE_LEFT, 0, 0},                        // live at once, latched later
        {NONE, true, MOUSE_LEFT, MOUSE_LEFT, MOUSE_LEFT},              // pressed since the last pass
        {NONE, true, MOUSE_LEFT, MOUSE_LEFT, 0},                       // still held: no longer new
        {RIGHT_DOWN, true, 3, 3, MOUSE_RIGHT},                         // only the new bit
        {LEFT_UP, true, MOUSE_RIGHT, MOUSE_RIGHT, 0},
        {RIGHT_UP, false, 0, MOUSE_RIGHT, 0},
        {RIGHT_UP, true, 0, 0, 0},                                     // up without down: no change
        {LEFT_DOWN, false, MOUSE_LEFT, 0, 0},
        {LEFT_UP, true, 0, 0, 0},                                      // a click between passes is never latched
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
        if (s.pass) updateMouse(0, 0);
        EXPECT_EQ(mouse.buttons, s.buttons) << "step " << index;
        EXPECT_EQ(mouse.latchedButtons, s.latched) << "step " << index;
        EXPECT_EQ(mouse.pressedButtons, s.pressed) << "step " << index;
        ++index;
    }
}

TEST_F(Mouse, ReleasingEitherButtonReleasesTheCapture) {
    for (const bool leftFirst : {true, false}) {
        SCOPED_TRACE(leftFirst ? "left released first" : "right released first");
        leftButtonDown();
        EXPECT_EQ(headlessState().capture, window_);
        rightButtonDown();
        EXPECT_EQ(headlessState().capture, window_);
        EXPECT_EQ(mouse.buttons, MOUSE_LEFT | MOUSE_RIGHT);

        if (leftFirst) {
            leftButtonUp();
        } else {
            rightButtonUp();
        }
        EXPECT_EQ(headlessState().capture, nullptr);
        EXPECT_EQ(mouse.buttons, leftFirst ? MOUSE_RIGHT : MOUSE_LEFT);  // the other stays held

        if (leftFirst) {
            rightButtonUp();
        } else {
            leftButtonUp();
        }
        EXPECT_EQ(mouse.buttons, 0);
        EXPECT_EQ(headlessState().capture, nullptr);
    }
}

TEST_F(Mouse, OtherBitsSurviveTheHandlers) {
    mouse.buttons = 0x10;
    leftButtonDown();
    rightButtonDown();
    EXPECT_EQ(mouse.buttons, 0x13);
    leftButtonUp();
    rightButtonUp();
    EXPECT_EQ(mouse.buttons, 0x10);
}

class Cursors : public Mouse {};

TEST_F(Cursors, SlotZeroKeepsTheStartUpCursorAndTheOthersAreEmpty) {
    const HCURSOR shown = GetCursor();
    ASSERT_EQ(initCursors(), 0);
    EXPECT_EQ(cursorSlot(0), reinterpret_cast<CursorSlot>(shown));
    for (int slot = 1; slot < CURSOR_SLOTS; ++slot) EXPECT_EQ(cursorSlot(slot), CURSOR_SLOT_EMPTY) << slot;

    struct Case {
        int slot, result;
    };
    for (const Case c : {Case{8, -3}, Case{-1, -3}, Case{1000, -3}, Case{3, -1}, Case{7, -1}, Case{1, -1}}) {
        EXPECT_EQ(destroyCursorSlot(c.slot), c.result) << "slot " << c.slot;
    }
    EXPECT_EQ(cursorSlot(0), reinterpret_cast<CursorSlot>(shown));
    releaseCursors();
    EXPECT_EQ(headlessState().classCursor, shown);
    EXPECT_EQ(cursorSlot(0), CURSOR_SLOT_EMPTY);
    EXPECT_EQ(destroyCursorSlot(0), -3);  // no table any more
}

TEST_F(Cursors, AllocationFailureEndsInitialisation) {
    failAllocationsAfter(0);
    EXPECT_EQ(initCursors(), -1);
    failAllocationsAfter(-1);
    EXPECT_EQ(headlessMessageBoxes().size(), 1u);
    EXPECT_EQ(cursorSlot(0), CURSOR_SLOT_EMPTY);
    releaseCursors();  // accepts the partial start-up
}

}  // namespace
