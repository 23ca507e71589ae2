#include <gtest/gtest.h>

#include "Components/ColorBox/ColorBox.h"
#include "Components/ColorBox/PaletteForm.h"
#include "Components/GlassEdit/GlassEdit.h"
#include "Components/HLSColorTable/HLSColorTable.h"
#include "Components/HLSSlider/HLSSlider.h"
#include "ColourPickerFixture.h"
#include "ControlTestSupport.h"
#include "Components/GlassTint/GlassTint.h"
#include "platform/ui/StandardControls.h"
#include "platform/ui/StoredLayout.h"
#include "Components/Registration/Registration.h"

namespace veskel {
namespace {

// A main window at (100, 100) holding two boxes as the designer has them (single colour, white
// on black) and one showing both colours; the desktop is 1024 x 768.
class ColorBoxTest : public ::testing::Test {
protected:
    ColorBoxTest() : rounding(RoundingMode::NearestEven), app(backend) {
        RegisterComponentClasses();  // the pop-up's stored layout names glass classes
        form = app.CreateForm<Form>();
        form->SetBounds(100, 100, 300, 200);
        form->SetColor(RGB(232, 232, 232));
        box = Add(144, 20, true);
        other = Add(144, 60, true);
        pair = Add(20, 20, false);
        form->FinishCreate();
        form->ShowForm();
    }

    TClrBox* Add(int left, int top, bool single) {
        auto* b = form->CreateOwned<TClrBox>();
        b->SetParent(form);
        b->SetBounds(left, top, 19, 18);
        b->SetSingleColor(single);
        b->OnPreChange = [this](Control& sender) { preChanges.push_back(static_cast<TClrBox&>(sender).ForeColor()); };
        return b;
    }

    // The pointer at a point of a control of the pop-up (or of the main window).
    void MoveIn(Control& c, int x, int y) {
        Form* f = c.GetForm();
        const Point o = c.OffsetInForm();
        backend.MouseMove(*f, o.x + x, o.y + y);
    }
    void PressIn(Control& c, int x, int y) {
        Form* f = c.GetForm();
        const Point o = c.OffsetInForm();
        backend.MouseMove(*f, o.x + x, o.y + y);
        backend.MouseDown(*f, o.x + x, o.y + y);
    }
    void ReleaseIn(Control& c, int x, int y) {
        Form* f = c.GetForm();
        const Point o = c.OffsetInForm();
        backend.MouseUp(*f, o.x + x, o.y + y);
    }
    void ClickIn(Control& c, int x, int y) {
        PressIn(c, x, y);
        ReleaseIn(c, x, y);
    }
    TPForm* OpenByHover(TClrBox& b) {
        MoveIn(b, 5, 5);
        backend.AdvanceClock(300);
        return b.Palette();
    }
    static std::string Field(const TPForm& p, int i) { return p.GlassEdits[i]->Edit->Text(); }

