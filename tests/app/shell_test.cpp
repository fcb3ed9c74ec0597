// The program run end to end on the headless backend: WinMain, the window's
// messages, start-up, frames and shutdown; and the drag's turn of the bands.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

#include "app/demo/demo.h"
#include "app/sequences.h"
#include "app/window.h"
#include "input/cursor.h"
#include "input/mouse.h"
#include "math/trig.h"
#include "platform/headless/headless.h"
#include "support/shell.h"
#include "video/screen.h"

using namespace vantir;

namespace {

// What each frame saw, written by the frame hook.
struct FrameRecord { std::int32_t buttons, pressed, x, y, dx, dy; CursorSlot startCursor; };
std::vector<FrameRecord> frames;
std::vector<WPARAM> typed;  // the characters the program was given

void recordFrame() {
    FrameRecord r{};
    r.buttons = mouseState(&r.x, &r.y);
    mouseDelta(&r.dx, &r.dy);
    r.pressed = mouse.pressedButtons;
    r.startCursor = cursorSlot(0);
    frames.push_back(r);
}

class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        frames.clear();
        typed.clear();
    }
    void TearDown() override { resetShellState(); }

    static void prepare(int clientWidth = 512, int clientHeight = 480) {
        headlessReset(clientWidth, clientHeight);
        headlessSetTickCount(7000);
    }
    // The demo with a hook that records every frame.
    int runProgram() {
        std::filesystem::current_path(directory_.root());
        static Program recording = demoProgram;  // the shell keeps its address
        recording.preFrame = recordFrame;
        recording.typedCharacter = [](WPARAM c) { typed.push_back(c); };
        return ::runProgram(recording, nullptr, SW_SHOWNORMAL);
    }
    static void queue(UINT message, LONG x, LONG y, WPARAM wParam = 0) { headlessQueueMessage(message, wParam, x, y); }

    ScopedRunDirectory directory_;
};

TEST_F(Shell, ClosingRunsTheFramesThenReleasesEverything) {
    prepare();
    headlessQueueIdle(2);
    headlessQueueCall([] { SetClassLongPtr(screenWindow(), GCLP_HCURSOR, 0); });  // changed while running
    headlessQueueCall([] { windowProc(screenWindow(), WM_MOVE, 0, MAKELPARAM(0xFFFF, 7)); });
    headlessQueueIdle(1);  // then the timeline ends and the window is asked to close
    EXPECT_EQ(runProgram(), 0);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(headlessPresentCount(), 3);
    EXPECT_TRUE(headlessMessageBoxes().empty());
    EXPECT_EQ(windowPos.x, 65535);  // moves are unsigned halves
    EXPECT_EQ(windowPos.y, 7);
    const HeadlessState state = headlessState();
    EXPECT_EQ(state.showCommand, SW_SHOWNORMAL);
    EXPECT_FALSE(state.windowExists);
    EXPECT_EQ(state.heldDCs, 0);
    EXPECT_EQ(state.liveGdiObjects, 0);
    EXPECT_EQ(state.capture, nullptr);
    EXPECT_NE(frames[0].startCursor, 0);  // the start-up cursor is the class cursor again
    EXPECT_EQ(reinterpret_cast<CursorSlot>(state.classCursor), frames[0].startCursor);
    EXPECT_EQ(cursorSlot(0), CURSOR_SLOT_EMPTY);
    EXPECT_EQ(sinTable, nullptr);
    EXPECT_EQ(screenSurfaces(), nullptr);
    EXPECT_EQ(preFrameHook, nullptr);  // the program's hooks go with it
}

