#include "math/matrix.h"

#include <cstring>

#include "math/trig.h"

namespace vantir {

int matrixStackDepth = 0;

namespace {
std::int32_t centreX = 0;
std::int32_t centreY = 0;
}  // namespace

void matIdentity(Matrix* out) {
    std::memset(out, 0, sizeof(Matrix));
    for (int i = 0; i < 4; ++i) out->m[i][i] = FIX9_ONE;
}

void matTranslation(Matrix* out, const Vec4* v) {
    matIdentity(out);
    out->m[3][0] = v->x << FIX9_SHIFT;
    out->m[3][1] = v->y << FIX9_SHIFT;
    out->m[3][2] = v->z << FIX9_SHIFT;
}

void matScale(Matrix* out, const Vec4* s) {
    matIdentity(out);
    out->m[0][0] = s->x;
    out->m[1][1] = s->y;
    out->m[2][2] = s->z;
}

void matRotation(Matrix* out, const Vec4* a) {
    const Fix9 sx = sinTable[a->x], cx = cosTable[a->x];
    const Fix9 sy = sinTable[a->y], cy = cosTable[a->y];
    const Fix9 sz = sinTable[a->z], cz = cosTable[a->z];
    // Negated products are negated in full before the shift: (-(a*b)) >> 9.
    out->m[0][0] = (cy * cz) >> 9;
    out->m[0][1] = ((((-(sx * sy)) >> 9) * cz) >> 9) - ((sz * cx) >> 9);
    out->m[0][2] = ((((-(cx * sy)) >> 9) * cz) >> 9) + ((sx * sz) >> 9);
    out->m[0][3] = 0;
    out->m[1][0] = (cy * sz) >> 9;
    out->m[1][1] = ((cz * cx) >> 9) - ((((sx * sy) >> 9) * sz) >> 9);
    out->m[1][2] = ((-(cz * sx)) >> 9) - ((((cx * sy) >> 9) * sz) >> 9);
    out->m[1][3] = 0;
    out->m[2][0] = sy;
    out->m[2][1] = (cy * sx) >> 9;
    out->m[2][2] = (cy * cx) >> 9;
    out->m[2][3] = 0;
    out->m[3][0] = 0;
    out->m[3][1] = 0;
    out->m[3][2] = 0;
    out->m[3][3] = FIX9_ONE;
}

void matMultiply(Matrix* out, const Matrix* a, const Matrix* b) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            // Each product is shifted on its own before the (wrapping) sum.
            out->m[i][j] = ((a->m[i][0] * b->m[0][j]) >> 9) + ((a->m[i][1] * b->m[1][j]) >> 9) +
                           ((a->m[i][2] * b->m[2][j]) >> 9) + ((a->m[i][3] * b->m[3][j]) >> 9);
        }
    }
}

void matModelTransform(Matrix* out, const Vec4* position, const Vec4* angles, const Vec4* scale) {
    Matrix s, r, t, rt;
    matScale(&s, scale);
    matRotation(&r, angles);
    matTranslation(&t, position);
    matMultiply(&rt, &r, &t);
    matMultiply(out, &s, &rt);
}

void matViewTransform(Matrix* out, const Vec4* translation, const Vec4* angles, const Vec4* scale) {
    Matrix s, r, t, tr;
    matScale(&s, scale);
    matRotation(&r, angles);
    matTranslation(&t, translation);
    matMultiply(&tr, &t, &r);
    matMultiply(out, &s, &tr);
}

void resetMatrixStack() { matrixStackDepth = 0; }

int pushMatrix(const Matrix* m) {
    if (matrixStackDepth >= MATRIX_STACK_CAPACITY) return -1;
    matrixStackStorage[matrixStackDepth] = *m;
    return matrixStackDepth++;
}

int popMatrix(Matrix* out, int n) {
    const int depth = matrixStackDepth - n;
    // n < 1 is no pop at all; refusing it keeps the entry index in range.
    if (depth < 0 || n < 1) return -1;
    *out = matrixStackStorage[depth];
    matrixStackDepth = depth;
    return depth;
}

void setProjectionCentre(std::int32_t x, std::int32_t y) {
    centreX = x;
    centreY = y;
}

void getProjectionCentre(std::int32_t* outX, std::int32_t* outY) {
    *outX = centreX;
    *outY = centreY;
}

}  // namespace vantir
