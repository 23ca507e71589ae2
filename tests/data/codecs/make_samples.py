#!/usr/bin/python3
"""Writes the codec test samples in this folder with encoders other than ours (Pillow and
ImageMagick), so the decoders are checked against independent files. The pixel patterns match
the ones in tests/codecs/CodecTestUtil.h. Run with /usr/bin/python3 from this folder."""
import os
import subprocess
from PIL import Image

W, H = 13, 7
IM = "/usr/bin/convert-im6.q16"


def rgb(x, y):
    return ((x * 37 + y * 11) & 255, (x * 5 + y * 71 + 9) & 255, (x * x * 3 + y * 29) & 255)


def alpha(x, y):
    return (x * 19 + y * 40) & 255


def grey(x, y):
    return (x * 19 + y * 31) & 255


def index(x, y):
    return (x + 3 * y) % 16


PALETTE = [(i * 16, 255 - i * 15, (i * 53) & 255) for i in range(16)]


def smooth(x, y):
    # Low-frequency content for the lossy format.
    return (x * 7, y * 7, 128)


def make(mode, w, h, fn):
    img = Image.new(mode, (w, h))
    img.putdata([fn(x, y) for y in range(h) for x in range(w)])
    return img


def paletted():
    img = Image.new("P", (W, H))
    img.putpalette([c for e in PALETTE for c in e])
    img.putdata([index(x, y) for y in range(H) for x in range(W)])
    return img


def im(args):
    subprocess.run([IM] + args, check=True)


def main():
    os.chdir(os.path.dirname(os.path.abspath(__file__)))
    rgb_img = make("RGB", W, H, rgb)
    rgba_img = make("RGBA", W, H, lambda x, y: rgb(x, y) + (alpha(x, y),))
    grey_img = make("L", W, H, grey)

    # PNG
    rgb_img.save("rgb.png")
    rgba_img.save("rgba.png")
    grey_img.save("grey.png")
    make("LA", W, H, lambda x, y: (grey(x, y), alpha(x, y))).save("grey_alpha.png")
    paletted().save("palette4.png")  # 16 colours: 4 bits per pixel
    pt = paletted()
    pt.save("palette_trns.png", transparency=bytes([(i * 17) & 255 for i in range(16)]))
    rgb_img.save("rgb_colour_key.png", transparency=rgb(2, 1))
    make("I;16", W, H, lambda x, y: grey(x, y) * 257).save("grey16.png")
    make("1", W, H, lambda x, y: 255 if (x ^ y) & 1 else 0).save("mono.png")
    grey_img.save("grey_key.png", transparency=grey(3, 2))
    im(["rgba.png", "-interlace", "PNG", "PNG32:interlaced.png"])
    im(["rgba.png", "-depth", "16", "PNG64:rgba16.png"])
    im(["palette4.png", "-interlace", "PNG", "PNG8:interlaced_palette.png"])
    im(["rgb.png", "-depth", "16", "PNG48:rgb16.png"])

    # JPEG
    s = make("RGB", 32, 32, smooth)
    s.save("smooth.jpg", quality=95)
    s.save("progressive.jpg", quality=95, progressive=True)
    s.convert("L").save("grey.jpg", quality=95)
    s.convert("CMYK").save("cmyk.jpg", quality=95)
    # Rows of blocks wider than a page of coefficients: the same coefficients in one scan and in
    # progressive scans decode to the same pixels.
    wide = make("RGB", 1024, 64, lambda x, y: (x // 4, (y * 4) & 255, (x + y) & 255))
    wide.save("wide.jpg", quality=90)
    wide.save("wide_progressive.jpg", quality=90, progressive=True)

    # GIF
    paletted().save("plain.gif", interlace=False)
    paletted().save("interlaced.gif", interlace=True)
    second = Image.new("P", (W, H), 0)
    second.putpalette([c for e in PALETTE for c in e])
    paletted().save("animated.gif", save_all=True, append_images=[second], duration=100, loop=0)

    # BMP
    make("1", W, H, lambda x, y: 255 if (x ^ y) & 1 else 0).save("mono.bmp")
    paletted().save("palette8.bmp")
    rgb_img.save("rgb24.bmp")
    rgba_img.save("bgra32.bmp")
    im(["rgb.png", "-type", "Palette", "-colors", "256", "-compress", "RLE", "BMP3:rle8.bmp"])
    im(["rgb.png", "-define", "bmp:subtype=RGB565", "BMP:rgb565.bmp"])
    im(["rgb.png", "BMP2:os2.bmp"])
    im(["rgba.png", "BMP:v5.bmp"])


if __name__ == "__main__":
    main()
