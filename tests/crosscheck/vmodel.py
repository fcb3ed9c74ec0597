"""An independent model of the engine's rendering arithmetic, written from the
design rules alone (standard library only).

Everything is computed with Python integers and then wrapped to signed 32 bits
wherever the engine's 32-bit arithmetic would wrap, so the model reproduces
the engine bit for bit: fixed-point trig tables, matrices, the transform and
projection, the ordering table, the three polygon clippers, the edge walk,
the flat, shaded and textured spans with their blends, the rectangle outline
and the demo sphere.
"""

import math
import struct

# ---------------------------------------------------------------------------
# 32-bit integer helpers

MASK32 = 0xFFFFFFFF


def w32(x):
    """Wrap to a signed 32-bit value."""
    x &= MASK32
    return x - 0x100000000 if x & 0x80000000 else x


def mul(a, b):
    return w32(a * b)


def shl(a, n):
    return w32(a << n)


def tdiv(a, b):
    """Signed 32-bit division truncating toward zero (INT32_MIN / -1 wraps)."""
    q = abs(a) // abs(b)
    if (a < 0) != (b < 0):
        q = -q
    return w32(q)


def below_unsigned(value, limit):
    """value > limit, both compared as unsigned 32-bit numbers."""
    return (value & MASK32) > (limit & MASK32)


# ---------------------------------------------------------------------------
# Fixed-point trigonometry and matrices

TRIG_STEP = 0.006135923151367188
SIN = [int(math.sin(i * TRIG_STEP) * 512) for i in range(1024)]
COS = [int(math.cos(i * TRIG_STEP) * 512) for i in range(1024)]


def fix_sin(a):
    return SIN[a & 0x3FF]


def fix_cos(a):
    return COS[a & 0x3FF]


def mat_identity():
    return [[512 if r == c else 0 for c in range(4)] for r in range(4)]


def mat_translation(v):
    m = mat_identity()
    m[3][0] = shl(v[0], 9)
    m[3][1] = shl(v[1], 9)
    m[3][2] = shl(v[2], 9)
    return m


def mat_scale(s):
    m = mat_identity()
    m[0][0], m[1][1], m[2][2] = s[0], s[1], s[2]
    return m


def mat_rotation(a):
    ax, ay, az = a[0], a[1], a[2]
    sx, cx = SIN[ax], COS[ax]
    sy, cy = SIN[ay], COS[ay]
    sz, cz = SIN[az], COS[az]
    m = mat_identity()
    m[0][0] = mul(cy, cz) >> 9
    m[0][1] = w32((mul(w32(-mul(sx, sy)) >> 9, cz) >> 9) - (mul(sz, cx) >> 9))
    m[0][2] = w32((mul(w32(-mul(cx, sy)) >> 9, cz) >> 9) + (mul(sx, sz) >> 9))
    m[1][0] = mul(cy, sz) >> 9
    m[1][1] = w32((mul(cz, cx) >> 9) - (mul(mul(sx, sy) >> 9, sz) >> 9))
    m[1][2] = w32((w32(-mul(cz, sx)) >> 9) - (mul(mul(cx, sy) >> 9, sz) >> 9))
    m[2][0] = sy
    m[2][1] = mul(cy, sx) >> 9
    m[2][2] = mul(cy, cx) >> 9
    m[0][3] = m[1][3] = m[2][3] = 0
    m[3][0] = m[3][1] = m[3][2] = 0
    m[3][3] = 512
    return m


def mat_multiply(a, b):
    out = [[0] * 4 for _ in range(4)]
    for i in range(4):
        for j in range(4):
            s = 0
            for k in range(4):
                s += mul(a[i][k], b[k][j]) >> 9
            out[i][j] = w32(s)
    return out


def mat_model_transform(position, angles, scale):
    x = mat_multiply(mat_rotation(angles), mat_translation(position))
    return mat_multiply(mat_scale(scale), x)


