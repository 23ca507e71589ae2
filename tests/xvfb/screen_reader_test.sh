#!/usr/bin/env bash
# The designer as a screen reader sees it (checks in screen_reader_tree.py): AT-SPI on session and
# accessibility buses of the test's own, the program in a real window under Xvfb. Given
# VESKEL_RENDER, a banner is designed through AT-SPI alone instead (screen_reader_design.py) and
# its export must equal what veskel-render writes for the same design.
#   screen_reader_test.sh VESKEL OUTDIR [VESKEL_RENDER]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=xvfb_lib.sh
. "$here/xvfb_lib.sh"

[ $# -ge 2 ] || { echo "usage: $0 VESKEL OUTDIR" >&2; exit 2; }
VESKEL=$1
WORK=$2
RENDER=${3:-}
skip() { log "SKIPPED: $*"; exit 77; }

# Everything below runs inside a private session bus.
if [ -z "${VESKEL_SCREEN_READER_BUS:-}" ]; then
    command -v dbus-run-session >/dev/null 2>&1 || skip "dbus-run-session is not installed (dbus)"
    [ -x /usr/libexec/at-spi-bus-launcher ] || skip "at-spi2-core is not installed"
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is not installed"
    rm -rf "$WORK"
    mkdir -p "$WORK/run"
    chmod 700 "$WORK/run"
    # The accessibility bus lives in XDG_RUNTIME_DIR: a folder of this test's own.
    VESKEL_SCREEN_READER_BUS=1 XDG_RUNTIME_DIR="$WORK/run" exec timeout 170 dbus-run-session -- "$0" "$@"
fi

need_tools
start_xvfb
xdo mousemove --sync 1020 764
# The bus's registry sends the keys a client asks for to this display.
dbus-update-activation-environment DISPLAY XDG_RUNTIME_DIR >/dev/null 2>&1 || true
# Start the accessibility bus before the program, which then finds it at once.
timeout 10 dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    >"$WORK/a11y-bus.log" 2>&1 || fail "the accessibility bus did not start: $(cat "$WORK/a11y-bus.log")"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_app "$VESKEL"
pointer_to 5 470  # on the window, away from every control

if [ -n "$RENDER" ]; then
    timeout 150 /usr/bin/python3 "$here/screen_reader_design.py" "$APP_PID" "$WORK/heard.png" >"$WORK/steps.txt" 2>"$WORK/checks.log"
    rc=$?
    cat "$WORK/steps.txt" "$WORK/checks.log" >&2
    [ $rc -eq 0 ] || fail "the design through AT-SPI failed its checks (rc $rc)"
    # The same design on the command line: the banner rounds to nearest whatever the window showed.
    "$RENDER" --text "Heards" --set TextX=21 --set Color1=#7E7E7E --set PatternStrength=99 \
        --set Pattern=2 --set MirrorPattern=1 --set Border=0 -o "$WORK/expected.png" 2>"$WORK/render.err" ||
        fail "veskel-render failed: $(head -c 500 "$WORK/render.err")"
    cmp "$WORK/expected.png" "$WORK/heard.png" || fail "the export differs from veskel-render's file"
    log "ok: a banner designed through AT-SPI alone, every step heard (steps in $WORK/steps.txt)"
    exit 0
fi

timeout 120 /usr/bin/python3 "$here/screen_reader_tree.py" "$APP_PID" "$WIN_X" "$WIN_Y" >"$WORK/tree.txt" 2>"$WORK/checks.log"
rc=$?
cat "$WORK/checks.log" >&2
[ $rc -eq 0 ] || fail "the screen reader's view failed its checks (rc $rc); the tree is in $WORK/tree.txt"
app_alive || fail "the designer ended during the test; stderr: $(head -c 2000 "$WORK/app.err")"
log "ok: the screen reader's view (tree in $WORK/tree.txt)"
