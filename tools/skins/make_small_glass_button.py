#!/usr/bin/python3
"""Writes the three stock bitmaps of the small glass button (uncompressed 24-bit BMP, grey).

    SmallGlassLeft.bmp    4 x 18   left end cap     (272 bytes)
    SmallGlassRight.bmp   4 x 18   right end cap    (272 bytes)
    SmallGlassMiddle.bmp 28 x 18   middle tile      (1568 bytes)

The bar: a dark outline at rows 1 and 15, a white glass body that dips to light grey at rows 7
and 8 and is brightest at row 13, and rounded ends drawn by the caps. The tile's columns carry a
faint horizontal ripple (at most two levels either way) so that long bars do not look flat.

The files end with two zero bytes after the pixel rows, as the bitmap writer of the classic
platform leaves them; the header's file size counts them.

Run with Debian's interpreter: /usr/bin/python3 tools/skins/make_small_glass_button.py [out_dir]
(out_dir defaults to Components/SmallGlassButton/res). The outputs are committed.
"""
import math
import os
import struct
import sys

# Grey levels, rows from the top, columns left to right.
LEFT_CAP = [
    [235, 233, 231, 229],
    [232, 228, 191, 162],
    [228, 191, 163, 233],
    [222, 144, 201, 250],
    [217, 150, 213, 241],
    [214, 163, 216, 239],
    [213, 172, 214, 237],
    [213, 179, 208, 225],
    [213, 188, 216, 226],
    [213, 193, 221, 233],
    [213, 196, 225, 240],
    [213, 195, 230, 246],
    [213, 175, 233, 254],
    [214, 172, 200, 252],
    [217, 195, 165, 174],
    [224, 208, 182, 161],
    [229, 219, 206, 196],
    [233, 229, 222, 217],
]

RIGHT_CAP = [
    [229, 231, 233, 235],
    [162, 190, 228, 232],
    [234, 161, 192, 228],
    [249, 202, 146, 222],
    [241, 213, 150, 217],
    [239, 217, 164, 214],
    [237, 214, 171, 213],
    [225, 210, 179, 213],
    [225, 215, 187, 213],
    [235, 221, 192, 213],
    [242, 224, 198, 213],
    [244, 231, 194, 213],
    [251, 233, 175, 213],
    [253, 200, 174, 214],
    [174, 166, 195, 217],
    [158, 182, 208, 224],
    [196, 206, 219, 229],
    [217, 222, 229, 233],
]

# Per row of the middle tile: (typical, lowest, highest).
MIDDLE_ROWS = [
    (229, 229, 229), (155, 152, 156), (246, 244, 248), (247, 243, 250), (240, 236, 243),
    (238, 232, 243), (238, 235, 243), (227, 224, 231), (228, 225, 233), (236, 234, 239),
    (242, 238, 248), (248, 245, 251), (253, 251, 255), (255, 255, 255), (202, 199, 204),
    (130, 129, 139), (189, 189, 190), (213, 213, 214),
]
TILE_WIDTH = 28


def middle_tile():
    rows = []
    for typical, low, high in MIDDLE_ROWS:
        row = []
        for x in range(TILE_WIDTH):
            # One full ripple across the tile, so neighbouring tiles join without a seam.
            ripple = round(1.5 * math.sin(2 * math.pi * x / TILE_WIDTH))
            row.append(min(max(typical + ripple, low), high))
        rows.append(row)
    return rows


def bmp_bytes(rows):
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for v in row:
            line += bytes((v, v, v))
        line += bytes(stride - len(line))
        pixels += line
    tail = bytes(2)
    image_size = len(pixels) + len(tail)
    file_size = 54 + image_size
    header = struct.pack("<2sIHHI", b"BM", file_size, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, image_size, 0, 0, 0, 0)
    return header + info + pixels + tail


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "Components", "SmallGlassButton", "res")
    os.makedirs(out_dir, exist_ok=True)
    for name, rows in (("SmallGlassLeft.bmp", LEFT_CAP), ("SmallGlassRight.bmp", RIGHT_CAP),
                       ("SmallGlassMiddle.bmp", middle_tile())):
        data = bmp_bytes(rows)
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)
        print(name, len(data), "bytes")


if __name__ == "__main__":
    main()
