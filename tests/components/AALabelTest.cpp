// The anti-aliased label: "\n" conversion, the caption setter's measuring, the link (cursor and
// opening through the backend), and the blending over the parent's pixels.
#include "Components/AALabel/AALabel.h"

#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Rounding.h"
#include "platform/text/CanvasText.h"

namespace veskel {
namespace {

using testing::ControlStage;

TEST(AALabelText, BackslashNBecomesALineBreakOnlyWithThreeCharactersAfterIt) {
    struct Case {
        const char* in;
        const char* out;
    };
    for (Case c : {
             Case{"ab\\ncdef", "ab\r\ncdef"},       // backslash at 3 of 8: converted
             Case{"abcd\\nef", "abcd\\nef"},        // at 5 of 8, beyond 8 - 4: kept
             Case{"a\\nbc", "a\\nbc"},              // 5 characters: never converted
             Case{"\\nabcd", "\r\nabcd"},           // 6 characters, backslash first
             Case{"x\\ny\\nzzz", "x\r\ny\r\nzzz"},  // every pair in range
             Case{"Цвет\\nфона", "Цвет\r\nфона"},   // positions count characters, not bytes
             Case{"Цвет\\nфо", "Цвет\\nфо"},
         }) {
        EXPECT_EQ(ConvertLineBreaks(c.in), c.out) << c.in;
    }
}

TEST(AALabelLink, OnlyWebAddressesAreOpened) {
    struct Case {
        const char* caption;
        const char* target;
    };
    for (Case c : {
             Case{"http://example.com/?veskel=1", "http://example.com/?veskel=1"},
             Case{"HTTPS://example.com", "HTTPS://example.com"},
             Case{"www.example.com/?veskel=1", "http://www.example.com/?veskel=1"},
             Case{"  example.org  ", "http://example.org"},
             Case{"http://", ""},
             Case{"file:///etc/passwd", ""},
             Case{"javascript:alert(1)", ""},
             Case{"/usr/bin/xterm", ""},
             Case{"~/notes.txt", ""},
             Case{"C:\\Windows\\notepad.exe", ""},
             Case{"notes", ""},
             Case{"two words.com", ""},
             Case{"", ""},
         }) {
        EXPECT_EQ(TAALabel::LinkTarget(c.caption), c.target) << c.caption;
    }
}

// ---------------------------------------------------------------- caption and height

TEST(AALabelCaption, HeightIsMeasuredWhenTheCaptionIsSetAndOnlyThen) {
    ControlStage stage({300, 120});
    auto* l = stage.Add<TAALabel>(10, 10);
    l->SetWidth(120);
    EXPECT_EQ(l->TextHeight(), 0);

    l->SetCaption("one line");
    const int line = l->Height();
    EXPECT_GT(line, 0);
    EXPECT_EQ(l->TextHeight(), line);
    l->SetCaption("one\\ntwo lines");
    EXPECT_EQ(l->Height(), 2 * line);
    EXPECT_EQ(l->Caption(), "one\r\ntwo lines");
    l->SetCaption("");  // keeps the text and the height
    EXPECT_EQ(l->Caption(), "one\r\ntwo lines");
    EXPECT_EQ(l->Height(), 2 * line);
    // A long caption wraps at the label's width.
    l->SetCaption("a caption long enough to wrap at least twice at the narrow width of this label");
    EXPECT_GE(l->Height(), 3 * line);
    EXPECT_EQ(l->Width(), 120) << "the width never changes";

    // A font set after the caption draws in the height measured before.
    const int before = l->Height();
    Font big = l->GetFont();
    big.family = "Tahoma";
    big.pixelHeight = 30;
    l->SetFont(big);
    EXPECT_EQ(l->Height(), before);
    l->SetCaption(l->Caption());
    EXPECT_GT(l->Height(), before);
}

TEST(AALabelCaption, LinkCursorAndOpeningOnTheReleaseOfAnyButton) {
    ControlStage stage({300, 60});
    auto* l = stage.Add<TAALabel>(10, 10);
    l->SetWidth(200);
    l->SetCaption("www.example.com/?veskel=1");
    EXPECT_EQ(l->Cursor(), kCrDefault);
    stage.backend.Click(*stage.form, 20, 15);
    EXPECT_TRUE(stage.backend.openedUrls.empty()) << "not a link yet";

    l->SetIsURL(true);
    EXPECT_EQ(l->Cursor(), kCrHandPoint);
    stage.backend.MouseMove(*stage.form, 20, 15);
    EXPECT_EQ(stage.backend.CursorOf(*stage.form).id, kCrHandPoint);
    stage.backend.Click(*stage.form, 20, 15, MouseButton::Right);
    stage.backend.MouseDown(*stage.form, 20, 15);
    EXPECT_EQ(stage.backend.openedUrls.size(), 1u) << "the press alone opens nothing";
    stage.backend.MouseUp(*stage.form, 20, 15);
    EXPECT_EQ(stage.backend.openedUrls,
              (std::vector<std::string>{"http://www.example.com/?veskel=1", "http://www.example.com/?veskel=1"}));

    l->SetCaption("/usr/bin/xterm");
    stage.backend.Click(*stage.form, 20, 15);
    EXPECT_EQ(stage.backend.openedUrls.size(), 2u) << "a caption that is no web address is not opened";
    l->SetIsURL(false);
    EXPECT_EQ(l->Cursor(), kCrDefault);
}

// ---------------------------------------------------------------- painting

// Every pixel of the label is the background darkened by the coverage of its 3 x 3 block:
// never lighter, never tinted, and black text fully covering a block gives black.
TEST(AALabelPaint, DarkensTheParentsPixelsAndNothingElse) {
    ControlStage stage({300, 60}, RGB(200, 220, 240));
    auto* l = stage.Add<TAALabel>(10, 10);
    l->SetWidth(200);
    Font f = l->GetFont();
    f.family = "Tahoma";
    f.pixelHeight = 11;
    l->SetFont(f);
    l->SetCaption("Текст and text");
    const Bitmap shot = stage.Shot(*l);
    int inked = 0, partial = 0;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x) {
            const Color c = shot.Pixel(x, y);
            ASSERT_LE(GetR(c), 200);
            ASSERT_LE(GetG(c), 220);
            ASSERT_LE(GetB(c), 240);
            if (c == RGB(200, 220, 240)) continue;
            ++inked;
            // One coverage darkens all three channels by the same factor.
            const double k = GetB(c) / 240.0;
            EXPECT_NEAR(GetR(c), 200 * k, 1.0);
            EXPECT_NEAR(GetG(c), 220 * k, 1.0);
            if (c != kBlack) ++partial;
        }
    EXPECT_GT(inked, 50);
    EXPECT_GT(partial, 20) << "anti-aliased edges, not only full ink";
    EXPECT_EQ(stage.Shot(*l), shot) << "repainting does not darken further";

