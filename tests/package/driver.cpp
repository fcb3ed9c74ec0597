// Runs the program it is linked with on the headless backend for 30 frames
// and prints the hash of the last one (as vantir-replay prints a shot).
#include <cstdio>
#include <vantir/platform/headless/headless.h>
#include <vantir/platform/headless/shot.h>
#include <vantir/video/back_buffer.h>

int main() {
    vantir::headlessReset(512, 480);
    vantir::headlessQueueIdle(30);
    vantir::headlessQueueCall([] {
        const vantir::Shot shot = vantir::takeShot(vantir::headlessWindowImage(), vantir::screenWidth(),
                                                   vantir::screenHeight());
        std::printf("%s\n", vantir::formatShotHash(vantir::hashShot(shot)).c_str());
        PostQuitMessage(0);
    });
    return WinMain(nullptr, nullptr, nullptr, SW_SHOWNORMAL);
}