    ScopedRoundingModeForTesting rounding;
    HeadlessBackend backend;
    Application app;
    Form* form = nullptr;
    TClrBox* box = nullptr;
    TClrBox* other = nullptr;
    TClrBox* pair = nullptr;
    std::vector<Color> preChanges;
};

// ---------------------------------------------------------------- painting and placement

TEST_F(ColorBoxTest, BoxInBothModes) {
    EXPECT_EQ(box->Width(), 19);
    EXPECT_EQ(box->Height(), 18);
    EXPECT_EQ(box->ForeColor(), RGB(255, 255, 255));
    EXPECT_EQ(box->BackColor(), RGB(0, 0, 0));
    EXPECT_FALSE(box->OpenAtClick());
    pair->SetForeColor(RGB(200, 100, 50));
    pair->SetBackColor(RGB(20, 60, 140));
    other->SetForeColor(RGB(200, 100, 50));
    const Bitmap single = testing::Snapshot(*other);
    EXPECT_EQ(single.Pixel(0, 0), RGB(131, 131, 131));
    EXPECT_EQ(single.Pixel(18, 17), RGB(131, 131, 131));
    EXPECT_EQ(single.Pixel(9, 9), RGB(200, 100, 50));
    const Bitmap two = testing::Snapshot(*pair);
    EXPECT_EQ(two.Pixel(13, 13), RGB(131, 131, 131));  // the fore swatch's corner, over the back one
    EXPECT_EQ(two.Pixel(7, 7), RGB(200, 100, 50));
    EXPECT_EQ(two.Pixel(16, 16), RGB(20, 60, 140));
    EXPECT_EQ(two.Pixel(18, 17), RGB(20, 60, 140));   // the back swatch runs to (20, 19), clipped
    EXPECT_EQ(two.Pixel(1, 16), RGB(240, 240, 240));  // the box's own colour shows elsewhere
    testing::ExpectGolden(single, "colour_box_single");
    testing::ExpectGolden(two, "colour_box_pair");
    // Setting colours from code raises nothing.
    EXPECT_TRUE(preChanges.empty());
}

// The main window's boxes as its stored layout has them.
TEST_F(ColorBoxTest, StoredBox) {
    RegisterFrameworkClasses();
    RegisterComponentClasses();
    LoadLayout(*form, std::string_view(R"(object Form1: TForm
  object ClrBox3: TClrBox
    Left = 153
    Top = 120
    Width = 20
    Height = 18
    Cursor = crHandPoint
    ForeColor = 65280
    BackColor = clBlack
    SingleColor = True
    OpenAtClick = False
    OnPreChange = ClrBox3PreChange
  end
end
)"));
    auto* b = form->Find<TClrBox>("ClrBox3");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->ForeColor(), RGB(0, 255, 0));
    EXPECT_TRUE(b->SingleColor());
    EXPECT_EQ(b->Cursor(), kCrHandPoint);
    form->PaintAll();
    EXPECT_EQ(testing::Snapshot(*b).Pixel(9, 9), RGB(0, 255, 0));
    EXPECT_TRUE(preChanges.empty());
}

TEST(PalettePlacement, EveryBranchOfTheFormula) {
    const Size popup{380, 368};
    const Rect monitor{0, 0, 1024, 768};
    struct Case {
        int x, y;
        Point want;
    };
    const Case cases[] = {
        {100, 100, {76, 94}},     // room right and below: 24 left of the box, 24 above its bottom
        {644, 400, {620, 394}},   // x + width exactly at the monitor's edge still fits
        {645, 400, {260, 394}},   // one more: to the left, the box's right edge 24 in from the pop-up's
        {100, 400, {76, 394}},    // y + height = 768 exactly still fits below
        {100, 401, {76, 27}},     // one more: above, the box's bottom edge 24 up from the pop-up's
        {1000, 740, {615, 366}},  // both at once, in the bottom right corner
    };
    for (const Case& c : cases)
        EXPECT_EQ(PalettePlacement(Rect::FromSize(c.x, c.y, 19, 18), popup, monitor), c.want) << c.x << ", " << c.y;
    // The panel inside the 18-pixel shadow margin starts 6 left of the box and 6 above its bottom.
    const Point p = PalettePlacement(Rect::FromSize(100, 100, 19, 18), popup, monitor);
    EXPECT_EQ(p.x + 18, 100 - 6);
    EXPECT_EQ(p.y + 18, 100 + 18 - 6);
    // Near the top left corner only the shadow margin leaves the monitor: nothing moves.
    EXPECT_EQ(PalettePlacement(Rect::FromSize(10, 0, 19, 18), popup, monitor), (Point{-14, -6}));
}

// A second monitor right of the first: the edges are its own, so a box near its left edge opens
// to the right as on the first monitor (not back across onto the first one).
TEST(PalettePlacement, OnAMonitorBesideTheFirst) {
    const Size popup{380, 368};
    const Rect second{1024, -100, 1024 + 1280, -100 + 1024};
    EXPECT_EQ(PalettePlacement(Rect::FromSize(1100, 100, 19, 18), popup, second), (Point{1076, 94}));
    EXPECT_EQ(PalettePlacement(Rect::FromSize(2200, 800, 19, 18), popup, second), (Point{1815, 426}));
}

// A monitor too small for the pop-up above or below the box (a 1024 x 768 screen at scale 2 is
// 512 x 384): the pop-up moves just far enough to keep its panel on the monitor.
TEST(PalettePlacement, SmallMonitorKeepsThePanelOnIt) {
    const Size popup{380, 368};
    const Rect small{0, 0, 512, 384};
    EXPECT_EQ(PalettePlacement(Rect::FromSize(80, 80, 19, 18), popup, small), (Point{56, -18}));
    EXPECT_EQ(PalettePlacement(Rect::FromSize(80, 300, 19, 18), popup, small), (Point{56, -18}));
    EXPECT_EQ(PalettePlacement(Rect::FromSize(80, 10, 19, 18), popup, small), (Point{56, 4}));
    // Narrower than the pop-up's panel: it starts at the monitor's left edge.
    EXPECT_EQ(PalettePlacement(Rect::FromSize(100, 10, 19, 18), popup, Rect{0, 0, 300, 800}), (Point{-18, 4}));
}

// Low on the browser page's 640 x 560 desktop: beside the box (right, else left of it) rather
// than above it over the window's title and tab row (y < 112).
TEST(PalettePlacement, BesideTheBoxRatherThanOverTheTabRow) {
    const Rect desktop{0, 0, 640, 560}, tabs{89, 40, 551, 112};
    EXPECT_EQ(PalettePlacement(Rect::FromSize(261, 332, 19, 18), {380, 368}, desktop, tabs), (Point{262, 210}));
    EXPECT_EQ(PalettePlacement(Rect::FromSize(400, 332, 19, 18), {380, 368}, desktop, tabs), (Point{38, 210}));
    EXPECT_EQ(PalettePlacement(Rect::FromSize(261, 332, 19, 18), {380, 368}, desktop), (Point{-18, -18}));
}

TEST_F(ColorBoxTest, OpensBesideTheBoxNearTheMonitorEdges) {
    // The box sits at (244, 120) on the screen.
    TPForm* p = OpenByHover(*box);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->ScreenRect(), Rect::FromSize(220, 114, 380, 368));
    EXPECT_TRUE(p->TopMost());
    EXPECT_TRUE(p->ToolWindow());
    EXPECT_TRUE(p->Frameless());
    EXPECT_EQ(TPForm::Shared().ownerRect, Rect::FromSize(244, 120, 19, 18));
    backend.UserActivate(*form, true);
    ASSERT_EQ(box->Palette(), nullptr);

