// Screen surfaces and presentation: eight slots of 16-bit top-down DIB
// sections, of which slots 0 and 1 are created at the window's client size;
// frame pacing on the tick count, the clear, and the copy into the window.
//
// The drawing size and pixels are published to the raster target
// (video/back_buffer.h), which is what the rasterizers read.
#pragma once

#include <cstdint>

#include "math/fixed.h"
#include "platform/win32.h"
#include "video/back_buffer.h"

namespace vantir {

struct ScreenSurface {
    HDC memoryDC;     // null when the slot is empty
    HBITMAP bitmap;   // the DIB section, null when the slot is empty
    Rgb555* pixels;   // the DIB section's memory, owned by the bitmap
};

constexpr int SCREEN_SURFACE_SLOTS = 8;
constexpr std::int32_t SCREEN_DEPTH = 16;
constexpr std::int32_t SCREEN_FRAME_PERIOD_MS = 20;
constexpr std::uint32_t FRAME_CLEAR = 1;  // beginFrame flag: clear the back buffer

// Allocates the slot table and creates slots 0 and 1 at the window's client
// size. 0, or -1 after its message box (allocation or surface failure).
int initScreen(HWND window);
// Releases every slot and frees the table; accepts a partial start-up.
void releaseScreen();

// 0 without doing anything when bits is the current depth; otherwise stores
// it and recreates the surfaces.
int setScreenDepth(std::int32_t bits);
// Creates slots 0 and 1 at the current client size (its width rounded down to
// even). 0, or -1 after the surface message box.
int recreateSurfaces();
// 0, or -1 when the context or the DIB section cannot be created (the slot is
// then empty) or the slot lies outside 0..7.
int createSurface(HDC dc, int slot, std::int32_t width, std::int32_t height, std::int32_t bits);
// 0, or -2 when the slot lies outside 0..7 (nothing is touched).
int releaseSurface(int slot);

void setFramePeriod(std::int32_t milliseconds);
// Components 0..31; only their low 5 bits count.
void setClearColor(std::int32_t red, std::int32_t green, std::int32_t blue);

// Waits until a frame period has passed since the previous frame start (the
// first frame does not wait), takes the window's device context and clears the
// back buffer when flags has FRAME_CLEAR.
void beginFrame(HWND window, std::uint32_t flags);
// The clear of beginFrame alone: every pixel of rows 0..height-1 of the
// current surface set to the clear colour.
void clearBackBuffer();
// Writes `word` into `words` consecutive 32-bit words from destination (any
// alignment); nothing for words <= 0. The reference stores one word at a time;
// the fast fill gives the same bytes with the widest stores it has.
void fillWordsReference(void* destination, std::int32_t words, std::uint32_t word);
void fillWordsFast(void* destination, std::int32_t words, std::uint32_t word);

// Copies the back buffer into the window, gives the device context back and
// flips to the next slot.
void presentFrame();

// The window given to the last beginFrame, or to initScreen before any frame.
HWND screenWindow();
// The slot table (null outside initScreen..releaseScreen), for inspection.
const ScreenSurface* screenSurfaces();

}  // namespace vantir
