#!/usr/bin/env bash
# Lines of tests against lines of product code: *.cpp, *.h, *.py, *.sh, *.cmake
# and CMakeLists.txt below tests/ and below src/. The owner's bound is 0.40.
cd "$(dirname "$0")/../.."
count() {
    find "$1" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.py' -o -name '*.sh' -o -name '*.cmake' \
        -o -name CMakeLists.txt \) -print0 | xargs -0 cat | wc -l
}
tests=$(count tests)
src=$(count src)
awk -v t="$tests" -v s="$src" 'BEGIN { printf "tests %d, src %d, ratio %.2f\n", t, s, t / s }'
