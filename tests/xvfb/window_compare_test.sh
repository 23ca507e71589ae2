#!/usr/bin/env bash
# Shows a program's form in a real Qt window under Xvfb, hovers and presses one of its buttons
# with xdotool, and checks that every state looks pixel for pixel like the headless rendering of
# the same state and that the click reached the handler.
#
#   window_compare_test.sh PROGRAM OUTDIR X Y CLICKED [SCREENSHOT]
#     PROGRAM     a program with "--headless-png DIR" (writes normal.png, hover.png, pressed.png)
#                 that shows its form in a window when started without arguments
#     X Y         a point on the button, in window coordinates
#     CLICKED     the line the program prints when the button is clicked ("clicked Name")
#     SCREENSHOT  optional: where to copy the screenshot of the normal state
# With VESKEL_TEST_DISABLED="X Y" (a point on a disabled button) the pointer then rests there and
# clicks: the window must equal the headless disabled.png and no click may be reported.
# With VESKEL_TEST_SCALE=k (a whole number) the program runs with Qt's scale factor k, as on a
# high-density screen, and every form pixel must appear as a k x k block of the same colour.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_lib.sh"

[ $# -ge 5 ] || { log "usage: $0 PROGRAM OUTDIR X Y CLICKED [SCREENSHOT]"; exit 2; }
program=$1 WORK=$2 bx=$3 by=$4 clicked=$5 screenshot=${6:-}
rm -rf "$WORK"
mkdir -p "$WORK/headless"
need_tools

timeout 60 "$program" --headless-png "$WORK/headless" >"$WORK/headless.log" 2>&1 ||
    fail "headless rendering failed: $(head -c 2000 "$WORK/headless.log")"
for s in normal hover pressed; do
    [ -s "$WORK/headless/$s.png" ] || fail "the headless run wrote no $s.png"
done

scale=${VESKEL_TEST_SCALE:-1}
if [ "$scale" != 1 ]; then
    # Pixel repetition (ImageMagick's -scale averages whole source pixels: no new colours).
    mkdir -p "$WORK/scaled"
    for f in "$WORK"/headless/*.png; do
        convert "$f" -scale "$((scale * 100))%" "png24:$WORK/scaled/$(basename "$f")" ||
            fail "could not enlarge $f"
    done
    rm -rf "$WORK/headless" && mv "$WORK/scaled" "$WORK/headless"
    export QT_SCALE_FACTOR=$scale
    bx=$((bx * scale)) by=$((by * scale))
fi

start_xvfb
# Keep the pointer away from where the window will appear.
xdo mousemove --sync 1020 764
start_app "$program"

expect_window normal "$WORK/headless/normal.png"
[ -n "$screenshot" ] && cp "$WORK/normal-window.png" "$screenshot" && log "screenshot saved to $screenshot"

pointer_to "$bx" "$by"
expect_window hover "$WORK/headless/hover.png"

xdo mousedown 1
expect_window pressed "$WORK/headless/pressed.png"
xdo mouseup 1
expect_output "^$clicked\$"
expect_window hover-again "$WORK/headless/hover.png"

if [ -s "$WORK/headless/left.png" ]; then
    xdo mousemove --sync 1020 764
    expect_window left "$WORK/headless/left.png"
fi

if [ -n "${VESKEL_TEST_DISABLED:-}" ]; then
    [ -s "$WORK/headless/disabled.png" ] || fail "the headless run wrote no disabled.png"
    read -r dx dy <<<"$VESKEL_TEST_DISABLED"
    pointer_to $((dx * scale)) $((dy * scale))
    expect_window disabled "$WORK/headless/disabled.png"
    clicks_before=$(grep -c '^clicked' "$WORK/app.out")
    xdo click 1
    expect_window disabled-clicked "$WORK/headless/disabled.png"
    sleep 0.5
    [ "$(grep -c '^clicked' "$WORK/app.out")" = "$clicks_before" ] ||
        fail "a click on the disabled button was reported: $(tail -n 1 "$WORK/app.out")"
    log "ok: the disabled button ignored the click"
fi
log "PASS"
