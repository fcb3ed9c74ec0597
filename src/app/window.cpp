#include "app/window.h"

#include "app/program.h"
#include "app/sequences.h"
#include "input/mouse.h"

namespace vantir {

WindowPos windowPos{};

namespace {
const Program* runningProgram = nullptr;
}  // namespace

void setShellProgram(const Program* program) { runningProgram = program; }
const Program* shellProgram() { return runningProgram; }

HWND createMainWindow(HINSTANCE instance, LPCSTR className, LPCSTR title) {
    WNDCLASSEX windowClass{};
    windowClass.cbSize = sizeof(WNDCLASSEX);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszMenuName = className;  // no such menu exists: no menu bar
    windowClass.lpszClassName = className;
    windowClass.hIconSm = LoadIcon(nullptr, IDI_APPLICATION);
    RegisterClassEx(&windowClass);  // a failure shows up as CreateWindowEx failing

    return CreateWindowEx(0, className, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, MAIN_WINDOW_WIDTH,
                          MAIN_WINDOW_HEIGHT, nullptr, nullptr, instance, nullptr);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            if (startUp(window) < 0) PostQuitMessage(0);
            break;
        case WM_DESTROY:
            shutDown();
            PostQuitMessage(0);
            break;
        case WM_MOVE:
            // The client position as two unsigned 16-bit halves.
            windowPos.x = LOWORD(lParam);
            windowPos.y = HIWORD(lParam);
            break;
        case WM_CHAR:
            // Escape only quits: the window stays and nothing is released.
            if (wParam == 27)
                PostQuitMessage(0);
            else if (runningProgram && runningProgram->typedCharacter)
                runningProgram->typedCharacter(wParam);
            break;
        case WM_LBUTTONDOWN:
            leftButtonDown();
            break;
        case WM_LBUTTONUP:
            leftButtonUp();
            break;
        case WM_RBUTTONDOWN:
            rightButtonDown();
            break;
        case WM_RBUTTONUP:
            rightButtonUp();
            break;
        default:
            break;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

int runProgram(const Program& program, HINSTANCE instance, int showCommand) {
    // A process runs a program once; tests and the replay tool run many in
    // one process, so the state a process starts with is set here.
    windowPos = WindowPos{};
    resetMouse();
    setShellProgram(&program);

    HWND window = createMainWindow(instance, MAIN_WINDOW_CLASS, program.title);
    if (!window) return 1;  // no window: no frame can run
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG msg{};
    // The cursor position of the last retrieved message, of any kind; the idle
    // passes before the first message see 0, 0.
    LONG cursorX = 0;
    LONG cursorY = 0;
    for (;;) {
        if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
            cursorX = msg.pt.x;
            cursorY = msg.pt.y;
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        } else {
            updateMouse(cursorX, cursorY);
            runFrame(window, windowPos.x, windowPos.y);
        }
    }
}

}  // namespace vantir
