// What every benchmark program shares: the demo brought up through the real
// start-up on a bare window of whichever backend the program links, the band
// rotations the frame is measured at, the frame itself and a checksum.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/program.h"
#include "platform/win32.h"

using namespace vantir;

// Creates a window of the demo's size and runs startUp on it for the program
// from the repository's top directory (start-up looks for data/ there). Null
// when the window or the start-up failed (the reason is printed).
HWND startProgram(const Program& program);
HWND startDemo();  // the demo's
void stopDemo();   // shuts down whichever program runs

// Band rotations 0..DEMO_POSES-1: pose 0 is the sphere as built, the others
// turn parts 1..4 as a left drag would (tilts and turns within their limits).
constexpr int DEMO_POSES = 4;
void setDemoPose(int pose);

// The frame without pacing or presentation: clear, animateTextures,
// transformAllModels, drawDisplayList.
void renderDemoFrame();

// A frame of the running program without pacing or presentation: the clear,
// then the shell's drawFrame (no mouse message ever reaches the benchmarks, so
// the program's mouse step sees no buttons and no motion).
void renderProgramFrame();

// FNV-1a 64 over bytes: the output checksum every benchmark reports.
std::uint64_t checksumBytes(const void* data, std::size_t size, std::uint64_t hash = 14695981039346656037ull);
// The checksum of the drawn part of the back buffer.
std::uint64_t backBufferChecksum();
// A checksum folded to what a benchmark counter (a double) holds exactly.
double checksumCounter(std::uint64_t hash);
