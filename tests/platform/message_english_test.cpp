#include "platform/common/message_english.h"

#include <gtest/gtest.h>

#include <string>

#include "util/error.h"

namespace {

// Every text the program shows, formatted as showError formats it, has its
// English line; anything else has none.
TEST(EnglishMessageLine, NamesEveryTextOfTheProgram) {
    struct Case {
        std::string cp932;
        std::string english;
    };
    const auto format = [](const char* pattern, auto... args) {
        char text[ERROR_TEXT_CAPACITY + 1];
        formatErrorText(text, pattern, args...);
        return std::string(text);
    };
    const std::string longName(100, 'n');
    const Case cases[] = {
        {format(MSG_ALLOC_FAILED, 6400), "Could not allocate 6400 bytes of memory."},
        {format(MSG_ALLOC_FAILED, -1), "Could not allocate -1 bytes of memory."},
        {format(MSG_FILE_NOT_FOUND, "tes256.bmp"), "File [tes256.bmp] not found."},
        // Cut to 99 bytes: the name as far as it goes.
        {format(MSG_FILE_NOT_FOUND, longName.c_str()), "File [" + longName.substr(0, 90) + "] not found."},
        {format("%s", MSG_SURFACE_FAILED), "Could not create the screen buffer."},
        {"Error", ""},
        {"", ""},
        {format(MSG_ALLOC_FAILED, 1).substr(1), ""},  // no count before the text
    };
    for (const Case& c : cases) EXPECT_EQ(englishMessageLine(c.cp932), c.english) << c.english;
}

}  // namespace
