#include "Components/GlassHeader/GlassHeader.h"

#include <gtest/gtest.h>

#include "GoldenCheck.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/graphics/Rounding.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"

namespace veskel {
namespace {

// The main window's bar: 445 wide at (12, 13) of a frameless window, close button only.
struct HeaderTest : ::testing::Test {
    HeadlessBackend backend;
    Application app{backend};
    Form* form = nullptr;
    TGlassHeader* bar = nullptr;
    std::vector<std::string> log;

    void SetUp() override {
        form = app.CreateForm<Form>();
        form->SetFrameless(true);
        form->SetBounds(100, 100, 462, 60);
        form->SetColor(RGB(120, 150, 200));
        form->OnClose = [this](Form&, CloseAction& action) {
            log.push_back("close");
            action = CloseAction::Hide;
        };
        bar = form->CreateOwned<TGlassHeader>();
        bar->SetParent(form);
        bar->SetAlign(Align::None);
        bar->SetBounds(12, 13, 445, 23);
        bar->SetCaption("Brannock Veskel generator v2.2 (free)");
        bar->OnCloseButton = [this](Control&) { log.push_back("OnCloseButton"); };
        form->FinishCreate();
        form->ShowForm();
        form->PaintAll();
    }
    // Bar coordinates to window coordinates.
    void Move(int x, int y) { backend.MouseMove(*form, 12 + x, 13 + y); }
    void Press(int x, int y) {
        backend.MouseDown(*form, 12 + x, 13 + y);
        backend.MouseUp(*form, 12 + x, 13 + y);
    }
    Bitmap Snap() { return testing::Snapshot(form->Surface(), {12, 13, 457, 36}); }
};

TEST_F(HeaderTest, ConstructionDefaults) {
    TGlassHeader h;
    EXPECT_EQ(h.Height(), 23);
    EXPECT_EQ(h.GetAlign(), Align::Top);
    EXPECT_TRUE(h.ShowClose());
    EXPECT_FALSE(h.ShowMax());
    EXPECT_FALSE(h.ShowMin());
    EXPECT_TRUE(h.ShowHint());
    // No image painted yet: every button is 0 x 0.
    EXPECT_TRUE(h.ButtonRect(TGlassHeader::kClose).IsEmpty());
}

TEST_F(HeaderTest, ButtonAreasOfACloseOnlyBar) {
    EXPECT_EQ(bar->ButtonArea(), (Rect{424, 3, 445, 26}));
    EXPECT_EQ(bar->ButtonRect(TGlassHeader::kClose), (Rect{424, 3, 442, 21}));
    EXPECT_TRUE(bar->ButtonRect(TGlassHeader::kMax).IsEmpty());
    EXPECT_TRUE(bar->ButtonRect(TGlassHeader::kMin).IsEmpty());
}

TEST_F(HeaderTest, PressesDragTheWindowOutsideTheButtons) {
    Press(423, 10);  // left of the button area
    EXPECT_EQ(backend.systemMoves, 1);
    Press(430, 1);  // above the close button
    EXPECT_EQ(backend.systemMoves, 2);
    Press(443, 10);  // in the area, right of the close button: nothing
    EXPECT_EQ(backend.systemMoves, 2);
    Press(430, 10);  // on the close button, not lit: nothing either
    EXPECT_EQ(backend.systemMoves, 2);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(app.Input().Capture(), nullptr);
}

TEST_F(HeaderTest, HoverLightsUntilThePollFindsThePointerGone) {
    Move(430, 10);
    EXPECT_TRUE(bar->IsHot(TGlassHeader::kClose));
    EXPECT_EQ(bar->Hint(), "Close");
    const Bitmap hot = Snap();
    // Leaving is noticed only by the poll, up to 100 ms later.
    Move(200, 10);
    EXPECT_TRUE(bar->IsHot(TGlassHeader::kClose));
    EXPECT_EQ(bar->Hint(), "Close");
    backend.AdvanceClock(99);
    EXPECT_TRUE(bar->IsHot(TGlassHeader::kClose));
    backend.AdvanceClock(1);
    EXPECT_FALSE(bar->IsHot(TGlassHeader::kClose));
    // The next move over the bar clears the tooltip.
    Move(201, 10);
    EXPECT_EQ(bar->Hint(), "");
    // While the pointer stays, the poll keeps it lit.
    Move(433, 12);
    backend.AdvanceClock(500);
    EXPECT_TRUE(bar->IsHot(TGlassHeader::kClose));
    EXPECT_EQ(Snap(), hot);
}

TEST_F(HeaderTest, HiddenButtonsNeverLight) {
    for (int x = 380; x < 445; ++x) Move(x, 10);
    EXPECT_FALSE(bar->IsHot(TGlassHeader::kMax));
    EXPECT_FALSE(bar->IsHot(TGlassHeader::kMin));
}

TEST_F(HeaderTest, CloseButtonRaisesItsEventThenClosesTheWindow) {
    Move(430, 10);
    Press(430, 10);
    EXPECT_EQ(log, (std::vector<std::string>{"OnCloseButton", "close"}));
}

TEST_F(HeaderTest, AllThreeButtonsSitRightToLeft) {
    bar->SetShowMax(true);
    bar->SetShowMin(true);
    form->PaintAll();
    EXPECT_EQ(bar->ButtonRect(TGlassHeader::kMax), (Rect{406, 3, 424, 21}));
    EXPECT_EQ(bar->ButtonRect(TGlassHeader::kMin), (Rect{388, 3, 406, 21}));
    EXPECT_EQ(bar->ButtonArea(), (Rect{388, 3, 445, 26}));
    std::vector<std::string> events;
    bar->OnMaxButton = [&](Control&) { events.push_back("max"); };
    bar->OnMinButton = [&](Control&) { events.push_back("min"); };
    Move(410, 10);
    EXPECT_EQ(bar->Hint(), "Maximize");
    Press(410, 10);
    Move(390, 10);
    EXPECT_EQ(bar->Hint(), "Minimize");
    backend.AdvanceClock(100);  // the maximize button's poll finds the pointer gone
    Press(390, 10);
    EXPECT_EQ(events, (std::vector<std::string>{"max", "min"}));
    EXPECT_TRUE(log.empty());
}

TEST_F(HeaderTest, MaxAndMinButtonsRaiseTheirEventsThenChangeTheWindowState) {
    bar->SetShowMax(true);
    bar->SetShowMin(true);
    form->PaintAll();
    // Each handler sees the window as it was: the action follows the event.
    std::vector<std::string> events;
    bar->OnMaxButton = [&](Control&) {
        events.push_back(form->GetWindowState() == WindowState::Normal ? "max (normal)" : "max (changed)");
    };
    bar->OnMinButton = [&](Control&) {
        events.push_back(form->GetWindowState() == WindowState::Maximized ? "min (maximized)" : "min (other)");
    };
    Move(410, 10);
    Press(410, 10);
    EXPECT_EQ(form->GetWindowState(), WindowState::Maximized);
    EXPECT_EQ(backend.WindowStateOf(*form), WindowState::Maximized);
    Move(390, 10);
    backend.AdvanceClock(100);
    Press(390, 10);
    EXPECT_EQ(form->GetWindowState(), WindowState::Minimized);
    EXPECT_EQ(backend.WindowStateOf(*form), WindowState::Minimized);
    EXPECT_EQ(events, (std::vector<std::string>{"max (normal)", "min (maximized)"}));
    EXPECT_TRUE(log.empty());
}

TEST_F(HeaderTest, BothButtonsStillLitRaiseBothEventsBeforeEitherAction) {
    bar->SetShowMax(true);
    bar->SetShowMin(true);
    form->PaintAll();
    std::vector<std::string> events;
    auto record = [&](const char* name) {
        return [&, name](Control&) {
            events.push_back(std::string(name) + (form->GetWindowState() == WindowState::Normal ? "" : " late"));
        };
    };
    bar->OnMaxButton = record("max");
    bar->OnMinButton = record("min");
    // Straight from maximize to minimize: the maximize button's poll has not yet run.
    Move(410, 10);
    Move(390, 10);
    ASSERT_TRUE(bar->IsHot(TGlassHeader::kMax));
    ASSERT_TRUE(bar->IsHot(TGlassHeader::kMin));
    Press(390, 10);
    EXPECT_EQ(events, (std::vector<std::string>{"max", "min"}));
    EXPECT_EQ(form->GetWindowState(), WindowState::Minimized);  // maximized, then minimized
}

TEST_F(HeaderTest, HiddenOrMisplacedButtonsLeaveTheWindowStateAlone) {
    // Hidden buttons: presses where they would sit, and right of the close button, only drag or
    // do nothing.
    for (int x = 380; x < 445; ++x) {
        if (x >= 424 && x < 442) continue;  // the close button
        Move(x, 10);
        Press(x, 10);
    }
    EXPECT_EQ(form->GetWindowState(), WindowState::Normal);
    EXPECT_EQ(backend.WindowStateOf(*form), WindowState::Normal);
    // A bar on a panel rather than on its window raises the event and changes nothing.
    auto* panel = form->CreateOwned<CustomControl>();
    panel->SetParent(form);
    panel->SetBounds(0, 36, 462, 24);
    auto* inner = form->CreateOwned<TGlassHeader>();
    inner->SetParent(panel);
    inner->SetAlign(Align::None);
    inner->SetBounds(0, 0, 445, 23);
    inner->SetShowMax(true);
    int raised = 0;
    inner->OnMaxButton = [&](Control&) { ++raised; };
    form->PaintAll();
    const Rect maxButton = inner->ButtonRect(TGlassHeader::kMax);
    ASSERT_FALSE(maxButton.IsEmpty());
    backend.MouseMove(*form, maxButton.left + 4, 36 + 8);
    backend.MouseDown(*form, maxButton.left + 4, 36 + 8);
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(form->GetWindowState(), WindowState::Normal);
}

TEST_F(HeaderTest, EmptyCaptionLeavesTheBarAsItIs) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    bar->SetCaption("");
    bar->SetShowClose(false);
    form->PaintAll();
    const Bitmap plain = Snap();
    // The bar with no caption is the caps and tiles alone: columns 9.. repeat every 8 pixels.
    for (int y = 0; y < 23; ++y)
        for (int x = 9; x + 8 < 436; ++x) ASSERT_EQ(plain.Pixel(x, y), plain.Pixel(x + 8, y)) << x << "," << y;
    // A bar two billion pixels long shows the same start, and tiles only what the form shows.
    bar->SetBounds(12, 13, 2000000000, 23);
    form->PaintAll();
    const Bitmap wide = Snap();
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 420; ++x) ASSERT_EQ(wide.Pixel(x, y), plain.Pixel(x, y)) << x << "," << y;
}

TEST_F(HeaderTest, BarMatchesReviewedImages) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    testing::ExpectGolden(Snap(), "chrome", "glassheader-normal");
    Move(430, 10);
    testing::ExpectGolden(Snap(), "chrome", "glassheader-close-hot");
    bar->SetShowMax(true);
    bar->SetShowMin(true);
    bar->SetCaption("Form1");
    form->PaintAll();
    Move(390, 10);
    testing::ExpectGolden(Snap(), "chrome", "glassheader-three-buttons");
}

}  // namespace
}  // namespace veskel
