#include "platform/headless/shot.h"

#include <gtest/gtest.h>

#include "support/bmp.h"

namespace {

using namespace bmptest;

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
    // Fields of the header, then the pixels: the first stored row is the bottom one.
    const std::uint32_t fields[][3] = {  // offset, bytes, value
        {0, 2, 'B' | 'M' << 8}, {BMP_FILE_SIZE, 4, 70}, {BMP_DATA_OFFSET, 4, 54}, {BMP_HEADER_SIZE, 4, 40},
        {BMP_WIDTH, 4, 3}, {BMP_HEIGHT, 4, 2}, {BMP_PLANES, 2, 1}, {BMP_BIT_COUNT, 2, 16}, {BMP_COMPRESSION, 4, 0},
        {BMP_IMAGE_SIZE, 4, 16}, {54, 2, 0x101}, {58, 2, 0x103}, {60, 2, 0} /* padding */, {62, 2, 1}};
    for (const auto& [at, bytes, value] : fields) EXPECT_EQ(get(bmp, at, static_cast<int>(bytes)), value) << "at " << at;
    Shot large;  // sizes past 16 bits
    large.width = large.height = 200;
    large.pixels.assign(200 * 200, 0);
    EXPECT_EQ(get(encodeShotBmp(large), BMP_FILE_SIZE, 4), 54u + 80000u);
}

}  // namespace
