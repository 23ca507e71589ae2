// The document's record operations: defaults, text placement and refusal, the position fields'
// colours, the field table's setter and the change listeners.
#include <gtest/gtest.h>

#include <climits>

#include "banner/BannerDocument.h"
#include "tests/banner/BannerTestUtil.h"

namespace veskel {
namespace {

using testing::CountingDocument;

TEST(Document, NewDocumentSetsDefaultsAndKeepsTheOverlay) {
    BannerDocument doc;
    BannerSettings& s = doc.Settings();
    s.SetOverlayX(12);
    s.SetOverlayY(-3);
    s.SetOverlayWidth(40);
    s.SetOverlayHeight(9);
    s.SetPictureSize(1234);
    s.MutableBytes()[BannerSettings::kReserved2] = 0x77;
    s.SetOverlay(true);
    s.SetTextX(-99);
    doc.AdoptProjectPicture(testing::SolidPicture(5, 5, kWhite));
    doc.NewDocument();

    EXPECT_EQ(s.TextUtf8(), "Brannock veskel generator");
    EXPECT_EQ(s.ProjectNameUtf8(), "untitled");
    EXPECT_EQ(s.TextY(), 5);
    EXPECT_EQ(s.TextX(), 346 - MeasureText(s.Text()));
    EXPECT_EQ(s.Color1(), RGB(241, 77, 33));
    EXPECT_EQ(s.Color2(), RGB(89, 194, 13));
    EXPECT_TRUE(s.Glow());
    EXPECT_TRUE(s.Border());
    EXPECT_EQ(s.BorderColor(), kBlack);
    EXPECT_TRUE(s.Horizontal());
    EXPECT_EQ(s.MirrorPattern(), 5);
    EXPECT_EQ(s.MirrorStrength(), 90);
    EXPECT_EQ(s.Pattern(), 2);
    EXPECT_EQ(s.PatternStrength(), 95);
    EXPECT_FALSE(s.Overlay());
    EXPECT_EQ(s.OverlayOpacity(), 180);
    // Kept as they were.
    EXPECT_EQ(s.OverlayX(), 12);
    EXPECT_EQ(s.OverlayY(), -3);
    EXPECT_EQ(s.OverlayWidth(), 40);
    EXPECT_EQ(s.OverlayHeight(), 9);
    EXPECT_EQ(s.PictureSize(), 1234);
    EXPECT_EQ(s.GetBytes()[BannerSettings::kReserved2], 0x77);
    EXPECT_EQ(doc.SourcePicture().Width(), 5);
    EXPECT_FALSE(doc.PreparedPicture().IsEmpty());
}

TEST(Document, MeasureTextSumsSingleCharacterAdvances) {
    EXPECT_EQ(MeasureText(""), 0);
    const int a = MeasureText("A");
    const int b = MeasureText("b");
    EXPECT_GT(a, 0);
    EXPECT_EQ(MeasureText("AbAb"), 2 * a + 2 * b);
    // Russian letters measure in the banner font too.
    EXPECT_GT(MeasureTextUtf8("Ж"), 0);
    EXPECT_EQ(MeasureTextUtf8("ЖA"), MeasureTextUtf8("Ж") + a);
}

TEST(Document, SetTextAcceptsNarrowTextsAndRefusesWideOnes) {
    CountingDocument d;
    BannerSettings& s = d.doc.Settings();

    // Empty is fine; the reset then puts the text at 346.
    EXPECT_TRUE(d.doc.SetText(""));
    d.doc.ResetTextPosition();
    EXPECT_EQ(s.TextX(), 346);
    EXPECT_EQ(s.TextY(), 5);

    // Build the longest accepted text of repeated 'W's, and one character more.
    const int w = MeasureText("W");
    ASSERT_GT(w, 0);
    const int fits = (kMaxTextWidth - 1) / w;
    ASSERT_TRUE(d.doc.SetText(std::string(fits, 'W')));
    const auto before = s.GetBytes();
    const int changes = d.changes;
    std::string reason;
    EXPECT_FALSE(d.doc.SetText(std::string(fits + 1, 'W'), &reason));
    EXPECT_NE(reason.find("too wide"), std::string::npos) << reason;
    EXPECT_EQ(s.GetBytes(), before);
    EXPECT_EQ(d.changes, changes);  // a refusal is not a change

    // A character outside Windows-1251 is refused with a reason, nothing changes.
    EXPECT_FALSE(d.doc.SetText("snow ☃", &reason));
    EXPECT_NE(reason.find("Windows-1251"), std::string::npos) << reason;
    EXPECT_EQ(s.GetBytes(), before);

    // Russian text is stored in the code page.
    EXPECT_TRUE(d.doc.SetText("Баннер"));
    EXPECT_EQ(s.Text(), "\xC1\xE0\xED\xED\xE5\xF0");
    EXPECT_EQ(s.TextUtf8(), "Баннер");
}

TEST(Document, SetTextPullsTheTextBackOnlyPastX354) {
    CountingDocument d;
    BannerSettings& s = d.doc.Settings();
    const std::string text = "Hello";
    const int w = MeasureText(text);
    // Typed anew over another text, ending at x = ...
    const auto type = [&](std::int32_t x) {
        s.SetText("");
        s.SetTextX(x);
        EXPECT_TRUE(d.doc.SetText(text));
        return s.TextX();
    };
    EXPECT_EQ(type(352 - w), 352 - w);  // 352: kept
    EXPECT_EQ(type(354 - w), 354 - w);  // 354 exactly: still kept
    EXPECT_EQ(type(355 - w), 346 - w);  // 355: moved to end at 346
    // Far to the right, even at the end of the integer range: pulled back without overflow.
    EXPECT_EQ(type(INT_MAX), 346 - w);
    // The same text again (the field showing an opened design) moves nothing and is no change.
    s.SetTextX(INT_MAX);
    const int changes = d.changes;
    EXPECT_TRUE(d.doc.SetText(text));
    EXPECT_EQ(s.TextX(), INT_MAX);
    EXPECT_EQ(d.changes, changes);
}

TEST(Document, NudgeSwapAndRandomColours) {
    CountingDocument d;
    BannerSettings& s = d.doc.Settings();
    s.SetTextX(10);
    s.SetTextY(5);
    d.doc.NudgeText(-1, 1);
    EXPECT_EQ(s.TextX(), 9);
    EXPECT_EQ(s.TextY(), 6);
    s.SetTextX(INT_MAX);
    d.doc.NudgeText(1, 0);  // no bounds: wraps instead of overflowing
    EXPECT_EQ(s.TextX(), INT_MIN);

    const Color c1 = s.Color1(), c2 = s.Color2();
    d.doc.SwapColors();
    EXPECT_EQ(s.Color1(), c2);
    EXPECT_EQ(s.Color2(), c1);

    // Blue, green, red from three draws: the same seed gives the same colour; top byte 0.
    d.doc.SeedRandom(1234);
    d.doc.RandomColor1();
    const Color first = s.Color1();
    d.doc.RandomColor2();
    d.doc.SeedRandom(1234);
    d.doc.RandomColor2();
    EXPECT_EQ(s.Color2(), first);
    EXPECT_EQ(first >> 24, 0u);
    std::mt19937 rng(1234);
    const std::uint8_t b = std::uint8_t(rng() >> 24), g = std::uint8_t(rng() >> 24), r = std::uint8_t(rng() >> 24);
    EXPECT_EQ(first, RGB(r, g, b));
}

TEST(Document, EveryChangeRunsTheListenersOnce) {
    CountingDocument d;
    int expected = 0;
    auto step = [&](auto&& op) {
        op();
        EXPECT_EQ(d.changes, ++expected);
    };
    step([&] { d.doc.Set(Field("Color1"), kWhite); });
    step([&] { d.doc.Set(Field("Color2"), kBlack); });
    step([&] { d.doc.Set(Field("BorderColor"), RGB(1, 2, 3)); });
    step([&] { d.doc.Set(Field("Glow"), false); });
    step([&] { d.doc.Set(Field("Border"), false); });
    step([&] { d.doc.Set(Field("Horizontal"), false); });
    step([&] { d.doc.Set(Field("Overlay"), true); });
    step([&] { d.doc.Set(Field("Pattern"), 4); });
    step([&] { d.doc.Set(Field("MirrorPattern"), 1); });
    step([&] { d.doc.Set(Field("PatternStrength"), 50); });
    step([&] { d.doc.Set(Field("MirrorStrength"), 10); });
    step([&] { d.doc.NudgeText(1, 0); });
    step([&] { d.doc.ResetTextPosition(); });
    step([&] { d.doc.NewDocument(); });
    const BannerSettings& s = d.doc.Settings();
    EXPECT_EQ(s.Pattern(), 2);

    // Without a listener that renders, the banner is drawn when it is asked for.
    BannerDocument plain;
    plain.NewDocument();
    const Bitmap first = plain.CurrentBanner();
    plain.Set(Field("Color1"), kBlack);
    EXPECT_EQ(plain.BannerImage(), first);
    EXPECT_NE(plain.CurrentBanner(), first);
}

// Every number field of the table through the one setter: a new value is stored and told once,
// the stored value again changes nothing, and a field the controls change only with the overlay
// on is refused while it is off.
TEST(Document, TableFieldsAreToldOnceAndNotForTheirOwnValue) {
    for (const FieldInfo& f : BannerSettings::Fields()) {
        if (f.kind != FieldKind::Int && f.kind != FieldKind::Color && f.kind != FieldKind::Flag) continue;
        CountingDocument d;
        d.doc.Settings().SetOverlay(true);
        const std::int64_t old = d.doc.Settings().Value(f);
        const std::int64_t next = f.kind == FieldKind::Flag ? !old : f.HasRange() && old == f.max ? f.min : old + 1;
        EXPECT_TRUE(d.doc.Set(f, next) && d.doc.Settings().Value(f) == next) << f.name;
        EXPECT_FALSE(d.doc.Set(f, next)) << f.name;
        EXPECT_EQ(d.changes, 1) << f.name;
        if (f.needsOverlay) {
            d.doc.Settings().SetOverlay(false);
            EXPECT_FALSE(d.doc.Set(f, old)) << f.name;
            EXPECT_EQ(d.doc.Settings().Value(f), next) << f.name;
        }
    }
}

TEST(Document, DamagedPatternIndexIsReportedByTheChange) {
    CountingDocument d;
    const Bitmap before = d.doc.BannerImage();
    EXPECT_THROW(d.doc.Set(Field("Pattern"), -1), BannerError);  // a list box with no selection
    EXPECT_EQ(d.doc.BannerImage(), before);
    d.doc.Set(Field("Pattern"), 3);  // a valid choice draws again
    EXPECT_NE(d.doc.BannerImage(), before);
}

}  // namespace
}  // namespace veskel
