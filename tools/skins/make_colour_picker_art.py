#!/usr/bin/python3
"""Draws the artwork of the colour picker (8-bit RGBA PNG).

    resources/cursors/Pura.png              32 x 32  two-colour cursor of the HLS table: a black
                                                     ring 11 pixels across with a 1-pixel white rim
                                                     outside it, hollow; hot spot (12, 13) at its
                                                     centre (the loader states the hot spot)
    Components/ColorBox/res/flip.png        14 x 14  curved two-headed arrow (swap the colours)
    Components/ColorBox/res/BlackWhite.png  14 x 14  black square over a white one at its lower
                                                     right (back to the default colours)

The cursor has only opaque and transparent pixels, as a two-colour cursor must. The icons are
sampled 8 x 8 times per pixel, so their edges fade out through alpha.

Run with Debian's interpreter: /usr/bin/python3 tools/skins/make_colour_picker_art.py [repo_root]
(repo_root defaults to the repository this script sits in). The outputs are committed.
"""
import math
import os
import sys

from PIL import Image

SUB = 8  # samples per pixel side for the icons

# ---------------------------------------------------------------- cursor

HOT_X, HOT_Y = 12, 13


def pura_cursor():
    """Pixel centres at a distance in [3.6, 5.4] of the hot spot are the black ring (11 pixels
    across, two pixels thick at the sides); the pixels just outside it, up to 6.4, are the white
    rim. Everything else is transparent."""
    img = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    px = img.load()
    for y in range(32):
        for x in range(32):
            d = math.hypot(x - HOT_X, y - HOT_Y)
            if 3.6 <= d <= 5.4:
                px[x, y] = (0, 0, 0, 255)
            elif 5.4 < d <= 6.4:
                px[x, y] = (255, 255, 255, 255)
    return img


# ---------------------------------------------------------------- icons


def supersample(size, shade):
    """shade(x, y) -> (r, g, b, a) with a in 0..1 for a point, or None where nothing is drawn.
    Colours are averaged over the covered samples, alpha over all samples."""
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    px = img.load()
    n = SUB * SUB
    for py in range(size):
        for pxl in range(size):
            acc = [0.0, 0.0, 0.0]
            alpha = 0.0
            for sy in range(SUB):
                for sx in range(SUB):
                    s = shade(pxl + (sx + 0.5) / SUB, py + (sy + 0.5) / SUB)
                    if s is None:
                        continue
                    r, g, b, a = s
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    alpha += a
            if alpha > 0:
                px[pxl, py] = tuple(int(round(c / alpha)) for c in acc) + (int(round(alpha / n * 255)),)
    return img


def in_box(x, y, left, top, right, bottom):
    return left <= x < right and top <= y < bottom


def black_white():
    """A white square (grey outline) at the lower right, a black square over it at the upper left."""
    grey = (110, 110, 110, 1.0)

    def shade(x, y):
        if in_box(x, y, 1, 1, 9, 9):  # black square, on top
            return (0, 0, 0, 1.0)
        if in_box(x, y, 5, 5, 13, 13):  # white square with a one-pixel grey outline
            if in_box(x, y, 6, 6, 12, 12):
                return (255, 255, 255, 1.0)
            return grey
        return None

    return supersample(14, shade)


def flip_arrow():
    """A quarter-circle arc from the upper left round to the lower right, with an arrow head at
    each end (one pointing left, one pointing down): the usual sign for swapping a front and a
    back colour."""
    cx, cy = 2.5, 11.5   # centre of the arc (lower left corner)
    radius = 8.0         # centre line of the stroke
    half = 0.8           # half the stroke width
    ink = (64, 64, 64, 1.0)

    def triangle(x, y, a, b, c):
        def side(p, q, r):
            return (r[0] - p[0]) * (q[1] - p[1]) - (r[1] - p[1]) * (q[0] - p[0])
        d = (side(a, b, (x, y)), side(b, c, (x, y)), side(c, a, (x, y)))
        return not (min(d) < 0 and max(d) > 0)

    top_y = cy - radius      # the arc's upper end, where the left-pointing head sits
    right_x = cx + radius    # the arc's right end, where the downward head sits
    head_left = ((0.3, top_y), (4.6, top_y - 3.3), (4.6, top_y + 3.3))
    head_down = ((right_x, 13.7), (right_x - 3.3, 9.4), (right_x + 3.3, 9.4))

    def shade(x, y):
        if triangle(x, y, *head_left) or triangle(x, y, *head_down):
            return ink
        dx, dy = x - cx, y - cy
        if x >= 4.0 and y <= 10.0 and dx >= 0 and dy <= 0 and abs(math.hypot(dx, dy) - radius) <= half:
            return ink
        return None

    return supersample(14, shade)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..")
    outputs = {
        os.path.join(root, "resources", "cursors", "Pura.png"): pura_cursor(),
        os.path.join(root, "Components", "ColorBox", "res", "flip.png"): flip_arrow(),
        os.path.join(root, "Components", "ColorBox", "res", "BlackWhite.png"): black_white(),
    }
    for path, img in outputs.items():
        os.makedirs(os.path.dirname(path), exist_ok=True)
        img.save(path, optimize=True)
        print(os.path.normpath(path), img.size, os.path.getsize(path), "bytes")


if __name__ == "__main__":
    main()
