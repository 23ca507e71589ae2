#!/usr/bin/env bash
# A whole design made with the keyboard alone in a real window under Xvfb, the pointer parked
# outside it throughout: the text typed, the position typed and nudged with "+", the first colour
# picked in the palette (defaults button, then the table's arrows, then a number typed into its R
# field and applied with Enter, a second Enter closing it), the pattern strength, the
# pattern, the layer and the border on "Effects", and the export through "Save..." on the last
# page. The exported file must equal, byte for byte, what veskel-render writes for the same design.
#   designer_keyboard_test.sh VESKEL VESKEL_RENDER OUTDIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=xvfb_lib.sh
. "$here/xvfb_lib.sh"
designer_test_start "$@"
need_tools cmp

retry() {
    local what=$1
    shift
    for _ in $(seq 50); do "$@" && { log "ok: $what"; return 0; }; sleep 0.2; done
    fail "$what: not so after 10 s (last look in $WORK)"
}
others() { timeout 5 xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | grep -vx "$MAIN"; }
# Which window has the keyboard: ours (the main one), another of the program's, or only the main one shown.
other_focused() { F=$(timeout 5 xdotool getwindowfocus 2>/dev/null) && [ "$F" != "$MAIN" ] && others | grep -qx "$F"; }
main_focused() { [ "$(timeout 5 xdotool getwindowfocus 2>/dev/null)" = "$MAIN" ]; }
only_main() { [ -z "$(others)" ]; }
# Keys one at a time, with a pause for the window to follow; tabs N presses Tab N times.
keys() { local k; for k in "$@"; do xdo key "$k"; sleep 0.08; done; }
tabs() { for _ in $(seq "$1"); do keys Tab; done; }

start_xvfb
xdo mousemove --sync 1020 760
start_app "$VESKEL"
MAIN=$WINDOW
retry "the window has the keyboard" main_focused

# Text: the first stop is the text field, its text selected; typing replaces it.
tabs 1
xdo type --delay 40 "Keys only"
# Position: two stops on, the X field; "20", then the "+" beside it.
tabs 2
xdo type --delay 40 "20"
keys Tab space
# The first colour: nine stops on, its box; Enter opens the palette with the R field focused.
tabs 9
keys Return
retry "the palette has the keyboard" other_focused
# From R: G, B, H, L, S, the hue bar, the fore swatch, swap, the table, the back swatch, then the
# defaults button (white and black), and back to the table: no saturation, lightness 254 - 8 x 16.
tabs 11
keys space shift+Tab shift+Tab Home Next Next Next Next Next Next Next Next
# On to the R field (past the back swatch and the defaults button): 20 for red.
tabs 3
keys ctrl+a
xdo type --delay 40 "20"
keys Return
sleep 0.5
others | grep -q . || fail "the first Enter in the R field closed the palette instead of applying 20"
keys Return
retry "the palette closed" only_main
retry "the window has the keyboard again" main_focused
# "Effects": the pattern strength slider takes the focus; all the way up. Then pattern 2, layer 1
# and the border switched off.
keys ctrl+Tab End
tabs 2
keys Home Down Down Tab Home Down Tab space
# "Save & Open": the highlighted "Save..." is the fourth stop.
keys ctrl+Next ctrl+Next Tab Tab Tab Return
retry "the export dialog" other_focused
xdo key ctrl+a
xdo type --delay 10 "$WORK/keyboard.png"
xdo key Return
retry "keyboard.png written" test -s "$WORK/keyboard.png"

# The same design on the command line (the window's banner rounds to nearest, "Effects" seen or not).
"$RENDER" --text "Keys only" --set TextX=21 --set Color1=#147E7E --set PatternStrength=99 \
    --set Pattern=2 --set MirrorPattern=1 --set Border=0 -o "$WORK/expected.png" 2>"$WORK/render.err" ||
    fail "veskel-render failed: $(head -c 500 "$WORK/render.err")"
cmp "$WORK/expected.png" "$WORK/keyboard.png" || fail "the export differs from veskel-render's file"
log "PASS"
