#include <gtest/gtest.h>

#include <string>

#include "platform/headless/headless.h"
#include "util/alloc.h"
#include "util/error.h"

using namespace vantir;

namespace {

// "byteの領域の確保に失敗しました。" in code page 932, after the count.
const std::string ALLOC_TAIL = "byte\x82\xcc\x97\xcc\x88\xe6\x82\xcc\x8am\x95\xdb\x82\xc9"
                               "\x8e\xb8\x94s\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81" "B";

// A failed allocation, real or injected, shows the requested count; a good one is zero-filled.
TEST(CheckedAlloc, FailuresShowTheRequestedCount) {
    headlessClearMessageBoxes();
    auto* block = static_cast<unsigned char*>(checkedAlloc(6400));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 6400; ++i) ASSERT_EQ(block[i], 0) << i;
    checkedFree(block);
    checkedFree(nullptr);
    EXPECT_EQ(checkedAlloc(-6400), nullptr);  // no allocator meets a negative request
    failAllocationsAfter(1);
    void* first = checkedAlloc(16);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(checkedAlloc(0), nullptr);
    failAllocationsAfter(-1);
    checkedFree(first);
    ASSERT_EQ(headlessMessageBoxes().size(), 2u);
    EXPECT_EQ(headlessMessageBoxes()[0].caption, "Error");
    EXPECT_EQ(headlessMessageBoxes()[0].text, "-6400" + ALLOC_TAIL);
    EXPECT_EQ(headlessMessageBoxes()[1].text, "0" + ALLOC_TAIL);
    headlessClearMessageBoxes();
}

// The 99-byte cut never splits a two-byte character: an ASCII prefix p before
// a run of them lands the cut inside one (p even: 98) or on a boundary (99).
TEST(ShowError, LongTextIsCutWithoutSplittingACharacter) {
    for (const auto& [prefix, expected] : {std::pair{0u, 98u}, {1u, 99u}, {2u, 98u}, {97u, 99u}, {98u, 98u}}) {
        std::string name(prefix, 'a');
        for (int i = 0; i < 60; ++i) name += "\x83\x74";
        char text[ERROR_TEXT_CAPACITY + 1];
        EXPECT_EQ(formatErrorText(text, "%s", name.c_str()), expected) << "prefix " << prefix;
        EXPECT_EQ(std::string(text), name.substr(0, expected)) << "prefix " << prefix;
    }
    char text[ERROR_TEXT_CAPACITY + 1];
    EXPECT_EQ(formatErrorText(text, MSG_FILE_NOT_FOUND, std::string(73, 'n').c_str()), 99u);
    headlessClearMessageBoxes();
    showError(MSG_SURFACE_FAILED);
    ASSERT_EQ(headlessMessageBoxes().size(), 1u);
    EXPECT_EQ(headlessMessageBoxes()[0].text, MSG_SURFACE_FAILED);
    headlessClearMessageBoxes();
}

}  // namespace
