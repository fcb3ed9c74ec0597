#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "math/matrix.h"
#include "math/trig.h"

using namespace vantir;

namespace {

class Matrices : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(initMath(), 0);
        resetMatrixStack();
    }
    void TearDown() override { releaseMath(); }
};

bool equal(const Matrix& a, const Matrix& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST_F(Matrices, BuildersWriteEveryElement) {
    Matrix m;
    std::memset(&m, 0x55, sizeof m);
    const Vec4 v{3, -4, 5, 99}, s{1024, 256, 512, 7};
    matTranslation(&m, &v);
    EXPECT_TRUE(equal(m, {{{512, 0, 0, 0}, {0, 512, 0, 0}, {0, 0, 512, 0}, {3 * 512, -4 * 512, 5 * 512, 512}}}));
    std::memset(&m, 0x55, sizeof m);
    matScale(&m, &s);
    EXPECT_TRUE(equal(m, {{{1024, 0, 0, 0}, {0, 256, 0, 0}, {0, 0, 512, 0}, {0, 0, 0, 512}}}));
}

// Rotations shift each product after negating it (-(9) >> 9 is -1, not 0):
// a quarter turn about z, and ax = ay = 1 where sin is 3 and cos 511.
TEST_F(Matrices, RotationsShiftNegatedProducts) {
    Matrix r;
    const Vec4 quarter{0, 0, 256, 0}, small{1, 1, 0, 0};
    matRotation(&r, &quarter);
    EXPECT_TRUE(equal(r, {{{0, -512, 0, 0}, {512, 0, 0, 0}, {0, 0, 512, 0}, {0, 0, 0, 512}}}));
    matRotation(&r, &small);
    EXPECT_EQ((std::array{r.m[0][1], r.m[0][2], r.m[1][2], r.m[2][0], r.m[2][1], r.m[2][2]}),
              (std::array{-1, -3, (-(512 * 3)) >> 9, 3, (511 * 3) >> 9, (511 * 511) >> 9}));
}

TEST_F(Matrices, StackPushesPopsAndRefusesBeyondItsBounds) {
    Matrix m[2] = {}, out = {};
    m[1].m[3][0] = 1;
    for (int i = 0; i < 32; ++i) EXPECT_EQ(pushMatrix(&m[i % 2]), i);
    EXPECT_EQ(pushMatrix(&m[0]), -1);
    EXPECT_EQ(popMatrix(&out, 2), 30);
    EXPECT_TRUE(equal(out, m[0]));  // the one below the two dropped
    EXPECT_EQ(popMatrix(&out, 0), -1);  // dropping nothing is refused, not a read past the depth
    EXPECT_EQ(popMatrix(&out, 31), -1);
    EXPECT_EQ(matrixStackDepth, 30);
}

}  // namespace
