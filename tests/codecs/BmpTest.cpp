#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/codecs/CodecTestUtil.h"

namespace veskel {
namespace {

using namespace codec_test;
using Rgb = std::array<std::uint8_t, 3>;

// Builds a BMP file around given pixel bytes: any header size, masks, palette and row order.
struct BmpBuilder {
    std::uint32_t headerSize = 40;
    std::int32_t width = kW;
    std::int32_t height = kH;  // rows as stored; negative for top-down
    int bitCount = 24;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> masks;  // in the header (size >= 52) or after a 40-byte one
    std::vector<Rgb> palette;
    std::vector<std::uint8_t> pixels;

    std::vector<std::uint8_t> Build() const {
        // Room for every field while writing; cut back to the declared header size afterwards.
        std::vector<std::uint8_t> f(14 + std::max<std::uint32_t>(headerSize, 52), 0);
        f[0] = 'B';
        f[1] = 'M';
        Put32(f, 14, headerSize);
        if (headerSize == 12) {
            Put16(f, 18, std::uint32_t(width));
            Put16(f, 20, std::uint32_t(height));
            Put16(f, 22, 1);
            Put16(f, 24, std::uint32_t(bitCount));
        } else {
            Put32(f, 18, std::uint32_t(width));
            Put32(f, 22, std::uint32_t(height));
            Put16(f, 26, 1);
            Put16(f, 28, std::uint32_t(bitCount));
            if (headerSize >= 20) Put32(f, 30, compression);
            if (headerSize >= 36) Put32(f, 46, std::uint32_t(palette.size()));
        }
        for (std::size_t i = 0; i < masks.size() && headerSize >= 52; ++i) Put32(f, 14 + 40 + 4 * i, masks[i]);
        f.resize(14 + headerSize);
        for (std::size_t i = 0; i < masks.size() && headerSize < 52; ++i) Append32(f, masks[i]);
        for (const Rgb& c : palette) {
            f.insert(f.end(), {c[2], c[1], c[0]});
            if (headerSize != 12) f.push_back(0);
        }
        Put32(f, 10, std::uint32_t(f.size()));
        f.insert(f.end(), pixels.begin(), pixels.end());
        Put32(f, 2, std::uint32_t(f.size()));
        return f;
    }
};

// Rows of values packed at `bits` bits each, padded to 4 bytes, in file order.
template <class F>
std::vector<std::uint8_t> PackRows(int w, int h, int bits, bool topDown, F valueAt) {
    const std::size_t stride = (std::size_t(w) * bits + 31) / 32 * 4;
    std::vector<std::uint8_t> out(stride * h, 0);
    for (int r = 0; r < h; ++r) {
        const int y = topDown ? r : h - 1 - r;
        std::uint8_t* row = out.data() + stride * r;
        for (int x = 0; x < w; ++x) {
            const std::uint32_t v = valueAt(x, y);
            if (bits < 8) {
                const std::size_t bit = std::size_t(x) * bits;
                row[bit / 8] |= std::uint8_t(v << (8 - bits - bit % 8));
            } else {
                for (int b = 0; b < bits / 8; ++b) row[x * (bits / 8) + b] = std::uint8_t(v >> (8 * b));
            }
        }
    }
    return out;
}

std::string Message(const std::vector<std::uint8_t>& bytes) {
    try {
        DecodeBmp(bytes);
    } catch (const CodecError& e) {
        return e.what();
    }
    return "decoded";
}

TEST(BmpDecode, ReadsPalettedDepthsInBothRowOrders) {
    for (int bits : {1, 2, 4, 8})
        for (bool topDown : {false, true})
            for (std::uint32_t header : {12u, 40u, 64u, 124u}) {
                SCOPED_TRACE(testing::Message() << bits << " bits, top-down " << topDown << ", header " << header);
                const int colours = std::min(16, 1 << bits);
                BmpBuilder b;
                b.headerSize = header;
                b.bitCount = bits;
                b.height = topDown && header != 12 ? -kH : kH;
                for (int i = 0; i < colours; ++i) b.palette.push_back(PaletteRgb(i));
                auto index = [&](int x, int y) { return PatternIndex(x, y) % colours; };
                b.pixels = PackRows(kW, kH, bits, b.height < 0, index);
                const Picture p = DecodeBmp(b.Build());
                EXPECT_TRUE(PixelsAre(p.color, kW, kH, [&](int x, int y) { return PaletteRgb(index(x, y)); }));
                EXPECT_FALSE(p.HasAlpha());
            }
}

TEST(BmpDecode, ReadsDirectColourAndBitFields) {
    auto rgb = [](int x, int y) { return PatternRgb(x, y); };
    auto bgr24 = [](int x, int y) { const auto c = PatternRgb(x, y); return c[2] | (c[1] << 8) | (c[0] << 16); };
    auto top5 = [](int x, int y) {
        const auto c = PatternRgb(x, y);
        auto s = [](int v) { return std::uint8_t(((v >> 3) * 255 + 15) / 31); };
        return Rgb{s(c[0]), s(c[1]), s(c[2])};
    };
    auto rgb565 = [](int x, int y) {
        const auto c = PatternRgb(x, y);
        auto s = [](int v, int bits) { const int m = (1 << bits) - 1; return std::uint8_t(((v >> (8 - bits)) * 255 + m / 2) / m); };
        return Rgb{s(c[0], 5), s(c[1], 6), s(c[2], 5)};
    };
    struct Case {
        const char* name;
        std::uint32_t header;
        int bits;
        std::uint32_t compression;
        std::vector<std::uint32_t> masks;
        std::function<std::uint32_t(int, int)> value;
        std::function<Rgb(int, int)> expected;
    };
    const Case cases[] = {
        {"24-bit", 40, 24, 0, {}, bgr24, rgb},
        {"24-bit OS/2", 12, 24, 0, {}, bgr24, rgb},
        {"32-bit, high byte ignored", 40, 32, 0, {}, [&](int x, int y) { return bgr24(x, y) | 0x5A000000u; }, rgb},
        {"16-bit default 5-5-5", 40, 16, 0, {},
         [](int x, int y) { const auto c = PatternRgb(x, y); return ((c[0] >> 3) << 10) | ((c[1] >> 3) << 5) | (c[2] >> 3); },
         top5},
        {"16-bit 5-6-5 masks after the header", 40, 16, 3, {0xF800, 0x07E0, 0x001F},
         [](int x, int y) { const auto c = PatternRgb(x, y); return ((c[0] >> 3) << 11) | ((c[1] >> 2) << 5) | (c[2] >> 3); },
         rgb565},
        {"32-bit swapped masks in a V4 header", 108, 32, 3, {0x000000FF, 0x0000FF00, 0x00FF0000},
         [](int x, int y) { const auto c = PatternRgb(x, y); return c[0] | (c[1] << 8) | (c[2] << 16); }, rgb},
        {"32-bit masks in a V5 header", 124, 32, 3, {0xFF000000, 0x00FF0000, 0x0000FF00},
         [](int x, int y) { const auto c = PatternRgb(x, y); return (c[0] << 24) | (c[1] << 16) | (c[2] << 8); }, rgb},
        {"32-bit alpha bit-fields", 40, 32, 6, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
         [&](int x, int y) { return bgr24(x, y) | 0x80000000u; }, rgb},
    };
    for (const Case& c : cases)
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.name << ", top-down " << topDown);
            if (topDown && c.header == 12) continue;
            BmpBuilder b;
            b.headerSize = c.header;
            b.bitCount = c.bits;
            b.compression = c.compression;
            b.masks = c.masks;
            b.height = topDown ? -kH : kH;
            b.pixels = PackRows(kW, kH, c.bits, topDown, c.value);
            EXPECT_TRUE(PixelsAre(DecodeBmp(b.Build()).color, kW, kH, c.expected));
        }
}

