#!/usr/bin/python3
"""Draws the skins of the glass slider (PNG).

    GlassSliderTrack.png       1 x 5   RGB, the track's rows from the top (stretched sideways)
    GlassSliderThumb.png      15 x 19  RGBA, grey-blue glass thumb
    GlassSliderThumbHover.png 15 x 19  RGBA, the same thumb in bright blue glass

The thumb is a pointer: a rectangle with rounded upper corners over rows 0..11 whose lower part
narrows by one pixel on each side per row to a one-pixel point at the bottom centre (row 18,
column 7). Its rim is black at alpha 74, softened to alpha 43 where the rim turns a corner; the
body is translucent glass (alpha 135) that grows more opaque and lighter in the highlight at the
upper left, so the track stays faintly visible through the lower body.

Run with Debian's interpreter: /usr/bin/python3 tools/skins/make_glass_slider.py [out_dir]
(out_dir defaults to Components/GlassSlider/res). The outputs are committed.
"""
import math
import os
import sys

from PIL import Image

W, H = 15, 19
CENTRE = 7
TRACK_ROWS = [192, 192, 184, 176, 152]

RIM_ALPHA = 74
RIM_SOFT_ALPHA = 43
BODY_ALPHA = 135
HIGHLIGHT_ALPHA = 205


def row_span(y):
    """Columns [x0, x1] covered by the thumb in row y."""
    if y == 0:
        return 2, 12
    if y == 1:
        return 1, 13
    if y <= 11:
        return 0, 14
    half = 7 - (y - 11)
    return CENTRE - half, CENTRE + half


def inside(x, y):
    if not (0 <= y < H):
        return False
    x0, x1 = row_span(y)
    return x0 <= x <= x1


def mix(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def thumb(edge, centre, highlight):
    img = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    px = img.load()
    for y in range(H):
        for x in range(W):
            if not inside(x, y):
                continue
            outside = sum(not inside(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if outside:
                # A rim pixel with two open sides is a corner of the outline: softer.
                px[x, y] = (0, 0, 0, RIM_SOFT_ALPHA if outside >= 2 else RIM_ALPHA)
                continue
            # Glass body: lighter towards the middle column, brightest up and to the left.
            across = abs(x - CENTRE) / 6.0
            c = mix(centre, edge, across ** 1.5)
            d = math.hypot(x - 4.0, (y - 2.5) * 1.3)
            glow = max(0.0, 1.0 - d / 5.5)
            c = mix(c, highlight, glow * 0.95)
            # The upper half is a little lighter than the lower, as glass catching the light.
            if y < 6:
                c = mix(c, highlight, 0.18)
            a = BODY_ALPHA + (HIGHLIGHT_ALPHA - BODY_ALPHA) * max(glow, 0.6 if y < 6 else 0.0)
            px[x, y] = tuple(int(round(v)) for v in c) + (int(round(a)),)
    return img


def track():
    img = Image.new("RGB", (1, len(TRACK_ROWS)))
    for y, v in enumerate(TRACK_ROWS):
        img.putpixel((0, y), (v, v, v))
    return img


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(os.path.join(
        os.path.dirname(__file__), "..", "..", "Components", "GlassSlider", "res"))
    os.makedirs(out_dir, exist_ok=True)
    images = {
        "GlassSliderTrack.png": track(),
        "GlassSliderThumb.png": thumb(edge=(124, 152, 172), centre=(168, 188, 204), highlight=(244, 248, 252)),
        "GlassSliderThumbHover.png": thumb(edge=(0, 148, 255), centre=(70, 184, 255), highlight=(240, 250, 255)),
    }
    for name, img in images.items():
        path = os.path.join(out_dir, name)
        img.save(path, optimize=True)
        print(path, img.size, os.path.getsize(path), "bytes")


if __name__ == "__main__":
    main()
