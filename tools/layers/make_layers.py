#!/usr/bin/python3
"""Draws the six white highlight ("mirror") layers of the banner as 350 x 19 RGBA PNGs.

Each layer is a shape anchored to the top or the bottom row. Its height per column follows a
smooth curve (a natural cubic spline) through the heights listed below, sampled every 25 columns.
A column of height h gets floor(h) rows at the layer's inside alpha and one edge pixel carrying the
fraction, so the column's alpha sum divided by the inside alpha is h. Every pixel is white; only the
alpha varies. Layer 5 is layer 4 turned upside down, pixel for pixel.

Run with /usr/bin/python3 (Debian's PIL):  /usr/bin/python3 tools/layers/make_layers.py [OUT_DIR]
The default output folder is banner/res/ next to this script's repository root.
"""
import math
import os
import sys

from PIL import Image

WIDTH = 350
HEIGHT = 19

XS = [0, 25, 50, 75, 100, 125, 150, 175, 200, 225, 250, 275, 300, 325, 349]

# index: (file name, inside alpha, anchor, heights at XS)
LAYERS = {
    0: ("mirror0_wave_bottom.png", 82, "bottom",
        [6.2, 8.2, 9.8, 10.4, 10.4, 10.0, 9.8, 9.4, 8.8, 7.8, 6.6, 5.8, 5.0, 6.2, 7.4]),
    1: ("mirror1_wave_top.png", 82, "top",
        [7.2, 9.2, 10.8, 11.4, 11.4, 11.0, 10.8, 10.4, 9.8, 8.8, 7.6, 6.8, 6.0, 7.2, 8.4]),
    2: ("mirror2_wave_left.png", 99, "bottom",
        [17.8, 15.0, 12.7, 10.8, 9.4, 8.6, 8.2, 8.4, 8.8, 8.6, 7.8, 6.5, 4.6, 2.2, 0.0]),
    3: ("mirror3_wave_right.png", 99, "bottom",
        [0.0, 2.5, 4.8, 6.6, 8.0, 8.6, 8.8, 8.4, 8.2, 8.6, 9.6, 11.0, 12.8, 15.2, 13.4]),
    4: ("mirror4_ellipse_bottom.png", 74, "bottom",
        [0.0, 3.5, 6.6, 8.7, 10.2, 11.0, 11.2, 11.0, 11.2, 10.8, 10.0, 8.4, 6.2, 3.4, 0.1]),
}
FLIPPED = {5: ("mirror5_ellipse_top.png", 4)}


def natural_spline(xs, ys):
    """Returns f(x) for the natural cubic spline through (xs, ys)."""
    n = len(xs)
    h = [xs[i + 1] - xs[i] for i in range(n - 1)]
    # Second derivatives m with m[0] = m[n-1] = 0: solve the tridiagonal system.
    a = [0.0] * n
    b = [1.0] * n
    c = [0.0] * n
    d = [0.0] * n
    for i in range(1, n - 1):
        a[i] = h[i - 1]
        b[i] = 2.0 * (h[i - 1] + h[i])
        c[i] = h[i]
        d[i] = 6.0 * ((ys[i + 1] - ys[i]) / h[i] - (ys[i] - ys[i - 1]) / h[i - 1])
    for i in range(1, n):
        w = a[i] / b[i - 1]
        b[i] -= w * c[i - 1]
        d[i] -= w * d[i - 1]
    m = [0.0] * n
    m[n - 1] = d[n - 1] / b[n - 1]
    for i in range(n - 2, -1, -1):
        m[i] = (d[i] - c[i] * m[i + 1]) / b[i]

    def f(x):
        i = min(max(0, next((k for k in range(n - 1) if x <= xs[k + 1]), n - 2)), n - 2)
        t0 = xs[i + 1] - x
        t1 = x - xs[i]
        hi = h[i]
        return (m[i] * t0 ** 3 / (6 * hi) + m[i + 1] * t1 ** 3 / (6 * hi)
                + (ys[i] / hi - m[i] * hi / 6) * t0 + (ys[i + 1] / hi - m[i + 1] * hi / 6) * t1)

    return f


def column_alphas(height, inside):
    """Alpha per row counted from the anchor row: full rows, then one edge pixel with the fraction."""
    height = min(max(height, 0.0), float(HEIGHT))
    full = int(math.floor(height))
    out = [inside] * full
    if full < HEIGHT:
        out.append(int(math.floor((height - full) * inside + 0.5)))
    out += [0] * (HEIGHT - len(out))
    return out[:HEIGHT]


def draw_layer(inside, anchor, heights):
    f = natural_spline(XS, heights)
    img = Image.new("RGBA", (WIDTH, HEIGHT), (255, 255, 255, 0))
    px = img.load()
    for x in range(WIDTH):
        alphas = column_alphas(f(x), inside)
        for k, alpha in enumerate(alphas):
            y = HEIGHT - 1 - k if anchor == "bottom" else k
            px[x, y] = (255, 255, 255, alpha)
    return img


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "banner", "res")
    os.makedirs(out_dir, exist_ok=True)
    images = {}
    for index, (name, inside, anchor, heights) in LAYERS.items():
        images[index] = draw_layer(inside, anchor, heights)
        images[index].save(os.path.join(out_dir, name), optimize=True)
    for index, (name, source) in FLIPPED.items():
        images[index] = images[source].transpose(Image.FLIP_TOP_BOTTOM)
        images[index].save(os.path.join(out_dir, name), optimize=True)
    print("wrote %d layers to %s" % (len(images), out_dir))


if __name__ == "__main__":
    main()
