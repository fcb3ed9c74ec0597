#!/usr/bin/python3
"""The browser program in a real headless Chromium, driven by real input events.

    web_e2e.py WEB_DIR REPLAY WORK_DIR GOLDEN_DIR DATA_DIR

Serves WEB_DIR on a free loopback port. Frames are read from the canvas at 5
bits per channel and compared pixel for pixel with vantir-replay's frames or
by hash with the golden ones: the still frame; a 30-pixel left drag at the
page's scale of 2; a drag past the canvas's edge to both clamps; moves after
the release and a right drag (no pixel changes); Escape (the page says the
program ended); ?texture=none (the dialog, then the untextured frame); the
gallery's page, its opening view held by a typed P and view 7 chosen by a
typed 7 (each equal to the replay tool's frame of the same keys), and Escape.
The page's frame period is printed, not judged. Server and browser always stop.
"""
import base64, os, shutil, socket, struct, subprocess, sys, tempfile, time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.mouse_button import MouseButton
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

web_dir, replay, work, golden, data = sys.argv[1:6]
WIDTH, HEIGHT = 512, 479  # the presented part of the 512 x 480 client area


def fail(why):
    raise SystemExit(f"e2e[web]: FAIL: {why}")


def check(ok, why):
    ok or fail(why)


def golden_hash(name, shot):
    hashes = {f[0]: f[2] for f in map(str.split, open(os.path.join(golden, name + ".expected")))}
    return hashes.get(shot) or fail(f"no shot {shot} in {name}.expected")


