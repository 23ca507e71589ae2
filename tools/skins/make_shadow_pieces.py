#!/usr/bin/python3
"""Writes the eight pieces of the pop-up shadow frame (24-bit grey PNG, red = green = blue).

White (255) means no shadow; darker values darken the screen behind the pop-up. The light comes
from above, so the shadow is faint at the top (down to 231), medium at the sides (down to 167)
and darkest at the bottom (down to 95).

    ShadowTopLeft.png      18 x 34   ShadowTopRight.png     18 x 34 (mirror)
    ShadowBottomLeft.png   34 x 18   ShadowBottomRight.png  34 x 18 (mirror)
    ShadowTop.png          23 x 18   ShadowBottom.png       29 x 18
    ShadowLeft.png         18 x 25   ShadowRight.png        18 x 18

The edge tiles are uniform along the edge; the corners join them: the top-left corner's right
column continues the top edge's profile and its bottom row the left edge's, fading out towards
the outer corner; the bottom-left corner's top row continues the left edge's profile and its right
column the bottom edge's.

Run with Debian's interpreter: /usr/bin/python3 tools/skins/make_shadow_pieces.py [out_dir]
(out_dir defaults to Components/StaticShadow/res). The outputs are committed.
"""
import os
import sys

from PIL import Image

# Darkness (255 - value) from the outside in.
TOP = [0] * 12 + [255 - v for v in (254, 251, 248, 244, 238, 231)]
SIDE = [0] * 6 + [255 - v for v in (254, 251, 248, 244, 238, 231, 224, 215, 204, 193, 180, 167)]
# From the window outwards.
BOTTOM = [255 - v for v in (95, 104, 115, 126, 139, 152, 167, 180, 193, 204, 215, 224, 231, 238, 244, 248, 251, 254)]

TOP_CORNER_DARKEST = 255 - 170


def smooth(t):
    t = min(max(t, 0.0), 1.0)
    return t * t * (3 - 2 * t)


def grey_image(width, height, value_at):
    img = Image.new("RGB", (width, height))
    px = img.load()
    for y in range(height):
        for x in range(width):
            v = max(0, min(255, int(round(value_at(x, y)))))
            px[x, y] = (v, v, v)
    return img


def top_left():
    # Darkness along the inner column: the top profile down to row 17, then a smooth rise to the
    # corner's darkest value at the bottom row, next to the left edge's darkest column.
    def column(y):
        if y < 18:
            return TOP[y]
        return TOP[17] + (TOP_CORNER_DARKEST - TOP[17]) * smooth((y - 17) / 16.0)

    return grey_image(18, 34, lambda x, y: 255 - column(y) * SIDE[x] / SIDE[17])


def bottom_left():
    # Across: the side profile up to column 17, then a smooth rise to full strength at column 33,
    # where the bottom edge takes over.
    def across(x):
        if x < 18:
            return SIDE[x] / BOTTOM[0]
        start = SIDE[17] / BOTTOM[0]
        return start + (1.0 - start) * smooth((x - 17) / 16.0)

    return grey_image(34, 18, lambda x, y: 255 - BOTTOM[y] * across(x))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "Components", "StaticShadow", "res")
    os.makedirs(out_dir, exist_ok=True)
    tl = top_left()
    bl = bottom_left()
    pieces = {
        "ShadowTopLeft.png": tl,
        "ShadowTopRight.png": tl.transpose(Image.FLIP_LEFT_RIGHT),
        "ShadowBottomLeft.png": bl,
        "ShadowBottomRight.png": bl.transpose(Image.FLIP_LEFT_RIGHT),
        "ShadowTop.png": grey_image(23, 18, lambda x, y: 255 - TOP[y]),
        "ShadowBottom.png": grey_image(29, 18, lambda x, y: 255 - BOTTOM[y]),
        "ShadowLeft.png": grey_image(18, 25, lambda x, y: 255 - SIDE[x]),
        "ShadowRight.png": grey_image(18, 18, lambda x, y: 255 - SIDE[17 - x]),
    }
    for name, img in pieces.items():
        img.save(os.path.join(out_dir, name), optimize=True)


if __name__ == "__main__":
    main()
