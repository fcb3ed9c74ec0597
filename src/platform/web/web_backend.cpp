// The browser backend: the program's one window is a canvas of the page.
//
// The program's loop never gives control back (it polls the queue and
// busy-waits on the tick count), so this backend hands the browser its turn
// at three places, through ASYNCIFY, and nowhere in the engine:
//   - a second tick count read before the frame is presented is the pacing
//     wait: it sleeps until the frame period ends, which the reads have shown
//     (paced_ticks.h), in one timer, so the program wakes once per frame;
//   - a present after a frame that never waited (a frame slower than the
//     period, or the first) yields once, so the page still paints and takes
//     input;
//   - a message box waits until the page's dialog is closed.
// An empty queue does not yield: every idle pass runs a frame, which does.
//
// Input events are queued in JavaScript as they arrive and read from here, so
// nothing calls into the program while it sleeps. Client coordinates are
// canvas pixels (the page's CSS scale taken out); the page has no window
// position, so screen coordinates are the client coordinates.
//
// The page may give Module.vantirPage = { messageBox(caption, text, english)
// -> Promise, frame(workMs, presentMs, startMs, tick), ended(exitCode) };
// without it message boxes go to the console only and return at once.
#include <emscripten.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/common/messages.h"
#include "platform/common/paced_ticks.h"
#include "platform/common/platform_core.h"

// clang-format off
EM_JS(void, webOpenCanvas, (int width, int height), {
    const canvas = Module.canvas || document.getElementById('canvas');
    canvas.width = width;
    canvas.height = height;
    const web = {
        canvas: canvas,
        context: canvas.getContext('2d'),
        inputs: [],
        ignoreInput: false,
        pointerId: -1,
        channel: new MessageChannel(),
        wakers: [],
    };
    Module.vantirWeb = web;
    // One zero-delay hop through a message port: not subject to the clamp
    // that browsers put on chains of timers.
    web.channel.port1.onmessage = () => web.wakers.shift()();
    web.hop = (then) => { web.wakers.push(then); web.channel.port2.postMessage(0); };

    const client = (e) => {
        const r = canvas.getBoundingClientRect();
        return [Math.floor((e.clientX - r.left) * canvas.width / r.width),
                Math.floor((e.clientY - r.top) * canvas.height / r.height)];
    };
    const queue = (message, wParam, e) => {
        if (web.ignoreInput) return;  // a message box takes the input, as a modal box does
        const [x, y] = e ? client(e) : [-1, -1];
        web.inputs.push([message, wParam, x, y, e ? 1 : 0]);
    };
    // WM_LBUTTONDOWN, WM_LBUTTONUP / WM_RBUTTONDOWN, WM_RBUTTONUP by DOM button.
    const BUTTON_MESSAGES = {0: [0x201, 0x202], 2: [0x204, 0x205]};
    // DOM `buttons` has left in bit 0 and right in bit 1, as MK_LBUTTON and MK_RBUTTON.
    canvas.addEventListener('pointerdown', (e) => { web.pointerId = e.pointerId; });
    canvas.addEventListener('mousemove', (e) => queue(0x200, e.buttons & 3, e));
    canvas.addEventListener('mousedown', (e) => {
        const m = BUTTON_MESSAGES[e.button];
        if (m) { queue(m[0], e.buttons & 3, e); e.preventDefault(); }
    });
    canvas.addEventListener('mouseup', (e) => {
        const m = BUTTON_MESSAGES[e.button];
        if (m) queue(m[1], e.buttons & 3, e);
    });
    canvas.addEventListener('contextmenu', (e) => e.preventDefault());
    // The keys the program could care about, as virtual-key codes, by the
    // key's place (so a shifted digit is still its digit key).
    const virtualKey = (code) => {
        const named = {Escape: 0x1B, Enter: 0x0D, NumpadEnter: 0x0D, Tab: 0x09, Backspace: 0x08, Space: 0x20,
                       ShiftLeft: 0x10, ShiftRight: 0x10}[code];
        if (named) return named;
        const m = /^(?:Key([A-Z])|Digit([0-9]))$/.exec(code);
        return m ? (m[1] || m[2]).charCodeAt(0) : 0;
    };
    const key = (message) => (e) => {
        const vk = virtualKey(e.code);
        if (!vk) return;
        queue(message, vk, null);
        if (vk === 0x20 && !web.ignoreInput) e.preventDefault();  // the program's key, not the page's scroll
    };
    window.addEventListener('keydown', key(0x100));
    window.addEventListener('keyup', key(0x101));
});

