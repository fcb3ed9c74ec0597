// The texture table: loading from files, sharing by name, refusals that
// leave the slot free, the doubled image and the scroll animation.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/headless.h"
#include "support/bmp.h"
#include "support/shell.h"
#include "texture/texture.h"
#include "util/alloc.h"

using namespace vantir;

namespace {

using bmptest::Bytes;
using bmptest::buildBmp;
using bmptest::paddedRows;

namespace fs = std::filesystem;

long usedSlots() { return std::count_if(textureTable, textureTable + TEXTURE_SLOT_COUNT, [](Texture* t) { return t; }); }

// Each test runs in a fresh directory of its own (files are looked up in the
// working directory, as the program's "data" directory), with a fresh table.
class TextureTable : public testing::Test {
protected:
    void SetUp() override {
        headlessClearMessageBoxes();
        ASSERT_EQ(initTextures(), 0);
    }
    void TearDown() override {
        releaseTextures();
        failAllocationsAfter(-1);
        headlessClearMessageBoxes();
    }
    void write(const char* name, const Bytes& bytes) { ASSERT_TRUE(bmptest::writeFileBytes(name, bytes)); }

    ScopedRunDirectory directory_;
};

Bytes twoByTwo() {
    return buildBmp({.width = 2, .height = 2, .bitCount = 24,
                     .pixels = paddedRows({{0xff, 0, 0, 0, 0xff, 0}, {0, 0, 0xff, 0xff, 0xff, 0xff}})});
}

// Installing checks its arguments (a name has 27 bytes at most) and doubles
// the image, so that a scroll reads a whole image from any row; a full table
// refuses a new name without reading it, and still shares a loaded one.
TEST_F(TextureTable, InstallsCheckedDoubledImagesUntilTheTableIsFull) {
    const Rgb555 texels[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(installTexture(nullptr, 1, 1, texels), -1);
    EXPECT_EQ(installTexture("x", 0, 1, texels), -1);
    EXPECT_EQ(installTexture("x", 1, 9, texels), -1);
    EXPECT_EQ(installTexture("x", 1, 1, nullptr), -1);
    EXPECT_EQ(installTexture(std::string(28, 'x').c_str(), 1, 1, texels), -1);
    failAllocationsAfter(0);
    EXPECT_EQ(installTexture("x", 1, 1, texels), -1);
    failAllocationsAfter(-1);
    headlessClearMessageBoxes();
    EXPECT_EQ(installTexture(std::string(27, 'x').c_str(), 2, 1, texels), 0);
    EXPECT_EQ(std::vector<Rgb555>(texturePixels(0), texturePixels(0) + 16),
              (std::vector<Rgb555>{1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7, 8}));
    for (int i = 1; i < TEXTURE_SLOT_COUNT; ++i)
        ASSERT_EQ(installTexture(("t" + std::to_string(i)).c_str(), 1, 1, texels), i);
    EXPECT_EQ(findFreeTextureSlot(), -1);
    EXPECT_EQ(loadTexture("nothere.bmp"), -1);
    EXPECT_TRUE(headlessMessageBoxes().empty());  // a read would have shown the missing file
    EXPECT_EQ(loadTexture("t5"), 5);
    EXPECT_EQ(loadedTexture(5)->refCount, 2);
}

// Every refusal leaves the slot free and tells the user, on stderr, the
// absolute path tried and the check that refused the file; a file that cannot
// be opened answers -2, any other refusal -1.
TEST_F(TextureTable, RefusedFilesLeaveTheSlotFreeAndSayWhy) {
    struct Case { std::string name; Bytes bytes; const char* reason; int result; };
    const Bytes whole = twoByTwo();
    const Bytes truncated(whole.begin(), whole.end() - 3);  // into the top row's pixels, past its padding
    Bytes jpeg = twoByTwo();
    bmptest::put32(jpeg, bmptest::BMP_COMPRESSION, 4);
    const Case cases[] = {
        {"100x100.bmp", buildBmp({.width = 100, .height = 100, .bitCount = 24, .pixels = Bytes(100 * 300, 0)}),
         "not a power of two", -1},
        {"minus256.bmp", buildBmp({.width = 256, .height = -256, .palette = {0}, .pixels = Bytes(256 * 256, 0)}),
         "not a power of two", -1},  // top-down
        {"short.bmp", truncated, "(truncated)", -1},
        {"jpeg.bmp", jpeg, "not a form we read", -1},
        {"empty.bmp", {}, "too short", -1},
        {"folder.bmp", {}, "it is a directory", -1},
        {"nothere.bmp", {}, "no such file", -2},
        {std::string(24, 'n') + ".bmp", whole, "its name has 28 bytes or more", -1},
    };
    for (const Case& c : cases) {
        if (c.name == "folder.bmp")
            fs::create_directory(c.name);
        else if (c.name != "nothere.bmp")
            write(c.name.c_str(), c.bytes);
        testing::internal::CaptureStderr();
        EXPECT_EQ(loadTexture(c.name.c_str()), c.result) << c.name;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("vantir: texture " + (directory_.root() / c.name).string() + " not loaded: "), std::string::npos)
            << said;
        EXPECT_NE(said.find(c.reason), std::string::npos) << said;
        EXPECT_EQ(usedSlots(), 0) << c.name;
    }
    headlessClearMessageBoxes();
    const std::string longest = std::string(23, 'g') + ".bmp";  // 27 bytes
    write(longest.c_str(), twoByTwo());
    testing::internal::CaptureStderr();
    EXPECT_EQ(loadTexture(longest.c_str()), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(TextureTable, EachFailedAllocationFreesTheSlotAndTheFileData) {
    write("a.bmp", twoByTwo());
    // Allocations of a load, in order: record, file buffer, pixel block.
    for (int successes = 0; successes < 3; ++successes) {
        headlessClearMessageBoxes();
        failAllocationsAfter(successes);
        EXPECT_EQ(loadTexture("a.bmp"), -1) << successes;
        failAllocationsAfter(-1);
        EXPECT_EQ(usedSlots(), 0) << successes;
        EXPECT_EQ(headlessMessageBoxes().size(), 1u) << successes;  // the allocator's own message
    }
    EXPECT_EQ(loadTexture("a.bmp"), 0);
}

TEST_F(TextureTable, AnimationScrollsOneRowPerFrameAndWraps) {
    const Rgb555 texels[8] = {10, 11, 20, 21, 30, 31, 40, 41};  // 2 x 4
    const int id = installTexture("anim", 1, 2, texels);
    ASSERT_EQ(id, 0);
    Texture* t = textureTable[id];
    ASSERT_EQ(addAnimatedTexture(id), 0);
    std::vector<long> rows;
    std::vector<Rgb555> lastTexels;  // every frame's 4 rows lie inside the doubled block
    for (int frame = 0; frame < 9; ++frame) {
        animateTextures();
        rows.push_back((t->currentPixels - t->basePixels) / 2);
        lastTexels.push_back(texturePixels(id)[7]);
    }
    EXPECT_EQ(rows, (std::vector<long>{1, 2, 3, 0, 1, 2, 3, 0, 1}));
    EXPECT_EQ(lastTexels, (std::vector<Rgb555>{11, 21, 31, 41, 11, 21, 31, 41, 11}));
    EXPECT_EQ(t->animCounter, 1);

    // A released texture leaves the animation list.
    releaseTexture(id);
    EXPECT_EQ(animatedTextureCount, 0);
    animateTextures();
}

// The animation list holds a texture once, in the order added; one taken out
// stays at the row it reached while the others go on; a full list refuses.
TEST_F(TextureTable, AnimationListAddsOnceAndRemovesInPlace) {
    const Rgb555 texels[8] = {};
    const int a = installTexture("a", 1, 2, texels);
    const int b = installTexture("b", 1, 2, texels);
    EXPECT_EQ(addAnimatedTexture(b + 1), -1);  // a free slot
    EXPECT_EQ(addAnimatedTexture(a), 0);
    EXPECT_EQ(addAnimatedTexture(b), 1);
    EXPECT_EQ(addAnimatedTexture(a), 0);
    animateTextures();
    EXPECT_EQ(removeAnimatedTexture(a), 0);
    EXPECT_EQ(removeAnimatedTexture(a), -1);
    animateTextures();
    EXPECT_EQ(std::pair(textureTable[a]->animCounter, textureTable[b]->animCounter), std::pair(1, 2));
    EXPECT_EQ(std::pair(animatedTextureCount, animatedTextures[0]), std::pair(1, textureTable[b]));
    for (int added = 1; added < ANIMATED_TEXTURE_CAPACITY; ++added)
        ASSERT_EQ(addAnimatedTexture(installTexture(std::to_string(added).c_str(), 1, 1, texels)), added);
    EXPECT_EQ(addAnimatedTexture(a), -1);
}

}  // namespace
