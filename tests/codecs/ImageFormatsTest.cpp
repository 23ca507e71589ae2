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
    for (const char* sample : {"rgba.png", "smooth.jpg", "plain.gif", "rgb24.bmp"}) {
        const std::vector<std::uint8_t> bytes = Sample(sample);
        for (const char* name : {"a.png", "a.jpg", "b.JPEG", "a.gif", "a.bmp", "a.txt", "noext"})
            EXPECT_EQ(DecodeImage(name, bytes).HasAlpha(), sample == std::string("rgba.png")) << sample << " as " << name;
    }
    const auto message = [](const char* name) {
        try {
            DecodeImage(name, std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
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
