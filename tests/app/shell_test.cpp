// The program run end to end on the headless backend: WinMain, the window's
// messages, start-up, frames and shutdown.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/sequences.h"
#include "support/shell.h"
#include "app/window.h"
#include "input/cursor.h"
#include "input/mouse.h"
#include "math/matrix.h"
#include "math/trig.h"
#include "platform/headless/headless.h"
#include "util/alloc.h"
#include "util/error.h"
#include "video/screen.h"

namespace {

// What each frame saw, written by the frame hooks.
struct FrameRecord {
    std::int32_t buttons, x, y, dx, dy, pressed;
    CursorSlot startCursor;
    std::filesystem::path workingDirectory;
    std::int32_t centreX, centreY;
};
std::vector<FrameRecord> frames;
int postFrames = 0;

void recordFrame() {
    FrameRecord r{};
    r.buttons = mouseState(&r.x, &r.y);
    mouseDelta(&r.dx, &r.dy);
    r.pressed = mouse.pressedButtons;
    r.startCursor = cursorSlot(0);
    r.workingDirectory = std::filesystem::current_path();
    getProjectionCentre(&r.centreX, &r.centreY);
    frames.push_back(r);
}

void countPostFrame() { ++postFrames; }

// Paints the whole drawing area, to tell presented pixels from the others.
void paintDrawingArea() {
    std::fill_n(backBufferPixels(), static_cast<std::size_t>(screenWidth()) * screenHeight(), Rgb555{0x03E0});
}

std::string allocationText(int bytes) {
    char text[ERROR_TEXT_CAPACITY + 1];
    formatErrorText(text, MSG_ALLOC_FAILED, bytes);
    return text;
}

class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        frames.clear();
        postFrames = 0;
    }
    void TearDown() override { resetShellState(); }

    // A fresh process state on a window of the given client size, hooks set.
    static void prepare(int clientWidth = 512, int clientHeight = 480) {
        headlessReset(clientWidth, clientHeight);
        headlessSetTickCount(7000);
        setFrameHooks(recordFrame, countPostFrame);
    }

    // Runs the program from the run directory, as a process would start.
    int runProgram() {
        std::filesystem::current_path(directory_.root());
        return WinMain(nullptr, nullptr, nullptr, SW_SHOWNORMAL);
    }

    static void queue(UINT message, LONG x, LONG y, WPARAM wParam = 0) { headlessQueueMessage(message, wParam, x, y); }

    ScopedRunDirectory directory_;
};

TEST_F(Shell, ClosingRunsTheFramesThenReleasesEverything) {
    prepare();
    headlessQueueIdle(2);
    // Something changes the class cursor while the program runs.
    headlessQueueCall([] { SetClassLongPtr(screenWindow(), GCLP_HCURSOR, 0); });
    headlessQueueIdle(1);  // then the timeline ends and the window is asked to close
    EXPECT_EQ(runProgram(), 0);

    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(postFrames, 3);
    EXPECT_EQ(headlessPresentCount(), 3);
    EXPECT_TRUE(headlessMessageBoxes().empty());
    for (const FrameRecord& f : frames) {
        EXPECT_TRUE(std::filesystem::equivalent(f.workingDirectory, directory_.root() / "data"));
        EXPECT_EQ(f.centreX, 256);  // half of 512
        EXPECT_EQ(f.centreY, 239);  // half of the usable 479 rows
    }

    // The frames cleared to black around the sphere and presented the usable area.
    const HeadlessWindowImage& image = headlessWindowImage();
    ASSERT_EQ(image.width, 512);
    for (int x = 0; x < 512; ++x) {
        ASSERT_EQ(image.pixels[x], 0) << x;
        ASSERT_EQ(image.pixels[478 * 512 + x], 0) << x;
    }
    EXPECT_NE(image.pixels[239 * 512 + 256], 0);  // the sphere covers the centre

    const HeadlessState state = headlessState();
    EXPECT_EQ(state.showCommand, SW_SHOWNORMAL);
    EXPECT_FALSE(state.windowExists);
    EXPECT_EQ(state.heldDCs, 0);
    EXPECT_EQ(state.liveGdiObjects, 0);
    EXPECT_EQ(state.capture, nullptr);
    // The cursor of start-up is the class cursor again.
    EXPECT_NE(frames[0].startCursor, 0);
    EXPECT_EQ(reinterpret_cast<CursorSlot>(state.classCursor), frames[0].startCursor);
    EXPECT_EQ(cursorSlot(0), CURSOR_SLOT_EMPTY);
    EXPECT_EQ(sinTable, nullptr);
    EXPECT_EQ(screenSurfaces(), nullptr);
    EXPECT_EQ(screenWidth(), 0);
}

