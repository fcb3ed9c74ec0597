#include <gtest/gtest.h>

#include <cstring>

#include "math/matrix.h"
#include "math/trig.h"

namespace {

class Matrices : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(initMath(), 0);
        resetMatrixStack();
    }
    void TearDown() override { releaseMath(); }
};

Vec4 apply(const Matrix& m, Vec4 p) {
    // Points are row vectors; the result is in units (divide the 512 back out).
    Vec4 r{};
    r.x = (p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0]) >> 9;
    r.y = (p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1]) >> 9;
    r.z = (p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]) >> 9;
    return r;
}

bool equal(const Matrix& a, const Matrix& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

Matrix sample() {
    Matrix m;
    for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = (i * 7919) % 1031 - 515;
    return m;
}

TEST_F(Matrices, BuildersWriteEveryElement) {
    Matrix m;
    std::memset(&m, 0x55, sizeof m);
    const Vec4 v{3, -4, 5, 99};
    matTranslation(&m, &v);
    const Matrix expected{{{512, 0, 0, 0}, {0, 512, 0, 0}, {0, 0, 512, 0}, {3 * 512, -4 * 512, 5 * 512, 512}}};
    EXPECT_TRUE(equal(m, expected));
    std::memset(&m, 0x55, sizeof m);
    const Vec4 s{1024, 256, 512, 7};
    matScale(&m, &s);
    const Matrix scale{{{1024, 0, 0, 0}, {0, 256, 0, 0}, {0, 0, 512, 0}, {0, 0, 0, 512}}};
    EXPECT_TRUE(equal(m, scale));
}

TEST_F(Matrices, RotationOfZeroIsIdentityAndIdentityIsNeutral) {
    Matrix r, id, out;
    const Vec4 zero{0, 0, 0, 0};
    matRotation(&r, &zero);
    matIdentity(&id);
    EXPECT_TRUE(equal(r, id));
    const Matrix m = sample();
    matMultiply(&out, &id, &m);
    EXPECT_TRUE(equal(out, m));
    matMultiply(&out, &m, &id);
    EXPECT_TRUE(equal(out, m));
}

TEST_F(Matrices, QuarterTurnAboutZ) {
    Matrix r;
    const Vec4 angles{0, 0, 256, 0};
    matRotation(&r, &angles);
    EXPECT_EQ(r.m[0][0], 0);
    EXPECT_EQ(r.m[0][1], -512);
    EXPECT_EQ(r.m[0][2], 0);
    EXPECT_EQ(r.m[0][3], 0);
    EXPECT_EQ(r.m[1][0], 512);
    EXPECT_EQ(r.m[1][1], 0);
    EXPECT_EQ(r.m[1][2], 0);
    const Vec4 px = apply(r, {1, 0, 0, 0}), py = apply(r, {0, 1, 0, 0});
    EXPECT_EQ(px.x, 0);
    EXPECT_EQ(px.y, -1);
    EXPECT_EQ(py.x, 1);
    EXPECT_EQ(py.y, 0);
}

TEST_F(Matrices, NegatedProductsAreShiftedAfterNegation) {
    // ax = 1, ay = 1: sx = sy = 3, cx = cy = 511, cz = 512, sz = 0.
    Matrix r;
    const Vec4 angles{1, 1, 0, 0};
    matRotation(&r, &angles);
    EXPECT_EQ(r.m[0][1], (((-(3 * 3)) >> 9) * 512) >> 9);  // -1, where -((9) >> 9) would give 0
    EXPECT_EQ(r.m[0][1], -1);
    EXPECT_EQ(r.m[0][2], (((-(511 * 3)) >> 9) * 512) >> 9);
    EXPECT_EQ(r.m[0][2], -3);
    EXPECT_EQ(r.m[1][2], (-(512 * 3)) >> 9);
    EXPECT_EQ(r.m[2][0], 3);
    EXPECT_EQ(r.m[2][1], (511 * 3) >> 9);
    EXPECT_EQ(r.m[2][2], (511 * 511) >> 9);
}

TEST_F(Matrices, ProductShiftsEachTermBeforeTheSum) {
    Matrix a{}, b{};
    a.m[0][0] = 1;
    a.m[0][1] = 1;
    b.m[0][0] = 300;
    b.m[1][0] = 300;
    Matrix out;
    matMultiply(&out, &a, &b);
    EXPECT_EQ(out.m[0][0], 0);  // (300 >> 9) + (300 >> 9), not 600 >> 9 = 1
    a.m[0][0] = -1;
    matMultiply(&out, &a, &b);
    EXPECT_EQ(out.m[0][0], -1);  // (-300 >> 9) = -1 plus 0
}

TEST_F(Matrices, ModelAndViewComposeInTheirOwnOrders) {
    const Vec4 position{10, 0, 0, 0}, angles{0, 0, 256, 0}, scale{1024, 1024, 1024, 0};
    Matrix model, view;
    matModelTransform(&model, &position, &angles, &scale);
    matViewTransform(&view, &position, &angles, &scale);
    const Vec4 m = apply(model, {1, 0, 0, 0});
    EXPECT_EQ(m.x, 10);
    EXPECT_EQ(m.y, -2);
    EXPECT_EQ(m.z, 0);
    const Vec4 v = apply(view, {1, 0, 0, 0});
    EXPECT_EQ(v.x, 0);
    EXPECT_EQ(v.y, -12);
    EXPECT_EQ(v.z, 0);
}

TEST_F(Matrices, StackPushesPopsAndRefusesBeyondItsBounds) {
    Matrix m[3], out;
    for (int i = 0; i < 3; ++i) {
        m[i] = sample();
        m[i].m[3][0] = i;
        EXPECT_EQ(pushMatrix(&m[i]), i);
    }
    EXPECT_EQ(popMatrix(&out, 2), 1);
    EXPECT_TRUE(equal(out, m[1]));
    const Matrix before = out;
    EXPECT_EQ(popMatrix(&out, 2), -1);
    EXPECT_EQ(matrixStackDepth, 1);
    EXPECT_TRUE(equal(out, before));
    EXPECT_EQ(popMatrix(&out, 0), -1);  // dropping nothing is refused, not a read past the depth

    resetMatrixStack();
    for (int i = 0; i < 32; ++i) EXPECT_EQ(pushMatrix(&m[0]), i);
    EXPECT_EQ(pushMatrix(&m[1]), -1);
    EXPECT_EQ(matrixStackDepth, 32);
    EXPECT_EQ(popMatrix(&out, 1), 31);
    EXPECT_TRUE(equal(out, m[0]));
}

TEST_F(Matrices, ProjectionCentreIsStoredAndRead) {
    setProjectionCentre(256, 239);
    std::int32_t x = 0, y = 0;
    getProjectionCentre(&x, &y);
    EXPECT_EQ(x, 256);
    EXPECT_EQ(y, 239);
}

}  // namespace
