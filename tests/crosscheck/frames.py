"""Whole-frame cross-check: runs vantir-replay on scripts and compares every
pixel of every shot with the model's frame."""

import os
import shutil
import struct
import subprocess
import tempfile

import vmodel


def read_shot(path):
    """Pixels of a 16-bit BI_RGB bottom-up BMP, rows top-down."""
    data = open(path, 'rb').read()
    offset = struct.unpack_from('<I', data, 10)[0]
    width, height = struct.unpack_from('<ii', data, 18)
    bits = struct.unpack_from('<H', data, 28)[0]
    assert bits == 16, path
    stride = (width * 2 + 3) & ~3
    rows = []
    for r in range(height):
        at = offset + (height - 1 - r) * stride
        rows.extend(struct.unpack_from('<%dH' % width, data, at))
    return width, height, rows


def compare_frame(name, width, height, pixels, target):
    """Returns a list of problem strings (empty when equal)."""
    if (width, height) != (target.width, target.height):
        return ['%s: size %dx%d, model %dx%d' % (name, width, height, target.width, target.height)]
    model = target.pixels
    bad = [i for i in range(width * height) if pixels[i] != model[i]]
    if not bad:
        return []
    first = bad[0]
    rows = sorted({i // width for i in bad})
    return ['%s: %d pixels differ (rows %d..%d); first at (%d, %d): engine %04x, model %04x' %
            (name, len(bad), rows[0], rows[-1], first % width, first // width, pixels[first], model[first])]


def run_script(replay, script_path, texture_file, keep_dir=None):
    """Runs one script; answers [(name, width, height, pixels)]."""
    work = tempfile.mkdtemp(prefix='vantir-xc-')
    try:
        os.mkdir(os.path.join(work, 'data'))
        if texture_file:
            shutil.copy(texture_file, os.path.join(work, 'data', 'tes256.bmp'))
        out = os.path.join(work, 'out')
        os.mkdir(out)
        proc = subprocess.run([os.path.abspath(replay), os.path.abspath(script_path), out], cwd=work,
                              capture_output=True, text=True, timeout=600)
        if proc.returncode != 0:
            raise RuntimeError('%s exited %d: %s' % (script_path, proc.returncode, proc.stderr.strip()))
        shots = []
        for line in proc.stdout.splitlines():
            name = line.split()[0]
            w, h, px = read_shot(os.path.join(out, name + '.bmp'))
            shots.append((name, w, h, px))
        if keep_dir:
            shutil.copytree(out, keep_dir, dirs_exist_ok=True)
        return shots
    finally:
        shutil.rmtree(work, ignore_errors=True)


def check_script(replay, script_path, texture_file, texture):
    """Compares every shot of one script; answers (shot count, problems)."""
    engine = run_script(replay, script_path, texture_file)
    with open(script_path) as f:
        model = vmodel.ReplayModel(texture).run(f.read().splitlines())
    problems = []
    if [s[0] for s in engine] != [s[0] for s in model]:
        problems.append('%s: shots %s, model %s' % (script_path, [s[0] for s in engine], [s[0] for s in model]))
        return len(engine), problems
    base = os.path.basename(script_path)
    for (name, w, h, px), (_, target) in zip(engine, model):
        problems += compare_frame(base + ':' + name, w, h, px, target)
    return len(engine), problems


def random_script(rng):
    """A random drag session: client size, moves, button changes, idles, shots."""
    w = rng.choice([512, rng.randint(2, 700)])
    h = rng.choice([480, rng.randint(2, 520)])
    lines = ['client %d %d' % (w, h)]
    x, y = rng.randint(-50, w + 50), rng.randint(-50, h + 50)
    shots = 0
    for _ in range(rng.randint(3, 12)):
        what = rng.random()
        if what < 0.5:
            x += rng.choice([0, rng.randint(-40, 40), rng.randint(-300, 300)])
            y += rng.choice([0, rng.randint(-40, 40), rng.randint(-300, 300)])
            lines.append('move %d %d' % (x, y))
        elif what < 0.65:
            lines.append('%s %d %d' % (rng.choice(['ldown', 'lup', 'rdown', 'rup']), x, y))
        else:
            lines.append('idle %d' % rng.randint(1, 3))
            if rng.random() < 0.5:
                lines.append('shot s%d' % shots)
                shots += 1
    lines.append('idle 1')
    lines.append('shot s%d' % shots)
    return '\n'.join(lines) + '\n'
