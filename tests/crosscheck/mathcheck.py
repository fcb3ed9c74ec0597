"""Trig tables, matrices and the vertex transform: the engine (through the
harness) against the model, on random poses."""

import random
import struct
import subprocess

import polys
import vmodel


def _pose(rng):
    def vec(lo, hi):
        return [rng.randint(lo, hi) for _ in range(3)]

    def angles():
        return [rng.choice([0, 256, 512, 768, rng.randrange(1024)]) for _ in range(3)]

    reach = rng.choice([100, 1000, 8191, 20000])
    scale = rng.choice([[512] * 3, vec(-1024, 1024), vec(0, 600)])
    return ([rng.randint(-600, 600), rng.randint(-600, 600)], vec(-reach, reach), angles(), scale,
            vec(-reach, reach), angles(), vec(-4000, 4000))


def model_pose(pose):
    centre, position, angles, scale, translation, view_angles, vertex = pose
    m = vmodel.mat_model_transform(position, angles, scale)
    v = vmodel.mat_view_transform(translation, view_angles, (512, 512, 512))
    lm = vmodel.mat_multiply(m, v)
    flat = [x for mat in (m, v, lm) for row in mat for x in row]
    return flat + list(vmodel.transform_vertex(vertex, lm, centre))


def run(harness, seed, cases, max_report):
    rng = random.Random(seed)
    poses = [_pose(rng) for _ in range(cases)]
    models = [model_pose(p) for p in poses]
    lines = ['TRIG'] + ['M ' + ' '.join(str(x) for part in p for x in part) for p in poses]
    failures = 0
    for route in range(polys.route_count(harness)):
        text = 'CONFIG %d\n' % route + '\n'.join(lines) + '\n'
        proc = subprocess.run([harness], input=text.encode(), capture_output=True, timeout=600)
        if proc.returncode != 0:
            raise RuntimeError('harness exited %d: %s' % (proc.returncode, proc.stderr.decode(errors='replace')))
        values = struct.unpack('<%di' % (len(proc.stdout) // 4), proc.stdout)
        tables = vmodel.SIN + vmodel.COS
        if list(values[:2048]) != tables:
            failures += 1
            i = next(j for j in range(2048) if values[j] != tables[j])
            print('MISMATCH in the trig tables at %s entry %d: engine %d, model %d' %
                  ('sine' if i < 1024 else 'cosine', i % 1024, values[i], tables[i]))
        at = 2048
        for k, model in enumerate(models):
            engine = list(values[at:at + 52])
            at += 52
            if engine != model:
                failures += 1
                if failures <= max_report:
                    i = next(j for j in range(52) if engine[j] != model[j])
                    what = ['model matrix', 'view matrix', 'product', 'projected vertex'][i // 16]
                    print('MISMATCH in pose %d, route %d (%s, element %d): engine %d, model %d' %
                          (k, route, what, i % 16, engine[i], model[i]))
                    print('  reproducer: CONFIG %d / %s' % (route, lines[k + 1]))
    return failures
