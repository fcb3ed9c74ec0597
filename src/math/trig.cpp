#include "math/trig.h"

#include <cmath>

#include "math/matrix.h"
#include "util/alloc.h"

namespace vantir {

Fix9* sinTable = nullptr;
Fix9* cosTable = nullptr;
Matrix* matrixStackStorage = nullptr;

int initMath() {
    sinTable = static_cast<Fix9*>(checkedAlloc(TRIG_TABLE_SIZE * sizeof(Fix9)));
    if (!sinTable) return -1;
    cosTable = static_cast<Fix9*>(checkedAlloc(TRIG_TABLE_SIZE * sizeof(Fix9)));
    if (!cosTable) return -1;
    for (int i = 0; i < TRIG_TABLE_SIZE; ++i) {
        const double a = i * TRIG_STEP;
        // static_cast truncates toward zero, never rounds to nearest.
        sinTable[i] = static_cast<Fix9>(std::sin(a) * 512.0);
        cosTable[i] = static_cast<Fix9>(std::cos(a) * 512.0);
    }
    matrixStackStorage = static_cast<Matrix*>(checkedAlloc(MATRIX_STACK_CAPACITY * sizeof(Matrix)));
    if (!matrixStackStorage) return -1;
    return 0;
}

void releaseMath() {
    checkedFree(matrixStackStorage);
    matrixStackStorage = nullptr;
    checkedFree(sinTable);
    sinTable = nullptr;
    checkedFree(cosTable);
    cosTable = nullptr;
}

}  // namespace vantir
