#!/bin/sh
# A banner comparable to veskel-render's default design, drawn with ImageMagick: a 350 x 20
# horizontal gradient, a diagonal line pattern multiplied in, outlined text, a one-pixel border,
# written as an 8-bit RGB PNG with the Sub filter at level 7.
#   imagemagick-banner.sh OUTPUT.png [TEXT]
# CONVERT names the ImageMagick program (default: convert). With IM_PRINT=1 the command is printed,
# one word per line, instead of run (hyperfine.sh runs it without a shell in between).
set -eu
out=$1
text=${2:-Brannock veskel generator}
run=exec
[ -n "${IM_PRINT:-}" ] && run="printf %s\n"
$run "${CONVERT:-convert}" -size 350x20 -define gradient:direction=east gradient:'#d06040-#40a050' \
  \( -size 350x20 pattern:left45 -fill '#e0e0e0' -opaque white \) -compose multiply -composite \
  -compose over -font DejaVu-Sans -pointsize 9 -fill white -stroke black -strokewidth 1 \
  -annotate +180+14 "$text" -shave 1x1 -bordercolor black -border 1 -depth 8 \
  -define png:color-type=2 -define png:compression-level=7 -define png:compression-filter=1 "$out"
