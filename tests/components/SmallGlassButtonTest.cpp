#include "Components/SmallGlassButton/SmallGlassButton.h"

#include <gtest/gtest.h>

#include <set>

#include "Components/Registration/Registration.h"
#include "ControlTestSupport.h"
#include "platform/Resources.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Rounding.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {
namespace {

using testing::CentreInForm;
using testing::ControlStage;

// Pixels of exactly one colour in a snapshot (the caption's ink).
std::set<std::pair<int, int>> Ink(const Bitmap& b, Color c) {
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.Pixel(x, y) == c) out.insert({x, y});
    return out;
}

TEST(SmallGlassButton, TileCountInBothRoundingModes) {
    struct Case {
        int width, nearest, downward;
    };
    for (Case c : {Case{29, 2, 1}, Case{50, 3, 2}, Case{8, 1, 1}, Case{3, 1, 1}, Case{0, 1, 1}, Case{36, 2, 2},
                   Case{422, 16, 15}}) {
        {
            ScopedRoundingModeForTesting r(RoundingMode::NearestEven);
            EXPECT_EQ(SmallGlassTileCount(c.width), c.nearest) << c.width;
        }
        {
            ScopedRoundingModeForTesting r(RoundingMode::Downward);
            EXPECT_EQ(SmallGlassTileCount(c.width), c.downward) << c.width;
        }
        // Whatever the mode, the tiles reach the right cap.
        EXPECT_GE(4 + 28 * c.downward, c.width - 4) << c.width;
    }
}

TEST(SmallGlassButton, StockBitmapsAreGreyBmpFilesOfTheirSizes) {
    struct Case {
        const char* file;
        std::size_t bytes;
        int w;
    };
    for (Case c : {Case{"SmallGlassLeft.bmp", 272, 4}, Case{"SmallGlassRight.bmp", 272, 4},
                   Case{"SmallGlassMiddle.bmp", 1568, 28}}) {
        const auto data = Resource(std::string("Components/SmallGlassButton/res/") + c.file);
        EXPECT_EQ(data.size(), c.bytes) << c.file;
        const Picture p = DecodeBmp(data);
        ASSERT_EQ(p.Width(), c.w);
        ASSERT_EQ(p.Height(), 18);
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < c.w; ++x) {
                const Color px = p.color.Pixel(x, y);
                EXPECT_TRUE(GetR(px) == GetG(px) && GetG(px) == GetB(px)) << c.file << " " << x << "," << y;
            }
    }
    const Picture left = DecodeBmp(Resource("Components/SmallGlassButton/res/SmallGlassLeft.bmp"));
    EXPECT_EQ(left.color.Pixel(3, 1), RGB(162, 162, 162));   // the dark outline's end
    EXPECT_EQ(left.color.Pixel(0, 17), RGB(233, 233, 233));
    const Picture middle = DecodeBmp(Resource("Components/SmallGlassButton/res/SmallGlassMiddle.bmp"));
    for (int x = 0; x < 28; ++x) {
        EXPECT_EQ(GetR(middle.color.Pixel(x, 13)), 255);     // the brightest row
        EXPECT_LE(GetR(middle.color.Pixel(x, 15)), 139);     // the lower outline
        EXPECT_GE(GetR(middle.color.Pixel(x, 15)), 129);
    }
}

TEST(SmallGlassButton, HeightIsHeldAt18) {
    ControlStage stage;
    auto* b = stage.Add<TSmallGlassButton>(5, 5);
    EXPECT_EQ(b->Width(), 32);
    EXPECT_EQ(b->Height(), 18);
    b->SetBounds(5, 5, 80, 40);
    EXPECT_EQ(b->Width(), 80);
    EXPECT_EQ(b->Height(), 18);
    b->SetHeight(3);
    EXPECT_EQ(b->Height(), 18);
}

TEST(SmallGlassButton, BarIsCapsAroundRepeatedTiles) {
    ControlStage stage;
    auto* b = stage.Add<TSmallGlassButton>(5, 5);
    b->SetWidth(70);
    b->SetCaption("");
    const Bitmap shot = stage.Shot(*b);
    const Picture left = DecodeBmp(Resource("Components/SmallGlassButton/res/SmallGlassLeft.bmp"));
    const Picture middle = DecodeBmp(Resource("Components/SmallGlassButton/res/SmallGlassMiddle.bmp"));
    const Picture right = DecodeBmp(Resource("Components/SmallGlassButton/res/SmallGlassRight.bmp"));
    for (int y = 0; y < 18; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(shot.Pixel(x, y), left.color.Pixel(x, y));
            EXPECT_EQ(shot.Pixel(66 + x, y), right.color.Pixel(x, y));
        }
        for (int x = 4; x < 66; ++x) EXPECT_EQ(shot.Pixel(x, y), middle.color.Pixel((x - 4) % 28, y)) << x << "," << y;
    }
}

