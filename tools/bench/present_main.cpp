// vantir-bench-present: presentation of demo frames through the SDL2 backend
// (BitBlt into the window image, then the rows that changed onto the window's
// framebuffer). `changed:0` presents the same frame again, which the backend
// finds already on screen; `changed:1` presents two poses in turn, so every
// present puts the sphere's rows on screen (each iteration also copies the
// frame into the back buffer, about 20 us). Needs a display; without one it
// says so, runs nothing and exits 0.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench_scene.h"
#include "video/screen.h"

using namespace vantir;

namespace {

HWND window = nullptr;

void BM_PresentFrame(benchmark::State& state) {
    setFramePeriod(0);  // no pacing: beginFrame only takes the device context
    const std::size_t pixels = static_cast<std::size_t>(screenWidth()) * screenHeight();
    std::vector<Rgb555> poses[2];
    for (int pose = 0; pose < 2; ++pose) {
        setDemoPose(pose);
        renderDemoFrame();
        poses[pose].assign(backBufferPixels(), backBufferPixels() + pixels);
    }
    std::uint64_t sum = 0;
    int next = 0;
    for (auto _ : state) {
        beginFrame(window, 0);  // no clear: the frame copied in stays
        if (state.range(0) || next == 0) std::memcpy(backBufferPixels(), poses[next & 1].data(), pixels * 2);
        ++next;
        presentFrame();
    }
    for (const auto& pose : poses) sum ^= checksumBytes(pose.data(), pixels * 2);
    state.counters["sum"] = checksumCounter(sum);
}
BENCHMARK(BM_PresentFrame)->ArgName("changed")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SDL_SetMainReady();
    const char* skipReason = nullptr;
    const auto unset = [](const char* name) { return !std::getenv(name) || !*std::getenv(name); };
    // Asked first: SDL's own probing would print its backends' complaints.
    if (unset("DISPLAY") && unset("WAYLAND_DISPLAY") && unset("SDL_VIDEODRIVER")) {
        skipReason = "no display: neither DISPLAY nor WAYLAND_DISPLAY is set";
    } else if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        skipReason = "no display: SDL cannot open a window";
    } else {
        const char* driver = SDL_GetCurrentVideoDriver();
        if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0))
            skipReason = "no display: SDL runs without a screen";
    }
    if (skipReason) {
        // Nothing to measure here is no failure: say why, and succeed.
        std::fprintf(stderr, "vantir-bench-present: skipped, %s\n", skipReason);
        benchmark::Shutdown();
        SDL_Quit();
        return 0;
    }
    if (!(window = startDemo())) {  // it said why
        SDL_Quit();
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    stopDemo();
    SDL_Quit();
    return 0;
}