// Fills message, wParam, x, y and "has a position" of the oldest input; 0 when there is none.
EM_JS(int, webNextInput, (int* out, int remove), {
    const web = Module.vantirWeb;
    if (!web.inputs.length) return 0;
    const input = remove ? web.inputs.shift() : web.inputs[0];
    for (let i = 0; i < 5; ++i) HEAP32[(out >> 2) + i] = input[i];
    return 1;
});

EM_JS(void, webPutImage, (const std::uint32_t* rgba, int width, int height, int left, int top, int right,
                          int bottom), {
    const web = Module.vantirWeb;
    const pixels = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
    web.context.putImageData(new ImageData(pixels, width, height), 0, 0, left, top, right - left, bottom - top);
});

EM_JS(void, webReportFrame, (double workMs, double presentMs, double startMs, std::uint32_t tick), {
    const page = Module.vantirPage;
    if (page && page.frame) page.frame(workMs, presentMs, startMs, tick >>> 0);
});

EM_JS(void, webSetCapture, (int on), {
    const web = Module.vantirWeb;
    try {
        if (on) web.canvas.setPointerCapture(web.pointerId);
        else if (web.canvas.hasPointerCapture(web.pointerId)) web.canvas.releasePointerCapture(web.pointerId);
    } catch (e) {
        // No active pointer (the button is already up): nothing to capture.
    }
});

EM_ASYNC_JS(void, webSleepUntil, (double whenMs), {
    // Timers take whole milliseconds: round up, never wake early. Browsers
    // stretch a timer nested in another's callback to 4 ms, so a shorter one
    // starts after a hop.
    const web = Module.vantirWeb;
    const delay = Math.max(0, Math.ceil(whenMs - performance.now()));
    await new Promise((wake) => delay >= 4 ? setTimeout(wake, delay) : web.hop(() => setTimeout(wake, delay)));
});

EM_ASYNC_JS(void, webYield, (), {
    const web = Module.vantirWeb;
    await new Promise((wake) => web.hop(wake));
});

EM_ASYNC_JS(void, webMessageBox, (const char* caption, const char* text, const char* english), {
    const page = Module.vantirPage;
    if (!page || !page.messageBox) return;
    const web = Module.vantirWeb;
    if (web) web.ignoreInput = true;
    await page.messageBox(UTF8ToString(caption), UTF8ToString(text), UTF8ToString(english));
    if (web) web.ignoreInput = false;
});
// clang-format on

