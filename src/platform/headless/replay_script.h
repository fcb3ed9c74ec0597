// Replay scripts: scripted input for the real program on the headless backend.
//
// One command a line; '#' starts a comment, blank lines are ignored:
//   client W H      the window's client size, only before any other command;
//                   W and H 1..4096, and the back buffer (W rounded down to
//                   even by H - 1) must keep a column and a row: W, H >= 2
//   move X Y, ldown X Y, lup X Y, rdown X Y, rup X Y
//                   a mouse message with its cursor position (X, Y), 32-bit
//   char C          WM_CHAR with the decimal character code C (0..255)
//   keydown K, keyup K
//                   WM_KEYDOWN / WM_KEYUP of the virtual-key code K (1..254);
//                   a key-down becomes a character as on Windows: keydown 16
//                   (Shift), keydown 65 makes 'A', keydown 65 alone 'a'

//   close           a close request
//   idle N          N idle passes in a row (N frames), N 0..1,000,000
//   shot NAME       the image the last frame presented, saved as NAME.bmp;
//                   only after an idle pass, since no frame runs before one
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win32.h"

namespace vantir {

constexpr int REPLAY_DEFAULT_CLIENT_WIDTH = 512;
constexpr int REPLAY_DEFAULT_CLIENT_HEIGHT = 480;
constexpr int REPLAY_MAX_CLIENT_SIDE = 4096;
constexpr int REPLAY_MAX_IDLE = 1000000;
constexpr std::size_t REPLAY_MAX_SHOT_NAME = 64;

struct ReplayCommand {
    enum Kind { MESSAGE, IDLE, SHOT } kind = MESSAGE;
    UINT message = 0;    // MESSAGE
    WPARAM wParam = 0;   // MESSAGE: the character of `char`, the key of `keydown` and `keyup`
    LONG x = 0, y = 0;   // MESSAGE: pt; `char`, keys and `close` repeat the last one given
    int idleCount = 0;   // IDLE
    std::string name;    // SHOT: letters, digits, '_', '-', '.', not starting with '.'
    int line = 0;
};

struct ReplayScript {
    int clientWidth = REPLAY_DEFAULT_CLIENT_WIDTH;
    int clientHeight = REPLAY_DEFAULT_CLIENT_HEIGHT;
    std::vector<ReplayCommand> commands;
};

struct ReplayParseResult {
    bool ok = false;
    ReplayScript script;
    int errorLine = 0;  // 1-based line of the first malformed line
    std::string error;  // what is wrong with it
};

// Parses a whole script; stops at the first malformed line.
ReplayParseResult parseReplayScript(std::string_view text);

}  // namespace vantir