TEST_F(Shell, EscapeQuitsWithoutTheReleaseSequence) {
    prepare();
    headlessQueueIdle(2);
    queue(WM_CHAR, 0, 0, 27);
    headlessQueueIdle(5);  // never reached: the quit message comes first
    EXPECT_EQ(runProgram(), 0);

    EXPECT_EQ(frames.size(), 2u);
    const HeadlessState state = headlessState();
    EXPECT_TRUE(state.windowExists);
    EXPECT_EQ(state.liveGdiObjects, 4);  // the surfaces are still there
    EXPECT_EQ(state.heldDCs, 0);         // no frame was interrupted
    EXPECT_NE(sinTable, nullptr);
    EXPECT_NE(screenSurfaces(), nullptr);
}

TEST_F(Shell, OtherCharactersDoNotQuit) {
    prepare();
    for (const WPARAM c : {WPARAM{'a'}, WPARAM{13}, WPARAM{26}, WPARAM{28}, WPARAM{27 + 256}}) {
        queue(WM_CHAR, 0, 0, c);
        headlessQueueIdle(1);
    }
    EXPECT_EQ(runProgram(), 0);
    EXPECT_EQ(frames.size(), 5u);
    EXPECT_FALSE(headlessState().windowExists);  // ended by the close request
}

TEST_F(Shell, StartUpStopsAtTheFirstFailure) {
    struct Case {
        const char* step;
        std::function<void()> inject;
        std::string message;
        bool surfacesUp, cursorsUp;
    };
    const int surfaceTableBytes = SCREEN_SURFACE_SLOTS * static_cast<int>(sizeof(ScreenSurface));
    const int cursorTableBytes = CURSOR_SLOTS * static_cast<int>(sizeof(CursorSlot));
    const int sineTableBytes = TRIG_TABLE_SIZE * static_cast<int>(sizeof(Fix9));
    const Case cases[] = {
        {"surface table", [] { failAllocationsAfter(0); }, allocationText(surfaceTableBytes), false, false},
        {"surface bitmap", [] { headlessFailDibSections(1); }, MSG_SURFACE_FAILED, false, false},
        {"surface context", [] { headlessFailCompatibleDCs(1); }, MSG_SURFACE_FAILED, false, false},
        {"cursor table", [] { failAllocationsAfter(1); }, allocationText(cursorTableBytes), true, false},
        {"math tables", [] { failAllocationsAfter(2); }, allocationText(sineTableBytes), true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        frames.clear();
        prepare();
        headlessQueueIdle(3);
        c.inject();
        EXPECT_EQ(runProgram(), 0);
        failAllocationsAfter(-1);

        ASSERT_EQ(headlessMessageBoxes().size(), 1u) << "one message, from the failing step";
        EXPECT_EQ(headlessMessageBoxes()[0].caption, "Error");
        EXPECT_EQ(headlessMessageBoxes()[0].text, c.message);
        EXPECT_TRUE(frames.empty());
        EXPECT_EQ(headlessPresentCount(), 0);

        const HeadlessState state = headlessState();
        EXPECT_EQ(state.showCommand, SW_SHOWNORMAL) << "the window is still shown";
        EXPECT_TRUE(state.windowExists) << "no shutdown";
        // The steps before the failure stay up, the later ones never ran.
        EXPECT_EQ(state.liveGdiObjects, c.surfacesUp ? 4 : 0);
        EXPECT_EQ(cursorSlot(0) != CURSOR_SLOT_EMPTY, c.cursorsUp);
        EXPECT_EQ(sinTable, nullptr);

        shutDown();  // the release sequence accepts what the partial start-up left
        EXPECT_EQ(headlessState().liveGdiObjects, 0);
        resetShellState();
    }
}

TEST_F(Shell, EveryRetrievedMessageMovesThePositionLatchedAtTheNextIdlePass) {
    struct Expected {
        std::int32_t buttons, pressed, x, y, dx, dy;
    };
    prepare();
    headlessQueueIdle(1);                       // before any message: 0, 0
    queue(WM_MOUSEMOVE, 30, 40);
    headlessQueueIdle(2);                       // motion, then none
    queue(WM_CHAR, 35, 38, 'a');                // not a mouse message, still moves
    headlessQueueIdle(1);
    queue(WM_LBUTTONDOWN, 35, 38);
    queue(WM_MOUSEMOVE, 45, 30);                // a burst: only its last position counts
    headlessQueueIdle(2);
    queue(WM_LBUTTONUP, 45, 30);
    headlessQueueIdle(1);
    EXPECT_EQ(runProgram(), 0);

    const Expected expected[] = {
        {0, 0, 0, 0, 0, 0},
        {0, 0, 30, 40, 30, 40},
        {0, 0, 30, 40, 0, 0},
        {0, 0, 35, 38, 5, -2},
        {MOUSE_LEFT, MOUSE_LEFT, 45, 30, 10, -8},
        {MOUSE_LEFT, 0, 45, 30, 0, 0},
        {0, 0, 45, 30, 0, 0},
    };
    ASSERT_EQ(frames.size(), std::size(expected));
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const FrameRecord& f = frames[i];
        const Expected& e = expected[i];
        EXPECT_EQ(f.buttons, e.buttons) << "frame " << i;
        EXPECT_EQ(f.pressed, e.pressed) << "frame " << i;
        EXPECT_EQ(f.x, e.x) << "frame " << i;
        EXPECT_EQ(f.y, e.y) << "frame " << i;
        EXPECT_EQ(f.dx, e.dx) << "frame " << i;
        EXPECT_EQ(f.dy, e.dy) << "frame " << i;
    }
}

