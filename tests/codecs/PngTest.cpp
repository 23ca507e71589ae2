#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <functional>

#include "platform/codecs/ImageFormats.h"
#include "tests/codecs/CodecTestUtil.h"

namespace veskel {
namespace {

using namespace codec_test;
using ::testing::HasSubstr;

struct Chunk {
    std::string type;
    std::vector<std::uint8_t> data;
};

std::vector<Chunk> Chunks(const std::vector<std::uint8_t>& png) {
    std::vector<Chunk> out;
    std::size_t p = 8;
    while (p + 12 <= png.size()) {
        const std::size_t len = (std::size_t(png[p]) << 24) | (png[p + 1] << 16) | (png[p + 2] << 8) | png[p + 3];
        out.push_back({std::string(png.begin() + long(p) + 4, png.begin() + long(p) + 8),
                       std::vector<std::uint8_t>(png.begin() + long(p) + 8, png.begin() + long(p + 8 + len))});
        p += 12 + len;
    }
    return out;
}

std::vector<std::uint8_t> InflateIdat(const std::vector<Chunk>& chunks, std::size_t rawSize) {
    std::vector<std::uint8_t> z;
    for (const Chunk& c : chunks)
        if (c.type == "IDAT") z.insert(z.end(), c.data.begin(), c.data.end());
    std::vector<std::uint8_t> raw(rawSize);
    uLongf len = uLongf(rawSize);
    EXPECT_EQ(uncompress(raw.data(), &len, z.data(), uLong(z.size())), Z_OK);
    EXPECT_EQ(len, rawSize);
    return raw;
}

TEST(PngDecode, ReadsEveryPixelLayout) {
    auto rgb = [](int x, int y) { return PatternRgb(x, y); };
    auto grey = [](int x, int y) { const auto g = PatternGrey(x, y); return std::array<std::uint8_t, 3>{g, g, g}; };
    auto palette = [](int x, int y) { return PaletteRgb(PatternIndex(x, y)); };
    auto mono = [](int x, int y) { const std::uint8_t v = (x ^ y) & 1 ? 255 : 0; return std::array{v, v, v}; };
    struct Case {
        const char* file;
        std::function<std::array<std::uint8_t, 3>(int, int)> colour;
        bool alpha;
    };
    const Case cases[] = {
        {"rgb.png", rgb, false},         {"rgb16.png", rgb, false},           {"grey.png", grey, false},
        {"grey16.png", grey, false},     {"mono.png", mono, false},           {"palette4.png", palette, false},
        {"rgba.png", rgb, true},         {"rgba16.png", rgb, true},           {"grey_alpha.png", grey, true},
        {"interlaced.png", rgb, true},   {"interlaced_palette.png", palette, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Picture p = DecodePng(Sample(c.file));
        EXPECT_TRUE(PixelsAre(p.color, kW, kH, c.colour));
        EXPECT_EQ(p.HasAlpha(), c.alpha);
        EXPECT_EQ(p.hasTransparency, c.alpha);
        if (!c.alpha) continue;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) ASSERT_EQ(p.AlphaRow(y)[x], PatternAlpha(x, y)) << x << "," << y;
    }
}

TEST(PngDecode, TransparentColoursBecomeTheAlphaPlane) {
    // Palette transparency: entry i has alpha 17 i.
    const Picture pal = DecodePng(Sample("palette_trns.png"));
    ASSERT_TRUE(pal.HasAlpha());
    EXPECT_TRUE(pal.hasTransparency);
    EXPECT_TRUE(PixelsAre(pal.color, kW, kH, [](int x, int y) { return PaletteRgb(PatternIndex(x, y)); }));
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) EXPECT_EQ(pal.AlphaRow(y)[x], std::uint8_t(PatternIndex(x, y) * 17));

    // Colour keys (tRNS on RGB and grey images): exactly the key colour is transparent.
    const Picture rgbKey = DecodePng(Sample("rgb_colour_key.png"));
    const Picture greyKey = DecodePng(Sample("grey_key.png"));
    ASSERT_TRUE(rgbKey.HasAlpha() && greyKey.HasAlpha());
    EXPECT_TRUE(PixelsAre(rgbKey.color, kW, kH, PatternRgb));
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            EXPECT_EQ(rgbKey.AlphaRow(y)[x], PatternRgb(x, y) == PatternRgb(2, 1) ? 0 : 255);
            EXPECT_EQ(greyKey.AlphaRow(y)[x], PatternGrey(x, y) == PatternGrey(3, 2) ? 0 : 255);
        }
}

