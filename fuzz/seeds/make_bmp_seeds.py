#!/usr/bin/env python3
"""Writes the hand-made BMP seeds of fuzz/corpus/bmp: the header sizes,
depths and encodings that ImageMagick does not write (core, 52-, 56- and
108-byte headers, 16-bit without masks, 32-bit bit fields, RLE4, RLE8 with
deltas and absolute runs, short palettes) and files the loader must refuse.
The real ImageMagick files come from fuzz/seeds/imagemagick and data/tes256.bmp.

Usage: fuzz/seeds/make_bmp_seeds.py   (its outputs are committed)
"""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "corpus", "bmp")


def bmp(header_size, width, height, bits, compression, pixels, palette=b"", masks=None, colours_used=0):
    info = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, bits, compression, len(pixels), 2835, 2835,
                       colours_used, 0)
    if header_size == 12:
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
    else:
        extra = b""
        if masks is not None:
            extra = struct.pack("<III", *masks)
            if header_size >= 56:
                extra += struct.pack("<I", 0)  # alpha mask
        info = (info + extra).ljust(header_size, b"\0")[:header_size]
    data_offset = 14 + len(info) + len(palette)
    if header_size == 40 and masks is not None:
        info += struct.pack("<III", *masks)  # the masks follow a 40-byte header
        data_offset += 12
    head = b"BM" + struct.pack("<IHHI", data_offset + len(pixels), 0, 0, data_offset)
    return head + info + palette + pixels


def rows(width, height, bits, value):
    stride = (width * bits + 31) // 32 * 4
    out = b""  # bytes of each row from value(byte index, row)
    for y in range(height):
        row = bytes(value(x, y) & 255 for x in range((width * bits + 7) // 8))
        out += row.ljust(stride, b"\0")
    return out


def palette(n):
    return b"".join(bytes([(i * 37) & 255, (i * 91) & 255, (255 - i * 16) & 255, 0]) for i in range(n))


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS = 0, 1, 2, 3
M555 = (0x7C00, 0x03E0, 0x001F)
M565 = (0xF800, 0x07E0, 0x001F)
M888 = (0x00FF0000, 0x0000FF00, 0x000000FF)

write("hm_core12_8bit.bmp", bmp(12, 4, 4, 8, 0, rows(4, 4, 8, lambda x, y: x + y), bytes(3 * 256)))
write("hm_v40_16bit_rgb.bmp", bmp(40, 8, 4, 16, BI_RGB, rows(8, 4, 16, lambda x, y: x * 29 + y)))
write("hm_v40_16bit_565.bmp", bmp(40, 4, 2, 16, BI_BITFIELDS, rows(4, 2, 16, lambda x, y: 255 - x * 9), masks=M565))
write("hm_v52_16bit_555.bmp", bmp(52, 4, 8, 16, BI_BITFIELDS, rows(4, 8, 16, lambda x, y: x ^ y * 17), masks=M555))
write("hm_v56_32bit_fields.bmp", bmp(56, 2, 2, 32, BI_BITFIELDS, rows(2, 2, 32, lambda x, y: x * 50 + y), masks=M888))
write("hm_v108_24bit.bmp", bmp(108, 8, 2, 24, BI_RGB, rows(8, 2, 24, lambda x, y: x * 11 + y * 3)))
write("hm_v108_4bit_short_palette.bmp",
      bmp(108, 8, 8, 4, BI_RGB, rows(8, 8, 4, lambda x, y: (x * 3 + y) & 0x55), palette(6), colours_used=6))
write("hm_v40_1bit_256x2.bmp", bmp(40, 256, 2, 1, BI_RGB, rows(256, 2, 1, lambda x, y: 0xA5 ^ x), palette(2)))
write("hm_v40_8bit_2x256.bmp", bmp(40, 2, 256, 8, BI_RGB, rows(2, 256, 8, lambda x, y: y), palette(256)))
# RLE4: encoded runs of alternating nibbles, an absolute run with its padding,
# a delta, end of line, end of bitmap.
rle4 = bytes([6, 0x12, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 2, 2, 1, 4, 0xAB, 0, 0, 8, 0xCD, 0, 1])
write("hm_v40_4bit_rle4.bmp", bmp(40, 16, 4, 4, BI_RLE4, rle4, palette(16)))
# RLE8 with a delta past the row end, an overlong run and an absolute run.
rle8 = bytes([3, 7, 0, 2, 20, 1, 40, 9, 0, 0, 0, 3, 1, 2, 3, 0, 2, 1, 8, 0, 0, 1])
write("hm_v40_8bit_rle8_delta.bmp", bmp(40, 8, 8, 8, BI_RLE8, rle8, palette(12), colours_used=12))
# Refused: a side that is no power of two, a depth of 2, RLE8 at 4 bits, a
# negative (top-down) height, a palette running past the end.
write("hm_refuse_width_6.bmp", bmp(40, 6, 4, 24, BI_RGB, rows(6, 4, 24, lambda x, y: x)))
write("hm_refuse_depth_2.bmp", bmp(40, 4, 4, 2, BI_RGB, rows(4, 4, 2, lambda x, y: x), palette(4)))
write("hm_refuse_rle8_at_4bit.bmp", bmp(40, 4, 4, 4, BI_RLE8, rle8, palette(16)))
write("hm_refuse_top_down.bmp", bmp(40, 4, -4, 24, BI_RGB, rows(4, 4, 24, lambda x, y: y)))
write("hm_refuse_short_palette.bmp", bmp(40, 4, 4, 8, BI_RGB, b"", palette(3), colours_used=200))
