#!/usr/bin/env bash
# The designer as a desktop program, in a real window under Xvfb, each state checked against the
# command-line renderer: a project given on the command line opens; a picture dropped from another
# program (an X drag, as from a file manager) becomes the overlay picture; Ctrl+C puts the banner
# on the real clipboard, where another program reads it; Ctrl+Z and Ctrl+Y undo and redo; a
# picture that another program put on the clipboard is pasted with Ctrl+V.
#   designer_desktop_test.sh VESKEL VESKEL_RENDER DESKTOP_HELPER OUTDIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_lib.sh"

[ $# -ge 4 ] || { log "usage: $0 VESKEL VESKEL_RENDER DESKTOP_HELPER OUTDIR"; exit 2; }
veskel=$1 render=$2 helper=$3 WORK=$4
rm -rf "$WORK"
mkdir -p "$WORK"
need_tools

HELPER_PID=""
stop_helper() {
    if [ -n "$HELPER_PID" ]; then
        kill "$HELPER_PID" 2>/dev/null
        wait "$HELPER_PID" 2>/dev/null
        HELPER_PID=""
    fi
}
trap 'rc=$?; stop_helper; (exit $rc); cleanup' EXIT

# Starts the helper in the background and waits for its first line.
start_helper() {
    local expect=$1
    shift
    stop_helper
    QT_QPA_PLATFORM=xcb "$helper" "$@" >"$WORK/helper.out" 2>"$WORK/helper.err" &
    HELPER_PID=$!
    for _ in $(seq 50); do grep -q "^$expect\$" "$WORK/helper.out" 2>/dev/null && return 0; sleep 0.2; done
    fail "the helper ($*) did not print '$expect': $(head -c 2000 "$WORK/helper.err")"
}

# The preview (Image1, 350 x 20 at 53, 398 in the window) equals an image, within 10 s.
expect_preview() {
    local name=$1 expected=$2 shot="$WORK/$1-window.png" crop="$WORK/$1-preview.png" d="" i
    for i in $(seq 50); do
        app_alive || fail "the designer ended before '$name'; stderr: $(head -c 2000 "$WORK/app.err")"
        if shoot "$shot" && convert "$shot" -crop 350x20+53+398 +repage "png24:$crop" 2>/dev/null; then
            d=$(pixel_difference "$expected" "$crop" "$WORK/$name-diff.png")
            if [ "$d" = "0" ]; then
                rm -f "$WORK/$name-diff.png"
                log "ok: the preview equals $expected ($name)"
                return 0
            fi
        fi
        sleep 0.2
    done
    fail "'$name': the preview differs from the renderer's banner ($d pixels): $expected vs $crop"
}

# The designs, rendered by veskel-render.
"$render" --text "Opened from outside" --set Pattern=4 --set Color1=#203040 \
    --save-project "$WORK/start" -o "$WORK/expected-start.png" || fail "veskel-render could not make the project"
convert -size 60x16 gradient:'#ff2000-#2040ff' "png24:$WORK/dropped.png"
convert -size 400x100 'plasma:fractal' -seed 7 "png24:$WORK/pasted.png" 2>/dev/null ||
    convert -size 400x100 gradient:'#10f010-#f0f010' "png24:$WORK/pasted.png"
"$render" --project "$WORK/start.vzk" --overlay "$WORK/dropped.png" -o "$WORK/expected-dropped.png" ||
    fail "veskel-render could not render the dropped picture"
"$render" --project "$WORK/start.vzk" --overlay "$WORK/dropped.png" --overlay "$WORK/pasted.png" \
    -o "$WORK/expected-pasted.png" || fail "veskel-render could not render the pasted picture"

start_xvfb
xdo mousemove --sync 1020 764
start_app "$veskel" "$WORK/start.vzk"
expect_preview opened "$WORK/expected-start.png"

# Drop a picture from the helper's window onto the designer's preview.
start_helper ready drag "$WORK/dropped.png"
sleep 0.5
xdo mousemove --sync 640 430
xdo mousedown 1
for step in $(seq 1 12); do
    xdo mousemove $((640 + (WIN_X + 228 - 640) * step / 12)) $((430 + (WIN_Y + 408 - 430) * step / 12))
    sleep 0.1
done
sleep 0.3
xdo mouseup 1
expect_preview dropped "$WORK/expected-dropped.png"
stop_helper

# Keys go to the window (no edit field has the focus): copy, then read the clipboard elsewhere.
pointer_to 200 412
xdo click 1
xdo key ctrl+c
QT_QPA_PLATFORM=xcb timeout 20 "$helper" clipboard-get "$WORK/copied.png" >"$WORK/get.out" 2>"$WORK/get.err" ||
    fail "no picture on the clipboard after Ctrl+C: $(cat "$WORK/get.out" "$WORK/get.err")"
d=$(pixel_difference "$WORK/expected-dropped.png" "$WORK/copied.png" "$WORK/copied-diff.png")
[ "$d" = "0" ] || fail "the copied banner differs from the renderer's ($d pixels): $WORK/copied.png"
log "ok: Ctrl+C put the banner on the clipboard"

xdo key ctrl+z
expect_preview undone "$WORK/expected-start.png"
xdo key ctrl+y
expect_preview redone "$WORK/expected-dropped.png"

# Another program's picture, pasted; then undone.
start_helper set clipboard-set "$WORK/pasted.png"
xdo key ctrl+v
expect_preview pasted "$WORK/expected-pasted.png"
xdo key ctrl+z
expect_preview paste-undone "$WORK/expected-dropped.png"
stop_helper

app_alive || fail "the designer ended unexpectedly; stderr: $(head -c 2000 "$WORK/app.err")"
log "PASS"
