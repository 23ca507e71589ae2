#!/usr/bin/python3
"""Draws the artwork of the glass title bar.

    HeaderLeft.bmp    9 x 23  24-bit left end cap
    HeaderTile.bmp    8 x 23  24-bit middle tile, repeated across the bar
    HeaderRight.bmp   9 x 23  24-bit right end cap
    Close*.png, Max*.png, Min*.png   18 x 18 RGBA glass balls, "Normal" and "Hot" of each

The bar is light brushed grey: a top line of grey 184..200, a highlight line (226..248), a body that
darkens from about 224 to about 200 with faint streaks, and a bottom line of grey 136. The streaks
run along whole rows and the dither repeats every 8 columns, so tile copies join without a seam and
the caps continue the tile's rows. The caps darken their outer column (152..210) and the one next to
it, which rounds the ends of the bar.

The balls are sampled 6 x 6 per pixel against a circle: a dark rim, a body that lightens towards the
bottom, a reflection on the upper half, corners transparent. The hot variants are saturated and
carry a glyph (cross, window, dash).

Run with Debian's interpreter: /usr/bin/python3 tools/skins/make_glass_header.py [out_dir]
(out_dir defaults to Components/GlassHeader/res). The outputs are committed.
"""
import math
import os
import sys

from PIL import Image

H = 23
TILE = 8
CAP = 9
SUB = 6


def row_value(y):
    """The grey of row y of the bar, before the per-column dither."""
    if y == 0:
        return None  # top line, varies along x
    if y == 1:
        return None  # highlight line, varies along x
    if y == H - 1:
        return 136.0
    # Body: rows 2..21 darken from 224 to 200; a slow brushed streak pattern per row.
    t = (y - 2) / (H - 4)
    streak = (3, -2, 1, -1, 2, 0, -3, 1, 2, -1, 0, 2, -2, 1, -1, 3, 0, -2, 1, 0)[y - 2]
    return 224.0 - 24.0 * t + 0.6 * streak


def dither(x, y):
    """Faint ordered dither, period 8 in x so tiles join."""
    m = ((0, 2), (3, 1))
    return (m[y % 2][(x % TILE) % 2] - 1.5) * 0.7 + (1 if (x % TILE) in (2, 5) and y % 3 == 0 else 0)


def bar_pixel(x, y):
    """Grey of the bar at column x (in tile phase) and row y, without the end caps' darkening."""
    if y == 0:
        return 184 + ((x % TILE) * 5 + 3) % 17
    if y == 1:
        return 236 + ((x % TILE) * 3) % 13 - (2 if x % 2 else 0)
    v = row_value(y)
    if y == H - 1:
        return int(v)
    return int(round(v + dither(x, y)))


def clamp(v):
    return max(0, min(255, int(round(v))))


def tile():
    img = Image.new("RGB", (TILE, H))
    for y in range(H):
        for x in range(TILE):
            g = clamp(bar_pixel(x, y))
            img.putpixel((x, y), (g, g, g))
    return img


def cap(left):
    """An end cap. Its inner columns continue the tile's rows (phase of the bar's first column for
    the left cap); the outer column is dark and the next one half dark, with the corners darkest."""
    img = Image.new("RGB", (CAP, H))
    for y in range(H):
        # How close the row is to the top or bottom edge: 0 in the middle, 1 at the edges.
        edge = abs(y - (H - 1) / 2.0) / ((H - 1) / 2.0)
        outer = 210 - 58 * edge ** 2          # 152 at the corners, 210 in the middle
        for x in range(CAP):
            dist = x if left else CAP - 1 - x  # 0 = outer column
            g = bar_pixel(x, y)
            if dist == 0:
                g = outer
            elif dist == 1:
                g = (g + outer) / 2 + 6
            elif dist == 2 and (y <= 1 or y >= H - 2):
                g = (g * 3 + outer) / 4
            img.putpixel((x, y), (clamp(g),) * 3)
    return img


def mix(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def ball(base_top, base_bottom, rim, glyph=None, glyph_colour=(255, 255, 255)):
    """An 18 x 18 glass ball. base_top/base_bottom: body colours at the top and bottom."""
    size = 18
    cx, cy, r = 9.0, 9.0, 8.4
    img = Image.new("RGBA", (size, size))
    for py in range(size):
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            cover = 0
            for sy in range(SUB):
                for sx in range(SUB):
                    x = px + (sx + 0.5) / SUB
                    y = py + (sy + 0.5) / SUB
                    d = math.hypot(x - cx, y - cy)
                    if d > r:
                        continue
                    cover += 1
                    if d > r - 1.1:
                        c = rim
                    else:
                        c = mix(base_top, base_bottom, (y - (cy - r)) / (2 * r))
                        # Light gathers at the bottom inside the rim.
                        if y > cy and d > r - 3.0:
                            c = mix(c, (255, 255, 255), 0.25)
                        # The reflection: an ellipse on the upper half.
                        ex = (x - cx) / 5.6
                        ey = (y - (cy - 4.2)) / 3.2
                        e = ex * ex + ey * ey
                        if e < 1.0:
                            c = mix(c, (255, 255, 255), 0.85 - 0.55 * (y - (cy - 7.4)) / 6.4)
                        if glyph and glyph(x, y):
                            c = glyph_colour
                    acc = [acc[i] + c[i] for i in range(3)]
            if cover:
                rgb = tuple(clamp(acc[i] / cover) for i in range(3))
                img.putpixel((px, py), rgb + (clamp(cover / (SUB * SUB) * 255),))
            else:
                img.putpixel((px, py), (0, 0, 0, 0))
    return img


def cross(x, y):
    u, v = x - 9.0, y - 9.6
    if max(abs(u), abs(v)) > 3.6:
        return False
    return abs(u - v) < 1.1 or abs(u + v) < 1.1


def window(x, y):
    u, v = x - 9.0, y - 9.6
    if max(abs(u), abs(v)) > 3.7:
        return False
    return abs(u) > 2.6 or abs(v) > 2.6 or v < -1.6


def dash(x, y):
    return abs(x - 9.0) < 3.7 and abs(y - 11.6) < 1.0


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "Components", "GlassHeader", "res")
    os.makedirs(out_dir, exist_ok=True)
    images = {
        "HeaderLeft.bmp": cap(True),
        "HeaderTile.bmp": tile(),
        "HeaderRight.bmp": cap(False),
        "CloseNormal.png": ball((236, 200, 204), (250, 226, 228), (150, 110, 116)),
        "CloseHot.png": ball((200, 30, 30), (246, 96, 80), (100, 10, 10), cross),
        "MaxNormal.png": ball((232, 216, 186), (248, 238, 218), (150, 132, 100)),
        "MaxHot.png": ball((226, 142, 20), (252, 200, 80), (118, 70, 0), window),
        "MinNormal.png": ball((204, 222, 200), (228, 242, 226), (112, 136, 110)),
        "MinHot.png": ball((40, 168, 40), (120, 230, 96), (10, 90, 10), dash),
    }
    for name, img in images.items():
        path = os.path.join(out_dir, name)
        img.save(path)
        print(path, img.size, os.path.getsize(path), "bytes")


if __name__ == "__main__":
    main()
