#!/usr/bin/env bash
# Builds tools/web/codec-smoke.c natively (the desktop's Debian libraries) and with emcc (the
# libraries of scripts/web-deps.sh), runs both (the wasm one under node) and compares their
# outputs: the same bytes from every encoder, the same decoded pixels, the same glyph bitmaps.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
PREFIX=$ROOT/build/web/prefix
OUT=$ROOT/build/web/smoke
FONT=${1:-/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf}
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
mkdir -p "$OUT"

[ -f "$PREFIX/lib/libfreetype.a" ] || { echo "run scripts/web-deps.sh first" >&2; exit 1; }

# shellcheck disable=SC2046
cc -O2 -o "$OUT/codec-smoke" "$ROOT/tools/web/codec-smoke.c" \
  $(pkg-config --cflags --libs libpng zlib libjpeg freetype2 libdeflate) -lgif
# NODERAWFS: the program reads the font straight from the host's file system under node.
emcc -O2 -sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1 -o "$OUT/codec-smoke.js" \
  "$ROOT/tools/web/codec-smoke.c" -I"$PREFIX/include" -I"$PREFIX/include/freetype2" \
  -L"$PREFIX/lib" -lpng16 -lz -ljpeg -lgif -lfreetype -ldeflate

echo "native:"
"$OUT/codec-smoke" "$FONT" | tee "$OUT/native.txt"
echo "wasm (node):"
node --no-experimental-fetch "$OUT/codec-smoke.js" "$FONT" | tee "$OUT/wasm.txt"
if diff -u "$OUT/native.txt" "$OUT/wasm.txt"; then
  echo "identical: the wasm libraries produce the desktop's bytes"
else
  echo "the wasm libraries differ from the desktop's (see above)" >&2
  exit 1
fi
