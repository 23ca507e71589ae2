#!/usr/bin/python3
"""Writes the crafted files in this folder: tiny files whose headers declare huge images. Each
must be refused (or decoded) by our decoders at a small cost in memory. Run with /usr/bin/python3
from this folder."""
import io
import struct
import zlib
from PIL import Image

W, H = 16384, 3906


def bmp_header(width, height, bits, compression, image_bytes, palette=b""):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, image_bytes, 2835, 2835, 0, 0)
    offset = 14 + len(info) + len(palette)
    return b"BM" + struct.pack("<IHHI", 0, 0, 0, offset) + info + palette


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


# 24-bit BMP: 154 bytes, a few pixels of a 16384 x 3906 image.
write("huge_frame.bmp", bmp_header(W, H, 24, 0, 0) + bytes(100))

# RLE8 BMP of that size whose data is only the end-of-bitmap code.
palette = b"".join(struct.pack("<BBBB", i, i, i, 0) for i in range(256))
write("huge_rle8_eob.bmp", bmp_header(W, H, 8, 1, 2, palette) + b"\x00\x01")


def patch_sof(data, width, height):
    # The first start-of-frame marker's height and width.
    for marker in (b"\xff\xc0", b"\xff\xc2"):
        at = data.find(marker)
        if at >= 0:
            return data[:at + 5] + struct.pack(">HH", height, width) + data[at + 9:]
    raise ValueError("no frame header")


def small_jpeg(progressive):
    img = Image.new("RGB", (24, 16))
    img.putdata([((x * 37) & 255, (y * 71) & 255, (x * y) & 255) for y in range(16) for x in range(24)])
    out = io.BytesIO()
    img.save(out, "JPEG", quality=90, progressive=progressive, optimize=False)
    return out.getvalue()


write("huge_frame_baseline.jpg", patch_sof(small_jpeg(False), W, H))
write("huge_frame_progressive.jpg", patch_sof(small_jpeg(True), W, H))

# GIF: a 16000 x 4000 logical screen whose one 4 x 4 frame is cut off after its first codes.
gif = b"GIF89a" + struct.pack("<HHBBB", 16000, 4000, 0x80, 0, 0) + b"\x00\x00\x00\xff\xff\xff"
gif += b"\x2c" + struct.pack("<HHHHB", 0, 0, 4, 4, 0) + b"\x02\x02\x44\x01"
write("huge_screen.gif", gif)


def png_chunk(kind, payload):
    return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", zlib.crc32(kind + payload))


def zero_png(width, height):
    # RGBA, every byte zero; the rows are compressed one at a time so no whole image is held.
    row = bytes(1 + 4 * width)
    comp = zlib.compressobj(9)
    idat = b"".join(comp.compress(row) for _ in range(height)) + comp.flush()
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr) + png_chunk(b"IDAT", idat) + png_chunk(b"IEND", b"")


# A project file (the 593-byte record, PictureSize set) whose picture is 16000 x 4000 zeros.
png = zero_png(16000, 4000)
record = bytearray(593)
record[544:548] = struct.pack("<i", 2)            # Pattern
record[552] = 1                                   # Overlay
record[577:581] = struct.pack("<i", 180)          # OverlayOpacity
record[581:585] = struct.pack("<i", len(png))     # PictureSize
write("zero_picture.vzk", bytes(record) + png)

# The same within the fuzz targets' limits (2000 x 1500), small enough to serve as a fuzz seed.
png = zero_png(2000, 1500)
record[581:585] = struct.pack("<i", len(png))
write("zero_picture_small.vzk", bytes(record) + png)
