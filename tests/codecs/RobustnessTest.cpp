// Broken input is the normal case for a decoder: every cut and every flipped bit must give a
// picture or a CodecError, never a crash (the sanitizer build runs these too).
#include <gtest/gtest.h>

#include <functional>

#include "tests/codecs/CodecTestUtil.h"

namespace veskel {
namespace {

using namespace codec_test;

struct Format {
    const char* name;
    std::function<Picture(std::span<const std::uint8_t>)> decode;
    std::vector<std::uint8_t> sample;
};

std::vector<Format> Formats() {
    IndexedImage indexed;
    indexed.width = 40;
    indexed.height = 9;
    for (int i = 0; i < 40 * 9; ++i) indexed.pixels.push_back(std::uint8_t(i * 7 % 251));
    return {
        {"png", DecodePng, Sample("rgba.png")},
        {"interlaced png", DecodePng, Sample("interlaced_palette.png")},
        {"jpeg", DecodeJpeg, Sample("smooth.jpg")},
        {"progressive jpeg", DecodeJpeg, Sample("progressive.jpg")},
        {"cmyk jpeg", DecodeJpeg, Sample("cmyk.jpg")},
        {"gif", DecodeGif, EncodeGif(indexed)},
        {"animated gif", DecodeGif, Sample("animated.gif")},
        {"bmp", DecodeBmp, Sample("palette8.bmp")},
        {"rle bmp", DecodeBmp, Sample("rle8.bmp")},
        {"v5 bmp", DecodeBmp, Sample("v5.bmp")},
    };
}

TEST(CodecRobustness, EveryTruncationGivesAPictureOrAnError) {
    for (const Format& f : Formats()) {
        SCOPED_TRACE(f.name);
        const std::size_t n = f.sample.size();
        // Every offset through the headers, then about 300 spread over the rest.
        const std::size_t step = std::max<std::size_t>(1, n / 300);
        for (std::size_t cut = 0; cut < n; cut += cut < 200 ? 1 : step) {
            const std::vector<std::uint8_t> head(f.sample.begin(), f.sample.begin() + long(cut));
            ASSERT_TRUE(DecodesOrRefuses(f.decode, head)) << "cut at " << cut;
        }
    }
}

TEST(CodecRobustness, FlippedBitsGiveAPictureOrAnError) {
    std::uint32_t seed = 12345;
    auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    for (const Format& f : Formats()) {
        SCOPED_TRACE(f.name);
        for (int round = 0; round < 400; ++round) {
            std::vector<std::uint8_t> bytes = f.sample;
            const int flips = 1 + int(next() % 4);
            for (int i = 0; i < flips; ++i) bytes[next() % bytes.size()] ^= std::uint8_t(1u << (next() % 8));
            ASSERT_TRUE(DecodesOrRefuses(f.decode, bytes)) << "round " << round;
        }
    }
}

TEST(CodecRobustness, EmptyAndTinyInputsAreRefused) {
    for (const Format& f : Formats()) {
        SCOPED_TRACE(f.name);
        EXPECT_THROW(f.decode({}), CodecError);
        EXPECT_THROW(f.decode(std::vector<std::uint8_t>(f.sample.begin(), f.sample.begin() + 2)), CodecError);
        EXPECT_THROW(f.decode(std::vector<std::uint8_t>(64, 0xFF)), CodecError);
    }
}

}  // namespace
}  // namespace veskel
