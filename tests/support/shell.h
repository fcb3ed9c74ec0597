// Shared pieces of the shell tests: a private working directory (start-up
// changes into "data"), a bare window for the screen and backend tests, and a
// clean slate after each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/sequences.h"
#include "platform/headless/headless.h"
#include "util/alloc.h"

using namespace vantir;

// A fresh temporary directory holding a "data" folder with the demo texture,
// made the working directory for the object's life; the previous one is
// restored afterwards.
class ScopedRunDirectory {
public:
    ScopedRunDirectory() {
        previous_ = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "vantir-shell-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
        std::filesystem::create_directory(root_ / "data");
        std::filesystem::copy_file(std::filesystem::path(VANTIR_SOURCE_DIR) / "data" / "tes256.bmp",
                                   root_ / "data" / "tes256.bmp");
        std::filesystem::current_path(root_);
    }
    ~ScopedRunDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(root_, ignored);
    }
    ScopedRunDirectory(const ScopedRunDirectory&) = delete;
    ScopedRunDirectory& operator=(const ScopedRunDirectory&) = delete;

    const std::filesystem::path& root() const { return root_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path root_;
};

// A window of the given client size whose procedure only does the defaults:
// nothing starts up inside its creation.
inline HWND createBareWindow(int clientWidth, int clientHeight) {
    headlessReset(clientWidth, clientHeight);
    WNDCLASSEX windowClass{};
    windowClass.cbSize = sizeof(WNDCLASSEX);
    windowClass.lpfnWndProc = DefWindowProc;
    windowClass.lpszClassName = "BARE";
    RegisterClassEx(&windowClass);
    return CreateWindowEx(0, "BARE", "bare", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 520, 508, nullptr,
                          nullptr, nullptr, nullptr);
}

// Undoes what a test may have left: injected failures, hooks, subsystems a
// run that quit by Escape or failed its start-up keeps (release accepts both),
// and last the backend's window, which such a run leaves open.
inline void resetShellState() {
    failAllocationsAfter(-1);
    headlessFailDibSections(0);
    headlessFailCompatibleDCs(0);
    setFrameHooks(nullptr, nullptr);
    shutDown();
    headlessReset();
}
