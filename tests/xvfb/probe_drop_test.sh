#!/usr/bin/env bash
# Drops files onto the probe form through the X drag-and-drop protocol: a second program starts
# the drag as a file manager would, xdotool carries it over the probe's window and lets go.
#   probe_drop_test.sh PROBE DESKTOP_HELPER OUTDIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_lib.sh"

[ $# -ge 3 ] || { log "usage: $0 PROBE DESKTOP_HELPER OUTDIR"; exit 2; }
program=$1 source=$2 WORK=$3
rm -rf "$WORK"
mkdir -p "$WORK"
need_tools

SOURCE_PID=""
stop_source() { [ -n "$SOURCE_PID" ] && kill "$SOURCE_PID" 2>/dev/null; }
trap 'rc=$?; stop_source; (exit $rc); cleanup' EXIT

start_xvfb
xdo mousemove --sync 1020 764
start_app "$program"
expect_output '^shown$'

QT_QPA_PLATFORM=xcb "$source" drag "$WORK/picture one.png" "$WORK/design.vzk" >"$WORK/source.out" 2>"$WORK/source.err" &
SOURCE_PID=$!
for _ in $(seq 50); do grep -q '^ready$' "$WORK/source.out" 2>/dev/null && break; sleep 0.2; done
grep -q '^ready$' "$WORK/source.out" || fail "the drag source did not start: $(head -c 2000 "$WORK/source.err")"
sleep 0.5

# Press on the source, move in steps onto the probe's window (the drag protocol needs motion),
# and release over it.
xdo mousemove --sync 640 430
xdo mousedown 1
for step in $(seq 1 12); do
    xdo mousemove $((640 + (WIN_X + 150 - 640) * step / 12)) $((430 + (WIN_Y + 80 - 430) * step / 12))
    sleep 0.1
done
sleep 0.3
xdo mouseup 1

expect_output "^drop $WORK/picture one.png\$"
expect_output "^drop $WORK/design.vzk\$"
for _ in $(seq 50); do grep -q '^dragged 1$' "$WORK/source.out" 2>/dev/null && break; sleep 0.2; done
grep -q '^dragged 1$' "$WORK/source.out" || fail "the source did not see a copy: $(cat "$WORK/source.out")"
app_alive || fail "the probe ended unexpectedly; stderr: $(head -c 2000 "$WORK/app.err")"
log "PASS"