    // Near the right and bottom edges of a smaller monitor: to the left and above.
    backend.monitorSize = {800, 700};
    form->SetBounds(400, 400, 300, 200);  // the box at (544, 420)
    p = OpenByHover(*box);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->ScreenRect(), Rect::FromSize(544 + 19 - 380 - 24, 420 + 18 - 368 - 24, 380, 368));
    backend.UserActivate(*form, true);

    // On a second monitor, by that monitor's edges.
    backend.otherMonitors = {Rect{800, 0, 1800, 700}};
    form->SetBounds(900, 100, 300, 200);  // the box at (1044, 120)
    p = OpenByHover(*box);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->ScreenRect(), Rect::FromSize(1044 - 24, 120 + 18 - 24, 380, 368));
}

// ---------------------------------------------------------------- opening

TEST_F(ColorBoxTest, HoverOpensAfter300MsFromTheFirstMovement) {
    MoveIn(*box, 3, 3);
    backend.AdvanceClock(200);
    MoveIn(*box, 10, 10);  // a later movement does not restart the wait
    backend.AdvanceClock(99);
    EXPECT_EQ(box->Palette(), nullptr);
    EXPECT_EQ(app.Forms().size(), 1u);
    backend.AdvanceClock(1);
    ASSERT_NE(box->Palette(), nullptr);
    EXPECT_TRUE(box->PaletteOpen());
    EXPECT_TRUE(box->Palette()->Active());
    EXPECT_EQ(app.Forms().size(), 2u);
    EXPECT_FALSE(box->HoverTimer().Enabled());
    // Opening moves no colour and raises nothing.
    EXPECT_TRUE(preChanges.empty());
    EXPECT_EQ(box->ForeColor(), RGB(255, 255, 255));
    EXPECT_EQ(box->BackColor(), RGB(0, 0, 0));
}

TEST_F(ColorBoxTest, HoverThatLeavesInTimeOpensNothing) {
    MoveIn(*box, 3, 3);
    backend.AdvanceClock(100);
    backend.MouseMove(*form, 5, 5);  // away from the box before the timer expires
    backend.AdvanceClock(500);
    EXPECT_EQ(box->Palette(), nullptr);
    EXPECT_FALSE(box->HoverTimer().Enabled());
}

TEST_F(ColorBoxTest, OpenAtClickOpensOnlyOnAPress) {
    box->SetOpenAtClick(true);
    MoveIn(*box, 3, 3);
    backend.AdvanceClock(1000);
    EXPECT_EQ(box->Palette(), nullptr);
    PressIn(*box, 3, 3);
    EXPECT_NE(box->Palette(), nullptr);
}

