#!/usr/bin/env bash
# Runs a command with DISPLAY set to a fresh Xvfb (stopped afterwards), within a time limit.
#   run_under_xvfb.sh OUTDIR COMMAND [ARGS...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/xvfb_lib.sh"
[ $# -ge 2 ] || { log "usage: $0 OUTDIR COMMAND [ARGS...]"; exit 2; }
WORK=$1
shift
mkdir -p "$WORK"
need_tools
start_xvfb
xdo mousemove --sync 1020 764
QT_QPA_PLATFORM=xcb timeout 120 "$@"
