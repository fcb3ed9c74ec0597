#!/usr/bin/python3
"""Where the demo's processor time goes, still and during a drag.

    tools/loadmeter/loadmeter.py [--build DIR] [--web DIR] [--seconds S] [--rounds N] [--only linux|web]

Linux (needs BUILD, default build/): on an Xvfb display of its own, runs the
demo BUILD/vantir from the repository's top for S seconds (default 10) with
the sphere still and S seconds under a continuous left drag (xdotool), and
prints its processor use from /proc, and Xvfb's beside it. Then the same with
BUILD/tools/loadmeter/vantir-loadmeter-demo, the same program with a frame
recorder, which adds the frame period (median and range by the clock and by
the tick count) and how the program's processor time divides between the
pacing (the tick count reads and the rests between them), the drawing (frame
start to present), the present, and the rest (message loop and input).

Browser (needs WEB, default build-web/): serves it on a free loopback port,
opens it in headless Chromium as the browser end-to-end test does, and prints,
still and dragged, the processor use of the page's renderer process, of the
GPU process and of all of Chromium's processes, and from the page's own
reports the frame period and the time of a frame's work and of its present.

Processor use is the processes' run time from /proc/PID/task/*/schedstat over
the measured seconds, as a share of one core. A benchmark, not a test:
nothing is judged. On a shared machine the numbers move with the load;
repeat with --rounds.
"""
import argparse, http.server, os, shutil, statistics, subprocess, tempfile, threading, time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WARM_UP = 2.0  # seconds after the first frame before measuring
DRAG_STEP = 0.01  # seconds between pointer moves: two moves per frame


def cpu_ns(pid):
    """Run time of every live thread of a process, in nanoseconds."""
    total = 0
    try:
        tasks = os.listdir(f"/proc/{pid}/task")
    except OSError:
        return 0
    for task in tasks:
        try:
            total += int(open(f"/proc/{pid}/task/{task}/schedstat").read().split()[0])
        except (OSError, ValueError, IndexError):
            pass  # the thread ended meanwhile
    return total


def percent(ns, seconds):
    return 100.0 * ns / (seconds * 1e9)


def spread(values, unit="ms"):
    if not values:
        return "no frames"
    p95 = sorted(values)[int(len(values) * 0.95)]
    return (f"median {statistics.median(values):.2f} {unit}, mean {statistics.mean(values):.2f}, range "
            f"{min(values):.2f} to {max(values):.2f} (95 % up to {p95:.2f}) over {len(values)} frames")


def drag_points(centre, seconds, radius=(40, 30)):
    """A continuous back-and-forth path around the centre, one point per DRAG_STEP."""
    points = []
    for i in range(int(seconds / DRAG_STEP)):
        # Triangle waves of different periods, so both angles keep changing within their clamps.
        tri = lambda period: abs((i % period) / period * 4 - 2) - 1
        points.append((int(centre[0] + radius[0] * tri(80)), int(centre[1] + radius[1] * tri(112))))
    return points


# ---- Linux ---------------------------------------------------------------------------------------

def start_display(work):
    ready = os.path.join(work, "display")
    with open(ready, "w") as fd:
        # -noreset: the server would otherwise reset, refusing connections for a moment, when a program ends.
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(fd.fileno()), "-screen", "0", "1024x768x24", "-noreset",
                                 "-nolisten", "tcp"], pass_fds=(fd.fileno(),), stderr=subprocess.DEVNULL)
    for _ in range(100):
        if os.path.getsize(ready):
            return xvfb, ":" + open(ready).read().split()[0]
        time.sleep(0.1)
    xvfb.kill()
    raise SystemExit("loadmeter: Xvfb did not start")


def xdotool(display, *args, **kw):
    return subprocess.run(["xdotool", *map(str, args)], env=dict(os.environ, DISPLAY=display), capture_output=True,
                          text=True, **kw).stdout


