// vantir-replay SCRIPT OUTDIR
//
// Runs the real program (WinMain) on the headless backend under a replay
// script. Every `shot NAME` writes OUTDIR/NAME.bmp and prints
// "NAME WxH HASH" on standard output. Exits with the program's own result, or
// non-zero when the script is malformed (nothing runs then) or a shot cannot
// be written.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "platform/headless/headless.h"
#include "platform/headless/replay_script.h"
#include "platform/headless/shot.h"
#include "video/back_buffer.h"

namespace fs = std::filesystem;

namespace {

bool shotFailed = false;
int shotsTaken = 0;

void writeShot(const fs::path& outDir, const std::string& name) {
    // The program presents screenWidth x screenHeight pixels at the client's top-left.
    const Shot shot = takeShot(headlessWindowImage(), screenWidth(), screenHeight());
    const std::vector<std::uint8_t> bmp = encodeShotBmp(shot);
    const fs::path file = outDir / (name + ".bmp");
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "vantir-replay: cannot write %s\n", file.c_str());
        shotFailed = true;
    }
    std::printf("%s %dx%d %s\n", name.c_str(), shot.width, shot.height, formatShotHash(hashShot(shot)).c_str());
    std::fflush(stdout);
    ++shotsTaken;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: vantir-replay SCRIPT OUTDIR\n");
        return 2;
    }
    // The program changes into "data" during start-up: fix both paths first.
    std::error_code error;
    const fs::path scriptPath = fs::absolute(argv[1], error);
    const fs::path outDir = fs::absolute(argv[2], error);
    if (error) {
        std::fprintf(stderr, "vantir-replay: %s\n", error.message().c_str());
        return 1;
    }

    std::ifstream in(scriptPath, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "vantir-replay: cannot read %s\n", scriptPath.c_str());
        return 1;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const ReplayParseResult parsed = parseReplayScript(text);
    if (!parsed.ok) {
        std::fprintf(stderr, "%s:%d: %s\n", argv[1], parsed.errorLine, parsed.error.c_str());
        return 1;
    }
    fs::create_directories(outDir, error);
    if (error || !fs::is_directory(outDir)) {
        std::fprintf(stderr, "vantir-replay: cannot use %s as the output directory\n", outDir.c_str());
        return 1;
    }

    const ReplayScript& script = parsed.script;
    headlessReset(script.clientWidth, script.clientHeight);
    int shotsQueued = 0;
    for (const ReplayCommand& c : script.commands) {
        switch (c.kind) {
            case ReplayCommand::MESSAGE:
                headlessQueueMessage(c.message, c.wParam, c.x, c.y);
                break;
            case ReplayCommand::IDLE:
                headlessQueueIdle(c.idleCount);
                break;
            case ReplayCommand::SHOT:
                headlessQueueCall([outDir, name = c.name] { writeShot(outDir, name); });
                ++shotsQueued;
                break;
        }
    }

    char commandLine[] = "";
    const int result = WinMain(nullptr, nullptr, commandLine, SW_SHOWDEFAULT);
    if (shotsTaken < shotsQueued)
        std::fprintf(stderr, "vantir-replay: the program ended before %d of the shots\n", shotsQueued - shotsTaken);
    if (shotFailed) return 1;
    return result;
}
