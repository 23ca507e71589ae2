#!/usr/bin/env bash
# Builds the C libraries of the browser build as static WebAssembly libraries with Debian's
# Emscripten, from Debian's own source packages (so the browser gets the same code and the same
# Debian patches as the desktop), into one prefix: build/web/prefix/{include,lib}.
#
# Re-runnable: a library whose archive is already in the prefix is skipped; a source package
# already unpacked is not fetched again. Remove build/web/prefix/lib/<lib>.a to rebuild one.
#
#   scripts/web-deps.sh            # everything
#   scripts/web-deps.sh zlib png   # only the named ones (in the order of LIBS below)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
WEB=$ROOT/build/web
SRC=$WEB/src
OBJ=$WEB/obj
PREFIX=$WEB/prefix
LOG=$WEB/log
JOBS=${JOBS:-2}

# name : Debian source package : archive it installs (the skip test)
LIBS=(
  "zlib:zlib:libz.a"
  "deflate:libdeflate:libdeflate.a"
  "png:libpng1.6:libpng16.a"
  "jpeg:libjpeg-turbo:libjpeg.a"
  "gif:giflib:libgif.a"
  "freetype:freetype:libfreetype.a"
)

say() { printf '\033[1m== %s\033[0m\n' "$*"; }

# Flags every library is compiled with: size-optimised, no exceptions (C only anyway).
export CFLAGS="-O2"

install_toolchain() {
  if command -v emcc >/dev/null && command -v node >/dev/null && command -v dpkg-source >/dev/null
  then
    return
  fi
  say "installing Debian's emscripten (and dpkg-dev for apt-get source)"
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q emscripten dpkg-dev
}

# True when any configured source of the machine already has deb-src entries.
has_deb_src() {
  grep -qsE '^[[:space:]]*deb-src[[:space:]]' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
    && return 0
  grep -qsE '^[[:space:]]*Types:.*deb-src' /etc/apt/sources.list.d/*.sources && return 0
  return 1
}

# Adds deb-src entries mirroring the Debian archive's deb entries, as a separate deb822 file
# (the machine's own files are left alone). Only debian.org / snapshot archives are mirrored.
add_deb_src() {
  if has_deb_src; then
    return
  fi
  local out=/etc/apt/sources.list.d/veskel-web-src.sources
  say "adding deb-src entries for the Debian archive ($out)"
  local tmp
  tmp=$(mktemp)
  if ls /etc/apt/sources.list.d/*.sources >/dev/null 2>&1; then
    # deb822: copy each stanza that points at a Debian archive, with Types: deb-src.
    awk '
      function flush() {
        if (stanza != "" && debian) { print stanza; print "" }
        stanza = ""; debian = 0
      }
      /^[[:space:]]*$/ { flush(); next }
      /^[[:space:]]*#/ { next }
      /^Types:/ { stanza = stanza "Types: deb-src\n"; next }
      /^URIs:/ { if ($0 ~ /debian\.org|debian\.net/) debian = 1 }
      { stanza = stanza $0 "\n" }
      END { flush() }
    ' /etc/apt/sources.list.d/*.sources | sed '/^$/N;/^\n$/D' >"$tmp"
  fi
  if [ -f /etc/apt/sources.list ]; then
    # one-line form: every "deb <debian archive> ..." line again as deb-src
    grep -E '^[[:space:]]*deb[[:space:]].*debian\.(org|net)' /etc/apt/sources.list \
      | sed -E 's/^[[:space:]]*deb[[:space:]]/deb-src /' >"$tmp.list" || true
    if [ -s "$tmp.list" ]; then
      cp "$tmp.list" /etc/apt/sources.list.d/veskel-web-src.list
    fi
    rm -f "$tmp.list"
  fi
  if [ -s "$tmp" ]; then
    cp "$tmp" "$out"
  fi
  rm -f "$tmp"
  has_deb_src || { echo "no Debian archive found to add deb-src entries for" >&2; exit 1; }
  apt-get update -q
}

# Unpacks the source package into $SRC/<package>-<version> (once) and prints that folder.
fetch() {
  local pkg=$1
  local dir
  dir=$(find "$SRC" -maxdepth 1 -type d -name "$pkg-[0-9]*" | head -n1)
  if [ -z "$dir" ]; then
    say "fetching the source package $pkg" >&2
    (cd "$SRC" && apt-get source -q "$pkg" >&2)
    dir=$(find "$SRC" -maxdepth 1 -type d -name "$pkg-[0-9]*" | head -n1)
  fi
  [ -n "$dir" ] || { echo "apt-get source $pkg left no folder in $SRC" >&2; exit 1; }
  echo "$dir"
}

# emcmake cmake + emmake make install, out of tree in $OBJ/<name>.
cmake_build() {
  local name=$1 src=$2
  shift 2
  rm -rf "${OBJ:?}/$name"
  emcmake cmake -S "$src" -B "$OBJ/$name" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF "$@"
  emmake make -C "$OBJ/$name" -j"$JOBS"
  emmake make -C "$OBJ/$name" install
}

build_zlib() {
  local src=$1
  # zlib's CMake always adds a shared target too; build and install the static one by hand.
  rm -rf "${OBJ:?}/zlib"
  emcmake cmake -S "$src" -B "$OBJ/zlib" -DCMAKE_BUILD_TYPE=Release
  emmake make -C "$OBJ/zlib" -j"$JOBS" zlibstatic
  cp "$OBJ/zlib/libz.a" "$PREFIX/lib/"
  cp "$src/zlib.h" "$OBJ/zlib/zconf.h" "$PREFIX/include/"
}

build_deflate() {
  local src=$1
  # A plain Makefile; its CPU dispatch finds no x86/arm under wasm and uses the portable code.
  rm -rf "${OBJ:?}/deflate" && mkdir -p "$OBJ/deflate"
  local o=()
  for f in "$src"/lib/*.c "$src"/lib/*/*.c; do
    local obj=$OBJ/deflate/$(basename "$(dirname "$f")")_$(basename "${f%.c}").o
    emcc $CFLAGS -I"$src" -c "$f" -o "$obj"
    o+=("$obj")
  done
  emar rcs "$PREFIX/lib/libdeflate.a" "${o[@]}"
  cp "$src/libdeflate.h" "$PREFIX/include/"
}

