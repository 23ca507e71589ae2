#!/usr/bin/env bash
# Builds the designer for the browser into one folder, build/web/site (index.html, veskel.js,
# veskel.wasm, veskel.data), and serves it on this machine.
#   scripts/web.sh                 build, then serve on http://localhost:8080/
#   scripts/web.sh --serve [PORT]  the same, on PORT
#   scripts/web.sh --build-only    build only
# Steps: the C libraries for WebAssembly (scripts/web-deps.sh, skipped once built), the resource
# embedder natively (build/release), the data folder (fonts and catalogs), the program with
# Debian's Emscripten in build/web/app, then the site folder.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
WEB=$ROOT/build/web
SITE=$WEB/site
DATA=$WEB/data

serve=1
port=8080
case "${1:-}" in
  "") ;;
  --build-only) serve=0 ;;
  --serve)
    if [ -n "${2:-}" ]; then port=$2; fi
    [[ $port =~ ^[0-9]+$ ]] || { echo "web.sh: --serve takes a port number, not '$port'" >&2; exit 2; }
    ;;
  *) echo "usage: scripts/web.sh [--build-only | --serve [PORT]]" >&2; exit 2 ;;
esac

say() { printf '\033[1m== %s\033[0m\n' "$*"; }
# Emscripten's optimiser runs under node with Debian's node modules, which a node from elsewhere
# does not look for by itself.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

say "C libraries for WebAssembly"
scripts/web-deps.sh

say "resource embedder (native)"
scripts/build.sh release veskel_embed >/dev/null

say "data folder ($DATA)"
# Made afresh beside the old one; only files that changed are copied over, so that an unchanged
# data folder does not relink the program.
rm -rf "$DATA.new"
if [ -x tools/web/pack-data.sh ]; then
  tools/web/pack-data.sh "$DATA.new"
else
  for language in en ru; do
    mkdir -p "$DATA.new/locale/$language/LC_MESSAGES"
    msgfmt --check -o "$DATA.new/locale/$language/LC_MESSAGES/veskel.mo" "po/$language.po"
  done
fi
mkdir -p "$DATA"
(cd "$DATA.new" && find . -type f) | while read -r f; do
  if ! cmp -s "$DATA.new/$f" "$DATA/$f"; then
    mkdir -p "$(dirname "$DATA/$f")"
    cp "$DATA.new/$f" "$DATA/$f"
  fi
done
(cd "$DATA" && find . -type f) | while read -r f; do
  [ -f "$DATA.new/$f" ] || rm "$DATA/$f"
done
rm -rf "$DATA.new"

say "program (build/web/app)"
launcher=()
# emcc is a wrapper script that ccache caches like any compiler.
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
emcmake cmake -S . -B "$WEB/app" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
  "-DCMAKE_CROSSCOMPILING_EMULATOR=$(command -v node);--no-experimental-fetch" \
  -DVESKEL_WEB_PREFIX="$WEB/prefix" -DVESKEL_WEB_DATA="$DATA" -DVESKEL_WEB_LINK_OPTIONS= \
  -DVESKEL_HOST_EMBED="$ROOT/build/release/tools/veskel_embed" >/dev/null
cmake --build "$WEB/app" --target veskel

say "site folder ($SITE)"
rm -rf "$SITE"
mkdir -p "$SITE"
if [ -d platform/backends/web/site ]; then
  cp -R platform/backends/web/site/. "$SITE/"
fi
for f in veskel.js veskel.wasm veskel.data; do
  cp "$WEB/app/app/$f" "$SITE/"
done
[ -f "$SITE/index.html" ] || echo "web.sh: no index.html yet (platform/backends/web/site/)" >&2
du -b "$SITE"/* | sed "s|$SITE/||"

if [ "$serve" = 1 ]; then
  say "serving $SITE on http://localhost:$port/ (Ctrl+C ends)"
  # http.server with the WebAssembly type, which lets the browser compile while it downloads.
  exec python3 - "$port" "$SITE" <<'EOF'
import functools, http.server, sys
http.server.SimpleHTTPRequestHandler.extensions_map.update({".wasm": "application/wasm", ".data": "application/octet-stream"})
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[2])
http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])), handler).serve_forever()
EOF
fi
