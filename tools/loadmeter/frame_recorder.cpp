// Records every frame of the program it is linked into, through the SDL
// backend's frame observer, and writes them when the program ends to the file
// VANTIR_LOADMETER_OUT names (nothing is recorded without it). One line per
// frame, times in nanoseconds, wall times on CLOCK_MONOTONIC, processor times
// of the program's thread:
//   tick reads wall_start cpu_first_read cpu_start cpu_present cpu_presented wall_present wall_presented
// The frame starts at its last tick read before the present; the pacing runs
// from its first read to that one.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/sdl/frame_observer.h"

using namespace vantir;

namespace {

struct FrameRecord {
    DWORD tick;
    int reads;
    std::int64_t wallStart, cpuFirstRead, cpuStart, cpuPresent, cpuPresented, wallPresent, wallPresented;
};

std::int64_t nanoseconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

struct Recorder {
    std::vector<FrameRecord> frames;
    FrameRecord current{};
    bool presented = true;  // the next read is a frame's first

    ~Recorder() {
        const char* path = std::getenv("VANTIR_LOADMETER_OUT");
        if (!path) return;
        std::FILE* out = std::fopen(path, "w");
        if (!out) return;
        for (const FrameRecord& f : frames)
            std::fprintf(out, "%u %d %lld %lld %lld %lld %lld %lld %lld\n", f.tick, f.reads,
                         static_cast<long long>(f.wallStart), static_cast<long long>(f.cpuFirstRead),
                         static_cast<long long>(f.cpuStart), static_cast<long long>(f.cpuPresent),
                         static_cast<long long>(f.cpuPresented), static_cast<long long>(f.wallPresent),
                         static_cast<long long>(f.wallPresented));
        std::fclose(out);
    }
} recorder;

void tickRead(DWORD tick) {
    const std::int64_t cpu = nanoseconds(CLOCK_THREAD_CPUTIME_ID);
    if (recorder.presented) {
        recorder.current = {};
        recorder.current.cpuFirstRead = cpu;
        recorder.presented = false;
    }
    ++recorder.current.reads;
    recorder.current.tick = tick;
    recorder.current.cpuStart = cpu;
    recorder.current.wallStart = nanoseconds(CLOCK_MONOTONIC);
}

void presentBegin() {
    recorder.current.cpuPresent = nanoseconds(CLOCK_THREAD_CPUTIME_ID);
    recorder.current.wallPresent = nanoseconds(CLOCK_MONOTONIC);
}

void presentEnd() {
    recorder.current.cpuPresented = nanoseconds(CLOCK_THREAD_CPUTIME_ID);
    recorder.current.wallPresented = nanoseconds(CLOCK_MONOTONIC);
    recorder.presented = true;
    recorder.frames.push_back(recorder.current);
}

struct Install {
    Install() {
        if (!std::getenv("VANTIR_LOADMETER_OUT")) return;
        recorder.frames.reserve(1 << 16);
        sdlFrameObserver = {tickRead, presentBegin, presentEnd};
    }
} install;

}  // namespace
