#!/usr/bin/env bash
# Builds tools/web/font-smoke.cpp with the font engine twice: natively (fontconfig and the
# desktop's FreeType) and with em++ (the fonts tools/web/pack-data.sh packs, read through
# PackedFonts.cpp, and the FreeType of scripts/web-deps.sh), runs both (the wasm one under node)
# and compares every glyph. Prints the size of the wasm program.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
PREFIX=${PREFIX:-$ROOT/build/web/prefix}
OUT=$ROOT/build/web/font-smoke
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
mkdir -p "$OUT"
[ -f "$PREFIX/lib/libfreetype.a" ] || { echo "run scripts/web-deps.sh first" >&2; exit 1; }

"$ROOT/tools/web/pack-data.sh" "$OUT/data" >/dev/null
engine=("$ROOT/tools/web/font-smoke.cpp" "$ROOT/platform/text/FontEngine.cpp")
# shellcheck disable=SC2046  # pkg-config prints lists of words
c++ -std=c++20 -O2 -I"$ROOT" -o "$OUT/font-smoke" "${engine[@]}" "$ROOT/platform/text/SystemFonts.cpp" \
  $(pkg-config --cflags --libs freetype2 fontconfig)
em++ -std=c++20 -O2 -fexceptions -I"$ROOT" -I"$PREFIX/include/freetype2" -sALLOW_MEMORY_GROWTH=1 \
  -o "$OUT/font-smoke.js" "${engine[@]}" "$ROOT/platform/text/PackedFonts.cpp" -L"$PREFIX/lib" -lfreetype -lz \
  --preload-file "$OUT/data/fonts@/veskel/fonts" --preload-file "$ROOT/tools/web/font-requests.list@/requests" \
  --preload-file "$ROOT/po@/po" --preload-file "$ROOT/resources/fonts@/banner"

banner=$(basename "$ROOT/resources/fonts/"*.ttf)
"$OUT/font-smoke" "$ROOT/tools/web/font-requests.list" "$ROOT/resources/fonts/$banner" "$ROOT"/po/*.po \
  >"$OUT/native.txt"
texts=()
for po in "$ROOT"/po/*.po; do texts+=("/po/$(basename "$po")"); done
# The loader reads font-smoke.data from the current folder.
(cd "$OUT" && node --no-experimental-fetch font-smoke.js /requests "/banner/$banner" "${texts[@]}") >"$OUT/wasm.txt"
echo "wasm program: $(stat -c %s "$OUT/font-smoke.wasm") bytes, $(gzip -9c "$OUT/font-smoke.wasm" | wc -c) gzipped"
if diff -u "$OUT/native.txt" "$OUT/wasm.txt" | head -n 40; [ "${PIPESTATUS[0]}" -eq 0 ]; then
  echo "identical: $(grep -c '^  U+' "$OUT/native.txt") glyphs drawn the same natively and in wasm"
else
  echo "the browser build draws glyphs differently from the desktop (see above)" >&2
  exit 1
fi
