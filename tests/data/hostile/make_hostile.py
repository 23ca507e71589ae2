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


# 16384 x 3906 canvases painted next to nothing: a 1 x 1 GIF frame; RLE codes jumping 255 rows at a
# time (RLE8 without an end code); arithmetic-coded scans that end at once (completed with zeros).
gif = b"GIF89a" + struct.pack("<HHBBB", W, H, 0x80, 0, 0) + b"\x00\x00\x00\xff\xff\xff"
write("screen_one_pixel.gif", gif + b"\x2c" + struct.pack("<HHHHB", 0, 0, 1, 1, 0) + b"\x02\x02\x4c\x01\x00\x3b")
jumps = b"\x00\x02\x00\xff" * (H // 255 + 1)
grey16 = b"".join(struct.pack("<BBBB", i * 17, i * 17, i * 17, 0) for i in range(16))
write("rle4_jumps.bmp", bmp_header(W, H, 4, 2, len(jumps) + 2, grey16) + jumps + b"\x00\x01")
write("rle8_jumps_no_end.bmp", bmp_header(W, H, 8, 1, len(jumps), palette) + jumps)


def segment(marker, payload):
    return b"\xff" + bytes([marker]) + struct.pack(">H", len(payload) + 2) + payload


def arithmetic_jpeg(sof, scans):
    frame = b"\x08" + struct.pack(">HH", H, W) + b"\x03\x01\x22\x00\x02\x11\x00\x03\x11\x00"
    out = b"\xff\xd8" + segment(0xDB, b"\x00" + bytes([1] * 64)) + segment(sof, frame)
    return out + b"".join(segment(0xDA, scan) + bytes(data) for scan, data in scans) + b"\xff\xd9"


write("arithmetic.jpg", arithmetic_jpeg(0xC9, [(b"\x03\x01\x00\x02\x00\x03\x00\x00\x3f\x00", 200)]))
write("arithmetic_progressive.jpg", arithmetic_jpeg(0xCA, [(b"\x03\x01\x00\x02\x00\x03\x00\x00\x00\x00", 100)] +
                                                   [(bytes([1, c, 0, 1, 63, 0]), 60) for c in (1, 2, 3)]))


# Seeds for the project fuzz targets' run with the program's own limits (fuzz/corpus/
# projects_real_limits): a 4000 x 4000 picture whose few rows of data end at IEND, followed by
# 64 KB that are no picture data; and a picture whose chunks after its header are empty, as an
# endless stream's would be.
def project_with(png_bytes):
    seed = bytearray(593)
    seed[552] = 1
    seed[577:581] = struct.pack("<i", 180)
    seed[581:585] = struct.pack("<i", len(png_bytes))
    return bytes(seed) + png_bytes


def rgb_png_head(width, height):
    return b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))


seeds = "../../../fuzz/corpus/projects_real_limits/"
# A text chunk before the image data that claims 2 GB of a file that holds a few bytes.
write("huge_text_chunk.png", rgb_png_head(2000, 1500) + struct.pack(">I", 2046820352) + b"tEXt" + b"k\0" * 8)
write(seeds + "zero_picture_small.vzk", project_with(zero_png(2000, 1500)))
# The project target's own seed picture is small: every mutation that leaves a picture decodable
# decodes all of it, and at 2000 x 1500 that was nine tenths of the run's time.
write("../../../fuzz/corpus/fuzz_open_project/zero_picture.vzk", project_with(zero_png(400, 300)))
rows = zlib.compress(bytes(1 + 3 * 4000) * 4, 9)
write(seeds + "rows_then_tail.vzk",
      project_with(rgb_png_head(4000, 4000) + png_chunk(b"IDAT", rows) + png_chunk(b"IEND", b"")) + b"\x5a" * 65536)
write(seeds + "empty_chunks.vzk", project_with(rgb_png_head(2000, 1500) + png_chunk(b"tEXt", b"") * 4000))