def run_linux(program, display, xvfb, drag, seconds, record_to=None):
    env = dict(os.environ, DISPLAY=display)
    if record_to:
        env["VANTIR_LOADMETER_OUT"] = record_to
    app = subprocess.Popen([program], cwd=ROOT, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    try:
        window = ""
        for _ in range(150):
            window = xdotool(display, "search", "--onlyvisible", "--name", "^TEST$").split()
            if window or app.poll() is not None:
                break
            time.sleep(0.1)
        if not window:
            raise SystemExit(f"loadmeter: {program} showed no window: {app.stderr.read().decode()}")
        geometry = dict(line.split("=") for line in xdotool(display, "getwindowgeometry", "--shell",
                                                            window[0]).split())
        centre = (int(geometry["X"]) + int(geometry["WIDTH"]) // 2, int(geometry["Y"]) + int(geometry["HEIGHT"]) // 2)
        xdotool(display, "mousemove", *centre)
        time.sleep(WARM_UP)
        dragger = None
        if drag:
            chain = ["mousedown", 1]
            for x, y in drag_points(centre, seconds + 1.5):
                chain += ["mousemove", x, y, "sleep", DRAG_STEP]
            dragger = subprocess.Popen(["xdotool", *map(str, chain + ["mouseup", 1])], env=env)
            time.sleep(0.5)
        c0, x0, t0 = cpu_ns(app.pid), cpu_ns(xvfb.pid), time.monotonic_ns()
        time.sleep(seconds)
        c1, x1, t1 = cpu_ns(app.pid), cpu_ns(xvfb.pid), time.monotonic_ns()
        if dragger:
            dragger.wait()
        xdotool(display, "mousemove", *centre, "key", "Escape")
        try:
            app.wait(timeout=10)
        except subprocess.TimeoutExpired:
            app.terminate()  # SDL turns this into a close request
            app.wait(timeout=10)
    finally:
        if app.poll() is None:
            app.kill()
            app.wait()
    span = (t1 - t0) / 1e9
    return percent(c1 - c0, span), percent(x1 - x0, span), t0, t1


def report_frames(path, t0, t1):
    fields = ("tick", "reads", "wall_start", "cpu_first_read", "cpu_start", "cpu_present", "cpu_presented",
              "wall_present", "wall_presented")
    frames = [dict(zip(fields, map(int, line.split()))) for line in open(path)]
    chosen = [f for f in frames if t0 <= f["wall_start"] < t1]
    if len(chosen) < 3:
        print("    frames: too few recorded")
        return
    periods = [(b["wall_start"] - a["wall_start"]) / 1e6 for a, b in zip(chosen, chosen[1:])]
    ticks = [(b["tick"] - a["tick"]) & 0xFFFFFFFF for a, b in zip(chosen, chosen[1:])]
    print(f"    frame period by the clock: {spread(periods)}")
    print(f"    frame period by the tick count: {spread(ticks)}")
    # From the first frame's start to the last one's: each frame's drawing, present and loop, and the next one's pacing.
    span = (chosen[-1]["wall_start"] - chosen[0]["wall_start"]) / 1e9
    pairs = list(zip(chosen, chosen[1:]))
    parts = {
        "pacing": sum(b["cpu_start"] - b["cpu_first_read"] for a, b in pairs),
        "drawing": sum(a["cpu_present"] - a["cpu_start"] for a, b in pairs),
        "present": sum(a["cpu_presented"] - a["cpu_present"] for a, b in pairs),
        "loop and input": sum(b["cpu_first_read"] - a["cpu_presented"] for a, b in pairs),
    }
    total = sum(parts.values())
    print("    the program's thread: " + ", ".join(f"{name} {percent(ns, span):.2f} %" for name, ns in parts.items()) +
          f" of a core; in all {percent(total, span):.2f} %")
    work = [(f["wall_present"] - f["wall_start"]) / 1e6 for f in chosen]
    present = [(f["wall_presented"] - f["wall_present"]) / 1e6 for f in chosen]
    reads = statistics.mean(f["reads"] for f in chosen)
    print(f"    per frame: drawing {statistics.mean(work):.3f} ms, present {statistics.mean(present):.3f} ms "
          f"(means, wall), {reads:.1f} tick count reads")


def measure_linux(build, seconds):
    program = os.path.join(build, "vantir")
    twin = os.path.join(build, "tools", "loadmeter", "vantir-loadmeter-demo")
    for path in (program, twin):
        if not os.access(path, os.X_OK):
            raise SystemExit(f"loadmeter: no {path}: build it first (cmake --build {build})")
    with tempfile.TemporaryDirectory(prefix="vantir-loadmeter-") as work:
        xvfb, display = start_display(work)
        try:
            for drag in (False, True):
                what = "during a drag" if drag else "still"
                cpu, server, _, _ = run_linux(program, display, xvfb, drag, seconds)
                print(f"  Linux, {what}: vantir {cpu:.1f} % of a core (Xvfb {server:.1f} %)")
                record = os.path.join(work, "frames.txt")
                cpu, server, t0, t1 = run_linux(twin, display, xvfb, drag, seconds, record)
                print(f"  Linux, {what}, recorded: vantir-loadmeter-demo {cpu:.1f} % of a core (Xvfb {server:.1f} %)")
                report_frames(record, t0, t1)
        finally:
            xvfb.terminate()
            xvfb.wait()


# ---- Browser -------------------------------------------------------------------------------------

def chromium_processes(root):
    """{pid: type} of every process below `root` (the driver), by Chromium's --type switch."""
    children = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                stat = open(f"/proc/{entry}/stat").read()
                children.setdefault(int(stat[stat.rindex(")") + 2:].split()[1]), []).append(int(entry))
            except (OSError, ValueError):
                pass
    found, todo = {}, [root]
    while todo:
        for pid in children.get(todo.pop(), []):
            try:
                args = open(f"/proc/{pid}/cmdline").read().replace("\0", " ").split()  # Chromium rewrites its own
            except OSError:
                continue
            kind = next((a.split("=", 1)[1] for a in args if a.startswith("--type=")), "browser")
            found[pid] = kind
            todo.append(pid)
    return found


def measure_web(web_dir, seconds):
    if not os.path.exists(os.path.join(web_dir, "vantir.wasm")):
        raise SystemExit(f"loadmeter: no {web_dir}/vantir.wasm: build the browser program first (./dev web)")
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.actions.action_builder import ActionBuilder
    from selenium.webdriver.common.actions.mouse_button import MouseButton

    class QuietHandler(http.server.SimpleHTTPRequestHandler):
        def __init__(self, *args, **kwargs):
            super().__init__(*args, directory=web_dir, **kwargs)

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), QuietHandler)  # any free port
    threading.Thread(target=server.serve_forever, daemon=True).start()
    # The browser end-to-end test's Chromium: headless, software compositing, the page at scale 2.
    options = webdriver.ChromeOptions()
    profile = tempfile.mkdtemp(prefix="vantir-loadmeter-chromium-")
    flags = ["headless", "no-sandbox", "disable-gpu", "disable-quic", "no-first-run", "disable-background-networking",
             "disable-component-update", "disable-sync", "window-size=1400,1200", "user-data-dir=" + profile]
    for flag in flags:
        options.add_argument("--" + flag)
    service = Service("/usr/bin/chromedriver")
    driver = None
    try:
        driver = webdriver.Chrome(service=service, options=options)
        driver.get(f"http://127.0.0.1:{server.server_address[1]}/index.html")
        end = time.time() + 30
        while driver.execute_script("return window.vantirStats.frames") < 8:
            if time.time() > end:
                raise SystemExit("loadmeter: the page shows no frames")
            time.sleep(0.1)
        # Every report of the page's program: frame start, work and present times, tick (a page
        # that reports no start and tick: the report's time instead, and no tick), and the
        # timers set so far: each rest of the program is one.
        driver.execute_script("""
            window.loadmeter = [];
            let timers = 0;
            const setTimer = window.setTimeout;
            window.setTimeout = function () { ++timers; return setTimer.apply(this, arguments); };
            const page = Module.vantirPage, frame = page.frame;
            page.frame = function (work, present, start, tick) {
              window.loadmeter.push([start ?? performance.now(), work, present, tick ?? null, timers]);
              return frame.apply(this, arguments);
            };""")
        left, top, width = driver.execute_script(
            "const r = canvas.getBoundingClientRect(); return [r.left, r.top, r.width]")
        scale = width / 512
        centre = (left + 256 * scale, top + 240 * scale)
        time.sleep(WARM_UP)
        for drag in (False, True):
            mapped = time.monotonic()
            offset = driver.execute_script("return performance.now()") / 1000 - (mapped + time.monotonic()) / 2
            dragger = None
            if drag:
                actions = ActionBuilder(driver, duration=0)
                actions.pointer_action.move_to_location(*map(int, centre))
                actions.pointer_action.pointer_down(MouseButton.LEFT)
                radius = (40 * scale, 30 * scale)
                for x, y in drag_points(centre, seconds + 1.5, radius):
                    actions.pointer_action.pause(DRAG_STEP)
                    actions.pointer_action.move_to_location(int(x), int(y))
                actions.pointer_action.pointer_up(MouseButton.LEFT)
                dragger = threading.Thread(target=actions.perform)
                dragger.start()
                time.sleep(0.5)
            processes = chromium_processes(service.process.pid)
            before, t0 = {pid: cpu_ns(pid) for pid in processes}, time.monotonic()
            time.sleep(seconds)
            after, t1 = {pid: cpu_ns(pid) for pid in processes}, time.monotonic()
            if dragger:
                dragger.join()
            used = {}
            for pid, kind in processes.items():
                used.setdefault(kind, []).append(percent(max(0, after[pid] - before[pid]), t1 - t0))
            renderer = max(used.get("renderer", [0]))
            gpu = sum(used.get("gpu-process", [0]))
            everything = sum(sum(v) for v in used.values())
            print(f"  Browser, {'during a drag' if drag else 'still'}: the page's renderer {renderer:.1f} % of a core, "
                  f"GPU process {gpu:.1f} %, all of Chromium {everything:.1f} %")
            records = driver.execute_script("return window.loadmeter")
            frames = [r for r in records if t0 <= r[0] / 1000 - offset < t1]
            starts = [r[0] for r in frames]
            print(f"    frame period by the clock: {spread([b - a for a, b in zip(starts, starts[1:])])}")
            if frames and frames[0][3] is not None:
                ticks = [(b[3] - a[3]) & 0xFFFFFFFF for a, b in zip(frames, frames[1:])]
                print(f"    frame period by the tick count: {spread(ticks)}")
            if len(frames) > 1:
                print(f"    per frame: work {statistics.mean(r[1] for r in frames):.3f} ms, present "
                      f"{statistics.mean(r[2] for r in frames):.3f} ms (means, wall), "
                      f"{(frames[-1][4] - frames[0][4]) / (len(frames) - 1):.1f} timers")
    finally:
        if driver:
            driver.quit()
        server.shutdown()
        shutil.rmtree(profile, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--web", default=os.path.join(ROOT, "build-web"))
    parser.add_argument("--seconds", type=float, default=10.0)
    parser.add_argument("--rounds", type=int, default=1)
    parser.add_argument("--only", choices=("linux", "web"))
    args = parser.parse_args()
    load = open("/proc/loadavg").read().split()[:3]
    print(f"loadmeter: {os.cpu_count()} cores, load {' '.join(load)}, {args.seconds:g} s per measurement")
    for round_ in range(1, args.rounds + 1):
        if args.rounds > 1:
            print(f"round {round_}")
        if args.only != "web":
            measure_linux(os.path.abspath(args.build), args.seconds)
        if args.only != "linux":
            measure_web(os.path.abspath(args.web), args.seconds)


if __name__ == "__main__":
    main()
