#!/usr/bin/env bash
# The designer's input in a real window, driven with xdotool as a user would; after each step the
# preview (Image1, 350 x 20 at (53, 398) in the window) must equal what the command-line renderer
# makes of the same design:
#  - six quick clicks on "+" and on an arrow are six steps (no press is lost to a double click);
#  - a slider pressed, moved 60 px at once and released before it rests: the banner follows;
#  - a hint: resting on an arrow shows its hint below the pointer in a window that takes no focus;
#    leaving hides it;
#  - a 4000 x 3000 picture as the overlay, the size arrow held for 0.7 s: after the release the
#    widening stops, and a click right after it is answered (the times are printed, beside those
#    of the same click without the picture).
# With VESKEL_TEST_SCALE=k the program runs at Qt's scale factor k on a screen k times as large.
#   designer_input_test.sh VESKEL VESKEL_RENDER DESKTOP_HELPER OUTDIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=xvfb_lib.sh
. "$here/xvfb_lib.sh"

[ $# -ge 4 ] || { echo "usage: $0 VESKEL VESKEL_RENDER DESKTOP_HELPER OUTDIR" >&2; exit 2; }
VESKEL=$(readlink -f "$1")
RENDER=$(readlink -f "$2")
HELPER=$(readlink -f "$3")
WORK=$(readlink -m "$4")
rm -rf "$WORK"
mkdir -p "$WORK/config"
need_tools
export XDG_CONFIG_HOME=$WORK/config
started=$(date +%s%3N)
log() { local t=$(($(date +%s%3N) - started)); printf '%3d.%03d %s\n' $((t / 1000)) $((t % 1000)) "$*" >&2; }

scale=${VESKEL_TEST_SCALE:-1}
if [ "$scale" != 1 ]; then
    export QT_SCALE_FACTOR=$scale
    export XVFB_SCREEN="$((1024 * scale))x$((768 * scale))x24"
fi

# ---------------------------------------------------------------- helpers

design=()
render() {
    local out=$1
    shift
    "$RENDER" "$@" -o "$out" 2>"$WORK/render.err" || fail "veskel-render $* failed: $(head -c 500 "$WORK/render.err")"
}
render "$WORK/default.vzk.png" --save-project "$WORK/default"
x0=$(od -An -t d4 -j 513 -N 4 "$WORK/default.vzk" | tr -d ' ')
[ -n "$x0" ] || fail "no TextX in the default project"

# The preview cut from a screenshot, back at one pixel per form pixel.
preview_now() {
    shoot "$WORK/$1-window.png" &&
        convert "$WORK/$1-window.png" -crop "$((350 * scale))x$((20 * scale))+$((53 * scale))+$((398 * scale))" +repage \
            -sample "$((100 / scale))%" "png24:$WORK/$1-preview.png"
}
same_pixels() { [ "$(pixel_difference "$1" "$2" "${3:-null:}")" = "0" ]; }
expect_preview() {
    local name=$1 d="" deadline
    shift
    design+=("$@")
    render "$WORK/$name-expected.png" "${design[@]}"
    deadline=$(($(date +%s) + 10))
    while :; do
        app_alive || fail "the program ended before '$name'; stderr: $(head -c 2000 "$WORK/app.err")"
        if preview_now "$name"; then
            d=$(pixel_difference "$WORK/$name-expected.png" "$WORK/$name-preview.png" "$WORK/$name-diff.png")
            [ "$d" = "0" ] && { rm -f "$WORK/$name-diff.png"; log "ok: $name"; return 0; }
        fi
        [ "$(date +%s)" -lt "$deadline" ] || break
        sleep 0.2
    done
    fail "'$name': after 10 s the preview still differs from the renderer's ($d pixels); see $WORK/$name-preview.png"
}
# Window points are given in the form's own pixels.
move_to() { pointer_to $(($1 * scale)) $(($2 * scale)); }
click() {
    move_to "$1" "$2"
    xdo click 1
}
# The tabs of the paged container, then off every control; later clicks wait out the
# double-click time so that no click here is taken for the second of a double click.
show_page() {
    local centres=(0 38 103 177 266)
    sleep 0.6
    click $((28 + centres[$1])) 62
    move_to 5 470
    sleep 0.6
}
other_windows() { timeout 5 xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | grep -vx "$MAIN"; }
wait_other_window() {
    local i
    OTHER=""
    for i in $(seq 50); do
        OTHER=$(other_windows | head -n 1)
        [ -n "$OTHER" ] && return 0
        sleep 0.1
    done
    fail "no $1 appeared within 5 s"
}
wait_others_gone() {
    local i
    for i in $(seq 50); do
        [ -z "$(other_windows)" ] && return 0
        sleep 0.1
    done
    fail "$1 is still open after 5 s"
}
wait_dialog() {
    local i focus=""
    for i in $(seq 50); do
        focus=$(timeout 5 xdotool getwindowfocus 2>/dev/null)
        [ -n "$focus" ] && [ "$focus" != "$MAIN" ] && other_windows | grep -qx "$focus" && return 0
        sleep 0.2
    done
    fail "no $1 with the keyboard focus appeared within 10 s"
}
# Starts watching the page body (the "Добавить изображение" check box on page 3) for a change.
watch_page_body() {
    "$HELPER" watch $((WIN_X + 44 * scale)) $((WIN_Y + 144 * scale)) $((150 * scale)) $((20 * scale)) \
        >"$WORK/watch.out" 2>>"$WORK/helper.err" &
    WATCH_PID=$!
    for _ in $(seq 250); do grep -q ready "$WORK/watch.out" 2>/dev/null && return 0; sleep 0.02; done
    fail "the screen watcher did not start"
}
# Clicks the "Text & Colors" tab; sets T_CLICK (when) and ANSWERED (milliseconds from the click
# to the first look at the page body that shows the other page).
click_tab_and_time_the_answer() {
    local changed
    move_to 66 62
    T_CLICK=$(date +%s%3N)
    xdo click 1
    wait "$WATCH_PID"
    changed=$(sed -n 's/^changed //p' "$WORK/watch.out")
    [ -n "$changed" ] || fail "a click on the tab was not answered within 10 s"
    ANSWERED=$((changed - T_CLICK))
}

# ---------------------------------------------------------------- start

start_xvfb
xdo mousemove --sync $((1020 * scale)) $((760 * scale))
cd "$WORK" || fail "no $WORK"
start_app "$VESKEL"
MAIN=$WINDOW
[ "$WIN_W" = $((462 * scale)) ] && [ "$WIN_H" = $((480 * scale)) ] || fail "the window is ${WIN_W}x$WIN_H"
expect_preview start

# ---------------------------------------------------------------- six quick clicks
# "+" beside X at (376, 165); the right arrow at (127, 200). xdotool's clicks 120 ms apart fall
# well inside the double-click time.
move_to 376 165
xdo click --repeat 6 --delay 120 1
expect_preview six-plus --set TextX=$((x0 + 6))
sleep 0.6
move_to 127 200
xdo click --repeat 6 --delay 120 1
expect_preview six-arrow --set TextX=$((x0 + 12))

# ---------------------------------------------------------------- hint
# Rest on the up arrow (98, 170): its hint shows below the pointer and takes no focus.
move_to 98 172
move_to 98 170
wait_other_window "hint window"
HINT=$OTHER
eval "$(timeout 10 xdotool getwindowgeometry --shell "$HINT")"
WINDOW=$MAIN
[ "$Y" -gt $((WIN_Y + 170 * scale)) ] || fail "the hint at y $Y is not below the pointer"
[ "$(timeout 5 xdotool getwindowfocus)" = "$MAIN" ] || fail "the hint took the focus"
timeout 10 import -window root -crop "$((WIDTH + 60 * scale))x$((HEIGHT + 50 * scale))+$((X - 30 * scale))+$((Y - 40 * scale))" \
    +repage "png24:$WORK/hint-screen.png" 2>>"$WORK/import.log"
if [ "$scale" != 1 ]; then
    # Every form pixel a whole block: sampled down and enlarged again, the hint is unchanged.
    timeout 10 import -window "$HINT" "png24:$WORK/hint.png" 2>>"$WORK/import.log"
    convert "$WORK/hint.png" -sample "$((100 / scale))%" -scale "$((100 * scale))%" "png24:$WORK/hint-blocks.png"
    same_pixels "$WORK/hint.png" "$WORK/hint-blocks.png" || fail "the hint is not drawn in whole $scale x $scale blocks"
fi
log "ok: hint window ${WIDTH}x$HEIGHT at $X,$Y below the pointer (image in $WORK/hint-screen.png)"
move_to 5 470
wait_others_gone "the hint window"
log "ok: the hint hides when the pointer leaves"
# The title bar's close button (bar at (12, 13), 445 wide; button 18 wide, 3 from the end).
move_to 444 24
move_to 445 25
wait_other_window "close button's hint"
eval "$(timeout 10 xdotool getwindowgeometry --shell "$OTHER")"
WINDOW=$MAIN
timeout 10 import -window root -crop "$((WIDTH + 60 * scale))x$((HEIGHT + 50 * scale))+$((X - 30 * scale))+$((Y - 40 * scale))" \
    +repage "png24:$WORK/close-hint-screen.png" 2>>"$WORK/import.log"
move_to 5 470
wait_others_gone "the close button's hint"
log "ok: the close button's hint (image in $WORK/close-hint-screen.png)"

# ---------------------------------------------------------------- quick slider drag
show_page 2
design+=(--rounding downward)
# GlassSlider1 (5, 32 on the page at (28, 84)): pressed at x 164, moved 60 px at once and
# released before it rests 50 ms: value round((104 - 9) x 99 / 162) = 58.
move_to $((33 + 164)) 116
xdo mousedown 1
xdo mousemove --sync $(((33 + 104) * scale + WIN_X)) $((116 * scale + WIN_Y))
xdo mouseup 1
move_to 5 470
expect_preview quick-drag --set PatternStrength=58

# ---------------------------------------------------------------- held arrow, big picture
# The time a tab click takes to show without the picture, for comparison.
show_page 3
watch_page_body
click_tab_and_time_the_answer
plain=$ANSWERED
show_page 3
big=$WORK/big.jpg
convert -size 400x300 gradient:'#ff2000-#2040ff' -resize 4000x3000\! -quality 90 "$big" ||
    fail "could not make the 4000 x 3000 picture"
click 89 116   # "Choose..."
wait_dialog "open-picture dialog"
xdo key ctrl+a
xdo type --delay 10 "$big"
xdo key Return
wait_others_gone "the open-picture dialog"
expect_preview big-loaded --overlay "$big"
# The size "→" arrow at (351, 248) held for 0.7 s; every step resizes the 12 MP picture. Right
# after the release, a click on the tab.
move_to 351 248
xdo mousedown 1
sleep 0.7
watch_page_body
t_release=$(date +%s%3N)
xdo mouseup 1
click_tab_and_time_the_answer
log "a tab click made $((T_CLICK - t_release)) ms after releasing the size arrow held with a 12 MP picture was answered in $ANSWERED ms (without the picture: $plain ms)"
# The widening has stopped: two looks a moment apart show the same preview.
preview_now settled-a
sleep 0.5
preview_now settled-b
same_pixels "$WORK/settled-a-preview.png" "$WORK/settled-b-preview.png" || fail "the picture still widens after the release"
log "ok: the widening stopped with the release"

log "PASS"
exit 0
