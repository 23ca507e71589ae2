#include "Components/TestPanel/TestPanel.h"

#include <gtest/gtest.h>

#include "GoldenCheck.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Rounding.h"
#include "platform/ui/Application.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Form.h"

namespace veskel {
namespace {

// The main window's container: 400 x 300 with a 20-pixel strip and four pages.
struct PanelTest : ::testing::Test {
    HeadlessBackend backend;
    Application app{backend};
    Form* form = nullptr;
    TTestPanel* panel = nullptr;
    TGLeaf* pages[4] = {};

    void SetUp() override {
        form = app.CreateForm<Form>();
        form->SetBounds(0, 0, 456, 380);
        form->SetColor(RGB(180, 190, 200));
        panel = form->CreateOwned<TTestPanel>();
        panel->SetParent(form);
        panel->SetBounds(28, 52, 400, 300);
        panel->SetLeafHeight(20);
        Font f;
        f.family = "Tahoma";
        panel->SetFont(f);
        const char* captions[] = {"Text & Colors", "Effects", "Overlay Image", "Save & Open"};
        const int widths[] = {76, 54, 94, 84};
        for (int i = 0; i < 4; ++i) {
            pages[i] = form->CreateOwned<TGLeaf>();
            pages[i]->SetParent(panel);
            pages[i]->SetCaption(captions[i]);
            pages[i]->SetLeafWidth(widths[i]);
            pages[i]->SetColor(RGB(232, 232, 232));
            pages[i]->SetBounds(0, 20, 400, 280);
            pages[i]->SetVisible(i == 0);
        }
        panel->SetActivePage(0);
        panel->SetVisiblePage(0);
        form->FinishCreate();
        form->ShowForm();
    }

