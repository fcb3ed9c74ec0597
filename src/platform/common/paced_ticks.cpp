#include "platform/common/paced_ticks.h"

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace vantir {

namespace {
constexpr std::int64_t NS_PER_MS = 1000000;
}  // namespace

DWORD readPacedTick(PacedTicks& ticks, const TickClock& clock) {
    std::int64_t now = clock.now() / NS_PER_MS;
    if (ticks.readSincePresent) {
        ticks.lastRefused = ticks.lastRead;
        // The next millisecond, or the frame period's earliest end (a check: a millisecond before).
        const std::int64_t end = ticks.frameStart + ticks.least - (ticks.framesToCheck == 0 ? 1 : 0);
        const std::int64_t wake = std::max(ticks.lastRead + 1, end);
        if (now < wake) {
            clock.sleepUntil(wake * NS_PER_MS);
            ticks.sleptSincePresent = true;
            now = clock.now() / NS_PER_MS;
        }
    }
    ticks.readSincePresent = true;
    ticks.lastRead = now;
    return static_cast<DWORD>(now);
}

void notePacedPresent(PacedTicks& ticks) {
    if (ticks.readSincePresent) {
        const std::int64_t start = ticks.lastRead;
        if (ticks.frameStarted) {
            // The period is longer than the last refused read's distance from
            // the previous start (a read refused in an earlier frame bounds
            // nothing) and no longer than this start's. A start sooner than
            // the lower bound means the period has shortened: begin again.
            const std::int64_t least = ticks.lastRefused - ticks.frameStart + 1;
            ticks.least = start - ticks.frameStart < ticks.least ? least : std::max(ticks.least, least);
        }
        ticks.frameStart = start;
        ticks.frameStarted = true;
        ticks.framesToCheck = ticks.framesToCheck > 0 ? ticks.framesToCheck - 1 : ticks.checkEvery - 1;
    }
    ticks.readSincePresent = false;
    ticks.sleptSincePresent = false;
}

#ifndef __EMSCRIPTEN__
namespace {

std::int64_t monotonicNow() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

void monotonicSleepUntil(std::int64_t when) {
    const timespec until{static_cast<time_t>(when / 1000000000), static_cast<long>(when % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

}  // namespace

const TickClock monotonicClock{monotonicNow, monotonicSleepUntil};
#endif

}  // namespace vantir
