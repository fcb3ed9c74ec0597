#include "platform/headless/replay_script.h"

#include <charconv>
#include <cstdint>

namespace vantir {

namespace {

std::vector<std::string_view> splitWords(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

// A whole word as a decimal integer within [min, max].
bool parseInt(std::string_view word, std::int64_t min, std::int64_t max, std::int64_t* out) {
    std::int64_t value = 0;
    const char* end = word.data() + word.size();
    const char* first = word.data();
    if (first != end && *first == '+') return false;  // from_chars takes no '+'; say so plainly
    const auto [ptr, ec] = std::from_chars(first, end, value);
    if (ec != std::errc() || ptr != end || value < min || value > max) return false;
    *out = value;
    return true;
}

bool validShotName(std::string_view name) {
    if (name.empty() || name.size() > REPLAY_MAX_SHOT_NAME || name[0] == '.') return false;
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                        c == '-' || c == '.';
        if (!ok) return false;
    }
    return true;
}

struct PointCommand {
    std::string_view word;
    UINT message;
};
constexpr PointCommand POINT_COMMANDS[] = {
    {"move", WM_MOUSEMOVE}, {"ldown", WM_LBUTTONDOWN}, {"lup", WM_LBUTTONUP},
    {"rdown", WM_RBUTTONDOWN}, {"rup", WM_RBUTTONUP},
};

constexpr std::int64_t LONG_MIN_VALUE = INT32_MIN;
constexpr std::int64_t LONG_MAX_VALUE = INT32_MAX;

// A word as it can be shown in a one-line message: at most 32 bytes, anything
// outside printable ASCII as \xNN.
std::string quoteWord(std::string_view word) {
    constexpr std::size_t SHOWN = 32;
    std::string out = "'";
    for (std::size_t i = 0; i < word.size() && i < SHOWN; ++i) {
        const unsigned char c = static_cast<unsigned char>(word[i]);
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            static constexpr char HEX[] = "0123456789abcdef";
            out += "\\x";
            out += HEX[c >> 4];
            out += HEX[c & 15];
        }
    }
    if (word.size() > SHOWN) out += "...";
    return out + "'";
}

}  // namespace

ReplayParseResult parseReplayScript(std::string_view text) {
    ReplayParseResult result;
    ReplayScript& script = result.script;
    bool clientGiven = false;
    bool frameQueued = false;  // an idle pass (and so a frame) comes before this line
    LONG lastX = 0, lastY = 0;

    int lineNumber = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        ++lineNumber;
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        const std::vector<std::string_view> words = splitWords(line);
        if (words.empty()) continue;
        auto fail = [&](std::string message) {
            result.ok = false;
            result.errorLine = lineNumber;
            result.error = std::move(message);
            return result;
        };
        auto wantArgs = [&](std::size_t count) { return words.size() == count + 1; };
        const std::string command(words[0]);

        ReplayCommand out{};
        out.kind = ReplayCommand::MESSAGE;
        out.line = lineNumber;
        if (command == "client") {
            if (!script.commands.empty() || clientGiven) return fail("client must come once, before any other command");
            std::int64_t w = 0, h = 0;
            // A side of 1 passes this check only to get its own reason below.
            if (!wantArgs(2) || !parseInt(words[1], 1, REPLAY_MAX_CLIENT_SIDE, &w) ||
                !parseInt(words[2], 1, REPLAY_MAX_CLIENT_SIDE, &h))
                return fail("client needs a width and a height, each 2 to " + std::to_string(REPLAY_MAX_CLIENT_SIDE));
            // The back buffer is the width rounded down to even by the height
            // less one row, so a side of 1 leaves it empty; a shot of it would
            // be an image no viewer opens.
            if (w < 2 || h < 2)
                return fail("client " + std::to_string(w) + " " + std::to_string(h) +
                            " leaves the back buffer no " + (w < 2 ? "column" : "row") +
                            ": it is the width rounded down to even by the height less one");
            script.clientWidth = static_cast<int>(w);
            script.clientHeight = static_cast<int>(h);
            clientGiven = true;
            continue;
        }
        bool known = false;
        for (const PointCommand& p : POINT_COMMANDS) {
            if (command != p.word) continue;
            known = true;
            std::int64_t x = 0, y = 0;
            if (!wantArgs(2) || !parseInt(words[1], LONG_MIN_VALUE, LONG_MAX_VALUE, &x) ||
                !parseInt(words[2], LONG_MIN_VALUE, LONG_MAX_VALUE, &y))
                return fail(command + " needs two 32-bit integer coordinates");
            out.message = p.message;
            lastX = out.x = static_cast<LONG>(x);
            lastY = out.y = static_cast<LONG>(y);
        }
        if (known) {
            // handled above
        } else if (command == "char") {
            std::int64_t c = 0;
            if (!wantArgs(1) || !parseInt(words[1], 0, 255, &c)) return fail("char needs a character code 0 to 255");
            out.message = WM_CHAR;
            out.wParam = static_cast<WPARAM>(c);
            out.x = lastX;
            out.y = lastY;
        } else if (command == "keydown" || command == "keyup") {
            std::int64_t key = 0;
            if (!wantArgs(1) || !parseInt(words[1], 1, 254, &key))
                return fail(command + " needs a virtual-key code 1 to 254");
            out.message = command == "keydown" ? WM_KEYDOWN : WM_KEYUP;
            out.wParam = static_cast<WPARAM>(key);
            out.x = lastX;
            out.y = lastY;
        } else if (command == "close") {
            if (!wantArgs(0)) return fail("close takes no arguments");
            out.message = WM_CLOSE;
            out.x = lastX;
            out.y = lastY;
        } else if (command == "idle") {
            std::int64_t n = 0;
            if (!wantArgs(1) || !parseInt(words[1], 0, REPLAY_MAX_IDLE, &n))
                return fail("idle needs a count 0 to " + std::to_string(REPLAY_MAX_IDLE));
            out.kind = ReplayCommand::IDLE;
            out.idleCount = static_cast<int>(n);
            frameQueued = frameQueued || n > 0;
        } else if (command == "shot") {
            if (!wantArgs(1) || !validShotName(words[1]))
                return fail("shot needs one name of letters, digits, '_', '-' and '.', not starting with '.'");
            // Frames run only on idle passes; before the first one the window
            // holds nothing the program drew.
            if (!frameQueued) return fail("shot before any frame: no idle pass has run yet (put 'idle 1' before it)");
            out.kind = ReplayCommand::SHOT;
            out.name = std::string(words[1]);
        } else {
            return fail("unknown command " + quoteWord(words[0]));
        }
        script.commands.push_back(std::move(out));
    }
    result.ok = true;
    return result;
}

}  // namespace vantir
