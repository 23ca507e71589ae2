#!/usr/bin/env bash
# Builds tools/web/rounding-smoke.cpp, with the components whose float work follows the rounding
# mode, three times: natively as the desktop has it (the processor switches its mode), natively
# with the software steps forced (-DVESKEL_SOFT_ROUNDING=1), and with em++ for WebAssembly (no
# mode to switch). Runs all three (the last under node) and compares their printouts: the tinted
# skins, HLS tables, pulse images, palette conversions and float32 narrowing must be the
# desktop's bytes in both modes. The other components that round in the mode are compiled for
# WebAssembly as well. Needs g++, em++ and node; nothing from scripts/web-deps.sh.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
OUT=$ROOT/build/web/rounding-smoke
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
mkdir -p "$OUT"
cd "$ROOT"

SOURCES=(tools/web/rounding-smoke.cpp Components/GlassTint/GlassTint.cpp
         Components/HLSColorTable/HlsTableImage.cpp Components/PulseButton/PulseImage.cpp
         platform/graphics/*.cpp)
ALSO_ROUNDING=(Components/QorBackground/QorBackground.cpp Components/AALabel/AALabel.cpp
               Components/GlassLook/GlassLook.cpp)
# The desktop's flags for float work; unused code (the image menu's text) is left out of the link.
FLAGS=(-std=c++20 -O2 -Wall -Wextra -ffp-contract=off -I. -Ibuild/release/generated)
LINK=(-ffunction-sections "-Wl,--gc-sections")

g++ "${FLAGS[@]}" "${LINK[@]}" -frounding-math -o "$OUT/desktop" "${SOURCES[@]}"
g++ "${FLAGS[@]}" "${LINK[@]}" -frounding-math -DVESKEL_SOFT_ROUNDING=1 -o "$OUT/software" "${SOURCES[@]}"
em++ "${FLAGS[@]}" "${LINK[@]}" -fexceptions -sALLOW_MEMORY_GROWTH=1 -o "$OUT/rounding-smoke.js" "${SOURCES[@]}"
for f in "${ALSO_ROUNDING[@]}"; do em++ "${FLAGS[@]}" -fexceptions -fsyntax-only "$f"; done

# The digests go to standard output and are compared; the times go to standard error.
run() {
  local name=$1
  shift
  echo "$name:"
  "$@" 2>"$OUT/$name.times" | tee "$OUT/$name.txt"
  sed 's/^/  time: /' "$OUT/$name.times"
}
run desktop "$OUT/desktop"
run software "$OUT/software"
run wasm node --no-experimental-fetch "$OUT/rounding-smoke.js"
status=0
for other in software wasm; do
  if ! diff -u "$OUT/desktop.txt" "$OUT/$other.txt"; then
    echo "$other differs from the desktop (see above)" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "identical: the software steps give the desktop's pixels in both rounding modes"
exit $status
