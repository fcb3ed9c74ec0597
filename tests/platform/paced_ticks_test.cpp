// The tick count the SDL and browser backends give the pacing, read by the
// pacing's own loop: frames start at the first tick allowed, after few rests.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <vector>

#include "platform/common/paced_ticks.h"

using namespace vantir;

namespace {

constexpr std::int64_t MS = 1000000;

int reads = 0;
// The frame loop's wait: read until the period has passed since the previous start.
DWORD waitForFrame(PacedTicks& ticks, const TickClock& clock, DWORD previous, std::int32_t period) {
    DWORD tick = readPacedTick(ticks, clock);
    for (++reads; static_cast<std::int32_t>(tick - previous) < period; ++reads) tick = readPacedTick(ticks, clock);
    return tick;
}

DWORD systemMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<DWORD>(t.tv_sec * 1000 + t.tv_nsec / MS);
}

TEST(PacedTicks, OnTheSystemClockEveryFrameStartsAtTheTickItReads) {
    PacedTicks ticks;
    DWORD start = readPacedTick(ticks, monotonicClock);
    notePacedPresent(ticks);
    reads = 0;
    for (int frame = 0; frame < 25; ++frame) {
        const DWORD before = systemMilliseconds();
        const DWORD next = waitForFrame(ticks, monotonicClock, start, 20);
        const DWORD after = systemMilliseconds();
        notePacedPresent(ticks);
        // A tick ahead of the clock would start the frame before its time.
        EXPECT_LE(next - before, after - before) << "tick " << next << ", clock " << before << " to " << after;
        start = next;
    }
    EXPECT_LE(reads, 25 * 10) << "reads that do not rest";
}

// A clock that moves 1 us per read and when slept on, waking 50 us after the
// time asked, or 1.5 ms while `late`.
struct FakeClock {
    std::int64_t now;
    bool late;
    int rests;
} fake;
const TickClock fakeClock{[] { return fake.now += 1000; }, [](std::int64_t when) {
                              fake.now = std::max(fake.now, when) + (fake.late ? 3 * MS / 2 : MS / 20);
                              ++fake.rests;
                          }};

TEST(PacedTicks, FramesStartAtTheFirstAllowedTickAfterFewRests) {
    struct Case {
        const char* name;
        int checkEvery;
        std::int64_t startMs;
        int lateFrom, lateTo;              // the frames whose rests end late
        std::int32_t period, laterPeriod;  // the period from frame 100 on
        DWORD wantApart;                   // starts of frames 200 to 299
        int wantRests;                     // over those 100 frames
    };
    const Case cases[] = {
        {"checked every frame", 1, 1000, 0, 0, 20, 20, 20, 200},
        {"checked every 50 frames", 50, 1000, 0, 0, 20, 20, 20, 102},
        {"rests ending late, checked every frame", 1, 1000, 0, 300, 20, 20, 20, 100},
        {"one rest ending late", 50, 1000, 160, 161, 20, 20, 20, 102},
        {"across the tick count's wrap", 1, (std::int64_t{1} << 32) - 3000, 0, 0, 20, 20, 20, 200},
        {"the period shortened", 50, 1000, 0, 0, 20, 10, 10, 102},
        {"the period lengthened", 50, 1000, 0, 0, 20, 30, 30, 102},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake = {c.startMs * MS, false, 0};
        std::vector<DWORD> apart;
        PacedTicks ticks{c.checkEvery};
        DWORD start = waitForFrame(ticks, fakeClock, readPacedTick(ticks, fakeClock), c.period);
        notePacedPresent(ticks);
        for (int frame = 1; frame < 300; ++frame) {
            fake.late = frame >= c.lateFrom && frame < c.lateTo;
            if (frame == 200) fake.rests = 0;
            const DWORD next = waitForFrame(ticks, fakeClock, start, frame < 100 ? c.period : c.laterPeriod);
            if (frame > 200) apart.push_back(next - start);
            fake.now += 4 * MS / 10;  // the frame's work
            notePacedPresent(ticks);
            start = next;
        }
        EXPECT_EQ(apart, std::vector<DWORD>(99, c.wantApart));
        EXPECT_EQ(fake.rests, c.wantRests);
    }
}

}  // namespace
