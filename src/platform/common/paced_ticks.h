// The tick count under the frame pacing, for the backends whose clock is our
// own (SDL and the browser).
//
// The pacing polls the tick count until the frame period has passed since the
// previous frame start; a frame starts at the first read that finds it passed.
// Seen from below, that is a run of reads between two presents: the last read
// before a present is a frame start, and a read that follows a read with no
// present between is the loop asking again because the previous answer came
// too early. Such a read lets the processor rest before it answers: until the
// earliest moment the period can end, as far as the reads have shown it,
// otherwise until the next millisecond. The answer is always the clock's own
// tick, read after the rest, so no frame starts sooner than the pacing decides.
//
// What the reads show: every refused read says that the period is longer
// than its distance from the frame start, so the lower bound grows frame by
// frame to the period itself. A rest to it never ends after the period does,
// unless the period has shortened, which a read after such a rest cannot see:
// so every `checkEvery`-th frame rests only until one millisecond before the
// bound, where a read the loop accepts shows the change.
#pragma once

#include <cstdint>

#include "platform/win32.h"

namespace vantir {

// A monotonic clock in nanoseconds and a rest until a time on it.
struct TickClock {
    std::int64_t (*now)();
    void (*sleepUntil)(std::int64_t when);  // returns at `when` or later
};

struct PacedTicks {
    int checkEvery = 1;
    bool readSincePresent = false;
    bool sleptSincePresent = false;
    bool frameStarted = false;    // a present has marked a frame start
    std::int64_t lastRead = 0;    // milliseconds of the latest answer
    std::int64_t lastRefused = 0;
    std::int64_t frameStart = 0;  // the last answer before the latest present
    std::int64_t least = 0;       // the frame period is at least this many milliseconds
    int framesToCheck = 0;
};

// The clock's milliseconds cut to 32 bits (wrapping at 2^32 as Windows' count
// does), after a rest when the read repeats one that came too early.
DWORD readPacedTick(PacedTicks& ticks, const TickClock& clock);
// A frame was presented: the latest read was its start.
void notePacedPresent(PacedTicks& ticks);

#ifndef __EMSCRIPTEN__
// CLOCK_MONOTONIC, whose milliseconds count from the system's start as
// Windows' tick count does, with an absolute sleep on it.
extern const TickClock monotonicClock;
#endif

}  // namespace vantir
