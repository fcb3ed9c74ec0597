#!/usr/bin/env python3
"""Mutation measurement of the tests: how many small faults in src/ they catch.

  mutate.py sample [--seed S] [--count N]   write mutants.tsv (a fixed, seeded sample)
  mutate.py run [--out FILE] [--scratch DIR] [--full] [--only ID,...]
                                            apply each mutant to a scratch copy, rebuild,
                                            run the tests, restore; write FILE (JSON)
  mutate.py report FILE                     the summary of a run again
  mutate.py compare BEFORE AFTER            mutants BEFORE killed that survive in AFTER;
                                            exit 1 if there are any
  mutate.py cover FILE                      a small set of tests that kill all a run killed

A mutant is data, not a patch: file, the line number it was drawn at, the
line's text, the token, its occurrence on the line and the replacement. At run
time the line is found by its text nearest the recorded number, so edits
elsewhere in a file do not break the sample; a line or file that is gone
makes the mutant stale, counted apart. Standard library only.

Exit status: 0 done; 1 the unmutated tree fails (run), or a mutant killed
before survives (compare); 2 wrong arguments or a results file that cannot be
used.
"""
import argparse
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
SAMPLE = os.path.join(HERE, "mutants.tsv")

# Folders the sample is drawn from, each with its share of the sample.
FOLDERS = {
    "src/render/raster": 0.22,
    "src/render": 0.16,
    "src/texture": 0.12,
    "src/math": 0.08,
    "src/scene": 0.12,
    "src/video": 0.10,
    "src/app": 0.08,
    "src/platform/headless": 0.12,
}
FIELDS = ["id", "file", "line", "kind", "token", "occurrence", "replacement", "text", "note"]

# Binary operators are taken only with a space on either side, the house
# style, so template brackets, pointers and unary signs are never mistaken.
SWAPS = {
    "comparison": {" < ": " <= ", " <= ": " < ", " > ": " >= ", " >= ": " > ",
                   " == ": " != ", " != ": " == "},
    "arithmetic": {" + ": " - ", " - ": " + ", " += ": " -= ", " -= ": " += "},
    "shift": {" << ": " >> ", " >> ": " << ", " <<= ": " >>= ", " >>= ": " <<= "},
    "logical": {" && ": " || ", " || ": " && "},
}
NUMBER = re.compile(r"(?<![\w.])(0[xX][0-9a-fA-F]+|\d+)([uUlL]*)(?![\w.])")
STATEMENT_SKIP = re.compile(r"^(return|const|constexpr|static|using|typedef|template|case|default|"
                            r"struct|enum|namespace|extern|inline|auto|bool|int|unsigned|char|void|"
                            r"float|double|std::|[A-Z]\w*\s+\w|[A-Z]\w*\*|else|if|for|while|do|switch|break|continue)\b")


def code_part(line, in_block):
    """The line with comments, strings and character literals blanked (same length)."""
    out = []
    i = 0
    n = len(line)
    while i < n:
        if in_block:
            end = line.find("*/", i)
            if end < 0:
                out.append(" " * (n - i))
                return "".join(out), True
            out.append(" " * (end + 2 - i))
            i = end + 2
            in_block = False
            continue
        c = line[i]
        if line.startswith("//", i):
            out.append(" " * (n - i))
            break
        if line.startswith("/*", i):
            in_block = True
            out.append("  ")
            i += 2
            continue
        if c in "\"'":
            j = i + 1
            while j < n and line[j] != c:
                j += 2 if line[j] == "\\" else 1
            out.append(" " * (min(j + 1, n) - i))
            i = j + 1
            continue
        out.append(c)
        i += 1
    return "".join(out), in_block


def occurrences(code, kind, token):
    """Start offsets of token (of this kind) in a blanked code line."""
    if kind == "constant":
        return [m.start(1) for m in NUMBER.finditer(code) if m.group(1) == token]
    if kind == "statement":
        return [code.index(token)] if token in code else []
    found = []
    start = code.find(token)
    while start >= 0:
        # The spaces keep " < " out of " << " and " <= " out of " <<= ".
        found.append(start)
        start = code.find(token, start + 1)
    return found


