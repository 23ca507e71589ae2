#!/usr/bin/env bash
# The same two comparisons as compare.sh, run by hyperfine (Debian package hyperfine) for its
# statistics. hyperfine runs each command's rounds one after another, not interleaved, so on a
# busy machine prefer compare.sh's medians.
#   bench/cli/hyperfine.sh [path/to/veskel-render]     (BATCH, CONVERT as for compare.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
render=${1:-$here/../../build/release/cli/veskel-render}
batch=${BATCH:-200}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for i in $(seq "$batch"); do echo "Member $i"; done >"$work/names.txt"
export CONVERT=${CONVERT:-convert}

# One banner: convert itself, started the way veskel-render is, with no shell in between.
mapfile -t im < <(IM_PRINT=1 "$here/imagemagick-banner.sh" "$work/im.png")
hyperfine -N --warmup 3 --min-runs 30 \
  "$(printf '%q ' "${im[@]}")" \
  "$render -o $work/vk.png"
hyperfine --warmup 1 --min-runs 5 \
  "while IFS= read -r l; do $here/imagemagick-banner.sh $work/im.png \"\$l\"; done < $work/names.txt" \
  "$render --quiet --batch $work/names.txt -o $work/b-{n}.png"
