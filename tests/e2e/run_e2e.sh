#!/usr/bin/env bash
# End-to-end test of the real program in a real window on a private X display.
#
#   run_e2e.sh linux PROGRAM WORKDIR DATADIR [GALLERY REPLAY]
#   run_e2e.sh wine  VANTIR.EXE WORKDIR DATADIR [GALLERY.EXE REPLAY]
#   run_e2e.sh wine  PACKAGE.zip WORKDIR - REPLAY
#
# Given the Windows package, it is unpacked into WORKDIR and its own
# vantir.exe, vantir-gallery.exe and data/ are the ones run.
# Two runs of the program, each in WORKDIR (which gets DATADIR's textures):
#   1. the window "TEST" appears and its client area is painted by the
#      program, not left as the white class background; a right drag changes
#      nothing on screen, a left drag turns the sphere; Escape ends it with 0;
#   2. a close request (WM_DELETE_WINDOW through the window manager) ends it with 0.
# With the gallery and the replay tool, a third: typed keys hold the opening
# view and choose view 7, and each frame on screen equals vantir-replay's
# frame of the same keys at the window's client size, pixel for pixel at 5
# bits per channel; Escape ends it with 0.
# The display, window manager, program and Wine server are always torn down.
set -uo pipefail
mode=$1 program=$(realpath "$2") work=$3 datadir=$4
gallery=${5:+$(realpath "$5")} replay=${6:-}
title='^TEST$'
if [ "$mode" = wine ] && [ "${program%.zip}" != "$program" ]; then
    rm -rf "$work/package" && mkdir -p "$work/package"
    (cd "$work/package" && cmake -E tar xf "$program") || { echo "e2e[wine]: FAIL: cannot unpack $program" >&2; exit 1; }
    unpacked=$(echo "$work"/package/*/)
    program=$unpacked/vantir.exe gallery=$unpacked/vantir-gallery.exe datadir=$unpacked/data replay=${5:-}
fi
WINDOW_TIMEOUT=30
[ "$mode" = wine ] && WINDOW_TIMEOUT=120  # Wine's first start in a fresh prefix is slow

log() { echo "e2e[$mode]: $*" >&2; }
fail() { log "FAIL: $*"; exit 1; }
# Polls a command up to N times, PAUSE seconds apart.
poll() { local n=$1 pause=$2; shift 2; for _ in $(seq "$n"); do "$@" && return; sleep "$pause"; done; "$@"; }

xvfb_pid="" wm_pid="" app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ "$mode" = wine ] && [ -n "${WINESERVER:-}" ] && "$WINESERVER" -k 2>/dev/null
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

rm -rf "$work/data" "$work/shots" "$work/display"
mkdir -p "$work/data" "$work/shots"
cp "$datadir"/*.bmp "$work/data/" || fail "no textures in $datadir"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
poll 100 0.1 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
wm_pid=$!
poll 100 0.1 wmctrl -m >/dev/null 2>&1 || fail "openbox did not start"
log "display $DISPLAY"

run=()
if [ "$mode" = wine ]; then
    WINE=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
    WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)
    [ -x "$WINE" ] || fail "no Wine found"
    export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer dialogs
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        log "initialising $WINEPREFIX"
        "$WINE" wineboot --init >"$work/wineboot.log" 2>&1
        "$WINESERVER" -w
    fi
    run=("$WINE")
fi

start_window() {  # starts the program and waits for its window; sets id
    (cd "$work" && exec "${run[@]}" "$program") >"$work/program.log" 2>&1 &
    app_pid=$! id=""
    for _ in $(seq $((WINDOW_TIMEOUT * 5))); do
        id=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -n1)
        [ -n "$id" ] && break
        kill -0 "$app_pid" 2>/dev/null || fail "the program ended before its window appeared: $(cat "$work/program.log")"
        sleep 0.2
    done
    [ -n "$id" ] || fail "no window titled $title within ${WINDOW_TIMEOUT}s"
    log "window $id"
}

wait_exit() {  # expects exit code 0
    poll 200 0.1 eval '! kill -0 "$app_pid" 2>/dev/null' || fail "the program did not end after $1"
    wait "$app_pid"
    local rc=$?
    app_pid=""
    [ "$rc" -eq 0 ] || fail "exit code $rc after $1: $(cat "$work/program.log")"
    log "exit code 0 after $1"
}

shot() { import -window "$id" "$1" 2>/dev/null || fail "cannot take a screenshot of window $id"; }
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }
differs() {  # compare's status: 0 the same, 1 different, anything else it could not compare
    compare -metric AE "$1" "$2" null: 2>/dev/null
    case $? in 0) return 1 ;; 1) return 0 ;; *) fail "compare could not read $1 and $2" ;; esac
}
geometry() { eval "$(xdotool getwindowgeometry --shell "$id")"; }

# The first frame shows once points near the client's edges, outside the
# sphere and cleared by every frame, are no longer the white background.
painted() {
    local f="$work/shots/first.png" w h p
    shot "$f"
    w=$(identify -format %w "$f") h=$(identify -format %h "$f")
    for p in "20 $((h / 2))" "$((w - 20)) $((h - 20))" "$((w / 2)) $((h - 20))"; do
        # shellcheck disable=SC2086
        [ "$(pixel "$f" $p)" = "255,255,255" ] && return 1
    done
    log "client area painted (${w}x${h})"
}

# Takes a shot once two a moment apart agree: the frames after an input are on screen.
settle() {
    shot "$1"
    for _ in $(seq 25); do
        sleep 0.2
        shot "$1.next.png"
        differs "$1" "$1.next.png" || { rm -f "$1.next.png"; return; }
        mv "$1.next.png" "$1"
    done
    fail "the picture did not settle: shots 0.2 s apart still differed after 5 s ($1)"
}

drag() {  # button, dx, dy: press in the middle, move in five steps, release
    geometry
    local cx=$((X + WIDTH / 2)) cy=$((Y + HEIGHT / 2)) step
    xdotool mousemove "$cx" "$cy" sleep 0.2 mousedown "$1"
    for step in 1 2 3 4 5; do xdotool mousemove $((cx + $2 * step / 5)) $((cy + $3 * step / 5)) sleep 0.1; done
    xdotool sleep 0.2 mouseup "$1" sleep 0.2
}

focus() { xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus "$id" 2>/dev/null; }

# Run 1: painting, drags, Escape.
start_window
if [ "$mode" = linux ]; then
    geometry
    [ "$WIDTH" = 512 ] && [ "$HEIGHT" = 480 ] || fail "client area is ${WIDTH}x${HEIGHT}, not 512x480"
fi
poll 50 0.2 painted || fail "the client area still shows the white background"
focus
settle "$work/shots/before.png"
drag 3 -80 -60
settle "$work/shots/after_right.png"
differs "$work/shots/before.png" "$work/shots/after_right.png" && fail "a right drag changed the picture"
log "right drag: picture unchanged"
drag 1 40 50
settle "$work/shots/after_left.png"
differs "$work/shots/before.png" "$work/shots/after_left.png" || fail "a left drag did not turn the sphere"
log "left drag: the sphere turned"
kill -0 "$app_pid" 2>/dev/null || fail "the program ended during the drags"
geometry
xdotool mousemove $((X + 30)) $((Y + 30))  # keys go to the window under the pointer
focus
xdotool sleep 0.2 key Escape
wait_exit "Escape"

# Run 2: a close request.
start_window
poll 50 0.2 painted || fail "the client area still shows the white background"
wmctrl -i -c "$id" || fail "wmctrl could not ask the window to close"
wait_exit "a close request"

# The screenshot's client area equals vantir-replay's frame of the keys typed
# so far at the same client size (Wine's is one row taller than SDL's for the
# same outer size), at 5 bits per channel.
like_replay() {  # screenshot, replay commands, shot name
    local run="$work/replay"
    rm -rf "$run" && mkdir -p "$run" && cp -r "$work/data" "$run/"
    printf 'client %d %d\n%b\nidle 3\nshot %s\n' "$WIDTH" "$HEIGHT" "$2" "$3" >"$run/s.replay"
    (cd "$run" && "$replay" --program gallery s.replay out >/dev/null) || fail "vantir-replay failed on $3"
    python3 - "$1" "$run/out/$3.bmp" "$WIDTH" "$HEIGHT" <<'PY' || fail "the gallery's $3 frame differs from the replay tool's"
import subprocess, sys
shot, bmp, width, height = sys.argv[1], sys.argv[2], int(sys.argv[3]) // 2 * 2, int(sys.argv[4]) - 1
def rgb(path):  # the back buffer's part of an image, 8 bits per channel
    return subprocess.run(["convert", path, "-crop", f"{width}x{height}+0+0", "-depth", "8", "rgb:-"],
                          capture_output=True, check=True).stdout
got, want = rgb(shot), rgb(bmp)
diff = [i // 3 for i in range(0, len(want), 3) if [v >> 3 for v in got[i:i + 3]] != [v >> 3 for v in want[i:i + 3]]]
if len(got) != len(want) or diff:
    sys.exit(f"{len(diff)} pixels differ" + (f", the first at ({diff[0] % width}, {diff[0] // width})" if diff else ""))
PY
}

# Run 3: the gallery, held still by typed keys.
if [ -n "$gallery" ]; then
    program=$gallery title='^vantir gallery$'
    start_window
    poll 50 0.2 painted || fail "the gallery's client area still shows the white background"
    geometry
    xdotool mousemove $((X + 30)) $((Y + 30))
    focus
    xdotool key p 1
    settle "$work/shots/gallery_held.png"
    like_replay "$work/shots/gallery_held.png" 'char 112\nchar 49' held
    xdotool key 7
    settle "$work/shots/gallery_bodies.png"
    like_replay "$work/shots/gallery_bodies.png" 'char 112\nchar 49\nchar 55' bodies
    log "gallery: the held opening view and view 7 equal the replay tool's frames"
    xdotool key Escape
    wait_exit "Escape in the gallery"
fi
log "PASS"
