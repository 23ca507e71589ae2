// What decoding and opening cost in memory: a crafted file that declares a huge image and stops
// short must cost little, and a real picture about its own size. Peaks are counted by the test
// program's allocator, never timed.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "banner/BannerDocument.h"
#include "banner/History.h"
#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"
#include "project/ProjectFile.h"
#include "tests/memory/CountingAllocator.h"

namespace veskel {
namespace {

constexpr std::size_t kMB = std::size_t(1) << 20;

std::vector<std::uint8_t> Hostile(const std::string& name) {
    return ReadFileBytes(std::string(VESKEL_TEST_DATA_DIR) + "/hostile/" + name);
}

#define SKIP_WITHOUT_METER() \
    if (!memory::Counting()) GTEST_SKIP() << "the sanitizer's allocator is not counted"

TEST(DecodeMemory, CraftedHugeHeadersAreRefusedCheaply) {
    struct Case {
        const char* file;
        std::function<Picture(std::span<const std::uint8_t>)> decode;
        const char* message;
    };
    const char *truncated = "truncated data", *sparse = "paints too little of the 16384 x 3906 image";
    const std::vector<Case> cases = {
        {"huge_frame.bmp", DecodeBmp, truncated},              // 24-bit, 154 bytes
        {"huge_rle8_eob.bmp", DecodeBmp, truncated},           // RLE8 holding only the end-of-bitmap code
        {"rle4_jumps.bmp", DecodeBmp, sparse},                 // RLE4 delta codes down to the last row
        {"rle8_jumps_no_end.bmp", DecodeBmp, sparse},          // the same in RLE8, without an end code
        {"huge_frame_baseline.jpg", DecodeJpeg, truncated},
        {"huge_frame_progressive.jpg", DecodeJpeg, truncated},
        {"arithmetic.jpg", DecodeJpeg, sparse},                // arithmetic coding ends after 200 bytes
        {"arithmetic_progressive.jpg", DecodeJpeg, sparse},
        {"huge_screen.gif", DecodeGif, truncated},             // its 4 x 4 frame cut off
        {"screen_one_pixel.gif", DecodeGif, sparse},           // a whole 1 x 1 frame
        {"huge_text_chunk.png", DecodePng, truncated},         // a text chunk claiming 2 GB
    };
    // Bytes after a file's end paint nothing: with 256 KB of them appended (enough to pass for the
    // data of the frames above) the file costs and says the same. The cut GIF has no end.
    for (const Case& c : cases) {
        for (const std::size_t tail : {std::size_t(0), std::size_t(256) << 10}) {
            if (tail > 0 && std::string(c.file) == "huge_screen.gif") continue;
            SCOPED_TRACE(std::string(c.file) + " + " + std::to_string(tail));
            std::vector<std::uint8_t> bytes = Hostile(c.file);
            bytes.resize(bytes.size() + tail, 0x5A);
            std::string message;
            const std::size_t peak = memory::PeakDuring([&] {
                try {
                    c.decode(bytes);
                } catch (const CodecError& e) {
                    message = e.what();
                }
            });
            EXPECT_NE(message.find(c.message), std::string::npos) << message;
            if (memory::Counting()) {
                EXPECT_LT(peak, 8 * kMB);
            }
        }
    }
}

// Zero rows of a 2000 x 1500 picture, encoded by our own encoders.
Picture BigPicture(bool alpha) {
    Picture p(Bitmap(2000, 1500));
    for (int y = 0; y < p.Height(); y += 7) p.color.Row(y)[3 * (y % 2000)] = 200;
    if (alpha) p.EnsureAlpha(128);
    return p;
}

TEST(DecodeMemory, RealPicturesCostAboutTheirOwnSize) {
    SKIP_WITHOUT_METER();
    const Picture rgb = BigPicture(false), rgba = BigPicture(true);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        std::function<Picture(std::span<const std::uint8_t>)> decode;
        std::size_t pictureBytes;
    };
    const std::size_t colorBytes = rgb.color.ByteSize(), alphaBytes = rgba.alpha.size();
    const std::vector<Case> cases = {
        {"png", EncodePng(rgb), DecodePng, colorBytes},
        {"png with alpha", EncodePng(rgba), DecodePng, colorBytes + alphaBytes},
        {"jpeg", EncodeJpeg(rgb.color), DecodeJpeg, colorBytes},
        {"bmp", EncodeBmp(rgb.color), DecodeBmp, colorBytes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t peak = memory::PeakDuring([&] { EXPECT_EQ(c.decode(c.file).Width(), 2000); });
        // The picture itself plus the decoder's working rows: no second whole copy.
        EXPECT_GE(peak, c.pictureBytes);
        EXPECT_LT(peak, c.pictureBytes + c.pictureBytes / 4 + 2 * kMB);
    }
}

// A project's picture is held once: by the document and its undo history together, with the
// shown picture banner-sized and the reduced copy for size steps at most a third on top.
TEST(ProjectMemory, AnOpenedPictureIsHeldOnceWithItsHistory) {
    SKIP_WITHOUT_METER();
    // 2000 x 1500 RGBA zeros: 12 MB as a picture, 12 KB as a file, no stored size.
    const std::vector<std::uint8_t> bytes = Hostile("zero_picture_small.vzk");
    const std::size_t pictureBytes = std::size_t(2000) * 1500 * 4;
    BannerDocument doc;
    doc.NewDocument();
    DocumentHistory history(doc);
    const std::size_t before = memory::Current();
    const std::size_t open = memory::PeakDuring([&] {
        OpenProjectBytes(doc, bytes, "zero.vzk");
        history.Commit();
    });
    EXPECT_EQ(doc.SourcePicture().Width(), 2000);
    EXPECT_LT(open, pictureBytes + 3 * kMB);  // the decoder's rows beside the picture, nothing more
    ASSERT_TRUE(doc.ResetOverlaySize());
    for (int i = 0; i < 20; ++i) doc.WidenOverlay(), history.Commit();
    EXPECT_LT(memory::Current() - before, pictureBytes + pictureBytes / 3 + 2 * kMB);
    const std::size_t save = memory::PeakDuring([&] { ProjectBytes(doc); });
    EXPECT_LT(save, 5 * kMB);  // the encoder interleaves the alpha one row at a time
}

}  // namespace
}  // namespace veskel
