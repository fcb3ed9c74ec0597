// The part of the Win32 subset that both backends share: window classes and
// windows, the posted-message queue and the message calls, memory device
// contexts and DIB sections, cursors and stock objects. What differs per
// backend (where input comes from, how a presented image reaches the screen,
// the clock, message boxes) is reached through the backend* hooks below,
// which each backend defines once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

// One window. Objects live until platformResetCore, so a stale handle never
// points at freed memory; `alive` says whether the window still exists.
struct HWND__ {
    bool alive = false;
    bool destroying = false;
    int classIndex = -1;
    WNDPROC proc = nullptr;
    std::string title;
    DWORD style = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    // What BitBlt copied into the client area: Rgb555 pixels, rows top to bottom.
    std::vector<std::uint16_t> image;
    HDC dc = nullptr;  // the window's device context, handed out by GetDC
    void* backendData = nullptr;
};

namespace vantir {

// A message from the backend's input source, before the core fills in the
// window handle and remembers the cursor position.
struct InputMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    POINT pt{0, 0};
    bool toWindow = true;  // addressed to the main window (else hwnd stays null)
};

// ---- Hooks each backend defines -------------------------------------------

// Sizes the client area of a new window and opens whatever shows it; false
// makes CreateWindowEx fail before WM_CREATE.
bool backendCreateWindow(HWND window, int outerWidth, int outerHeight);
void backendDestroyWindow(HWND window);
void backendShowWindow(HWND window, int showCommand);
// The next input message, an empty queue, or "ask again" after the backend ran
// something that may have posted messages. With remove false a message stays
// queued.
enum InputResult { INPUT_MESSAGE, INPUT_EMPTY, INPUT_AGAIN };
InputResult backendNextInput(InputMessage* out, bool remove);
// Pixels of the window's image changed inside the given client rectangle.
void backendPresent(HWND window, const RECT& changed);
void backendSetCapture(HWND window);  // null: released
DWORD backendMessageTime();

// ---- Core services for the backends ---------------------------------------

// Sets the client size of a window from its outer size by the classic window
// metrics (a sizing frame and a caption for a framed style), at least 1 x 1.
void platformSetClientSize(HWND window, int outerWidth, int outerHeight);

// The most recently created window that still exists, or null.
HWND platformMainWindow();
// The most recently created window, existing or not (its image stays readable).
HWND platformLastWindow();
void platformResetCore();

// Counters and state the headless inspection reports.
struct PlatformCoreState {
    bool classRegistered;
    int windowsCreated;
    int showCommand;
    HWND capture;
    int heldDCs;
    int liveGdiObjects;
    HCURSOR classCursor;
    HCURSOR currentCursor;
    int presentCount;
};
PlatformCoreState platformCoreState();

// Fixed handles of the system cursor and icon the program loads.
HCURSOR platformArrowCursor();
HICON platformApplicationIcon();

// Failure injection for the GDI memory objects.
void platformFailDibSections(int count);
void platformFailCompatibleDCs(int count);

// Internal links between the core's files.
void gdiResetState();
int gdiLiveObjectCount();
int gdiHeldDCCount();
int gdiPresentCount();
HDC gdiCreateWindowDC(HWND window);

}  // namespace vantir
