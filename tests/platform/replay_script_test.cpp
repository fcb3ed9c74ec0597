#include "platform/headless/replay_script.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(r.script.clientWidth * 1000 + r.script.clientHeight, 320200);
    const auto& c = r.script.commands;
    ASSERT_EQ(c.size(), 9u);
    const UINT messages[] = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CHAR, WM_CLOSE};
    const int xs[] = {10, 1, 3, 5, 7, 7, 7}, ys[] = {-20, 2, 4, 6, 8, 8, 8};  // char and close repeat the last
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(c[i].kind, ReplayCommand::MESSAGE) << i;
        EXPECT_EQ(c[i].message, messages[i]) << i;
        EXPECT_EQ(c[i].line, i + 4) << i;
        EXPECT_EQ(c[i].x, xs[i]) << i;
        EXPECT_EQ(c[i].y, ys[i]) << i;
    }
    EXPECT_EQ(c[5].wParam, 27u);
    EXPECT_EQ(c[7].kind, ReplayCommand::IDLE);
    EXPECT_EQ(c[7].idleCount, 3);
    EXPECT_EQ(c[8].kind, ReplayCommand::SHOT);
    EXPECT_EQ(c[8].name, "still_1.a");
    // Defaults: 512 x 480, and a character before any position carries 0, 0.
    for (const char* text : {"", "\n\n", "# only a comment", "   \t  \nchar 65"}) {
        const ReplayParseResult d = parseReplayScript(text);
        ASSERT_TRUE(d.ok) << text;
        EXPECT_EQ(d.script.clientWidth * 1000 + d.script.clientHeight, 512480);
        for (const ReplayCommand& command : d.script.commands) EXPECT_EQ(command.x | command.y, 0);
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

TEST(ReplayScript, MalformedLinesAreReportedWithTheirNumber) {
    const std::pair<std::string, int> cases[] = {
        {"jump 1 2", 1}, {"idle 1\nclient 100 100", 2}, {"client 100 100\nclient 100 100", 2}, {"client 0 100", 1},
        {"client 4097 100", 1}, {"client 1 100", 1} /* no column */, {"client 100", 1}, {"client 100 100 100", 1}, {"move 1", 1}, {"move 1 2 3", 1},
        {"move x 2", 1}, {"move 1.5 2", 1}, {"move +1 2", 1}, {"move 2147483648 0", 1}, {"move -2147483649 0", 1},
        {"char 256", 1}, {"char -1", 1}, {"char a", 1}, {"char", 1}, {"close now", 1}, {"idle -1", 1},
        {"idle 1000001", 1}, {"idle", 1}, {"\n\n\nidle 99999999999999999999999", 4}, {"idle 1\nshot", 2}, {"idle 1\nshot a b", 2},
        {"idle 1\nshot ../escape", 2}, {"idle 1\nshot .hidden", 2}, {"idle 1\nshot a/b", 2},
        {"idle 1\nshot " + std::string(70, '0'), 2},
        {"MOVE 1 2", 1}, {"ldown 1 2\tlup 3 4", 1}, {std::string("idle 1\0002", 8), 1}};
    for (const auto& [text, line] : cases) {
        const ReplayParseResult r = parseReplayScript(text);
        EXPECT_FALSE(r.ok) << text;
        EXPECT_EQ(r.errorLine, line) << text;
        EXPECT_FALSE(r.error.empty()) << text;
    }
}

}  // namespace
