#include "platform/ui/StoredPng.h"

#include <gtest/gtest.h>

#include "platform/codecs/Codecs.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {
namespace {

std::vector<std::uint8_t> SmallPng() {
    Bitmap b(3, 2);
    b.Fill(RGB(10, 20, 30));
    return EncodePng(b);
}

TEST(StoredPngBlock, NamesOfListItems) {
    EXPECT_EQ(PngBlockName(1), "QORPNGData1");
    EXPECT_EQ(PngBlockName(12), "QORPNGData12");
    EXPECT_EQ(PngBlockIndex("QORPNGData1"), 1u);
    EXPECT_EQ(PngBlockIndex("qorpngdata12"), 12u);  // stored names match in any case
    EXPECT_EQ(PngBlockIndex("QORPNGData0"), 0u);
    for (const char* bad : {"QORPNGData", "QORPNGData1a", "QORPNGDatax", "XORPNGData1", "QORPNGData1234567890"})
        EXPECT_FALSE(PngBlockIndex(bad).has_value()) << bad;
}

TEST(StoredPngBlock, PayloadIsTheFileByteForByte) {
    const std::vector<std::uint8_t> png = SmallPng();
    const std::vector<std::uint8_t> encoded = EncodePngBlock(png);
    ASSERT_EQ(encoded.size(), png.size() + 5);
    EXPECT_EQ(encoded[0], 10);
    EXPECT_EQ(encoded[1] | encoded[2] << 8 | encoded[3] << 16 | encoded[4] << 24, int(png.size()));
    EXPECT_TRUE(std::equal(png.begin(), png.end(), encoded.begin() + 5));
    EXPECT_EQ(ReadPngBlock(encoded), png);
}

TEST(StoredPngBlock, EmptyImagesAreTheSignatureOrNothing) {
    const std::vector<std::uint8_t> signature(kPngSignature.begin(), kPngSignature.end());
    EXPECT_TRUE(IsEmptyPngPayload(signature));
    EXPECT_TRUE(IsEmptyPngPayload({}));
    EXPECT_FALSE(IsEmptyPngPayload(SmallPng()));
    EXPECT_EQ(ReadPngBlock(EncodePngBlock(signature)), signature);
    EXPECT_TRUE(ReadPngBlock(EncodePngBlock({})).empty());
}

TEST(StoredPngBlock, BrokenBlocksAreRefusedWithAReason) {
    const std::vector<std::uint8_t> png = SmallPng();
    auto message = [](const std::vector<std::uint8_t>& encoded) -> std::string {
        try {
            ReadPngBlock(encoded);
        } catch (const LayoutError& e) {
            return e.what();
        }
        return "accepted";
    };
    // A length that runs past the end of the value.
    std::vector<std::uint8_t> overlong = EncodePngBlock(png);
    overlong[1] = 0xFF;
    overlong[4] = 0x7F;
    EXPECT_NE(message(overlong), "accepted");
    // Not a PNG at all.
    EXPECT_NE(message(EncodePngBlock(std::vector<std::uint8_t>{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0})).find("not a PNG"),
              std::string::npos);
    EXPECT_NE(message(EncodePngBlock(std::vector<std::uint8_t>{137, 80, 78})).find("not a PNG"), std::string::npos);
    // A PNG cut short after its header.
    const std::vector<std::uint8_t> cut(png.begin(), png.begin() + 40);
    EXPECT_NE(message(EncodePngBlock(cut)).find("cannot be read"), std::string::npos);
}

}  // namespace
}  // namespace veskel
