#!/usr/bin/env bash
# Drives the values demo (edit fields, sliders, list boxes, labels) in a real Qt window under
# Xvfb with xdotool and checks after every step that the window equals the headless rendering of
# the same step: typing Latin and Russian text into a glass edit field, selecting it with
# Shift+Home, dragging a slider with a rest (OnPreChange) and past its right end, hovering and
# selecting a list entry, and turning the wheel over a list.
#   values_window_test.sh PROGRAM OUTDIR
# The points are those of ValuesScript (tests/components/ValuesDemoForm.h).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_lib.sh"

[ $# -ge 2 ] || { log "usage: $0 PROGRAM OUTDIR"; exit 2; }
program=$1 WORK=$2
rm -rf "$WORK"
mkdir -p "$WORK/headless"
need_tools

timeout 60 "$program" --headless-png "$WORK/headless" >"$WORK/headless.log" 2>&1 ||
    fail "headless rendering failed: $(head -c 2000 "$WORK/headless.log")"
H="$WORK/headless"

start_xvfb
xdo mousemove --sync 1020 764
start_app "$program"
expect_output '^shown$'
expect_window normal "$H/normal.png"

# Click after the text of the banner-text field and type Latin and Cyrillic text.
pointer_to 120 22
xdo click 1
sleep 0.2
xdo type --delay 60 ' Hi Привет'
expect_output '^change GlassEdit1 Veskel Hi Привет$'
expect_window typed "$H/typed.png"
xdo key shift+Home
expect_window selected "$H/selected.png"
xdo key Return
expect_output '^key 13$'

# The slider: hover, press, move and rest (OnPreChange after 50 ms), drag past the right end.
pointer_to 60 46
expect_window sliderhover "$H/sliderhover.png"
xdo mousedown 1
pointer_to 100 46
expect_output '^prechange GlassSlider1 53$'
expect_window rested "$H/rested.png"
pointer_to 240 46
expect_window dragging "$H/dragging.png"
xdo mouseup 1
expect_output '^finalchange GlassSlider1 99$'
expect_window released "$H/released.png"

# The pattern list: hover the third entry, select it.
pointer_to 60 141
expect_window listhover "$H/listhover.png"
xdo click 1
expect_output '^select GlassListBox1 2$'
expect_window listselect "$H/listselect.png"

# One wheel notch towards the user over the icon list (button 5).
pointer_to 280 150
xdo click 5
expect_window scrolled "$H/scrolled.png"

app_alive || fail "the demo ended unexpectedly; stderr: $(head -c 2000 "$WORK/app.err")"
log "PASS"