    std::vector<bool> Shown() const {
        std::vector<bool> v;
        for (TGLeaf* p : pages) v.push_back(p->Visible());
        return v;
    }
    Bitmap Strip() { return testing::Snapshot(form->Surface(), {28, 52, 428, 80}); }
};

TEST_F(PanelTest, TabGeometryFollowsTheWidths) {
    EXPECT_EQ(panel->GetLeafsWidth(), 308);
    struct Case {
        int x, leaf;
    };
    for (Case c : {Case{0, 0}, Case{76, 0}, Case{77, 1}, Case{130, 1}, Case{131, 2}, Case{308, 3}, Case{309, -1},
                   Case{-5, 0}}) {
        EXPECT_EQ(panel->GetLeafFromPoint(c.x), c.leaf) << "x = " << c.x;
    }
    // 16-bit sums: widths that pass 65535 wrap.
    pages[3]->SetLeafWidth(65535);
    EXPECT_EQ(panel->GetLeafsWidth(), (308 - 84 + 65535) % 65536);
    TTestPanel empty;
    EXPECT_EQ(empty.GetLeafsWidth(), 0);
    EXPECT_EQ(empty.GetLeafFromPoint(0), -1);
}

TEST_F(PanelTest, ConstructionDefaults) {
    TTestPanel p;
    EXPECT_EQ(p.LeafHeight(), 57);
    EXPECT_EQ(p.ActivePage(), 2);
    EXPECT_EQ(p.VisiblePage(), 2);
    EXPECT_EQ(p.HoverLeaf(), -1);
    EXPECT_EQ(p.GetFont().color, RGB(122, 122, 122));
    EXPECT_TRUE(p.GetFont().bold);
    TGLeaf leaf;
    EXPECT_EQ(leaf.LeafWidth(), 44);
    EXPECT_EQ(leaf.Caption(), "Page nnn");
    EXPECT_TRUE(leaf.LeafImage().IsEmpty());
}

TEST_F(PanelTest, SelectingPages) {
    EXPECT_EQ(Shown(), (std::vector<bool>{true, false, false, false}));
    panel->SetVisiblePage(2);
    EXPECT_EQ(Shown(), (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(panel->ActivePage(), 2);
    EXPECT_EQ(panel->VisiblePage(), 2);

    // The page already shown: no visibility changes, but the selection is set and repainted.
    pages[0]->SetVisible(true);  // a stray visible page stays as it is
    const auto paints = form->PaintCount();
    panel->SetVisiblePage(2);
    form->UpdateSurface();
    EXPECT_EQ(Shown(), (std::vector<bool>{true, false, true, false}));
    EXPECT_GT(form->PaintCount(), paints);
    pages[0]->SetVisible(false);

    // Beyond the last page: every page hidden, ActivePage kept, no tab selected.
    panel->SetVisiblePage(7);
    EXPECT_EQ(Shown(), (std::vector<bool>{false, false, false, false}));
    EXPECT_EQ(panel->ActivePage(), 2);
    EXPECT_EQ(panel->VisiblePage(), 7);

    // Negative: nothing switches, no tab selected.
    panel->SetVisiblePage(1);
    panel->SetVisiblePage(-1);
    EXPECT_EQ(Shown(), (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(panel->ActivePage(), 1);
    EXPECT_EQ(panel->VisiblePage(), -1);

    // The ActivePage setter only stores.
    panel->SetActivePage(3);
    EXPECT_EQ(Shown(), (std::vector<bool>{false, true, false, false}));
    // ... so selecting the page it names switches nothing.
    panel->SetVisiblePage(3);
    EXPECT_EQ(Shown(), (std::vector<bool>{false, true, false, false}));
}

TEST_F(PanelTest, PressingATabShowsItsPageAndHoverStaysOnTheEmptyStrip) {
    backend.Click(*form, 28 + 100, 60);  // tab 1 spans 77..130
    EXPECT_EQ(Shown(), (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(panel->VisiblePage(), 1);
    // Any button selects.
    backend.Click(*form, 28 + 300, 60, MouseButton::Right);
    EXPECT_EQ(panel->VisiblePage(), 3);
    // Beyond the last tab nothing is selected.
    backend.Click(*form, 28 + 350, 60);
    EXPECT_EQ(panel->VisiblePage(), 3);

    backend.MouseMove(*form, 28 + 200, 60);
    EXPECT_EQ(panel->HoverLeaf(), 2);
    backend.MouseMove(*form, 28 + 350, 60);  // the empty strip right of the last tab
    EXPECT_EQ(panel->HoverLeaf(), 2);
    backend.MouseMove(*form, 5, 5);  // off the container
    EXPECT_EQ(panel->HoverLeaf(), -1);
}

TEST_F(PanelTest, FocusMovesIntoTheNewPage) {
    auto* edit0 = form->CreateOwned<Edit>();
    edit0->SetParent(pages[0]);
    edit0->SetBounds(8, 28, 100, 18);
    auto* edit1 = form->CreateOwned<Edit>();
    edit1->SetParent(pages[1]);
    edit1->SetBounds(8, 28, 100, 18);
    edit0->SetFocus();
    ASSERT_EQ(form->ActiveControl(), edit0);
    panel->SetVisiblePage(1);
    EXPECT_EQ(form->ActiveControl(), edit1);
    // Focus outside the container stays where it is.
    form->SetActiveControl(nullptr);
    panel->SetVisiblePage(0);
    EXPECT_EQ(form->ActiveControl(), nullptr);
}

TEST_F(PanelTest, PagesKeepTheirPlace) {
    pages[0]->SetBounds(30, 40, 400, 280);  // a move goes back under the strip
    EXPECT_EQ(pages[0]->BoundsRect(), (Rect{0, 20, 400, 300}));
    pages[0]->SetBounds(0, 20, 100, 100);  // a resize fits again
    EXPECT_EQ(pages[0]->BoundsRect(), (Rect{0, 20, 400, 300}));
    // A container resize refits only the active page.
    panel->SetBounds(28, 52, 300, 200);
    EXPECT_EQ(pages[0]->BoundsRect(), (Rect{0, 20, 300, 200}));
    EXPECT_EQ(pages[1]->BoundsRect(), (Rect{0, 20, 400, 300}));
    // The strip height setter leaves the pages alone.
    panel->SetLeafHeight(30);
    EXPECT_EQ(pages[0]->Top(), 20);
    // Outside a container only the left is forced.
    TGLeaf loose;
    loose.SetBounds(10, 10, 50, 60);
    EXPECT_EQ(loose.BoundsRect(), (Rect{0, 10, 50, 70}));
}

TEST_F(PanelTest, StoredTabImages) {
    TGLeaf& leaf = *pages[1];
    // The empty image is stored as the signature alone, and such a short block is ignored.
    const std::vector<std::uint8_t> empty = leaf.LeafImageData();
    EXPECT_EQ(empty.size(), 8u);
    leaf.ReadLeafImageData(empty);
    EXPECT_TRUE(leaf.LeafImage().IsEmpty());

    // A real picture over 1000 bytes loads, round-trips, and a damaged block keeps it.
    Picture pic(Bitmap(16, 24));
    pic.EnsureAlpha(0);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 16; ++x) {
            pic.color.SetPixel(x, y, RGB((x * 37 + y * 11) & 255, (x * 91) & 255, (y * 53 + x) & 255));
            pic.AlphaRow(y)[x] = std::uint8_t((x * 16 + y * 7) & 255);
        }
    std::vector<std::uint8_t> png = EncodePng(pic, PngOptions{.compressionLevel = 0});
    ASSERT_GT(png.size(), 1000u);
    leaf.ReadLeafImageData(png);
    ASSERT_EQ(leaf.LeafImage().Width(), 16);
    EXPECT_EQ(DecodePng(leaf.LeafImageData()), leaf.LeafImage());
    std::vector<std::uint8_t> broken(png.begin(), png.begin() + 1200);
    broken[20] ^= 0xFF;
    leaf.ReadLeafImageData(broken);
    EXPECT_EQ(leaf.LeafImage().Width(), 16);
}

// With a 20-pixel strip the stripes cover every row of it in both rounding modes.
TEST_F(PanelTest, StripeRowsInBothRoundingModes) {
    for (RoundingMode mode : {RoundingMode::NearestEven, RoundingMode::Downward}) {
        ScopedRoundingModeForTesting rounding(mode);
        panel->SetVisiblePage(0);
        backend.MouseMove(*form, 28 + 100, 60);
        form->PaintAll();
        const Bitmap strip = Strip();
        auto grey = [&](int x, int y) { return int(GetR(strip.Pixel(x, y))); };
        for (int y = 1; y < 20; ++y) {
            const bool dark = y % 4 < 2;
            // Background (x = 350), hovered tab 1 (x = 100), selected tab 0 (x = 40).
            EXPECT_EQ(grey(350, y), dark ? 232 : 240) << "row " << y;
            EXPECT_EQ(grey(78, y), dark ? 222 : 232) << "row " << y;
            EXPECT_EQ(grey(2, y), dark ? 212 : 222) << "row " << y;
        }
        // The outline: rows 0 and 20 (under the page, unseen) and the two end columns.
        EXPECT_EQ(grey(350, 0), 202);
        EXPECT_EQ(grey(399, 10), 202);
        // The selected tab's left edge from row 0 to 18 (its right edge lies under the hovered tab).
        EXPECT_EQ(grey(0, 5), 200);
        EXPECT_EQ(grey(0, 18), 200);
        EXPECT_EQ(grey(0, 19), 222);
        EXPECT_EQ(grey(76, 5), 222);
    }
}

TEST_F(PanelTest, StripMatchesReviewedImages) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    backend.MouseMove(*form, 28 + 200, 60);
    form->PaintAll();
    testing::ExpectGolden(Strip(), "chrome", "testpanel-selected0-hover2");
    // A tab image centred on its tab, above the caption; a wide caption overlaps its neighbours.
    Picture dot(Bitmap(9, 9));
    dot.EnsureAlpha(0);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) {
            const int d = (x - 4) * (x - 4) + (y - 4) * (y - 4);
            dot.color.SetPixel(x, y, RGB(30, 90, 200));
            dot.AlphaRow(y)[x] = d <= 16 ? 255 : d <= 20 ? 128 : 0;
        }
    panel->SetLeafHeight(40);
    for (TGLeaf* page : pages) page->fit();
    pages[2]->SetLeafImage(dot);
    pages[3]->SetCaption("A caption wider than its tab");
    panel->SetVisiblePage(3);
    backend.MouseExit(*form);
    form->PaintAll();
    testing::ExpectGolden(testing::Snapshot(form->Surface(), {28, 52, 428, 100}), "chrome", "testpanel-image-wide");
}

}  // namespace
}  // namespace veskel