TEST(PngEncode, RoundTripsWithAndWithoutAlpha) {
    Picture opaque(PatternBitmap(350, 20));
    const Picture back = DecodePng(EncodePng(opaque));
    EXPECT_EQ(back.color, opaque.color);
    EXPECT_FALSE(back.HasAlpha());

    Picture translucent(PatternBitmap());
    translucent.alpha.resize(kW * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) translucent.AlphaRow(y)[x] = PatternAlpha(x, y);
    translucent.hasTransparency = true;
    EXPECT_EQ(DecodePng(EncodePng(translucent)), translucent);

    // Every filter and level writes the same pixels.
    for (PngFilter f : {PngFilter::None, PngFilter::Sub, PngFilter::Up, PngFilter::Average, PngFilter::Paeth})
        for (int level : {0, 1, 9})
            EXPECT_EQ(DecodePng(EncodePng(translucent, {f, level, 65535})), translucent) << int(f) << " " << level;
}

TEST(PngEncode, WritesTheConfiguredStream) {
    const Bitmap image = PatternBitmap(350, 20);
    const auto png = EncodePng(image);
    const auto chunks = Chunks(png);
    ASSERT_GE(chunks.size(), 3u);
    ASSERT_EQ(chunks[0].type, "IHDR");
    const auto& ihdr = chunks[0].data;
    EXPECT_EQ(ihdr[8], 8);   // bit depth
    EXPECT_EQ(ihdr[9], 2);   // RGB without alpha
    EXPECT_EQ(ihdr[12], 0);  // no interlacing
    EXPECT_EQ(chunks.back().type, "IEND");

    // Every row with filter Sub, and the zlib header announcing a level above the default 6.
    const auto raw = InflateIdat(chunks, 20 * (1 + 350 * 3));
    for (int y = 0; y < 20; ++y) EXPECT_EQ(raw[std::size_t(y) * (1 + 350 * 3)], 1) << "row " << y;
    const auto idat = std::find_if(chunks.begin(), chunks.end(), [](const Chunk& c) { return c.type == "IDAT"; });
    EXPECT_EQ(idat->data[1] >> 6, 3);

    // Image data chunks never exceed the configured size; all but the last are full.
    Bitmap noise(600, 400);
    std::uint32_t seed = 1;
    for (std::size_t i = 0; i < noise.ByteSize(); ++i) noise.Data()[i] = std::uint8_t((seed = seed * 1103515245 + 12345) >> 16);
    for (std::size_t limit : {std::size_t(65535), std::size_t(1000)}) {
        std::vector<std::size_t> sizes;
        for (const Chunk& c : Chunks(EncodePng(noise, {PngFilter::Sub, 7, limit})))
            if (c.type == "IDAT") sizes.push_back(c.data.size());
        ASSERT_GE(sizes.size(), 2u);
        for (std::size_t i = 0; i + 1 < sizes.size(); ++i) EXPECT_EQ(sizes[i], limit);
        EXPECT_LE(sizes.back(), limit);
    }
}

// A picture too big for the one-call compressor streams through zlib: the same pixels, every
// row with filter Sub, and the same chunk rule.
TEST(PngEncode, LargePicturesStreamTheSameStream) {
    Picture big(Bitmap(700, 400));
    std::uint32_t seed = 7;
    for (std::size_t i = 0; i < big.color.ByteSize(); ++i)
        big.color.Data()[i] = std::uint8_t((seed = seed * 1103515245 + 12345) >> 24);
    big.alpha.resize(std::size_t(700) * 400);
    for (std::size_t i = 0; i < big.alpha.size(); ++i) big.alpha[i] = std::uint8_t(i * 7);
    big.hasTransparency = true;
    for (std::size_t limit : {std::size_t(65535), std::size_t(777)}) {
        const auto png = EncodePng(big, {PngFilter::Sub, 7, limit});
        EXPECT_EQ(DecodePng(png), big) << limit;
        const auto chunks = Chunks(png);
        std::vector<std::size_t> sizes;
        for (const Chunk& c : chunks)
            if (c.type == "IDAT") sizes.push_back(c.data.size());
        ASSERT_GE(sizes.size(), 2u);
        for (std::size_t i = 0; i + 1 < sizes.size(); ++i) EXPECT_EQ(sizes[i], limit);
        EXPECT_LE(sizes.back(), limit);
        const std::size_t stride = 1 + 700 * 4;
        const auto raw = InflateIdat(chunks, 400 * stride);
        for (int y = 0; y < 400; y += 57) EXPECT_EQ(raw[std::size_t(y) * stride], 1) << "row " << y;
    }
}

