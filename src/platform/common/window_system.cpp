// Window classes, windows and the message calls, shared by both backends.
//
// The model is the one the program relies on: messages the program posts
// (PostMessage, PostQuitMessage, characters from TranslateMessage) come before
// input; the backend's input source comes next; when both are empty
// PeekMessage reports an idle pass. Sent messages (WM_CREATE, WM_DESTROY) call
// the window procedure directly, inside the call that causes them.
#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/common/platform_core.h"

namespace {

struct WindowClass {
    std::string name;
    WNDPROC proc = nullptr;
    HBRUSH background = nullptr;
    HCURSOR cursor = nullptr;
    UINT style = 0;
};

struct PostedMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// System handles are small numbers, as on Windows, so that a program that
// keeps a cursor in a 32-bit slot gets it back intact.
template <typename Handle>
Handle fixedHandle(std::uintptr_t value) {
    return reinterpret_cast<Handle>(value);
}
constexpr std::uintptr_t ARROW_CURSOR_VALUE = 0x10003;
constexpr std::uintptr_t APPLICATION_ICON_VALUE = 0x10005;
constexpr std::uintptr_t STOCK_OBJECT_BASE = 0x20000;
constexpr int STOCK_OBJECT_COUNT = 20;

// Classic window metrics: a sizing frame of 4 pixels each side and a 20-pixel
// caption take 8 x 28 pixels of the outer size (520 x 508 -> 512 x 480).
constexpr int FRAME_EXTRA_WIDTH = 8;
constexpr int FRAME_EXTRA_HEIGHT = 28;
constexpr DWORD WS_CAPTION_BITS = 0x00C00000;
constexpr int BLACK_BRUSH_INDEX = 4;

std::vector<WindowClass> classes;
std::vector<std::unique_ptr<HWND__>> windows;
std::deque<PostedMessage> posted;
POINT lastPt{0, 0};
// Shift as the keyboard messages retrieved so far left it, which is the
// state Windows translates a key with.
bool shiftDown = false;

// The character Windows' US layout makes of a key-down, or 0 for a key that
// makes none: digits, letters and space, with Shift, and the control keys.
WPARAM characterOfKey(WPARAM key, bool shift) {
    static constexpr char SHIFTED_DIGITS[] = ")!@#$%^&*(";
    if (key >= '0' && key <= '9') return shift ? static_cast<WPARAM>(SHIFTED_DIGITS[key - '0']) : key;
    if (key >= 'A' && key <= 'Z') return shift ? key : key - 'A' + 'a';
    switch (key) {
        case VK_SPACE:
        case VK_ESCAPE:
        case VK_RETURN:
        case VK_TAB:
        case VK_BACK: return key;  // their characters share the key codes
        default: return 0;
    }
}
HWND captureWindow = nullptr;
HCURSOR currentCursor = nullptr;
int showCommand = -1;

bool sameClassName(const std::string& a, LPCSTR b) {
    // Class names compare without regard to ASCII case, as on Windows.
    if (a.size() != std::strlen(b)) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

int findClass(LPCSTR name) {
    if (!name) return -1;
    for (std::size_t i = 0; i < classes.size(); ++i)
        if (sameClassName(classes[i].name, name)) return static_cast<int>(i);
    return -1;
}

// A handle that names a window we made and that still exists.
HWND liveWindow(HWND window) {
    if (!window) return nullptr;
    for (const auto& w : windows)
        if (w.get() == window) return w->alive ? window : nullptr;
    return nullptr;
}

bool isMouseMessage(UINT message) { return message >= WM_MOUSEMOVE && message <= WM_RBUTTONUP; }

HBRUSH stockBrush(int index) { return static_cast<HBRUSH>(GetStockObject(index)); }

std::uint16_t backgroundPixel(HBRUSH brush) {
    return brush == stockBrush(BLACK_BRUSH_INDEX) ? 0x0000 : 0x7fff;  // white unless black
}

}  // namespace

// ---- Core services --------------------------------------------------------

namespace vantir {

HWND platformMainWindow() {
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if ((*it)->alive) return it->get();
    return nullptr;
}

void platformSetClientSize(HWND window, int outerWidth, int outerHeight) {
    const bool framed = (window->style & WS_CAPTION_BITS) != 0;
    window->clientWidth = std::max(1, outerWidth - (framed ? FRAME_EXTRA_WIDTH : 0));
    window->clientHeight = std::max(1, outerHeight - (framed ? FRAME_EXTRA_HEIGHT : 0));
}

HWND platformLastWindow() { return windows.empty() ? nullptr : windows.back().get(); }

HCURSOR platformArrowCursor() { return fixedHandle<HCURSOR>(ARROW_CURSOR_VALUE); }
HICON platformApplicationIcon() { return fixedHandle<HICON>(APPLICATION_ICON_VALUE); }

void platformResetCore() {
    for (auto& w : windows)
        if (w->alive) backendDestroyWindow(w.get());
    windows.clear();
    classes.clear();
    posted.clear();
    lastPt = {0, 0};
    shiftDown = false;
    captureWindow = nullptr;
    currentCursor = platformArrowCursor();
    showCommand = -1;
    gdiResetState();
}

PlatformCoreState platformCoreState() {
    PlatformCoreState s{};
    s.classRegistered = !classes.empty();
    s.windowsCreated = static_cast<int>(windows.size());
    s.showCommand = showCommand;
    s.capture = captureWindow;
    s.heldDCs = gdiHeldDCCount();
    s.liveGdiObjects = gdiLiveObjectCount();
    HWND last = platformLastWindow();
    if (last && last->classIndex >= 0)
        s.classCursor = classes[last->classIndex].cursor;
    else if (!classes.empty())
        s.classCursor = classes.front().cursor;
    s.currentCursor = currentCursor ? currentCursor : platformArrowCursor();
    s.presentCount = gdiPresentCount();
    return s;
}

}  // namespace vantir

// ---- Classes and windows --------------------------------------------------

ATOM RegisterClassEx(const WNDCLASSEX* windowClass) {
    if (!windowClass || windowClass->cbSize != sizeof(WNDCLASSEX) || !windowClass->lpszClassName ||
        !windowClass->lpfnWndProc)
        return 0;
    if (findClass(windowClass->lpszClassName) >= 0) return 0;  // already registered
    classes.push_back({windowClass->lpszClassName, windowClass->lpfnWndProc, windowClass->hbrBackground,
                       windowClass->hCursor, windowClass->style});
    return static_cast<ATOM>(0xC000 + classes.size() - 1);
}

HWND CreateWindowEx(DWORD, LPCSTR className, LPCSTR windowName, DWORD style, int, int, int width, int height,
                    HWND, HMENU, HINSTANCE, LPVOID) {
    const int classIndex = findClass(className);
    if (classIndex < 0) return nullptr;

    windows.push_back(std::make_unique<HWND__>());
    HWND window = windows.back().get();
    window->classIndex = classIndex;
    window->proc = classes[classIndex].proc;
    window->title = windowName ? windowName : "";
    window->style = style;
    if (!vantir::backendCreateWindow(window, width, height)) {
        windows.pop_back();
        return nullptr;
    }
    window->alive = true;
    window->image.assign(static_cast<std::size_t>(window->clientWidth) * window->clientHeight,
                         backgroundPixel(classes[classIndex].background));
    window->dc = vantir::gdiCreateWindowDC(window);

    // WM_CREATE runs inside the creation call; -1 refuses the window.
    if (window->proc(window, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    return liveWindow(window);
}

BOOL DestroyWindow(HWND window) {
    if (!liveWindow(window) || window->destroying) return FALSE;
    window->destroying = true;
    if (captureWindow == window) ReleaseCapture();
    window->proc(window, WM_DESTROY, 0, 0);
    window->alive = false;
    window->destroying = false;
    // Messages still posted to it are dropped, as for any destroyed window.
    std::erase_if(posted, [window](const PostedMessage& m) { return m.hwnd == window; });
    vantir::backendDestroyWindow(window);
    return TRUE;
}

BOOL ShowWindow(HWND window, int command) {
    if (!liveWindow(window)) return FALSE;
    const BOOL wasVisible = showCommand > 0 ? TRUE : FALSE;
    showCommand = command;
    vantir::backendShowWindow(window, command);
    return wasVisible;
}

BOOL UpdateWindow(HWND window) { return liveWindow(window) ? TRUE : FALSE; }

BOOL GetClientRect(HWND window, RECT* rect) {
    if (!liveWindow(window) || !rect) return FALSE;
    *rect = {0, 0, window->clientWidth, window->clientHeight};
    return TRUE;
}

LRESULT DefWindowProc(HWND window, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) DestroyWindow(window);
    return 0;
}

// ---- Messages -------------------------------------------------------------

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window && !liveWindow(window)) return FALSE;
    posted.push_back({window, message, wParam, lParam});
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    posted.push_back({nullptr, WM_QUIT, static_cast<WPARAM>(static_cast<std::intptr_t>(exitCode)), 0});
}

