#!/usr/bin/env bash
# Drives the probe form in a real Qt window under Xvfb and checks that the backend delivers what
# the user does: timers on real time, double click, the pop-up menu (choice and dismissal), keys,
# typed text (Latin and Cyrillic), activation, and dragging the frameless window by its bar
# (no window manager runs, so this exercises the manual fallback of the system move).
#   probe_input_test.sh PROBE OUTDIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_lib.sh"

[ $# -ge 2 ] || { log "usage: $0 PROBE OUTDIR"; exit 2; }
program=$1 WORK=$2
rm -rf "$WORK"
mkdir -p "$WORK"
need_tools

start_xvfb
xdo mousemove --sync 1020 764
start_app "$program"
expect_output '^shown$'
expect_output '^timer$'

# The probe button lies at (20, 30)-(110, 60) in the window.
pointer_to 50 45
xdo click --repeat 2 --delay 120 1
expect_output '^dblclick probe$'
expect_output '^active 1$'

# Right click: the menu opens with its top-left at the button's centre, (65, 45) in the window.
# Items: 60 x 16 bitmap (command 1), another (command 2), then a text item (command 3); the menu
# has a one-pixel frame.
xdo click 3
sleep 0.5
xdo mousemove --sync $((WIN_X + 65 + 20)) $((WIN_Y + 45 + 1 + 16 + 8))
sleep 0.2
xdo click 1
expect_output '^menu 2$'
pointer_to 50 45
xdo click 3
sleep 0.5
xdo key Escape
expect_output '^menu 0$'

# Keys reach the form (nothing is focused yet): Left is 37, F5 is 116, Shift+A is 65 with shift 1.
pointer_to 150 80
xdo click 1
xdo key Left
expect_output '^key 37 0$'
xdo key F5
expect_output '^key 116 0$'
xdo key shift+a
expect_output '^key 65 1$'

# Typed text reaches the focused edit box, in any script.
pointer_to 60 110
xdo click 1
sleep 0.2
xdo type --delay 60 'Hi Привет'
expect_output '^text Hi Привет$'

# Drag the window by its bar 100 pixels right and 50 down.
pointer_to 60 5
xdo mousedown 1
for step in 1 2 3 4 5; do
    xdo mousemove --sync $((WIN_X + 60 + 20 * step)) $((WIN_Y + 5 + 10 * step))
    sleep 0.05
done
xdo mouseup 1
expect_output "^moved $((WIN_X + 100)) $((WIN_Y + 50))\$"
eval "$(timeout 10 xdotool getwindowgeometry --shell "$WINDOW")"
[ "$X" = $((WIN_X + 100)) ] && [ "$Y" = $((WIN_Y + 50)) ] ||
    fail "the window is at $X,$Y after the drag, expected $((WIN_X + 100)),$((WIN_Y + 50))"

app_alive || fail "the probe ended unexpectedly; stderr: $(head -c 2000 "$WORK/app.err")"
log "PASS"
