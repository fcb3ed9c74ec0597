#!/usr/bin/env bash
# The browser programs' files as a server sends them: bytes, and bytes after
# gzip -9 (what a compressing server sends at most). The sizes follow every
# change of the code, so they are measured here rather than written down.
# Each program's .wasm also carries the textures packed for it.
#   tools/web_sizes.sh [BUILD_WEB_DIR]     default: build-web below the repository
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build-web}
shopt -s nullglob
files=("$dir"/*.html "$dir"/*.js "$dir"/*.wasm)
if [ ${#files[@]} -eq 0 ]; then
    echo "web_sizes.sh: no page, script or module in $dir; ./dev web or ./dev test builds them" >&2
    exit 1
fi
for file in "${files[@]}"; do
    printf '%-20s %9d bytes %9d gzipped\n' "$(basename "$file")" "$(wc -c <"$file")" "$(gzip -9c "$file" | wc -c)"
done