TEST_F(ColorBoxTest, NoSecondPopupWhileOneIsOpen) {
    TPForm* first = OpenByHover(*box);
    ASSERT_NE(first, nullptr);
    // The hover timer and a direct call find the guard set.
    MoveIn(*box, 6, 6);
    backend.AdvanceClock(300);
    box->OpenPalette();
    EXPECT_EQ(box->Palette(), first);
    EXPECT_EQ(app.Forms().size(), 2u);
    // A press on the box activates the main window first, which closes the open pop-up; the press
    // then opens a fresh one. Never are two open at once.
    PressIn(*box, 5, 5);
    ReleaseIn(*box, 5, 5);
    EXPECT_TRUE(box->PaletteOpen());
    EXPECT_EQ(app.Forms().size(), 2u);
    MoveIn(*box, 6, 6);
    backend.AdvanceClock(300);
    EXPECT_EQ(app.Forms().size(), 2u);
}

// ---------------------------------------------------------------- closing

TEST_F(ColorBoxTest, PointerAwayFromBothClosesAtTheNextCheck) {
    TPForm* p = OpenByHover(*box);  // opened at 300 ms; the pop-up checks at 600, 900, ...
    ASSERT_NE(p, nullptr);
    MoveIn(*p->HLSColorTable1, 50, 50);
    EXPECT_EQ(app.ScreenCursor(), kCrPura);
    backend.AdvanceClock(300);
    EXPECT_TRUE(box->PaletteOpen());
    // Over the box itself (its rectangle is the owner rectangle) keeps it open too.
    MoveIn(*box, 18, 17);
    backend.AdvanceClock(300);
    EXPECT_TRUE(box->PaletteOpen());
    backend.MouseMove(*form, 5, 190);  // outside both
    backend.AdvanceClock(299);
    EXPECT_TRUE(box->PaletteOpen());
    backend.AdvanceClock(1);
    EXPECT_FALSE(box->PaletteOpen());
    EXPECT_EQ(box->Palette(), nullptr);
    EXPECT_EQ(app.Forms().size(), 1u);  // released once the notice had been handled
    EXPECT_EQ(app.ScreenCursor(), kCrDefault);
    EXPECT_TRUE(preChanges.empty());
}

TEST_F(ColorBoxTest, DeactivationClosesAtOnceAndASecondNoticeChangesNothing) {
    TPForm* p = OpenByHover(*box);
    ASSERT_NE(p, nullptr);
    MoveIn(*p->HLSColorTable1, 50, 50);
    backend.UserActivate(*form, true);  // another window is activated
    EXPECT_FALSE(box->PaletteOpen());
    EXPECT_EQ(app.Forms().size(), 1u);
    EXPECT_EQ(app.ScreenCursor(), kCrDefault);

    // The pop-up can ask to close twice (its timer and its deactivation).
    p = OpenByHover(*box);
    ASSERT_NE(p, nullptr);
    p->OnDeactivate(*p);
    p->OnDeactivate(*p);
    EXPECT_FALSE(box->PaletteOpen());
    app.ProcessMessages();
    EXPECT_EQ(app.Forms().size(), 1u);
    // ... and the box opens again as before.
    EXPECT_NE(OpenByHover(*box), nullptr);
    EXPECT_TRUE(preChanges.empty());
}

TEST_F(ColorBoxTest, BoxDestroyedWhileOpenTakesThePopupWithIt) {
    ASSERT_NE(OpenByHover(*other), nullptr);
    delete other;
    other = nullptr;
    EXPECT_EQ(app.Forms().size(), 1u);
    backend.AdvanceClock(1000);
}

// ---------------------------------------------------------------- picking