def candidates_of_line(code):
    """(kind, token, occurrence, replacement) of every mutant a code line offers."""
    out = []
    for kind, table in SWAPS.items():
        for token, repl in table.items():
            for k, _ in enumerate(occurrences(code, kind, token)):
                out.append((kind, token, k, repl))
    seen = {}
    for m in NUMBER.finditer(code):
        tok = m.group(1)
        k = seen.get(tok, 0)
        seen[tok] = k + 1
        value = int(tok, 0)
        for delta in (1, -1):
            if value + delta < 0:
                continue
            repl = hex(value + delta) if tok.lower().startswith("0x") else str(value + delta)
            out.append(("constant", tok, k, repl))
    stmt = code.strip()
    if (stmt.endswith(";") and "{" not in stmt and stmt.count("(") == stmt.count(")")
            and stmt.count("[") == stmt.count("]") and "}" not in stmt and not STATEMENT_SKIP.match(stmt)
            and re.match(r"^(\*?[a-z_]\w*(\.|->|\[|\(| =| \+=| -=| \|=| &=| <<=| >>=|\+\+|--)|\+\+|--)", stmt)):
        out.append(("statement", stmt, 0, ";"))
    return out


def product_files():
    files = []
    for folder in FOLDERS:
        base = os.path.join(ROOT, folder)
        for name in sorted(os.listdir(base)):
            path = os.path.join(base, name)
            if os.path.isfile(path) and name.endswith((".cpp", ".h")):
                files.append(os.path.relpath(path, ROOT))
    return files


def folder_of(rel):
    return max((f for f in FOLDERS if rel.startswith(f + "/") and "/" not in rel[len(f) + 1:]), key=len)


def line_candidates(rel):
    """(line number, text, candidates) of every mutable line of a file."""
    with open(os.path.join(ROOT, rel), encoding="utf-8") as f:
        lines = f.read().split("\n")
    in_block = False
    out = []
    for number, text in enumerate(lines, 1):
        code, in_block = code_part(text, in_block)
        s = code.strip()
        if not s or s.startswith("#") or "static_assert" in s:
            continue
        found = candidates_of_line(code)
        if found:
            out.append((number, text, found))
    return out


def cmd_sample(args):
    rng = random.Random(args.seed)
    by_folder = {f: [] for f in FOLDERS}
    for rel in product_files():
        for number, text, found in line_candidates(rel):
            for c in found:
                by_folder[folder_of(rel)].append((rel, number, text, c))
    rows = []
    for folder, share in FOLDERS.items():
        pool = by_folder[folder]
        want = min(len(pool), round(args.count * share))
        # Operator kinds drawn evenly first, so rare kinds are not crowded out by constants.
        kinds = {}
        for item in pool:
            kinds.setdefault(item[3][0], []).append(item)
        for items in kinds.values():
            rng.shuffle(items)
        order = sorted(kinds)
        picked, used_lines = [], set()
        while len(picked) < want and any(kinds.values()):
            for kind in order:
                while kinds[kind]:
                    item = kinds[kind].pop()
                    if (item[0], item[1]) in used_lines:  # one mutant per line spreads the sample
                        continue
                    used_lines.add((item[0], item[1]))
                    picked.append(item)
                    break
                if len(picked) >= want:
                    break
        rows.extend(picked)
    rows.sort(key=lambda r: (r[0], r[1]))
    with open(SAMPLE, "w", encoding="utf-8") as f:
        f.write("# seed %d; regenerate with: tools/mutation/mutate.py sample --seed %d --count %d\n"
                % (args.seed, args.seed, args.count))
        f.write("\t".join(FIELDS) + "\n")
        for i, (rel, number, text, (kind, token, k, repl)) in enumerate(rows, 1):
            f.write("\t".join([str(i), rel, str(number), kind, token, str(k), repl,
                               text.strip().replace("\t", " "), ""]) + "\n")
    counts = {}
    for r in rows:
        counts[folder_of(r[0])] = counts.get(folder_of(r[0]), 0) + 1
    print("%d mutants in %s: %s" % (len(rows), os.path.relpath(SAMPLE, ROOT),
                                    ", ".join("%s %d" % kv for kv in counts.items())))


