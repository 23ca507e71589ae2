// The banner's pixel font: every glyph rasterises to exactly its art, the code page is covered,
// and the default text fits the banner.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/graphics/Canvas.h"
#include "platform/text/CodePage.h"
#include "platform/text/FontCache.h"
#include "platform/text/FontEngine.h"
#include "tests/text/TextTestSupport.h"
#include "platform/text/CanvasText.h"

namespace veskel {
namespace {

using testing::Art;
using testing::BannerFont;

constexpr int kFirstArtRow = 2;  // the art's accent row is row 2 of the 12-pixel character cell

// Draws one character at (1, 0) of a black bitmap and compares every pixel with the art, which
// starts at (1, kFirstArtRow); returns a description of the differences, empty when none.
std::string CompareWithArt(char32_t ch, const Art& art) {
    const int width = int(art[0].size());
    Bitmap bmp(width + 6, 14);
    Canvas canvas(bmp);
    canvas.font = BannerFont(kWhite);
    TextOut(canvas, 1, 0, EncodeUtf8(std::u32string(1, ch)));
    std::ostringstream diff;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) {
            int ax = x - 1, ay = y - kFirstArtRow;
            bool want = ax >= 0 && ax < width && ay >= 0 && ay < int(art.size()) && art[std::size_t(ay)][std::size_t(ax)] == '#';
            bool got = bmp.Pixel(x, y) == kWhite;
            if (want != got) diff << " (" << ax << "," << ay << ")" << (want ? " missing" : " extra");
        }
    int advance = CharAdvance(canvas.font, ch);
    if (advance != width + 1) diff << " advance " << advance << " instead of " << width + 1;
    return diff.str();
}

TEST(BannerFont, EveryGlyphRasterisesToItsArtBitForBit) {
    testing::GlyphArt art = testing::LoadGlyphArt();
    ASSERT_GT(art.glyphs.size(), 200u);
    int checked = 0;
    for (const auto& [ch, block] : art.glyphs) {
        ASSERT_EQ(block.size(), 7u) << "U+" << std::hex << unsigned(ch);
        std::string diff = CompareWithArt(ch, block);
        EXPECT_TRUE(diff.empty()) << "U+" << std::hex << unsigned(ch) << ":" << diff;
        ++checked;
    }
    // A character the font lacks draws the .notdef box.
    EXPECT_EQ(CompareWithArt(U'\u65E5', art.notdef), "");
    EXPECT_EQ(checked, int(art.glyphs.size()));
}

TEST(BannerFont, CoversPrintableAsciiAndEveryCharacterOfTheCodePage) {
    testing::GlyphArt art = testing::LoadGlyphArt();
    std::string missing;
    for (int b = 0x20; b <= 0xFF; ++b) {
        if (b == 0x7F || b == 0x98) continue;  // DEL is no character; 0x98 is unassigned
        std::u32string ch = DecodeUtf8Lossy(Cp1251ToUtf8(std::string(1, char(b))));
        if (!art.glyphs.count(ch[0])) missing += " " + std::to_string(b);
    }
    EXPECT_EQ(missing, "");
}

TEST(BannerFont, ResolvesToTheRegisteredFaceWithTwelvePixelLines) {
    const Font font = BannerFont();  // registers first: the engine lock is not re-entrant
    auto lock = text::LockEngine();
    text::FontInstance& f = text::Instance(font);
    EXPECT_TRUE(f.Resolved().privateFont);
    EXPECT_EQ(f.Resolved().family, kBannerFontFamily);
    EXPECT_EQ(f.Resolved().pixelSize, 12);
    EXPECT_EQ(f.Ascent(), 8);
    EXPECT_EQ(f.Height(), 12);
    EXPECT_FALSE(f.Resolved().syntheticBold);
}

TEST(BannerFont, DefaultTextFitsTheBannerAndSitsInTheMiddleRows) {
    const std::string text = "Brannock veskel generator";
    Bitmap banner(350, 20);
    Canvas canvas(banner);
    canvas.font = BannerFont(kWhite);
    int sum = 0;
    for (char32_t c : DecodeUtf8Lossy(text)) sum += CharAdvance(canvas.font, c);
    EXPECT_EQ(TextWidth(canvas, text), sum);  // the extent is the per-character advance sum
    EXPECT_LT(sum, 340);

    // Right-aligned 4 pixels before the edge at TextY 5, as a new document places it.
    TextOut(canvas, 346 - sum, 5, text);
    testing::Bounds ink = testing::InkBounds(banner, kBlack);
    ASSERT_FALSE(ink.empty);
    EXPECT_EQ(ink.left, 346 - sum);
    EXPECT_EQ(ink.right, 346 - 1);  // the last glyph's spacing column stays empty
    EXPECT_EQ(ink.top, 5 + 3);      // capitals from cell row 3 ...
    EXPECT_EQ(ink.bottom, 5 + 8);   // ... down to the baseline under cell row 7
}

TEST(BannerFont, LowercaseSharesTheCapitals) {
    Font f = BannerFont();
    for (auto [lower, upper] : {std::pair<char32_t, char32_t>{U'a', U'A'}, {U'z', U'Z'}, {U'\u0430', U'\u0410'},
                                {U'\u044F', U'\u042F'}, {U'\u0451', U'\u0401'}}) {
        Bitmap a(10, 12), b(10, 12);
        Canvas ca(a), cb(b);
        ca.font = cb.font = f;
        TextOut(ca, 0, 0, EncodeUtf8(std::u32string(1, lower)));
        TextOut(cb, 0, 0, EncodeUtf8(std::u32string(1, upper)));
        EXPECT_EQ(a, b) << "U+" << std::hex << unsigned(lower);
        EXPECT_GT(testing::CountPixels(a, kWhite), 0);
    }
}

}  // namespace
}  // namespace veskel
