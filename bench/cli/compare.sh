#!/usr/bin/env bash
# Measures veskel-render against ImageMagick as whole processes and prints the two ratios the
# command line is judged by:
#   single: one `veskel-render -o banner.png` against one ImageMagick run;
#   batch:  one `veskel-render --batch` of N banners against N ImageMagick runs.
# Both sides run interleaved, ROUNDS times, and the medians of the elapsed times are compared, so
# that a busy machine slows both alike. The processor time (user + system, summed over all rounds)
# is compared too: on a machine shared with other work it moves less than the elapsed time.
#
#   bench/cli/compare.sh [path/to/veskel-render]
# Environment: ROUNDS (default 11), BATCH (default 200), JOBS (--jobs for the batch; default all
# cores), OUT (folder to write into; default a new temporary folder, removed afterwards),
# CONVERT (the ImageMagick program; default convert).
# With hyperfine installed, bench/cli/hyperfine.sh gives the same comparison with its statistics.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
render=${1:-$here/../../build/release/cli/veskel-render}
rounds=${ROUNDS:-11}
batch=${BATCH:-200}
flags=()
[ -n "${JOBS:-}" ] && flags=(--jobs "$JOBS")
[ -x "$render" ] || { echo "no veskel-render at $render (build it: scripts/build.sh release veskel-render)" >&2; exit 2; }
command -v "${CONVERT:-convert}" >/dev/null || { echo "ImageMagick's convert is not installed" >&2; exit 2; }
# Older builds have no --quiet; they report no progress either.
if "$render" --help | grep -q -- --quiet; then flags+=(--quiet); fi

if [ -n "${OUT:-}" ]; then
  work=$OUT
  mkdir -p "$work"
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work/im" "$work/vk"
names=$work/names.txt
for i in $(seq "$batch"); do echo "Member $i"; done >"$names"

# Microseconds since the epoch, without starting a process.
now() { local t=${EPOCHREALTIME/[.,]/}; echo "$t"; }
# Sets CPU to the processor time of all finished child processes so far, in microseconds (from
# the shell's `times`, whose second line is the children's user and system time; it runs in this
# shell, not in a subshell, so that it sees them).
cpu() {
  times >"$work/times"
  CPU=$(awk 'NR == 2 { t = 0
    for (i = 1; i <= NF; i++) { split($i, p, "m"); sub("s", "", p[2]); t += p[1] * 60 + p[2] }
    printf "%d\n", t * 1000000 }' "$work/times")
}
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

im_one=(); vk_one=(); im_batch=(); vk_batch=()
cpu_im_one=0; cpu_vk_one=0; cpu_im_batch=0; cpu_vk_batch=0
for ((r = 1; r <= rounds; r++)); do
  cpu; c0=$CPU; t0=$(now); "$here/imagemagick-banner.sh" "$work/im/banner.png"; t1=$(now); cpu; c1=$CPU
  "$render" -o "$work/vk/banner.png"; t2=$(now); cpu; c2=$CPU
  im_one+=($((t1 - t0))); vk_one+=($((t2 - t1)))
  cpu_im_one=$((cpu_im_one + c1 - c0)); cpu_vk_one=$((cpu_vk_one + c2 - c1))

  cpu; c0=$CPU; t0=$(now)
  while IFS= read -r line; do "$here/imagemagick-banner.sh" "$work/im/b.png" "$line"; done <"$names"
  t1=$(now); cpu; c1=$CPU
  "$render" "${flags[@]}" --batch "$names" -o "$work/vk/b-{n}.png"; t2=$(now); cpu; c2=$CPU
  im_batch+=($((t1 - t0))); vk_batch+=($((t2 - t1)))
  cpu_im_batch=$((cpu_im_batch + c1 - c0)); cpu_vk_batch=$((cpu_vk_batch + c2 - c1))
  printf '.' >&2
done
echo >&2

mi=$(median "${im_one[@]}"); mv=$(median "${vk_one[@]}")
bi=$(median "${im_batch[@]}"); bv=$(median "${vk_batch[@]}")
awk -v mi="$mi" -v mv="$mv" -v bi="$bi" -v bv="$bv" -v n="$batch" -v r="$rounds" \
    -v ci="$cpu_im_one" -v cv="$cpu_vk_one" -v di="$cpu_im_batch" -v dv="$cpu_vk_batch" 'BEGIN {
  printf "elapsed, medians of %d interleaved rounds\n", r
  printf "  one banner:   ImageMagick %8.2f ms   veskel-render %8.2f ms   ratio %.3f  (goal 0.05)\n", mi/1000, mv/1000, mv/mi
  printf "  %d banners: ImageMagick %8.1f ms   veskel-render %8.2f ms   ratio %.4f (goal 0.01), %.3f ms a banner\n", n, bi/1000, bv/1000, bv/bi, bv/1000/n
  printf "processor time (user + system), means over the rounds\n"
  printf "  one banner:   ImageMagick %8.2f ms   veskel-render %8.2f ms   ratio %.3f\n", ci/r/1000, cv/r/1000, (ci > 0 ? cv/ci : 0)
  printf "  %d banners: ImageMagick %8.1f ms   veskel-render %8.2f ms   ratio %.4f\n", n, di/r/1000, dv/r/1000, (di > 0 ? dv/di : 0)
}'
