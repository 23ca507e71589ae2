#!/usr/bin/python3
"""Draws the three stock skins of the glass push button (8-bit RGBA PNG).

    GlassButtonNormal.png  91 x 25  white glass capsule, dark grey rim, light grey upper half
    GlassButtonBlue.png    91 x 25  the same capsule in blue, pale blue upper half, cyan lower half
    GlassButtonSmall.png   36 x 29  small light-blue glass tile with bevelled corners

Every pixel is sampled 6 x 6 times against a signed-distance description of the shape, so the
outline fades out through alpha and the button blends with any background. A soft shadow below
the body never rises above alpha 28.

Run with Debian's interpreter: /usr/bin/python3 tools/skins/make_glass_button.py [out_dir]
(out_dir defaults to Components/SGlassButton/res). The outputs are committed.
"""
import math
import os
import sys

from PIL import Image

SUB = 6              # samples per pixel side
SHADOW_ALPHA = 28.0  # strongest shadow alpha


def capsule_distance(x, y, left, top, right, bottom):
    """Signed distance to a capsule (rounded ends of radius half the height); negative inside."""
    r = (bottom - top) / 2.0
    cy = (top + bottom) / 2.0
    cx = min(max(x, left + r), right - r)
    return math.hypot(x - cx, y - cy) - r


def bevel_distance(x, y, left, top, right, bottom, cut):
    """Signed distance (approximate, fine for shading) to a rectangle with 45-degree corner cuts."""
    d_box = max(left - x, x - right, top - y, y - bottom)
    # Corner cuts: the lines x' + y' = cut measured from each corner.
    dx = min(x - left, right - x)
    dy = min(y - top, bottom - y)
    d_cut = (cut - (dx + dy)) / math.sqrt(2.0)
    return max(d_box, d_cut)


def mix(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def render(width, height, distance, body_colour, shadow_distance):
    """distance(x, y) -> signed distance of the body; body_colour(x, y, d) -> (r, g, b);
    shadow_distance(x, y) -> signed distance of the shadow's shape (a shifted body)."""
    img = Image.new("RGBA", (width, height))
    px = img.load()
    for py in range(height):
        for pxl in range(width):
            acc = [0.0, 0.0, 0.0]
            alpha = 0.0
            for sy in range(SUB):
                for sx in range(SUB):
                    x = pxl + (sx + 0.5) / SUB
                    y = py + (sy + 0.5) / SUB
                    d = distance(x, y)
                    if d < 0:
                        c = body_colour(x, y, d)
                        a = 1.0
                    else:
                        # Shadow: fades over two pixels from the shifted outline.
                        ds = shadow_distance(x, y)
                        a = SHADOW_ALPHA / 255.0 * max(0.0, 1.0 - max(ds, 0.0) / 2.0) if ds < 2.0 else 0.0
                        c = (0.0, 0.0, 0.0)
                    acc = [acc[i] + c[i] * a for i in range(3)]
                    alpha += a
            n = SUB * SUB
            if alpha > 0:
                rgb = tuple(int(round(acc[i] / alpha)) for i in range(3))
            else:
                rgb = (0, 0, 0)
            px[pxl, py] = rgb + (int(round(alpha / n * 255)),)
    return img


def glass_capsule(rim, upper_top, upper_bottom, lower_top, lower_bottom, gloss):
    """A capsule 91 x 25: body rows 0..22, shadow below. Colours are (r, g, b) tuples."""
    left, top, right, bottom = 0.5, 0.5, 90.5, 22.5
    mid = (top + bottom) / 2.0

    def dist(x, y):
        return capsule_distance(x, y, left, top, right, bottom)

    def shadow(x, y):
        return capsule_distance(x, y - 1.6, left + 2.0, top, right - 2.0, bottom)

    def colour(x, y, d):
        if d > -1.15:                      # the rim
            return rim
        if y < mid:                        # glossy upper half
            c = mix(upper_top, upper_bottom, (y - top) / (mid - top))
            # A narrow bright streak just under the rim sells the glass.
            if d > -2.6 and y < top + 3.5:
                c = mix(c, gloss, 0.65)
            return c
        c = mix(lower_top, lower_bottom, (y - mid) / (bottom - mid))
        # Light gathers at the bottom inside the rim.
        if d > -2.4 and y > bottom - 4.0:
            c = mix(c, gloss, 0.35)
        return c

    return render(91, 25, dist, colour, shadow)


def small_tile():
    """A 36 x 29 light-blue glass tile with bevelled corners: body rows 0..26, shadow below."""
    left, top, right, bottom, cut = 0.5, 0.5, 35.5, 26.5, 4.0
    mid = (top + bottom) / 2.0
    rim = (70, 120, 175)
    gloss = (255, 255, 255)

    def dist(x, y):
        return bevel_distance(x, y, left, top, right, bottom, cut)

    def shadow(x, y):
        return bevel_distance(x, y - 1.6, left + 1.5, top, right - 1.5, bottom, cut)

    def colour(x, y, d):
        if d > -1.15:
            return rim
        if d > -2.15:                      # inner bevel: lit from above, shaded below
            return mix((235, 246, 255), (150, 195, 232), (y - top) / (bottom - top))
        if y < mid:
            return mix((226, 241, 253), (196, 224, 247), (y - top) / (mid - top))
        c = mix((160, 208, 242), (196, 232, 252), (y - mid) / (bottom - mid))
        return c

    return render(36, 29, dist, colour, shadow)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "Components", "SGlassButton", "res")
    os.makedirs(out_dir, exist_ok=True)
    skins = {
        "GlassButtonNormal.png": glass_capsule(
            rim=(92, 92, 92),
            upper_top=(232, 232, 232), upper_bottom=(206, 206, 206),
            lower_top=(238, 238, 238), lower_bottom=(252, 252, 252),
            gloss=(255, 255, 255)),
        "GlassButtonBlue.png": glass_capsule(
            rim=(28, 58, 128),
            upper_top=(226, 240, 254), upper_bottom=(186, 214, 246),
            lower_top=(96, 200, 236), lower_bottom=(150, 232, 252),
            gloss=(255, 255, 255)),
        "GlassButtonSmall.png": small_tile(),
    }
    for name, img in skins.items():
        path = os.path.join(out_dir, name)
        img.save(path, optimize=True)
        print(path, img.size, os.path.getsize(path), "bytes")


if __name__ == "__main__":
    main()
