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
# The replay tool runs in a directory of its own: resolve the build path first.
build_arg=${1:-$top/build}
if ! build=$(cd "$build_arg" 2>/dev/null && pwd); then
    echo "record.sh: no build directory $build_arg" >&2
    exit 1
fi
replay=$build/tools/replay/vantir-replay
if [ ! -x "$replay" ]; then
    echo "record.sh: no $replay: build the target vantir-replay first" >&2
    exit 1
fi
command -v convert >/dev/null || { echo "record.sh: needs ImageMagick's convert (apt install imagemagick)" >&2; exit 1; }

work=$(mktemp -d)
partial=()
trap 'rm -rf "$work"; rm -f "${partial[@]}"' EXIT
for script in "$here"/*.replay; do
    name=$(basename "$script" .replay)
    mkdir -p "$work/$name/data" "$work/$name/out"
    [ "$name" = missing_texture ] || cp "$top/data/tes256.bmp" "$work/$name/data/"
    expected=$here/$name.expected
    partial+=("$expected.new")
    # The program's own messages (the missing texture's) only when the run fails.
    if ! (cd "$work/$name" && "$replay" "$script" "$work/$name/out") > "$expected.new" 2> "$work/$name.err"; then
        echo "record.sh: $name.replay failed, nothing of it recorded:" >&2
        cat "$work/$name.err" >&2
        exit 1
    fi
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
