#!/usr/bin/python3
"""Draws the two stock skins of the glass check box (8-bit RGBA PNG, 20 x 20).

    GlassCheckUnchecked.png  grey glass square with rounded corners
    GlassCheckChecked.png    the same square in blue glass, with a black check mark that reaches
                             out over its top-right corner

The square covers columns 1..18 and rows 0..17; columns 0 and 19 stay fully transparent and
row 18..19 holds a faint shadow. Every pixel is sampled 6 x 6 times against a signed-distance
description of the shapes, so the edges fade out through alpha.

Run with Debian's interpreter: /usr/bin/python3 tools/skins/make_glass_check_box.py [out_dir]
(out_dir defaults to Components/GlassCheckBox/res). The outputs are committed.
"""
import math
import os
import sys

from PIL import Image

SUB = 6
SIZE = 20
SHADOW_ALPHA = 34.0
# The square's outline, in pixel-edge coordinates.
LEFT, TOP, RIGHT, BOTTOM, RADIUS = 1.0, 0.0, 19.0, 18.0, 3.5


def rounded_box_distance(x, y, left, top, right, bottom, r):
    cx = min(max(x, left + r), right - r)
    cy = min(max(y, top + r), bottom - r)
    inside = left + r <= x <= right - r or top + r <= y <= bottom - r
    if inside:
        return max(left - x, x - right, top - y, y - bottom)
    return math.hypot(x - cx, y - cy) - r


def segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def mix(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def check_distance(x, y):
    """A check mark: a short stroke down to the bottom point, a long one up past the top-right corner."""
    d = min(segment_distance(x, y, 4.6, 8.6, 8.4, 13.2), segment_distance(x, y, 8.4, 13.2, 17.8, 0.6))
    return d - 1.45


def body_colour(palette, x, y, d):
    rim, upper_top, upper_bottom, lower_top, lower_bottom = palette
    mid = (TOP + BOTTOM) / 2.0
    if d > -1.0:
        return rim
    if y < mid:
        c = mix(upper_top, upper_bottom, (y - TOP) / (mid - TOP))
        if d > -2.2 and y < TOP + 3.0:  # gloss just under the rim
            c = mix(c, (255, 255, 255), 0.6)
        return c
    c = mix(lower_top, lower_bottom, (y - mid) / (BOTTOM - mid))
    if d > -2.2 and y > BOTTOM - 3.5:   # light gathered at the bottom
        c = mix(c, (255, 255, 255), 0.35)
    return c


def render(palette, with_check):
    img = Image.new("RGBA", (SIZE, SIZE))
    px = img.load()
    for py in range(SIZE):
        for pxl in range(SIZE):
            if pxl == 0 or pxl == SIZE - 1:
                px[pxl, py] = (0, 0, 0, 0)  # transparent border columns, whatever the mark does
                continue
            acc = [0.0, 0.0, 0.0]
            alpha = 0.0
            for sy in range(SUB):
                for sx in range(SUB):
                    x = pxl + (sx + 0.5) / SUB
                    y = py + (sy + 0.5) / SUB
                    if with_check and check_distance(x, y) < 0:
                        c, a = (0.0, 0.0, 0.0), 1.0
                    else:
                        d = rounded_box_distance(x, y, LEFT, TOP, RIGHT, BOTTOM, RADIUS)
                        if d < 0:
                            c, a = body_colour(palette, x, y, d), 1.0
                        else:
                            ds = rounded_box_distance(x, y - 1.5, LEFT + 1.0, TOP, RIGHT - 1.0, BOTTOM, RADIUS)
                            a = SHADOW_ALPHA / 255.0 * max(0.0, 1.0 - max(ds, 0.0) / 1.5) if ds < 1.5 else 0.0
                            c = (0.0, 0.0, 0.0)
                    acc = [acc[i] + c[i] * a for i in range(3)]
                    alpha += a
            n = SUB * SUB
            rgb = tuple(int(round(acc[i] / alpha)) for i in range(3)) if alpha > 0 else (0, 0, 0)
            px[pxl, py] = rgb + (int(round(alpha / n * 255)),)
    return img


GREY = ((120, 120, 120), (246, 246, 246), (218, 218, 218), (226, 226, 226), (250, 250, 250))
BLUE = ((30, 62, 130), (214, 234, 254), (150, 196, 244), (70, 170, 232), (140, 222, 252))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "Components", "GlassCheckBox", "res")
    os.makedirs(out_dir, exist_ok=True)
    render(GREY, False).save(os.path.join(out_dir, "GlassCheckUnchecked.png"), optimize=True)
    render(BLUE, True).save(os.path.join(out_dir, "GlassCheckChecked.png"), optimize=True)


if __name__ == "__main__":
    main()
