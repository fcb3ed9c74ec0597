#include "platform/common/cp932.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp932ToUtf8, ConvertsTextsAndMarksDamagedBytes) {
    struct Case {
        const char* name;
        std::string_view cp932;
        std::string_view utf8;
    };
    const Case cases[] = {
        {"ascii", "Error", "Error"},
        {"empty", "", ""},
        {"kanji", "\x89\xe6\x96\xca", "\xe7\x94\xbb\xe9\x9d\xa2"},                // 画面
        {"katakana and ascii", "\x83\x74\x83\x40[a]", "\xe3\x83\x95\xe3\x82\xa1[a]"},  // ファ[a]
        {"lead byte at the end", "a\x82", "a\xef\xbf\xbd"},
        {"bad trail byte", "\x82\x20z", "\xef\xbf\xbd z"},
    };
    for (const Case& c : cases) EXPECT_EQ(cp932ToUtf8(c.cp932), c.utf8) << c.name;
}

TEST(Cp932ToUtf8, LongTextsPassTheBufferBoundary) {
    std::string text;
    for (int i = 0; i < 300; ++i) text += "\x89\xe6";
    std::string expected;
    for (int i = 0; i < 300; ++i) expected += "\xe7\x94\xbb";
    EXPECT_EQ(cp932ToUtf8(text), expected);
}

}  // namespace
