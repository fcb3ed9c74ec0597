// A measuring tool built around the program can watch its frames from inside:
// the SDL backend calls whichever of these are set. The program sets none.
#pragma once

#include "platform/win32.h"

namespace vantir {

struct SdlFrameObserver {
    void (*tickRead)(DWORD tick);  // after every tick count read, with its answer
    void (*presentBegin)();        // around the window's framebuffer update of a present
    void (*presentEnd)();
};

extern SdlFrameObserver sdlFrameObserver;

}  // namespace vantir