TEST_F(Shell, TheFirstIdlePassMovesFromTheOrigin) {
    prepare();
    queue(WM_MOUSEMOVE, 100, 50);
    headlessQueueIdle(1);
    EXPECT_EQ(runProgram(), 0);
    ASSERT_GE(frames.size(), 1u);
    EXPECT_EQ(frames[0].dx, 100);
    EXPECT_EQ(frames[0].dy, 50);
}

TEST_F(Shell, BothButtonsCaptureAndEitherReleaseEndsTheCapture) {
    prepare();
    std::vector<std::string> failures;
    auto check = [&failures](const char* when, bool captured, std::int32_t buttons) {
        headlessQueueCall([&failures, when, captured, buttons] {
            const bool isCaptured = headlessState().capture != nullptr && headlessState().capture == screenWindow();
            if (isCaptured != captured || mouse.buttons != buttons) failures.push_back(when);
        });
    };
    queue(WM_LBUTTONDOWN, 10, 10);
    check("left down", true, MOUSE_LEFT);
    queue(WM_RBUTTONDOWN, 10, 10);
    check("both down", true, MOUSE_LEFT | MOUSE_RIGHT);
    queue(WM_RBUTTONUP, 12, 10);
    check("right up", false, MOUSE_LEFT);
    headlessQueueIdle(1);
    queue(WM_LBUTTONUP, 12, 10);
    check("left up", false, 0);
    queue(WM_LBUTTONUP, 12, 10);
    check("left up again", false, 0);
    EXPECT_EQ(runProgram(), 0);
    EXPECT_TRUE(failures.empty()) << failures.front();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].buttons, MOUSE_LEFT);  // the left drag goes on without the capture
}

TEST_F(Shell, OddClientWidthsDrawOneColumnLess) {
    for (const int clientWidth : {513, 99}) {
        SCOPED_TRACE(clientWidth);
        prepare(clientWidth, 301);
        setFrameHooks(nullptr, paintDrawingArea);  // after the scene, before presentation
        headlessQueueIdle(1);
        EXPECT_EQ(runProgram(), 0);
        const HeadlessWindowImage& image = headlessWindowImage();
        ASSERT_EQ(image.width, clientWidth);
        ASSERT_EQ(image.height, 301);
        for (int y = 0; y < 301; ++y) {
            for (int x = 0; x < clientWidth; ++x) {
                const bool drawn = x < (clientWidth & ~1) && y < 300;
                ASSERT_EQ(image.pixels[static_cast<std::size_t>(y) * clientWidth + x] == 0x03E0, drawn) << x << "," << y;
            }
        }
    }
}

TEST_F(Shell, WindowMovesAreTakenAsUnsignedHalves) {
    prepare();
    headlessQueueCall([] { windowProc(screenWindow(), WM_MOVE, 0, MAKELPARAM(0xFFFF, 7)); });
    EXPECT_EQ(runProgram(), 0);
    EXPECT_EQ(windowPos.x, 65535);
    EXPECT_EQ(windowPos.y, 7);
}

}  // namespace
