#include <gtest/gtest.h>

#include "math/trig.h"

namespace {

class TrigTables : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(initMath(), 0); }
    void TearDown() override { releaseMath(); }
};

TEST_F(TrigTables, HoldTheListedTruncatedValues) {
    struct Entry {
        int index, sine, cosine;
    };
    const Entry entries[] = {{0, 0, 512},       {1, 3, 511},     {8, 25, 511},     {85, 255, 443},
                             {128, 362, 362},   {255, 511, 3},   {256, 512, 0},    {257, 511, -3},
                             {512, 0, -512},    {513, -3, -511}, {768, -512, 0},   {1023, -3, 511}};
    for (const Entry& e : entries) {
        EXPECT_EQ(sinTable[e.index], e.sine) << "sin " << e.index;
        EXPECT_EQ(cosTable[e.index], e.cosine) << "cos " << e.index;
    }
}

TEST_F(TrigTables, LookupsMaskTheAngle) {
    EXPECT_EQ(fixSin(1024), fixSin(0));
    EXPECT_EQ(fixSin(1024), 0);
    EXPECT_EQ(fixCos(-1), 511);
    EXPECT_EQ(fixSin(-256), -512);
}

TEST_F(TrigTables, StayWithinOneAndAreSymmetric) {
    for (int i = 0; i < TRIG_TABLE_SIZE; ++i) {
        EXPECT_LE(std::abs(sinTable[i]), 512);
        // sin(a) = cos(a - quarter turn) up to the truncated step constant.
        EXPECT_LE(std::abs(sinTable[i] - cosTable[(i + 768) & 1023]), 1) << i;
    }
}

TEST(PackRgb555, KeepsBitsThreeToSevenOfEachChannel) {
    EXPECT_EQ(packRgb555(255, 255, 255), 0x7fff);
    EXPECT_EQ(packRgb555(7, 7, 7), 0);
    EXPECT_EQ(packRgb555(8, 0, 0), 0x0400);
    EXPECT_EQ(packRgb555(255, 128, 7), 0x7e00);
    EXPECT_EQ(packRgb555(256, 0, 0), 0);  // wraps through the mask, no clamp
    EXPECT_EQ(packRgb555From5(31, 0, 0), 0x7c00);
    EXPECT_EQ(packRgb555From5(32 + 31, 0, 31), 0x7c1f);
}

TEST(FixedPoint, ShiftsRoundTowardMinusInfinityAndDivisionsTowardZero) {
    const int a = 1, b = 1;
    EXPECT_EQ((-(a * b)) >> 9, -1);
    EXPECT_EQ(-((a * b) >> 9), 0);
    EXPECT_EQ(divTrunc(-7, 2), -3);
    EXPECT_EQ(divTrunc(INT32_MIN, -1), INT32_MIN);
}

}  // namespace
