#!/usr/bin/python3
"""Draws the program's icon: a dark glass tile carrying a small banner.

The banner runs from the default design's first colour (orange red) to its second (green), with
faint diagonal stripes like the tile pattern, a white highlight over its upper half, a black
border and three outlined pixel letters at its right end, where the default text sits.

One description in a 256 x 256 box gives both outputs, so the bitmaps and the scalable icon show
the same picture:

    scalable/apps/ID.svg             the SVG
    NxN/apps/ID.png                  N in 16 24 32 48 64 128 256 512, 8-bit RGBA

Each bitmap is drawn 8 times larger and reduced by box averaging. Details that would only blur
are left out of the small sizes: the letters below 64 pixels, the stripes below 32 (where the
strip's edges also sit on whole pixels).

Run with Debian's interpreter: /usr/bin/python3 tools/icon/make_icon.py [out_dir]
(out_dir defaults to desktop/icons/hicolor). The outputs are committed.
"""
import os
import sys

from PIL import Image, ImageDraw

APP_ID = "io.github.veskel.Veskel"
SIZES = [16, 24, 32, 48, 64, 128, 256, 512]
SUPER = 8

# The tile: a rounded square with a vertical gradient.
TILE = (16, 16, 240, 240)
TILE_RADIUS = 44
TILE_TOP = (0x2B, 0x4F, 0x86)
TILE_BOTTOM = (0x0B, 0x17, 0x2E)
TILE_RIM = (0x08, 0x10, 0x20)
TILE_SHINE = 0.22          # white over the tile's upper part

# The banner strip.
STRIP = (28, 92, 228, 164)
STRIP_LEFT = (241, 77, 33)
STRIP_RIGHT = (89, 194, 13)
STRIPE_STEP = 16           # distance between diagonal stripes along x
STRIPE_WIDTH = 6
STRIPE_ALPHA = 0.18
STRIP_SHINE = 0.42         # white over the strip's upper half
BORDER = 4                 # black frame, drawn inside the strip

# Pixel letters "VES", 3 x 5 cells each.
LETTERS = [
    ["1.1", "1.1", "1.1", "1.1", ".1."],
    ["111", "1..", "111", "1..", "111"],
    ["111", "1..", "111", "..1", "111"],
]
CELL = 8
LETTER_GAP = 8
OUTLINE = 4
TEXT_RIGHT = 212           # right end of the text
TEXT_TOP = 108


def letter_cells():
    """Top-left corners of every lit cell, in icon units."""
    width = len(LETTERS) * 3 * CELL + (len(LETTERS) - 1) * LETTER_GAP
    x0 = TEXT_RIGHT - width
    cells = []
    for i, rows in enumerate(LETTERS):
        lx = x0 + i * (3 * CELL + LETTER_GAP)
        for r, row in enumerate(rows):
            for c, ch in enumerate(row):
                if ch == "1":
                    cells.append((lx + c * CELL, TEXT_TOP + r * CELL))
    return cells


def stripes():
    """Parallelograms of the diagonal stripes (rising to the right), unclipped."""
    l, t, r, b = STRIP
    h = b - t
    polys = []
    x = l - h
    while x < r + STRIPE_STEP:
        polys.append([(x, b), (x + STRIPE_WIDTH, b), (x + STRIPE_WIDTH + h, t), (x + h, t)])
        x += STRIPE_STEP
    return polys


# ---------------------------------------------------------------------------------------- SVG

