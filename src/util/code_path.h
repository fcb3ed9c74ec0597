// Which implementation of the hot routines a frame runs through: the
// straightforward reference code, or the fast code that must give the same
// result to the bit. One switch covers the whole frame (clear, transform,
// sort and every rasterizer), so the two can be compared frame against frame.
#pragma once

namespace vantir {

enum class CodePath { Reference, Fast };

// The path every hot routine takes from now on; Fast at process start.
void setCodePath(CodePath path);
CodePath codePath();
inline bool fastPath() { return codePath() == CodePath::Fast; }

// The widest vector extension the fast routines may use. The processor's own
// level is detected once; a lower one can be chosen (tests run every level the
// machine has), a higher one is capped to what the processor offers.
enum class SimdLevel { Scalar, Sse2, Avx2 };

SimdLevel detectedSimdLevel();
// Answers the level actually set: min(level, detectedSimdLevel()).
SimdLevel setSimdLevel(SimdLevel level);
SimdLevel simdLevel();
const char* simdLevelName(SimdLevel level);

}  // namespace vantir
