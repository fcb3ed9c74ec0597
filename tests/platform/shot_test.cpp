#include "platform/headless/shot.h"

#include <gtest/gtest.h>


namespace {

std::uint32_t read32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t read16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

HeadlessWindowImage sampleImage() {
    HeadlessWindowImage image;
    image.width = 4;
    image.height = 3;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) image.pixels.push_back(static_cast<std::uint16_t>(0x100 * y + x + 1));
    return image;
}

TEST(Shot, BmpIsBottomUpWithPaddedRows) {
    const Shot shot = takeShot(sampleImage(), 3, 2);  // 6 bytes a row, padded to 8
    const std::vector<std::uint8_t> bmp = encodeShotBmp(shot);
    ASSERT_EQ(bmp.size(), 54u + 16u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(read32(bmp, 2), 70u);
    EXPECT_EQ(read32(bmp, 10), 54u);
    EXPECT_EQ(read32(bmp, 14), 40u);
    EXPECT_EQ(read32(bmp, 18), 3u);
    EXPECT_EQ(read32(bmp, 22), 2u);
    EXPECT_EQ(read16(bmp, 26), 1);
    EXPECT_EQ(read16(bmp, 28), 16);
    EXPECT_EQ(read32(bmp, 30), 0u);
    EXPECT_EQ(read32(bmp, 34), 16u);
    // First stored row is the bottom one.
    EXPECT_EQ(read16(bmp, 54), 0x101);
    EXPECT_EQ(read16(bmp, 58), 0x103);
    EXPECT_EQ(read16(bmp, 60), 0);  // padding
    EXPECT_EQ(read16(bmp, 62), 1);
    Shot large;  // sizes past 16 bits
    large.width = large.height = 200;
    large.pixels.assign(200 * 200, 0);
    EXPECT_EQ(read32(encodeShotBmp(large), 2), 54u + 80000u);
}

}  // namespace
