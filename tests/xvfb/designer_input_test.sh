#!/usr/bin/env bash
# The designer's input in a real window, driven with xdotool; the preview (350 x 20 at (53, 398))
# must equal the renderer's image of the same design after each step:
#  - six quick clicks on "+" are six steps; a slider moved 60 px at once and released at once
#    reaches the banner; resting on an arrow shows its hint below the pointer, without the focus;
#  - with a 4000 x 3000 overlay picture, the size arrow held for 0.7 s: a click right after the
#    release is answered (the time is printed) and the widening has stopped.
# With VESKEL_TEST_SCALE=k the program runs at Qt's scale factor k.
#   designer_input_test.sh VESKEL VESKEL_RENDER DESKTOP_HELPER OUTDIR
set -uo pipefail
. "$(cd "$(dirname "$0")" && pwd)/xvfb_lib.sh"
[ $# -ge 4 ] || { echo "usage: $0 VESKEL VESKEL_RENDER DESKTOP_HELPER OUTDIR" >&2; exit 2; }
VESKEL=$(readlink -f "$1") RENDER=$(readlink -f "$2") HELPER=$(readlink -f "$3") WORK=$(readlink -m "$4")
rm -rf "$WORK"
mkdir -p "$WORK/config"
need_tools
export XDG_CONFIG_HOME=$WORK/config
s=${VESKEL_TEST_SCALE:-1}
[ "$s" = 1 ] || export QT_SCALE_FACTOR=$s XVFB_SCREEN="$((1024 * s))x$((768 * s))x24"

design=()
render() { "$RENDER" "${design[@]}" "$@" 2>"$WORK/render.err" || fail "veskel-render failed: $(head -c 500 "$WORK/render.err")"; }
render --save-project "$WORK/default" -o "$WORK/default.png"
x0=$(od -An -t d4 -j 513 -N 4 "$WORK/default.vzk" | tr -d ' ')
# The preview now, back at one pixel per form pixel.
preview() {
    shoot "$WORK/$1.png" && convert "$WORK/$1.png" -crop "$((350 * s))x$((20 * s))+$((53 * s))+$((398 * s))" +repage \
        -sample "$((100 / s))%" "png24:$WORK/$1-preview.png"
}
# Waits (up to 10 s) until the preview equals the renderer's image.
expect_preview() {
    local name=$1 i
    shift
    design+=("$@")
    render -o "$WORK/$name-expected.png"
    for i in $(seq 50); do
        preview "$name" && [ "$(pixel_difference "$WORK/$name-expected.png" "$WORK/$name-preview.png" null:)" = 0 ] &&
            { log "ok: $name"; return 0; }
        sleep 0.2
    done
    fail "'$name': the preview differs from the renderer's (see $WORK/$name-preview.png)"
}
at() { pointer_to $(($1 * s)) $(($2 * s)); }   # form pixels
# A tab (after the double-click time), then off every control.
show_page() { sleep 0.6; at $((28 + $1)) 62; xdo click 1; at 5 470; sleep 0.6; }
other_window() {
    local i
    for i in $(seq 50); do
        OTHER=$(timeout 5 xdotool search --onlyvisible --pid "$APP_PID" | grep -vx "$MAIN" | head -n 1)
        [ -n "$OTHER" ] && return 0
        sleep 0.1
    done
    return 1
}

start_xvfb
xdo mousemove --sync $((1020 * s)) $((760 * s))
cd "$WORK" || fail "no $WORK"
start_app "$VESKEL"
MAIN=$WINDOW
expect_preview start

# Six clicks 120 ms apart, well inside the double-click time, on "+" beside X (376, 165).
at 376 165
xdo click --repeat 6 --delay 120 1
expect_preview six-clicks --set TextX=$((x0 + 6))

# Resting on the up arrow (98, 170): the hint shows below the pointer and leaves the focus.
at 98 172
at 98 170
other_window || fail "no hint window appeared"
eval "$(timeout 10 xdotool getwindowgeometry --shell "$OTHER")"
WINDOW=$MAIN
[ "$Y" -gt $((WIN_Y + 170 * s)) ] && [ "$(timeout 5 xdotool getwindowfocus)" = "$MAIN" ] ||
    fail "the hint is not below the pointer or took the focus"
timeout 10 import -window root -crop "$((WIDTH + 60 * s))x$((HEIGHT + 50 * s))+$((X - 30 * s))+$((Y - 40 * s))" \
    +repage "png24:$WORK/hint-screen.png"
# At scale k every form pixel is a whole k x k block: sampled down and up again, nothing changes.
import -window "$OTHER" "png24:$WORK/hint.png" && convert "$WORK/hint.png" -sample "$((100 / s))%" -scale "$((100 * s))%" \
    "png24:$WORK/hint-blocks.png" && [ "$(pixel_difference "$WORK/hint.png" "$WORK/hint-blocks.png" null:)" = 0 ] ||
    fail "the hint is not drawn in whole pixel blocks"
log "ok: hint ${WIDTH}x$HEIGHT at $X,$Y ($WORK/hint-screen.png)"

# GlassSlider1 on "Effects": pressed at x 164, moved to x 104 and released before it rests.
show_page 103
at $((33 + 164)) 116
xdo mousedown 1
xdo mousemove --sync $(((33 + 104) * s + WIN_X)) $((116 * s + WIN_Y))
xdo mouseup 1
expect_preview quick-drag --set PatternStrength=58   # round(95 x 99 / 162)

# A 12 MP picture through "Choose..." on "Overlay Image".
show_page 177
convert -size 400x300 gradient:'#ff2000-#2040ff' -resize 4000x3000\! -quality 90 "$WORK/big.jpg" || fail "no picture"
at 89 116
xdo click 1
for _ in $(seq 50); do [ "$(timeout 5 xdotool getwindowfocus)" != "$MAIN" ] && break; sleep 0.2; done
xdo key ctrl+a
xdo type --delay 10 "$WORK/big.jpg"
xdo key Return
expect_preview big-loaded --overlay "$WORK/big.jpg"
# The size "→" arrow (351, 248) held 0.7 s; a screen watcher on the page body times the tab click.
at 351 248
xdo mousedown 1
sleep 0.7
env -u QT_SCALE_FACTOR "$HELPER" watch $((WIN_X + 44 * s)) $((WIN_Y + 144 * s)) $((150 * s)) $((20 * s)) >"$WORK/watch.out" 2>/dev/null &
watcher=$!
for _ in $(seq 250); do grep -q ready "$WORK/watch.out" && break; sleep 0.02; done
released=$(date +%s%3N)
xdo mouseup 1
at 66 62
clicked=$(date +%s%3N)
xdo click 1
wait "$watcher"
changed=$(sed -n 's/^changed //p' "$WORK/watch.out")
[ -n "$changed" ] || fail "the click after the release was not answered within 10 s"
log "a click $((clicked - released)) ms after releasing the held arrow was answered in $((changed - clicked)) ms"
preview settled-a
sleep 0.5
preview settled-b
[ "$(pixel_difference "$WORK/settled-a-preview.png" "$WORK/settled-b-preview.png" null:)" = 0 ] || fail "the picture still widens"
log "PASS"