TEST(BmpDecode, ReadsRunLengthEncoding) {
    // 6 x 4, bottom-up. Row 0 (the bottom): a run of 3 x index 1 then an absolute run of 3.
    // Row 1: a delta of (2, 1) jumps to row 2, column 2 leaving the rest of row 1 black;
    // row 2: one pixel of index 3, end of line; row 3: a run of two, then the end-of-bitmap marker.
    const std::vector<Rgb> palette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}};
    BmpBuilder rle8;
    rle8.width = 6;
    rle8.height = 4;
    rle8.bitCount = 8;
    rle8.compression = 1;
    rle8.palette = palette;
    rle8.pixels = {3, 1, 0, 3, 2, 3, 4, 0 /*pad*/, 0, 0, 0, 2, 2, 1, 1, 3, 0, 0, 2, 4, 0, 1};
    BmpBuilder rle4 = rle8;
    rle4.bitCount = 4;
    rle4.compression = 2;
    rle4.pixels = {3, 0x11, 0, 3, 0x23, 0x40, 0, 0, 0, 2, 2, 1, 1, 0x33, 0, 0, 2, 0x44, 0, 1};
    // Stored bottom-up: picture row 3 is file row 0.
    const Rgb k{0, 0, 0}, r{255, 0, 0}, g{0, 255, 0}, b{0, 0, 255}, w{9, 9, 9};
    const std::vector<std::vector<Rgb>> expected = {
        {w, w, k, k, k, k}, {k, k, b, k, k, k}, {k, k, k, k, k, k}, {r, r, r, g, b, w}};
    for (const BmpBuilder& f : {rle8, rle4}) {
        SCOPED_TRACE(f.bitCount);
        EXPECT_TRUE(PixelsAre(DecodeBmp(f.Build()).color, 6, 4, [&](int x, int y) { return expected[y][x]; }));
    }
    // Without the last run and the end-of-bitmap marker the data stops short of row 3.
    rle8.pixels.resize(rle8.pixels.size() - 4);
    EXPECT_EQ(Message(rle8.Build()), "BMP: truncated data");
}