def load_sample():
    rows = []
    with open(SAMPLE, encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or line.startswith("id\t"):
                continue
            parts = line.rstrip("\n").split("\t")
            parts += [""] * (len(FIELDS) - len(parts))
            row = dict(zip(FIELDS, parts))
            row["line"] = int(row["line"])
            row["occurrence"] = int(row["occurrence"])
            rows.append(row)
    return rows


def apply_mutant(source, row):
    """The mutated text of a file, or None when the mutant's line is gone (stale)."""
    lines = source.split("\n")
    want = row["text"]
    # Blanked code of every line, for the comment/string-free token search.
    in_block = False
    codes = []
    for text in lines:
        code, in_block = code_part(text, in_block)
        codes.append(code)
    matches = [i for i, text in enumerate(lines) if text.strip() == want]
    if not matches:
        return None
    i = min(matches, key=lambda j: abs(j + 1 - row["line"]))
    offs = occurrences(codes[i], row["kind"], row["token"])
    if row["occurrence"] >= len(offs):
        return None
    at = offs[row["occurrence"]]
    lines[i] = lines[i][:at] + row["replacement"] + lines[i][at + len(row["token"]):]
    return "\n".join(lines)


# ---------------------------------------------------------------- running

# Those of these the tree has (the cross-check harness is gone from later trees).
TARGETS = ["vantir_tests", "vantir-replay", "vantir-xc-harness", "vantir-fuzz-corpus"]
# The script tests, in stages that run only for the mutants the stages before
# left alive, cheapest first. End-to-end (real windows, Wine) and
# memory-checker runs take minutes each and stay out of the measurement.
SLOW_STAGES = [r"^(golden|replay\.cli|fuzz_corpus)\.", r"^crosscheck\."]


def sh(cmd, cwd=None, timeout=None, env=None):
    """Runs a command in its own process group; (rc, output, timed_out)."""
    p = subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                         start_new_session=True, env=env)
    try:
        out, _ = p.communicate(timeout=timeout)
        return p.returncode, out.decode("utf-8", "replace"), False
    except subprocess.TimeoutExpired:
        os.killpg(p.pid, signal.SIGKILL)
        out, _ = p.communicate()
        return p.returncode, out.decode("utf-8", "replace"), True


def prepare(scratch, source_root):
    src = os.path.join(scratch, "src")
    build = os.path.join(scratch, "build")
    # Always a fresh build: a file an interrupted run left mutated would be put
    # back by rsync with its old time, older than the mutated object.
    shutil.rmtree(build, ignore_errors=True)
    os.makedirs(scratch, exist_ok=True)
    subprocess.check_call(["rsync", "-a", "--delete", "--exclude", "/build*", "--exclude", ".git",
                           source_root + "/", src + "/"])
    # -O1 keeps each rebuild short while the fast routines still vectorize as written.
    subprocess.check_call(["cmake", "-S", src, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                           "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG", "-DVANTIR_TESTS=ON",
                           "-DVANTIR_BENCHMARKS=OFF"], stdout=subprocess.DEVNULL)
    return src, build


def build_targets(build):
    global TARGETS
    if not hasattr(build_targets, "known"):
        _, listing, _ = sh(["cmake", "--build", build, "--target", "help"])
        build_targets.known = True
        TARGETS = [t for t in TARGETS if re.search(r"^%s: " % re.escape(t), listing, re.M)]
    rc, out, _ = sh(["cmake", "--build", build, "-j2", "--target"] + TARGETS, timeout=1800)
    return rc == 0, out


def gtest_run(build, timeout, exclude=()):
    """Per-test outcome of one run of the unit tests: {name: passed}, crashed test or None, timed out."""
    exe = os.path.join(build, "tests", "vantir_tests")
    report = os.path.join(build, "gtest.json")
    if os.path.exists(report):
        os.remove(report)
    cmd = [exe, "--gtest_output=json:" + report]
    if exclude:
        cmd.append("--gtest_filter=-" + ":".join(exclude))
    rc, out, timed_out = sh(cmd, cwd=os.path.join(build, "tests"), timeout=timeout)
    results = {}
    if os.path.exists(report) and not timed_out:
        try:
            with open(report) as f:
                data = json.load(f)
            for suite in data.get("testsuites", []):
                for t in suite.get("testsuite", []):
                    results[suite["name"] + "." + t["name"]] = not t.get("failures")
        except ValueError:
            results = {}
    if results:
        return results, None, False
    # A crash or a timeout: the test that was running is the one without an OK line.
    running = None
    for line in out.splitlines():
        m = re.match(r"\[ RUN      \] (\S+)", line)
        if m:
            running = m.group(1)
        elif re.match(r"\[ +(OK|FAILED) +\] ", line):
            if running and running in line:
                results[running] = "[       OK ]" in line
                running = None
    return results, running or "vantir_tests(startup)", timed_out


