// What a program built on the shell brings of its own. The shell owns the
// window, the message loop and the start-up, frame and shutdown sequences;
// a program fills this record and hands it to runProgram from its WinMain.
#pragma once

#include <cstdint>

#include "platform/win32.h"

namespace vantir {

using FrameHook = void (*)();

struct Program {
    // The main window's title; the window class is the shell's own.
    const char* title;
    // Builds the scene once during start-up, after the vertex-array rows are
    // bound and before the colours are converted. Its result is ignored: a
    // scene that fails (it has shown its message) is not a failed start-up.
    int (*buildScene)();
    // Every frame, after the mouse is read and before anything moves: the
    // live button bits and the motion since the previous idle pass.
    void (*frameMouse)(std::int32_t buttons, std::int32_t dx, std::int32_t dy);
    // Installed as the frame hooks at start-up: right after the clear, and
    // right before the presentation.
    FrameHook preFrame;
    FrameHook postFrame;
    // A typed character other than Escape, which always quits.
    void (*typedCharacter)(WPARAM character);
};

// The program whose slots the sequences and the window procedure call, or
// null: then start-up builds no scene and frames only clear and present.
// runProgram sets it; tests and tools that start up without a window loop
// set it themselves.
void setShellProgram(const Program* program);
const Program* shellProgram();

// The whole run of a program: registers the window class, creates the main
// window with the program's title (start-up runs inside its creation), shows
// it and runs the message loop. Answers the quit message's code, or 1 when
// no window could be created.
int runProgram(const Program& program, HINSTANCE instance, int showCommand);

}  // namespace vantir
