#!/usr/bin/env bash
# Two batches of 200 into one folder, the second started a few ms after the first (DELAY in ms),
# ROUNDS times; counts the lines each batch reported as failed and the files missing afterwards.
#   bench/cli/concurrent-batches.sh [path/to/veskel-render]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
render=${1:-$here/../../build/release/cli/veskel-render}
rounds=${ROUNDS:-30}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for i in $(seq 200); do echo "Member $i"; done >"$work/names.txt"
lostA=0; lostB=0; missing=0
for r in $(seq "$rounds"); do
  out="$work/out"; rm -rf "$out"; mkdir "$out"
  "$render" --quiet --set Color1=#ff0000 --batch "$work/names.txt" -o "$out/a-{n}.png" 2>"$work/a.err" & pa=$!
  sleep 0.00${DELAY:-3}
  "$render" --quiet --set Color1=#0000ff --batch "$work/names.txt" -o "$out/b-{n}.png" 2>"$work/b.err" & pb=$!
  wait $pa; wait $pb
  la=$(grep -c ' line ' "$work/a.err"); lb=$(grep -c ' line ' "$work/b.err")
  lostA=$((lostA + la)); lostB=$((lostB + lb))
  n=$(find "$out" -name '*.png' | wc -l); missing=$((missing + 400 - n))
  left=$(find "$out" -name '.veskel-*' | wc -l)
  [ "$left" -ne 0 ] && echo "round $r: $left staged files left"
done
echo "rounds $rounds: first batch lost $lostA of $((rounds*200)) lines, second $lostB; files missing $missing"
