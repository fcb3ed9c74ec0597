#include "platform/common/cp932.h"

#include <gtest/gtest.h>

#include "platform/common/messages.h"
#include "util/error.h"

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

namespace {

// Every message text of the program has its English line, its number or
// name carried over; other texts have none.
TEST(EnglishMessageLine, TranslatesTheProgramsTextsOnly) {
    char alloc[ERROR_TEXT_CAPACITY + 1], missing[ERROR_TEXT_CAPACITY + 1];
    formatErrorText(alloc, MSG_ALLOC_FAILED, -64);
    formatErrorText(missing, MSG_FILE_NOT_FOUND, "tes256.bmp");
    const std::string cut = std::string(alloc).substr(0, std::string(alloc).size() - 2);  // no suffix
    const std::pair<std::string, std::string> cases[] = {
        {alloc, "Could not allocate -64 bytes of memory."},
        {missing, "File [tes256.bmp] not found."},
        {MSG_SURFACE_FAILED, "Could not create the screen buffers."},
        {"Error", ""},
        {cut, ""},
        {"x\x82\xcc\x97\xcc\x88\xe6", ""},
    };
    for (const auto& [cp932, english] : cases) EXPECT_EQ(englishMessageLine(cp932ToUtf8(cp932)), english) << english;
}

}  // namespace
