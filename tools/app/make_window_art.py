#!/usr/bin/python3
"""Draws the main window's two stored bitmaps and writes them into its stored layout.

    Image2  462 x 480  the window's background: a light grey field with fine horizontal stripes
                       inside a soft blue glass frame
    Image3  400 x  48  the frame around the preview: a raised light panel with a sunken well for
                       the 350 x 20 banner at (25, 14)

Both are plain 24-bit images, written as PNG files to app/art/. The main window's stored layout
carries the same bytes; run tools/app/make_main_layout.py afterwards to write them into it.

Run with Debian's interpreter: /usr/bin/python3 tools/app/make_window_art.py
The outputs are committed.
"""
import io
import math
import os

from PIL import Image

W, H = 462, 480
FRAME = 9          # width of the blue glass band round the window
FIELD_A = 236      # the field's two stripe greys (even rows, odd rows)
FIELD_B = 229


def clamp(v):
    return max(0, min(255, int(round(v))))


def mix(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def field(y):
    g = FIELD_A if y % 2 == 0 else FIELD_B
    return (g, g, g)


def glass(t):
    """The frame band's colour at depth t (0 = outer edge, 1 = inner edge): a bright line just
    inside the dark outer line, a blue body that deepens inwards, and a pale inner lip."""
    dark = (46, 84, 140)
    light = (214, 232, 250)
    body_out = (150, 190, 232)
    body_in = (96, 146, 206)
    if t < 0.1:
        return dark
    if t < 0.25:
        return light
    if t < 0.85:
        return mix(body_out, body_in, (t - 0.25) / 0.6)
    return mix((190, 214, 238), (120, 150, 190), (t - 0.85) / 0.15)


def background():
    img = Image.new("RGB", (W, H))
    px = img.load()
    radius = 14.0
    sub = 4
    for y in range(H):
        for x in range(W):
            acc = [0.0, 0.0, 0.0]
            for sy in range(sub):
                for sx in range(sub):
                    fx = x + (sx + 0.5) / sub
                    fy = y + (sy + 0.5) / sub
                    # Distance inwards from the rounded outer edge.
                    cx = min(max(fx, radius), W - radius)
                    cy = min(max(fy, radius), H - radius)
                    if (cx, cy) != (fx, fy):
                        depth = radius - math.hypot(fx - cx, fy - cy)
                    else:
                        depth = radius + min(fx - radius, fy - radius, W - radius - fx, H - radius - fy)
                    if depth < 0:
                        c = (40, 44, 52)  # outside the rounded corner: a dark desk colour
                    elif depth < FRAME:
                        c = glass(depth / FRAME)
                        # A soft sheen over the upper part of the frame.
                        c = mix(c, (255, 255, 255), 0.18 * max(0.0, 1.0 - fy / 120.0))
                    else:
                        c = field(y)
                        # A faint shade just inside the frame.
                        if depth < FRAME + 3:
                            c = mix(c, (150, 170, 200), 0.22 * (FRAME + 3 - depth) / 3)
                    acc = [acc[i] + c[i] for i in range(3)]
            px[x, y] = tuple(clamp(a / (sub * sub)) for a in acc)
    return img


def preview_frame():
    """400 x 48, drawn at (28, 384) of the window, so row parity matches the window's field."""
    w, h = 400, 48
    top_in_window = 384
    img = Image.new("RGB", (w, h))
    px = img.load()
    well = (24, 13, 376, 35)     # the sunken well: one pixel round the banner at (25, 14)
    panel = (6, 4, 394, 44)      # the raised panel
    r = 8.0
    for y in range(h):
        for x in range(w):
            c = field(y + top_in_window)
            fx, fy = x + 0.5, y + 0.5
            # Rounded panel: distance inwards from its edge.
            cx = min(max(fx, panel[0] + r), panel[2] - r)
            cy = min(max(fy, panel[1] + r), panel[3] - r)
            if (cx, cy) != (fx, fy):
                d = r - math.hypot(fx - cx, fy - cy)
            else:
                d = r + min(fx - panel[0] - r, fy - panel[1] - r, panel[2] - r - fx, panel[3] - r - fy)
            if d >= 0:
                if d < 1:
                    c = mix(c, (120, 140, 170), min(1.0, d + 0.5))
                elif d < 2:
                    c = (250, 252, 255) if fy < (panel[1] + panel[3]) / 2 else (200, 210, 224)
                else:
                    c = mix((246, 248, 252), (214, 222, 234), (fy - panel[1]) / (panel[3] - panel[1]))
            elif d > -2.5 and fy > panel[1] + 2:
                # A soft shadow below and to the right of the panel.
                c = mix(c, (150, 156, 166), 0.35 * (2.5 + d) / 2.5)
            # The well: dark top and left lines, light bottom and right lines, black inside.
            l, t, rr, b = well
            if l <= x < rr and t <= y < b:
                if y == t or x == l:
                    c = (96, 104, 118)
                elif y == b - 1 or x == rr - 1:
                    c = (255, 255, 255)
                else:
                    c = (0, 0, 0)
            elif l - 1 <= x < rr + 1 and t - 1 <= y < b + 1:
                c = (172, 180, 194) if (y == t - 1 or x == l - 1) else (236, 240, 246)
            px[x, y] = tuple(clamp(v) for v in c)
    return img


def png_bytes(img):
    buf = io.BytesIO()
    img.save(buf, format="PNG", optimize=True)
    return buf.getvalue()


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    art_dir = os.path.join(root, "app", "art")
    os.makedirs(art_dir, exist_ok=True)
    images = {"Image2": background(), "Image3": preview_frame()}
    for name, img in images.items():
        data = png_bytes(img)
        path = os.path.join(art_dir, name + ".png")
        with open(path, "wb") as f:
            f.write(data)
        print(path, img.size, len(data), "bytes")


if __name__ == "__main__":
    main()
