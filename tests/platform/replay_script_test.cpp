#include "platform/headless/replay_script.h"

#include <gtest/gtest.h>

namespace {

TEST(ReplayScript, ReadsEveryCommand) {
    const ReplayParseResult r = parseReplayScript(
        "# a comment\n"
        "client 320 200\n"
        "\n"
        "  move 10 -20   # trailing comment\r\n"
        "ldown 1 2\tlup 3 4\n"  // a tab separates words, so this line has too many: checked below
    );
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.errorLine, 5);

    const ReplayParseResult ok = parseReplayScript(
        "client 320 200\n"
        "move 10 -20\n"
        "ldown 1 2\n"
        "lup 3 4\n"
        "rdown 5 6\n"
        "rup 7 8\n"
        "char 27\n"
        "close\n"
        "idle 3\n"
        "shot still_1.a\n");
    ASSERT_TRUE(ok.ok) << ok.errorLine << ": " << ok.error;
    EXPECT_EQ(ok.script.clientWidth, 320);
    EXPECT_EQ(ok.script.clientHeight, 200);
    const auto& c = ok.script.commands;
    ASSERT_EQ(c.size(), 9u);
    const UINT messages[] = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CHAR, WM_CLOSE};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(c[i].kind, ReplayCommand::MESSAGE) << i;
        EXPECT_EQ(c[i].message, messages[i]) << i;
        EXPECT_EQ(c[i].line, i + 2) << i;
    }
    EXPECT_EQ(c[0].x, 10);
    EXPECT_EQ(c[0].y, -20);
    EXPECT_EQ(c[4].x, 7);
    // char and close repeat the last coordinates given.
    EXPECT_EQ(c[5].wParam, 27u);
    EXPECT_EQ(c[5].x, 7);
    EXPECT_EQ(c[5].y, 8);
    EXPECT_EQ(c[6].x, 7);
    EXPECT_EQ(c[7].kind, ReplayCommand::IDLE);
    EXPECT_EQ(c[7].idleCount, 3);
    EXPECT_EQ(c[8].kind, ReplayCommand::SHOT);
    EXPECT_EQ(c[8].name, "still_1.a");
}

TEST(ReplayScript, DefaultsAndEmptyScripts) {
    for (const char* text : {"", "\n\n", "# only a comment", "   \t  \n"}) {
        const ReplayParseResult r = parseReplayScript(text);
        ASSERT_TRUE(r.ok) << text;
        EXPECT_EQ(r.script.clientWidth, 512);
        EXPECT_EQ(r.script.clientHeight, 480);
        EXPECT_TRUE(r.script.commands.empty());
    }
    // A character before any position carries 0, 0.
    const ReplayParseResult r = parseReplayScript("char 65");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.script.commands[0].x, 0);
    EXPECT_EQ(r.script.commands[0].y, 0);
}

TEST(ReplayScript, MalformedLinesAreReportedWithTheirNumber) {
    struct Case {
        const char* text;
        int line;
    };
    const Case cases[] = {
        {"jump 1 2", 1},
        {"idle 1\nclient 100 100", 2},
        {"client 100 100\nclient 100 100", 2},
        {"client 0 100", 1},
        {"client 4097 100", 1},
        {"client 1 100", 1},  // a back buffer of no column
        {"client 100", 1},
        {"client 100 100 100", 1},
        {"move 1", 1},
        {"move 1 2 3", 1},
        {"move x 2", 1},
        {"move 1.5 2", 1},
        {"move +1 2", 1},
        {"move 2147483648 0", 1},
        {"move -2147483649 0", 1},
        {"char 256", 1},
        {"char -1", 1},
        {"char a", 1},
        {"char", 1},
        {"close now", 1},
        {"idle -1", 1},
        {"idle 1000001", 1},
        {"idle", 1},
        {"\n\n\nidle 99999999999999999999999", 4},
        {"shot", 1},
        {"shot a b", 1},
        {"shot ../escape", 1},
        {"shot .hidden", 1},
        {"shot a/b", 1},
        {"shot 0123456789012345678901234567890123456789012345678901234567890123456789", 1},
        {"MOVE 1 2", 1},
    };
    for (const Case& c : cases) {
        const ReplayParseResult r = parseReplayScript(c.text);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.errorLine, c.line) << c.text;
        EXPECT_FALSE(r.error.empty()) << c.text;
    }
    // A NUL byte inside a word makes it no number.
    const ReplayParseResult nul = parseReplayScript(std::string_view("idle 1\0002", 8));
    EXPECT_FALSE(nul.ok);
    EXPECT_EQ(nul.errorLine, 1);
    // Extremes that are fine.
    EXPECT_TRUE(parseReplayScript("client 2 2\nmove -2147483648 2147483647\nidle 0\nchar 0").ok);
    EXPECT_TRUE(parseReplayScript("client 4096 4096").ok);
}

}  // namespace
