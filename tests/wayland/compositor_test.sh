#!/usr/bin/env bash
# The designer under a real Wayland compositor: sway on its headless backend (a 1280 x 1024 output,
# a magenta desktop), the program natively (PLATFORM wayland) or through XWayland (xcb), the
# pointer moved by a virtual pointer, the screen read with grim. One scenario:
#   - the main window appears;
#   - resting on ClrBox1 opens its palette pop-up beside the box, at the place the placement
#     formula gives relative to the box (checked to the pixel at the pop-up panel's edges);
#   - the pop-up's shadow frame blends the magenta desktop behind it (darkens it, no slab);
#   - natively it is a pop-up also before any click; a jump from its box onto the desktop closes it;
#   - moving the pointer away closes the pop-up;
#   - the picture dialog opens over the main window.
#   compositor_test.sh PLATFORM VESKEL VIRTUAL_POINTER OUTDIR
# Exits 77 (skipped) when the compositor cannot start here. sway refuses to run as root, so a
# root run starts it, and the program, as an unprivileged user made for the purpose.
set -uo pipefail
[ $# -eq 4 ] || { echo "usage: $0 wayland|xcb VESKEL VIRTUAL_POINTER OUTDIR" >&2; exit 2; }
platform=$1 program=$2 pointer_tool=$3 WORK=$4
RT="" SWAY_PID="" APP_PID=""

log() { printf '%s\n' "$*" >&2; }
skip() { log "SKIPPED: $*"; exit 77; }
fail() {
    log "FAIL: $*"
    [ -n "$RT" ] && grim "$WORK/failure.png" 2>/dev/null && log "(screen in $WORK/failure.png)"
    log "(logs and screenshots in $WORK)"
    exit 1
}
cleanup() {
    local rc=$? p
    for p in ${POINTER_PID:-} $APP_PID $SWAY_PID; do
        kill "$p" 2>/dev/null
        for _ in $(seq 20); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$p" 2>/dev/null
    done
    [ -n "$RT" ] && { cp "$RT"/*.log "$WORK/" 2>/dev/null; rm -rf "$RT"; }
    exit $rc
}
trap cleanup EXIT
trap 'exit 130' INT TERM

rm -rf "$WORK" && mkdir -p "$WORK"
for t in sway swaymsg grim convert /usr/bin/python3; do command -v "$t" >/dev/null || skip "$t is not installed"; done
[ "$platform" = wayland ] || command -v Xwayland >/dev/null || skip "Xwayland is not installed"

# ---------------------------------------------------------------- the compositor
as_user=()
if [ "$(id -u)" = 0 ]; then
    user=veskel-compositor-test
    id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user" 2>/dev/null ||
        skip "could not create the user $user that runs sway"
    as_user=(runuser -u "$user" --)
fi
RT=$(mktemp -d /tmp/veskel-compositor.XXXXXX) || fail "no temporary folder"
chmod 755 "$RT" && mkdir -m 700 "$RT/run" "$RT/home"
[ ${#as_user[@]} -gt 0 ] && chown "$user" "$RT/run" "$RT/home" "$RT"
cat >"$RT/sway.conf" <<CONF
output HEADLESS-1 mode 1280x1024 position 0 0 bg #ff00ff solid_color
default_border none
default_floating_border none
focus_follows_mouse no
xwayland $([ "$platform" = wayland ] && echo disable || echo force)
$([ "$platform" = wayland ] || echo "exec sh -c 'echo \$DISPLAY > $RT/display'")
CONF
"${as_user[@]}" env -i PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$RT/run" WLR_BACKENDS=headless \
    WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$RT/sway.conf" >"$RT/sway.log" 2>&1 &
SWAY_PID=$!
export WAYLAND_DISPLAY="$RT/run/wayland-1" XDG_RUNTIME_DIR="$RT"
for _ in $(seq 100); do
    SWAYSOCK=$(ls "$RT"/run/sway-ipc.*.sock 2>/dev/null | head -n 1)
    [ -S "$WAYLAND_DISPLAY" ] && [ -n "$SWAYSOCK" ] && SWAYSOCK=$SWAYSOCK swaymsg -t get_version >/dev/null 2>&1 && break
    kill -0 "$SWAY_PID" 2>/dev/null || skip "sway did not start here: $(tail -n 3 "$RT/sway.log")"
    sleep 0.1
done
export SWAYSOCK
swaymsg -t get_version >/dev/null 2>&1 || skip "sway did not answer within 10 s: $(tail -n 3 "$RT/sway.log")"
app_env=(WAYLAND_DISPLAY="$WAYLAND_DISPLAY" QT_QPA_PLATFORM="$platform")
if [ "$platform" != wayland ]; then
    for _ in $(seq 100); do [ -s "$RT/display" ] && break; sleep 0.1; done
    [ -s "$RT/display" ] || skip "XWayland did not start within 10 s: $(tail -n 3 "$RT/sway.log")"
    app_env=(DISPLAY="$(cat "$RT/display")" QT_QPA_PLATFORM=xcb)
fi
log "sway on $WAYLAND_DISPLAY, the program on $platform"

# The pointer: commands in, one "ok" out for each once the compositor has taken it.
coproc POINTER { "$pointer_tool" 1280 1024 2>"$RT/pointer.log"; }
read -r -t 10 -u "${POINTER[0]}" ready && [ "$ready" = ready ] || fail "no virtual pointer: $(cat "$RT/pointer.log")"
point() {
    local reply
    echo "$*" >&"${POINTER[1]}" && read -r -t 10 -u "${POINTER[0]}" reply && [ "$reply" = ok ] ||
        fail "the virtual pointer did not take '$*'"
}
shot() { timeout 10 grim "$1" || fail "grim failed"; }
# One screen pixel of a screenshot as "r g b".
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r+.5)] %[fx:int(255*p{$2,$3}.g+.5)] %[fx:int(255*p{$2,$3}.b+.5)]" info:; }

# ---------------------------------------------------------------- the main window
"${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$RT/home" XDG_RUNTIME_DIR="$RT/run" "${app_env[@]}" \
    "$program" >"$RT/app.log" 2>&1 &
APP_PID=$!
# The program's windows as the compositor has them, one a line: x y width height name.
windows() {
    swaymsg -t get_tree | /usr/bin/python3 -c '
import json, sys
def walk(n):
    if n.get("pid"):
        r = n["rect"]
        print(r["x"], r["y"], r["width"], r["height"], n.get("name") or "")
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        walk(c)
walk(json.load(sys.stdin))'
}
main_rect() { windows | grep -E ' .* — Veskel$' | head -n 1; }
MX=""
for _ in $(seq 150); do
    read -r MX MY MW MH _ < <(main_rect) && [ -n "$MX" ] && break
    kill -0 "$APP_PID" 2>/dev/null || fail "the program ended: $(head -c 2000 "$RT/app.log")"
    sleep 0.1
done
[ -n "$MX" ] || fail "no main window appeared within 15 s"
[ "$MW $MH" = "462 480" ] || fail "the main window is ${MW}x$MH"
log "ok: the main window appears at $MX,$MY"
sleep 0.5
shot "$WORK/main.png"
at() { echo $((MX + $1)) $((MY + $2)); }
read -r r g b < <(pixel "$WORK/main.png" $((MX + 231)) $((MY + 470)))
[ "$r $g $b" != "255 0 255" ] || fail "the main window shows the desktop"

# Through XWayland a click on the window's empty lower edge gives it the focus for the keys below;
# natively nothing is clicked: the first pop-up opens before Qt has any input serial.
[ "$platform" = wayland ] || { point move $(at 231 474); point press; point release; }

# ---------------------------------------------------------------- the palette pop-up
# ClrBox1 at (172, 292), 19 x 18: the pop-up's window opens at (172 - 24, 292 + 18 - 24) of the
# main window, its 344 x 332 panel 18 pixels further in.
PX=$((MX + 148 + 18)) PY=$((MY + 286 + 18))
grey_panel() { [ "$1" = "$2" ] && [ "$2" = "$3" ] && [ "$1" -ge 230 ]; }
# Rests the pointer on the swatch until the pop-up shows its panel.
open_palette() {
    point move $(at 178 296)
    point move $(at 181 300)
    local opened=""
    for _ in $(seq 50); do
        shot "$WORK/palette.png"
        # The panel's light edges just inside its corners, and the table's black bottom row.
        if grey_panel $(pixel "$WORK/palette.png" "$PX" $((PY + 150))) &&
            grey_panel $(pixel "$WORK/palette.png" $((PX + 343)) $((PY + 150))) &&
            grey_panel $(pixel "$WORK/palette.png" $((PX + 150)) "$PY") &&
            grey_panel $(pixel "$WORK/palette.png" $((PX + 150)) $((PY + 331))); then
            opened=yes
            break
        fi
        sleep 0.2
    done
    [ -n "$opened" ] || fail "no palette pop-up with its panel at $PX,$PY (see $WORK/palette.png)"
}
# Waits until the pop-up's place shows the desktop again.
palette_closed() {
    for _ in $(seq 25); do
        shot "$WORK/closed.png"
        [ "$(pixel "$WORK/closed.png" $((PX + 320)) $((PY + 300)))" = "255 0 255" ] && return 0
        sleep 0.2
    done
    return 1
}
open_palette
# Exactly there: the pixels just outside the panel belong to the shadow frame, not the panel.
for p in "$((PX - 1)) $((PY + 150))" "$((PX + 344)) $((PY + 150))" "$((PX + 150)) $((PY - 1))" "$((PX + 150)) $((PY + 332))"; do
    grey_panel $(pixel "$WORK/palette.png" $p) && fail "the panel reaches past its place at $p"
done
log "ok: the pop-up opens beside ClrBox1, its panel at $PX,$PY"

# The frame right of the panel lies over the desktop: magenta, darkened, never opaque.
read -r r g b < <(pixel "$WORK/palette.png" $((PX + 344 + 2)) $((PY + 200)))
[ "$g" -le 8 ] && [ $((r - b)) -le 3 ] && [ $((b - r)) -le 3 ] && [ "$r" -ge 60 ] && [ "$r" -le 245 ] ||
    fail "the shadow over the desktop is rgb($r,$g,$b), not a darkened magenta"
read -r r2 g2 b2 < <(pixel "$WORK/palette.png" $((PX + 344 + 16)) $((PY + 200)))
[ "$r2" -gt "$r" ] || fail "the shadow does not fade outwards: rgb($r,$g,$b) then rgb($r2,$g2,$b2)"
log "ok: the shadow blends the desktop: rgb($r,$g,$b) beside the panel, rgb($r2,$g2,$b2) further out"

# ---------------------------------------------------------------- its keys
# Through XWayland the pop-up never takes the focus, so the keys reach the main window's X
# window; they are the pop-up's all the same: Escape closes it. (The headless output has no
# keyboard for a native Wayland window.)
if [ "$platform" = xcb ] && command -v xdotool >/dev/null; then
    "${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$RT/home" DISPLAY="$(cat "$RT/display")" xdotool key Escape ||
        fail "xdotool could not type on the X server"
    palette_closed || fail "Escape did not close the pop-up"
    log "ok: Escape closed the pop-up"
    # The first motion after a pop-up has gone arrives 120 pixels off (see below): a click on the
    # empty lower edge takes it, then the pointer opens the pop-up again.
    point move $(at 231 474)
    point press
    point release
    open_palette
fi

# Straight from the box onto the desktop; then it opens again (a click takes the motion that is off).
point move 1200 60
palette_closed || fail "the pop-up stayed open after the pointer jumped from its box onto the desktop"
point move $(at 231 474); point press; point release; open_palette

# ---------------------------------------------------------------- leaving closes it
# Out along a path, as a hand moves: over the main window, then off it onto the desktop. (Through
# XWayland, sway 1.7 reports no leave when the pointer jumps from the pop-up, a window it does not
# manage, straight onto the desktop; its X server keeps the last position then.)
point move $((PX + 100)) $((PY + 200))
point move $(at 100 200)
point move $((MX - 20)) $((MY + 200))
point move 1200 60
palette_closed || fail "the pop-up stayed open after the pointer left it"
log "ok: the pop-up closed when the pointer left"

# ---------------------------------------------------------------- a dialog over the main window
# "Overlay Image" (tab centre 205, 62), then "Choose..." (89, 116).
click() {
    point move $(at "$1" "$2")
    sleep 0.2
    point press
    point release
    sleep 0.3
}
# The first motion after the pop-up has gone arrives 120 pixels off through XWayland (sway 1.7);
# a click on the empty lower edge takes it.
click 231 474
click 205 62
click 89 116
dialog=""
for _ in $(seq 50); do
    dialog=$(windows | grep -Ev ' .* — Veskel$' | head -n 1)
    [ -n "$dialog" ] && break
    sleep 0.2
done
[ -n "$dialog" ] || fail "no dialog appeared"
read -r DX DY DW DH _ <<<"$dialog"
shot "$WORK/dialog.png"
cx=$((DX + DW / 2 - (MX + MW / 2))) cy=$((DY + DH / 2 - (MY + MH / 2)))
[ "${cx#-}" -le 2 ] && [ "${cy#-}" -le 2 ] || fail "the dialog (${DW}x$DH at $DX,$DY) is not centred over the main window"
log "ok: the dialog opens centred over the main window"
kill -0 "$APP_PID" 2>/dev/null || fail "the program ended: $(head -c 2000 "$RT/app.log")"
log PASS