TEST_F(ColorBoxTest, TableAndSliderPicksFlowIntoTheBox) {
    TPForm* p = OpenByHover(*box);
    ASSERT_NE(p, nullptr);
    // White loads as hue 169, lightness 254, saturation 0 on the 254 scale.
    EXPECT_EQ(p->HLSSlider1->Positopn(), 169);
    EXPECT_EQ(p->HLSColorTable1->HUE(), 169);
    EXPECT_EQ(Field(*p, 3), "169");
    EXPECT_EQ(Field(*p, 4), "254");

    PressIn(*p->HLSColorTable1, 201, 128);  // saturation 200, lightness 127
    const Channels c = HlsToRgb(169, 127, 200, kHls254);
    EXPECT_EQ(box->ForeColor(), RGB(c.c1, c.c2, c.c3));
    EXPECT_EQ(p->Shape1->BrushColor(), box->ForeColor());
    EXPECT_EQ(Field(*p, 0), std::to_string(c.c1));
    EXPECT_EQ(Field(*p, 5), "200");
    MoveIn(*p->HLSColorTable1, 101, 28);
    ReleaseIn(*p->HLSColorTable1, 101, 28);
    EXPECT_EQ(preChanges.size(), 2u);
    const Channels d = HlsToRgb(169, 227, 100, kHls254);
    EXPECT_EQ(box->ForeColor(), RGB(d.c1, d.c2, d.c3));
    EXPECT_EQ(testing::Snapshot(*box).Pixel(9, 9), box->ForeColor());

    // The hue slider recolours the table and the box.
    PressIn(*p->HLSSlider1, 6, 10);
    MoveIn(*p->HLSSlider1, 132, 10);
    ReleaseIn(*p->HLSSlider1, 132, 10);
    EXPECT_EQ(p->HLSColorTable1->HUE(), 128);
    const Channels e = HlsToRgb(128, 227, 100, kHls254);
    EXPECT_EQ(box->ForeColor(), RGB(e.c1, e.c2, e.c3));
    EXPECT_EQ(preChanges.size(), 4u);
    EXPECT_EQ(box->BackColor(), RGB(0, 0, 0));
}

// What the box receives after a load is the round trip on the 254 scale, in both rounding modes.
TEST_F(ColorBoxTest, SwatchPressDeliversTheRoundTrip) {
    struct Case {
        Color loaded, received;
    };
    const Case cases[] = {{RGB(255, 0, 0), RGB(255, 4, 3)},
                          {RGB(0, 255, 0), RGB(3, 255, 5)},
                          {RGB(200, 100, 50), RGB(202, 101, 50)},
                          {RGB(128, 128, 128), RGB(129, 129, 129)},
                          {RGB(255, 255, 255), RGB(255, 255, 255)},
                          {RGB(0, 0, 0), RGB(0, 0, 0)}};
    for (const Case& c : cases) {
        box->SetForeColor(c.loaded);
        TPForm* p = OpenByHover(*box);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(box->ForeColor(), c.loaded);  // opening alone delivers nothing
        PressIn(*p->Shape1, 5, 5);
        ReleaseIn(*p->Shape1, 5, 5);
        EXPECT_EQ(box->ForeColor(), c.received) << std::hex << c.loaded;
        backend.UserActivate(*form, true);
    }
    ScopedRoundingModeForTesting down(RoundingMode::Downward);
    box->SetForeColor(RGB(255, 0, 0));
    TPForm* p = OpenByHover(*box);
    ASSERT_NE(p, nullptr);
    ClickIn(*p->Shape1, 5, 5);
    EXPECT_EQ(box->ForeColor(), RGB(255, 0, 0));
}

TEST_F(ColorBoxTest, EditingTheBackColour) {
    box->SetForeColor(RGB(10, 200, 30));
    const Bitmap shown = testing::Snapshot(*box);
    TPForm* p = OpenByHover(*box);
    ASSERT_NE(p, nullptr);
    PressIn(*p->Shape2, 20, 20);  // the part of the back swatch that the fore swatch leaves
    ReleaseIn(*p->Shape2, 20, 20);
    EXPECT_FALSE(TPForm::Shared().editingFore);
    EXPECT_EQ(p->Label7->Caption(), "Select Background color:");
    EXPECT_EQ(preChanges.size(), 1u);  // the round trip of black
    PressIn(*p->HLSColorTable1, 101, 100);
    ReleaseIn(*p->HLSColorTable1, 101, 100);
    const Channels c = HlsToRgb(169, 155, 100, kHls254);
    EXPECT_EQ(box->BackColor(), RGB(c.c1, c.c2, c.c3));
    EXPECT_EQ(p->Shape2->BrushColor(), box->BackColor());
    EXPECT_EQ(box->ForeColor(), RGB(10, 200, 30));
    EXPECT_EQ(preChanges.size(), 2u);
    // With SingleColor on, the back colour does not show.
    EXPECT_EQ(testing::Snapshot(*box), shown);

    PressIn(*p->Shape1, 5, 5);
    EXPECT_TRUE(TPForm::Shared().editingFore);
    EXPECT_EQ(p->Label7->Caption(), "Select Foreground color:");
}

