#!/usr/bin/env bash
# Lines of tests against lines of product code: *.cpp, *.h, *.py, *.sh, *.cmake
# and CMakeLists.txt below tests/, and below src/ and examples/ (the programs
# built on the engine are product too). The owner's bound is 0.40.
cd "$(dirname "$0")/../.."
count() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.py' -o -name '*.sh' -o -name '*.cmake' \
        -o -name CMakeLists.txt \) -print0 | xargs -0 cat | wc -l
}
tests=$(count tests)
product=$(count src examples)
awk -v t="$tests" -v s="$product" 'BEGIN { printf "tests %d, product (src, examples) %d, ratio %.2f\n", t, s, t / s }'