// An end-of-bitmap code before the last row leaves the rest black, as long as that rest costs
// little: a few bytes must not buy a huge black image.
TEST(BmpDecode, AnEarlyEndOfBitmapLeavesASmallRestBlack) {
    BmpBuilder f;
    f.bitCount = 8;
    f.compression = 1;
    f.palette = {{0, 0, 0}, {255, 0, 0}};
    f.pixels = {2, 1, 0, 1};  // two red pixels in the first (bottom) row, then the end
    struct Case {
        int width, height;
        bool decodes;
    };
    for (const Case& c : {Case{300, 200, true}, Case{2000, 1000, false}, Case{2000, 1, true}}) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        f.width = c.width;
        f.height = c.height;
        if (!c.decodes) {
            EXPECT_EQ(Message(f.Build()), "BMP: truncated data");
            continue;
        }
        const Bitmap b = DecodeBmp(f.Build()).color;
        ASSERT_EQ(b.Width(), c.width);
        ASSERT_EQ(b.Height(), c.height);
        EXPECT_EQ(b.Pixel(1, c.height - 1), RGB(255, 0, 0));
        EXPECT_EQ(b.Pixel(2, c.height - 1), RGB(0, 0, 0));
        EXPECT_EQ(b.Pixel(c.width - 1, 0), RGB(0, 0, 0));
    }
    // When most rows were decoded, the rest may be large: 600 of 1000 rows, by end-of-line codes.
    f.width = 2000;
    f.height = 1000;
    f.pixels.clear();
    for (int row = 0; row < 600; ++row) f.pixels.insert(f.pixels.end(), {1, 1, 0, 0});
    f.pixels.insert(f.pixels.end(), {0, 1});
    const Bitmap b = DecodeBmp(f.Build()).color;
    EXPECT_EQ(b.Pixel(0, 999), RGB(255, 0, 0));
    EXPECT_EQ(b.Pixel(0, 400), RGB(255, 0, 0));
    EXPECT_EQ(b.Pixel(0, 399), RGB(0, 0, 0));
}

TEST(BmpDecode, ReadsFilesFromOtherWriters) {
    auto palette = [](int x, int y) { return PaletteRgb(PatternIndex(x, y)); };
    auto mono = [](int x, int y) { const std::uint8_t v = (x ^ y) & 1 ? 255 : 0; return Rgb{v, v, v}; };
    EXPECT_TRUE(PixelsAre(DecodeBmp(Sample("mono.bmp")).color, kW, kH, mono));
    EXPECT_TRUE(PixelsAre(DecodeBmp(Sample("palette8.bmp")).color, kW, kH, palette));
    for (const char* f : {"rgb24.bmp", "bgra32.bmp", "rle8.bmp", "os2.bmp", "v5.bmp"}) {
        SCOPED_TRACE(f);
        const Picture p = DecodeBmp(Sample(f));
        EXPECT_TRUE(PixelsAre(p.color, kW, kH, PatternRgb));
        EXPECT_FALSE(p.HasAlpha());  // 32-bit files are read as opaque
    }
    // 5-6-5: within one step of each channel's precision.
    const Picture p565 = DecodeBmp(Sample("rgb565.bmp"));
    EXPECT_LT(MeanError(p565.color, PatternBitmap()), 4.0);
}