def mat_view_transform(translation, angles, scale):
    x = mat_multiply(mat_translation(translation), mat_rotation(angles))
    return mat_multiply(mat_scale(scale), x)


NEAR_LIMIT = -256


def transform_vertex(v, m, centre):
    """One source vertex through matrix m: (x, y, z, clip)."""
    x, y, z = v[0], v[1], v[2]
    X = w32(x * m[0][0] + y * m[1][0] + z * m[2][0] + m[3][0]) >> 1
    Y = w32(x * m[0][1] + y * m[1][1] + z * m[2][1] + m[3][1]) >> 1
    Z = w32(x * m[0][2] + y * m[1][2] + z * m[2][2] + m[3][2]) >> 9
    if Z <= NEAR_LIMIT:
        return (X, Y, Z, -1)
    d = Z + 256
    return (w32(tdiv(X, d) + centre[0]), w32(tdiv(Y, d) + centre[1]), Z, 0)


# ---------------------------------------------------------------------------
# Raster target

class Target:
    """The back buffer: width x height drawable pixels, row stride = width."""

    def __init__(self, width, height, pixels=None):
        self.width = width
        self.height = height
        self.max_x = width - 1
        self.max_y = height - 1
        self.pixels = pixels if pixels is not None else [0] * (width * (height + 1))


# ---------------------------------------------------------------------------
# Two-pass clipper. A point is a list [x, y, v1, v2, ...].

def _crossing(p, q, axis, limit, max_value, enlarge):
    """The point where the edge from the outside end p to q crosses the
    boundary on p's side: the clipped coordinate becomes 0 or max_value, and
    every other value is interpolated at 0 or at limit (one step past the
    last row or column) from p."""
    d = w32(q[axis] - p[axis])
    if enlarge:
        d = w32(d + 1) if d >= 0 else w32(d - 1)
    if p[axis] < 0:
        t = w32(-p[axis])
        edge = 0
    else:
        t = w32(limit - p[axis])
        edge = max_value
    c = list(p)
    c[axis] = edge
    for k in range(len(p)):
        if k == axis:
            continue
        s = tdiv(shl(w32(q[k] - p[k]), 8), d)
        c[k] = w32(p[k] + (mul(t, s) >> 8))
    return c


def _clip_pass(points, axis, limit, enlarge):
    max_value = limit - 1
    out = []
    n = len(points)
    for i in range(n):
        cur = points[i]
        nxt = points[(i + 1) % n]
        cur_out = below_unsigned(cur[axis], max_value)
        nxt_out = below_unsigned(nxt[axis], max_value)
        if not cur_out and not nxt_out:
            out.append(list(nxt))
        elif cur_out and not nxt_out:
            c = _crossing(cur, nxt, axis, limit, max_value, enlarge)
            if axis == 0:
                if c[0] == nxt[0]:
                    out.append(c if c[1] == nxt[1] else list(nxt))
                else:
                    out.append(c)
                    out.append(list(nxt))
            else:
                out.append(c)
                if not (c[0] == nxt[0] and c[1] == nxt[1]):
                    out.append(list(nxt))
        elif not cur_out and nxt_out:
            c = _crossing(nxt, cur, axis, limit, max_value, enlarge)
            if axis == 0:
                if c[0] != cur[0]:
                    out.append(c)
            else:
                if not (c[0] == cur[0] and c[1] == cur[1]):
                    out.append(c)
        else:
            # Both outside: an edge across the whole range still bounds the
            # polygon, so it contributes both of its crossings in path order.
            if (cur[axis] < 0) != (nxt[axis] < 0):
                out.append(_crossing(cur, nxt, axis, limit, max_value, enlarge))
                out.append(_crossing(nxt, cur, axis, limit, max_value, enlarge))
    return out


