#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/headless/headless.h"
#include "util/alloc.h"
#include "support/shell.h"
#include "video/screen.h"

using namespace vantir;

namespace {

class Screen : public ::testing::Test {
protected:
    void TearDown() override {
        releaseScreen();
        resetShellState();
    }
    // A bare window and a screen on it; the clock starts far from 0.
    HWND startScreen(int clientWidth, int clientHeight) {
        HWND window = createBareWindow(clientWidth, clientHeight);
        headlessSetTickCount(100000);
        EXPECT_EQ(initScreen(window), 0);
        return window;
    }
};

TEST_F(Screen, SurfacesTakeTheClientSizeWithAnEvenWidth) {
    for (const auto& [clientWidth, clientHeight, width, height] :
         {std::array{512, 480, 512, 479}, {513, 480, 512, 479}, {2, 2, 2, 1}, {641, 101, 640, 100}}) {
        SCOPED_TRACE(std::to_string(clientWidth) + "x" + std::to_string(clientHeight));
        startScreen(clientWidth, clientHeight);
        EXPECT_EQ((std::array{screenWidth(), screenHeight()}), (std::array{width, height}));
        ASSERT_NE(screenSurfaces(), nullptr);
        EXPECT_EQ(backBufferPixels(), screenSurfaces()[0].pixels);
        EXPECT_EQ(headlessState().liveGdiObjects, 4);  // two surfaces: two contexts, two bitmaps
        EXPECT_EQ(setScreenDepth(16), 0);              // already 16: nothing recreated
        EXPECT_EQ(backBufferPixels(), screenSurfaces()[0].pixels);
        // A surface made again on the current slot is drawn into at once.
        EXPECT_EQ(createSurface(nullptr, 0, width, height + 1, 16), 0);
        EXPECT_EQ(backBufferPixels(), screenSurfaces()[0].pixels);
        releaseScreen();
        EXPECT_EQ(headlessState().liveGdiObjects, 0);
        EXPECT_EQ(backBufferPixels(), nullptr);
        EXPECT_EQ((std::array{screenWidth(), screenHeight()}), (std::array{0, 0}));
    }
}

// Every GetTickCount call advances the virtual clock by 1 ms, so the clock
// after a frame start tells exactly how long it waited.
TEST_F(Screen, PacingWaitsFromFrameStartToFrameStart) {
    for (const DWORD first : {DWORD{100000}, DWORD{0xFFFFFFF0u}, DWORD{0xFFFFFFFFu}, DWORD{0x80000000u}, DWORD{0}}) {
        SCOPED_TRACE(first);
        HWND window = startScreen(16, 16);
        headlessSetTickCount(first);
        const auto frame = [&] {
            beginFrame(window, FRAME_CLEAR);
            const DWORD started = headlessTickCount();
            presentFrame();
            return started - first;
        };
        EXPECT_EQ(frame(), 1u);   // the first frame does not wait
        EXPECT_EQ(frame(), 21u);  // the second starts 20 ms after the first
        headlessSetTickCount(first + 100);
        EXPECT_EQ(frame(), 101u);  // an overrun frame starts the next at once
        setFramePeriod(0);
        EXPECT_EQ(frame(), 102u);
        releaseScreen();
    }
}

// Any failed step of the start-up answers -1 and leaves nothing behind.
TEST_F(Screen, FailuresLeaveNothingBehind) {
    const std::pair<const char*, void (*)()> failures[] = {{"allocation", [] { failAllocationsAfter(0); }},
                                                           {"DIB section", [] { headlessFailDibSections(1); }},
                                                           {"memory context", [] { headlessFailCompatibleDCs(1); }}};
    for (const auto& [failing, inject] : failures) {
        SCOPED_TRACE(failing);
        HWND window = createBareWindow(512, 480);
        inject();
        EXPECT_EQ(initScreen(window), -1);
        failAllocationsAfter(-1);
        EXPECT_EQ((std::array{headlessState().liveGdiObjects, headlessState().heldDCs}), (std::array{0, 0}));
        EXPECT_EQ(backBufferPixels(), nullptr);
        releaseScreen();
        resetShellState();
    }
}

TEST_F(Screen, SlotIndicesOutsideTheTableAreRefused) {
    startScreen(32, 8);
    for (int slot : {8, -1}) {
        EXPECT_EQ(releaseSurface(slot), -2) << slot;
        EXPECT_EQ(createSurface(nullptr, slot, 32, 8, 16), -1) << slot;
    }
    EXPECT_EQ(releaseSurface(1), 0);
    EXPECT_EQ(releaseSurface(7), 0);  // already empty
    EXPECT_EQ(headlessState().liveGdiObjects, 2);
}

}  // namespace
