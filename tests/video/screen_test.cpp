#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/shell_test_support.h"
#include "platform/headless/headless.h"
#include "util/alloc.h"
#include "util/error.h"
#include "video/screen.h"

namespace {

constexpr Rgb555 PATTERN = 0x5555;

class Screen : public ::testing::Test {
protected:
    void TearDown() override {
        releaseScreen();
        resetShellState();
    }

    // A bare window and a screen on it; the tick count starts far from 0 so
    // that no test depends on where the first frame starts.
    HWND startScreen(int clientWidth, int clientHeight) {
        HWND window = createBareWindow(clientWidth, clientHeight);
        headlessSetTickCount(100000);
        EXPECT_EQ(initScreen(window), 0);
        return window;
    }

    // Fills the whole bitmap, the row below the usable height included.
    static void fillBitmap(int clientHeight, Rgb555 value) {
        std::fill_n(backBufferPixels(), static_cast<std::size_t>(screenWidth()) * clientHeight, value);
    }
};

TEST_F(Screen, SurfacesTakeTheClientSizeWithAnEvenWidth) {
    struct Case {
        int clientWidth, clientHeight, width, height;
    };
    for (const Case c : {Case{512, 480, 512, 479}, Case{513, 480, 512, 479}, Case{2, 2, 2, 1}, Case{641, 101, 640, 100}}) {
        SCOPED_TRACE(std::to_string(c.clientWidth) + "x" + std::to_string(c.clientHeight));
        startScreen(c.clientWidth, c.clientHeight);
        EXPECT_EQ(screenWidth(), c.width);
        EXPECT_EQ(screenHeight(), c.height);
        ASSERT_NE(screenSurfaces(), nullptr);
        EXPECT_EQ(backBufferPixels(), screenSurfaces()[0].pixels);
        EXPECT_NE(screenSurfaces()[1].pixels, nullptr);
        for (int slot = 2; slot < SCREEN_SURFACE_SLOTS; ++slot) EXPECT_EQ(screenSurfaces()[slot].memoryDC, nullptr);
        EXPECT_EQ(headlessState().liveGdiObjects, 4);  // two contexts, two bitmaps
        EXPECT_EQ(headlessState().heldDCs, 0);
        EXPECT_EQ(setScreenDepth(16), 0);  // the depth already is 16: nothing recreated
        EXPECT_EQ(backBufferPixels(), screenSurfaces()[0].pixels);
        // A surface made again on the current slot is drawn into at once.
        EXPECT_EQ(createSurface(nullptr, 0, c.width, c.height + 1, 16), 0);
        EXPECT_NE(backBufferPixels(), nullptr);
        EXPECT_EQ(backBufferPixels(), screenSurfaces()[0].pixels);

        releaseScreen();
        EXPECT_EQ(headlessState().liveGdiObjects, 0);
        EXPECT_EQ(screenSurfaces(), nullptr);
        EXPECT_EQ(backBufferPixels(), nullptr);
        EXPECT_EQ(screenWidth(), 0);
        EXPECT_EQ(screenHeight(), 0);
    }
}

TEST_F(Screen, ClearWordDoublesTheLowFiveBitsOfEachComponent) {
    struct Case {
        std::int32_t red, green, blue;
        std::uint32_t word;
    };
    startScreen(512, 480);
    EXPECT_EQ(screenClearWord(), 0u);
    for (const Case c : {Case{31, 0, 0, 0x7C007C00}, Case{0, 0, 31, 0x001F001F}, Case{0, 31, 0, 0x03E003E0},
                         Case{0, 0, 0, 0}, Case{63, 32, 33, 0x7C017C01}, Case{-1, -1, -1, 0x7FFF7FFF}}) {
        setClearColor(c.red, c.green, c.blue);
        EXPECT_EQ(screenClearWord(), c.word) << c.red << "," << c.green << "," << c.blue;
    }
}

TEST_F(Screen, ClearAndPresentCoverTheUsableRowsOfTheEvenWidth) {
    for (const int clientWidth : {512, 513}) {
        SCOPED_TRACE(clientWidth);
        HWND window = startScreen(clientWidth, 480);
        fillBitmap(480, PATTERN);
        setClearColor(31, 0, 0);
        beginFrame(window, FRAME_CLEAR);
        const Rgb555* pixels = backBufferPixels();
        for (int i = 0; i < 512 * 479; ++i) ASSERT_EQ(pixels[i], 0x7C00) << i;
        for (int i = 512 * 479; i < 512 * 480; ++i) ASSERT_EQ(pixels[i], PATTERN) << "bottom row, " << i;
        presentFrame();

        const HeadlessWindowImage& image = headlessWindowImage();
        ASSERT_EQ(image.width, clientWidth);
        ASSERT_EQ(image.height, 480);
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < clientWidth; ++x) {
                const bool presented = x < 512 && y < 479;
                const Rgb555 pixel = image.pixels[static_cast<std::size_t>(y) * clientWidth + x];
                if (presented) {
                    ASSERT_EQ(pixel, 0x7C00) << x << "," << y;
                } else {
                    ASSERT_NE(pixel, 0x7C00) << "unpresented " << x << "," << y;
                }
            }
        }
        releaseScreen();
    }
}

