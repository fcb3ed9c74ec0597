// The committed demo texture is exactly what tools/texgen writes, and the
// loader reads it as that image.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../../tools/texgen/test_pattern.h"
#include "support/bmp.h"
#include "texture/texture.h"

namespace {

namespace fs = std::filesystem;

const std::string kDataDir = std::string(VANTIR_SOURCE_DIR) + "/data";

TEST(TestPattern, CommittedFileIsTheGeneratorsOutput) {
    const bmptest::Bytes committed = bmptest::readFileBytes(kDataDir + "/tes256.bmp");
    const std::vector<unsigned char> generated = texgen::makeTestPatternBmp();
    ASSERT_EQ(committed.size(), 66614u);
    EXPECT_TRUE(committed == generated) << "run texgen to regenerate data/tes256.bmp";
}

TEST(TestPattern, LoadsAsItsPaletteImageTwiceSharingTheSlot) {
    const fs::path saved = fs::current_path();
    fs::current_path(kDataDir);  // where the program looks for it
    ASSERT_EQ(initTextures(), 0);
    const int id = loadTexture("tes256.bmp");
    const int again = loadTexture("tes256.bmp");
    fs::current_path(saved);
    ASSERT_GE(id, 0);
    EXPECT_EQ(again, id);
    EXPECT_EQ(loadedTexture(id)->refCount, 2);
    EXPECT_EQ(textureWidthShift(id), 8);
    EXPECT_EQ(textureHeightShift(id), 8);

    // Palette count 0: all 256 entries, including the dot colours past 64.
    const std::vector<unsigned char> indices = texgen::makeTestPatternIndices();
    const std::vector<texgen::Rgb> palette = texgen::makeTestPatternPalette();
    const Rgb555* texels = texturePixels(id);
    for (int i = 0; i < 256 * 256; ++i) {
        const texgen::Rgb c = palette[indices[i]];
        ASSERT_EQ(texels[i], packRgb555(c.r, c.g, c.b)) << "texel " << i % 256 << ", " << i / 256;
        ASSERT_EQ(texels[i + 256 * 256], texels[i]);
    }
    EXPECT_EQ(texels[0], 0x7fff);  // the white seam, top-left
    EXPECT_EQ(indices[28 * 256 + 32 + 12], texgen::INDEX_DOT + 1);  // a dot of cell A2
    releaseTextures();
}

}  // namespace
