// 4 x 4 row-major Fix9 matrices applied to row vectors; translation in row 3
// as units x 512. Every builder writes all 16 elements and sets column 3 to
// (0, 0, 0, 512).
#pragma once

#include "math/fixed.h"

namespace vantir {

struct Matrix {
    Fix9 m[4][4];
};
static_assert(sizeof(Matrix) == 64);

constexpr int MATRIX_STACK_CAPACITY = 32;

extern int matrixStackDepth;

void matIdentity(Matrix* out);
void matTranslation(Matrix* out, const Vec4* v);
void matScale(Matrix* out, const Vec4* s);
// Angles index the tables unreduced: they must lie in 0..1023.
void matRotation(Matrix* out, const Vec4* angles);
// out = a x b; out must be distinct from a and b.
void matMultiply(Matrix* out, const Matrix* a, const Matrix* b);
// Scale, then rotate, then translate (models and parts).
void matModelTransform(Matrix* out, const Vec4* position, const Vec4* angles, const Vec4* scale);
// Scale, then translate, then rotate (the camera).
void matViewTransform(Matrix* out, const Vec4* translation, const Vec4* angles, const Vec4* scale);

void resetMatrixStack();
// Index of the stored entry, or -1 (stack full, nothing stored).
int pushMatrix(const Matrix* m);
// Restores the matrix pushed n pushes ago into out and drops it and all
// above; the new depth, or -1 (too few entries, nothing changed).
int popMatrix(Matrix* out, int n);

void setProjectionCentre(std::int32_t x, std::int32_t y);
void getProjectionCentre(std::int32_t* outX, std::int32_t* outY);

}  // namespace vantir
