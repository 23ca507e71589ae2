#!/usr/bin/env bash
# The designer's main window in a real window, driven with xdotool as a user would:
#  - right after start the window equals the reviewed headless image of its first page;
#  - each tab shows its page (the tab container's area equals the reviewed image of that page);
#  - typing Latin and Russian text changes the preview; the X field's "+" button nudges it;
#  - the title bar's close button ends the program.
# Peak resident memory of the running program is printed at the end.
#   main_window_test.sh VESKEL GOLDEN_DIR OUTDIR [SCREENSHOT]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=xvfb_lib.sh
. "$here/xvfb_lib.sh"

[ $# -ge 3 ] || { echo "usage: $0 VESKEL GOLDEN_DIR OUTDIR [SCREENSHOT]" >&2; exit 2; }
VESKEL=$1
GOLDEN=$2
WORK=$3
SCREENSHOT=${4:-}
mkdir -p "$WORK"
need_tools

start_xvfb
xdo mousemove --sync 1020 760
start_app "$VESKEL"
[ "$WIN_W" = 462 ] && [ "$WIN_H" = 480 ] || fail "the window is ${WIN_W}x$WIN_H, not 462x480"

expect_window start "$GOLDEN/page1-text-colors.png"
[ -n "$SCREENSHOT" ] && cp "$WORK/start-window.png" "$SCREENSHOT"

# The tab container's area (28, 52, 400 x 300) of a screenshot against a golden.
expect_panel() {
    local name=$1 golden=$2 i d=""
    convert "$golden" -crop 400x300+28+52 +repage "png24:$WORK/$name-expected.png"
    for i in $(seq 50); do
        app_alive || fail "the program ended before the '$name' state"
        if shoot "$WORK/$name-window.png"; then
            convert "$WORK/$name-window.png" -crop 400x300+28+52 +repage "png24:$WORK/$name-panel.png"
            d=$(pixel_difference "$WORK/$name-expected.png" "$WORK/$name-panel.png" "$WORK/$name-diff.png")
            [ "$d" = "0" ] && { log "ok: page area equals $golden ($name)"; return 0; }
        fi
        sleep 0.2
    done
    fail "state '$name': the page area differs from $golden ($d pixels)"
}

# Tabs, then away from the container so no tab is lit.
click_tab() {
    pointer_to "$1" 62
    xdo click 1
    pointer_to 5 470
}
click_tab $((28 + 103)); expect_panel effects "$GOLDEN/page2-effects.png"
click_tab $((28 + 177)); expect_panel overlay "$GOLDEN/page3-overlay.png"
click_tab $((28 + 266)); expect_panel save-open "$GOLDEN/page4-save-open.png"
click_tab $((28 + 38)); expect_panel text-colors "$GOLDEN/page1-after-effects.png"

# The preview (53, 398, 350 x 20) changes when text is typed and when the text is nudged.
preview() {
    shoot "$WORK/$1-window.png" || fail "no screenshot for $1"
    convert "$WORK/$1-window.png" -crop 350x20+53+398 +repage "png24:$WORK/$1-preview.png"
}
preview before
pointer_to 200 109         # the text field (page at (28, 72), field at (8, 28))
xdo click 1
xdo key ctrl+a             # select the whole text
xdo type --delay 30 "Hello Привет"
sleep 0.5
preview typed
[ "$(pixel_difference "$WORK/before-preview.png" "$WORK/typed-preview.png" "$WORK/typed-diff.png")" != "0" ] ||
    fail "the preview did not follow the typed text"
pointer_to $((28 + 334 + 14)) $((52 + 20 + 84 + 9))   # "+" beside the X field
xdo click 1
sleep 0.5
preview nudged
[ "$(pixel_difference "$WORK/typed-preview.png" "$WORK/nudged-preview.png" "$WORK/nudged-diff.png")" != "0" ] ||
    fail "the preview did not follow the + button"

peak=$(awk '/VmHWM/ {print $2}' "/proc/$APP_PID/status" 2>/dev/null)
log "peak resident memory: ${peak:-?} kB"

# Close through the title bar's close button (bar at (12, 13), 445 wide; button 18 wide, 3 from the end).
pointer_to $((12 + 445 - 3 - 9)) $((13 + 12))
sleep 0.3
xdo click 1
for _ in $(seq 50); do app_alive || break; sleep 0.1; done
app_alive && fail "the window did not close through its title bar"
log "ok: closed through the title bar"
APP_PID=""
exit 0
