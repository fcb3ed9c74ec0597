// The main window and the message loop of every program on the shell (see
// program.h for runProgram). The loop never blocks: each pass handles one
// queued message or, when the queue is empty, latches the mouse and runs one
// frame.
#pragma once

#include <cstdint>

#include "platform/win32.h"

namespace vantir {

constexpr char MAIN_WINDOW_CLASS[] = "VANTIR";
constexpr int MAIN_WINDOW_WIDTH = 520;   // outer size
constexpr int MAIN_WINDOW_HEIGHT = 508;

// The client-area position last reported by WM_MOVE; 0, 0 before the first.
struct WindowPos {
    std::int32_t x;
    std::int32_t y;
};
extern WindowPos windowPos;

// Registers the window class and creates the main window, which runs start-up
// inside its creation. The window, or null when it could not be created.
HWND createMainWindow(HINSTANCE instance, LPCSTR className, LPCSTR title);

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace vantir
