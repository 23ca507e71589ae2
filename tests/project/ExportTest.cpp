// Image export: file names, encoder settings of each format, and writes that fail.
#include "project/Export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "platform/codecs/Codecs.h"
#include "project/GifReduction.h"
#include "tests/project/TestFiles.h"

namespace veskel {
namespace {

using testing::ReadAll;
using testing::ScratchDir;
using testing::WriteAll;

// A banner-like test image: a gradient with noise, black and white text-like pixels.
Bitmap TestBanner() {
    Bitmap bmp(350, 20);
    std::mt19937 rng(42);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 350; ++x) {
            const int n = int(rng() % 9);
            bmp.SetPixel(x, y, RGB(std::uint8_t(241 - x * 152 / 349 + n), std::uint8_t(77 + x * 117 / 349),
                                   std::uint8_t(33 - x * 20 / 349 + y)));
        }
    for (int x = 200; x < 340; x += 3) bmp.SetPixel(x, 8, kWhite);
    for (int x = 0; x < 350; ++x) bmp.SetPixel(x, 0, kBlack);
    return bmp;
}

TEST(ExportNames, ExtensionOfTheChosenEntryIsAppendedUnlessTheNameHasIt) {
    ScratchDir dir;
    const Bitmap image = TestBanner();
    EXPECT_EQ(ExportImage(image, dir / "banner", 1), dir / "banner.png");
    EXPECT_EQ(ExportImage(image, dir / "banner.png", 1), dir / "banner.png");
    EXPECT_EQ(ExportImage(image, dir / "BANNER.PNG", 1), dir / "BANNER.PNG");
    EXPECT_EQ(ExportImage(image, dir / "banner.jpg", 1), dir / "banner.jpg.png");
    EXPECT_EQ(ExportImage(image, dir / "banner", 2), dir / "banner.jpg");
    EXPECT_EQ(ExportImage(image, dir / "banner", 3), dir / "banner.gif");
    EXPECT_EQ(ExportImage(image, dir / "banner", 4), dir / "banner.bmp");
    // banner.jpg.png is a PNG, whatever the typed name says.
    const std::vector<std::uint8_t> bytes = ReadAll(dir / "banner.jpg.png");
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(bytes[1], 'P');
    EXPECT_EQ(DecodePng(bytes).color, image);
}

TEST(ExportNames, FilterIndexOutsideTheFourEntriesWritesNothing) {
    ScratchDir dir;
    EXPECT_THROW(ExportImage(TestBanner(), dir / "banner", 0), std::invalid_argument);
    EXPECT_THROW(ExportImage(TestBanner(), dir / "banner", 5), std::invalid_argument);
    EXPECT_TRUE(dir.Names().empty());
    EXPECT_EQ(kExportFilter,
              "Portable Network Graphics (*.png)|*.png|JPEG Image File (*.jpg)|*.jpg|Gif Image (*.gif)|*.gif|"
              "Bitmaps (*.bmp)|*.bmp");
}

TEST(ExportFormats, PngIsExactRgbWithoutAlpha) {
    const Bitmap image = TestBanner();
    const std::vector<std::uint8_t> png = EncodeExport(image, ExportFormat::Png);
    ASSERT_GT(png.size(), 33u);
    // IHDR: width, height, bit depth 8, colour type 2 (RGB, no alpha).
    EXPECT_EQ(png[19], 350 & 0xFF);
    EXPECT_EQ(png[23], 20);
    EXPECT_EQ(png[24], 8);
    EXPECT_EQ(png[25], 2);
    const Picture decoded = DecodePng(png);
    EXPECT_EQ(decoded.color, image);
    EXPECT_FALSE(decoded.hasTransparency);
}

TEST(ExportFormats, BmpIs21094BytesAndExact) {
    const Bitmap image = TestBanner();
    const std::vector<std::uint8_t> bmp = EncodeExport(image, ExportFormat::Bmp);
    EXPECT_EQ(bmp.size(), 21094u);
    EXPECT_EQ(DecodeBmp(bmp).color, image);
}

TEST(ExportFormats, JpegUsesQuality70AndDiffersOnlyByCompression) {
    const Bitmap image = TestBanner();
    const std::vector<std::uint8_t> jpg = EncodeExport(image, ExportFormat::Jpeg);
    // The first luminance quantisation value of the standard table scaled to quality 70 is 10
    // ((16 x 60 + 50) / 100); quality 75, the library default, would give 8.
    const std::uint8_t marker[] = {0xFF, 0xDB};
    auto dqt = std::search(jpg.begin(), jpg.end(), std::begin(marker), std::end(marker));
    ASSERT_NE(dqt, jpg.end());
    ASSERT_LT(std::distance(jpg.begin(), dqt) + 5, std::ptrdiff_t(jpg.size()));
    EXPECT_EQ(dqt[4] & 0xF0, 0);  // 8-bit table
    EXPECT_EQ(dqt[5], 10);
    const Picture decoded = DecodeJpeg(jpg);
    ASSERT_EQ(decoded.Width(), 350);
    ASSERT_EQ(decoded.Height(), 20);
    long total = 0;
    for (std::size_t i = 0; i < image.ByteSize(); ++i)
        total += std::abs(int(image.Data()[i]) - int(decoded.color.Data()[i]));
    EXPECT_LT(double(total) / double(image.ByteSize()), 8.0);
}

TEST(ExportFormats, GifCarriesTheWholeReducedPaletteAndIndices) {
    const Bitmap image = TestBanner();
    const std::vector<std::uint8_t> gif = EncodeExport(image, ExportFormat::Gif);
    const IndexedImage reduced = ReduceToGifPalette(image);
    ASSERT_GT(gif.size(), 13u + 768u);
    EXPECT_EQ(std::string(gif.begin(), gif.begin() + 3), "GIF");
    // Global colour table present with 256 entries, in palette order, none trimmed.
    EXPECT_EQ(gif[10] & 0x87, 0x87);
    for (int i = 0; i < 256; ++i) {
        const PaletteEntry& e = reduced.palette[std::size_t(i)];
        ASSERT_EQ(gif[13 + 3 * i], e.r) << i;
        ASSERT_EQ(gif[14 + 3 * i], e.g) << i;
        ASSERT_EQ(gif[15 + 3 * i], e.b) << i;
    }
    const Picture decoded = DecodeGif(gif);
    ASSERT_EQ(decoded.Width(), 350);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 350; ++x) {
            const PaletteEntry& e = reduced.palette[reduced.pixels[std::size_t(y) * 350 + std::size_t(x)]];
            ASSERT_EQ(decoded.color.Pixel(x, y), RGB(e.r, e.g, e.b)) << x << "," << y;
        }
}

