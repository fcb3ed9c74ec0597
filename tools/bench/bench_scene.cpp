#include "bench_scene.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/demo/demo.h"
#include "app/demo/demo_scene.h"
#include "app/sequences.h"
#include "render/ordering.h"
#include "scene/model.h"
#include "scene/transform.h"
#include "texture/texture.h"
#include "video/back_buffer.h"
#include "video/screen.h"

using namespace vantir;

namespace {
HWND demoWindow = nullptr;
}

HWND startDemo() { return startProgram(demoProgram); }

HWND startProgram(const Program& program) {
    std::error_code error;
    std::filesystem::current_path(VANTIR_SOURCE_DIR, error);
    if (error) {
        std::fprintf(stderr, "vantir-bench: cannot enter %s: %s\n", VANTIR_SOURCE_DIR, error.message().c_str());
        return nullptr;
    }
    WNDCLASSEX windowClass{};
    windowClass.cbSize = sizeof(WNDCLASSEX);
    windowClass.lpfnWndProc = DefWindowProc;
    windowClass.lpszClassName = "VANTIR-BENCH";
    RegisterClassEx(&windowClass);
    // The demo's outer size: a 512 x 480 client area.
    demoWindow = CreateWindowEx(0, "VANTIR-BENCH", "TEST", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 520, 508,
                                nullptr, nullptr, nullptr, nullptr);
    if (!demoWindow) {
        std::fprintf(stderr, "vantir-bench: no window\n");
        return nullptr;
    }
    setShellProgram(&program);
    if (startUp(demoWindow) < 0 || (&program == &demoProgram && !demoSceneBuilt())) {
        std::fprintf(stderr, "vantir-bench: the program did not start (are its textures in data/?)\n");
        return nullptr;
    }
    return demoWindow;
}

void stopDemo() {
    shutDown();
    if (demoWindow) DestroyWindow(demoWindow);
    demoWindow = nullptr;
}

void setDemoPose(int pose) {
    // Tilt (x) within -64..+96 and turn (z) within -64..+64, stored mod 1024:
    // as built; a fan of growing turns; every band at the upper limits; every
    // band at the lower limits.
    for (int part = 1; part < DEMO_PART_COUNT; ++part) {
        Vec4* rotation = partRotation(demoModel, part);
        switch (pose) {
        case 1: rotation->x = 16 * part; rotation->z = (1024 - 12 * part) & ANGLE_MASK; break;
        case 2: rotation->x = 96; rotation->z = 64; break;
        case 3: rotation->x = 960; rotation->z = 960; break;
        default: rotation->x = 0; rotation->z = 0; break;
        }
    }
}

void renderDemoFrame() {
    clearBackBuffer();
    animateTextures();
    transformAllModels();
    drawDisplayList();
}

void renderProgramFrame() {
    clearBackBuffer();
    drawFrame();
}

std::uint64_t checksumBytes(const void* data, std::size_t size, std::uint64_t hash) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

std::uint64_t backBufferChecksum() {
    return checksumBytes(backBufferPixels(),
                         static_cast<std::size_t>(screenWidth()) * static_cast<std::size_t>(screenHeight()) * 2);
}

double checksumCounter(std::uint64_t hash) {
    // 48 bits: a double holds them exactly, so equal outputs print equal.
    return static_cast<double>((hash ^ (hash >> 48)) & 0xffffffffffffull);
}