    // A font colour with full red leaves nothing visible.
    f.color = RGB(255, 0, 0);
    l->SetFont(f);
    const Bitmap red = stage.Shot(*l);
    for (int y = 0; y < red.Height(); ++y)
        for (int x = 0; x < red.Width(); ++x) ASSERT_EQ(red.Pixel(x, y), RGB(200, 220, 240));
}

TEST(AALabelPaint, FollowsTheParentsSurfaceAndRoundsInTheProcessMode) {
    auto render = [](RoundingMode mode, Color background) {
        ScopedRoundingModeForTesting rounding(mode);
        ControlStage stage({200, 40}, background);
        auto* l = stage.Add<TAALabel>(4, 4);
        l->SetWidth(150);
        Font f = l->GetFont();
        f.family = "Tahoma";
        f.pixelHeight = 11;
        l->SetFont(f);
        l->SetCaption("Rounding");
        return stage.Shot(*l);
    };
    const Bitmap nearest = render(RoundingMode::NearestEven, RGB(103, 103, 103));
    const Bitmap downward = render(RoundingMode::Downward, RGB(103, 103, 103));
    int lower = 0;
    for (int y = 0; y < nearest.Height(); ++y)
        for (int x = 0; x < nearest.Width(); ++x) {
            ASSERT_LE(downward.Pixel(x, y), nearest.Pixel(x, y));
            lower += downward.Pixel(x, y) != nearest.Pixel(x, y);
        }
    EXPECT_GT(lower, 0) << "partial coverage over grey 103 gives fractions that round differently";
    EXPECT_NE(render(RoundingMode::NearestEven, RGB(60, 60, 60)), nearest);
}

// Bitmap-only faces have no strike three times as large: the caption is enlarged by whole
// pixels instead, so it keeps its size and comes out as crisp as the face itself.
TEST(AALabelPaint, BitmapFacesKeepTheirSizeAtThreeTimes) {
    ControlStage stage({300, 40}, kWhite);
    auto* l = stage.Add<TAALabel>(0, 0);
    l->SetWidth(250);
    l->SetCaption("Подробная информация");  // the window font, "MS Sans Serif" 8 points
    const Bitmap shot = stage.Shot(*l);
    Bitmap plain(250, l->Height());
    plain.Fill(kWhite);
    Canvas c(plain);
    c.font = l->GetFont();
    Rect r{0, 0, 250, l->Height()};
    DrawText(c, l->Caption(), r, kDtWordBreak);
    EXPECT_EQ(shot, plain);
}

// A label may be far wider than its form: only the part the form shows is rendered (a label of
// fifty million pixels would otherwise need gigabytes for its enlarged text), and that part
// looks exactly as the same caption does on an ordinary label, whether the label starts inside
// the form or left of it, in a scalable face and in a bitmap-only one.
TEST(AALabelPaint, OnlyTheVisiblePartIsRenderedHoweverWideTheLabel) {
    const Color back = RGB(200, 220, 240);
    for (const char* family : {"Tahoma", ""}) {
        // The form's pixels with one label on it.
        auto render = [&](int formWidth, int left, int width) {
            ControlStage stage({formWidth, 40}, back);
            auto* l = stage.Add<TAALabel>(left, 5);
            l->SetWidth(width);
            if (*family) {
                Font f = l->GetFont();
                f.family = family;
                f.pixelHeight = 11;
                l->SetFont(f);
            }
            l->SetCaption("Wide label, short text");
            EXPECT_GT(l->Height(), 5);
            stage.form->PaintAll();
            return stage.form->Surface();
        };
        const Bitmap reference = render(400, 40, 300);  // wholly inside its form
        for (int left : {40, 10, -25}) {
            for (int width : {300, 50000000}) {
                const Bitmap shown = render(120, left, width);
                for (int y = 0; y < 40; ++y)
                    for (int x = 0; x < 120; ++x)
                        ASSERT_EQ(shown.Pixel(x, y), reference.Pixel(x + 40 - left, y))
                            << family << " left " << left << " width " << width << " at " << x << "," << y;
            }
        }
    }
}

}  // namespace
}  // namespace veskel