def gtest_all(build, timeout):
    """Every unit test's outcome, rerunning past crashes; {name: True/False}."""
    results, excluded = {}, []
    for _ in range(6):
        part, crashed, timed_out = gtest_run(build, timeout, excluded)
        results.update(part)
        if crashed is None:
            break
        results[crashed] = False
        if timed_out or crashed.endswith("(startup)"):
            break
        excluded.append(crashed)
    return results


def ctest_run(build, regex, per_test_timeout):
    """{test: passed} of the script tests matching regex."""
    rc, out, _ = sh(["ctest", "--test-dir", build, "-R", regex, "-j2", "--timeout", str(per_test_timeout)],
                    timeout=per_test_timeout * 6)
    results = {}
    for line in out.splitlines():
        m = re.search(r"Test +#\d+: (\S+) \.+\**\s*(Passed|\S.*?)\s+[\d.]+ sec", line)
        if m:
            results[m.group(1)] = m.group(2) == "Passed"
    return results


def die(message):
    print("mutate.py: " + message, file=sys.stderr)
    sys.exit(2)


def load_results(path):
    """The results a run wrote to PATH; a clear refusal, not a traceback, for anything else."""
    try:
        with open(path, encoding="utf-8") as f:
            results = json.load(f)
    except OSError as e:
        committed = os.path.join(HERE, os.path.basename(path))
        hint = ""
        if isinstance(e, FileNotFoundError) and os.path.isfile(committed):
            shown = os.path.relpath(committed)
            hint = " (a committed run of that name is %s)" % (committed if shown.startswith("..") else shown)
        die("cannot read %s: %s%s" % (path, e.strerror, hint))
    except ValueError as e:
        die("%s is not JSON: %s" % (path, e))
    mutants = results.get("mutants") if isinstance(results, dict) else None
    if (not isinstance(mutants, dict) or not isinstance(results.get("tests"), list) or
            not all(isinstance(e, dict) and isinstance(e.get("status"), str) and isinstance(e.get("killers"), list)
                    for e in mutants.values())):
        die("%s is not the results of a run (mutate.py run --out FILE writes them)" % path)
    return results


