#!/usr/bin/env bash
# The buttons demo in a real window: the pulse of an arrow button, auto-repeat while a button is
# held, the image menu of the corner button, and the shadow pop-up, each compared with the
# headless rendering of the same state.
#   buttons_window_test.sh VESKEL_BUTTONS_DEMO OUTDIR
# (The small glass button's hover, press and click are window_compare_test.sh's.)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_lib.sh"

[ $# -ge 2 ] || { log "usage: $0 VESKEL_BUTTONS_DEMO OUTDIR"; exit 2; }
program=$1 WORK=$2
rm -rf "$WORK"
mkdir -p "$WORK/headless"
need_tools

timeout 60 "$program" --headless-png "$WORK/headless" >"$WORK/headless.log" 2>&1 ||
    fail "headless rendering failed: $(head -c 2000 "$WORK/headless.log")"

start_xvfb
xdo mousemove --sync 1020 764
start_app "$program"
expect_window normal "$WORK/headless/normal.png"

# Cuts a control's rectangle (window coordinates) out of a fresh screenshot.
cut() {  # cut <name> <x> <y> <w> <h>
    shoot "$WORK/$1-full.png" && convert "$WORK/$1-full.png" -crop "$4x$5+$2+$3" +repage "png24:$WORK/$1.png"
}

# The left arrow (PulseButton1, 41 x 25 at 14, 60) pulses while the pointer rests on it: every
# look at it must be one of the headless phases, and the phases must change.
convert "$WORK/headless/normal.png" -crop 41x25+14+60 +repage "png24:$WORK/pulse-not-yet.png"
pointer_to 34 72
seen=""
for i in $(seq 40); do
    cut pulse 14 60 41 25 || continue
    # The window may not have seen the pointer arrive yet: the arrow still at rest is no phase.
    if [ -z "$seen" ] && [ "$(pixel_difference "$WORK/pulse-not-yet.png" "$WORK/pulse.png" /dev/null)" = "0" ]; then
        sleep 0.05
        continue
    fi
    match=""
    for f in "$WORK"/headless/pulse-[0-9]*.png; do
        [ "$(pixel_difference "$f" "$WORK/pulse.png" /dev/null)" = "0" ] && { match=$(basename "$f" .png); break; }
    done
    [ -n "$match" ] || { cp "$WORK/pulse.png" "$WORK/pulse-unmatched.png"; fail "the pulsing arrow matches no headless phase (see pulse-unmatched.png)"; }
    case " $seen " in *" $match "*) ;; *) seen="$seen $match" ;; esac
    [ "$(echo $seen | wc -w)" -ge 3 ] && break
    sleep 0.05
done
[ "$(echo $seen | wc -w)" -ge 3 ] || fail "the arrow did not pulse (phases seen:$seen)"
log "ok: pulse phases seen:$seen"

# A quick click is one click; holding repeats (after 400 ms, every 20 ms).
count() { grep -c "^clicked PulseButton1\$" "$WORK/app.out"; }
before=$(count)
xdo click 1
expect_output "^clicked PulseButton1\$"
sleep 0.3
[ "$(count)" = "$((before + 1))" ] || fail "a quick click gave $(( $(count) - before )) clicks"
before=$(count)
xdo mousedown 1
sleep 1.2
xdo mouseup 1
sleep 0.3
held=$(( $(count) - before ))
[ "$held" -ge 10 ] || fail "holding the button for 1.2 s gave only $held clicks"
log "ok: holding gave $held clicks"

# The corner button (PulseButton3, 32 x 32 at 14, 104): a right click opens its image menu; the
# fourth item is chosen with the keyboard; away from it, it shows that image as headless does.
pointer_to 30 120
xdo click 3
sleep 0.5
xdo key Down Down Down Down Return
xdo mousemove --sync 1020 764
for i in $(seq 50); do
    cut corners 14 104 32 32 && [ "$(pixel_difference "$WORK/headless/corners-chosen.png" "$WORK/corners.png" /dev/null)" = "0" ] && break
    [ "$i" = 50 ] && fail "the corner button does not show the chosen image (see corners.png)"
    sleep 0.2
done
log "ok: the image menu chose the fourth image"

# "P" opens the shadow pop-up beside the window: its shadow lies over the desktop as headless.
pointer_to 250 150  # an empty spot of the striped background: the click only focuses the window
xdo click 1
xdo key p
expect_output "^popup\$"
main=$WINDOW
for i in $(seq 50); do
    for w in $(timeout 5 xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null); do
        [ "$w" != "$main" ] && WINDOW=$w
    done
    [ "$WINDOW" != "$main" ] && break
    sleep 0.2
done
[ "$WINDOW" != "$main" ] || fail "no pop-up window appeared"
expect_window popup "$WORK/headless/popup-beside.png"
log "PASS"
