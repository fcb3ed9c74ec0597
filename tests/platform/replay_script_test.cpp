#include "platform/headless/replay_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <tuple>
#include <utility>

using namespace vantir;

namespace {

TEST(ReplayScript, ReadsEveryCommand) {
    const ReplayParseResult r = parseReplayScript(
        "# a comment\nclient 320 200\n\n  move 10 -20   # trailing comment\r\nldown 1 2\nlup 3 4\nrdown 5 6\n"
        "rup 7 8\nchar 27\nclose\nidle 3\nshot still_1.a\n");
    ASSERT_TRUE(r.ok) << r.errorLine << ": " << r.error;
    EXPECT_EQ((std::array{r.script.clientWidth, r.script.clientHeight}), (std::array{320, 200}));
    const auto& c = r.script.commands;
    ASSERT_EQ(c.size(), 9u);
    // Message, line, position: char and close repeat the last position.
    const std::tuple<UINT, int, LONG, LONG> messages[] = {
        {WM_MOUSEMOVE, 4, 10, -20}, {WM_LBUTTONDOWN, 5, 1, 2}, {WM_LBUTTONUP, 6, 3, 4}, {WM_RBUTTONDOWN, 7, 5, 6},
        {WM_RBUTTONUP, 8, 7, 8},    {WM_CHAR, 9, 7, 8},        {WM_CLOSE, 10, 7, 8}};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(c[i].kind, ReplayCommand::MESSAGE) << "command " << i;
        EXPECT_EQ(std::tuple(c[i].message, c[i].line, c[i].x, c[i].y), messages[i]) << "command " << i;
    }
    EXPECT_EQ(c[5].wParam, 27u);
    EXPECT_EQ(std::pair(c[7].kind, c[7].idleCount), std::pair(ReplayCommand::IDLE, 3));
    EXPECT_EQ(std::pair(c[8].kind, c[8].name), std::pair(ReplayCommand::SHOT, std::string("still_1.a")));
    // Defaults: 512 x 480, and a character before any position carries 0, 0.
    for (const char* text : {"", "\n\n", "# only a comment", "   \t  \nchar 65"}) {
        const ReplayParseResult d = parseReplayScript(text);
        ASSERT_TRUE(d.ok) << text;
        EXPECT_EQ((std::array{d.script.clientWidth, d.script.clientHeight}), (std::array{512, 480})) << text;
        for (const ReplayCommand& command : d.script.commands)
            EXPECT_EQ((std::array{command.x, command.y}), (std::array<LONG, 2>{0, 0})) << text;
    }
    EXPECT_TRUE(parseReplayScript("client 2 2\nmove -2147483648 2147483647\nidle 0\nchar 0").ok);
    EXPECT_TRUE(parseReplayScript("client 4096 4096").ok);
}

// Keys: a virtual-key code 1 to 254, pressed or released at the last position.
TEST(ReplayScript, ReadsKeys) {
    const ReplayParseResult r = parseReplayScript("move 3 4\nkeydown 1\nkeyup 254\n");
    ASSERT_TRUE(r.ok) << r.errorLine << ": " << r.error;
    const auto& c = r.script.commands;
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(std::tuple(c[1].message, c[1].wParam, c[1].x, c[1].y), std::tuple(WM_KEYDOWN, WPARAM{1}, 3, 4));
    EXPECT_EQ(std::tuple(c[2].message, c[2].wParam), std::tuple(WM_KEYUP, WPARAM{254}));
    const std::string down = "keydown needs a virtual-key code 1 to 254", up = "keyup needs a virtual-key code 1 to 254";
    const std::pair<const char*, std::string> refused[] = {
        {"keydown 0", down}, {"keyup 255", up}, {"keydown", down}, {"keyup a", up}, {"keydown 1 2", down}};
    for (const auto& [text, reason] : refused) {
        const ReplayParseResult bad = parseReplayScript(text);
        EXPECT_EQ(std::tuple(bad.ok, bad.errorLine, bad.error), std::tuple(false, 1, reason)) << text;
    }
}

// Each script's fault is on its last line: the error names that line and
// says what is wrong with it.
TEST(ReplayScript, MalformedLinesAreReportedWithTheirNumberAndReason) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"unknown command '", {"jump 1 2", "MOVE 1 2"}},
        {"client must come once, before any other command", {"idle 1\nclient 100 100", "client 2 2\nclient 2 2"}},
        {"client needs a width and a height, each 2 to 4096",
         {"client 0 100", "client 4097 100", "client 100", "client 100 100 100"}},
        {"client 1 100 leaves the back buffer no column", {"client 1 100"}},
        {"move needs two 32-bit integer coordinates",
         {"move 1", "move 1 2 3", "move x 2", "move 1.5 2", "move +1 2", "move 2147483648 0", "move -2147483649 0"}},
        {"ldown needs two 32-bit integer coordinates", {"ldown 1 2\tlup 3 4"}},
        {"char needs a character code 0 to 255", {"char 256", "char -1", "char a", "char"}},
        {"close takes no arguments", {"close now"}},
        {"idle needs a count 0 to 1000000",
         {"idle -1", "idle 1000001", "idle", "\n\n\nidle 99999999999999999999999", std::string("idle 1\0002", 8)}},
        {"shot needs one name", {"idle 1\nshot", "idle 1\nshot a b", "idle 1\nshot ../escape", "idle 1\nshot .hidden",
                                  "idle 1\nshot a/b", "idle 1\nshot " + std::string(70, '0')}},
    };
    for (const auto& [reason, texts] : cases) {
        for (const std::string& text : texts) {
            const ReplayParseResult r = parseReplayScript(text);
            EXPECT_FALSE(r.ok) << text;
            EXPECT_EQ(r.errorLine, 1 + std::count(text.begin(), text.end(), '\n')) << text;
            EXPECT_EQ(r.error.substr(0, reason.size()), reason) << text;
        }
    }
}

}  // namespace