def svg():
    l, t, r, b = STRIP
    tl, tt, tr, tb = TILE
    hex3 = lambda c: "#%02x%02x%02x" % c
    out = []
    w = out.append
    w('<?xml version="1.0" encoding="UTF-8"?>')
    w('<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">')
    w('  <defs>')
    w('    <linearGradient id="tile" x1="0" y1="%d" x2="0" y2="%d" gradientUnits="userSpaceOnUse">' % (tt, tb))
    w('      <stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/>' % (hex3(TILE_TOP), hex3(TILE_BOTTOM)))
    w('    </linearGradient>')
    w('    <linearGradient id="strip" x1="%d" y1="0" x2="%d" y2="0" gradientUnits="userSpaceOnUse">' % (l, r))
    w('      <stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/>' % (hex3(STRIP_LEFT), hex3(STRIP_RIGHT)))
    w('    </linearGradient>')
    w('    <clipPath id="tileClip"><rect x="%d" y="%d" width="%d" height="%d" rx="%d"/></clipPath>'
      % (tl, tt, tr - tl, tb - tt, TILE_RADIUS))
    w('    <clipPath id="stripClip"><rect x="%d" y="%d" width="%d" height="%d"/></clipPath>' % (l, t, r - l, b - t))
    w('  </defs>')
    w('  <rect x="%d" y="%d" width="%d" height="%d" rx="%d" fill="url(#tile)" stroke="%s" stroke-width="2"/>'
      % (tl + 1, tt + 1, tr - tl - 2, tb - tt - 2, TILE_RADIUS - 1, hex3(TILE_RIM)))
    w('  <ellipse cx="128" cy="%d" rx="%d" ry="%d" fill="#ffffff" fill-opacity="%.2f" clip-path="url(#tileClip)"/>'
      % (tt - 40, (tr - tl) * 3 // 4, 110, TILE_SHINE))
    w('  <rect x="%d" y="%d" width="%d" height="%d" fill="url(#strip)"/>' % (l, t, r - l, b - t))
    w('  <g clip-path="url(#stripClip)" fill="#ffffff" fill-opacity="%.2f">' % STRIPE_ALPHA)
    for p in stripes():
        w('    <polygon points="%s"/>' % " ".join("%d,%d" % q for q in p))
    w('  </g>')
    w('  <rect x="%d" y="%d" width="%d" height="%d" fill="#ffffff" fill-opacity="%.2f"/>'
      % (l, t, r - l, (b - t) // 2, STRIP_SHINE))
    w('  <rect x="%g" y="%g" width="%d" height="%d" fill="none" stroke="#000000" stroke-width="%d"/>'
      % (l + BORDER / 2, t + BORDER / 2, r - l - BORDER, b - t - BORDER, BORDER))
    w('  <g fill="#000000">')
    for x, y in letter_cells():
        w('    <rect x="%d" y="%d" width="%d" height="%d"/>' % (x - OUTLINE, y - OUTLINE, CELL + 2 * OUTLINE, CELL + 2 * OUTLINE))
    w('  </g>')
    w('  <g fill="#ffffff">')
    for x, y in letter_cells():
        w('    <rect x="%d" y="%d" width="%d" height="%d"/>' % (x, y, CELL, CELL))
    w('  </g>')
    w('</svg>')
    return "\n".join(out) + "\n"


# ------------------------------------------------------------------------------------- bitmaps

def over(base, colour, alpha, mask):
    """Composites `colour` at `alpha` through the L-mode `mask` onto RGBA `base`."""
    layer = Image.new("RGBA", base.size, colour + (0,))
    layer.putalpha(mask.point(lambda v: int(v * alpha + 0.5)))
    return Image.alpha_composite(base, layer)


def gradient(size, a, b, horizontal, start, end):
    """An RGBA image with a linear gradient from colour a at `start` to b at `end` (pixels)."""
    w, h = size
    line = Image.new("RGBA", (w, 1) if horizontal else (1, h))
    n = w if horizontal else h
    for i in range(n):
        f = min(max((i + 0.5 - start) / float(end - start), 0.0), 1.0)
        c = tuple(int(a[k] + (b[k] - a[k]) * f + 0.5) for k in range(3)) + (255,)
        line.putpixel((i, 0) if horizontal else (0, i), c)
    return line.resize((w, h), Image.NEAREST)


def bitmap(px):
    detailed = px >= 32
    s = px * SUPER / 256.0           # big-image pixels per icon unit
    big = px * SUPER
    sc = lambda v: v * s
    img = Image.new("RGBA", (big, big), (0, 0, 0, 0))

    # Tile with rim, then the shine clipped to it.
    tl, tt, tr, tb = TILE
    tile_mask = Image.new("L", (big, big), 0)
    ImageDraw.Draw(tile_mask).rounded_rectangle([sc(tl), sc(tt), sc(tr) - 1, sc(tb) - 1], radius=sc(TILE_RADIUS), fill=255)
    img = Image.composite(gradient((big, big), TILE_TOP, TILE_BOTTOM, False, sc(tt), sc(tb)), img, tile_mask)
    rim = Image.new("L", (big, big), 0)
    d = ImageDraw.Draw(rim)
    d.rounded_rectangle([sc(tl), sc(tt), sc(tr) - 1, sc(tb) - 1], radius=sc(TILE_RADIUS), outline=255, width=max(1, round(sc(2))))
    img = over(img, TILE_RIM, 1.0, rim)
    shine = Image.new("L", (big, big), 0)
    rx, ry = (tr - tl) * 3 // 4, 110
    ImageDraw.Draw(shine).ellipse([sc(128 - rx), sc(tt - 40 - ry), sc(128 + rx), sc(tt - 40 + ry)], fill=255)
    shine = Image.composite(shine, Image.new("L", (big, big), 0), tile_mask)
    img = over(img, (255, 255, 255), TILE_SHINE, shine)

    # The strip; on small icons its edges sit on whole output pixels.
    l, t, r, b = STRIP
    if not detailed:
        snap = lambda v: round(v * px / 256.0) * SUPER
        L, T, R, B = snap(l), snap(t), snap(r), snap(b)
    else:
        L, T, R, B = sc(l), sc(t), sc(r), sc(b)
    strip_mask = Image.new("L", (big, big), 0)
    ImageDraw.Draw(strip_mask).rectangle([L, T, R - 1, B - 1], fill=255)
    img = Image.composite(gradient((big, big), STRIP_LEFT, STRIP_RIGHT, True, L, R), img, strip_mask)
    if detailed:
        st = Image.new("L", (big, big), 0)
        d = ImageDraw.Draw(st)
        for p in stripes():
            d.polygon([(sc(x), sc(y)) for x, y in p], fill=255)
        st = Image.composite(st, Image.new("L", (big, big), 0), strip_mask)
        img = over(img, (255, 255, 255), STRIPE_ALPHA, st)
    hi = Image.new("L", (big, big), 0)
    ImageDraw.Draw(hi).rectangle([L, T, R - 1, T + (B - T) // 2 - 1], fill=255)
    img = over(img, (255, 255, 255), STRIP_SHINE, hi)
    border = Image.new("L", (big, big), 0)
    bw = SUPER if not detailed else max(SUPER, round(sc(BORDER)))
    ImageDraw.Draw(border).rectangle([L, T, R - 1, B - 1], outline=255, width=bw)
    img = over(img, (0, 0, 0), 1.0, border)

    if px >= 64:
        black = Image.new("L", (big, big), 0)
        white = Image.new("L", (big, big), 0)
        db, dw = ImageDraw.Draw(black), ImageDraw.Draw(white)
        for x, y in letter_cells():
            db.rectangle([sc(x - OUTLINE), sc(y - OUTLINE), sc(x + CELL + OUTLINE) - 1, sc(y + CELL + OUTLINE) - 1], fill=255)
            dw.rectangle([sc(x), sc(y), sc(x + CELL) - 1, sc(y + CELL) - 1], fill=255)
        img = over(img, (0, 0, 0), 1.0, black)
        img = over(img, (255, 255, 255), 1.0, white)

    return img.reduce(SUPER)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "desktop", "icons", "hicolor")
    os.makedirs(os.path.join(out, "scalable", "apps"), exist_ok=True)
    with open(os.path.join(out, "scalable", "apps", APP_ID + ".svg"), "w", encoding="utf-8") as f:
        f.write(svg())
    for px in SIZES:
        d = os.path.join(out, "%dx%d" % (px, px), "apps")
        os.makedirs(d, exist_ok=True)
        bitmap(px).save(os.path.join(d, APP_ID + ".png"), optimize=True)


if __name__ == "__main__":
    main()