build_png() {
  cmake_build png "$1" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DPNG_HARDWARE_OPTIMIZATIONS=OFF \
    -DZLIB_INCLUDE_DIR="$PREFIX/include" -DZLIB_LIBRARY="$PREFIX/lib/libz.a"
}

build_jpeg() {
  # No SIMD: the x86 assembly needs nasm and a native target. The C code gives the same bytes.
  cmake_build jpeg "$1" -DWITH_SIMD=OFF -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=ON -DWITH_JAVA=OFF -DCMAKE_INSTALL_LIBDIR=lib
}

build_gif() {
  local src=$1
  # giflib's Makefile builds the tools and a shared library too; the library is five files.
  rm -rf "${OBJ:?}/gif" && mkdir -p "$OBJ/gif"
  local o=()
  for f in dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray quantize; do
    [ -f "$src/$f.c" ] || continue
    emcc $CFLAGS -c "$src/$f.c" -o "$OBJ/gif/$f.o"
    o+=("$OBJ/gif/$f.o")
  done
  emar rcs "$PREFIX/lib/libgif.a" "${o[@]}"
  cp "$src/gif_lib.h" "$PREFIX/include/"
}

build_freetype() {
  # Only what a TrueType caption font needs: no compressed fonts, PNG glyphs or shaping.
  cmake_build freetype "$1" -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON -DCMAKE_INSTALL_LIBDIR=lib
}

main() {
  local want=("$@")
  mkdir -p "$SRC" "$OBJ" "$PREFIX/include" "$PREFIX/lib" "$LOG"
  install_toolchain
  say "toolchain: $(emcc --version | head -n1); node $(node --version)"
  for entry in "${LIBS[@]}"; do
    IFS=: read -r name pkg archive <<<"$entry"
    if [ ${#want[@]} -gt 0 ] && [[ ! " ${want[*]} " == *" $name "* ]]; then
      continue
    fi
    if [ -f "$PREFIX/lib/$archive" ]; then
      say "$name: $archive is built (skipped)"
      continue
    fi
    add_deb_src
    local src
    src=$(fetch "$pkg")
    say "$name: building $(basename "$src") (log: $LOG/$name.log)"
    local start=$SECONDS
    if ! "build_$name" "$src" >"$LOG/$name.log" 2>&1; then
      tail -n 30 "$LOG/$name.log" >&2
      echo "$name failed to build; the whole log is $LOG/$name.log" >&2
      exit 1
    fi
    say "$name: $archive in $((SECONDS - start)) s, $(du -k "$PREFIX/lib/$archive" | cut -f1) KiB"
  done
  say "prefix ready: $PREFIX"
}

main "$@"
