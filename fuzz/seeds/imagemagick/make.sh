#!/usr/bin/env bash
# Regenerates the BMP files the texture tests read, with ImageMagick's
# convert, and beside each NAME.bmp the image ImageMagick decodes from it
# (NAME.ppm, binary PPM): the texels the loader must produce are those
# colours with each channel cut to its top 5 bits.
# The sources are written here as plain PPM text, so the script also checks
# that every lossless file decodes to its source exactly.
#
# Usage: fuzz/seeds/imagemagick/make.sh   (run once; the outputs are committed;
# the .bmp files are also seeds in fuzz/corpus/bmp)
set -euo pipefail
cd "$(dirname "$0")"
convert -version | grep -q ImageMagick || { echo "make.sh: needs ImageMagick's convert" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ppm() {  # name width height: pixel lines "r g b" from stdin
    { echo P3; echo "$2 $3"; echo 255; cat; } > "$work/$1.ppm"
}

# 16x8 true colour: every pixel different in every channel.
for y in $(seq 0 7); do for x in $(seq 0 15); do
    echo $((x * 17)) $((y * 36)) $(((x * y * 7 + x + 3 * y) % 256))
done; done | ppm rgb 16 8

# 4x8 true colour, taller than wide; rows of 12 bytes at 24 bits, 16 at 32.
for y in $(seq 0 7); do for x in $(seq 0 3); do
    echo $((255 - y * 30)) $((x * 80)) $(((x + y) * 25))
done; done | ppm tall 4 8

# 32x16 with few colours in long runs and scattered single pixels, so that
# run-length files hold encoded runs and absolute runs.
for y in $(seq 0 15); do for x in $(seq 0 31); do
    if [ $(((x * 7 + y * 3) % 11)) -eq 0 ]; then echo $((x * 8)) $((y * 16)) 200
    else echo $(((y / 4) * 80)) 40 $(((x / 8) * 60)); fi
done; done | ppm runs 32 16

# 16x8 with exactly 16 colours.
for y in $(seq 0 7); do for x in $(seq 0 15); do
    c=$(((x / 2 + y * 3) % 16)); echo $((c * 16)) $((255 - c * 16)) $(((c * 37) % 256))
done; done | ppm sixteen 16 8

# 16x8 black and white.
for y in $(seq 0 7); do for x in $(seq 0 15); do
    if [ $(((x + y) % 3)) -eq 0 ]; then echo 255 255 255; else echo 0 0 0; fi
done; done | ppm mono 16 8

# 2x4, two colours: rows of 1 (1 bit) and 6 (24 bits) bytes, padded to 4.
printf '255 255 255\n0 0 0\n0 0 0\n255 255 255\n255 255 255\n255 255 255\n0 0 0\n0 0 0\n' | ppm tiny 2 4

# 2x4 with 8 colours (4 bits: rows of 1 byte) and 2x16 with 32 colours (8
# bits: rows of 2 bytes), both padded to 4.
for i in $(seq 0 7); do echo $((i * 32)) $((255 - i * 32)) $((i % 2 * 255)); done | ppm tiny8 2 4
for i in $(seq 0 31); do echo $((i * 8)) $(((i * 40) % 256)) $((255 - i * 8)); done | ppm tiny32 2 16

make() {  # output source lossless(yes/no) format(BMP3 or BMP) convert-options...
    local out=$1 src=$2 lossless=$3 format=$4
    shift 4
    convert "$work/$src.ppm" "$@" "$format:$out.bmp"
    convert "$out.bmp" -depth 8 "ppm:$out.ppm"
    if [ "$lossless" = yes ]; then
        convert "$work/$src.ppm" -depth 8 "ppm:$work/$src.p6"
        cmp -s "$work/$src.p6" "$out.ppm" || { echo "make.sh: $out.bmp does not hold its source" >&2; exit 1; }
    fi
}

rm -f ./*.bmp ./*.ppm
make bmp3_1bit mono yes BMP3 -type Palette -colors 2
make bmp3_1bit_tiny tiny yes BMP3 -type Palette -colors 2
make bmp3_4bit sixteen yes BMP3 -type Palette -colors 16
make bmp3_4bit_tiny tiny8 yes BMP3 -type Palette
make bmp3_8bit_rle runs yes BMP3 -type Palette
make bmp3_8bit runs yes BMP3 -type Palette -compress None
make bmp3_8bit_tiny tiny32 yes BMP3 -type Palette -compress None
make bmp3_24bit rgb yes BMP3
make bmp3_24bit_tiny tiny yes BMP3 -type TrueColor
make bmp3_32bit tall yes BMP3 -alpha set -define bmp3:alpha=true
make v5_8bit_rle runs yes BMP -type Palette
make v5_8bit runs yes BMP -type Palette -compress None
make v5_16bit_565 rgb no BMP -define bmp:subtype=RGB565
make v5_16bit_555 rgb no BMP -define bmp:subtype=RGB555
make v5_24bit tall yes BMP
make v5_32bit rgb yes BMP -type TrueColorAlpha
