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

# name : Debian source package : the desktop's binary package of it : archive it installs
# The source is fetched at the version of the installed binary package where the archive has it,
# so the browser runs the same code (and Debian's patches) as the desktop.
LIBS=(
  "zlib:zlib:zlib1g:libz.a"
  "deflate:libdeflate:libdeflate0:libdeflate.a"
  "png:libpng1.6:libpng16-16:libpng16.a"
  "jpeg:libjpeg-turbo:libjpeg62-turbo:libjpeg.a"
  "gif:giflib:libgif7:libgif.a"
  "freetype:freetype:libfreetype6:libfreetype.a"
)

say() { printf '\033[1m== %s\033[0m\n' "$*"; }

# Flags every library is compiled with.
export CFLAGS="-O2"
# Debian's emcc runs its JavaScript optimiser under node with Debian's node modules (acorn); a
# node from elsewhere (e.g. nodesource) does not look in /usr/share/nodejs by itself.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

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
# Tries the installed binary package's version first, then every version the archive lists
# (a mirror may list a security update's source and still not serve it).
fetch() {
  local pkg=$1 bin=$2
  local dir
  dir=$(find "$SRC" -maxdepth 1 -type d -name "$pkg-[0-9]*" | head -n1)
  if [ -z "$dir" ]; then
    local versions=() v
    v=$(dpkg-query -W -f='${Version}' "$bin" 2>/dev/null || true)
    [ -n "$v" ] && versions+=("$v")
    while read -r v; do versions+=("$v"); done \
      < <(apt-cache showsrc "$pkg" | sed -n 's/^Version: //p' | sort -urV)
    for v in "${versions[@]}"; do
      say "fetching the source package $pkg $v" >&2
      if (cd "$SRC" && apt-get source -q "$pkg=$v" >&2); then
        break
      fi
      echo "(not served; trying the next version)" >&2
    done
    dir=$(find "$SRC" -maxdepth 1 -type d -name "$pkg-[0-9]*" | head -n1)
  fi
  [ -n "$dir" ] || { echo "apt-get source $pkg left no folder in $SRC" >&2; exit 1; }
  echo "$dir"
}

# emcmake's default test runner passes node a flag that node 18+ rejects, so every check that
# runs a program (type sizes) fails silently with node's exit code; and node 18+'s fetch makes
# the loader try to fetch the .wasm by URL. Both are avoided with this runner.
# (Set inside the functions: command -v node is only known once the toolchain is installed.)

# emcmake cmake + emmake make install, out of tree in $OBJ/<name>.
cmake_build() {
  local name=$1 src=$2
  shift 2
  rm -rf "${OBJ:?}/$name"
  emcmake cmake -S "$src" -B "$OBJ/$name" -DCMAKE_BUILD_TYPE=Release \
    "-DCMAKE_CROSSCOMPILING_EMULATOR=$(command -v node);--no-experimental-fetch" \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF "$@"
  emmake make -C "$OBJ/$name" -j"$JOBS"
  emmake make -C "$OBJ/$name" install
}

# Compiles the given C files with emcc and archives them as $PREFIX/lib/<archive>.
# For the libraries whose own build is a plain Makefile (or, for Debian's zlib, a CMake file
# that names Windows resources the repacked source no longer has).
emcc_archive() {
  local name=$1 archive=$2 src=$3
  shift 3
  rm -rf "${OBJ:?}/$name" && mkdir -p "$OBJ/$name"
  local objs=() f obj
  for f in "$@"; do
    obj=$OBJ/$name/$(echo "${f#"$src"/}" | tr / _)
    obj=${obj%.c}.o
    echo "emcc $CFLAGS ${EXTRA_CFLAGS:-} -c $f"
    # shellcheck disable=SC2086  # the flags are lists of words
    emcc $CFLAGS ${EXTRA_CFLAGS:-} -I"$src" -c "$f" -o "$obj"
    objs+=("$obj")
  done
  emar rcs "$PREFIX/lib/$archive" "${objs[@]}"
}

build_zlib() {
  local src=$1 f files=()
  # zlib's own CMake file moves zconf.h aside when it configures; put it back.
  [ -f "$src/zconf.h" ] || cp "$src/zconf.h.included" "$src/zconf.h"
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
           inftrees trees uncompr zutil; do
    files+=("$src/$f.c")
  done
  EXTRA_CFLAGS="-DHAVE_UNISTD_H -DHAVE_STDARG_H" emcc_archive zlib libz.a "$src" "${files[@]}"
  cp "$src/zlib.h" "$src/zconf.h" "$PREFIX/include/"
}

build_deflate() {
  local src=$1
  # A plain Makefile; the CPU dispatch finds no x86 or arm under wasm and uses the portable code.
  emcc_archive deflate libdeflate.a "$src" "$src"/lib/*.c "$src"/lib/*/*.c
  cp "$src/libdeflate.h" "$PREFIX/include/"
}

