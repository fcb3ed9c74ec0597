// vantir-bench-present: presentation of one demo frame through the SDL2
// backend (BitBlt into the window image, then the texture upload and present).
// Needs a display; without one every benchmark reports that it was skipped.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench_scene.h"
#include "video/screen.h"

namespace {

HWND window = nullptr;
const char* skipReason = nullptr;

void BM_PresentFrame(benchmark::State& state) {
    if (skipReason) {
        state.SkipWithError(skipReason);
        return;
    }
    setFramePeriod(0);  // no pacing: beginFrame only takes the device context
    renderDemoFrame();
    for (auto _ : state) {
        beginFrame(window, 0);  // no clear: the frame drawn above stays
        presentFrame();
    }
    state.counters["sum"] = checksumCounter(backBufferChecksum());
}
BENCHMARK(BM_PresentFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SDL_SetMainReady();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        skipReason = "no display: SDL cannot open a window";
    } else {
        const char* driver = SDL_GetCurrentVideoDriver();
        if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0))
            skipReason = "no display: SDL runs without a screen";
        else if (!(window = startDemo()))
            skipReason = "the demo did not start";
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (window) stopDemo();
    SDL_Quit();
    return 0;
}
