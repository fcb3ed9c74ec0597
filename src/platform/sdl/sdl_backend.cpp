// The SDL2 backend: the program's one window is a real SDL window. Input
// events become window messages with screen-coordinate cursor positions; each
// BitBlt into the window shows the window image 1:1 at the client's top-left.
//
// The window image reaches the screen through the window's own framebuffer
// (on X11 shared memory that the display server copies from), converted from
// Rgb555 by our own loop, and only the rows that differ from what the screen
// already shows: a still picture costs a comparison and no drawing at all.
#include <SDL.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "platform/common/cp932.h"
#include "platform/common/messages.h"
#include "platform/common/paced_ticks.h"
#include "platform/common/platform_core.h"
#include "platform/sdl/frame_observer.h"

namespace vantir {

SdlFrameObserver sdlFrameObserver{};

namespace {

constexpr std::uint8_t BACKGROUND_GREY = 255;  // uncovered client area: the white class background

constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;

struct SdlWindow {
    SDL_Window* window = nullptr;
    SDL_Surface* surface = nullptr;    // the window's framebuffer, fetched again after every repaint request
    std::vector<std::uint16_t> shown;  // the window image as the screen shows it
    bool repaint = true;               // the framebuffer is new, resized or exposed: paint it whole
    bool sentFirstMove = false;
};

std::deque<InputMessage> inputs;
PacedTicks pacedTicks;  // a rest costs microseconds here: check for a shortened period every frame

SdlWindow* sdlOf(HWND window) { return window ? static_cast<SdlWindow*>(window->backendData) : nullptr; }

// A 5-bit channel to 8 bits by repeating its top bits, as SDL expands RGB555.
constexpr std::uint32_t expand5(std::uint32_t c) { return (c << 3) | (c >> 2); }

// Rgb555 to 32-bit xRGB, what X11 displays of depth 24 take. A plain loop
// keeps up with the memory it writes (hand-written SSE2 measured no faster)
// and is about six times as fast as SDL's general converter.
void convertToXrgb(const std::uint16_t* from, std::uint32_t* to, int count) {
    for (int i = 0; i < count; ++i) {
        const std::uint32_t p = from[i];
        to[i] = 0xff000000u | expand5(p >> 10 & 31) << 16 | expand5(p >> 5 & 31) << 8 | expand5(p & 31);
    }
}

// Client rows [top, bottom) and columns [left, right) of the window image onto
// the framebuffer, as far as the framebuffer reaches.
void putImage(SdlWindow* s, HWND window, int left, int top, int right, int bottom) {
    SDL_Surface* surface = s->surface;
    right = std::min(right, surface->w);
    bottom = std::min(bottom, surface->h);
    if (right <= left || bottom <= top) return;
    const std::uint16_t* image = window->image.data();
    const std::size_t width = static_cast<std::size_t>(window->clientWidth);
    auto* pixels = static_cast<std::uint8_t*>(surface->pixels);
    const auto format = surface->format->format;
    if (format == SDL_PIXELFORMAT_XRGB8888 || format == SDL_PIXELFORMAT_ARGB8888) {
        for (int y = top; y < bottom; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(pixels + y * surface->pitch);
            convertToXrgb(image + y * width + left, row + left, right - left);
        }
        return;
    }
    SDL_ConvertPixels(right - left, bottom - top, SDL_PIXELFORMAT_RGB555, image + top * width + left,
                      static_cast<int>(width * 2), format,
                      pixels + top * surface->pitch + left * surface->format->BytesPerPixel, surface->pitch);
}

// Shows the rows of `changed` that differ from what the screen shows, or the
// whole window, white beyond the client image, when a repaint is due.
void show(HWND window, const RECT& changed) {
    SdlWindow* s = sdlOf(window);
    if (!s) return;
    if (s->repaint) {
        if (!(s->surface = SDL_GetWindowSurface(s->window))) return;
        const Uint32 white = SDL_MapRGB(s->surface->format, BACKGROUND_GREY, BACKGROUND_GREY, BACKGROUND_GREY);
        SDL_FillRect(s->surface, nullptr, white);
        putImage(s, window, 0, 0, window->clientWidth, window->clientHeight);
        s->shown = window->image;
        s->repaint = SDL_UpdateWindowSurface(s->window) != 0;
        return;
    }
    const int width = window->clientWidth;
    const std::size_t count = static_cast<std::size_t>(changed.right - changed.left);
    int first = -1, last = -1;
    for (int y = changed.top; y < changed.bottom; ++y) {
        const std::size_t at = static_cast<std::size_t>(y) * width + changed.left;
        std::uint16_t* shownRow = s->shown.data() + at;
        const std::uint16_t* imageRow = window->image.data() + at;
        if (std::memcmp(shownRow, imageRow, count * 2) == 0) continue;
        std::memcpy(shownRow, imageRow, count * 2);
        putImage(s, window, changed.left, y, changed.right, y + 1);
        if (first < 0) first = y;
        last = y;
    }
    if (first < 0) return;  // the screen already shows it
    const int right = std::min<int>(changed.right, s->surface->w);
    const int bottom = std::min(last + 1, s->surface->h);
    if (right <= changed.left || bottom <= first) return;
    const SDL_Rect rows{changed.left, first, right - changed.left, bottom - first};
    if (SDL_UpdateWindowSurfaceRects(s->window, &rows, 1) != 0) s->repaint = true;
}

void repaint(HWND window) {
    if (SdlWindow* s = sdlOf(window)) {
        s->repaint = true;
        show(window, {0, 0, 0, 0});
    }
}

POINT screenPoint(HWND window, int clientX, int clientY) {
    int x = 0, y = 0;
    if (SdlWindow* s = sdlOf(window)) SDL_GetWindowPosition(s->window, &x, &y);
    return {x + clientX, y + clientY};
}

WPARAM buttonFlags(std::uint32_t state) {
    return (state & SDL_BUTTON_LMASK ? MK_LBUTTON : 0) | (state & SDL_BUTTON_RMASK ? MK_RBUTTON : 0);
}

POINT lastCursor{0, 0};

void queue(UINT message, WPARAM wParam, LPARAM lParam, POINT pt) { inputs.push_back({message, wParam, lParam, pt, true}); }

void queueMove(HWND window) {
    int x = 0, y = 0;
    SDL_GetWindowPosition(sdlOf(window)->window, &x, &y);
    queue(WM_MOVE, 0, MAKELPARAM(x, y), lastCursor);
}

// The virtual-key code of a key the program could care about, or 0.
WPARAM virtualKey(SDL_Keycode key) {
    switch (key) {
        case SDLK_ESCAPE: return VK_ESCAPE;
        case SDLK_RETURN: return VK_RETURN;
        case SDLK_TAB: return VK_TAB;
        case SDLK_BACKSPACE: return VK_BACK;
        case SDLK_SPACE: return VK_SPACE;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return VK_SHIFT;
        default: break;
    }
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<WPARAM>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<WPARAM>('0' + (key - SDLK_0));
    return 0;
}

void translateEvent(const SDL_Event& e) {
    HWND window = platformMainWindow();
    switch (e.type) {
        case SDL_QUIT:
            queue(WM_CLOSE, 0, 0, lastCursor);
            break;
        case SDL_WINDOWEVENT:
            switch (e.window.event) {
                case SDL_WINDOWEVENT_CLOSE: queue(WM_CLOSE, 0, 0, lastCursor); break;
                case SDL_WINDOWEVENT_MOVED: queue(WM_MOVE, 0, MAKELPARAM(e.window.data1, e.window.data2), lastCursor); break;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    queue(WM_SIZE, 0, MAKELPARAM(e.window.data1, e.window.data2), lastCursor);
                    repaint(window);
                    break;
                case SDL_WINDOWEVENT_EXPOSED: repaint(window); break;
                default: break;
            }
            break;
        case SDL_MOUSEMOTION:
            lastCursor = screenPoint(window, e.motion.x, e.motion.y);
            queue(WM_MOUSEMOVE, buttonFlags(e.motion.state), MAKELPARAM(e.motion.x, e.motion.y), lastCursor);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const bool down = e.type == SDL_MOUSEBUTTONDOWN;
            UINT message = 0;
            if (e.button.button == SDL_BUTTON_LEFT) message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            if (e.button.button == SDL_BUTTON_RIGHT) message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            if (!message) break;
            lastCursor = screenPoint(window, e.button.x, e.button.y);
            queue(message, buttonFlags(SDL_GetMouseState(nullptr, nullptr)), MAKELPARAM(e.button.x, e.button.y),
                  lastCursor);
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (WPARAM vk = virtualKey(e.key.keysym.sym))
                queue(e.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, vk, 1, lastCursor);
            break;
        default:
            break;
    }
}

// SDL draws a message box's text in the character set of the locale the
// environment names; under one that is not UTF-8 the Japanese line comes out
// as garbage. For the time the box is up, the environment names a UTF-8
// locale instead, when the system has one.
struct Utf8LocaleForBox {
    bool changed = false;
    bool hadValue = false;
    std::string previous;  // LC_ALL before
};

bool localeIsUtf8(const char* name) {
    locale_t locale = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) return false;
    const bool utf8 = std::strcmp(nl_langinfo_l(CODESET, locale), "UTF-8") == 0;
    freelocale(locale);
    return utf8;
}

Utf8LocaleForBox useUtf8LocaleForBox() {
    Utf8LocaleForBox saved;
    if (localeIsUtf8("")) return saved;  // the environment's own locale serves
    for (const char* candidate : {"C.UTF-8", "en_US.UTF-8"}) {
        if (!localeIsUtf8(candidate)) continue;
        const char* previous = std::getenv("LC_ALL");
        saved.hadValue = previous != nullptr;
        if (previous) saved.previous = previous;
        saved.changed = setenv("LC_ALL", candidate, 1) == 0;
        break;
    }
    return saved;
}

void restoreLocale(const Utf8LocaleForBox& saved) {
    if (!saved.changed) return;
    if (saved.hadValue)
        setenv("LC_ALL", saved.previous.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

}  // namespace

// ---- Backend hooks ---------------------------------------------------------

bool backendCreateWindow(HWND window, int outerWidth, int outerHeight) {
    platformSetClientSize(window, outerWidth, outerHeight);

    // On X11 SDL would otherwise put the framebuffer in an OpenGL texture,
    // which is software OpenGL wherever there is no GPU (Xvfb, remote
    // displays) and costs ten times the plain shared-memory copy. Elsewhere
    // (Wayland) the texture is SDL's only framebuffer. The environment's
    // SDL_FRAMEBUFFER_ACCELERATION still decides if it is set.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::strcmp(driver, "x11") == 0) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");

    auto* s = new SdlWindow;
    const std::string title = cp932ToUtf8(window->title);
    s->window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, window->clientWidth,
                                 window->clientHeight, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (!s->window || !SDL_GetWindowSurface(s->window)) {
        std::fprintf(stderr, "vantir: cannot open a window: %s\n", SDL_GetError());
        if (s->window) SDL_DestroyWindow(s->window);
        delete s;
        return false;
    }
    window->backendData = s;
    return true;
}

void backendDestroyWindow(HWND window) {
    SdlWindow* s = sdlOf(window);
    if (!s) return;
    SDL_CaptureMouse(SDL_FALSE);
    SDL_DestroyWindow(s->window);  // and its framebuffer
    delete s;
    window->backendData = nullptr;
}

void backendShowWindow(HWND window, int showCommand) {
    SdlWindow* s = sdlOf(window);
    if (!s) return;
    if (showCommand == SW_HIDE) {
        SDL_HideWindow(s->window);
        return;
    }
    SDL_ShowWindow(s->window);
    repaint(window);
    if (!s->sentFirstMove) {
        // A window learns its position when it is first shown.
        s->sentFirstMove = true;
        queueMove(window);
    }
}

void backendPresent(HWND window, const RECT& changed) {
    notePacedPresent(pacedTicks);
    if (sdlFrameObserver.presentBegin) sdlFrameObserver.presentBegin();
    show(window, changed);
    if (sdlFrameObserver.presentEnd) sdlFrameObserver.presentEnd();
}

void backendSetCapture(HWND window) { SDL_CaptureMouse(window ? SDL_TRUE : SDL_FALSE); }

// Not GetTickCount: a read there is the pacing's, and a second one would rest.
DWORD backendMessageTime() { return static_cast<DWORD>(monotonicClock.now() / 1000000); }

InputResult backendNextInput(InputMessage* out, bool remove) {
    if (inputs.empty()) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) translateEvent(e);
        if (inputs.empty()) return INPUT_EMPTY;
    }
    *out = inputs.front();
    if (remove) inputs.pop_front();
    return INPUT_MESSAGE;
}

}  // namespace vantir

// ---- Backend-specific calls ----------------------------------------------------

DWORD GetTickCount() {
    const DWORD tick = vantir::readPacedTick(vantir::pacedTicks, vantir::monotonicClock);
    if (vantir::sdlFrameObserver.tickRead) vantir::sdlFrameObserver.tickRead(tick);
    return tick;
}

int MessageBox(HWND, LPCSTR text, LPCSTR caption, UINT) {
    const vantir::MessageTexts box = vantir::messageTexts(caption, text);
    vantir::echoMessageBox(box);
    const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : nullptr;
    const bool display = driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
    if (!display) return IDOK;
    const std::string shown = box.english.empty() ? box.text : box.text + "\n" + box.english;
    const vantir::Utf8LocaleForBox locale = vantir::useUtf8LocaleForBox();
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, box.caption.c_str(), shown.c_str(), nullptr);
    vantir::restoreLocale(locale);
    return IDOK;
}