def clip_polygon(points, target, flat):
    """Columns first, then rows. The flat family divides by the plain x
    difference in the column pass; everything else by the enlarged one."""
    first = _clip_pass(points, 0, target.width, enlarge=not flat)
    if not first:
        return []
    return _clip_pass(first, 1, target.height, enlarge=True)


# ---------------------------------------------------------------------------
# Edge walk

def _slopes(a, b):
    dy = w32(b[1] - a[1])
    div = w32(dy + 1) if dy >= 0 else w32(dy - 1)
    res = [tdiv(shl(w32(b[0] - a[0]), 8), div)]
    for k in range(2, len(a)):
        res.append(tdiv(shl(w32(b[k] - a[k]), 8), div))
    return res


def walk_polygon(pts, span):
    """Scan-converts the clipped points; span(y, left_acc, right_acc) gets the
    24.8 accumulators [x, v1, v2, ...] of the left and right sides."""
    m = len(pts)
    if m - 1 <= 0:
        return
    t = 0
    for i in range(1, m):
        if pts[i][1] < pts[t][1]:
            t = i
    step = [1, -1]
    end = [t + 1 if t + 1 <= m - 1 else 0, t - 1 if t - 1 >= 0 else m - 1]
    top = pts[t]
    start = [shl(top[0], 8)] + [shl(top[k], 8) for k in range(2, len(top))]
    acc = [list(start), list(start)]
    slope = [_slopes(top, pts[end[0]]), _slopes(top, pts[end[1]])]
    left = 1 if slope[1][0] < slope[0][0] else 0
    right = 1 - left
    y = top[1]

    def add(side):
        a, s = acc[side], slope[side]
        for k in range(len(a)):
            a[k] = w32(a[k] + s[k])

    def advance(side):
        old = end[side]
        new = old + step[side]
        if new < 0:
            new = m - 1
        elif new > m - 1:
            new = 0
        end[side] = new
        slope[side] = _slopes(pts[old], pts[new])

    for _ in range(m - 1):
        s = 1 if pts[end[0]][1] > pts[end[1]][1] else 0
        e = pts[end[s]][1]
        if y == e:
            span(y, acc[left], acc[right])
            add(s)
            advance(s)
            continue
        if y < e:
            while y <= e:
                span(y, acc[left], acc[right])
                add(0)
                add(1)
                y += 1
        other = 1 - s
        if pts[end[other]][1] == e:
            advance(other)
        advance(s)


def clamp_span(target, y, left_x, right_x):
    """Columns [L, R) of a span clamped to the drawing area, or None."""
    if y < 0 or y >= target.height:
        return None
    lft = left_x >> 8
    rgt = right_x >> 8
    if lft < 0:
        lft = 0
    if rgt > target.width:
        rgt = target.width
    if rgt <= lft:
        return None
    return lft, rgt


# ---------------------------------------------------------------------------
# Flat family

def draw_flat(target, verts, colour):
    """verts: list of (x, y) in path order; colour: Rgb555 in the low 16 bits."""
    if all(v[1] == verts[0][1] for v in verts):
        return
    pts = clip_polygon([[v[0], v[1]] for v in verts], target, flat=True)
    pix = target.pixels
    c = colour & 0xFFFF
    width = target.width

    def span(y, la, ra):
        r = clamp_span(target, y, la[0], ra[0])
        if r is None:
            return
        base = y * width
        for x in range(base + r[0], base + r[1]):
            pix[x] = c

    walk_polygon(pts, span)


# ---------------------------------------------------------------------------
# Shaded family

