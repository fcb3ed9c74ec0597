#!/usr/bin/env python3
"""Writes a 256 x 256, 24-bit BMP test texture: a coloured checkerboard, so
that a turn of the textured sphere shows on screen."""
import struct
import sys

SIZE = 256
rows = []
for y in range(SIZE):
    row = bytearray()
    for x in range(SIZE):
        on = ((x >> 5) + (y >> 5)) & 1
        # blue, green, red
        row += bytes((40, 200 if on else 60, 220 if on else 30)) if (x >> 6) & 1 else bytes((230 if on else 20, 80, 40))
    rows.append(bytes(row))
pixels = b"".join(reversed(rows))  # bottom-up
header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
with open(sys.argv[1], "wb") as f:
    f.write(header + info + pixels)
