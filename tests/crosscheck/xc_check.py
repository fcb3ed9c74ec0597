#!/usr/bin/env python3
"""Cross-checks the engine against the independent model in vmodel.py.

  xc_check.py frames --replay BIN --texture BMP SCRIPT...
      runs every replay script and compares every shot pixel by pixel;
      scripts whose name starts with "missing" run without the texture.
  xc_check.py polys --harness BIN [--seed S] [--cases N]
      compares the trig tables and random transforms, draws random
      polygons of every family, and random display lists
      through the ordering table and dispatch, in the engine (through the
      harness) and in the model, and compares the buffers.

Exits 1 on any mismatch, printing a reproducer for each.
"""

import argparse
import os
import sys
import time

sys.dont_write_bytecode = True  # keep the source tree clean when run from it

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import frames  # noqa: E402
import mathcheck  # noqa: E402
import polys  # noqa: E402
import vmodel  # noqa: E402


def main():
    ap = argparse.ArgumentParser()
    sub = ap.add_subparsers(dest='what', required=True)
    f = sub.add_parser('frames')
    f.add_argument('--replay', required=True)
    f.add_argument('--texture', required=True)
    f.add_argument('--random', type=int, default=0, help='also this many random drag scripts')
    f.add_argument('--seed', type=int, default=1)
    f.add_argument('scripts', nargs='*')
    p = sub.add_parser('polys')
    p.add_argument('--harness', required=True)
    p.add_argument('--seed', type=int, default=1)
    p.add_argument('--cases', type=int, default=500)
    p.add_argument('--max-report', type=int, default=10)
    args = ap.parse_args()

    started = time.time()
    if args.what == 'frames':
        texture = vmodel.load_bmp_8bit(args.texture)
        total, problems = 0, []
        scripts = list(args.scripts)
        tmp = None
        if args.random:
            import random
            import tempfile
            rng = random.Random(args.seed)
            tmp = tempfile.mkdtemp(prefix='vantir-xc-scripts-')
            for k in range(args.random):
                path = os.path.join(tmp, 'random%03d.replay' % k)
                with open(path, 'w') as out:
                    out.write(frames.random_script(rng))
                scripts.append(path)
        for script in scripts:
            missing = os.path.basename(script).startswith('missing')
            n, probs = frames.check_script(args.replay, script, None if missing else args.texture,
                                           None if missing else texture)
            total += n
            problems += probs
            print('%s: %d shots, %s' % (script, n, 'MISMATCH' if probs else 'equal'), flush=True)
        for line in problems:
            print(line)
        if problems and tmp:
            print('random scripts kept in ' + tmp)
        elif tmp:
            import shutil
            shutil.rmtree(tmp, ignore_errors=True)
        print('frames: %d shots compared, %d mismatching, %.1f s' % (total, len(problems), time.time() - started))
        return 1 if problems else 0

    failures = polys.run(args.harness, args.seed, args.cases, args.max_report)
    print('polygons: %d cases (seed %d), %d mismatching' % (args.cases, args.seed, failures))
    list_cases = max(1, args.cases // 3)
    list_failures = polys.run_lists(args.harness, args.seed, list_cases, args.max_report)
    print('display lists: %d cases (seed %d), %d mismatching' % (list_cases, args.seed, list_failures))
    math_failures = mathcheck.run(args.harness, args.seed, args.cases, args.max_report)
    print('trig tables and transforms: %d poses (seed %d), %d mismatching' % (args.cases, args.seed, math_failures))
    print('%.1f s' % (time.time() - started))
    return 1 if failures or list_failures or math_failures else 0


if __name__ == '__main__':
    sys.exit(main())