TEST(ExportFailures, MissingFolderAndDirectoryTargetGiveTheCreateMessage) {
    ScratchDir dir;
    const std::string missing = dir / "no-such-folder/banner";
    try {
        ExportImage(TestBanner(), missing, 1);
        FAIL() << "no error";
    } catch (const ProjectError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Не удается создать файл \"" + missing + ".png\". No such file or directory");
    }
    std::filesystem::create_directory(dir / "taken.png");
    EXPECT_THROW(ExportImage(TestBanner(), dir / "taken", 1), ProjectError);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "taken.png"));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"taken.png"});  // no temporary file left behind
}

TEST(ExportFailures, WriteFailingMidwayKeepsThePreviousFile) {
    ScratchDir dir;
    const std::string path = dir / "banner.bmp";
    const std::vector<std::uint8_t> old(5000, 0xAB);
    WriteAll(path, old);
    for (ExportFormat format : {ExportFormat::Png, ExportFormat::Jpeg, ExportFormat::Gif, ExportFormat::Bmp}) {
        const int status = testing::RunWithFileSizeLimit(500, [&] { WriteExport(TestBanner(), format, path); });
        EXPECT_EQ(status, 3) << int(format);
        EXPECT_EQ(ReadAll(path), old) << int(format);
    }
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"banner.bmp"});
}

}  // namespace
}  // namespace veskel
