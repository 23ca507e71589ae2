#!/usr/bin/env bash
# The designer's main window in a real window, driven with xdotool as a user would:
#  - right after start the window equals the reviewed headless image of its first page;
#  - each tab shows its page (the tab container's area equals the reviewed image of that page);
#  - typing Latin and Russian text changes the preview; the X field's "+" button nudges it;
#  - the title bar drags the window, and its close button ends the program (after the question
#    about the unsaved text).
# Peak resident memory of the running program is printed at the end.
#   main_window_test.sh VESKEL GOLDEN_DIR OUTDIR [SCREENSHOT]
# With VESKEL_TEST_SCALE=k the program runs at Qt's scale factor k (a whole number) on a screen k
# times as large: every pixel of the reviewed images must show as a k x k block, and the pointer
# lands where it is aimed in the window's own pixels.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=xvfb_lib.sh
. "$here/xvfb_lib.sh"

[ $# -ge 3 ] || { echo "usage: $0 VESKEL GOLDEN_DIR OUTDIR [SCREENSHOT]" >&2; exit 2; }
VESKEL=$1
GOLDEN=$2
WORK=$3
SCREENSHOT=${4:-}
rm -rf "$WORK"
mkdir -p "$WORK/golden"
need_tools

scale=${VESKEL_TEST_SCALE:-1}
# The reviewed images at the screen's scale (pixel repetition: no new colours).
for f in "$GOLDEN"/*.png; do
    convert "$f" -scale "$((scale * 100))%" "png24:$WORK/golden/$(basename "$f")" || fail "could not enlarge $f"
done
GOLDEN=$WORK/golden
if [ "$scale" != 1 ]; then
    export QT_SCALE_FACTOR=$scale
    export XVFB_SCREEN="$((1024 * scale))x$((768 * scale))x24"
fi
# A point of the window in its own (logical) pixels.
at() { pointer_to $(($1 * scale)) $(($2 * scale)); }
# The part (left, top, width, height in logical pixels) of an image.
cut() { convert "$1" -crop "$(($4 * scale))x$(($5 * scale))+$(($2 * scale))+$(($3 * scale))" +repage "png24:$6"; }

start_xvfb
xdo mousemove --sync $((1020 * scale)) $((760 * scale))
start_app "$VESKEL"
[ "$WIN_W" = $((462 * scale)) ] && [ "$WIN_H" = $((480 * scale)) ] || fail "the window is ${WIN_W}x$WIN_H, not 462x480 times $scale"

expect_window start "$GOLDEN/page1-text-colors.png"
[ -n "$SCREENSHOT" ] && cp "$WORK/start-window.png" "$SCREENSHOT"

# The tab container's area (28, 52, 400 x 300) of a screenshot against a golden.
expect_panel() {
    local name=$1 golden=$2 i d=""
    cut "$golden" 28 52 400 300 "$WORK/$name-expected.png"
    for i in $(seq 50); do
        app_alive || fail "the program ended before the '$name' state"
        if shoot "$WORK/$name-window.png"; then
            cut "$WORK/$name-window.png" 28 52 400 300 "$WORK/$name-panel.png"
            d=$(pixel_difference "$WORK/$name-expected.png" "$WORK/$name-panel.png" "$WORK/$name-diff.png")
            [ "$d" = "0" ] && { log "ok: page area equals $golden ($name)"; return 0; }
        fi
        sleep 0.2
    done
    fail "state '$name': the page area differs from $golden ($d pixels)"
}

# Tabs, then away from the container so no tab is lit.
click_tab() {
    at "$1" 62
    xdo click 1
    at 5 470
}
click_tab $((28 + 103)); expect_panel effects "$GOLDEN/page2-effects.png"
click_tab $((28 + 177)); expect_panel overlay "$GOLDEN/page3-overlay.png"
click_tab $((28 + 266)); expect_panel save-open "$GOLDEN/page4-save-open.png"
click_tab $((28 + 38)); expect_panel text-colors "$GOLDEN/page1-after-effects.png"

# The preview (53, 398, 350 x 20) changes when text is typed and when the text is nudged.
preview() {
    shoot "$WORK/$1-window.png" || fail "no screenshot for $1"
    cut "$WORK/$1-window.png" 53 398 350 20 "$WORK/$1-preview.png"
}
preview before
at 200 109                 # the text field (page at (28, 72), field at (8, 28))
xdo click 1
xdo key ctrl+a             # select the whole text
xdo type --delay 30 "Hello Привет"
sleep 0.5
preview typed
[ "$(pixel_difference "$WORK/before-preview.png" "$WORK/typed-preview.png" "$WORK/typed-diff.png")" != "0" ] ||
    fail "the preview did not follow the typed text"
at $((28 + 334 + 14)) $((52 + 20 + 84 + 9))   # "+" beside the X field
xdo click 1
sleep 0.5
preview nudged
[ "$(pixel_difference "$WORK/typed-preview.png" "$WORK/nudged-preview.png" "$WORK/nudged-diff.png")" != "0" ] ||
    fail "the preview did not follow the + button"

peak=$(awk '/VmHWM/ {print $2}' "/proc/$APP_PID/status" 2>/dev/null)
log "peak resident memory: ${peak:-?} kB"

# Drag the window by its title bar.
at 100 24
xdo mousedown 1
xdo mousemove_relative --sync 60 40
xdo mousemove_relative --sync 20 10
xdo mouseup 1
sleep 0.5
eval "$(timeout 10 xdotool getwindowgeometry --shell "$WINDOW")"
[ "$X" != "$WIN_X" ] || [ "$Y" != "$WIN_Y" ] || fail "the title bar did not drag the window (still at $X,$Y)"
log "ok: dragged by the title bar from $WIN_X,$WIN_Y to $X,$Y"
WIN_X=$X WIN_Y=$Y

# Close through the title bar's close button (bar at (12, 13), 445 wide; button 18 wide, 3 from the end).
at $((12 + 445 - 3 - 9)) $((13 + 12))
sleep 0.3
xdo click 1
# The typed text is unsaved work: the program asks first, and "No" lets it go.
for _ in $(seq 50); do
    focus=$(timeout 5 xdotool getwindowfocus 2>/dev/null)
    [ -n "$focus" ] && [ "$focus" != "$WINDOW" ] && break
    sleep 0.2
done
xdo key "$KEY_NO"
for _ in $(seq 50); do app_alive || break; sleep 0.1; done
app_alive && fail "the window did not close through its title bar"
log "ok: closed through the title bar"
APP_PID=""
exit 0
