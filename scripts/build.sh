#!/usr/bin/env bash
# Configures and builds one flavour of the project into build/<flavour>.
#   scripts/build.sh release [targets...]   optimised, with the Qt window (the default)
#   scripts/build.sh asan    [targets...]   AddressSanitizer + UndefinedBehaviorSanitizer, no Qt
#   scripts/build.sh fuzz    [targets...]   clang + libFuzzer targets
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-release}
shift || true

generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)

case "$flavour" in
  release) args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  asan)    args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESKEL_SANITIZE=ON -DVESKEL_WITH_QT=OFF -DVESKEL_BENCH=OFF) ;;
  fuzz)    args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESKEL_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "unknown flavour: $flavour (release, asan or fuzz)" >&2; exit 2 ;;
esac

# A compiler cache, where one is installed, makes rebuilds after a branch switch cheap.
command -v ccache >/dev/null 2>&1 && args+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

cmake -S . -B "build/$flavour" "${generator[@]}" "${args[@]}" >/dev/null
if [ $# -gt 0 ]; then
  for t in "$@"; do cmake --build "build/$flavour" --target "$t"; done
else
  cmake --build "build/$flavour"
fi
