// Sine and cosine tables (1024 entries, Fix9) and the matrix stack storage.
#pragma once

#include "math/fixed.h"

namespace vantir {

struct Matrix;

constexpr int TRIG_TABLE_SIZE = 1024;
// The full turn taken as 6.283185307, not the exact 2 pi: the tables are
// defined by this constant and truncation toward zero.
constexpr double TRIG_STEP = 0.006135923151367188;

extern Fix9* sinTable;
extern Fix9* cosTable;
extern Matrix* matrixStackStorage;

// Allocates sinTable, cosTable (4096 bytes each, filled) and the 32-entry
// matrix stack storage. 0, or -1 at the first failed allocation.
int initMath();
// Releases the stack storage, sinTable and cosTable; accepts a partial init.
void releaseMath();

inline Fix9 fixSin(Angle angle) { return sinTable[angle & ANGLE_MASK]; }
inline Fix9 fixCos(Angle angle) { return cosTable[angle & ANGLE_MASK]; }

}  // namespace vantir