TEST(SmallGlassButton, PressingAnyButtonSinksTheCaptionButOnlyLeftClicks) {
    ControlStage stage;
    auto* b = stage.Add<TSmallGlassButton>(5, 5);
    Font courier;
    courier.family = "Courier";
    courier.pixelHeight = 13;
    courier.color = TSmallGlassButton::kRestColor;
    b->SetFont(courier);
    b->SetCaption("+");
    int clicks = 0;
    b->OnClick = [&](Control&) { ++clicks; };
    const auto rest = Ink(stage.Shot(*b), TSmallGlassButton::kRestColor);
    ASSERT_FALSE(rest.empty());
    std::set<std::pair<int, int>> lowered;
    for (auto [x, y] : rest) lowered.insert({x, y + 1});

    const Point at = CentreInForm(*b);
    for (MouseButton button : {MouseButton::Right, MouseButton::Left}) {
        stage.backend.MouseMove(*stage.form, at.x, at.y);
        const Color ink = b->GetFont().color;
        stage.backend.MouseDown(*stage.form, at.x, at.y, button);
        EXPECT_TRUE(b->IsPressed());
        EXPECT_EQ(Ink(testing::Snapshot(*b), ink), lowered);
        // Dragged off with the button held, it rests its colour but stays pressed; back over
        // it, the caption is lowered again.
        stage.backend.MouseMove(*stage.form, at.x + 40, at.y);
        EXPECT_EQ(Ink(testing::Snapshot(*b), TSmallGlassButton::kRestColor), lowered);
        stage.backend.MouseMove(*stage.form, at.x, at.y);
        EXPECT_EQ(Ink(testing::Snapshot(*b), b->GetFont().color), lowered);
        stage.backend.MouseUp(*stage.form, at.x, at.y, button);
        EXPECT_FALSE(b->IsPressed());
        EXPECT_EQ(clicks, button == MouseButton::Left ? 1 : 0);
    }
}

TEST(SmallGlassButton, HoverColourIsWrittenIntoTheFont) {
    RegisterComponentClasses();
    ControlStage stage;
    // Stored as the designer stores its "+" buttons: already in the hover colour.
    LoadLayout(*stage.form, std::string_view("object Form1: TForm\n"
                                             "  object SmallGlassButton1: TSmallGlassButton\n"
                                             "    Left = 5\n    Top = 5\n    Width = 29\n    Caption = '+'\n"
                                             "    font.Color = 7493890\n    font.Name = 'Courier'\n    font.Height = -13\n"
                                             "  end\nend\n"),
               {});
    auto* stored = stage.form->Find<TSmallGlassButton>("SmallGlassButton1");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->GetFont().color, TSmallGlassButton::kHoverColor);
    const Point at = CentreInForm(*stored);
    stage.form->PaintAll();
    stage.backend.MouseMove(*stage.form, at.x, at.y);
    EXPECT_EQ(stored->GetFont().color, TSmallGlassButton::kHoverColor);
    stage.backend.MouseExit(*stage.form);
    EXPECT_EQ(stored->GetFont().color, TSmallGlassButton::kRestColor);  // from now on it rests grey
    EXPECT_FALSE(Ink(testing::Snapshot(*stored), TSmallGlassButton::kRestColor).empty());
    stage.backend.MouseMove(*stage.form, at.x, at.y);
    EXPECT_EQ(stored->GetFont().color, TSmallGlassButton::kHoverColor);
    EXPECT_FALSE(Ink(testing::Snapshot(*stored), TSmallGlassButton::kHoverColor).empty());
}

