#!/usr/bin/env bash
# The colour box's palette pop-up in real windows: rest the pointer on ClrBox1 until its pop-up
# opens beside it, check the pop-up's place and that its inside (everything within the shadow
# margin, which shows a capture of the screen) equals the headless rendering, drag in the HLS
# table and along the hue slider and watch the box take every colour, then move the pointer away
# and see the pop-up close and the box show the last colour.
#   colour_box_test.sh VESKEL_COLOUR_DEMO OUTDIR
# With VESKEL_TEST_SCALE=k the program runs at Qt's scale factor k (a whole number) on a screen k
# times as large, so that the desktop is still 1024 x 768 logical pixels as in the headless run,
# and every pixel is a k x k block.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_lib.sh"

[ $# -ge 2 ] || { log "usage: $0 VESKEL_COLOUR_DEMO OUTDIR"; exit 2; }
program=$1 WORK=$2
rm -rf "$WORK"
mkdir -p "$WORK/headless"
need_tools
scale=${VESKEL_TEST_SCALE:-1}

timeout 60 "$program" --headless-png "$WORK/headless" >"$WORK/headless.log" 2>&1 ||
    fail "headless rendering failed: $(head -c 2000 "$WORK/headless.log")"
read -r _ _ popup_x popup_y < <(grep '^popup at' "$WORK/headless.log")
[ -n "${popup_y:-}" ] || fail "the headless run did not say where the pop-up opens"

# The inside of the pop-up: its 344 x 332 panel at (18, 18), enlarged to the screen's scale.
m=$((18 * scale)) pw=$((344 * scale)) ph=$((332 * scale))
convert "$WORK/headless/popup.png" -scale "$((scale * 100))%" -crop "${pw}x${ph}+${m}+${m}" +repage \
    "png24:$WORK/headless/popup-inside.png" || fail "could not cut the headless pop-up"

if [ "$scale" != 1 ]; then
    export QT_SCALE_FACTOR=$scale
    export XVFB_SCREEN="$((1024 * scale))x$((768 * scale))x24"
fi
start_xvfb
xdo mousemove --sync 1020 764
start_app "$program"
expect_output '^shown$'
MAIN=$WINDOW  # getwindowgeometry --shell below sets WINDOW too

# Device pixels of a logical point of the main window's client area.
at() { echo $((WIN_X + $1 * scale)) $((WIN_Y + $2 * scale)); }

# Rest on ClrBox1 (client (20, 20), 19 x 18).
xdo mousemove --sync $(at 29 29)
expect_output '^palette open$'
POPUP=""
for _ in $(seq 50); do
    for w in $(timeout 5 xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null); do
        [ "$w" != "$MAIN" ] && POPUP=$w
    done
    [ -n "$POPUP" ] && break
    sleep 0.2
done
[ -n "$POPUP" ] || fail "no pop-up window appeared"
eval "$(timeout 10 xdotool getwindowgeometry --shell "$POPUP")"
log "pop-up $POPUP at $X,$Y size ${WIDTH}x$HEIGHT"
# The pop-up's logical place is the headless one (the main window stands at (60, 60) in both).
[ "$X" = $((popup_x * scale)) ] && [ "$Y" = $((popup_y * scale)) ] ||
    fail "the pop-up opened at $X,$Y, not at $((popup_x * scale)),$((popup_y * scale))"
[ "$WIDTH" = $((380 * scale)) ] && [ "$HEIGHT" = $((368 * scale)) ] || fail "the pop-up is ${WIDTH}x$HEIGHT"
PX=$X PY=$Y

# Its inside equals the headless rendering.
d=""
for _ in $(seq 50); do
    if timeout 10 import -window "$POPUP" "png24:$WORK/popup-window.png" 2>>"$WORK/import.log" &&
        convert "$WORK/popup-window.png" -crop "${pw}x${ph}+${m}+${m}" +repage "png24:$WORK/popup-inside.png"; then
        d=$(pixel_difference "$WORK/headless/popup-inside.png" "$WORK/popup-inside.png" "$WORK/popup-diff.png")
        [ "$d" = "0" ] && break
    fi
    sleep 0.2
done
[ "$d" = "0" ] || fail "the pop-up's inside differs from the headless rendering ($d pixels); see $WORK/popup-diff.png"
log "ok: the pop-up's inside equals the headless rendering"

# Drag in the table (panel (72, 24), table picture from (73, 25)) and along the hue slider
# (panel (68, 288), bar from x 5).
ppt() { echo $((PX + (18 + $1) * scale)) $((PY + (18 + $2) * scale)); }
xdo mousemove --sync $(ppt 230 60)
xdo mousedown 1
xdo mousemove --sync $(ppt 250 120)
xdo mousemove --sync $(ppt 300 150)
xdo mouseup 1
xdo mousemove --sync $(ppt 80 296)
xdo mousedown 1
xdo mousemove --sync $(ppt 150 296)
xdo mousemove --sync $(ppt 260 296)
xdo mouseup 1
sleep 0.5
lines=$(grep -c '^pre ClrBox1' "$WORK/app.out")
[ "$lines" -ge 4 ] || fail "ClrBox1 received $lines colours while dragging, expected at least 4"
read -r _ _ r g b < <(grep '^pre ClrBox1' "$WORK/app.out" | tail -n 1)
log "ok: ClrBox1 received $lines colours, the last $r $g $b"

# Away from the box and the pop-up: closed at the pop-up's next 300 ms check.
xdo mousemove --sync $((1020)) $((764))
expect_output '^palette closed$'
for _ in $(seq 25); do
    timeout 5 xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | grep -qx "$POPUP" || break
    sleep 0.2
done
timeout 5 xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | grep -qx "$POPUP" && fail "the pop-up window is still shown"
log "ok: the pop-up closed when the pointer left it"
# The box, uncovered again, shows the last colour.
want=$(printf 'srgb(%d,%d,%d)' "$r" "$g" "$b")
got=""
for _ in $(seq 25); do
    timeout 10 import -window "$MAIN" "png24:$WORK/main-window.png" 2>>"$WORK/import.log"
    got=$(convert "$WORK/main-window.png" -format "%[pixel:p{$((29 * scale)),$((29 * scale))}]" info:)
    [ "$got" = "$want" ] && break
    sleep 0.2
done
[ "$got" = "$want" ] || fail "the box shows $got, not the last colour received, $want"
log "ok: the box shows $want"

app_alive || fail "the program ended; stderr: $(head -c 2000 "$WORK/app.err")"
log "PASS"