TEST_F(ColorBoxTest, SwapAndDefaults) {
    pair->SetForeColor(RGB(200, 100, 50));
    pair->SetBackColor(RGB(0, 0, 255));
    std::vector<std::pair<Color, Color>> seen;
    pair->OnPreChange = [&](Control&) { seen.push_back({pair->ForeColor(), pair->BackColor()}); };
    TPForm* p = OpenByHover(*pair);
    ASSERT_NE(p, nullptr);

    ClickIn(*p->GroupPNGButtons13, 8, 8);  // swap, then the round trip of the new fore colour
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(RGB(0, 0, 255), RGB(200, 100, 50)));
    EXPECT_EQ(p->Shape1->BrushColor(), seen[1].first);
    EXPECT_EQ(p->Shape2->BrushColor(), RGB(200, 100, 50));

    // Defaults: white over black, then the round trip of the edited colour: two OnPreChange.
    ClickIn(*p->GroupPNGButtons1, 8, 8);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[2], std::make_pair(RGB(255, 255, 255), RGB(0, 0, 0)));
    EXPECT_EQ(seen[3], std::make_pair(RGB(255, 255, 255), RGB(0, 0, 0)));
    EXPECT_EQ(p->Shape1->BrushColor(), RGB(255, 255, 255));
    EXPECT_EQ(p->Shape2->BrushColor(), RGB(0, 0, 0));
}

// The fields open on the box's exact colour (not its round trip), and a number typed into one
// applies on Enter or when the field is left; what is not a number in range is put back.
TEST_F(ColorBoxTest, TypedNumbersApplyOnEnterOrLeavingAndBadOnesArePutBack) {
    box->SetForeColor(RGB(241, 77, 33));
    TPForm* p = OpenByHover(*box);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(Field(*p, 0) + " " + Field(*p, 1) + " " + Field(*p, 2), "241 77 33");
    const Hls typed = RgbToHls(10, 77, 33, kHls254);
    const Channels sat = HlsToRgb(typed.h, typed.l, 254, kHls254), hue = HlsToRgb(40, typed.l, 254, kHls254);
    const struct {
        int field;
        const char* text;
        int key;  // 0: the field is left for the next one
        Color expected;
        std::string shown;
    } cases[] = {
        {0, "10", kKeyReturn, RGB(10, 77, 33), "10"},
        {1, "256", kKeyReturn, RGB(10, 77, 33), "77"},  // out of range: put back
        {2, "x1", 0, RGB(10, 77, 33), "33"},
        {5, "254", 0, RGB(sat.c1, sat.c2, sat.c3), "254"},
        {3, " 40 ", kKeyReturn, RGB(hue.c1, hue.c2, hue.c3), "40"},
        {4, "255", 0, RGB(hue.c1, hue.c2, hue.c3), std::to_string(typed.l)},  // L and S end at 254
    };
    for (const auto& c : cases) {
        ClickIn(*p->GlassEdits[c.field]->Edit, 10, 5);
        p->GlassEdits[c.field]->Edit->SetText(c.text);
        if (c.key) backend.KeyDown(*p, c.key);
        else ClickIn(*p->GlassEdits[(c.field + 1) % 6]->Edit, 10, 5);
        ASSERT_EQ(box->Palette(), p) << c.text << ": the pop-up stays open";
        EXPECT_EQ(box->ForeColor(), c.expected) << c.text;
        EXPECT_EQ(Field(*p, c.field), c.shown) << c.text;
    }
    EXPECT_EQ(preChanges.size(), 3u);
    // Escape puts back the colour the pop-up opened with.
    backend.KeyDown(*p, kKeyEscape);
    EXPECT_FALSE(box->PaletteOpen());
    EXPECT_EQ(box->ForeColor(), RGB(241, 77, 33));
}

TEST_F(ColorBoxTest, WholePopupGolden) {
    box->SetForeColor(RGB(200, 100, 50));
    TPForm* p = OpenByHover(*box);
    ASSERT_NE(p, nullptr);
    ClickIn(*p->HLSColorTable1, 160, 100);
    p->PaintAll();
    testing::ExpectGolden(p->Surface(), "palette_popup");
}

}  // namespace
}  // namespace veskel