build_png() {
  cmake_build png "$1" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DPNG_HARDWARE_OPTIMIZATIONS=OFF \
    -DZLIB_INCLUDE_DIR="$PREFIX/include" -DZLIB_LIBRARY="$PREFIX/lib/libz.a"
}

build_jpeg() {
  local src=$1
  # No SIMD: its code is native assembly. Only the two libraries are built (make install would
  # build every tool and test program first, three times the work), so they are installed here.
  rm -rf "${OBJ:?}/jpeg"
  emcmake cmake -S "$src" -B "$OBJ/jpeg" -DCMAKE_BUILD_TYPE=Release \
    "-DCMAKE_CROSSCOMPILING_EMULATOR=$(command -v node);--no-experimental-fetch" \
    -DWITH_SIMD=OFF -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=ON -DWITH_JAVA=OFF
  emmake make -C "$OBJ/jpeg" -j"$JOBS" jpeg-static turbojpeg-static
  cp "$OBJ/jpeg/libjpeg.a" "$OBJ/jpeg/libturbojpeg.a" "$PREFIX/lib/"
  cp "$OBJ/jpeg/jconfig.h" "$src/jpeglib.h" "$src/jerror.h" "$src/jmorecfg.h" "$src/turbojpeg.h" \
    "$PREFIX/include/"
}

build_gif() {
  local src=$1 f files=()
  # giflib's Makefile builds the tools and a shared library too; the library is a few files.
  for f in dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray quantize; do
    [ -f "$src/$f.c" ] && files+=("$src/$f.c")
  done
  emcc_archive gif libgif.a "$src" "${files[@]}"
  cp "$src/gif_lib.h" "$PREFIX/include/"
}

build_freetype() {
  # Only what a TrueType caption font needs: no bzip2 fonts, PNG glyphs or shaping. zlib is ours:
  # without it FreeType compiles its own copy in, whose symbols clash with libz.a at link time.
  local src=$1 obj=$OBJ/freetype
  rm -rf "$obj"
  emcmake cmake -S "$src" -B "$obj" -DCMAKE_BUILD_TYPE=Release \
    "-DCMAKE_CROSSCOMPILING_EMULATOR=$(command -v node);--no-experimental-fetch" \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF \
    -DFT_REQUIRE_ZLIB=ON -DZLIB_INCLUDE_DIR="$PREFIX/include" \
    -DZLIB_LIBRARY="$PREFIX/lib/libz.a" -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON -DCMAKE_INSTALL_LIBDIR="$PREFIX/lib"
  # The modules the library starts with: the packed fonts (tools/web/pack-data.sh) are all
  # TrueType files, some with bitmap strikes only, and the font engine draws every glyph in
  # black and white without the auto-hinter. So: the TrueType driver, the SFNT tables (with the
  # embedded bitmaps) and the monochrome rasteriser. The other drivers and renderers are then
  # referenced by nothing and stay out of the link. The build folder's config headers come
  # before the source's, so this list replaces the stock one without touching the source.
  mkdir -p "$obj/include/freetype/config"
  cat >"$obj/include/freetype/config/ftmodule.h" <<'MODULES'
FT_USE_MODULE( FT_Driver_ClassRec, tt_driver_class )
FT_USE_MODULE( FT_Module_Class, sfnt_module_class )
FT_USE_MODULE( FT_Renderer_Class, ft_raster1_renderer_class )
MODULES
  emmake make -C "$obj" -j"$JOBS"
  emmake make -C "$obj" install
}

main() {
  local want=("$@")
  mkdir -p "$SRC" "$OBJ" "$PREFIX/include" "$PREFIX/lib" "$LOG"
  install_toolchain
  say "toolchain: $(emcc --version | head -n1); node $(node --version)"
  for entry in "${LIBS[@]}"; do
    IFS=: read -r name pkg bin archive <<<"$entry"
    if [ ${#want[@]} -gt 0 ] && [[ ! " ${want[*]} " == *" $name "* ]]; then
      continue
    fi
    if [ -f "$PREFIX/lib/$archive" ]; then
      say "$name: $archive is built (skipped)"
      continue
    fi
    add_deb_src
    local src
    src=$(fetch "$pkg" "$bin")
    say "$name: building $(basename "$src") (log: $LOG/$name.log)"
    local start=$SECONDS
    # A subshell outside any condition, so that set -e stops the build at its first failure.
    set +e
    (set -e; "build_$name" "$src") >"$LOG/$name.log" 2>&1
    local rc=$?
    set -e
    if [ $rc -ne 0 ] || [ ! -f "$PREFIX/lib/$archive" ]; then
      tail -n 30 "$LOG/$name.log" >&2
      echo "$name failed to build; the whole log is $LOG/$name.log" >&2
      exit 1
    fi
    say "$name: $archive in $((SECONDS - start)) s, $(du -k "$PREFIX/lib/$archive" | cut -f1) KiB"
  done
  say "prefix ready: $PREFIX"
}

main "$@"
