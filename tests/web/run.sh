#!/usr/bin/env bash
# The browser tests of the web build: serves the site folder on a free localhost port and drives
# the designer's page in headless Chromium (at device scale 1, and 2 for the crispness check).
# One line per check; exit status 1 when one fails.
#   tests/web/run.sh [SITE_DIR [CHECK...]]
# SITE_DIR defaults to build/web/site. veskel-render comes from $VESKEL_RENDER, else from
# build/release (built there when missing). Images and downloads of the run stay in
# $VESKEL_WEB_TEST_OUT (default build/web/test-out).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
site=$(readlink -m "${1:-$root/build/web/site}")
shift || true
out=$(readlink -m "${VESKEL_WEB_TEST_OUT:-$root/build/web/test-out}")

[ -f "$site/index.html" ] || { echo "no site in $site (scripts/web.sh --build-only makes it)" >&2; exit 1; }
for tool in /usr/bin/chromium /usr/bin/chromedriver; do
    [ -x "$tool" ] || { echo "$tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done
render=${VESKEL_RENDER:-$root/build/release/cli/veskel-render}
if [ ! -x "$render" ]; then
    "$root/scripts/build.sh" release veskel-render >/dev/null
fi
rm -rf "$out"
mkdir -p "$out"
# Debian's python3, where python3-selenium and python3-pil are installed.
exec timeout 900 /usr/bin/python3 "$root/tests/web/web_test.py" "$site" "$render" "$out" "$@"
