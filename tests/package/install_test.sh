#!/usr/bin/env bash
# The installed package, as a program outside the tree uses it:
#   install_test.sh BUILD_DIR SOURCE_DIR WORK_DIR EXPECTED_HASH
# installs BUILD_DIR into a fresh prefix, then against that prefix alone
# builds the first scene with CMake (SDL and headless) and with pkg-config,
# runs the headless builds for 30 frames (their last frame must have the
# pinned hash), and builds a program with names of its own at global scope.
set -euo pipefail
build=$1 source=$(cd "$2" && pwd) work=$3 expected=$4
fail() { echo "package: FAIL: $*" >&2; exit 1; }
rm -rf "$work" && mkdir -p "$work"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
# Nothing of the source tree on any include path: only the prefix is given.
cmake -S "$source/examples/first_scene" -B "$work/sdl" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/sdl" >/dev/null || fail "the first scene does not build with find_package"
cmake -S "$source/tests/package/first_scene_headless" -B "$work/headless" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
    -DFIRST_SCENE="$source/examples/first_scene/first_scene.cpp" >/dev/null
cmake --build "$work/headless" >/dev/null || fail "the headless first scene does not build with find_package"
[ "$("$work/headless/first_scene_headless")" = "$expected" ] || fail "the first scene's frame 30 is not $expected"
[ "$("$work/headless/global_names")" = both ] || fail "the program with global names of its own did not run"
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
# shellcheck disable=SC2046
c++ -o "$work/pkg-config-scene" "$source/examples/first_scene/first_scene.cpp" "$source/tests/package/driver.cpp" \
    $(pkg-config --cflags --libs vantir-headless) || fail "the first scene does not build with pkg-config"
[ "$("$work/pkg-config-scene")" = "$expected" ] || fail "the pkg-config build's frame 30 is not $expected"
echo "package: the first scene built with find_package and pkg-config, frame 30 is $expected"
