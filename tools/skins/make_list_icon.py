#!/usr/bin/python3
"""Draws the sample list-entry icon used by the glass list box tests and demo: a 14 x 14 24-bit
BMP (list icons are bitmaps copied opaquely) showing a blue glass drop on a white ground.

Run with Debian's interpreter: /usr/bin/python3 tools/skins/make_list_icon.py [out_file]
(out_file defaults to tests/data/components/ListIcon.bmp). The output is committed.
"""
import math
import os
import sys

from PIL import Image

SIZE = 14
SUB = 4


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(os.path.join(
        os.path.dirname(__file__), "..", "..", "tests", "data", "components", "ListIcon.bmp"))
    os.makedirs(os.path.dirname(out), exist_ok=True)
    img = Image.new("RGB", (SIZE, SIZE), (255, 255, 255))
    px = img.load()
    cx, cy, r = 7.0, 8.0, 5.2
    for y in range(SIZE):
        for x in range(SIZE):
            acc = [0.0, 0.0, 0.0]
            for sy in range(SUB):
                for sx in range(SUB):
                    u = x + (sx + 0.5) / SUB
                    v = y + (sy + 0.5) / SUB
                    # A drop: a circle with a point on top.
                    d = math.hypot(u - cx, v - cy) - r
                    if v < cy:
                        d = max(d, abs(u - cx) - (v - (cy - r - 3.0)) * 0.6)
                    if d < 0:
                        rim = d > -0.9
                        h = max(0.0, 1.0 - math.hypot(u - 5.3, v - 6.3) / 3.2)
                        if rim:
                            c = (20, 70, 150)
                        else:
                            c = tuple(a + (255 - a) * h for a in (40, 130, 230))
                    else:
                        c = (255, 255, 255)
                    acc = [acc[i] + c[i] for i in range(3)]
            px[x, y] = tuple(int(round(a / (SUB * SUB))) for a in acc)
    img.save(out, format="BMP")
    print(out, img.size, os.path.getsize(out), "bytes")


if __name__ == "__main__":
    main()
