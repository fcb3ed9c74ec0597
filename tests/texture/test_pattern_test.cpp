// The committed demo texture is exactly what tools/texgen writes, and the
// loader reads it as that image: palette count 0 means all 256 entries,
// including the dot colours past 64.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../../tools/texgen/test_pattern.h"
#include "support/bmp.h"
#include "texture/texture.h"

namespace {

TEST(TestPattern, CommittedFileIsTheGeneratorsOutputAndLoadsAsItsImage) {
    const std::string dataDir = std::string(VANTIR_SOURCE_DIR) + "/data";
    EXPECT_TRUE(bmptest::readFileBytes(dataDir + "/tes256.bmp") == texgen::makeTestPatternBmp())
        << "run texgen to regenerate data/tes256.bmp";
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(dataDir);  // where the program looks for it
    ASSERT_EQ(initTextures(), 0);
    const int id = loadTexture("tes256.bmp");
    std::filesystem::current_path(saved);
    ASSERT_GE(id, 0);
    EXPECT_EQ(textureWidthShift(id) * 10 + textureHeightShift(id), 88);
    const std::vector<unsigned char> indices = texgen::makeTestPatternIndices();
    const std::vector<texgen::Rgb> palette = texgen::makeTestPatternPalette();
    const Rgb555* texels = texturePixels(id);
    for (int i = 0; i < 256 * 256; ++i) {
        const texgen::Rgb c = palette[indices[i]];
        ASSERT_EQ(texels[i], packRgb555(c.r, c.g, c.b)) << "texel " << i % 256 << ", " << i / 256;
        ASSERT_EQ(texels[i + 256 * 256], texels[i]);
    }
    EXPECT_EQ(indices[28 * 256 + 32 + 12], texgen::INDEX_DOT + 1);  // a dot of cell A2
    releaseTextures();
}

}  // namespace
