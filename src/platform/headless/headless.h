// Control and inspection of the headless backend, for tests and the replay tool.
//
// The headless backend is the Win32 subset of win32.h on memory: one window of
// a chosen client size, a deterministic virtual tick count, BitBlt into an
// in-memory window image, message boxes recorded. Input comes from a timeline
// that PeekMessage consumes in order: messages, idle reads and calls.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace vantir {

// Back to the state of a fresh process: no class, no window, empty queue and
// timeline, no capture, no message boxes, tick count 0, client size as given.
void headlessReset(int clientWidth = 512, int clientHeight = 480);

// Timeline. Posted messages (PostQuitMessage, PostMessage) are retrieved
// before timeline entries. When the timeline is exhausted and PeekMessage is
// called with nothing posted, one close request (WM_CLOSE to the window) is
// queued, so every run ends.
// pt = (x, y). The client area sits at the screen origin, so mouse messages
// and WM_MOVE get lParam = MAKELPARAM(x, y); key messages a repeat count of 1.
// Timeline messages go to the window (hwnd null while none exists).
void headlessQueueMessage(UINT message, WPARAM wParam, LONG x, LONG y);
void headlessQueueIdle(int count);  // PeekMessage reads empty count times in a row
void headlessQueueCall(std::function<void()> call);  // runs when PeekMessage reaches it

// One message box the program showed: caption and text as the raw bytes it passed.
struct HeadlessMessageBox {
    std::string caption;
    std::string text;
};
const std::vector<HeadlessMessageBox>& headlessMessageBoxes();
void headlessClearMessageBoxes();

// The virtual tick count: every GetTickCount call returns the current value
// and then advances it by one millisecond, so busy waits end deterministically.
void headlessSetTickCount(DWORD ticks);
DWORD headlessTickCount();

// The window's client image: what BitBlt copied into the window so far,
// clientWidth x clientHeight Rgb555 pixels, rows top to bottom.
struct HeadlessWindowImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint16_t> pixels;
};
const HeadlessWindowImage& headlessWindowImage();
int headlessPresentCount();  // BitBlt calls into the window so far

// Inspection for tests.
struct HeadlessState {
    bool classRegistered;
    bool windowExists;       // created and not destroyed
    int windowsCreated;
    int showCommand;         // last ShowWindow argument, -1 before any
    HWND capture;            // SetCapture target, null when released
    int heldDCs;             // GetDC minus ReleaseDC
    int liveGdiObjects;      // memory DCs and bitmaps not yet deleted
    HCURSOR classCursor;     // the class cursor, as SetClassLong(Ptr) left it
    HCURSOR currentCursor;   // what GetCursor answers
};
HeadlessState headlessState();

// Failure injection: the next `count` CreateDIBSection (or CreateCompatibleDC)
// calls fail.
void headlessFailDibSections(int count);
void headlessFailCompatibleDCs(int count);

}  // namespace vantir
