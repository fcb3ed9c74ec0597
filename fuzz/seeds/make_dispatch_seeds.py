#!/usr/bin/env python3
"""Writes the seeds of fuzz/corpus/dispatch: display lists in the byte layout
fuzz/dispatch_target.cpp reads (keep the two in step), one per kind of scene:
every primitive code on screen, the demo's textured triangles, shaded blends,
vertices far off screen and at the 32-bit limits, lying sizes and counts,
callbacks and sprites, a clip rectangle of another size than the screen.

Usage: fuzz/seeds/make_dispatch_seeds.py   (its outputs are committed)
"""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "corpus", "dispatch")

CODES = [3, 4, 11, 12, 27, 28, 59, 60, 67, 68, 83, 84, 81, 96, 0, 1, 2, 5, 7, 19, 75, 0xFF]


def u8(v):
    return struct.pack("<B", v & 0xFF)


def u16(v):
    return struct.pack("<H", v & 0xFFFF)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def on_screen(v):  # coordinate mode 0: u8 * (extent + 32) / 256 - 16; v is the byte
    return u8(0) + u8(v)


def s16c(v):  # mode 1
    return u8(1) + u16(v)


def s32c(v):  # mode 2
    return u8(2) + u32(v)


def special(i):  # mode 3
    return u8(3) + u8(i)


def scene(width, height, vertices, colours=(), texcoords=(), records=b"", setup=0, fill=0, clip=None,
          tex_a=0x3F, tex_b=0x07, claimed=None, sprites=0, slots=(), direct_calls=0, direct=b""):
    out = u8(width - 1) + u8(height - 1) + u8(setup) + u16(fill)
    if setup & 1:
        out += u8(clip[0] - 1) + u8(clip[1] - 1)
    out += u8(tex_a) + u8(tex_b) + u8(len(vertices) - 1)
    for kind, x, y, z, *clipval in vertices:
        out += u8(kind) + x + y
        out += u32(z) if kind & 1 else u16(z + 50)
        if kind & 6 == 4:
            out += u32(clipval[0])
    out += u8(len(colours))
    for table, rgb in colours:
        out += u8(0) + u16(table) + b"".join(u8(c) for c in rgb)
    out += u8(len(texcoords))
    for u, v in texcoords:
        out += u8(0) + u16(u) + u16(v)
    if setup & 4:
        out += u32(claimed)
    out += u8(sprites) + u8(len(slots))
    for index, kind, depth in slots:
        out += u8(index) + u8(kind) + u16(depth)
    out += u8(direct_calls) + u8(len(direct)) + direct
    return out + records


def record(code, fields, size_words=None, flags=0, depth=0, sprite=None, lie=None, bias=None):
    """A raw record: op byte 0, size byte (a byte of 0xf0 or more keeps the
    same allocation and is followed by the size to claim), flags, code byte,
    then depth, bias and the fields (each an index byte below 0xf0)."""
    words = size_words if size_words is not None else (len(fields) + 1) // 2
    flags |= (2 if sprite is not None else 0) | (8 if bias is not None else 0)
    out = u8(0) + u8(words if lie is None else 0xF0 + words) + u8(flags) + u8(CODES.index(code))
    if sprite is not None:
        out += u16(sprite)
    if lie is not None:
        out += u32(lie)
    out += u16(depth) if flags & 4 else u8(depth)
    if bias is not None:
        out += u16(bias)
    for k in range(2 * words):
        out += u8(fields[k] if k < len(fields) else 0)
    return out


def triangles(count, vertex_lists, flags_index=0, texture=0):
    out = u8(15) + u8(count - 1)
    for i in range(3 * count):
        v, t, c, e = vertex_lists[i]
        out += u8(v) + u8(t) + u8(c) + u8(e)
    return out + u8(flags_index) + u8(texture + 1)


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


square = [(0, on_screen(40), on_screen(30), 100), (0, on_screen(200), on_screen(40), 100),
          (0, on_screen(210), on_screen(220), 100), (0, on_screen(30), on_screen(200), 100),
          (0, on_screen(128), on_screen(10), 50), (0, on_screen(250), on_screen(128), 60)]
colours = [(0x7C00, (255, 0, 0)), (0x03E0, (0, 255, 0)), (0x001F, (0, 0, 255)), (0x7FFF, (200, 100, 50))]
texcoords = [(0, 0), (256, 0), (256, 256), (0, 256), (-300, 700)]