TEST_F(Screen, FlagsZeroWaitsAndHoldsTheContextWithoutClearing) {
    HWND window = startScreen(64, 32);
    setClearColor(0, 0, 31);
    beginFrame(window, FRAME_CLEAR);
    presentFrame();
    fillBitmap(32, PATTERN);

    const DWORD before = headlessTickCount();
    beginFrame(window, 0);
    EXPECT_EQ(headlessState().heldDCs, 1);
    EXPECT_GE(headlessTickCount() - before, 19u);  // it still waited for the period
    for (int i = 0; i < 64 * 32; ++i) ASSERT_EQ(backBufferPixels()[i], PATTERN) << i;
    presentFrame();
    EXPECT_EQ(headlessState().heldDCs, 0);
}

// Every GetTickCount call advances the virtual clock by 1 ms, so the clock
// after a frame start tells exactly how long it waited.
TEST_F(Screen, PacingWaitsFromFrameStartToFrameStart) {
    struct Case {
        const char* name;
        DWORD firstTick;
    };
    for (const Case c : {Case{"ordinary", 100000}, Case{"wraps during the wait", 0xFFFFFFF0u},
                         Case{"starts just below the wrap", 0xFFFFFFFFu}, Case{"past 2^31", 0x80000000u},
                         Case{"zero", 0}}) {
        SCOPED_TRACE(c.name);
        HWND window = startScreen(16, 16);
        headlessSetTickCount(c.firstTick);
        beginFrame(window, FRAME_CLEAR);
        EXPECT_EQ(headlessTickCount(), c.firstTick + 1) << "the first frame does not wait";
        presentFrame();

        beginFrame(window, FRAME_CLEAR);
        EXPECT_EQ(headlessTickCount(), c.firstTick + 21) << "the second starts 20 ms after the first";
        presentFrame();

        // A frame that overran the period starts the next one at once.
        headlessSetTickCount(c.firstTick + 100);
        beginFrame(window, FRAME_CLEAR);
        EXPECT_EQ(headlessTickCount(), c.firstTick + 101);
        presentFrame();

        setFramePeriod(0);
        beginFrame(window, FRAME_CLEAR);
        EXPECT_EQ(headlessTickCount(), c.firstTick + 102);
        presentFrame();
        releaseScreen();
    }
}

TEST_F(Screen, PresentingTwiceShowsSlotZeroBothTimes) {
    HWND window = startScreen(32, 8);
    Rgb555* const slot0 = screenSurfaces()[0].pixels;
    for (int frame = 0; frame < 2; ++frame) {
        beginFrame(window, FRAME_CLEAR);
        EXPECT_EQ(backBufferPixels(), slot0);
        EXPECT_EQ(screenWindow(), window);
        presentFrame();
    }
    EXPECT_EQ(backBufferPixels(), slot0);
    EXPECT_EQ(headlessPresentCount(), 2);
}

TEST_F(Screen, SurfaceFailureShowsItsMessageAndLeavesNothingBehind) {
    for (const bool failContext : {false, true}) {
        SCOPED_TRACE(failContext ? "memory context" : "DIB section");
        HWND window = createBareWindow(512, 480);
        if (failContext) {
            headlessFailCompatibleDCs(1);
        } else {
            headlessFailDibSections(1);
        }
        EXPECT_EQ(initScreen(window), -1);
        ASSERT_EQ(headlessMessageBoxes().size(), 1u);
        EXPECT_EQ(headlessMessageBoxes()[0].caption, "Error");
        EXPECT_EQ(headlessMessageBoxes()[0].text, MSG_SURFACE_FAILED);
        EXPECT_EQ(headlessState().liveGdiObjects, 0);
        EXPECT_EQ(headlessState().heldDCs, 0);
        EXPECT_EQ(backBufferPixels(), nullptr);
        releaseScreen();
        resetShellState();
    }
}

TEST_F(Screen, TableAllocationFailureShowsTheByteCount) {
    HWND window = createBareWindow(512, 480);
    failAllocationsAfter(0);
    EXPECT_EQ(initScreen(window), -1);
    failAllocationsAfter(-1);
    char expected[ERROR_TEXT_CAPACITY + 1];
    formatErrorText(expected, MSG_ALLOC_FAILED, static_cast<int>(SCREEN_SURFACE_SLOTS * sizeof(ScreenSurface)));
    ASSERT_EQ(headlessMessageBoxes().size(), 1u);
    EXPECT_EQ(headlessMessageBoxes()[0].text, expected);
    EXPECT_EQ(headlessState().liveGdiObjects, 0);
}

TEST_F(Screen, SlotIndicesOutsideTheTableAreRefused) {
    startScreen(32, 8);
    EXPECT_EQ(releaseSurface(8), -2);
    EXPECT_EQ(releaseSurface(-1), -2);
    EXPECT_EQ(createSurface(nullptr, 8, 32, 8, 16), -1);
    EXPECT_EQ(createSurface(nullptr, -1, 32, 8, 16), -1);
    EXPECT_EQ(headlessState().liveGdiObjects, 4);

    EXPECT_EQ(releaseSurface(1), 0);
    EXPECT_EQ(headlessState().liveGdiObjects, 2);
    EXPECT_EQ(releaseSurface(7), 0);  // already empty
    EXPECT_EQ(headlessState().liveGdiObjects, 2);
}

}  // namespace
