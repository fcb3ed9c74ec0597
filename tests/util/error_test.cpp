#include <gtest/gtest.h>

#include <string>

#include "platform/headless/headless.h"
#include "util/alloc.h"
#include "util/error.h"

namespace {

// UTF-8 of the three texts, to pin the stored CP932 bytes against.
TEST(ErrorTexts, AreTheCp932BytesOfTheJapaneseTexts) {
    EXPECT_EQ(std::string(MSG_ALLOC_FAILED),
              "%dbyte\x82\xcc\x97\xcc\x88\xe6\x82\xcc\x8am\x95\xdb\x82\xc9\x8e\xb8\x94s\x82\xb5\x82\xdc\x82\xb5\x82\xbd"
              "\x81"
              "B");
    EXPECT_EQ(sizeof MSG_ALLOC_FAILED - 1, 34u);
    EXPECT_EQ(sizeof MSG_FILE_NOT_FOUND - 1, 28u);  // 26 bytes of text around "%s"
    EXPECT_EQ(sizeof MSG_SURFACE_FAILED - 1, 34u);
    EXPECT_STREQ(ERROR_CAPTION, "Error");
}

TEST(CheckedAlloc, ZeroFillsAndFreeAcceptsNull) {
    auto* block = static_cast<unsigned char*>(checkedAlloc(6400));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 6400; ++i) ASSERT_EQ(block[i], 0) << i;
    checkedFree(block);
    checkedFree(nullptr);
}

TEST(CheckedAlloc, FailureShowsTheByteCountInCp932) {
    headlessClearMessageBoxes();
    // No allocator can meet a negative request: it fails like out-of-memory.
    EXPECT_EQ(checkedAlloc(-6400), nullptr);
    ASSERT_EQ(headlessMessageBoxes().size(), 1u);
    EXPECT_EQ(headlessMessageBoxes()[0].caption, "Error");
    EXPECT_EQ(headlessMessageBoxes()[0].text,
              "-6400byte\x82\xcc\x97\xcc\x88\xe6\x82\xcc\x8a\x6d\x95\xdb\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82"
              "\xb5\x82\xbd\x81\x42");
    headlessClearMessageBoxes();
}

TEST(ShowError, LongTextIsCutWithoutSplittingACharacter) {
    struct Case {
        std::size_t asciiPrefix;  // ASCII bytes before a run of two-byte characters
        std::size_t expected;
    };
    // Prefix p then the Japanese tail: p even lands the 99-byte cut inside a
    // character (cut to 98), odd lands on a boundary (99).
    for (const Case c : {Case{0, 98}, Case{1, 99}, Case{2, 98}, Case{97, 99}, Case{98, 98}}) {
        std::string name(c.asciiPrefix, 'a');
        for (int i = 0; i < 60; ++i) name += "\x83\x74";  // katakana fu
        char text[ERROR_TEXT_CAPACITY + 1];
        const std::size_t length = formatErrorText(text, "%s", name.c_str());
        EXPECT_EQ(length, c.expected) << "prefix " << c.asciiPrefix;
        EXPECT_EQ(std::string(text), name.substr(0, c.expected));
    }
}

TEST(ShowError, MissingFileTextFitsNamesUpTo73Bytes) {
    char text[ERROR_TEXT_CAPACITY + 1];
    const std::string name73(73, 'n');
    EXPECT_EQ(formatErrorText(text, MSG_FILE_NOT_FOUND, name73.c_str()), 99u);
    const std::string name74(74, 'n');
    // One byte too long: the last character (two bytes) does not fit whole.
    EXPECT_EQ(formatErrorText(text, MSG_FILE_NOT_FOUND, name74.c_str()), 98u);
}

TEST(ShowError, RecordsCaptionAndText) {
    headlessClearMessageBoxes();
    showError(MSG_SURFACE_FAILED);
    ASSERT_EQ(headlessMessageBoxes().size(), 1u);
    EXPECT_EQ(headlessMessageBoxes()[0].text, MSG_SURFACE_FAILED);
    EXPECT_EQ(headlessMessageBoxes()[0].caption, "Error");
    headlessClearMessageBoxes();
}

}  // namespace

namespace {
TEST(CheckedAlloc, InjectedFailureShowsTheRequestedCount) {
    headlessClearMessageBoxes();
    failAllocationsAfter(1);
    void* first = checkedAlloc(16);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(checkedAlloc(6400), nullptr);
    EXPECT_EQ(checkedAlloc(0), nullptr);
    failAllocationsAfter(-1);
    checkedFree(first);
    ASSERT_EQ(headlessMessageBoxes().size(), 2u);
    EXPECT_EQ(headlessMessageBoxes()[0].text.substr(0, 8), "6400byte");
    EXPECT_EQ(headlessMessageBoxes()[1].text.substr(0, 5), "0byte");
    headlessClearMessageBoxes();
}
}  // namespace
