"""Random-polygon cross-check: the same cases go through the engine (the
xc_harness program) and through the model, and the buffers are compared."""

import random
import struct
import subprocess

import vmodel

M32 = 0xFFFFFFFF


def mix(i, seed):
    """The harness's hash, for backgrounds and texels."""
    x = (i * 0x9E3779B1 + seed * 0x85EBCA77 + 0x165667B1) & M32
    x ^= x >> 15
    x = (x * 0x2C1B3C6D) & M32
    x ^= x >> 12
    x = (x * 0x297A2D39) & M32
    x ^= x >> 15
    return x


# ---------------------------------------------------------------------------
# Case generation

def _convex_hull(points):
    pts = sorted(set(points))
    if len(pts) <= 2:
        return pts

    def cross(o, a, b):
        return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0])

    lower, upper = [], []
    for p in pts:
        while len(lower) >= 2 and cross(lower[-2], lower[-1], p) <= 0:
            lower.pop()
        lower.append(p)
    for p in reversed(pts):
        while len(upper) >= 2 and cross(upper[-2], upper[-1], p) <= 0:
            upper.pop()
        upper.append(p)
    return lower[:-1] + upper[:-1]


def _point(rng, kind, W, H):
    if kind == 'inside':
        return (rng.randint(0, W - 1), rng.randint(0, H - 1))
    if kind == 'around':
        return (rng.randint(-W, 2 * W), rng.randint(-H, 2 * H))
    if kind == 'edges':
        xs = [-2, -1, 0, 1, W // 2, W - 2, W - 1, W, W + 1]
        ys = [-2, -1, 0, 1, H // 2, H - 2, H - 1, H, H + 1]
        return (rng.choice(xs), rng.choice(ys))
    if kind == 'extreme':
        def big():
            return rng.choice([rng.randint(-2**31, 2**31 - 1), rng.randint(-2**24, 2**24), -2**31, 2**31 - 1])
        return (big(), big())
    if kind == 'far':
        return (rng.randint(-20 * W, 20 * W), rng.randint(-20 * H, 20 * H))
    return (rng.randint(-1000000, 1000000), rng.randint(-1000000, 1000000))


def _shape(rng, n, W, H):
    """n corners of one of many kinds of polygon."""
    kind = rng.choice(['inside', 'inside', 'around', 'around', 'edges', 'far', 'huge',
                       'convex', 'convex', 'convex', 'contain', 'degenerate'] * 4 + ['extreme'])
    if kind == 'convex':
        sub = rng.choice(['inside', 'around', 'far', 'huge', 'edges'])
        for _ in range(20):
            hull = _convex_hull([_point(rng, sub, W, H) for _ in range(n)])
            if len(hull) == n:
                break
        else:
            return [_point(rng, sub, W, H) for _ in range(n)]
        if rng.random() < 0.5:
            hull.reverse()
        r = rng.randrange(n)
        return hull[r:] + hull[:r]
    if kind == 'contain':
        big = rng.choice([2, 50, 5000, 1000000])
        def out(lo, hi):
            return rng.randint(lo, hi)
        if n == 4:
            pts = [(out(-big, -1), out(-big, -1)), (out(W, W + big), out(-big, -1)),
                   (out(W, W + big), out(H, H + big)), (out(-big, -1), out(H, H + big))]
        else:
            # A triangle around the screen: apex above, base far below and wide.
            pts = [(out(-big, W + big), out(-3 * H - big, -H - 1)),
                   (out(W + 2 * W + big, W + 4 * W + 2 * big), out(2 * H, 2 * H + big)),
                   (out(-4 * W - 2 * big, -2 * W - big), out(2 * H, 2 * H + big))]
        if rng.random() < 0.5:
            pts.reverse()
        r = rng.randrange(n)
        return pts[r:] + pts[:r]
    if kind == 'degenerate':
        sub = rng.choice(['same_y', 'collinear', 'duplicate', 'point'])
        base = [_point(rng, rng.choice(['inside', 'around', 'edges']), W, H) for _ in range(n)]
        if sub == 'same_y':
            return [(p[0], base[0][1]) for p in base]
        if sub == 'collinear':
            (x0, y0), (dx, dy) = base[0], (rng.randint(-9, 9), rng.randint(-9, 9))
            return [(x0 + k * dx * rng.randint(1, 5), y0 + k * dy * rng.randint(1, 5)) for k in range(n)]
        if sub == 'duplicate':
            base[rng.randrange(n)] = base[rng.randrange(n)]
            return base
        return [base[0]] * n
    return [_point(rng, kind, W, H) for _ in range(n)]


def _texcoord(rng, kind):
    if kind == 'unit':
        return (rng.randint(0, 256), rng.randint(0, 256))
    if kind == 'wide':
        return (rng.randint(-1024, 1024), rng.randint(-1024, 1024))
    if kind == 'large':
        return (rng.randint(-32767, 32767), rng.randint(-32767, 32767))
    return (rng.randint(-2**31, 2**31 - 1), rng.randint(-2**31, 2**31 - 1))


def _colour(rng, kind):
    if kind == 'normal':
        return tuple(rng.randint(0, 255) for _ in range(3))
    if kind == 'extreme':
        return tuple(rng.choice([0, 255]) for _ in range(3))
    if kind == 'wild':
        return tuple(rng.randint(-300, 600) for _ in range(3))
    return tuple(rng.randint(-2**31, 2**31 - 1) for _ in range(3))


def generate(rng):
    """One case: (header words, [command tuples])."""
    W = rng.choice([2, 4, 6, 8, 16, 30, 64, 100, 128, 160, 200, 5, 33])
    H = rng.choice([1, 2, 3, 5, 8, 16, 30, 47, 64, 100, 120])
    bg_kind = rng.choice([0, 1, 1])
    bg_val = rng.choice([0, 0x7FFF, 0xFFFF, rng.randint(0, 0xFFFF)]) if bg_kind == 0 else rng.randint(0, M32)
    ws, hs = rng.randint(1, 8), rng.randint(1, 8)
    header = (W, H, bg_kind, bg_val, ws, hs, rng.randint(0, M32), rng.choice([0x7FFF, 0xFFFF]))
    commands = []
    for _ in range(rng.choice([1, 1, 2, 3])):
        family = rng.choice(['F', 'S0', 'S1', 'T0', 'T1', 'T2', 'R'])
        n = rng.choice([3, 4])
        if family == 'R':
            x, y = _point(rng, rng.choice(['inside', 'around', 'edges', 'far', 'extreme']), W, H)
            ew, eh = _point(rng, 'extreme', W, H)
            commands.append(('R', x, y, rng.choice([0, 1, 50, rng.randint(-W, 2 * W), ew]),
                             rng.choice([0, 1, 50, rng.randint(-H, 2 * H), eh]), rng.randint(0, 0xFFFF)))
            continue
        pts = _shape(rng, n, W, H)
        if family == 'F':
            colour = rng.choice([rng.randint(0, 0xFFFF), rng.randint(-2**31, 2**31 - 1)])
            commands.append(('F', n, pts, colour))
        elif family[0] == 'S':
            ck = rng.choice(['normal', 'normal', 'extreme', 'wild', 'normal', 'normal', 'extreme', 'wild', 'huge'])
            commands.append(('S', int(family[1]), n, pts, [_colour(rng, ck) for _ in range(n)]))
        else:
            tk = rng.choice(['unit', 'unit', 'wide', 'large', 'unit', 'unit', 'wide', 'large', 'huge'])
            commands.append(('T', int(family[1]), n, pts, [_texcoord(rng, tk) for _ in range(n)]))
    return header, commands


def format_case(header, commands):
    lines = ['case ' + ' '.join(str(v) for v in header)]
    for c in commands:
        if c[0] == 'R':
            lines.append('R %d %d %d %d %d' % c[1:])
        elif c[0] == 'F':
            lines.append('F %d %s %d' % (c[1], ' '.join('%d %d' % p for p in c[2]), c[3]))
        elif c[0] == 'S':
            lines.append('S %d %d %s' % (c[1], c[2], ' '.join('%d %d %d %d %d' % (p + col)
                                                                for p, col in zip(c[3], c[4]))))
        else:
            lines.append('T %d %d %s' % (c[1], c[2], ' '.join('%d %d %d %d' % (p + t)
                                                                for p, t in zip(c[3], c[4]))))
    lines.append('end')
    return '\n'.join(lines) + '\n'


# ---------------------------------------------------------------------------
# The model's side

def model_case(header, commands):
    W, H, bg_kind, bg_val, ws, hs, tex_seed, tex_mask = header
    count = W * (H + 1)
    if bg_kind == 0:
        pixels = [bg_val & 0xFFFF] * count
    else:
        pixels = [mix(i, bg_val) & 0xFFFF for i in range(count)]
    target = vmodel.Target(W, H, pixels)
    texels = [mix(i, tex_seed) & tex_mask for i in range(1 << (ws + hs))]
    texture = (ws, hs, texels)
    for c in commands:
        if c[0] == 'R':
            vmodel.draw_rect_outline(target, *c[1:])
        elif c[0] == 'F':
            vmodel.draw_flat(target, c[2], c[3])
        elif c[0] == 'S':
            vmodel.draw_shaded(target, c[3], c[4], additive=c[1] == 1)
        else:
            vmodel.draw_textured(target, c[3], c[4], texture, c[1])
    return pixels


def route_count(harness):
    """How many implementations (reference, fast at each vector level) the
    engine offers; each one is checked against the model."""
    proc = subprocess.run([harness], input=b'CONFIGS\n', capture_output=True, timeout=60)
    if proc.returncode != 0 or len(proc.stdout) != 4:
        raise RuntimeError('harness cannot list its routes: ' + proc.stderr.decode(errors='replace'))
    return struct.unpack('<i', proc.stdout)[0]


def engine_cases(harness, cases, route=0):
    """Runs the harness once over many cases; answers [(pixels, guards_ok)]."""
    text = 'CONFIG %d\n' % route + ''.join(format_case(h, c) for h, c in cases)
    proc = subprocess.run([harness], input=text.encode(), capture_output=True, timeout=600)
    if proc.returncode != 0:
        raise RuntimeError('harness exited %d: %s' % (proc.returncode, proc.stderr.decode(errors='replace')))
    out, at, results = proc.stdout, 0, []
    for header, _ in cases:
        count = header[0] * (header[1] + 1)
        px = [out[at + 2 * i] | (out[at + 2 * i + 1] << 8) for i in range(count)]
        at += 2 * count
        results.append((px, out[at] == 0))
        at += 1
    return results


def differences(header, engine_px, guards_ok, model_px):
    W = header[0]
    bad = [i for i in range(len(model_px)) if engine_px[i] != model_px[i]]
    notes = []
    if not guards_ok:
        notes.append('engine wrote outside the buffer')
    if bad:
        i = bad[0]
        notes.append('%d pixels differ; first at (%d, %d): engine %04x, model %04x' %
                     (len(bad), i % W, i // W, engine_px[i], model_px[i]))
    return notes


def shrink(harness, header, commands, route):
    """A smaller failing case: the first single command that fails alone."""
    for c in commands:
        (px, ok), = engine_cases(harness, [(header, [c])], route)
        if differences(header, px, ok, model_case(header, [c])):
            return header, [c]
    return header, commands


def run(harness, seed, cases, max_report):
    rng = random.Random(seed)
    generated = [generate(rng) for _ in range(cases)]
    models = [model_case(h, c) for h, c in generated]
    failures = 0
    batch = 200
    for route in range(route_count(harness)):
        for start in range(0, len(generated), batch):
            chunk = generated[start:start + batch]
            for k, ((header, commands), (px, ok)) in enumerate(zip(chunk, engine_cases(harness, chunk, route))):
                notes = differences(header, px, ok, models[start + k])
                if not notes:
                    continue
                failures += 1
                if failures <= max_report:
                    h, c = shrink(harness, header, commands, route)
                    (px2, ok2), = engine_cases(harness, [(h, c)], route)
                    print('MISMATCH in case %d, route %d: %s' % (start + k, route, '; '.join(notes)))
                    print('  reproducer (feed to vantir-xc-harness):')
                    print('    CONFIG %d' % route)
                    for line in format_case(h, c).splitlines():
                        print('    ' + line)
                    print('  ' + '; '.join(differences(h, px2, ok2, model_case(h, c))))
    return failures


# ---------------------------------------------------------------------------
# Display-list cases: depth ordering, back faces and the dispatch table

LIST_CODES = [3, 4, 11, 12, 27, 28, 59, 60, 67, 68, 83, 84, 81, 2, 19, 51, 75, 91, 5, 0, 7]


def generate_list(rng):
    W = rng.choice([16, 64, 100, 128, 200])
    H = rng.choice([16, 47, 64, 100])
    header = (W, H, 1, rng.randint(0, M32), rng.randint(1, 8), rng.randint(1, 8), rng.randint(0, M32),
              rng.choice([0x7FFF, 0xFFFF]))
    nv = rng.randint(3, 24)
    zs = [rng.randint(-300, 4300) for _ in range(3)] + [0, 1, 4095, 4096, -1, 40000 // 3]
    verts = []
    for _ in range(nv):
        x, y = _point(rng, rng.choice(['inside', 'inside', 'around', 'edges']), W, H)
        z = rng.choice(zs) if rng.random() < 0.7 else rng.randint(-600, 45000)
        verts.append((x, y, z, -1 if rng.random() < 0.08 else 0))
    colours = [_colour(rng, rng.choice(['normal', 'wild'])) for _ in range(rng.randint(0, 6))]
    uvs = [_texcoord(rng, rng.choice(['unit', 'wide'])) for _ in range(rng.randint(0, 8))]
    prims = []
    for _ in range(rng.randint(1, 12)):
        code = rng.choice(LIST_CODES)
        cw = code | (0x200 if rng.random() < 0.3 else 0)
        if code == 81:
            cw |= (rng.randint(-2, 5) & 0xFFFF) << 16
        s = [rng.randrange(nv) for _ in range(13)]
        if code in vmodel.TEXTURED_MODES:
            s[0] = 0
            for k in range(7, 13):
                s[k] = rng.randrange(len(uvs) + 3)
        if code in (3, 4):
            s[4 if code == 3 else 5] = rng.randrange(len(colours) + 3)
        if code in vmodel.SHADED_MODES:
            for k in range(4, 9):
                s[k] = rng.randrange(len(colours) + 3)
        prims.append({'code_word': cw, 'depth': rng.choice([0, 7, 100]), 'bias': rng.choice([0, 0, 0, 5, -3]),
                      's': s})
    return header, (verts, colours, uvs, prims)


def format_list(header, body):
    verts, colours, uvs, prims = body
    lines = ['list ' + ' '.join(str(v) for v in header)]
    lines += ['V %d %d %d %d' % v for v in verts]
    lines += ['C %d %d %d' % c for c in colours]
    lines += ['U %d %d' % t for t in uvs]
    lines += ['P %d %d %d %s' % (p['code_word'], p['depth'], p['bias'], ' '.join(str(v) for v in p['s']))
              for p in prims]
    lines.append('end')
    return '\n'.join(lines) + '\n'


def model_list(header, body):
    W, H, bg_kind, bg_val, ws, hs, tex_seed, tex_mask = header
    verts, colours, uvs, prims = body
    pixels = [mix(i, bg_val) & 0xFFFF for i in range(W * (H + 1))]
    target = vmodel.Target(W, H, pixels)
    texture = (ws, hs, [mix(i, tex_seed) & tex_mask for i in range(1 << (ws + hs))])
    all_verts = list(verts) + [(0, 0, 0, 0)] * (1500 - len(verts))
    rows1 = list(colours) + [(0, 0, 0)] * (1200 - len(colours))
    rows2 = list(uvs) + [(0, 0)] * (1200 - len(uvs))
    records = [dict(p, s=list(p['s'])) for p in prims]
    vmodel.draw_display_list(target, all_verts, rows1, rows2, records, texture, [0, 1, 0, 5])
    return pixels


def run_lists(harness, seed, cases, max_report):
    rng = random.Random(seed)
    generated = [generate_list(rng) for _ in range(cases)]
    models = [model_list(h, b) for h, b in generated]
    text = ''.join(format_list(h, b) for h, b in generated)
    failures = 0
    for route in range(route_count(harness)):
        proc = subprocess.run([harness], input=('CONFIG %d\n' % route + text).encode(), capture_output=True,
                              timeout=600)
        if proc.returncode != 0:
            raise RuntimeError('harness exited %d: %s' % (proc.returncode, proc.stderr.decode(errors='replace')))
        out, at = proc.stdout, 0
        for k, (header, body) in enumerate(generated):
            count = header[0] * (header[1] + 1)
            px = [out[at + 2 * i] | (out[at + 2 * i + 1] << 8) for i in range(count)]
            ok = out[at + 2 * count] == 0
            at += 2 * count + 1
            notes = differences(header, px, ok, models[k])
            if notes:
                failures += 1
                if failures <= max_report:
                    print('MISMATCH in list case %d, route %d: %s' % (k, route, '; '.join(notes)))
                    print('  reproducer (feed to vantir-xc-harness):')
                    print('    CONFIG %d' % route)
                    for line in format_list(header, body).splitlines():
                        print('    ' + line)
    return failures
