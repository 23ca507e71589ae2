// Our own BMP reader and writer. The reader accepts the header variants that occur in the wild
// (12-byte OS/2 core header, 16- to 64-byte OS/2 2.x headers, the 40-, 52-, 56-, 108- and 124-byte
// Windows headers), every common bit depth, RLE4/RLE8 and bit-field masks. Every offset and size
// read from the file is checked against the buffer before it is used.
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string>

#include "platform/codecs/CodecUtil.h"
#include "platform/codecs/Codecs.h"
#include "platform/lang/Translate.h"

namespace veskel {

using codec_detail::CheckSize;
using codec_detail::Le16;
using codec_detail::Le32;

namespace {

constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;

[[noreturn]] void Fail(const std::string& what) { throw CodecError("BMP: " + Tr(what)); }

// One colour channel described by a bit mask: extracts the bits and scales them to 0..255.
struct MaskChannel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    std::uint32_t maxValue = 0;

    explicit MaskChannel(std::uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        bits = std::bit_width(m >> shift);
        maxValue = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    }
    std::uint8_t Extract(std::uint32_t pixel) const {
        if (mask == 0) return 0;
        const std::uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8) return std::uint8_t(v >> (bits - 8));
        return std::uint8_t((v * 255 + maxValue / 2) / maxValue);
    }
};

struct BmpHeader {
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;  // positive after parsing; topDown tells the row order
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t colorsUsed = 0;
    std::array<std::uint32_t, 3> masks{};  // red, green, blue
    std::size_t paletteOffset = 0;
    int paletteEntrySize = 4;
};

BmpHeader ParseHeader(std::span<const std::uint8_t> data) {
    if (data.size() < 2 || data[0] != 'B' || data[1] != 'M') Fail("not a BMP file");
    if (data.size() < 18) Fail("truncated data");
    BmpHeader h;
    h.headerSize = Le32(&data[14]);
    const std::uint32_t hs = h.headerSize;
    if (hs != 12 && (hs < 16 || hs > 124)) Fail(Tr("unsupported header size {1}", {std::to_string(hs)}));
    if (data.size() < 14 + std::size_t(hs)) Fail("truncated data");
    const std::uint8_t* info = &data[14];

    // Fields past the end of a short OS/2 2.x header read as zero.
    std::array<std::uint8_t, 124> full{};
    std::memcpy(full.data(), info, hs);
    const bool os2v2 = hs > 12 && hs != 40 && hs != 52 && hs != 56 && hs != 108 && hs != 124;

    std::int64_t rawHeight = 0;
    if (hs == 12) {
        h.width = Le16(&full[4]);
        rawHeight = Le16(&full[6]);
        h.bitCount = Le16(&full[10]);
        h.paletteEntrySize = 3;
    } else {
        h.width = std::int32_t(Le32(&full[4]));
        rawHeight = std::int32_t(Le32(&full[8]));
        h.bitCount = Le16(&full[14]);
        h.compression = Le32(&full[16]);
        h.colorsUsed = Le32(&full[32]);
    }
    h.topDown = rawHeight < 0;
    h.height = rawHeight < 0 ? -rawHeight : rawHeight;

    switch (h.bitCount) {
        case 1: case 2: case 4: case 8: case 16: case 24: case 32: break;
        default: Fail(Tr("unsupported bit depth {1}", {std::to_string(h.bitCount)}));
    }
    // OS/2 2.x numbers its compressions differently: 3 is Huffman 1D and 4 is RLE24, neither supported.
    const std::uint32_t c = h.compression;
    const bool bitfields = !os2v2 && (c == kBiBitfields || c == kBiAlphaBitfields);
    const bool known = c == kBiRgb || c == kBiRle8 || c == kBiRle4 || bitfields;
    if (!known) Fail(Tr("unsupported compression {1}", {std::to_string(c)}));
    if (c == kBiRle8 && h.bitCount != 8) Fail("RLE8 compression needs 8 bits per pixel");
    if (c == kBiRle4 && h.bitCount != 4) Fail("RLE4 compression needs 4 bits per pixel");
    if (bitfields && h.bitCount != 16 && h.bitCount != 32) Fail("bit-field masks need 16 or 32 bits per pixel");

    std::size_t pos = 14 + std::size_t(hs);
    if (bitfields) {
        if (hs >= 52) {
            h.masks = {Le32(&full[40]), Le32(&full[44]), Le32(&full[48])};
        } else {
            // The masks follow a 40-byte header (a fourth, alpha mask with BI_ALPHABITFIELDS).
            const std::size_t maskBytes = c == kBiAlphaBitfields ? 16 : 12;
            if (data.size() < pos + maskBytes) Fail("truncated data");
            h.masks = {Le32(&data[pos]), Le32(&data[pos + 4]), Le32(&data[pos + 8])};
            pos += maskBytes;
        }
    } else if (h.bitCount == 16) {
        h.masks = {0x7C00, 0x03E0, 0x001F};
    } else if (h.bitCount == 32) {
        h.masks = {0xFF0000, 0x00FF00, 0x0000FF};
    }
    h.paletteOffset = pos;
    return h;
}

