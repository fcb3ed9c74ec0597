#include "platform/headless/shot.h"

#include <gtest/gtest.h>

#include "support/bmp.h"

using namespace vantir;

namespace {

using namespace bmptest;

TEST(Shot, BmpIsBottomUpWithPaddedRows) {
    const HeadlessWindowImage image{4, 3, {0x001, 0x002, 0x003, 0x004, 0x101, 0x102, 0x103, 0x104, 0x201, 0x202, 0x203, 0x204}};
    const Shot shot = takeShot(image, 3, 2);  // 6 bytes a row, padded to 8
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
