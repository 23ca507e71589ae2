#!/usr/bin/env bash
# The glass button demo in a real window: hover, press and click "Hover me" (GlassButton2, middle
# at (164, 26)), rest on "Disabled" (GlassButton4, middle at (59, 66)), each state compared pixel
# for pixel with the headless rendering.
#   demo_window_test.sh VESKEL_DEMO OUTDIR [SCREENSHOT]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 2 ] || { echo "usage: $0 VESKEL_DEMO OUTDIR [SCREENSHOT]" >&2; exit 2; }
VESKEL_TEST_DISABLED="59 66" exec "$here/window_compare_test.sh" "$1" "$2" 164 26 "clicked GlassButton2" "${3:-}"