// Palette entries as stored (blue, green, red[, reserved]); indices past the end read as black.
struct BmpPalette {
    std::array<std::array<std::uint8_t, 3>, 256> bgr{};  // zero-initialised: black
};

BmpPalette ReadPalette(std::span<const std::uint8_t> data, const BmpHeader& h, std::size_t dataOffset) {
    BmpPalette pal;
    if (h.bitCount > 8) return pal;
    std::size_t count = std::size_t(1) << h.bitCount;
    if (h.colorsUsed != 0 && h.colorsUsed < count) count = h.colorsUsed;
    // The colour table ends where the pixels start (or at the end of the file).
    const std::size_t end = std::min(dataOffset, data.size());
    const std::size_t room = (end - std::min(h.paletteOffset, end)) /
                             std::size_t(h.paletteEntrySize);
    count = std::min(count, room);
    if (count == 0) Fail("missing colour table");
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = &data[h.paletteOffset + i * std::size_t(h.paletteEntrySize)];
        pal.bgr[i] = {e[0], e[1], e[2]};
    }
    return pal;
}

void PutIndex(std::uint8_t* row, const BmpPalette& pal, int x, unsigned index) {
    std::uint8_t* p = row + 3 * std::size_t(x);
    const auto& e = pal.bgr[index & 0xFF];
    p[0] = e[0];
    p[1] = e[1];
    p[2] = e[2];
}

Bitmap DecodeUncompressed(std::span<const std::uint8_t> data, std::size_t offset, const BmpHeader& h,
                          const BmpPalette& pal) {
    const std::int64_t stride = (h.width * h.bitCount + 31) / 32 * 4;
    const std::int64_t lastRow = (h.width * h.bitCount + 7) / 8;
    // The last row's padding is often missing; everything else must be there. Checked before the
    // image is allocated, so a short file declaring a huge image costs nothing.
    const std::int64_t needed = stride * (h.height - 1) + lastRow;
    if (offset > data.size() || std::int64_t(data.size() - offset) < needed) Fail("truncated data");

    Bitmap bmp(int(h.width), int(h.height));
    const MaskChannel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]);
    const int w = int(h.width);
    for (int r = 0; r < int(h.height); ++r) {
        const std::uint8_t* src = data.data() + offset + std::size_t(r) * std::size_t(stride);
        const int y = h.topDown ? r : int(h.height) - 1 - r;
        std::uint8_t* dst = bmp.Row(y);
        switch (h.bitCount) {
            case 1: case 2: case 4: case 8: {
                const int bpp = h.bitCount;
                const unsigned mask = (1u << bpp) - 1;
                for (int x = 0; x < w; ++x) {
                    const std::size_t bit = std::size_t(x) * std::size_t(bpp);
                    const unsigned index = (src[bit / 8] >> (8 - bpp - int(bit % 8))) & mask;
                    PutIndex(dst, pal, x, index);
                }
                break;
            }
            case 24:
                std::memcpy(dst, src, std::size_t(w) * 3);
                break;
            case 16: case 32: {
                const int bytes = h.bitCount / 8;
                for (int x = 0; x < w; ++x) {
                    const std::uint8_t* s = src + std::size_t(x) * std::size_t(bytes);
                    const std::uint32_t v = bytes == 2 ? Le16(s) : Le32(s);
                    dst[3 * x] = blue.Extract(v);
                    dst[3 * x + 1] = green.Extract(v);
                    dst[3 * x + 2] = red.Extract(v);
                }
                break;
            }
        }
    }
    return bmp;
}

// RLE8 / RLE4: runs, end-of-line, end-of-bitmap, delta and absolute runs. Walks the codes, calling
// paint(x, row, index) for every pixel that lands inside the image (pixels outside are dropped)
// and reach(row) whenever the codes move to a row inside it; throws on data that stops mid-code.
template <class Paint, class Reach>
void WalkRle(std::span<const std::uint8_t> data, std::size_t offset, const BmpHeader& h, Paint&& paint, Reach&& reach) {
    const bool rle4 = h.compression == kBiRle4;
    const std::int64_t width = h.width, height = h.height;
    std::int64_t x = 0, row = 0;
    std::size_t p = offset;
    const std::size_t end = data.size();
    auto put = [&](unsigned index) {
        if (x < width && row < height) paint(int(x), int(row), index);
        ++x;
    };
    while (row < height) {
        if (p + 2 > end) Fail("truncated data");
        const unsigned count = data[p], value = data[p + 1];
        p += 2;
        if (count > 0) {
            // Never draw more pixels than the row can take: a run only fills to the right edge.
            const unsigned n = unsigned(std::min<std::int64_t>(count, std::max<std::int64_t>(0, width - x)));
            for (unsigned i = 0; i < n; ++i) put(rle4 ? ((i & 1) ? value & 0x0F : value >> 4) : value);
            x += count - n;
            continue;
        }
        switch (value) {
            case 0:  // end of line
                x = 0;
                ++row;
                if (row < height) reach(int(row));
                break;
            case 1:  // end of bitmap
                return;
            case 2:  // delta
                if (p + 2 > end) Fail("truncated data");
                x += data[p];
                row += data[p + 1];
                p += 2;
                if (row < height) reach(int(row));
                break;
            default: {  // absolute run of `value` pixels, padded to a 16-bit boundary
                const std::size_t bytes = rle4 ? (value + 1) / 2 : value;
                if (p + bytes > end) Fail("truncated data");
                for (unsigned i = 0; i < value; ++i) {
                    const std::uint8_t b = data[p + (rle4 ? i / 2 : i)];
                    put(rle4 ? ((i & 1) ? b & 0x0F : b >> 4) : b);
                }
                p += bytes + (bytes & 1);
                break;
            }
        }
    }
}