def cmd_run(args):
    # Found out now, not after the first mutant's minutes of building.
    existed = os.path.exists(args.out)
    try:
        open(args.out, "a").close()
    except OSError as e:
        die("cannot write %s: %s" % (args.out, e.strerror))
    if not existed:
        os.remove(args.out)
    rows = load_sample()
    if args.only:
        ids = set(args.only.split(","))
        rows = [r for r in rows if r["id"] in ids]
    scratch = os.path.abspath(args.scratch)
    t0 = time.time()
    src, build = prepare(scratch, os.path.abspath(args.source))
    ok, out = build_targets(build)
    if not ok:
        sys.exit("the unmutated tree does not build:\n" + out[-3000:])
    t1 = time.time()
    base = gtest_all(build, 1800)
    t2 = time.time()
    slow, stage_seconds = {}, []
    for regex in SLOW_STAGES:
        ts = time.time()
        slow.update(ctest_run(build, regex, 600))
        stage_seconds.append(time.time() - ts)
    t3 = time.time()
    failing = [k for k, v in base.items() if not v] + [k for k, v in slow.items() if not v]
    if failing:
        sys.exit("tests fail on the unmutated tree: " + ", ".join(failing))
    gtest_timeout = max(20.0, 3 * (t2 - t1))
    # A mutant that makes a run take three times as long as the unmutated one is killed.
    stage_timeouts = [max(10, int(3 * t)) for t in stage_seconds]
    print("baseline: build %.0f s, unit tests %.1f s (%d), script tests %s s (%d)"
          % (t1 - t0, t2 - t1, len(base), " + ".join("%.1f" % t for t in stage_seconds), len(slow)), flush=True)
    results = {"started": time.strftime("%Y-%m-%d %H:%M:%S"), "source": os.path.abspath(args.source),
               "tests": sorted(base) + sorted(slow), "baseline_seconds": [t1 - t0, t2 - t1, t3 - t2],
               "mutants": {}}
    # The same file's mutants in a row: each rebuild then compiles one file.
    rows.sort(key=lambda r: (r["file"], r["line"], int(r["id"])))
    for n, row in enumerate(rows, 1):
        tm = time.time()
        path = os.path.join(src, row["file"])
        original = mutated = None
        if os.path.isfile(path):  # a file moved or removed since the sample leaves its mutants stale
            with open(path, encoding="utf-8") as f:
                original = f.read()
            mutated = apply_mutant(original, row)
        entry = {"killers": [], "status": ""}
        if mutated is None or mutated == original:
            entry["status"] = "stale"
        else:
            try:
                with open(path, "w", encoding="utf-8") as f:
                    f.write(mutated)
                ok, out = build_targets(build)
                if not ok:
                    entry["status"] = "uncompilable"
                else:
                    g = gtest_all(build, gtest_timeout)
                    killers = sorted(k for k, v in g.items() if not v)
                    for regex, limit in zip(SLOW_STAGES, stage_timeouts):
                        if not killers or args.full:
                            s = ctest_run(build, regex, limit)
                            killers += sorted(k for k, v in s.items() if not v)
                    entry["killers"] = killers
                    entry["status"] = "killed" if killers else "survived"
            finally:
                # Written anew, the file is newer than its object, so the next build recompiles it.
                with open(path, "w", encoding="utf-8") as f:
                    f.write(original)
        entry["seconds"] = round(time.time() - tm, 1)
        results["mutants"][row["id"]] = entry
        print("[%d/%d] #%s %s:%d %s %r->%r: %s %s (%.0f s)"
              % (n, len(rows), row["id"], row["file"], row["line"], row["kind"], row["token"].strip(),
                 row["replacement"].strip(), entry["status"], ",".join(entry["killers"][:3]),
                 entry["seconds"]), flush=True)
        with open(args.out, "w") as f:
            json.dump(results, f, indent=1, sort_keys=True)
    results["finished"] = time.strftime("%Y-%m-%d %H:%M:%S")
    results["seconds"] = round(time.time() - t0)
    with open(args.out, "w") as f:
        json.dump(results, f, indent=1, sort_keys=True)
    build_targets(build)  # leave the scratch build unmutated
    report(results)


def classify(results):
    """(killed ids, ids by status, summary line) of a run."""
    rows = {r["id"]: r for r in load_sample()}
    mutants = results["mutants"]
    # Noted mutants count apart: equivalent ones cannot change behaviour,
    # sanitizer ones show only in the sanitizer or Valgrind runs.
    equivalent = {i for i, r in rows.items() if r["note"].startswith(("equivalent", "sanitizer"))}
    sanitizer = {i for i, r in rows.items() if r["note"].startswith("sanitizer")}
    status = {}
    for i, e in mutants.items():
        s = "equivalent" if i in equivalent and e["status"] == "survived" else e["status"]
        status.setdefault(s, []).append(i)
    live = [i for i, e in mutants.items()
            if e["status"] in ("killed", "survived") and not (i in equivalent and e["status"] == "survived")]
    killed = [i for i in live if mutants[i]["status"] == "killed"]
    noted = [i for i in equivalent if i in mutants and mutants[i]["status"] == "survived"]
    line = ("killed %d of %d (%.1f%%); not compiling %d, stale %d, equivalent %d, left to the sanitizers %d"
            % (len(killed), len(live), 100.0 * len(killed) / max(1, len(live)),
               len(status.get("uncompilable", [])), len(status.get("stale", [])),
               len([i for i in noted if i not in sanitizer]), len([i for i in noted if i in sanitizer])))
    return killed, status, line


