#!/usr/bin/env bash
# Peak memory of checking a CSV batch of SIZE_MB (default 16) whose last row is refused, so that
# the whole file is read and checked and nothing is rendered: it should not grow with the rows.
#   bench/cli/batch-memory.sh [path/to/veskel-render]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
render=${1:-$here/../../build/release/cli/veskel-render}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$work/rows.csv" "${SIZE_MB:-16}" <<'PY'
import sys
limit = int(sys.argv[2]) * 1024 * 1024 - 100
with open(sys.argv[1], "w") as f:
    f.write("Output,Text,Color1,Pattern\n")
    i = 0
    while f.tell() < limit:
        f.write(f"name{i},Hello {i},#{i % 0xFFFFFF:06X},{i % 6}\n")
        i += 1
    f.write("last,refused,#000000,7\n")
PY
rows=$(($(wc -l <"$work/rows.csv") - 1))
/usr/bin/time -f "%M" -o "$work/peak" "$render" --batch "$work/rows.csv" -o "$work/{n}.png" 2>/dev/null
echo "$(du -m "$work/rows.csv" | cut -f1) MB, $rows rows: peak $(( $(tail -1 "$work/peak") / 1024 )) MB"