// Pixels the data never reaches stay black. The codes are walked once without drawing, so that a
// picture its data hardly paints (delta codes jumping down a huge image) or ends early is refused
// before any row is allocated; then they are drawn into rows grown as the codes reach them.
// Data that ends the bitmap early leaves the rest black only while that rest is small (under
// kGrowthStepBytes, or no more than the rows the codes reached).
Bitmap DecodeRle(std::span<const std::uint8_t> data, std::size_t offset, const BmpHeader& h, const BmpPalette& pal) {
    const std::int64_t width = h.width, height = h.height;
    std::int64_t painted = 0, rowsReached = 0;
    WalkRle(
        data, offset, h,
        [&](int, int row, unsigned) {
            ++painted;
            rowsReached = std::max<std::int64_t>(rowsReached, row + 1);
        },
        [&](int row) { rowsReached = std::max<std::int64_t>(rowsReached, row + 1); });
    const std::size_t rowBytes = std::size_t(width) * 3;
    const std::size_t rest = std::size_t(height - rowsReached) * rowBytes;
    if (rest > codec_detail::kGrowthStepBytes && rest > std::size_t(rowsReached) * rowBytes) Fail("truncated data");
    codec_detail::CheckPaintedShare("BMP", width, height, painted);

    codec_detail::GrowingRows rows{int(width), int(height)};
    std::uint8_t* current = nullptr;  // the row being drawn, in file order
    int currentRow = -1;
    WalkRle(
        data, offset, h,
        [&](int x, int row, unsigned index) {
            if (row != currentRow) {
                current = rows.Row(row);
                currentRow = row;
            }
            PutIndex(current, pal, x, index);
        },
        [&](int row) {
            rows.Row(row);
            currentRow = -1;  // growing may have moved the rows
        });
    return rows.TakeBitmap(!h.topDown);
}

}  // namespace

Picture DecodeBmp(std::span<const std::uint8_t> data) {
    const BmpHeader h = ParseHeader(data);
    CheckSize("BMP", h.width, h.height);

    // The pixel offset from the file header; a value pointing into the headers is ignored and the
    // pixels are taken to follow the colour table.
    std::size_t offset = Le32(&data[10]);
    if (offset < h.paletteOffset) {
        std::size_t paletteEntries = h.bitCount <= 8 ? (std::size_t(1) << h.bitCount) : 0;
        if (h.colorsUsed != 0 && h.colorsUsed < paletteEntries) paletteEntries = h.colorsUsed;
        offset = h.paletteOffset + paletteEntries * std::size_t(h.paletteEntrySize);
    }
    const BmpPalette pal = ReadPalette(data, h, offset);
    if (offset >= data.size()) Fail("truncated data");

    if (h.compression == kBiRle8 || h.compression == kBiRle4) return Picture(DecodeRle(data, offset, h, pal));
    return Picture(DecodeUncompressed(data, offset, h, pal));
}

std::vector<std::uint8_t> EncodeBmp(const Bitmap& bitmap) {
    if (bitmap.IsEmpty()) throw CodecError("BMP: cannot write an empty image");
    const std::size_t width = std::size_t(bitmap.Width()), height = std::size_t(bitmap.Height());
    const std::size_t stride = (width * 3 + 3) / 4 * 4;
    const std::size_t imageBytes = stride * height;
    const std::size_t fileBytes = 54 + imageBytes;
    if (fileBytes > 0xFFFFFFFFu) throw CodecError("BMP: image too large to write");

    std::vector<std::uint8_t> out(fileBytes, 0);
    auto put16 = [&](std::size_t at, std::uint32_t v) {
        out[at] = std::uint8_t(v);
        out[at + 1] = std::uint8_t(v >> 8);
    };
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, std::uint32_t(fileBytes));
    put32(10, 54);                       // pixel data offset
    put32(14, 40);                       // BITMAPINFOHEADER
    put32(18, std::uint32_t(width));
    put32(22, std::uint32_t(height));    // positive: bottom-up
    put16(26, 1);                        // planes
    put16(28, 24);                       // bits per pixel
    put32(30, kBiRgb);
    put32(34, std::uint32_t(imageBytes));
    put32(38, 2835);                     // 72 dpi
    put32(42, 2835);
    for (std::size_t r = 0; r < height; ++r)
        std::memcpy(&out[54 + r * stride], bitmap.Row(int(height - 1 - r)), width * 3);
    return out;
}

}  // namespace veskel
