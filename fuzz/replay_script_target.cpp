// Replay scripts from the fuzzer: the parser must take any bytes (NULs,
// lone carriage returns, endless lines, huge numbers) and answer either a
// script whose every command is one the tool can queue as it stands, or the
// first bad line with a reason.
#include <string_view>

#include "fuzz_input.h"
#include "fuzz_targets.h"
#include "platform/headless/replay_script.h"

using namespace vantir;

namespace {

bool validName(const std::string& name) {
    if (name.empty() || name.size() > REPLAY_MAX_SHOT_NAME || name[0] == '.') return false;
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
              c == '.'))
            return false;
    return true;
}

bool knownMessage(UINT m) {
    return m == WM_MOUSEMOVE || m == WM_LBUTTONDOWN || m == WM_LBUTTONUP || m == WM_RBUTTONDOWN ||
           m == WM_RBUTTONUP || m == WM_CHAR || m == WM_KEYDOWN || m == WM_KEYUP || m == WM_CLOSE;
}

}  // namespace

int fuzzReplayScript(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ReplayParseResult r = parseReplayScript(text);
    // Lines are counted by '\n'; one more when the text does not end in one.
    std::size_t lines = 0;
    for (char c : text) lines += c == '\n';
    if (!text.empty() && text.back() != '\n') ++lines;

    if (!r.ok) {
        fuzzCheck(r.errorLine >= 1 && static_cast<std::size_t>(r.errorLine) <= lines, "the bad line is a line");
        fuzzCheck(!r.error.empty(), "a refusal says why");
        return 0;
    }
    fuzzCheck(r.errorLine == 0 && r.error.empty(), "an accepted script carries no error");
    const ReplayScript& s = r.script;
    fuzzCheck(s.clientWidth >= 2 && s.clientWidth <= REPLAY_MAX_CLIENT_SIDE && s.clientHeight >= 2 &&
                  s.clientHeight <= REPLAY_MAX_CLIENT_SIDE,
              "client size within bounds, with a back buffer of at least one pixel");
    int lastLine = 0;
    bool frameBefore = false;
    for (const ReplayCommand& c : s.commands) {
        fuzzCheck(c.line > lastLine && static_cast<std::size_t>(c.line) <= lines, "commands in line order");
        lastLine = c.line;
        switch (c.kind) {
        case ReplayCommand::MESSAGE: {
            fuzzCheck(knownMessage(c.message), "a message the tool sends");
            const bool key = c.message == WM_KEYDOWN || c.message == WM_KEYUP;
            fuzzCheck(c.message == WM_CHAR ? c.wParam <= 255 : key ? c.wParam >= 1 && c.wParam <= 254 : c.wParam == 0,
                      "wParam of the message");
            break;
        }
        case ReplayCommand::IDLE:
            fuzzCheck(c.idleCount >= 0 && c.idleCount <= REPLAY_MAX_IDLE, "idle count within bounds");
            frameBefore = frameBefore || c.idleCount > 0;
            break;
        case ReplayCommand::SHOT:
            fuzzCheck(validName(c.name), "a shot name that is a plain file name");
            fuzzCheck(frameBefore, "a shot after a frame");
            break;
        default:
            fuzzCheck(false, "a command kind the tool knows");
        }
    }
    // Parsing is a pure function of the text.
    const ReplayParseResult again = parseReplayScript(text);
    fuzzCheck(again.ok && again.script.commands.size() == s.commands.size(), "parsing is repeatable");
    return 0;
}
