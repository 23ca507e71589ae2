#!/usr/bin/python3
"""Draws the frame of the glass edit field: three 24-bit BMP strips, all grey.

    GlassEditLeft.bmp    2 x 18  outer column, inner column
    GlassEditRight.bmp   2 x 18  the left cap mirrored (inner column, outer column)
    GlassEditMiddle.bmp  1 x 18  stretched between the caps

The top rows are dark and lighten downwards (a soft inner shadow under a dark top edge); the
bottom row is a mid grey line. The levels are fixed values, not a rendering, so the frame looks
the same whatever resampler stretches the middle strip.

Run with Debian's interpreter: /usr/bin/python3 tools/skins/make_glass_edit.py [out_dir]
(out_dir defaults to Components/GlassEdit/res). The outputs are committed.
"""
import os
import sys

from PIL import Image

# Grey levels per row: (left cap outer, left cap inner, middle).
TOP = [(39, 62, 69), (92, 151, 170), (123, 201, 227)]
BODY = (139, 227, 255)   # rows 3 to 16
BOTTOM = (102, 164, 185)  # row 17
ROWS = TOP + [BODY] * 14 + [BOTTOM]


def strip(columns):
    """columns: for each x, the index into a row triple."""
    img = Image.new("RGB", (len(columns), len(ROWS)))
    px = img.load()
    for y, levels in enumerate(ROWS):
        for x, c in enumerate(columns):
            v = levels[c]
            px[x, y] = (v, v, v)
    return img


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(os.path.join(
        os.path.dirname(__file__), "..", "..", "Components", "GlassEdit", "res"))
    os.makedirs(out_dir, exist_ok=True)
    images = {
        "GlassEditLeft.bmp": strip([0, 1]),
        "GlassEditRight.bmp": strip([1, 0]),
        "GlassEditMiddle.bmp": strip([2]),
    }
    for name, img in images.items():
        path = os.path.join(out_dir, name)
        img.save(path, format="BMP")
        print(path, img.size, os.path.getsize(path), "bytes")


if __name__ == "__main__":
    main()
