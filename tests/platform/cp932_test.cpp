#include "platform/common/cp932.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/common/messages.h"
#include "util/error.h"

using namespace vantir;

namespace {

TEST(Cp932ToUtf8, ConvertsTextsAndMarksDamagedBytes) {
    std::string longText, longUtf8;  // past the converter's buffer
    for (int i = 0; i < 300; ++i) longText += "\x89\xe6";
    for (int i = 0; i < 300; ++i) longUtf8 += "\xe7\x94\xbb";
    const std::pair<std::string, std::string> cases[] = {
        {"Error", "Error"}, {"", ""}, {"\x89\xe6\x96\xca", "\xe7\x94\xbb\xe9\x9d\xa2"},
        {"\x83\x74\x83\x40[a]", "\xe3\x83\x95\xe3\x82\xa1[a]"}, {"a\x82", "a\xef\xbf\xbd"},
        {"\x82\x20z", "\xef\xbf\xbd z"}, {longText, longUtf8}};
    for (std::size_t row = 0; row < std::size(cases); ++row)
        EXPECT_EQ(cp932ToUtf8(cases[row].first), cases[row].second) << "row " << row;
}

// Every message text of the program has its English line, its number or
// name carried over; other texts have none.
TEST(EnglishMessageLine, TranslatesTheProgramsTextsOnly) {
    char alloc[ERROR_TEXT_CAPACITY + 1], missing[ERROR_TEXT_CAPACITY + 1];
    formatErrorText(alloc, MSG_ALLOC_FAILED, -64);
    formatErrorText(missing, MSG_FILE_NOT_FOUND, "tes256.bmp");
    const std::string cut = std::string(alloc).substr(0, std::string(alloc).size() - 2);  // no suffix
    const std::pair<std::string, std::string> cases[] = {
        {alloc, "Could not allocate -64 bytes of memory."}, {missing, "File [tes256.bmp] not found."},
        {MSG_SURFACE_FAILED, "Could not create the screen buffers."}, {"Error", ""}, {cut, ""},
        {"x\x82\xcc\x97\xcc\x88\xe6", ""}};
    for (std::size_t row = 0; row < std::size(cases); ++row)
        EXPECT_EQ(englishMessageLine(cp932ToUtf8(cases[row].first)), cases[row].second) << "row " << row;
}

}  // namespace
