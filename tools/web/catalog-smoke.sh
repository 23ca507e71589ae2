#!/usr/bin/env bash
# Builds tools/web/catalog-smoke.cpp with Translate.cpp natively (glibc's gettext) and with em++
# (the browser build's C library), looks every catalog text up in both under the catalogs that
# tools/web/pack-data.sh compiles, and compares the outputs.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
OUT=$ROOT/build/web/catalog-smoke
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
mkdir -p "$OUT/data/locale"
for language in en ru; do
  mkdir -p "$OUT/data/locale/$language/LC_MESSAGES"
  msgfmt --check -o "$OUT/data/locale/$language/LC_MESSAGES/veskel.mo" "$ROOT/po/$language.po"
done

srcs=("$ROOT/tools/web/catalog-smoke.cpp" "$ROOT/platform/lang/Translate.cpp" "$ROOT/platform/lang/MoCatalog.cpp")
c++ -std=c++20 -O2 -I"$ROOT" -o "$OUT/catalog-smoke" "${srcs[@]}"
em++ -std=c++20 -O2 -I"$ROOT" -sALLOW_MEMORY_GROWTH=1 -o "$OUT/catalog-smoke.js" "${srcs[@]}" \
  --embed-file "$OUT/data/locale@/veskel/locale"

"$OUT/catalog-smoke" "$OUT/data/locale" >"$OUT/native.txt"
node --no-experimental-fetch "$OUT/catalog-smoke.js" /veskel/locale >"$OUT/wasm.txt"
echo "$(grep -c . "$OUT/native.txt") lines looked up natively, $(grep -c . "$OUT/wasm.txt") in wasm"
if diff -u "$OUT/native.txt" "$OUT/wasm.txt" | head -n 40; [ "${PIPESTATUS[0]}" -eq 0 ]; then
  echo "identical: the web build's catalogs give the desktop's texts"
else
  echo "the web build's texts differ from the desktop's (see above)" >&2
  exit 1
fi