def report(results):
    rows = {r["id"]: r for r in load_sample()}
    mutants = results["mutants"]
    killed, status, line = classify(results)
    print(line)
    if "seconds" in results:
        print("run time %.0f min" % (results["seconds"] / 60.0))
    per_test = {}
    for i in killed:
        for t in mutants[i]["killers"]:
            per_test.setdefault(t, []).append(i)
    print("\nper test: mutants killed / killed by it alone")
    for t in sorted(results["tests"], key=lambda t: (-len(per_test.get(t, [])), t)):
        ks = per_test.get(t, [])
        alone = [i for i in ks if len(mutants[i]["killers"]) == 1]
        print("  %-60s %3d %3d  %s" % (t, len(ks), len(alone), " ".join("#" + i for i in sorted(alone, key=int))))
    surv = sorted(status.get("survived", []), key=int)
    if surv:
        print("\nsurvivors:")
        for i in surv:
            r = rows[i]
            print("  #%s %s:%d %s %r -> %r   %s" % (i, r["file"], r["line"], r["kind"], r["token"].strip(),
                                                  r["replacement"].strip(), r["text"]))


def cmd_report(args):
    report(load_results(args.file))


def cmd_compare(args):
    before, after = load_results(args.before), load_results(args.after)
    rows = {r["id"]: r for r in load_sample()}
    lost = [i for i, e in before["mutants"].items()
            if e["status"] == "killed" and after["mutants"].get(i, {}).get("status") not in ("killed", None)]
    gained = [i for i, e in after["mutants"].items()
              if e["status"] == "killed" and before["mutants"].get(i, {}).get("status") not in ("killed", None)]
    # Only a survivor is a test that got worse: a stale mutant's line was
    # rewritten, so it no longer says anything about the tests.
    survivors = [i for i in lost if after["mutants"][i]["status"] == "survived"]
    for name, res in (("before", before), ("after", after)):
        print(name + ": " + classify(res)[2])
    print("killed before, not after: %d (surviving now: %d)" % (len(lost), len(survivors)))
    for i in sorted(lost, key=int):
        r = rows[i]
        print("  #%s %s:%d %s %r -> %r (before: %s; after: %s)"
              % (i, r["file"], r["line"], r["kind"], r["token"].strip(), r["replacement"].strip(),
                 ",".join(before["mutants"][i]["killers"]), after["mutants"][i]["status"]))
    print("killed after, not before: %d %s" % (len(gained), " ".join("#" + i for i in sorted(gained, key=int))))
    return 1 if survivors else 0


def cmd_cover(args):
    """A small set of tests that together kill every mutant the run killed (greedy)."""
    results = load_results(args.file)
    left = {i: set(e["killers"]) for i, e in results["mutants"].items() if e["status"] == "killed"}
    chosen = []
    while left:
        counts = {}
        for killers in left.values():
            for t in killers:
                counts[t] = counts.get(t, 0) + 1
        best = max(sorted(counts), key=lambda t: counts[t])
        chosen.append((best, counts[best]))
        left = {i: k for i, k in left.items() if best not in k}
    for t, n in chosen:
        print("%4d  %s" % (n, t))
    print("%d tests cover every kill" % len(chosen))


def main():
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)  # quiet when piped into head
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = p.add_subparsers(dest="command", required=True)
    s = sub.add_parser("sample")
    s.add_argument("--seed", type=int, default=12)
    s.add_argument("--count", type=int, default=160)
    s.set_defaults(func=cmd_sample)
    r = sub.add_parser("run")
    r.add_argument("--source", default=ROOT, help="tree to measure (default: this checkout)")
    r.add_argument("--scratch", default="/tmp/vantir-mut-run")
    r.add_argument("--out", default="mutation-results.json")
    r.add_argument("--full", action="store_true", help="script tests for every mutant, not only survivors")
    r.add_argument("--only", help="comma-separated mutant ids")
    r.set_defaults(func=cmd_run)
    q = sub.add_parser("report")
    q.add_argument("file")
    q.set_defaults(func=cmd_report)
    c = sub.add_parser("compare")
    c.add_argument("before")
    c.add_argument("after")
    c.set_defaults(func=lambda a: sys.exit(cmd_compare(a)))
    v = sub.add_parser("cover")
    v.add_argument("file")
    v.set_defaults(func=cmd_cover)
    args = p.parse_args()
    args.func(args)


if __name__ == "__main__":
    main()
