#!/usr/bin/env bash
# End-to-end test of the real program in a real window on a private X display.
#
#   run_e2e.sh linux PROGRAM WORKDIR DATADIR
#   run_e2e.sh wine  VANTIR.EXE WORKDIR DATADIR
#
# Two runs of the program, each in WORKDIR (which gets data/tes256.bmp):
#   1. the window "TEST" appears and its client area is painted by the
#      program, not left as the white class background; a right drag changes
#      nothing on screen, a left drag turns the sphere; Escape ends it with 0;
#   2. a close request (WM_DELETE_WINDOW through the window manager) ends it with 0.
# The display, window manager, program and Wine server are always torn down.
set -uo pipefail

mode=$1
program=$(realpath "$2")
work=$3
datadir=$4

WINDOW_TIMEOUT=30
[ "$mode" = wine ] && WINDOW_TIMEOUT=120  # Wine's first start in a fresh prefix is slow
EXIT_TIMEOUT=20

log() { echo "e2e[$mode]: $*" >&2; }
fail() { log "FAIL: $*"; exit 1; }

xvfb_pid="" wm_pid="" app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    if [ "$mode" = wine ] && [ -n "${WINESERVER:-}" ]; then "$WINESERVER" -k 2>/dev/null; fi
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

rm -rf "$work/data" "$work/shots"
mkdir -p "$work/data" "$work/shots"
cp "$datadir/tes256.bmp" "$work/data/" || fail "no texture in $datadir"

# ---- Display and window manager ----------------------------------------------
display_file="$work/display"
rm -f "$display_file"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
[ -s "$display_file" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$display_file")"
log "display $DISPLAY"

openbox >"$work/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 100); do
    wmctrl -m >/dev/null 2>&1 && break
    sleep 0.1
done
wmctrl -m >/dev/null 2>&1 || fail "openbox did not start"

# ---- How to start the program ---------------------------------------------------
if [ "$mode" = wine ]; then
    WINE=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
    WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)
    [ -x "$WINE" ] || fail "no Wine found"
    export WINEPREFIX="$work/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer dialogs
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        log "initialising $WINEPREFIX"
        "$WINE" wineboot --init >"$work/wineboot.log" 2>&1
        "$WINESERVER" -w
    fi
    start_program() { (cd "$work" && exec "$WINE" "$program") >"$work/program.log" 2>&1 & app_pid=$!; }
else
    start_program() { (cd "$work" && exec "$program") >"$work/program.log" 2>&1 & app_pid=$!; }
fi

# ---- Helpers -------------------------------------------------------------------
wait_window() {  # prints the window id
    local id=""
    for _ in $(seq $((WINDOW_TIMEOUT * 5))); do
        id=$(xdotool search --onlyvisible --name '^TEST$' 2>/dev/null | head -n1)
        [ -n "$id" ] && break
        kill -0 "$app_pid" 2>/dev/null || fail "the program ended before its window appeared: $(cat "$work/program.log")"
        sleep 0.2
    done
    [ -n "$id" ] || fail "no window titled TEST within ${WINDOW_TIMEOUT}s"
    echo "$id"
}

wait_exit() {  # expects exit code 0
    for _ in $(seq $((EXIT_TIMEOUT * 10))); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after $1"
    wait "$app_pid"
    local rc=$?
    app_pid=""
    [ "$rc" -eq 0 ] || fail "exit code $rc after $1: $(cat "$work/program.log")"
    log "exit code 0 after $1"
}

shot() {  # window id, file
    import -window "$1" "$2" 2>/dev/null || fail "cannot take a screenshot of window $1"
}

# Colour of pixel (x, y) of an image as "r,g,b" in 0..255.
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }

differs() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1)" != 0 ]; }

# Waits until the program's first frame shows: points near the client's
# corners lie outside the sphere and are cleared by every frame.
wait_painted() {  # window id
    local id=$1 w h
    for _ in $(seq 50); do
        shot "$id" "$work/shots/first.png"
        w=$(identify -format %w "$work/shots/first.png")
        h=$(identify -format %h "$work/shots/first.png")
        local painted=1
        for p in "20 $((h / 2))" "$((w - 20)) $((h - 20))" "$((w / 2)) $((h - 20))"; do
            # shellcheck disable=SC2086
            [ "$(pixel "$work/shots/first.png" $p)" = "255,255,255" ] && painted=0
        done
        [ "$painted" = 1 ] && log "client area painted (${w}x${h})" && return
        sleep 0.2
    done
    fail "the client area still shows the white background"
}

# Waits until two screenshots a moment apart agree: the frames after an input
# have reached the screen.
settle() {  # window id, file
    local id=$1 out=$2
    shot "$id" "$out"
    for _ in $(seq 25); do
        sleep 0.2
        shot "$id" "$out.next.png"
        differs "$out" "$out.next.png" || { rm -f "$out.next.png"; return; }
        mv "$out.next.png" "$out"
    done
}

drag() {  # window id, button, dx, dy: press in the middle, move in steps, release
    local id=$1 button=$2 dx=$3 dy=$4
    eval "$(xdotool getwindowgeometry --shell "$id")"
    local cx=$((X + WIDTH / 2)) cy=$((Y + HEIGHT / 2))
    xdotool mousemove "$cx" "$cy"
    sleep 0.2
    xdotool mousedown "$button"
    for step in 1 2 3 4 5; do
        xdotool mousemove $((cx + dx * step / 5)) $((cy + dy * step / 5))
        sleep 0.1
    done
    sleep 0.2
    xdotool mouseup "$button"
    sleep 0.2
}

# ---- Run 1: painting, drags, Escape --------------------------------------------
start_program
id=$(wait_window) || exit 1
log "window $id"
if [ "$mode" = linux ]; then
    eval "$(xdotool getwindowgeometry --shell "$id")"
    [ "$WIDTH" = 512 ] && [ "$HEIGHT" = 480 ] || fail "client area is ${WIDTH}x${HEIGHT}, not 512x480"
fi
wait_painted "$id"
xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus "$id" 2>/dev/null

settle "$id" "$work/shots/before.png"
drag "$id" 3 -80 -60
settle "$id" "$work/shots/after_right.png"
differs "$work/shots/before.png" "$work/shots/after_right.png" && fail "a right drag changed the picture"
log "right drag: picture unchanged"
drag "$id" 1 40 50
settle "$id" "$work/shots/after_left.png"
differs "$work/shots/before.png" "$work/shots/after_left.png" || fail "a left drag did not turn the sphere"
log "left drag: the sphere turned"
kill -0 "$app_pid" 2>/dev/null || fail "the program ended during the drags"

eval "$(xdotool getwindowgeometry --shell "$id")"
xdotool mousemove $((X + 30)) $((Y + 30))  # keys go to the window under the pointer
xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus "$id" 2>/dev/null
sleep 0.2
xdotool key Escape
wait_exit "Escape"

# ---- Run 2: close request -----------------------------------------------------------
start_program
id=$(wait_window) || exit 1
wait_painted "$id"
wmctrl -i -c "$id" || fail "wmctrl could not ask the window to close"
wait_exit "a close request"

log "PASS"