TEST(BmpEncode, WritesBottomUp24BitRows) {
    const Bitmap banner = PatternBitmap(350, 20);
    const auto bmp = EncodeBmp(banner);
    ASSERT_EQ(bmp.size(), 21094u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(codec_test::Sample("rgb24.bmp").size(), 54u + 7 * 40);  // a sanity check of the sample
    EXPECT_EQ(bmp[10], 54);
    EXPECT_EQ(bmp[14], 40);
    EXPECT_EQ(bmp[28], 24);
    // The first stored row is the bottom one.
    EXPECT_EQ(bmp[54], banner.Row(19)[0]);
    EXPECT_EQ(DecodeBmp(bmp).color, banner);
    for (int w : {1, 2, 3, 4, 5}) EXPECT_EQ(DecodeBmp(EncodeBmp(PatternBitmap(w, 3))).color, PatternBitmap(w, 3));
    EXPECT_THROW(EncodeBmp(Bitmap()), CodecError);
}

TEST(BmpDecode, ExplainsWhatIsWrong) {
    BmpBuilder good;
    good.pixels = PackRows(kW, kH, 24, false, [](int, int) { return 0x123456u; });
    auto with = [&](auto change) {
        BmpBuilder b = good;
        change(b);
        return Message(b.Build());
    };
    EXPECT_EQ(Message({'P', 'K', 3, 4}), "BMP: not a BMP file");
    EXPECT_EQ(with([](BmpBuilder& b) { b.compression = 7; }), "BMP: unsupported compression 7");
    EXPECT_EQ(with([](BmpBuilder& b) { b.compression = 4; }), "BMP: unsupported compression 4");
    EXPECT_EQ(with([](BmpBuilder& b) { b.bitCount = 3; }), "BMP: unsupported bit depth 3");
    EXPECT_EQ(with([](BmpBuilder& b) { b.compression = 1; }), "BMP: RLE8 compression needs 8 bits per pixel");
    EXPECT_EQ(with([](BmpBuilder& b) { b.compression = 3; }), "BMP: bit-field masks need 16 or 32 bits per pixel");
    EXPECT_EQ(with([](BmpBuilder& b) { b.bitCount = 8; }), "BMP: missing colour table");
    EXPECT_EQ(with([](BmpBuilder& b) { b.headerSize = 8; }), "BMP: unsupported header size 8");
    EXPECT_EQ(with([](BmpBuilder& b) { b.headerSize = 200; }), "BMP: unsupported header size 200");
    EXPECT_EQ(with([](BmpBuilder& b) { b.width = 16385; }), "BMP: image too large (16385 x 7)" + codec_test::kSizeLimits);
    EXPECT_EQ(with([](BmpBuilder& b) { b.width = 10000, b.height = -10000; }), "BMP: image too large (10000 x 10000)" + codec_test::kSizeLimits);
    EXPECT_EQ(with([](BmpBuilder& b) { b.width = -5; }), "BMP: invalid image size (-5 x 7)");
    EXPECT_EQ(with([](BmpBuilder& b) { b.height = INT32_MIN; }), "BMP: image too large (13 x 2147483648)" + codec_test::kSizeLimits);
    EXPECT_EQ(with([](BmpBuilder& b) { b.pixels.resize(100); }), "BMP: truncated data");
    // Only the last row's padding may be missing.
    EXPECT_EQ(with([](BmpBuilder& b) { b.pixels.resize(b.pixels.size() - 1); }), "decoded");

    // A pixel offset that points into the headers is ignored: the pixels follow the headers.
    auto bmp = good.Build();
    Put32(bmp, 10, 3);
    EXPECT_EQ(DecodeBmp(bmp).color.Pixel(0, 0), RGB(0x12, 0x34, 0x56));
}

}  // namespace
}  // namespace veskel