namespace vantir {

namespace {

constexpr int INPUT_FIELDS = 5;

struct WebWindow {
    std::vector<std::uint32_t> rgba;   // the canvas's pixels, R G B A bytes
    std::vector<std::uint16_t> shown;  // the window image as the canvas shows it
    bool paintWhole = true;            // the canvas has not shown the window yet
};

// 5-bit channel to 8 bits by repeating its top bits, as SDL expands RGB555.
constexpr std::uint32_t expand5(std::uint32_t c) { return (c << 3) | (c >> 2); }

// Every Rgb555 value as its canvas pixel, filled with the first window: the
// present then costs one load per pixel instead of the arithmetic.
std::uint32_t canvasColours[1 << 15];

void fillCanvasColours() {
    for (std::uint32_t p = 0; p < (1u << 15); ++p)
        canvasColours[p] = expand5((p >> 10) & 31) | expand5((p >> 5) & 31) << 8 | expand5(p & 31) << 16 | 0xff000000u;
}

WebWindow* webOf(HWND window) { return window ? static_cast<WebWindow*>(window->backendData) : nullptr; }

POINT lastCursor{0, 0};

std::int64_t pageNow() { return static_cast<std::int64_t>(emscripten_get_now() * 1e6); }
void pageSleepUntil(std::int64_t when) { webSleepUntil(static_cast<double>(when) / 1e6); }
const TickClock pageClock{pageNow, pageSleepUntil};
// A wake-up here is a task and an ASYNCIFY unwind: check the period's end
// once a second rather than every frame.
PacedTicks pacedTicks{50};
double frameStartMs = 0;  // when the last tick count was read: the frame's start once it presents
DWORD frameStartTick = 0;

// Puts the rows of `changed` that differ from what the canvas shows: a still
// picture costs a comparison, and the canvas, untouched, is not drawn again.
void show(HWND window, RECT changed) {
    WebWindow* w = webOf(window);
    if (!w) return;
    const int width = window->clientWidth;
    if (w->paintWhole) changed = {0, 0, width, window->clientHeight};
    if (changed.right <= changed.left || changed.bottom <= changed.top) return;
    const std::size_t count = static_cast<std::size_t>(changed.right - changed.left);
    int first = -1, last = -1;
    for (int y = changed.top; y < changed.bottom; ++y) {
        const std::size_t at = static_cast<std::size_t>(y) * width + changed.left;
        const std::uint16_t* from = window->image.data() + at;
        if (!w->paintWhole && std::memcmp(from, w->shown.data() + at, count * 2) == 0) continue;
        std::memcpy(w->shown.data() + at, from, count * 2);
        std::uint32_t* to = w->rgba.data() + at;
        for (std::size_t x = 0; x < count; ++x) to[x] = canvasColours[from[x] & 0x7fff];
        if (first < 0) first = y;
        last = y;
    }
    w->paintWhole = false;
    if (first < 0) return;  // the canvas already shows it
    webPutImage(w->rgba.data(), width, window->clientHeight, changed.left, first, changed.right, last + 1);
}

}  // namespace

// ---- Backend hooks ---------------------------------------------------------

bool backendCreateWindow(HWND window, int outerWidth, int outerHeight) {
    platformSetClientSize(window, outerWidth, outerHeight);
    if (canvasColours[0] == 0) fillCanvasColours();  // black is 0xff000000 once filled
    auto* w = new WebWindow;
    w->rgba.assign(static_cast<std::size_t>(window->clientWidth) * window->clientHeight, 0);
    w->shown.assign(w->rgba.size(), 0);
    window->backendData = w;
    webOpenCanvas(window->clientWidth, window->clientHeight);
    return true;
}

void backendDestroyWindow(HWND window) {
    delete webOf(window);
    window->backendData = nullptr;
}

void backendShowWindow(HWND window, int) { show(window, {0, 0, window->clientWidth, window->clientHeight}); }

void backendPresent(HWND window, const RECT& changed) {
    const double presentStart = emscripten_get_now();
    show(window, changed);
    const double presentEnd = emscripten_get_now();
    webReportFrame(presentStart - frameStartMs, presentEnd - presentStart, frameStartMs, frameStartTick);
    if (!pacedTicks.sleptSincePresent) webYield();
    notePacedPresent(pacedTicks);
}

void backendSetCapture(HWND window) { webSetCapture(window ? 1 : 0); }

DWORD backendMessageTime() { return static_cast<DWORD>(static_cast<std::uint64_t>(emscripten_get_now())); }

InputResult backendNextInput(InputMessage* out, bool remove) {
    int fields[INPUT_FIELDS];
    if (!webNextInput(fields, remove ? 1 : 0)) return INPUT_EMPTY;
    const UINT message = static_cast<UINT>(fields[0]);
    const bool positioned = fields[4] != 0;
    POINT pt = positioned ? POINT{fields[2], fields[3]} : lastCursor;
    if (remove) lastCursor = pt;
    LPARAM lParam = 1;  // keys: a repeat count of 1
    if (positioned) lParam = MAKELPARAM(fields[2], fields[3]);
    *out = {message, static_cast<WPARAM>(fields[1]), lParam, pt, true};
    return INPUT_MESSAGE;
}

}  // namespace vantir

// ---- Backend-specific calls ------------------------------------------------

DWORD GetTickCount() {
    // Milliseconds since the page started.
    vantir::frameStartTick = vantir::readPacedTick(vantir::pacedTicks, vantir::pageClock);
    vantir::frameStartMs = emscripten_get_now();
    return vantir::frameStartTick;
}

int MessageBox(HWND, LPCSTR text, LPCSTR caption, UINT) {
    const vantir::MessageTexts box = vantir::messageTexts(caption, text);
    vantir::echoMessageBox(box);  // the console
    webMessageBox(box.caption.c_str(), box.text.c_str(), box.english.c_str());
    return IDOK;
}
