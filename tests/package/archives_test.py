#!/usr/bin/python3
"""The release packages of one build:

    archives_test.py PACKAGE_DIR SOURCE_DIR WORK_DIR

The Linux archive, unpacked into WORK_DIR: its launchers, and its replay tool
run in its data folder on a golden script gives the golden frame. The web
archive holds both pages and every script and module they load.
"""
import glob, os, re, shutil, subprocess, sys, tarfile, zipfile

packages, source, work = sys.argv[1:4]


def fail(why):
    raise SystemExit(f"package: FAIL: {why}")


def one(pattern):
    found = glob.glob(os.path.join(packages, pattern))
    if len(found) != 1:
        fail(f"{len(found)} files match {pattern} in {packages}")
    return found[0]


shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)

# Linux: unpacked anywhere, the programs run from their own data folder.
linux = one("vantir-*-linux-*.tar.gz")
with tarfile.open(linux) as archive:
    archive.extractall(work)
top = os.path.join(work, os.path.basename(linux)[: -len(".tar.gz")])
for launcher in ("vantir", "vantir-gallery"):
    path = os.path.join(top, "bin", launcher)
    os.access(path, os.X_OK) or fail(f"no launcher bin/{launcher} in {linux}")
share = os.path.join(top, "share", "vantir")
os.path.isfile(os.path.join(share, "data", "tes256.bmp")) or fail(f"no share/vantir/data/tes256.bmp in {linux}")
script = os.path.join(source, "tests", "golden", "still.replay")
run = subprocess.run([os.path.join(top, "bin", "vantir-replay"), script, os.path.join(work, "shots")], cwd=share,
                     capture_output=True, text=True)
expected = open(os.path.join(source, "tests", "golden", "still.expected")).read()
if run.returncode != 0 or run.stdout != expected:
    fail(f"the packaged replay tool gave {run.stdout!r} (exit {run.returncode}, {run.stderr.strip()!r}), "
         f"not {expected!r}")
print(f"package: {os.path.basename(linux)}: the demo's golden frame from the unpacked tree")

# Web: both pages, and what they load.
web = one("vantir-*-web.zip")
with zipfile.ZipFile(web) as archive:
    names = {name.split("/", 1)[1] for name in archive.namelist() if "/" in name}
    for page in ("index.html", "gallery.html"):
        page in names or fail(f"no {page} in {web}")
        html = archive.read(next(n for n in archive.namelist() if n.endswith("/" + page))).decode()
        for script_name in re.findall(r'<script src="([^"]+)"', html):
            module = script_name[: -len(".js")] + ".wasm"
            {script_name, module} <= names or fail(f"{page} loads {script_name} and {module}; {web} lacks one")
        for link in re.findall(r'<a href="([^"]+)"', html):
            link in names or fail(f"{page} links to {link}, which {web} lacks")
print(f"package: {os.path.basename(web)}: both pages with what they load")
