#!/usr/bin/env bash
# Fills OUTDIR with the data the browser build reads at run time under /veskel:
#   OUTDIR/fonts/      the font files the program's font requests resolve to on this machine,
#                      each once, and fonts.list, the manifest PackedFonts.cpp reads
#   OUTDIR/locale/<language>/LC_MESSAGES/veskel.mo   the compiled catalogs of po/
#
#   tools/web/pack-data.sh OUTDIR
#
# The requests (tools/web/font-requests.list) are resolved by veskel_font_resolve, the desktop's
# own font engine: fc-match cannot stand in for it, since it does not see the fonts-wine faces
# the engine matches alongside the system's. The helper is taken from $VESKEL_FONT_RESOLVE, else
# built in build/release. Re-runnable: OUTDIR/fonts and OUTDIR/locale are rebuilt whole.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
[ $# -eq 1 ] || { echo "usage: $0 OUTDIR" >&2; exit 2; }
OUT=$1
REQUESTS=$ROOT/tools/web/font-requests.list

resolver=${VESKEL_FONT_RESOLVE:-}
if [ -z "$resolver" ]; then
  resolver=$ROOT/build/release/tools/veskel_font_resolve
  "$ROOT/scripts/build.sh" release veskel_font_resolve >/dev/null
fi
[ -x "$resolver" ] || { echo "$0: no font resolver at $resolver" >&2; exit 1; }

mkdir -p "$OUT"
work=$(mktemp -d "$OUT/.pack.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/fonts" "$work/locale"

# Fonts: each resolved file copied once under its own name (another file of the same name gets
# a number in front), then the manifest of request -> packed file.
"$resolver" "$REQUESTS" >"$work/resolved.tsv"
[ -s "$work/resolved.tsv" ] || { echo "$0: no font request resolved" >&2; exit 1; }
declare -A packed=()
{
  echo "# The packed fonts: for each request the program makes (family after the program's own"
  echo "# table of substitutions, \"*\" for a family no font has, and style), the file in this folder,"
  echo "# the face's index in it and the family fontconfig matched, separated by tabs."
  while IFS=$'\t' read -r family style file index matched; do
    if [ -z "${packed[$file]:-}" ]; then
      name=$(basename "$file")
      n=1
      while [ -e "$work/fonts/$name" ]; do
        name="$n-$(basename "$file")"
        n=$((n + 1))
      done
      cp "$file" "$work/fonts/$name"
      packed[$file]=$name
    fi
    printf '%s\t%s\t%s\t%s\t%s\n' "$family" "$style" "${packed[$file]}" "$index" "$matched"
  done <"$work/resolved.tsv"
} >"$work/fonts/fonts.list"

for po in "$ROOT"/po/*.po; do
  language=$(basename "$po" .po)
  mkdir -p "$work/locale/$language/LC_MESSAGES"
  msgfmt --check -o "$work/locale/$language/LC_MESSAGES/veskel.mo" "$po"
done

rm -rf "$OUT/fonts" "$OUT/locale"
mv "$work/fonts" "$work/locale" "$OUT/"
echo "packed into $OUT: $(find "$OUT/fonts" -type f ! -name fonts.list | wc -l) font files," \
     "$(du -sk "$OUT/fonts" | cut -f1) KiB; catalogs: $(cd "$OUT/locale" && echo *)"
