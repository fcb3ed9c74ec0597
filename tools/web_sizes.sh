#!/usr/bin/env bash
# The browser program's files as a server sends them: bytes, and bytes after
# gzip -9 (what a compressing server sends at most). The sizes follow every
# change of the code, so they are measured here rather than written down.
#   tools/web_sizes.sh [BUILD_WEB_DIR]     default: build-web below the repository
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build-web}
for file in index.html vantir.js vantir.wasm; do
    if [ ! -f "$dir/$file" ]; then
        echo "web_sizes.sh: no $dir/$file; ./dev web or ./dev test builds it" >&2
        exit 1
    fi
    printf '%-12s %9d bytes %9d gzipped\n' "$file" "$(wc -c <"$dir/$file")" "$(gzip -9c "$dir/$file" | wc -c)"
done
# The texture is packed into vantir.wasm, less the runs of zeros the linker drops.
printf 'vantir.wasm packs data/tes256.bmp, %d bytes\n' "$(wc -c <"$root/data/tes256.bmp")"
