#include "platform/headless/shot.h"

#include <gtest/gtest.h>

using namespace vantir;

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
    // Fields of the header, then the pixels: the first stored row is the bottom one.
    const std::uint32_t fields[][3] = {  // offset, bytes, value
        {0, 2, 'B' | 'M' << 8}, {2, 4, 70}, {10, 4, 54}, {14, 4, 40}, {18, 4, 3}, {22, 4, 2}, {26, 2, 1},
        {28, 2, 16},  {30, 4, 0},  {34, 4, 16}, {54, 2, 0x101}, {58, 2, 0x103}, {60, 2, 0} /* padding */, {62, 2, 1}};
    for (const auto& [at, bytes, value] : fields)
        EXPECT_EQ(bytes == 2 ? read16(bmp, at) : read32(bmp, at), value) << "at " << at;
    Shot large;  // sizes past 16 bits
    large.width = large.height = 200;
    large.pixels.assign(200 * 200, 0);
    EXPECT_EQ(read32(encodeShotBmp(large), 2), 54u + 80000u);
}

}  // namespace