// The filter arguments are not used: the program only ever asks for every
// message of every window.
BOOL PeekMessage(MSG* msg, HWND, UINT, UINT, UINT removeFlags) {
    if (!msg) return FALSE;
    const bool remove = (removeFlags & PM_REMOVE) != 0;
    vantir::InputMessage input;
    for (;;) {
        if (!posted.empty()) {
            const PostedMessage m = posted.front();
            if (remove) posted.pop_front();
            *msg = {m.hwnd, m.message, m.wParam, m.lParam, vantir::backendMessageTime(), lastPt};
            return TRUE;
        }
        // Something the backend ran may have posted: look at the posted queue again.
        const vantir::InputResult result = vantir::backendNextInput(&input, remove);
        if (result == vantir::INPUT_EMPTY) return FALSE;
        if (result == vantir::INPUT_MESSAGE) break;
    }
    HWND target = input.toWindow ? vantir::platformMainWindow() : nullptr;
    if (remove) {
        lastPt = input.pt;
        if (input.wParam == VK_SHIFT && (input.message == WM_KEYDOWN || input.message == WM_KEYUP))
            shiftDown = input.message == WM_KEYDOWN;
    }
    if (target && isMouseMessage(input.message)) currentCursor = classes[target->classIndex].cursor;
    *msg = {target, input.message, input.wParam, input.lParam, vantir::backendMessageTime(), input.pt};
    return TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg || msg->message != WM_KEYDOWN) return FALSE;
    const WPARAM character = characterOfKey(msg->wParam, shiftDown);
    if (character == 0) return FALSE;
    // The character comes next, before anything posted earlier.
    posted.push_front({msg->hwnd, WM_CHAR, character, msg->lParam});
    return TRUE;
}

