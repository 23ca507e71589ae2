#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/codecs/CodecTestUtil.h"

namespace veskel {
namespace {

using namespace codec_test;
using Rgb = std::array<std::uint8_t, 3>;

Rgb Smooth(int x, int y) { return {std::uint8_t(x * 7), std::uint8_t(y * 7), 128}; }

template <class Decoder>
std::string Message(Decoder decode, const std::vector<std::uint8_t>& bytes) {
    try {
        decode(bytes);
    } catch (const CodecError& e) {
        return e.what();
    }
    return "decoded";
}

// Offset of the first marker FF xx (xx != 0) at or after `from`.
std::size_t FindMarker(const std::vector<std::uint8_t>& jpg, std::uint8_t code, std::size_t from = 2) {
    for (std::size_t i = from; i + 1 < jpg.size(); ++i)
        if (jpg[i] == 0xFF && jpg[i + 1] == code) return i;
    return jpg.size();
}

TEST(JpegDecode, ReadsColourGreyCmykAndProgressive) {
    const Bitmap expected = MakeBitmap(32, 32, Smooth);
    for (const char* f : {"smooth.jpg", "progressive.jpg", "cmyk.jpg"}) {
        SCOPED_TRACE(f);
        const Picture p = DecodeJpeg(Sample(f));
        EXPECT_FALSE(p.HasAlpha());
        EXPECT_LT(MeanError(p.color, expected), 3.0);
    }
    // A progressive file's coefficients are handed back row by row as the output passes them:
    // the same coefficients sent in one scan give the same pixels.
    EXPECT_EQ(DecodeJpeg(Sample("wide_progressive.jpg")).color, DecodeJpeg(Sample("wide.jpg")).color);
    const Picture grey = DecodeJpeg(Sample("grey.jpg"));
    const Bitmap luma = MakeBitmap(32, 32, [](int x, int y) {
        const auto c = Smooth(x, y);
        const std::uint8_t l = std::uint8_t((c[0] * 299 + c[1] * 587 + c[2] * 114 + 500) / 1000);
        return Rgb{l, l, l};
    });
    EXPECT_LT(MeanError(grey.color, luma), 3.0);
    for (int x = 0; x < 32; ++x) {
        const Color c = grey.color.Pixel(x, 5);
        EXPECT_TRUE(GetR(c) == GetG(c) && GetG(c) == GetB(c));
    }
}

TEST(JpegEncode, WritesBaselineAtTheGivenQuality) {
    const Bitmap banner = MakeBitmap(350, 20, [](int x, int y) { return Rgb{std::uint8_t(x * 255 / 349), std::uint8_t(y * 12), 90}; });
    const auto q70 = EncodeJpeg(banner);
    EXPECT_LT(FindMarker(q70, 0xC0), q70.size());   // baseline frame
    EXPECT_EQ(FindMarker(q70, 0xC2), q70.size());   // not progressive
    EXPECT_EQ(FindMarker(q70, 0xE0), 2u);           // JFIF header first
    const Picture back = DecodeJpeg(q70);
    EXPECT_LT(MeanError(back.color, banner), 3.0);
    EXPECT_LT(EncodeJpeg(banner, 30).size(), q70.size());
    EXPECT_GT(EncodeJpeg(banner, 95).size(), q70.size());
    EXPECT_THROW(EncodeJpeg(banner, 0), CodecError);
    EXPECT_THROW(EncodeJpeg(banner, 101), CodecError);
    EXPECT_THROW(EncodeJpeg(Bitmap()), CodecError);
}

TEST(JpegDecode, ExplainsWhatIsWrong) {
    const auto good = Sample("smooth.jpg");
    auto withSize = [&](int w, int h) {
        auto jpg = good;
        const std::size_t sof = FindMarker(jpg, 0xC0);
        jpg[sof + 5] = std::uint8_t(h >> 8), jpg[sof + 6] = std::uint8_t(h);
        jpg[sof + 7] = std::uint8_t(w >> 8), jpg[sof + 8] = std::uint8_t(w);
        return jpg;
    };
    EXPECT_EQ(Message(DecodeJpeg, {0x89, 'P', 'N', 'G'}), "JPEG: not a JPEG file");
    EXPECT_EQ(Message(DecodeJpeg, withSize(20000, 32)), "JPEG: image too large (20000 x 32)" + codec_test::kSizeLimits);
    EXPECT_EQ(Message(DecodeJpeg, withSize(9000, 9000)), "JPEG: image too large (9000 x 9000)" + codec_test::kSizeLimits);
    EXPECT_EQ(Message(DecodeJpeg, std::vector<std::uint8_t>(good.begin(), good.begin() + long(good.size() / 2))),
              "JPEG: truncated data");
    // Cut inside the image data but closed with an end-of-image marker.
    std::vector<std::uint8_t> closed(good.begin(), good.begin() + long(FindMarker(good, 0xDA) + 40));
    closed.insert(closed.end(), {0xFF, 0xD9});
    EXPECT_EQ(Message(DecodeJpeg, closed), "JPEG: truncated data");

    // A progressive file whose first scan repeats 120 times is stopped before it eats the CPU.
    auto prog = Sample("progressive.jpg");
    const std::size_t sos = FindMarker(prog, 0xDA);
    std::size_t next = sos + 2;
    while (next + 1 < prog.size() && !(prog[next] == 0xFF && prog[next + 1] != 0 && (prog[next + 1] & 0xF8) != 0xD0))
        ++next;
    const std::vector<std::uint8_t> scan(prog.begin() + long(sos), prog.begin() + long(next));
    for (int i = 0; i < 120; ++i) prog.insert(prog.begin() + long(next), scan.begin(), scan.end());
    EXPECT_EQ(Message(DecodeJpeg, prog), "JPEG: too many progressive scans");
}

// A file that lacks only its end-of-image marker holds the whole picture; one cut in its last scan not.
TEST(JpegDecode, AMissingEndMarkerLosesNothing) {
    for (const char* name : {"smooth.jpg", "progressive.jpg"}) {
        SCOPED_TRACE(name);
        const auto good = Sample(name);
        const std::vector<std::uint8_t> unended(good.begin(), good.end() - 2), cut(good.begin(), good.end() - 40);
        EXPECT_TRUE(DecodeJpeg(unended).color == DecodeJpeg(good).color);
        EXPECT_EQ(Message(DecodeJpeg, cut), "JPEG: truncated data");
    }
}

// ------------------------------------------------------------------------------------------------ GIF

IndexedImage MakeIndexed(int w, int h) {
    IndexedImage img;
    img.width = w;
    img.height = h;
    for (int i = 0; i < 256; ++i) img.palette[i] = {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.pixels.push_back(std::uint8_t(x * 7 + y * 13));
    return img;
}

Rgb EntryRgb(const IndexedImage& img, int index) {
    const PaletteEntry& e = img.palette[std::size_t(index)];
    return {e.r, e.g, e.b};
}

TEST(GifDecode, ReadsTheFirstFrame) {
    auto palette = [](int x, int y) { return PaletteRgb(PatternIndex(x, y)); };
    for (const char* f : {"plain.gif", "interlaced.gif", "animated.gif"}) {
        SCOPED_TRACE(f);
        const Picture p = DecodeGif(Sample(f));
        EXPECT_TRUE(PixelsAre(p.color, kW, kH, palette));
        EXPECT_FALSE(p.HasAlpha());
    }
}

TEST(GifEncode, WritesOneImageWithAFullColourTable) {
    const IndexedImage img = MakeIndexed(350, 20);
    const auto gif = EncodeGif(img);
    EXPECT_EQ(std::string(gif.begin(), gif.begin() + 3), "GIF");
    EXPECT_EQ(gif[6] | (gif[7] << 8), 350);
    EXPECT_EQ(gif[8] | (gif[9] << 8), 20);
    EXPECT_EQ(gif[10], 0xF7);              // global table of 256 entries
    EXPECT_EQ(gif[13 + 768], 0x2C);        // the one image follows the table directly
    EXPECT_EQ(gif[13 + 768 + 10] & 0x80, 0);  // no local table
    EXPECT_EQ(gif.back(), 0x3B);
    EXPECT_TRUE(PixelsAre(DecodeGif(gif).color, 350, 20,
                          [&](int x, int y) { return EntryRgb(img, img.pixels[std::size_t(y) * 350 + x]); }));

    IndexedImage wrong = img;
    wrong.pixels.pop_back();
    EXPECT_THROW(EncodeGif(wrong), CodecError);
    EXPECT_THROW(EncodeGif(IndexedImage{}), CodecError);
}

TEST(GifDecode, ComposesTheFrameOntoTheLogicalScreen) {
    const IndexedImage img = MakeIndexed(kW, kH);
    auto gif = EncodeGif(img);
    // Screen 20 x 10 with background entry 3; the frame at (5, 2) with entry 0 transparent.
    gif[6] = 20, gif[8] = 10, gif[11] = 3;
    const std::size_t desc = 13 + 768;
    gif[desc + 1] = 5, gif[desc + 3] = 2;
    const std::vector<std::uint8_t> control = {0x21, 0xF9, 4, 0x01, 0, 0, 0, 0};
    gif.insert(gif.begin() + long(desc), control.begin(), control.end());

    const Picture p = DecodeGif(gif);
    EXPECT_TRUE(PixelsAre(p.color, 20, 10, [&](int x, int y) {
        const bool inside = x >= 5 && x < 5 + kW && y >= 2 && y < 2 + kH;
        const int index = inside ? img.pixels[std::size_t(y - 2) * kW + std::size_t(x - 5)] : 3;
        return EntryRgb(img, index == 0 ? 3 : index);
    }));

    // A frame that reaches past the screen is clipped to it.
    gif[6] = 8, gif[8] = 4;
    const Picture clipped = DecodeGif(gif);
    EXPECT_TRUE(PixelsAre(clipped.color, 8, 4, [&](int x, int y) {
        const bool inside = x >= 5 && y >= 2;
        const int index = inside ? img.pixels[std::size_t(y - 2) * kW + std::size_t(x - 5)] : 3;
        return EntryRgb(img, index == 0 ? 3 : index);
    }));
    // An empty screen, or a frame wholly outside it: the picture is the frame's own area.
    for (std::uint8_t screenWidth : {0, 5}) {
        gif[6] = screenWidth;
        EXPECT_TRUE(PixelsAre(DecodeGif(gif).color, kW, kH, [&](int x, int y) {
            const int index = img.pixels[std::size_t(y) * kW + std::size_t(x)];
            return EntryRgb(img, index == 0 ? 3 : index);
        }));
    }
}

// The screen-sized picture comes only after the frame has decoded, but it does come.
TEST(GifDecode, AScreenFarLargerThanItsFrameStillGivesTheScreen) {
    const IndexedImage img = MakeIndexed(kW, kH);
    auto gif = EncodeGif(img);
    gif[6] = 0xB8, gif[7] = 0x0B, gif[8] = 0xD0, gif[9] = 0x07, gif[11] = 3;  // 3000 x 2000
    const Picture p = DecodeGif(gif);
    ASSERT_EQ(p.Width(), 3000);
    ASSERT_EQ(p.Height(), 2000);
    auto color = [&](int index) {
        const Rgb c = EntryRgb(img, index);
        return RGB(c[0], c[1], c[2]);
    };
    const int inFrame = img.pixels[std::size_t(kW) + 1];
    EXPECT_EQ(p.color.Pixel(1, 1), color(inFrame));
    EXPECT_EQ(p.color.Pixel(2999, 1999), color(3));  // the background
    // Cut inside the frame: refused before the screen is allocated.
    gif.resize(gif.size() - 10);
    EXPECT_EQ(Message(DecodeGif, gif), "GIF: truncated data");
}

TEST(GifDecode, ExplainsWhatIsWrong) {
    const auto good = EncodeGif(MakeIndexed(kW, kH));
    auto patched = [&](std::size_t at, std::vector<std::uint8_t> bytes) {
        auto gif = good;
        std::copy(bytes.begin(), bytes.end(), gif.begin() + long(at));
        return gif;
    };
    EXPECT_EQ(Message(DecodeGif, {'B', 'M', 0, 0, 0, 0, 0}), "GIF: not a GIF file");
    EXPECT_EQ(Message(DecodeGif, {'G', 'I', 'F', '8', '9', 'a', 0}), "GIF: truncated data");
    std::vector<std::uint8_t> noImage(good.begin(), good.begin() + 13 + 768);
    noImage.push_back(0x3B);
    EXPECT_EQ(Message(DecodeGif, noImage), "GIF: no image");
    EXPECT_EQ(Message(DecodeGif, std::vector<std::uint8_t>(good.begin(), good.end() - 10)), "GIF: truncated data");
    EXPECT_EQ(Message(DecodeGif, patched(6, {0x20, 0x4E})), "GIF: image too large (20000 x 7)" + codec_test::kSizeLimits);
    EXPECT_EQ(Message(DecodeGif, patched(13 + 768 + 5, {0x20, 0x4E})), "GIF: image too large (20000 x 7)" + codec_test::kSizeLimits);
    // Without a global table (flag cleared, table removed) and no local one.
    auto bare = patched(10, {0x00});
    bare.erase(bare.begin() + 13, bare.begin() + 13 + 768);
    EXPECT_EQ(Message(DecodeGif, bare), "GIF: no colour table");
}

}  // namespace
}  // namespace veskel
