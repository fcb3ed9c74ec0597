// The headless backend: one window of a chosen client size on memory, input
// from a timeline, a virtual tick count, message boxes recorded.
#include "platform/headless/headless.h"

#include <cstdio>
#include <deque>
#include <utility>

#include "platform/common/messages.h"
#include "platform/common/platform_core.h"

namespace vantir {

namespace {

struct TimelineEntry {
    enum Kind { MESSAGE, IDLE, CALL } kind;
    InputMessage message;
    int idleLeft = 0;
    std::function<void()> call;
};

int clientWidth = 512;
int clientHeight = 480;
std::deque<TimelineEntry> timeline;
bool closeQueued = false;  // the automatic close request was handed out since the timeline last grew
DWORD virtualTicks = 0;
POINT lastGiven{0, 0};  // pt of the last timeline message retrieved
std::vector<HeadlessMessageBox> boxes;
HeadlessWindowImage image;

bool isPointerMessage(UINT message) { return message == WM_MOVE || (message >= WM_MOUSEMOVE && message <= WM_RBUTTONUP); }

void queueEntry(TimelineEntry entry) {
    timeline.push_back(std::move(entry));
    closeQueued = false;
}

void copyImage(HWND window) {
    image.width = window->clientWidth;
    image.height = window->clientHeight;
    image.pixels = window->image;
}

}  // namespace

// ---- Control ---------------------------------------------------------------

void headlessReset(int width, int height) {
    platformResetCore();
    clientWidth = width;
    clientHeight = height;
    timeline.clear();
    closeQueued = false;
    lastGiven = {0, 0};
    virtualTicks = 0;
    boxes.clear();
    image = HeadlessWindowImage{};
}

void headlessQueueMessage(UINT message, WPARAM wParam, LONG x, LONG y) {
    // The window's client area sits at the screen origin, so client and
    // screen coordinates agree; keys carry a repeat count of 1.
    LPARAM lParam = 0;
    if (isPointerMessage(message))
        lParam = MAKELPARAM(x, y);
    else if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR)
        lParam = 1;
    TimelineEntry entry{TimelineEntry::MESSAGE, {}, 0, {}};
    entry.message = {message, wParam, lParam, {x, y}, true};
    queueEntry(std::move(entry));
}

void headlessQueueIdle(int count) {
    if (count > 0) queueEntry({TimelineEntry::IDLE, {}, count, {}});
}

void headlessQueueCall(std::function<void()> call) { queueEntry({TimelineEntry::CALL, {}, 0, std::move(call)}); }

const std::vector<HeadlessMessageBox>& headlessMessageBoxes() { return boxes; }
void headlessClearMessageBoxes() { boxes.clear(); }

void headlessSetTickCount(DWORD ticks) { virtualTicks = ticks; }
DWORD headlessTickCount() { return virtualTicks; }

const HeadlessWindowImage& headlessWindowImage() { return image; }
int headlessPresentCount() { return platformCoreState().presentCount; }

HeadlessState headlessState() {
    const PlatformCoreState core = platformCoreState();
    HeadlessState s{};
    s.classRegistered = core.classRegistered;
    s.windowExists = platformMainWindow() != nullptr;
    s.windowsCreated = core.windowsCreated;
    s.showCommand = core.showCommand;
    s.capture = core.capture;
    s.heldDCs = core.heldDCs;
    s.liveGdiObjects = core.liveGdiObjects;
    s.classCursor = core.classCursor;
    s.currentCursor = core.currentCursor;
    return s;
}

void headlessFailDibSections(int count) { platformFailDibSections(count); }
void headlessFailCompatibleDCs(int count) { platformFailCompatibleDCs(count); }

// ---- Backend hooks ---------------------------------------------------------

bool backendCreateWindow(HWND window, int, int) {
    // The client size is the one the test or script chose, whatever the outer size.
    window->clientWidth = clientWidth;
    window->clientHeight = clientHeight;
    return true;
}

void backendDestroyWindow(HWND) {}
void backendShowWindow(HWND window, int) { copyImage(window); }
void backendSetCapture(HWND) {}
DWORD backendMessageTime() { return virtualTicks; }

void backendPresent(HWND window, const RECT&) {
    if (window == platformLastWindow()) copyImage(window);
}

InputResult backendNextInput(InputMessage* out, bool remove) {
    if (timeline.empty()) {
        // The script is over: ask the window to close, and if nothing closes
        // it (or there is none), quit, so every run ends.
        HWND window = platformMainWindow();
        if (window && !closeQueued) {
            closeQueued = true;
            timeline.push_back({TimelineEntry::MESSAGE, {WM_CLOSE, 0, 0, lastGiven, true}, 0, {}});
        } else {
            PostQuitMessage(0);
            return INPUT_AGAIN;
        }
    }
    TimelineEntry& front = timeline.front();
    switch (front.kind) {
        case TimelineEntry::IDLE:
            if (remove && --front.idleLeft == 0) timeline.pop_front();
            return INPUT_EMPTY;
        case TimelineEntry::CALL: {
            auto call = std::move(front.call);
            timeline.pop_front();
            if (call) call();
            return INPUT_AGAIN;
        }
        case TimelineEntry::MESSAGE:
            *out = front.message;
            if (remove) {
                lastGiven = front.message.pt;
                timeline.pop_front();
            }
            return INPUT_MESSAGE;
    }
    return INPUT_EMPTY;
}

}  // namespace vantir

// ---- Backend-specific calls ---------------------------------------------------

DWORD GetTickCount() { return vantir::virtualTicks++; }  // unsigned: wraps at 2^32

int MessageBox(HWND, LPCSTR text, LPCSTR caption, UINT) {
    vantir::boxes.push_back({caption ? caption : "", text ? text : ""});
    vantir::echoMessageBox(vantir::messageTexts(caption, text));
    return IDOK;
}