LRESULT DispatchMessage(const MSG* msg) {
    if (!msg || !liveWindow(msg->hwnd)) return 0;
    return msg->hwnd->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

// ---- Capture, cursors, icons, stock objects --------------------------------

HWND SetCapture(HWND window) {
    HWND previous = captureWindow;
    if (!liveWindow(window)) return previous;
    captureWindow = window;
    vantir::backendSetCapture(window);
    return previous;
}

BOOL ReleaseCapture() {
    captureWindow = nullptr;
    vantir::backendSetCapture(nullptr);
    return TRUE;
}

HWND GetCapture() { return captureWindow; }

HCURSOR GetCursor() { return currentCursor ? currentCursor : vantir::platformArrowCursor(); }

HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name) {
    // Only the system arrow exists; the program has no cursor resources.
    return !instance && name == IDC_ARROW ? vantir::platformArrowCursor() : nullptr;
}

HICON LoadIcon(HINSTANCE instance, LPCSTR name) {
    return !instance && name == IDI_APPLICATION ? vantir::platformApplicationIcon() : nullptr;
}

ULONG_PTR SetClassLongPtr(HWND window, int index, LONG_PTR value) {
    if (!liveWindow(window) || index != GCLP_HCURSOR) return 0;
    WindowClass& c = classes[window->classIndex];
    const auto previous = reinterpret_cast<ULONG_PTR>(c.cursor);
    c.cursor = reinterpret_cast<HCURSOR>(value);
    return previous;
}

DWORD SetClassLong(HWND window, int index, LONG value) {
    // The 32-bit value widens with its sign, as Windows widens handles.
    return static_cast<DWORD>(SetClassLongPtr(window, index, static_cast<LONG_PTR>(value)));
}

BOOL DestroyCursor(HCURSOR cursor) {
    // System cursors are shared and never destroyed; nothing else exists.
    return cursor == vantir::platformArrowCursor() ? TRUE : FALSE;
}

HGDIOBJ GetStockObject(int index) {
    if (index < 0 || index >= STOCK_OBJECT_COUNT) return nullptr;
    return fixedHandle<HGDIOBJ>(STOCK_OBJECT_BASE + static_cast<std::uintptr_t>(index));
}