TEST(SmallGlassButton, PointerBeforeTheFirstPaintLeavesTheColour) {
    TSmallGlassButton b;
    EXPECT_EQ(b.PaintCount(), 0);
    // Delivered straight to the button: it has never painted, so the entry is ignored.
    struct Probe : TSmallGlassButton {
        void Enter() { MouseEnter(); }
    } probe;
    probe.Enter();
    EXPECT_EQ(probe.GetFont().color, TSmallGlassButton::kRestColor);
    ControlStage stage;
    auto* shown = stage.Add<TSmallGlassButton>(5, 5);
    for (int i = 0; i < 8; ++i) stage.form->PaintAll();
    EXPECT_GE(shown->PaintCount(), 1);
    EXPECT_LE(shown->PaintCount(), 5);
}

TEST(SmallGlassButton, CaptionGoesThroughTheSingleByteCodePage) {
    ControlStage stage;
    auto* a = stage.Add<TSmallGlassButton>(5, 5);
    auto* b = stage.Add<TSmallGlassButton>(5, 25);
    a->SetWidth(60);
    b->SetWidth(60);
    a->SetCaption("Ж?");
    b->SetCaption("Ж日");  // a character the code page lacks shows as '?'
    EXPECT_EQ(stage.Shot(*a), stage.Shot(*b));
    EXPECT_EQ(b->Caption(), "Ж日");  // the property keeps what was set
}

// A bar far wider than its form costs what the form shows, not what the bar claims: the copy of
// the background holds only the visible part, and that part shows the same caps and tiles as a
// bar of ordinary width. A stored layout with such a bar (and controls loaded after it, which
// repaint at each property) loads and paints at once.
TEST(SmallGlassButton, AVeryWideBarPaintsOnlyItsVisiblePart) {
    const Picture middle = DecodeBmp(Resource("Components/SmallGlassButton/res/SmallGlassMiddle.bmp"));
    const Picture right = DecodeBmp(Resource("Components/SmallGlassButton/res/SmallGlassRight.bmp"));
    const Color grey = RGB(232, 232, 232);
    {
        ControlStage stage({120, 50});
        auto* b = stage.Add<TSmallGlassButton>(-1001, 5);
        b->SetWidth(2000000);
        stage.form->PaintAll();
        EXPECT_EQ(b->Background().GetSize(), (Size{120, 18}));
        EXPECT_EQ(b->BackgroundOrigin(), (Point{1001, 0}));
        const Bitmap& s = stage.form->Surface();
        for (int x = 0; x < 120; ++x) {
            EXPECT_EQ(s.Pixel(x, 4), grey) << x;
            EXPECT_EQ(s.Pixel(x, 23), grey) << x;
            for (int y = 0; y < 18; ++y)
                ASSERT_EQ(s.Pixel(x, 5 + y), middle.color.Pixel((x + 1001 - 4) % 28, y)) << x << "," << y;
        }
        // Its right end inside the form: the cap is drawn over the last tile.
        b->SetLeft(100 - 2000000);
        stage.form->PaintAll();
        for (int y = 0; y < 18; ++y) {
            for (int x = 0; x < 4; ++x) EXPECT_EQ(s.Pixel(96 + x, 5 + y), right.color.Pixel(x, y)) << x << "," << y;
            EXPECT_EQ(s.Pixel(100, 5 + y), grey);
        }
    }

    RegisterComponentClasses();
    ControlStage stage({160, 120});
    LoadLayout(*stage.form, std::string_view("object Form1: TForm\n"
                                             "  object SmallGlassButton1: TSmallGlassButton\n"
                                             "    Left = 10\n    Top = 60\n    Width = 493890\n"
                                             "    font.Name = 'Courier'\n    font.Height = -13\n  end\n"
                                             "  object AALabel1: TAALabel\n"
                                             "    Left = -493000\n    Top = 20\n    Width = 987654\n"
                                             "    Caption = 'A label as wide as the button'\n  end\n"
                                             "  object GlassCheckBox1: TGlassCheckBox\n"
                                             "    Left = 50\n    Top = 60\n    Width = 50\n    Height = 15\n"
                                             "    Checked = True\n    Caption = 'Border'\n  end\n"
                                             "end\n"),
               {});
    auto* wide = stage.form->Find<TSmallGlassButton>("SmallGlassButton1");
    ASSERT_NE(wide, nullptr);
    for (int x = 4; x < 160; x += 8) stage.backend.MouseMove(*stage.form, x, 65);
    stage.form->PaintAll();
    EXPECT_EQ(wide->Background().GetSize(), (Size{150, 18}));
}

}  // namespace
}  // namespace veskel
