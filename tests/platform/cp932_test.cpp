#include "platform/common/cp932.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Cp932ToUtf8, ConvertsTextsAndMarksDamagedBytes) {
    std::string longText, longUtf8;  // past the converter's buffer
    for (int i = 0; i < 300; ++i) longText += "\x89\xe6", longUtf8 += "\xe7\x94\xbb";
    const std::pair<std::string, std::string> cases[] = {
        {"Error", "Error"}, {"", ""}, {"\x89\xe6\x96\xca", "\xe7\x94\xbb\xe9\x9d\xa2"},
        {"\x83\x74\x83\x40[a]", "\xe3\x83\x95\xe3\x82\xa1[a]"}, {"a\x82", "a\xef\xbf\xbd"},
        {"\x82\x20z", "\xef\xbf\xbd z"}, {longText, longUtf8}};
    for (const auto& [cp932, utf8] : cases) EXPECT_EQ(cp932ToUtf8(cp932), utf8) << cp932;
}

}  // namespace
