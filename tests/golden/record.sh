#!/usr/bin/env bash
# Re-records the golden frames from the current build: the expected shot lines
# and a PNG of every shot. Run deliberately, after checking the new images.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
replay=$build/tools/replay/vantir-replay
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for script in "$here"/*.replay; do
    name=$(basename "$script" .replay)
    mkdir -p "$work/$name/data" "$work/$name/out"
    case $name in missing*) ;; *) cp "$here/../../data/tes256.bmp" "$work/$name/data/" ;; esac
    (cd "$work/$name" && "$replay" "$script" "$work/$name/out") > "$here/$name.expected"
    for bmp in "$work/$name"/out/*.bmp; do
        convert "$bmp" "$here/images/$(basename "$bmp" .bmp).png"
    done
done
echo "recorded: $(ls "$here"/*.expected | wc -l) scripts"