// Only the character 27 quits, at once and without the release sequence;
// every other one goes to the program.
TEST_F(Shell, EscapeQuitsWithoutTheReleaseSequence) {
    prepare();
    for (const WPARAM c : {WPARAM{'a'}, WPARAM{13}, WPARAM{26}, WPARAM{28}, WPARAM{27 + 256}}) {
        queue(WM_CHAR, 0, 0, c);
        headlessQueueIdle(1);
    }
    queue(WM_CHAR, 0, 0, 27);
    headlessQueueIdle(5);  // never reached
    EXPECT_EQ(runProgram(), 0);
    EXPECT_EQ(frames.size(), 5u);
    EXPECT_EQ(typed, (std::vector<WPARAM>{'a', 13, 26, 28, 27 + 256}));  // all but Escape reach the program
    const HeadlessState state = headlessState();
    EXPECT_TRUE(state.windowExists);
    EXPECT_EQ(state.liveGdiObjects, 4);  // the surfaces are still there
    EXPECT_EQ(state.heldDCs, 0);         // no frame was interrupted
    EXPECT_NE(sinTable, nullptr);
}

// The window procedure hands every message's position to the mouse (a
// character moves it too, a burst counts by its last one) and the buttons to
// their handlers: both capture, either release ends the capture.
TEST_F(Shell, MessagesMoveThePositionAndButtonsCapture) {
    prepare();
    std::vector<std::pair<bool, std::int32_t>> seen;  // captured by the window, button bits: after each button
    const auto look = [&seen] {
        headlessQueueCall([&seen] { seen.emplace_back(headlessState().capture == screenWindow(), mouse.buttons); });
    };
    queue(WM_CHAR, 35, 38, 'a');
    headlessQueueIdle(1);
    queue(WM_LBUTTONDOWN, 35, 38);
    look();
    queue(WM_RBUTTONDOWN, 35, 38);
    look();
    queue(WM_RBUTTONUP, 35, 38);
    look();
    queue(WM_MOUSEMOVE, 40, 30);
    queue(WM_MOUSEMOVE, 45, 30);
    headlessQueueIdle(1);
    queue(WM_LBUTTONUP, 45, 30);
    look();
    EXPECT_EQ(runProgram(), 0);
    EXPECT_EQ(seen, (std::vector<std::pair<bool, std::int32_t>>{
                        {true, MOUSE_LEFT}, {true, MOUSE_LEFT | MOUSE_RIGHT}, {false, MOUSE_LEFT}, {false, 0}}));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ((std::array{frames[0].x, frames[0].y, frames[0].dx, frames[0].dy}), (std::array{35, 38, 35, 38}));
    EXPECT_EQ((std::array{frames[1].buttons, frames[1].pressed, frames[1].x, frames[1].dx, frames[1].dy}),
              (std::array<std::int32_t, 5>{MOUSE_LEFT, MOUSE_LEFT, 45, 10, -8}));
}

// One drag step turns x (tilt) by -dy and z by -dx, wrapped to a turn, then
// clamped: x to -64..96, z to -64..64 (negative angles stored as 1024 - a).
TEST(MouseRotation, OneStepWrapsThenClamps) {
    struct Case { std::int32_t x, z, dx, dy, newX, newZ; };
    const Case cases[] = {
        {0, 0, 0, 0, 0, 0},          {96, 64, 0, 0, 96, 64},        {960, 960, 0, 0, 960, 960},
        {0, 0, -97, -97, 96, 64},    {0, 0, 65, 65, 960, 960},      {0, 0, -511, -511, 96, 64},
        {0, 0, -512, -512, 960, 960}, {0, 0, -1024, -1024, 0, 0},   {1000, 1000, -30, -30, 6, 6},
        {5, 5, 1029, 1029, 0, 0},    {0, 0, 0, 64, 960, 0},         {0, 0, -65, 0, 0, 64},
        {0, 0, 0, -65, 65, 0},       {0, 0, 10, -10, 10, 1014},
    };
    for (const Case& c : cases) {
        Vec4 rotation{c.x, 321, c.z, -7};
        turnPartByMouse(&rotation, c.dx, c.dy);
        EXPECT_EQ((std::array{rotation.x, rotation.y, rotation.z, rotation.w}), (std::array{c.newX, 321, c.newZ, -7}))
            << "x " << c.x << " - dy " << c.dy << ", z " << c.z << " - dx " << c.dx;
    }
}

}  // namespace