def draw_shaded(target, verts, colours, additive):
    """colours: (red, green, blue) per vertex on 0..255."""
    if all(v[1] == verts[0][1] for v in verts):
        return
    pts = clip_polygon([[v[0], v[1], c[0], c[1], c[2]] for v, c in zip(verts, colours)], target, flat=False)
    pix = target.pixels
    width = target.width

    def span_opaque(y, la, ra):
        r = clamp_span(target, y, la[0], ra[0])
        if r is None:
            return
        count = r[1] - r[0]
        red, green, blue = la[1] >> 1, la[2] >> 1, la[3] >> 1
        sr = tdiv(w32(ra[1] - la[1]) >> 1, count)
        sg = tdiv(w32(ra[2] - la[2]) >> 1, count)
        sb = tdiv(w32(ra[3] - la[3]) >> 1, count)
        i = y * width + r[0]
        for _ in range(count):
            pix[i] = (red & 0x7C00) | ((green >> 5) & 0x03E0) | ((blue >> 10) & 0x001F)
            red = w32(red + sr)
            green = w32(green + sg)
            blue = w32(blue + sb)
            i += 1

    def span_add(y, la, ra):
        r = clamp_span(target, y, la[0], ra[0])
        if r is None:
            return
        count = r[1] - r[0]
        red, green, blue = shl(la[1], 15), shl(la[2], 10), shl(la[3], 5)
        sr = tdiv(shl(w32(ra[1] - la[1]), 15), count)
        sg = tdiv(shl(w32(ra[2] - la[2]), 10), count)
        sb = tdiv(shl(w32(ra[3] - la[3]), 5), count)

        def source():
            return (red & 0x78000000) | (green & 0x03C00000) | (blue & 0x001E0000)

        i = y * width + r[0]
        for _ in range(count // 2):
            lo = source() >> 16
            red, green, blue = w32(red + sr), w32(green + sg), w32(blue + sb)
            hi = source()
            red, green, blue = w32(red + sr), w32(green + sg), w32(blue + sb)
            p = hi | lo
            q = pix[i] | (pix[i + 1] << 16)
            total = (p + (q & 0x7BDE7BDE)) & MASK32
            carries = total & 0x84208420
            res = (total | (carries - (carries >> 5))) & MASK32
            pix[i] = res & 0xFFFF
            pix[i + 1] = res >> 16
            i += 2
        if count & 1:
            p = source() >> 16
            total = p + (pix[i] & 0x7BDE)
            carries = total & 0x8420
            pix[i] = (total | (carries - (carries >> 5))) & 0xFFFF

    walk_polygon(pts, span_add if additive else span_opaque)


# ---------------------------------------------------------------------------
# Textured family

COPY, ADD, HALF = 0, 1, 2


def combine(mode, t, d):
    if mode == COPY:
        return t
    if mode == ADD:
        s = (t & 0x7BDE) + (d & 0x7BDE)
        k = s & 0x8420
        return (s | (k - (k >> 5))) & 0xFFFF
    return ((t >> 1) & 0x3DEF) + ((d >> 1) & 0x3DEF)


def draw_textured(target, verts, uvs, texture, mode):
    """texture: (width_shift, height_shift, texels) with rows top-down."""
    if all(v[1] == verts[0][1] for v in verts):
        return
    ws, hs, texels = texture
    pts = clip_polygon([[v[0], v[1], t[0], t[1]] for v, t in zip(verts, uvs)], target, flat=False)
    pix = target.pixels
    width = target.width
    column_mask = (1 << ws) - 1
    row_mask = ((1 << hs) - 1) << 8
    row_shift = 8 - ws

    def span(y, la, ra):
        r = clamp_span(target, y, la[0], ra[0])
        if r is None:
            return
        count = r[1] - r[0]
        du = tdiv(w32(ra[1] - la[1]), count)
        dv = tdiv(w32(ra[2] - la[2]), count)
        step_u = du >> (8 - ws)
        step_v = dv >> (8 - hs)
        u = shl(la[1], ws) >> 8
        v = shl(la[2], hs) >> 8
        i = y * width + r[0]
        for _ in range(count):
            t = texels[((v & row_mask) >> row_shift) + ((u >> 8) & column_mask)]
            pix[i] = t if mode == COPY else combine(mode, t, pix[i])
            u = w32(u + step_u)
            v = w32(v + step_v)
            i += 1

    walk_polygon(pts, span)


# ---------------------------------------------------------------------------
# Rectangle outline

def draw_rect_outline(target, x, y, w, h, colour):
    """The far corner (x + w, y + h) is taken without 32-bit wrap-around: a
    corner beyond 2^31 must not come back onto the screen as a stray run."""
    W, H = target.width, target.height
    pix = target.pixels
    c = colour & 0xFFFF
    x0 = max(x, 0)
    n = min(x + w, W) - x0
    y0 = max(y, 0)
    cnt = min(y + h, H) - y0
    if n > 0:
        if 0 <= y <= H - 1:
            for i in range(n):
                pix[y * W + x0 + i] = c
        yb = y + h
        if 0 <= yb <= H - 1:
            for i in range(n):
                pix[yb * W + x0 + i] = c
    if cnt > 0:
        if 0 <= x <= W - 1:
            for j in range(cnt):
                pix[(y0 + j) * W + x] = c
        xr = x + w
        if 0 <= xr <= W - 1:
            for j in range(cnt):
                pix[(y0 + j) * W + xr] = c


# ---------------------------------------------------------------------------
# Texture file

def load_bmp_8bit(path):
    """The demo texture: an uncompressed 8-bit BMP, palette after the info
    header, rows from the data offset, bottom-up, padded to 4 bytes."""
    data = open(path, 'rb').read()
    data_offset, header_size = struct.unpack_from('<II', data, 10)
    width, height = struct.unpack_from('<ii', data, 18)
    bits = struct.unpack_from('<H', data, 28)[0]
    count = struct.unpack_from('<I', data, 46)[0] or 256
    assert bits == 8 and width > 0 and height > 0
    pal_at = 14 + header_size
    palette = []
    for i in range(256):
        if i < count:
            b, g, r = data[pal_at + 4 * i], data[pal_at + 4 * i + 1], data[pal_at + 4 * i + 2]
            palette.append(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3))
        else:
            palette.append(0)
    stride = (width + 3) & ~3
    texels = []
    for r in range(height):
        row = data_offset + (height - 1 - r) * stride
        texels.extend(palette[b] for b in data[row:row + width])
    ws = width.bit_length() - 1
    hs = height.bit_length() - 1
    return ws, hs, texels


