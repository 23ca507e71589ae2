#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the sanitizer build, a short
# fuzzing run of every decoder and of the project reader, and the optimised build with the
# real-window tests under Xvfb, then the browser build (scripts/web.sh) and its tests in headless
# Chromium (tests/web/run.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

echo "== Sanitizer build (ASan + UBSan)"
scripts/build.sh asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/asan --output-on-failure -j"$jobs" -LE xvfb

echo "== Fuzzing (short run over the seed corpus)"
scripts/build.sh fuzz fuzzers
ctest --test-dir build/fuzz --output-on-failure

echo "== Optimised build, all tests"
scripts/build.sh release
ctest --test-dir build/release --output-on-failure -j"$jobs"

echo "== Browser build and its tests"
scripts/web.sh --build-only
if [ -x tests/web/run.sh ]; then
  tests/web/run.sh
fi
