#!/usr/bin/python3
"""Draws the images of the image buttons (8-bit RGBA PNG).

Arrows of the main window's pulse buttons (Components/PulseButton/res), glossy blue-cyan glass
with a dark blue rim, each 1 pixel smaller than its button on every side:

    ArrowLeft.png, ArrowRight.png   39 x 23   (41 x 25 buttons)
    ArrowUp.png, ArrowDown.png      23 x 39   (25 x 41 buttons)
    ArrowUpLeft.png, ArrowUpRight.png, ArrowDownLeft.png, ArrowDownRight.png
                                    30 x 30   (32 x 32 corner buttons), diagonal

The colours are chosen so that the pulse shows: the pulse moves every pixel's lightness towards
its channel average, which lifts cyan and light blue visibly and leaves white alone.

Icons of the palette pop-up's buttons (Components/GroupPNGButtons/res), 14 x 14:

    flip.png         a curved arrow with a head at each end (swap the two colours)
    BlackWhite.png   a black square overlapping a white one at its lower right (default colours)

Every pixel is sampled 6 x 6 times, so the shapes' edges fade out through alpha.

Run with Debian's interpreter: /usr/bin/python3 tools/skins/make_image_buttons.py [out_root]
(out_root defaults to the repository's Components folder). The outputs are committed.
"""
import math
import os
import sys

from PIL import Image

SUB = 6


def mix(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def polygon_distance(x, y, pts):
    """Signed distance to a simple polygon: negative inside."""
    d = min(segment_distance(x, y, *pts[i], *pts[(i + 1) % len(pts)]) for i in range(len(pts)))
    inside = False
    j = len(pts) - 1
    for i in range(len(pts)):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return -d if inside else d


def render(width, height, shade):
    """shade(x, y) -> ((r, g, b), coverage 0..1) for one sample point."""
    img = Image.new("RGBA", (width, height))
    px = img.load()
    for py in range(height):
        for pxl in range(width):
            acc = [0.0, 0.0, 0.0]
            alpha = 0.0
            for sy in range(SUB):
                for sx in range(SUB):
                    c, a = shade(pxl + (sx + 0.5) / SUB, py + (sy + 0.5) / SUB)
                    if a > 0:
                        acc = [acc[i] + c[i] * a for i in range(3)]
                        alpha += a
            rgb = tuple(int(round(acc[i] / alpha)) for i in range(3)) if alpha > 0 else (0, 0, 0)
            px[pxl, py] = rgb + (int(round(alpha / (SUB * SUB) * 255)),)
    return img


# ---------------------------------------------------------------- arrows

RIM = (16, 64, 128)
GLOSS_TOP = (200, 240, 255)
GLOSS_BOTTOM = (96, 200, 250)
BODY_TOP = (20, 170, 240)
BODY_BOTTOM = (70, 215, 255)


def arrow_outline(length, shaft, head, head_len):
    """An arrow pointing along +x, centred on the origin: (x, y) points of its outline."""
    x0 = -length / 2.0
    x1 = length / 2.0
    xh = x1 - head_len
    return [(x0, -shaft), (xh, -shaft), (xh, -head), (x1, 0.0), (xh, head), (xh, shaft), (x0, shaft)]


def arrow(width, height, angle_deg, length, shaft, head, head_len):
    cos_a = math.cos(math.radians(angle_deg))
    sin_a = math.sin(math.radians(angle_deg))
    cx, cy = width / 2.0, height / 2.0
    pts = [(cx + x * cos_a - y * sin_a, cy + x * sin_a + y * cos_a)
           for x, y in arrow_outline(length, shaft, head, head_len)]
    top = min(p[1] for p in pts)
    bottom = max(p[1] for p in pts)
    mid = (top + bottom) / 2.0

    def shade(x, y):
        d = polygon_distance(x, y, pts)
        if d >= 0:
            return (0, 0, 0), 0.0
        if d > -1.2:
            return RIM, 1.0
        if y < mid:  # glossy upper half
            return mix(GLOSS_TOP, GLOSS_BOTTOM, (y - top) / (mid - top)), 1.0
        return mix(BODY_TOP, BODY_BOTTOM, (y - mid) / (bottom - mid)), 1.0

    return render(width, height, shade)


def arrows():
    straight = dict(length=35.0, shaft=4.2, head=10.0, head_len=14.0)
    diagonal = dict(length=34.0, shaft=3.8, head=9.0, head_len=12.5)
    return {
        "ArrowRight.png": arrow(39, 23, 0, **straight),
        "ArrowLeft.png": arrow(39, 23, 180, **straight),
        "ArrowDown.png": arrow(23, 39, 90, **straight),
        "ArrowUp.png": arrow(23, 39, 270, **straight),
        "ArrowDownRight.png": arrow(30, 30, 45, **diagonal),
        "ArrowDownLeft.png": arrow(30, 30, 135, **diagonal),
        "ArrowUpLeft.png": arrow(30, 30, 225, **diagonal),
        "ArrowUpRight.png": arrow(30, 30, 315, **diagonal),
    }


# ---------------------------------------------------------------- icons

INK = (40, 40, 40)


def flip_icon():
    """A quarter arc from the top-left to the bottom-right, with an arrowhead at each end."""
    cx, cy, r = 2.5, 11.5, 8.5  # arc centre at the lower left: it bulges to the upper right

    def shade(x, y):
        ang = math.atan2(cy - y, x - cx)  # 0 = pointing right, pi/2 = up
        dist_arc = abs(math.hypot(x - cx, y - cy) - r)
        on_arc = 0.15 <= ang <= math.pi / 2 - 0.15 and dist_arc < 0.8
        # Heads: at the top end pointing left, at the right end pointing down.
        head_top = polygon_distance(x, y, [(0.4, 3.0), (4.2, 0.2), (4.2, 5.8)]) < 0
        head_right = polygon_distance(x, y, [(11.0, 13.6), (8.2, 9.8), (13.8, 9.8)]) < 0
        if on_arc or head_top or head_right:
            return INK, 1.0
        return (0, 0, 0), 0.0

    return render(14, 14, shade)


def black_white_icon():
    """Crisp pixel art: the white square (grey rim) behind, the black square in front."""
    img = Image.new("RGBA", (14, 14), (0, 0, 0, 0))
    px = img.load()
    for y in range(5, 14):
        for x in range(5, 14):
            rim = x in (5, 13) or y in (5, 13)
            px[x, y] = (110, 110, 110, 255) if rim else (255, 255, 255, 255)
    for y in range(0, 9):
        for x in range(0, 9):
            px[x, y] = (0, 0, 0, 255)
    return img


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "Components")
    pulse_dir = os.path.join(root, "PulseButton", "res")
    group_dir = os.path.join(root, "GroupPNGButtons", "res")
    os.makedirs(pulse_dir, exist_ok=True)
    os.makedirs(group_dir, exist_ok=True)
    for name, img in arrows().items():
        img.save(os.path.join(pulse_dir, name), optimize=True)
    flip_icon().save(os.path.join(group_dir, "flip.png"), optimize=True)
    black_white_icon().save(os.path.join(group_dir, "BlackWhite.png"), optimize=True)


if __name__ == "__main__":
    main()