every_code = b"".join([
    record(3, [0, 0, 1, 2, 0], flags=4, depth=10),
    record(4, [0, 0, 1, 2, 3, 1]),
    record(11, [0, 0, 1, 2, 0, 0, 0, 0, 1, 2]),
    record(12, [1, 0, 1, 2, 3, 0, 0, 0, 0, 0, 1, 2, 3]),
    record(27, [0, 3, 4, 5, 0, 0, 0, 2, 3, 4]),
    record(28, [1, 0, 1, 2, 3, 0, 0, 0, 0, 4, 3, 2, 1]),
    record(59, [0, 1, 4, 5, 0, 0, 0, 1, 2, 4]),
    record(60, [0, 0, 1, 2, 3, 0, 0, 0, 0, 0, 1, 2, 3]),
    record(67, [0, 0, 1, 2, 0, 1, 2]),
    record(68, [0, 0, 1, 2, 3, 0, 1, 2, 3]),
    record(83, [0, 1, 4, 5, 3, 2, 1]),
    record(84, [0, 0, 1, 2, 3, 3, 2, 1, 0]),
    record(81, [4], sprite=1),
    record(96, [0, 0], flags=16 | 4, depth=3000),
    record(2, [0, 1, 2]),
])
write("every_code.bin", scene(64, 48, square, colours, texcoords, every_code, sprites=0x07,
                              slots=[(0, 3, 200), (5, 3, 4095)]))

demo_tris = triangles(4, [(0, 0, 0, 0), (1, 1, 0, 0), (2, 2, 0, 0), (0, 0, 0, 0), (2, 2, 0, 0), (3, 3, 0, 0),
                          (4, 4, 0, 0), (5, 2, 0, 0), (1, 1, 0, 0), (3, 3, 0, 0), (2, 2, 0, 0), (5, 4, 0, 0)],
                      flags_index=5, texture=0)
write("demo_triangles.bin", scene(128, 96, square, colours, texcoords, demo_tris * 3))

shaded = triangles(2, [(0, 0, 0, 0), (1, 0, 1, 0), (2, 0, 2, 0), (2, 0, 3, 0), (3, 0, 0, 0), (0, 0, 1, 0)],
                   flags_index=1, texture=-1)
shaded += triangles(2, [(4, 0, 3, 0), (5, 0, 2, 0), (0, 0, 1, 0), (1, 0, 0, 0), (5, 0, 1, 0), (4, 0, 2, 0)],
                    flags_index=4, texture=-1)
write("shaded_blends.bin", scene(96, 64, square, colours, texcoords, shaded, fill=0x3DEF))

far = [(0, special(0), special(1), 10), (0, special(7), special(8), 20), (1, s32c(0x7FFFFFF0), s16c(-30000), 0x7FFFFFFF),
       (0, s16c(32767), on_screen(100), 30), (4, on_screen(10), on_screen(10), 40, 0x12345678),
       (6, s32c(-(1 << 28)), on_screen(255), 50)]
far_records = b"".join([
    record(3, [0, 0, 1, 2, 1]), record(4, [0, 2, 3, 4, 5, 0]), record(12, [0, 0, 1, 3, 5, 0, 0, 0, 0, 0, 1, 2, 3]),
    record(68, [0, 1, 3, 4, 5, 0, 1, 2, 3]), record(60, [1, 5, 4, 3, 2, 0, 0, 0, 0, 4, 3, 2, 1]),
])
write("far_vertices.bin", scene(32, 24, far, colours, texcoords, far_records))

lying = (record(3, [0, 0, 1, 2, 0], size_words=2) + record(11, [0, 0, 1, 2, 0, 0, 0, 0, 1, 2], lie=-44) +
         record(4, [0, 0, 1, 2, 3, 1], bias=-20, depth=30) + record(67, [0, 0, 1, 2, 0, 1, 2], lie=1 << 30))
write("lying_sizes.bin", scene(40, 30, square, colours, texcoords, lying, setup=4, claimed=1000000))

write("clip_mismatch.bin", scene(160, 120, square, colours, texcoords, every_code, setup=1 | 2, clip=(200, 160),
                                 sprites=0x03))
write("odd_tiny_screen.bin", scene(3, 1, square, colours, texcoords, every_code, tex_a=0x00, tex_b=0x3F))
# Direct rasterizer calls: an outline reaching past the 32-bit limits, a flat
# quad, a shaded blend and a textured quad on the scene's corners.
direct = (u8(0) + u32(-5) + u32(-7) + u32(0x7FFFFFFF) + u32(60) + u32(0x7FFF) + u8(2) + u8(0) + u8(1) + u8(2) +
          u8(3) + u32(0x1F) + u8(4) + u8(0) + u8(1) + u8(2) + u8(3) + u8(0) + u8(1) + u8(2) + u8(3) + u8(7) + u8(0) +
          u8(1) + u8(2) + u8(3) + u8(0) + u8(1) + u8(2) + u8(3) + u16(1))
sized = u8(14) + u8(0) + u8(44) + u8(0) + u8(5) + b"".join(u8(f) for f in [0, 0, 1, 2, 0, 0, 0, 0, 1, 2, 0, 0, 0, 0])
sized += u8(14) + u8(1) + u32(-4) + u8(13) + u8(4) + b"".join(u16(i * 100) + u16(i * 50) for i in range(8))
write("direct_calls.bin", scene(64, 48, square, colours, texcoords, sized + every_code, direct_calls=3,
                                direct=direct))
write("empty.bin", b"")
