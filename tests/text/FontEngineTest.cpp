// Family resolution, private registration, and the agreement of measuring with drawing.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/io/Files.h"
#include "platform/text/CodePage.h"
#include "platform/text/FontCache.h"
#include "platform/text/FontEngine.h"
#include "tests/text/TextTestSupport.h"
#include "platform/text/CanvasText.h"

namespace veskel {
namespace {

Font MakeFont(const char* family, int points, int pixels = 0, bool bold = false) {
    Font f;
    f.family = family;
    f.size = points;
    f.pixelHeight = pixels;
    f.bold = bold;
    return f;
}

text::ResolvedFace Resolve(const Font& f) {
    auto lock = text::LockEngine();
    return text::Instance(f).Resolved();
}

struct FamilyCase {
    const char* requested;
    int points;
    int pixels;
    const char* family;  // the face that must serve it
    bool strike;         // drawn from a fixed bitmap strike
    int pixelSize;
};

TEST(FontEngine, ClassicFamiliesResolveToTheirPackagedTwins) {
    const FamilyCase cases[] = {
        {"Tahoma", 8, 0, "Tahoma", false, 11},
        {"tahoma", 0, 16, "Tahoma", false, 16},
        {"MS Sans Serif", 8, 0, "MS Sans Serif", true, 13},   // 11 px em takes the 13 px cell
        {"MS Sans Serif", 0, 11, "MS Sans Serif", true, 13},
        {"MS Sans Serif", 10, 0, "MS Sans Serif", true, 16},
        {"Small Fonts", 6, 0, "Small Fonts", true, 11},       // its only strike
        {"Courier", 0, 13, "Courier", true, 13},
        {"Times new roman", 11, 0, "Liberation Serif", false, 15},
        {"Verdana", 9, 0, "DejaVu Sans", false, 12},
    };
    for (const FamilyCase& c : cases) {
        text::ResolvedFace r = Resolve(MakeFont(c.requested, c.points, c.pixels));
        EXPECT_EQ(r.family, c.family) << c.requested;
        EXPECT_EQ(r.bitmapStrike, c.strike) << c.requested;
        EXPECT_EQ(r.pixelSize, c.pixelSize) << c.requested;
        EXPECT_FALSE(r.privateFont) << c.requested;
    }
    EXPECT_EQ(text::MappedFamily("TIMES NEW ROMAN"), "Liberation Serif");
    EXPECT_EQ(text::MappedFamily("Some Family"), "Some Family");
}

TEST(FontEngine, BoldUsesARealBoldFaceOrSynthesisesIt) {
    text::ResolvedFace tahoma = Resolve(MakeFont("Tahoma", 8, 0, true));
    EXPECT_EQ(tahoma.family, "Tahoma");
    EXPECT_FALSE(tahoma.syntheticBold);  // tahomabd.ttf
    text::ResolvedFace sans = Resolve(MakeFont("MS Sans Serif", 8, 0, true));
    EXPECT_TRUE(sans.syntheticBold);

    // Synthesised bold: every glyph one pixel wider, one pixel more advance.
    Font regular = MakeFont("MS Sans Serif", 8);
    Font bold = MakeFont("MS Sans Serif", 8, 0, true);
    EXPECT_EQ(CharAdvance(bold, U'H'), CharAdvance(regular, U'H') + 1);

    // Italic without an italic face is slanted, on outlines and on bitmap strikes alike; the
    // advance stays as it was.
    for (Font upright : {MakeFont("Tahoma", 8), MakeFont("Tahoma", 0, 30), MakeFont("MS Sans Serif", 8)}) {
        const std::string family = upright.family + " " + std::to_string(upright.EmPixels());
        upright.color = kWhite;
        Font italic = upright;
        italic.italic = true;
        EXPECT_TRUE(Resolve(italic).syntheticItalic) << family;
        Bitmap a(60, 40), b(60, 40);
        Canvas ca(a), cb(b);
        ca.font = upright;
        cb.font = italic;
        TextOut(ca, 2, 2, "HI");
        TextOut(cb, 2, 2, "HI");
        EXPECT_NE(a, b) << family;
        EXPECT_EQ(TextWidth(ca, "HI"), TextWidth(cb, "HI")) << family;
    }
}

TEST(FontEngine, RegistrationKeepsItsOwnCopyOfTheBytes) {
    Font f = MakeFont("DejaVu Sans", 9);
    std::vector<std::uint8_t> bytes =
        ReadFileBytes(std::string(VESKEL_SOURCE_DIR) + "/tests/text/data/PixelFontNamedDejaVuSans.ttf");
    FontHandle h = RegisterPrivateFont(bytes);
    bytes.assign(bytes.size(), 0);  // the caller's buffer may go away at once
    EXPECT_TRUE(Resolve(f).privateFont);
    EXPECT_EQ(CharAdvance(f, U'A'), 5);
    UnregisterPrivateFont(h);
    UnregisterPrivateFont(h);      // a second removal is ignored
    UnregisterPrivateFont(12345);  // as is an unknown handle
    EXPECT_FALSE(Resolve(f).privateFont);
}

TEST(FontEngine, RegisteredFamilyWinsOverTheSystemFont) {
    Font f = MakeFont("DejaVu Sans", 9);
    ASSERT_FALSE(Resolve(f).privateFont);
    const int systemAdvance = CharAdvance(f, U'W');
    FontHandle h = RegisterPrivateFont(
        ReadFileBytes(std::string(VESKEL_SOURCE_DIR) + "/tests/text/data/PixelFontNamedDejaVuSans.ttf"));
    EXPECT_TRUE(Resolve(f).privateFont);
    EXPECT_EQ(CharAdvance(f, U'W'), 6);  // the pixel font's W: five pixels and one of spacing
    UnregisterPrivateFont(h);
    EXPECT_FALSE(Resolve(f).privateFont);
    EXPECT_EQ(CharAdvance(f, U'W'), systemAdvance);
}

TEST(FontEngine, RefusesDataThatIsNoFont) {
    const std::vector<std::uint8_t> empty;
    const std::vector<std::uint8_t> junk(1000, 0x5A);
    std::vector<std::uint8_t> truncated =
        ReadFileBytes(std::string(VESKEL_SOURCE_DIR) + "/resources/fonts/VisitorTT2BRK.ttf");
    truncated.resize(40);
    for (const std::vector<std::uint8_t>* data : {&empty, &junk, static_cast<const std::vector<std::uint8_t>*>(&truncated)}) {
        try {
            RegisterPrivateFont(*data);
            ADD_FAILURE() << "accepted " << data->size() << " bytes";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("font"), std::string::npos) << e.what();
        }
    }
}

// Draws text and, separately, each character at the pen position its predecessors' advances
// give: the two images must be equal, and the extent's width is where the next text would start.
TEST(FontEngine, TextExtentMatchesTheDrawnAdvance) {
    const Font fonts[] = {testing::BannerFont(kBlack), MakeFont("Tahoma", 8), MakeFont("MS Sans Serif", 8),
                          MakeFont("Verdana", 9), MakeFont("Times new roman", 11), MakeFont("Small Fonts", 6),
                          MakeFont("MS Sans Serif", 8, 0, true)};
    const std::string text = "Wave, Текст 42!";
    const std::u32string chars = U"Wave, Текст 42!";
    for (const Font& f : fonts) {
        Bitmap whole(300, 40), pieces(300, 40);
        whole.Fill(kWhite);
        pieces.Fill(kWhite);
        Canvas cw(whole), cp(pieces);
        cw.font = cp.font = f;
        TextOut(cw, 3, 4, text);
        int pen = 3;
        for (char32_t c : chars) {
            TextOut(cp, pen, 4, EncodeUtf8(std::u32string(1, c)));
            pen += CharAdvance(f, c);
        }
        EXPECT_EQ(whole, pieces) << f.family;
        Size ext = TextExtent(cw, text);
        EXPECT_EQ(3 + ext.width, pen) << f.family;
        auto lock = text::LockEngine();
        EXPECT_EQ(ext.height, text::Instance(f).Height()) << f.family;
        EXPECT_GT(ext.height, 0) << f.family;
    }
}

TEST(FontEngine, TextOutPaintsOnlyGlyphPixelsInsideTheClip) {
    Bitmap bmp(40, 16);
    bmp.Fill(RGB(1, 2, 3));
    Canvas c(bmp);
    c.font = testing::BannerFont(RGB(200, 10, 20));
    c.SetOrigin({10, 0});
    c.SetClipRect({12, 0, 20, 16});
    TextOut(c, -8, 0, "HHHHHHHHHH");  // starts at device x 2, runs far past the clip
    testing::Bounds ink = testing::InkBounds(bmp, RGB(1, 2, 3));
    ASSERT_FALSE(ink.empty);
    EXPECT_GE(ink.left, 12);
    EXPECT_LE(ink.right, 20);
    EXPECT_EQ(testing::CountPixels(bmp, RGB(1, 2, 3)) + testing::CountPixels(bmp, RGB(200, 10, 20)), 40 * 16);

    // Far outside, and hostile coordinates, draw nothing and do not crash.
    Bitmap untouched = bmp;
    c.ResetClip();
    c.SetOrigin({0, 0});
    TextOut(c, 2000000000, 5, "HHHH");
    TextOut(c, -2000000000, -2000000000, "HHHH");
    TextOut(c, 0, 100, "HHHH");
    EXPECT_EQ(bmp, untouched);
}

TEST(FontEngine, UnderlineSpansTheAdvanceBelowTheBaseline) {
    Bitmap bmp(60, 14);
    Canvas c(bmp);
    c.font = testing::BannerFont(kWhite);
    c.font.underline = true;
    TextOut(c, 2, 0, "A A");
    const int width = TextWidth(c, "A A");
    // One full row under the descender row, from the pen start to the end of the advance.
    for (int x = 0; x < 60; ++x) EXPECT_EQ(bmp.Pixel(x, 9) == kWhite, x >= 2 && x < 2 + width) << x;
    for (int x = 0; x < 60; ++x) EXPECT_NE(bmp.Pixel(x, 10), kWhite) << x;
}

TEST(FontEngine, DamagedUtf8IsDrawnAsReplacementNotDropped) {
    Bitmap a(40, 12), b(40, 12);
    Canvas ca(a), cb(b);
    ca.font = cb.font = testing::BannerFont(kWhite);
    TextOut(ca, 0, 0, std::string("A\xFF" "B"));
    TextOut(cb, 0, 0, "A\xEF\xBF\xBD" "B");  // U+FFFD, which the font draws as its missing-glyph box
    EXPECT_EQ(a, b);
    EXPECT_EQ(TextWidth(ca, std::string("A\xFF" "B")), TextWidth(cb, "A\xEF\xBF\xBD" "B"));
    EXPECT_EQ(TextExtent(ca, "").width, 0);
    EXPECT_EQ(TextExtent(ca, "").height, 12);
}

TEST(FontEngine, AbsurdSizesAreClampedNotAllocated) {
    Font huge = MakeFont("Verdana", 0, 1000000);
    Font zero = MakeFont("Verdana", 0);
    EXPECT_GT(CharAdvance(huge, U'i'), 0);
    EXPECT_GE(CharAdvance(zero, U'i'), 0);
    EXPECT_EQ(Resolve(huge).pixelSize, 1024);
}

}  // namespace
}  // namespace veskel
