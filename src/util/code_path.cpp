#include "util/code_path.h"

namespace vantir {

namespace {

SimdLevel detect() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    // The AVX2 routines also use BMI2's shifts, which every AVX2 processor has.
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2")) return SimdLevel::Avx2;
#if defined(__x86_64__)
    return SimdLevel::Sse2;  // part of every x86-64 processor
#else
    return __builtin_cpu_supports("sse2") ? SimdLevel::Sse2 : SimdLevel::Scalar;
#endif
#else
    return SimdLevel::Scalar;
#endif
}

CodePath currentPath = CodePath::Fast;
SimdLevel detectedLevel = detect();
SimdLevel currentLevel = detectedLevel;

}  // namespace

void setCodePath(CodePath path) { currentPath = path; }
CodePath codePath() { return currentPath; }

SimdLevel detectedSimdLevel() { return detectedLevel; }

SimdLevel setSimdLevel(SimdLevel level) {
    currentLevel = level > detectedLevel ? detectedLevel : level;
    return currentLevel;
}

SimdLevel simdLevel() { return currentLevel; }

const char* simdLevelName(SimdLevel level) {
    switch (level) {
    case SimdLevel::Avx2: return "avx2";
    case SimdLevel::Sse2: return "sse2";
    default: return "scalar";
    }
}

}  // namespace vantir
