// The Linux program: SDL2 opens the display, then the program enters at
// WinMain as on Windows.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32.h"

int main() {
    SDL_SetMainReady();
    // A click that activates the window also reaches it, as on Windows.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "vantir: cannot open a window: %s\n", SDL_GetError());
        return 1;
    }
    // Without a display SDL falls back to drawing into memory; unless that was
    // asked for, there is no window to show, so say so instead of running unseen.
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool offscreen = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    if (offscreen && !std::getenv("SDL_VIDEODRIVER")) {
        std::fprintf(stderr, "vantir: cannot open a window: no display (neither DISPLAY nor WAYLAND_DISPLAY is usable)\n");
        SDL_Quit();
        return 1;
    }
    char commandLine[] = "";
    const int result = WinMain(nullptr, nullptr, commandLine, SW_SHOWDEFAULT);
    SDL_Quit();
    return result;
}
