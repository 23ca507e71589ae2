// Decoding a picture file whose name may not match its bytes.
#include <gtest/gtest.h>

#include "platform/codecs/ImageFormats.h"
#include "tests/codecs/CodecTestUtil.h"

namespace veskel {
namespace {

using namespace codec_test;

// Every kind of bytes under every kind of name: the bytes win; the extension speaks only for
// bytes that start with no signature, and then its decoder (or the list of what is supported)
// gives the message.
TEST(DecodeImage, TheBytesChooseTheDecoderAndTheNameOnlyWhenTheyCannot) {
    Picture translucent(PatternBitmap());
    translucent.alpha.assign(std::size_t(kW) * kH, 128);
    translucent.hasTransparency = true;
    IndexedImage gif;
    gif.width = kW;
    gif.height = kH;
    gif.pixels.assign(std::size_t(kW) * kH, 0);
    const std::vector<std::uint8_t> text = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        bool alphaKept;
    } pictures[] = {
        {"PNG", EncodePng(translucent), true},
        {"JPEG", EncodeJpeg(PatternBitmap()), false},
        {"GIF", EncodeGif(gif), false},
        {"BMP", EncodeBmp(PatternBitmap()), false},
    };
    const char* names[] = {"a.png", "a.jpg", "b.JPEG", "a.gif", "a.bmp", "a.txt", "noext"};
    for (const auto& p : pictures)
        for (const char* name : names) {
            const Picture decoded = DecodeImage(name, p.bytes);
            EXPECT_EQ(decoded.Width(), kW) << p.what << " named " << name;
            EXPECT_EQ(decoded.HasAlpha(), p.alphaKept) << p.what << " named " << name;
        }

    const auto message = [&](const char* name) {
        try {
            DecodeImage(name, text);
        } catch (const CodecError& e) {
            return std::string(e.what());
        }
        return std::string("decoded");
    };
    EXPECT_EQ(message("a.png"), "PNG: not a PNG file");
    EXPECT_EQ(message("b.JPEG"), "JPEG: not a JPEG file");
    EXPECT_EQ(message("a.gif"), "GIF: not a GIF file");
    EXPECT_EQ(message("a.bmp"), "BMP: not a BMP file");
    EXPECT_EQ(message("dir.png/a.TXT"), "the file type \".txt\" is not supported (use .png, .jpg, .gif or .bmp)");
    EXPECT_EQ(message("dir.png/noext"), "the file type \"\" is not supported (use .png, .jpg, .gif or .bmp)");
}

}  // namespace
}  // namespace veskel
