// vantir-replay [--program NAME] SCRIPT OUTDIR
//
// Runs a real program (the demo, or another program on the shell) on the
// headless backend under a replay script. Every `shot NAME` writes OUTDIR/NAME.bmp and prints
// "NAME WxH HASH" on standard output. The exit codes are in USAGE below.
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "app/demo/demo.h"
#include "gallery/gallery.h"
#include "platform/headless/headless.h"
#include "platform/headless/replay_script.h"
#include "platform/headless/shot.h"
#include "video/back_buffer.h"

using namespace vantir;

namespace fs = std::filesystem;

namespace {

constexpr int EXIT_FAILED = 1;         // a malformed script, a file not read or written, no window
constexpr int EXIT_USAGE = 2;          // wrong arguments
constexpr int EXIT_SHOTS_MISSING = 3;  // the program ended before some shots

// The programs the tool can run, by the name --program takes.
struct NamedProgram {
    const char* name;
    const Program* program;
};
const NamedProgram PROGRAMS[] = {{"demo", &demoProgram}, {"gallery", &galleryProgram}};

constexpr char SHORT_USAGE[] = "usage: vantir-replay [--program demo|gallery] SCRIPT OUTDIR\n";
constexpr char USAGE[] =
    "usage: vantir-replay [--program demo|gallery] SCRIPT OUTDIR\n"
    "\n"
    "Runs a program (the demo unless --program names the gallery) on a window in\n"
    "memory under the input of SCRIPT, in the current directory (the programs read\n"
    "their textures from data/ below it). Every shot\n"
    "is written as OUTDIR/NAME.bmp (OUTDIR is created if missing) and printed as\n"
    "'NAME WIDTHxHEIGHT HASH' on standard output.\n"
    "\n"
    "SCRIPT holds one command a line; '#' starts a comment:\n"
    "  client W H   the client size, before any other command; W, H 2..4096\n"
    "               (default 512 480)\n"
    "  move X Y     the mouse moves to (X, Y); ldown, lup, rdown and rup X Y press\n"
    "               and release a button there; X, Y 32-bit integers\n"
    "  char C       a typed character, C its decimal code 0..255 (27: Escape, quits)\n"
    "  keydown K    a key pressed, K its virtual-key code 1..254 (65 'A', 16 Shift);\n"
    "               it types its character as on Windows ('a', or 'A' with Shift)\n"
    "  keyup K      the key released\n"
    "  close        a close request (the program ends)\n"
    "  idle N       N frames, N 0..1000000\n"
    "  shot NAME    the last frame presented, as NAME.bmp; NAME 1..64 letters,\n"
    "               digits, '_', '-', '.', not starting with '.'; only after an\n"
    "               idle, since no frame runs before one\n"
    "A shot is W rounded down to even by H - 1 pixels (the back buffer), 16-bit.\n"
    "\n"
    "Exit status:\n"
    "  0  every shot written\n"
    "  1  a malformed script (nothing runs), a file not read or written, or the\n"
    "     program could not open its window\n"
    "  2  wrong arguments\n"
    "  3  the program ended (Escape, close) before some shots; they are named\n";

std::string systemReason(int error) { return std::strerror(error); }

// The whole file, or the system's reason it could not be read.
bool readFile(const fs::path& path, std::string* text, std::string* reason) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *reason = systemReason(errno);
        return false;
    }
    char buffer[1 << 16];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text->append(buffer, count);
    const int error = errno;
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) *reason = systemReason(error);
    return !failed;
}

bool writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes, std::string* reason) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        *reason = systemReason(errno);
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    int error = errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) *reason = systemReason(error);
    return written;
}

// Progress of long runs, on a terminal only: "frame N of TOTAL", redrawn in
// place at most five times a second and only after the first second.
struct Progress {
    bool enabled = false;
    long long frames = 0;
    long long total = 0;
    std::chrono::steady_clock::time_point start, lastShown;
    bool shown = false;
};
Progress progress;
constexpr int PROGRESS_STEP = 500;  // frames between two looks at the clock

void showProgress() {
    const auto now = std::chrono::steady_clock::now();
    if (now - progress.start < std::chrono::seconds(1) || now - progress.lastShown < std::chrono::milliseconds(200))
        return;
    std::fprintf(stderr, "\rvantir-replay: frame %lld of %lld (%lld%%)", progress.frames, progress.total,
                 progress.frames * 100 / progress.total);
    progress.lastShown = now;
    progress.shown = true;
}

void clearProgress() {
    if (progress.shown) std::fprintf(stderr, "\r\033[K");
    progress.shown = false;
}

struct ShotRecord {
    std::string name;
    int line;
};
std::vector<ShotRecord> shotsQueued;
int shotsTaken = 0;
bool writeFailed = false;

void writeShot(const fs::path& outDir, const std::string& name) {
    ++shotsTaken;
    // The program presents screenWidth x screenHeight pixels at the client's top-left.
    const Shot shot = takeShot(headlessWindowImage(), screenWidth(), screenHeight());
    const fs::path file = outDir / (name + ".bmp");
    std::string reason;
    clearProgress();
    if (!writeFile(file, encodeShotBmp(shot), &reason)) {
        std::fprintf(stderr, "vantir-replay: cannot write %s: %s\n", file.c_str(), reason.c_str());
        writeFailed = true;
    }
    std::printf("%s %dx%d %s\n", name.c_str(), shot.width, shot.height, formatShotHash(hashShot(shot)).c_str());
    if (std::fflush(stdout) != 0 && !writeFailed) {
        std::fprintf(stderr, "vantir-replay: cannot write the standard output: %s\n", systemReason(errno).c_str());
        writeFailed = true;
    }
}