TEST(PngEncode, RefusesBadArguments) {
    EXPECT_THROW(EncodePng(Bitmap()), CodecError);
    EXPECT_THROW(EncodePng(PatternBitmap(), {PngFilter::Sub, 10, 65535}), CodecError);
    EXPECT_THROW(EncodePng(PatternBitmap(), {PngFilter::Sub, 7, 0}), CodecError);
    Picture broken(PatternBitmap());
    broken.alpha.assign(3, 0);
    EXPECT_THROW(EncodePng(broken), CodecError);
}

TEST(PngDecode, ExplainsWhatIsWrong) {
    auto message = [](const std::vector<std::uint8_t>& bytes) {
        try {
            DecodePng(bytes);
        } catch (const CodecError& e) {
            return std::string(e.what());
        }
        return std::string("decoded");
    };
    auto withSize = [](std::uint32_t w, std::uint32_t h) {
        auto png = Sample("rgb.png");
        for (int i = 0; i < 4; ++i) {
            png[16 + i] = std::uint8_t(w >> (24 - 8 * i));
            png[20 + i] = std::uint8_t(h >> (24 - 8 * i));
        }
        const std::uint32_t crc = std::uint32_t(crc32(0, png.data() + 12, 17));
        for (int i = 0; i < 4; ++i) png[29 + i] = std::uint8_t(crc >> (24 - 8 * i));
        return png;
    };
    EXPECT_EQ(message({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0}), "PNG: not a PNG file");
    EXPECT_EQ(message(withSize(20000, 10)), "PNG: image too large (20000 x 10)" + codec_test::kSizeLimits);
    EXPECT_EQ(message(withSize(10000, 10000)), "PNG: image too large (10000 x 10000)" + codec_test::kSizeLimits);
    EXPECT_EQ(message(withSize(0, 5)), "PNG: invalid image size (0 x 5)");
    // Within the limits, but far more pixels than the data could ever inflate to.
    EXPECT_EQ(message(withSize(16000, 4000)), "PNG: truncated data");
    auto badCrc = Sample("rgb.png");
    badCrc[28] ^= 1;  // the interlace byte of IHDR
    EXPECT_THAT(message(badCrc), HasSubstr("CRC"));
    auto png = Sample("rgb.png");
    png.resize(png.size() - 20);
    EXPECT_EQ(message(png), "PNG: truncated data");
}

// What a reader of an endless stream stops at: a PNG ends with its IEND chunk, a JPEG with its end
// marker; bytes that are no picture (or not the format asked for) are known by their first bytes.
TEST(PictureBytesNeeded, TheFirstBytesTellWhereAPictureEnds) {
    const std::vector<std::uint8_t> png = EncodePng(PatternBitmap()), jpeg = Sample("smooth.jpg"), zeros(64);
    std::vector<std::uint8_t> more = png;
    more.resize(png.size() + 1000, 0);
    EXPECT_EQ(PictureBytesNeeded(more), png.size());
    EXPECT_EQ(PictureBytesNeeded(std::span(png).first(png.size() - 1), ImageFormat::Png), png.size());  // at IEND
    EXPECT_EQ(PictureBytesNeeded(std::span(png).first(png.size() - 12)), SIZE_MAX);
    EXPECT_EQ(PictureBytesNeeded(std::span(jpeg).first(jpeg.size() - 2)), SIZE_MAX);
    EXPECT_EQ(PictureBytesNeeded(jpeg), jpeg.size());  // at the end marker
    EXPECT_EQ(PictureBytesNeeded(jpeg, ImageFormat::Png), jpeg.size());  // not the format asked for
    EXPECT_EQ(PictureBytesNeeded(std::vector<std::uint8_t>{'B'}), SIZE_MAX);  // may still become a BMP
    EXPECT_EQ(PictureBytesNeeded(zeros), 64u);
}

}  // namespace
}  // namespace veskel
