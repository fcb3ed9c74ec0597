#!/usr/bin/env bash
# tests/golden/record.sh [BUILD_DIR]  (default: build/ at the top of the repository)
#
# Re-records the golden frames from the current build: the expected shot lines
# and a PNG of every shot. Run deliberately, after checking the new images.
# Needs ImageMagick's convert. Each file is written beside its target and
# renamed over it only when whole, so a failed run changes nothing it had not
# finished; the PNGs carry no time, so an unchanged build leaves them as they are.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
fail() { echo "record.sh: $*" >&2; exit 1; }
# The replay tool runs in a directory of its own: resolve the build path first.
build=$(cd "${1:-$top/build}" 2>/dev/null && pwd) || fail "no build directory ${1:-$top/build}"
replay=$build/tools/replay/vantir-replay
[ -x "$replay" ] || fail "no $replay: build the target vantir-replay first"
command -v convert >/dev/null || fail "needs ImageMagick's convert (apt install imagemagick)"

work=$(mktemp -d)
partial=()
trap 'rm -rf "$work"; rm -f "${partial[@]}"' EXIT
for script in "$here"/*.replay; do
    name=$(basename "$script" .replay)
    mkdir -p "$work/$name/data" "$work/$name/out"
    # What the golden test gives the script, as CMakeLists.txt decides: the
    # textures' folder, if any, and the program.
    command=$(ctest --test-dir "$build" -N -V -R "^golden\.$name\$")
    data=$(sed -n 's/.*"-DDATA_DIR=\([^"]*\)".*/\1/p' <<<"$command")
    program=$(sed -n 's/.*"-DPROGRAM=\([^"]*\)".*/\1/p' <<<"$command")
    [ -z "$data" ] || cp "$data"/*.bmp "$work/$name/data/"
    expected=$here/$name.expected
    partial+=("$expected.new")
    # The program's own messages (the missing texture's) only when the run fails.
    (cd "$work/$name" && "$replay" --program $program "$script" "$work/$name/out") >"$expected.new" 2>"$work/$name.err" ||
        fail "$name.replay failed, nothing of it recorded:"$'\n'"$(cat "$work/$name.err")"
    for bmp in "$work/$name"/out/*.bmp; do
        png=$here/images/$(basename "$bmp" .bmp).png
        partial+=("$png.new")
        # No time chunk nor date text: the bytes depend on the pixels alone.
        convert "$bmp" -define png:exclude-chunks=date,time "PNG:$png.new"
        mv "$png.new" "$png"
    done
    mv "$expected.new" "$expected"
done
echo "recorded: $(ls "$here"/*.expected | wc -l) scripts, $(ls "$here"/images/*.png | wc -l) images"
