// The SDL2 backend: the program's one window is a real SDL window. Input
// events become window messages with screen-coordinate cursor positions; each
// BitBlt into the window shows the window image 1:1 at the client's top-left.
#include <SDL.h>
#include <langinfo.h>
#include <locale.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>

#include "platform/common/cp932.h"
#include "platform/common/messages.h"
#include "platform/common/paced_ticks.h"
#include "platform/common/platform_core.h"

namespace {

constexpr std::uint8_t BACKGROUND_GREY = 255;  // uncovered client area: the white class background

constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;

struct SdlWindow {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    bool sentFirstMove = false;
};

std::deque<InputMessage> inputs;
PacedTicks pacedTicks;  // a rest on Linux costs microseconds: learn the period anew every frame

SdlWindow* sdlOf(HWND window) { return window ? static_cast<SdlWindow*>(window->backendData) : nullptr; }

void show(HWND window) {
    SdlWindow* s = sdlOf(window);
    if (!s || !s->texture) return;
    SDL_UpdateTexture(s->texture, nullptr, window->image.data(), window->clientWidth * 2);
    SDL_SetRenderDrawColor(s->renderer, BACKGROUND_GREY, BACKGROUND_GREY, BACKGROUND_GREY, 255);
    SDL_RenderClear(s->renderer);
    const SDL_Rect place{0, 0, window->clientWidth, window->clientHeight};  // 1:1, never scaled
    SDL_RenderCopy(s->renderer, s->texture, nullptr, &place);
    SDL_RenderPresent(s->renderer);
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
                    show(window);
                    break;
                case SDL_WINDOWEVENT_EXPOSED: show(window); break;
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

    auto* s = new SdlWindow;
    const std::string title = cp932ToUtf8(window->title);
    s->window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, window->clientWidth,
                                 window->clientHeight, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (s->window) {
        s->renderer = SDL_CreateRenderer(s->window, -1, 0);
        if (!s->renderer) s->renderer = SDL_CreateRenderer(s->window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (s->renderer)
        s->texture = SDL_CreateTexture(s->renderer, SDL_PIXELFORMAT_RGB555, SDL_TEXTUREACCESS_STREAMING,
                                       window->clientWidth, window->clientHeight);
    if (!s->texture) {
        std::fprintf(stderr, "vantir: cannot open a window: %s\n", SDL_GetError());
        if (s->renderer) SDL_DestroyRenderer(s->renderer);
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
    SDL_DestroyTexture(s->texture);
    SDL_DestroyRenderer(s->renderer);
    SDL_DestroyWindow(s->window);
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
    show(window);
    if (!s->sentFirstMove) {
        // A window learns its position when it is first shown.
        s->sentFirstMove = true;
        queueMove(window);
    }
}

void backendPresent(HWND window, const RECT&) {
    notePacedPresent(pacedTicks);
    show(window);
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

// ---- Backend-specific calls ----------------------------------------------------

DWORD GetTickCount() { return readPacedTick(pacedTicks, monotonicClock); }

int MessageBox(HWND, LPCSTR text, LPCSTR caption, UINT) {
    const MessageTexts box = messageTexts(caption, text);
    echoMessageBox(box);
    const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : nullptr;
    const bool display = driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
    if (!display) return IDOK;
    const std::string shown = box.english.empty() ? box.text : box.text + "\n" + box.english;
    const Utf8LocaleForBox locale = useUtf8LocaleForBox();
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, box.caption.c_str(), shown.c_str(), nullptr);
    restoreLocale(locale);
    return IDOK;
}