# ---------------------------------------------------------------------------
# The demo: a textured sphere of five parts, rendered the way the frame does

def sphere_vertex(n, column, ring, shift):
    e = (ring * 1024) // n
    f = ((column % n) * 1024) // n
    x = ((fix_cos(f) * fix_sin(e)) >> 10) << shift
    y = (fix_cos(e) << shift) >> 1
    z = ((fix_sin(f) * fix_sin(e)) >> 10) << shift
    return (x, y, z)


class Demo:
    PART_FIRST = [0, 40, 80, 120, 160]
    PART_COUNT = [40, 40, 40, 40, 60]

    def __init__(self, client_w, client_h, texture):
        self.width = client_w & ~1          # rows must match the DIB's padded rows
        self.height = client_h - 1          # the last client row is never used
        self.centre = (self.width >> 1, self.height >> 1)
        self.texture = texture              # None: missing file -> flat triangles
        self.vertices = [sphere_vertex(20, j, i, 1) for i in range(11) for j in range(20)]
        tex = [(0, 0)] * 1200
        for i in range(11):
            for j in range(21):
                tex[i * 21 + j] = ((j * 256) // 20, (i * 256) // 10)
        self.texcoords = tex
        tris = []
        for r in range(10):
            for k in range(40):
                h = 20 * r + (k % 20)
                l = 20 * r + ((k + 1) % 20)
                mm = 21 * r + k
                tris.append(((h, h + 20, l + 20), (mm, mm + 21, mm + 22)))
                tris.append(((h, l, l + 20), (mm, mm + 1, mm + 22)))
        self.triangles = tris
        self.model_pos = (0, 0, 700)
        self.model_rot = (0, 0, 0)
        self.model_scale = (256, 256, 256)
        self.part_pos = [(0, 0, 0)] + [(0, -50, 0)] * 4
        self.part_rot = [[0, 0, 0] for _ in range(5)]
        self.camera_pos = (0, 0, 75)
        self.camera_rot = (0, 0, 0)

    def rotate(self, dx, dy):
        """Left-button drag: parts 4..1 turn by the latched mouse motion."""
        for n in (4, 3, 2, 1):
            rot = self.part_rot[n]
            x = (rot[0] - dy) & 1023
            if 97 <= x <= 511:
                x = 96
            elif 512 <= x <= 959:
                x = 960
            z = (rot[2] - dx) & 1023
            if 65 <= z <= 511:
                z = 64
            elif 512 <= z <= 959:
                z = 960
            rot[0], rot[2] = x, z

    def project(self):
        view = mat_view_transform(self.camera_pos, self.camera_rot, (512, 512, 512))
        m = mat_model_transform(self.model_pos, self.model_rot, self.model_scale)
        level = mat_multiply(m, view)
        out = [None] * 220
        for k in range(5):
            local = mat_model_transform(self.part_pos[k], self.part_rot[k], (512, 512, 512))
            level = mat_multiply(local, level)
            f = self.PART_FIRST[k]
            for i in range(f, f + self.PART_COUNT[k]):
                out[i] = transform_vertex(self.vertices[i], level, self.centre)
        return out

    def render(self):
        target = Target(self.width, self.height)
        pv = self.project()
        buckets = {}
        for index, (vi, _) in enumerate(self.triangles):
            a, b, c = pv[vi[0]], pv[vi[1]], pv[vi[2]]
            if a[3] == -1 or b[3] == -1 or c[3] == -1:
                depth = 4096
            else:
                depth = tdiv(w32(a[2] + b[2] + c[2]), 3)
            depth = ((depth + 0x8000) & 0xFFFF) - 0x8000
            if 0 <= depth <= 4095:
                buckets.setdefault(depth, []).append(index)
        for b in sorted(buckets, reverse=True):
            for index in reversed(buckets[b]):
                vi, ti = self.triangles[index]
                verts = [(pv[i][0], pv[i][1]) for i in vi]
                if self.texture is None:
                    draw_flat(target, verts, 0)
                else:
                    uvs = [self.texcoords[i] for i in ti]
                    draw_textured(target, verts, uvs, self.texture, COPY)
        return target


class ReplayModel:
    """Follows a replay script the way the message loop does: every message
    moves the recorded cursor; each idle pass latches it and runs a frame."""

    def __init__(self, texture):
        self.texture = texture

    def run(self, lines):
        client = (512, 480)
        shots = []
        demo = None
        last = (0, 0)
        latched = (0, 0)
        buttons = 0
        rendered = None
        for raw in lines:
            line = raw.split('#', 1)[0].strip()
            if not line:
                continue
            words = line.split()
            cmd = words[0]
            if cmd == 'client':
                client = (int(words[1]), int(words[2]))
                continue
            if demo is None:
                demo = Demo(client[0], client[1], self.texture)
            if cmd in ('move', 'ldown', 'lup', 'rdown', 'rup'):
                last = (int(words[1]), int(words[2]))
                if cmd == 'ldown':
                    buttons |= 2
                elif cmd == 'lup':
                    buttons &= ~2
                elif cmd == 'rdown':
                    buttons |= 1
                elif cmd == 'rup':
                    buttons &= ~1
            elif cmd == 'idle':
                for _ in range(int(words[1])):
                    prev, latched = latched, last
                    if buttons & 2:
                        demo.rotate(w32(latched[0] - prev[0]), w32(latched[1] - prev[1]))
                    rendered = None
            elif cmd == 'shot':
                if rendered is None:
                    rendered = demo.render()
                shots.append((words[1], rendered))
            elif cmd in ('char', 'close'):
                pass  # not modelled: scripts used here do not quit early
            else:
                raise ValueError('unknown command: ' + line)
        return shots


# ---------------------------------------------------------------------------
# Depth ordering and dispatch of a display list

def sign16(v):
    v &= 0xFFFF
    return v - 0x10000 if v & 0x8000 else v


TEXTURED_MODES = {11: (3, COPY), 12: (4, COPY), 27: (3, ADD), 28: (4, ADD), 59: (3, HALF), 60: (4, HALF)}
SHADED_MODES = {67: (3, False), 68: (4, False), 83: (3, True), 84: (4, True)}


def draw_display_list(target, verts, colour_records, texcoords, prims, texture, sprite_kinds):
    """verts: projected (x, y, z, clip) by index; colour_records and texcoords:
    the full row arrays (zero past what was appended); prims: dicts with
    code_word, depth, bias and s (13 signed 16-bit fields), in creation order."""
    colour_table = [((r >> 3) & 31) << 10 | ((g >> 3) & 31) << 5 | ((b >> 3) & 31)
                    for r, g, b in colour_records]
    buckets = [[] for _ in range(4096)]
    for p in prims:
        cw, s = p['code_word'], p['s']
        if cw & 0x200:
            a, b, d = verts[s[1]], verts[s[2]], verts[s[3]]
            # The exact cross product decides (Python integers do not wrap).
            if (b[0] - a[0]) * (d[1] - b[1]) - (b[1] - a[1]) * (d[0] - b[0]) < 0:
                continue
        n = cw & 7
        depth = sign16(p['depth'])
        used = {1: [s[0]], 2: s[1:3], 3: s[1:4], 4: s[1:5]}.get(n)
        if used is not None:
            vs = [verts[i] for i in used]
            if any(v[3] == -1 for v in vs):
                p['depth'] = 4096
                continue  # the near-limit mark is never filed
            elif n == 1:
                depth = vs[0][2]
            elif n == 2:
                depth = w32(vs[0][2] + vs[1][2]) >> 1
            elif n == 3:
                depth = tdiv(w32(vs[0][2] + vs[1][2] + vs[2][2]), 3)
            else:
                depth = w32(vs[0][2] + vs[1][2] + vs[2][2] + vs[3][2]) >> 2
        p['depth'] = sign16(depth)  # stored: the low 16 bits; filed: the full depth
        bucket = depth + sign16(p['bias'])
        if 0 <= bucket <= 4095:
            buckets[bucket].append(p)
    for b in range(4095, -1, -1):
        for p in reversed(buckets[b]):
            code, s = p['code_word'] & 0xFF, p['s']
            xy = lambda idx: [(verts[i][0], verts[i][1]) for i in idx]
            if code == 3:
                draw_flat(target, xy(s[1:4]), colour_table[s[4]])
            elif code == 4:
                draw_flat(target, xy(s[1:5]), colour_table[s[5]])
            elif code in TEXTURED_MODES:
                n, mode = TEXTURED_MODES[code]
                tc = s[7:10] if n == 3 else s[9:13]
                draw_textured(target, xy(s[1:1 + n]), [texcoords[i] for i in tc], texture, mode)
            elif code in SHADED_MODES:
                n, additive = SHADED_MODES[code]
                cr = s[4:7] if n == 3 else s[5:9]
                draw_shaded(target, xy(s[1:1 + n]), [colour_records[i] for i in cr], additive)
            elif code == 81:
                index = sign16(p['code_word'] >> 16)
                if 0 <= index < len(sprite_kinds) and sprite_kinds[index] == 0:
                    v = verts[s[0]]
                    draw_rect_outline(target, v[0], v[1], 50, 50, 0x7FFF)
