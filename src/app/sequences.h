// The three entry points of the program's own logic: start-up brings every
// subsystem up in a fixed order, a frame renders the scene once, shutdown
// releases the subsystems in the reverse order. The window layer calls them
// from the window's creation message, its idle passes and its destruction.
#pragma once

#include <cstdint>

#include "app/program.h"
#include "platform/win32.h"
#include "render/primitive.h"

namespace vantir {

// Run inside a frame just after the clear and just before the presentation;
// empty by default (an empty slot is skipped). Start-up installs the shell
// program's hooks, shutdown empties both.
extern FrameHook preFrameHook;
extern FrameHook postFrameHook;
void setFrameHooks(FrameHook preFrame, FrameHook postFrame);

// The arrays bound as vertex-array rows 0, 1 and 2 for the life of the process.
constexpr int SHELL_VERTEX_CAPACITY = 1500;
constexpr int SHELL_COLOUR_CAPACITY = 1200;
constexpr int SHELL_TEX_COORD_CAPACITY = 1200;
extern ModelVertex shellVertices[SHELL_VERTEX_CAPACITY];
extern ColourRecord shellColours[SHELL_COLOUR_CAPACITY];
extern TexCoord shellTexCoords[SHELL_TEX_COORD_CAPACITY];

// Brings every subsystem up and builds the shell program's scene. 0, or -1
// at the first subsystem that fails to come up (it has shown its message);
// the subsystems before it stay up.
int startUp(HWND window);
// Releases every subsystem and empties the frame hooks; safe after a partial
// start-up.
void shutDown();
// One frame into the window. x and y are the window position, unused.
void runFrame(HWND window, std::int32_t x, std::int32_t y);
// The frame between the clear and the presentation: the hooks, the mouse, the
// animation, the transform, the display list and the bodies. Benchmarks time
// it without pacing or presenting.
void drawFrame();

}  // namespace vantir