void queueIdle(int count) {
    if (!progress.enabled) {
        headlessQueueIdle(count);
        return;
    }
    for (int left = count; left > 0; left -= PROGRESS_STEP) {
        const int step = left < PROGRESS_STEP ? left : PROGRESS_STEP;
        headlessQueueIdle(step);
        // Calls take no idle pass, so the frames are those of the plain script.
        headlessQueueCall([step] {
            progress.frames += step;
            showProgress();
        });
    }
}

int run(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(USAGE, stdout);
        return 0;
    }
    const Program* program = &demoProgram;
    std::vector<const char*> operands;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--program") == 0 && i + 1 < argc) {
            const char* name = argv[++i];
            program = nullptr;
            for (const NamedProgram& p : PROGRAMS)
                if (std::strcmp(name, p.name) == 0) program = p.program;
            if (!program) {
                std::fprintf(stderr, "vantir-replay: no program called '%s' (demo or gallery)\n%s", name, SHORT_USAGE);
                return EXIT_USAGE;
            }
        } else if (arg[0] == '-' && arg[1] != '\0') {
            std::fprintf(stderr, "vantir-replay: unknown option %s\n%s", arg, SHORT_USAGE);
            return EXIT_USAGE;
        } else {
            operands.push_back(arg);
        }
    }
    if (operands.size() != 2) {
        std::fputs(USAGE, stderr);
        return EXIT_USAGE;
    }
    const char* const names[] = {"SCRIPT (the replay script)", "OUTDIR (the directory for the shots)"};
    for (int i = 0; i < 2; ++i) {
        if (operands[i][0] == '\0') {
            std::fprintf(stderr, "vantir-replay: argument %d, %s, is empty\n%s", i + 1, names[i], SHORT_USAGE);
            return EXIT_USAGE;
        }
    }
    // The program changes into "data" during start-up: fix both paths first.
    std::error_code error;
    fs::path paths[2];
    for (int i = 0; i < 2; ++i) {
        paths[i] = fs::absolute(operands[i], error);
        if (error) {
            std::fprintf(stderr, "vantir-replay: %s: %s\n", operands[i], error.message().c_str());
            return EXIT_FAILED;
        }
    }
    const fs::path& scriptPath = paths[0];
    const fs::path& outDir = paths[1];

    std::string text, reason;
    if (!readFile(scriptPath, &text, &reason)) {
        std::fprintf(stderr, "vantir-replay: cannot read %s: %s\n", operands[0], reason.c_str());
        return EXIT_FAILED;
    }
    const ReplayParseResult parsed = parseReplayScript(text);
    if (!parsed.ok) {
        std::fprintf(stderr, "%s:%d: %s\n", operands[0], parsed.errorLine, parsed.error.c_str());
        return EXIT_FAILED;
    }
    fs::create_directories(outDir, error);
    if (!error && !fs::is_directory(outDir, error) && !error) error = std::make_error_code(std::errc::not_a_directory);
    if (error) {
        std::fprintf(stderr, "vantir-replay: cannot use %s as the output directory: %s\n", operands[1],
                     error.message().c_str());
        return EXIT_FAILED;
    }

    const ReplayScript& script = parsed.script;
    progress.enabled = isatty(STDERR_FILENO) != 0;
    for (const ReplayCommand& c : script.commands)
        if (c.kind == ReplayCommand::IDLE) progress.total += c.idleCount;
    progress.start = std::chrono::steady_clock::now();

    headlessReset(script.clientWidth, script.clientHeight);
    for (const ReplayCommand& c : script.commands) {
        switch (c.kind) {
            case ReplayCommand::MESSAGE:
                headlessQueueMessage(c.message, c.wParam, c.x, c.y);
                break;
            case ReplayCommand::IDLE:
                queueIdle(c.idleCount);
                break;
            case ReplayCommand::SHOT:
                headlessQueueCall([&outDir, name = c.name] { writeShot(outDir, name); });
                shotsQueued.push_back({c.name, c.line});
                break;
        }
    }

    const int result = runProgram(*program, nullptr, SW_SHOWDEFAULT);
    clearProgress();
    // Shots run in script order, so the ones not taken are the last ones.
    if (shotsTaken < static_cast<int>(shotsQueued.size())) {
        std::string missing;
        for (std::size_t i = static_cast<std::size_t>(shotsTaken); i < shotsQueued.size(); ++i)
            missing += (missing.empty() ? "" : ", ") + shotsQueued[i].name + " (line " +
                       std::to_string(shotsQueued[i].line) + ")";
        std::fprintf(stderr, "vantir-replay: the program ended before these shots, not written: %s\n",
                     missing.c_str());
    }
    if (writeFailed) return EXIT_FAILED;
    if (result != 0) return result;
    return shotsTaken < static_cast<int>(shotsQueued.size()) ? EXIT_SHOTS_MISSING : 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Out of memory (a huge script) is the one exception left; it ends the run in one line too.
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vantir-replay: %s\n", e.what());
        return EXIT_FAILED;
    }
}