def fnv1a(pixels):
    h = 0xCBF29CE484222325
    for b in pixels:
        h = ((h ^ b) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return f"{h:016x}"


def replay_frame(script, shot, program="demo"):
    """The Rgb555 bytes of a shot of vantir-replay, rows top to bottom."""
    run = os.path.join(work, "replay")
    shutil.rmtree(run, ignore_errors=True)
    shutil.copytree(data, os.path.join(run, "data"))
    open(os.path.join(run, "script.replay"), "w").write(script)
    subprocess.run([replay, "--program", program, "script.replay", "shots"], cwd=run, check=True,
                   stdout=subprocess.DEVNULL)
    bmp = open(os.path.join(run, "shots", shot + ".bmp"), "rb").read()
    rows = [bmp[54 + y * WIDTH * 2: 54 + (y + 1) * WIDTH * 2] for y in range(HEIGHT)]
    return b"".join(reversed(rows))  # the file's rows run bottom-up


def canvas_frame(driver):
    """The canvas's pixels cut to 5 bits per channel, as little-endian Rgb555."""
    encoded = driver.execute_script("""
        const d = document.getElementById('canvas').getContext('2d').getImageData(0, 0, arguments[0], arguments[1]).data;
        const out = new Uint8Array(d.length / 2);
        for (let i = 0, j = 0; i < d.length; i += 4, j += 2) {
          const p = (d[i] >> 3) << 10 | (d[i + 1] >> 3) << 5 | d[i + 2] >> 3;
          out[j] = p & 255; out[j + 1] = p >> 8;
        }
        let s = '';
        for (let i = 0; i < out.length; i += 8192) s += String.fromCharCode.apply(null, out.subarray(i, i + 8192));
        return btoa(s);""", WIDTH, HEIGHT)
    return base64.b64decode(encoded)


def save_frame(name, pixels):
    """Rgb555 pixels, rows top to bottom, as a 16-bit top-down BMP in WORK_DIR; answers its path."""
    path = os.path.join(work, name.replace(" ", "_") + ".bmp")
    open(path, "wb").write(b"BM" + struct.pack("<IIIiiiHHIIiiII", 54 + len(pixels), 0, 54, 40, WIDTH, -HEIGHT, 1, 16,
                                               0, len(pixels), 0, 0, 0, 0) + pixels)
    return path


def saved(what, got, expected_image):
    """Saves the canvas and its differences from the image it should equal; says where they are."""
    canvas = save_frame(what, got)
    subprocess.run(["compare", canvas, expected_image, canvas[:-4] + "-diff.png"], stderr=subprocess.DEVNULL)
    return f"the canvas is {canvas}, its differences from {expected_image} are marked in {canvas[:-4]}-diff.png"


def same_frame(what, got, want):
    if got != want:
        diff = [i // 2 for i in range(0, len(want), 2) if got[i:i + 2] != want[i:i + 2]]
        fail(f"{what}: {len(diff)} pixels differ, the first at ({diff[0] % WIDTH}, {diff[0] // WIDTH}); "
             + saved(what, got, save_frame(what + " expected", want)))
    print(f"e2e[web]: {what}: every pixel equal ({fnv1a(got)})")


def golden_frame(what, got, name, shot):
    if fnv1a(got) != golden_hash(name, shot):
        fail(f"{what} is not the golden frame {shot}: " + saved(what, got, os.path.join(golden, "images", shot + ".png")))


def stats(driver):
    return driver.execute_script("return window.vantirStats")


def wait_for(what, condition, seconds=30):
    end = time.time() + seconds
    while not condition():
        if time.time() > end:
            fail(f"timed out waiting for {what}")
        time.sleep(0.05)


def wait_frames(driver, count=8):
    start = stats(driver)["frames"]
    wait_for(f"{count} frames", lambda: stats(driver)["frames"] >= start + count)


def pointer(driver, path, scale, origin, press=None, release=None):
    """Moves along client points (pressing a button at the first, releasing one at the last)."""
    actions = ActionBuilder(driver, duration=0)
    at = lambda p: (int(origin[0] + p[0] * scale + scale / 2), int(origin[1] + p[1] * scale + scale / 2))
    actions.pointer_action.move_to_location(*at(path[0]))
    if press is not None:
        actions.pointer_action.pointer_down(press)
    for p in path[1:]:
        actions.pointer_action.pause(0.03)
        actions.pointer_action.move_to_location(*at(p))
    actions.pointer_action.pause(0.2)
    if release is not None:
        actions.pointer_action.pointer_up(release)
    actions.perform()


def hover(driver, point, scale, origin):
    """Moves to a client point and lets frames latch it, so a press there turns nothing."""
    pointer(driver, [point], scale, origin)
    wait_frames(driver, 2)


def steps(a, b, n):
    return [(a[0] + (b[0] - a[0]) * i // n, a[1] + (b[1] - a[1]) * i // n) for i in range(1, n + 1)]


with socket.socket() as sock:
    sock.bind(("127.0.0.1", 0))
    port = sock.getsockname()[1]
server = subprocess.Popen([sys.executable, "-m", "http.server", str(port), "--bind", "127.0.0.1"], cwd=web_dir,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
wait_for("the server to listen", lambda: server.poll() is None and socket.socket().connect_ex(("127.0.0.1", port)) == 0)
options = webdriver.ChromeOptions()
profile = tempfile.mkdtemp(prefix="vantir-chromium-")
for flag in ("headless no-sandbox disable-gpu disable-quic no-first-run disable-background-networking "
             "disable-component-update disable-sync window-size=1400,1200 user-data-dir=" + profile).split():
    options.add_argument("--" + flag)
options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
driver = None
try:
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    page = f"http://127.0.0.1:{port}/index.html"

    # 1. The still frame.
    driver.get(page)
    wait_frames(driver)
    *origin, width = driver.execute_script("const r = canvas.getBoundingClientRect(); return [r.left, r.top, r.width]")
    scale = width / 512
    check(scale == 2, f"the canvas is drawn at scale {scale}, not 2, in a 1400 x 1200 window")
    still = canvas_frame(driver)
    same_frame("still frame against the replay", still, replay_frame(open(os.path.join(golden, "still.replay")).read(),
                                                                       "still"))
    golden_frame("the still frame", still, "still", "still")

    # 2. Drags and Escape.
    press, down30, clamped = (300, 300), (300, 330), (570, 490)  # (570, 490) lies past the right and bottom edges
    # The driver's pointer capture ends with its action sequence: a drag that
    # leaves the canvas is one sequence.
    hover(driver, press, scale, origin)
    pointer(driver, [press] + steps(press, down30, 3), scale, origin, press=MouseButton.LEFT)
    wait_frames(driver, 2)  # the last move is latched before the release
    pointer(driver, [down30], scale, origin, release=MouseButton.LEFT)
    wait_frames(driver)
    golden_frame("a left drag of 30 pixels down", canvas_frame(driver), "drag_left", "down30")
    print("e2e[web]: left drag 30 pixels down: the golden frame")
    hover(driver, press, scale, origin)
    pointer(driver, [press] + steps(press, clamped, 12), scale, origin, MouseButton.LEFT, MouseButton.LEFT)
    wait_frames(driver)
    turned = canvas_frame(driver)
    same_frame("left drag to both clamps against the replay", turned, replay_frame(
        f"move {press[0]} {press[1]}\nldown {press[0]} {press[1]}\nidle 1\nmove {clamped[0]} {clamped[1]}\n"
        f"idle 1\nlup {clamped[0]} {clamped[1]}\nidle 1\nshot clamped\n", "clamped"))
    pointer(driver, [clamped, (100, 100), (20, 400)], scale, origin)  # released: moves turn nothing
    hover(driver, (200, 200), scale, origin)
    pointer(driver, [(200, 200), (400, 300), clamped, (50, 50)], scale, origin, MouseButton.RIGHT, MouseButton.RIGHT)
    wait_frames(driver)
    same_frame("moves after the release and a right drag", canvas_frame(driver), turned)
    ActionChains(driver).send_keys(Keys.ESCAPE).perform()
    wait_for("the program to end after Escape", lambda: stats(driver)["ended"])
    status = driver.find_element(By.ID, "status").text
    check(stats(driver)["exitCode"] == 0 and "ended" in status, f"after Escape: exit code {stats(driver)['exitCode']}, "
          f"status {status!r}")
    print(f"e2e[web]: Escape: {status}")

    # 3. Without the texture: the dialog, then the black sphere.
    driver.get(page + "?texture=none")
    wait_for("the message box", lambda: driver.execute_script("return document.getElementById('message').open"))
    text = driver.find_element(By.ID, "message-text").text
    english = driver.find_element(By.ID, "message-english").text
    check((text, english) == ("ファイル[tes256.bmp]が見つかりません", "File [tes256.bmp] not found."),
          f"the message box says {text!r} / {english!r}")
    check(stats(driver)["frames"] == 0, "frames ran while the start-up's message box was open")
    check(any(english in e["message"] for e in driver.get_log("browser")), "the message did not reach the console")
    driver.find_element(By.ID, "message-ok").click()
    wait_frames(driver)
    golden_frame("the frame without the texture", canvas_frame(driver), "missing_texture", "missing_texture")
    print(f"e2e[web]: missing texture: {text} / {english}, then the golden frame")

    # 4. The gallery: typed keys hold its views still, and the page's frames
    # equal the replay tool's frames of the same keys.
    driver.get(f"http://127.0.0.1:{port}/gallery.html")
    wait_frames(driver)
    typed = ""
    for keys, name in (("p1", "held opening view"), ("7", "view 7")):
        ActionChains(driver).send_keys(keys).perform()
        typed += keys
        wait_frames(driver)
        script = "".join(f"char {ord(c)}\n" for c in typed) + "idle 3\nshot s\n"
        same_frame(f"gallery, {name}, against the replay", canvas_frame(driver),
                   replay_frame(script, "s", "gallery"))
    ActionChains(driver).send_keys(Keys.ESCAPE).perform()
    wait_for("the gallery to end after Escape", lambda: stats(driver)["ended"])
    check(stats(driver)["exitCode"] == 0, f"the gallery's exit code after Escape is {stats(driver)['exitCode']}")
    print("e2e[web]: gallery: Escape ends it")

    # 5. Timing, measured in the page: printed, never judged.
    time.sleep(2)
    s = stats(driver)
    print(f"e2e[web]: frame period {s['periodMs']:.1f} ms, work {s['workMs']:.2f} ms per frame, "
          f"present {s['presentMs']:.2f} ms")
    print("e2e[web]: PASS")
finally:
    if driver:
        driver.quit()
    server.terminate()
    server.wait()
    shutil.rmtree(profile, ignore_errors=True)
