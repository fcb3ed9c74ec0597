#include <gtest/gtest.h>

#include <array>
#include <bit>
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

// A matrix's elements, row by row, as a value a failure prints.
using Rows = std::array<std::array<Fix9, 4>, 4>;
Rows rows(const Matrix& m) { return std::bit_cast<Rows>(m); }

TEST_F(Matrices, BuildersWriteEveryElement) {
    Matrix m;
    std::memset(&m, 0x55, sizeof m);
    const Vec4 v{3, -4, 5, 99}, s{1024, 256, 512, 7};
    matTranslation(&m, &v);
    EXPECT_EQ(rows(m), (Rows{{{512, 0, 0, 0}, {0, 512, 0, 0}, {0, 0, 512, 0}, {3 * 512, -4 * 512, 5 * 512, 512}}}));
    std::memset(&m, 0x55, sizeof m);
    matScale(&m, &s);
    EXPECT_EQ(rows(m), (Rows{{{1024, 0, 0, 0}, {0, 256, 0, 0}, {0, 0, 512, 0}, {0, 0, 0, 512}}}));
}

// Rotations shift each product after negating it (-(9) >> 9 is -1, not 0):
// a quarter turn about z, and ax = ay = 1 where sin is 3 and cos 511, so that
// 511 * 3 and 511 * 511 lose their fractions (2 and 510), -(512 * 3) none.
TEST_F(Matrices, RotationsShiftNegatedProducts) {
    Matrix r;
    const Vec4 quarter{0, 0, 256, 0}, small{1, 1, 0, 0};
    matRotation(&r, &quarter);
    EXPECT_EQ(rows(r), (Rows{{{0, -512, 0, 0}, {512, 0, 0, 0}, {0, 0, 512, 0}, {0, 0, 0, 512}}}));
    matRotation(&r, &small);
    EXPECT_EQ((std::array{r.m[0][1], r.m[0][2], r.m[1][2], r.m[2][0], r.m[2][1], r.m[2][2]}),
              (std::array{-1, -3, -3, 3, 2, 510}));
}

TEST_F(Matrices, StackPushesPopsAndRefusesBeyondItsBounds) {
    Matrix m[2] = {}, out = {};
    m[1].m[3][0] = 1;
    for (int i = 0; i < 32; ++i) EXPECT_EQ(pushMatrix(&m[i % 2]), i);
    EXPECT_EQ(pushMatrix(&m[0]), -1);
    EXPECT_EQ(popMatrix(&out, 2), 30);
    EXPECT_EQ(rows(out), rows(m[0]));  // the lower of the two dropped
    EXPECT_EQ(popMatrix(&out, 0), -1);  // dropping nothing is refused, not a read past the depth
    EXPECT_EQ(popMatrix(&out, 31), -1);
    EXPECT_EQ(matrixStackDepth, 30);
}

}  // namespace
