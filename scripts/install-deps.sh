#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Idempotent: does nothing when everything is present; runs apt-get update at most once.
set -euo pipefail

PACKAGES=(
  # build
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  # a compiler cache: CI runs on the developers' machine, where rebuilds after a merge are cheap
  ccache
  # image codecs and text
  zlib1g-dev libpng-dev libdeflate-dev libjpeg62-turbo-dev libturbojpeg0-dev libgif-dev
  libfreetype-dev libfontconfig-dev
  # fonts the controls ask for by name
  fonts-wine fonts-liberation2 fonts-dejavu-core
  # the window backend
  qt6-base-dev libgl-dev
  # the window's languages: msgfmt and xgettext (catalogs), Qt's and the C library's translations
  gettext qt6-translations-l10n libc-l10n
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # the command-line renderer's comparison with ImageMagick (bench/cli)
  hyperfine
  # veskel-serve: HTTP from Boost.Beast (header-only); its two-replica test behind HAProxy and its
  # benchmark with wrk against nginx serving the same banner (bench/serve)
  libboost-dev haproxy wrk nginx curl
  # real-window tests
  xvfb xdotool x11-utils x11-xkb-utils imagemagick
  # the screen-reader test: a private session bus, the accessibility bus and its Python client
  dbus at-spi2-core python3-pyatspi
  # Wayland: Qt's platform plugin, X11's compositing check and input shapes (xcb), the
  # real-compositor tests
  qt6-wayland libxcb1-dev libxcb-shape0-dev libwayland-dev sway grim xwayland
  # the package test: builds the .deb, validates the desktop entry, metainfo, file type and manual
  # page, runs lintian and installs and purges the package
  dpkg-dev desktop-file-utils appstream shared-mime-info man-db lintian
  # ... and hardening-check on both programs
  devscripts
  # browser tests of the web build (tests/web): headless Chromium driven through chromedriver
  chromium chromium-driver python3-selenium
  # asset generators in tools/ (run with /usr/bin/python3)
  python3-fonttools python3-pil
  # looking at the scalable icon that tools/icon draws
  librsvg2-bin
  # the browser build (scripts/web.sh): Debian's Emscripten and node, apt-get source for the C
  # libraries' source packages (scripts/web-deps.sh), python3 for the local web server
  emscripten nodejs dpkg-dev python3
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
