// The glass list box: items, the hit test and highlight, selection by press, the silent
// ItemIndex, TopItem in hundredths, icons, the wheel, and the switch of the process-wide rounding
// mode at the first paint (with a banner rendered before and after it).
#include "Components/GlassListBox/GlassListBox.h"

#include <gtest/gtest.h>

#include "Components/AALabel/AALabel.h"
#include "Components/Registration/Registration.h"
#include "ControlTestSupport.h"
#include "platform/ui/StoredLayout.h"
#include "banner/BannerDocument.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Rounding.h"
#include "platform/io/Files.h"

namespace veskel {
namespace {

using testing::ControlStage;

const Color kWhiteRow = RGB(255, 255, 255);
const Color kHotRow = RGB(237, 247, 255);
const Color kSelectedRow = RGB(181, 213, 254);

std::vector<std::uint8_t> IconBytes() {
    return ReadFileBytes(std::string(VESKEL_SOURCE_DIR) + "/tests/data/components/ListIcon.bmp");
}

// The main window's list: 169 x 108 at (1, 1) of a grey panel, item height 18, six entries.
struct ListStage : ControlStage {
    TGlassListBox* list;
    std::vector<std::string> log;
    explicit ListStage(int items = 6) : ControlStage({200, 140}) {
        list = Add<TGlassListBox>(10, 10);
        list->SetBounds(10, 10, 169, 108);
        list->SetColor(RGB(205, 205, 205));
        list->SetItemHeight(18);
        for (int i = 0; i < items; ++i) list->AddItem("Item " + std::to_string(i), std::to_string(i));
        list->OnSelect = [this](Control&) { log.push_back("select " + std::to_string(list->ItemIndex)); };
        list->OnLineChange = [this](Control&) { log.push_back("line " + std::to_string(list->HotItem())); };
        form->PaintAll();
    }
    void Move(int y) { backend.MouseMove(*form, 50, 10 + y); }
    void Press(int y, MouseButton b = MouseButton::Left) {
        backend.MouseDown(*form, 50, 10 + y, b);
        backend.MouseUp(*form, 50, 10 + y, b);
    }
    // The row colour at y of the list (x = 2, left of every caption).
    Color RowAt(int y) const { return form->Surface().Pixel(10 + 2, 10 + y); }
};

// ---------------------------------------------------------------- items

TEST(GlassListBoxItems, AddItemKeepsBothTextsTheIndexAndACopyOfTheIcon) {
    ControlStage stage;
    auto* l = stage.Add<TGlassListBox>(0, 0);

    // OnItemAdd comes first, then the repaint.
    std::vector<std::uint64_t> paintsAtEvent, paintsAfter;
    l->OnItemAdd = [&](Control&) { paintsAtEvent.push_back(stage.form->PaintCount()); };
    std::vector<std::uint8_t> icon = IconBytes();
    auto add = [&](auto&&... args) {
        l->AddItem(args...);
        paintsAfter.push_back(stage.form->PaintCount());
    };
    add("Wave bottom", "0");
    add("Wave top", "1", icon, 7);
    add("Glow", "2", icon, 0);  // a flag of 0 keeps no icon
    icon.clear();               // the item holds its own copy
    ASSERT_EQ(paintsAtEvent.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_GT(paintsAfter[i], paintsAtEvent[i]) << i;
    EXPECT_EQ(l->Count(), 3);
    EXPECT_EQ(l->Item(1).Caption(), "Wave top");
    EXPECT_EQ(l->Item(1).Info(), "1");
    EXPECT_EQ(l->Item(1).Index(), 1);
    EXPECT_EQ(l->Item(1).IconFlag, 7);
    ASSERT_TRUE(l->Item(1).PNGIcon.has_value());
    EXPECT_EQ(*l->Item(1).PNGIcon, IconBytes());
    EXPECT_FALSE(l->Item(0).PNGIcon.has_value());
    EXPECT_EQ(l->Item(2).IconFlag, 0);
    EXPECT_FALSE(l->Item(2).PNGIcon.has_value());
}

// ---------------------------------------------------------------- hit test and highlight

TEST(GlassListBoxPointer, RowsHitRoundingDownAndTheHighlightStaysPastTheLastItemButNotOffTheList) {
    ListStage st(5);  // five items: the sixth row is empty
    EXPECT_EQ(st.list->CellFromPoint(10), 0);
    EXPECT_EQ(st.list->CellFromPoint(17), 0);
    EXPECT_EQ(st.list->CellFromPoint(18), 1);
    EXPECT_EQ(st.list->CellFromPoint(89), 4);
    EXPECT_EQ(st.list->CellFromPoint(90), -1);
    st.Move(10);
    st.Move(17);
    st.Move(18);
    st.Move(100);  // below the last item: nothing changes
    EXPECT_EQ(st.log, (std::vector<std::string>{"line 0", "line 1"}));
    EXPECT_EQ(st.list->HotItem(), 1);
    EXPECT_EQ(st.RowAt(20), kHotRow);
    st.backend.MouseMove(*st.form, 190, 130);  // off the list: no row is lit any more
    st.form->PaintAll();
    EXPECT_EQ(st.list->HotItem(), -2);
    EXPECT_EQ(st.RowAt(20), kWhiteRow);
    EXPECT_EQ(st.RowAt(2), kSelectedRow) << "item 0 is selected from the start";
    EXPECT_EQ(st.RowAt(40), kWhiteRow);
    EXPECT_EQ(st.RowAt(95), RGB(205, 205, 205)) << "rows past the last item are not painted";
}

// An item height of 0 would divide by zero in the paint and the hit test: it becomes 1.
TEST(GlassListBoxPointer, ItemHeightIsAtLeastOnePixel) {
    ListStage st;
    st.list->SetItemHeight(0);
    EXPECT_EQ(st.list->ItemHeight(), 1);
    st.list->SetItemHeight(300);
    EXPECT_EQ(st.list->ItemHeight(), 255);
    st.list->SetItemHeight(1);
    st.Move(3);
    EXPECT_EQ(st.list->HotItem(), 3);
    EXPECT_EQ(st.RowAt(3), kHotRow);
    EXPECT_EQ(st.RowAt(6), RGB(205, 205, 205));
}

TEST(GlassListBoxPointer, APressSelectsTheHighlightedItemWithAnyButton) {
    ListStage st;
    st.Move(40);
    st.Press(40);
    EXPECT_EQ(st.list->ItemIndex, 2);
    EXPECT_EQ(st.RowAt(40), kSelectedRow) << "the selection wins over the highlight";
    EXPECT_EQ(st.RowAt(2), kWhiteRow);
    st.Move(60);
    st.Press(60, MouseButton::Right);
    EXPECT_EQ(st.log, (std::vector<std::string>{"line 2", "select 2", "line 3", "select 3"}));
}

TEST(GlassListBoxPointer, APressWithoutAMovementBeforeItSelectsWhatItIsOn) {
    {
        ListStage st;
        st.backend.MouseDown(*st.form, 50, 10 + 75);  // the list appeared under a resting pointer
        EXPECT_EQ(st.list->ItemIndex, 4);
        EXPECT_EQ(st.log, (std::vector<std::string>{"line 4", "select 4"}));
    }
    ListStage below(3);
    below.backend.MouseDown(*below.form, 50, 10 + 100);  // under the last item, never hovered
    EXPECT_EQ(below.list->ItemIndex, -2);
    EXPECT_EQ(below.log, (std::vector<std::string>{"select -2"}));
    below.backend.MouseUp(*below.form, 50, 10 + 100);
    below.Move(30);
    below.Press(100);  // under the last item again: the highlighted item is selected again
    EXPECT_EQ(below.log, (std::vector<std::string>{"select -2", "line 1", "select 1"}));
}

TEST(GlassListBoxPointer, WritingItemIndexShowsOnlyAtTheNextRepaint) {
    ListStage st;
    const std::uint64_t paints = st.form->PaintCount();
    st.list->ItemIndex = 3;
    st.form->UpdateSurface();
    EXPECT_EQ(st.form->PaintCount(), paints) << "no repaint";
    EXPECT_EQ(st.RowAt(2), kSelectedRow);
    EXPECT_TRUE(st.log.empty());
    st.list->Repaint();
    EXPECT_EQ(st.RowAt(2), kWhiteRow);
    EXPECT_EQ(st.RowAt(3 * 18 + 2), kSelectedRow);
}

// ---------------------------------------------------------------- scrolling

TEST(GlassListBoxScroll, TopItemInHundredthsMovesTheRowsByFractions) {
    ListStage st(9);
    st.list->ItemIndex = -1;
    st.list->SetTopItem(50);  // item 0 half a row up
    EXPECT_EQ(st.list->ScrollOffset(), -9);
    st.Move(0);   // the lower half of item 0
    EXPECT_EQ(st.list->HotItem(), 0);
    st.Move(9);   // the top of item 1
    EXPECT_EQ(st.list->HotItem(), 1);
    EXPECT_EQ(st.RowAt(8), kWhiteRow);
    EXPECT_EQ(st.RowAt(9), kHotRow);
    EXPECT_EQ(st.RowAt(26), kHotRow);
    EXPECT_EQ(st.RowAt(27), kWhiteRow);

    st.list->SetTopItem(250);  // item 2 half a row up
    st.Move(30);
    EXPECT_EQ(st.list->HotItem(), 4);
    EXPECT_EQ(st.RowAt(30), kHotRow);
}

TEST(GlassListBoxScroll, TheWheelScrollsOneItemPerNotchWithinTheItems) {
    {
        ListStage fits(6);  // everything visible: nothing to scroll, and the form gets no turn
        int formTurns = 0;
        fits.form->OnMouseWheel = [&](Control&, ShiftState, int, int, int, bool&) { ++formTurns; };
        fits.backend.MouseWheel(*fits.form, 50, 30, -120);
        EXPECT_EQ(fits.list->TopItem(), 0);
        EXPECT_EQ(formTurns, 0);
    }
    ListStage st(9);  // 9 x 18 = 162 pixels in 108: three items can scroll out at the top
    st.Move(20);
    st.backend.MouseWheel(*st.form, 50, 30, -120);
    EXPECT_EQ(st.list->TopItem(), 100);
    EXPECT_EQ(st.list->HotItem(), 2) << "the highlight follows the item under the pointer";
    st.backend.MouseWheel(*st.form, 50, 30, -60);  // half a notch: half an item
    EXPECT_EQ(st.list->TopItem(), 150);
    st.backend.MouseWheel(*st.form, 50, 30, -40);
    st.backend.MouseWheel(*st.form, 50, 30, -20);  // two small turns that make up half a notch
    EXPECT_EQ(st.list->TopItem(), 200);
    for (int i = 0; i < 5; ++i) st.backend.MouseWheel(*st.form, 50, 30, -120);
    EXPECT_EQ(st.list->TopItem(), 300) << "the last item's bottom at the list's bottom";
    EXPECT_EQ(st.RowAt(107), kWhiteRow);
    for (int i = 0; i < 5; ++i) st.backend.MouseWheel(*st.form, 50, 30, 120);
    EXPECT_EQ(st.list->TopItem(), 0);
}

TEST(GlassListBoxScroll, ItemDownAndUpMoveTheHighlightAndScrollByWholeItems) {
    ListStage st(9);
    std::vector<int> hot, top;
    for (int i = 0; i < 10; ++i) {
        st.list->itemDown();
        hot.push_back(st.list->HotItem());
        top.push_back(st.list->TopItem());
    }
    EXPECT_EQ(hot, (std::vector<int>{-1, 0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(top, (std::vector<int>{0, 0, 0, 0, 0, 100, 200, 300, 400, 500}));
    st.list->itemDown();
    EXPECT_EQ(st.list->HotItem(), 8);
    for (int i = 0; i < 9; ++i) st.list->itemUp();
    EXPECT_EQ(st.list->HotItem(), 0);
    EXPECT_EQ(st.list->TopItem(), 0);
    st.list->itemUp();
    EXPECT_EQ(st.list->HotItem(), 0);
    EXPECT_TRUE(st.log.empty()) << "no events";
}

// ---------------------------------------------------------------- icons

TEST(GlassListBoxIcons, IconsAtTheLeftOrCentredAndBrokenOnesLeftOut) {
    ScopedRoundingModeForTesting rounding(RoundingMode::Downward);
    ControlStage stage({200, 100});
    auto* l = stage.Add<TGlassListBox>(0, 0);
    l->SetBounds(0, 0, 120, 72);
    l->SetItemHeight(18);
    l->ItemIndex = -1;
    const std::vector<std::uint8_t> icon = IconBytes();
    const std::vector<std::uint8_t> broken = {'B', 'M', 1, 2, 3};
    l->AddItem("Icon", "0", icon, 1);
    l->AddItem("Broken", "1", broken, 1);
    l->AddItem("None", "2");
    const Picture decoded = DecodeBmp(icon);
    const Bitmap shot = stage.Shot(*l);
    // Item 0: the 14 x 14 icon copied at (4, round(9 - 7) + 1).
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 14; ++x) ASSERT_EQ(shot.Pixel(4 + x, 3 + y), decoded.color.Pixel(x, y)) << x << "," << y;
    // Item 1 paints its row without an icon; its caption starts at x = 8, item 2's at 15.
    auto firstInk = [&](int row) {
        for (int x = 0; x < 120; ++x)
            for (int y = row * 18; y < row * 18 + 18; ++y)
                if (shot.Pixel(x, y) != kWhiteRow) return x;
        return -1;
    };
    EXPECT_EQ(firstInk(1), 8);
    EXPECT_EQ(firstInk(2), 15);

    l->SetShowText(false);
    const Bitmap centred = stage.Shot(*l);
    EXPECT_EQ(centred.Pixel(53, 3), decoded.color.Pixel(0, 0));  // round(60 - 7) = 53
    for (int x = 0; x < 120; ++x) ASSERT_EQ(centred.Pixel(x, 40), kWhiteRow) << "no captions";
}

// ---------------------------------------------------------------- the rounding mode

TEST(GlassListBoxRounding, TheFirstPaintSwitchesTheProcessToDownwardForGood) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    ControlStage stage({200, 140});
    auto* l = stage.form->CreateOwned<TGlassListBox>();
    l->SetBounds(10, 10, 169, 108);
    l->SetItemHeight(18);
    for (int i = 0; i < 9; ++i) l->AddItem("Item " + std::to_string(i), "");
    l->ItemIndex = -1;
    // TopItem 150 in the first paint rounds 1.5 to 2 (ties to even) and shifts the rows down by
    // 9; every later paint rounds to 1 and shifts up by 9.
    l->SetTopItem(150);
    EXPECT_EQ(CurrentRoundingMode(), RoundingMode::NearestEven) << "not shown yet, not painted";
    l->SetParent(stage.form);
    stage.form->UpdateSurface();
    EXPECT_EQ(CurrentRoundingMode(), RoundingMode::Downward);
    EXPECT_EQ(l->ScrollOffset(), 9);
    const Color background = ResolveColor(kClBtnFace);
    EXPECT_EQ(stage.form->Surface().Pixel(12, 10 + 8), background) << "rows start 9 pixels down";
    stage.form->PaintAll();
    EXPECT_EQ(l->ScrollOffset(), -9);
    EXPECT_EQ(stage.form->Surface().Pixel(12, 10 + 8), kWhiteRow);
    l->SetParent(nullptr);
    stage.form->PaintAll();
    EXPECT_EQ(CurrentRoundingMode(), RoundingMode::Downward) << "nothing switches it back";
}

// One design, one banner: the switch leaves the banner and a picture's fitted size alone; the
// downward banner is there only for a document that asks for it.
TEST(GlassListBoxRounding, ABannerIsTheSameBeforeAndAfterTheFirstPaintOfAList) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    const std::string golden = std::string(VESKEL_SOURCE_DIR) + "/tests/golden/banner/";
    BannerDocument doc;
    doc.NewDocument();
    const Bitmap before = doc.RenderBanner();
    EXPECT_EQ(before, DecodePng(ReadFileBytes(golden + "default.png")).color);

    ListStage st;  // shows and paints a list
    EXPECT_EQ(CurrentRoundingMode(), RoundingMode::Downward);
    EXPECT_EQ(doc.RenderBanner(), before);
    doc.LoadOverlayPictureFromBytes("wide.png", EncodePng(Picture(Bitmap(400, 100))));
    EXPECT_EQ(doc.Settings().OverlayHeight(), 44) << "100 x 175 / 400 = 43.75";
    doc.Settings().SetOverlay(false);
    doc.SetRounding(RoundingMode::Downward);
    EXPECT_EQ(doc.RenderBanner(), DecodePng(ReadFileBytes(golden + "default-downward.png")).color);
}

}  // namespace
}  // namespace veskel

namespace veskel {
namespace {

// The main window's list and link label as its stored layout has them, read and written back.
TEST(GlassListBoxStored, ListAndLinkLabelReadAndWrittenWithoutTheirDefaults) {
    ControlStage stage;
    RegisterComponentClasses();
    const std::string text =
        "object Form1: TForm\n"
        "  object GlassListBox1: TGlassListBox\n"
        "    Left = 1\n    Top = 1\n    Width = 169\n    Height = 108\n"
        "    Cursor = crHandPoint\n    Font.Height = -16\n    ItemHeight = 18\n"
        "    OnSelect = GlassListBox1Select\n"
        "  end\n"
        "  object AALabel1: TAALabel\n"
        "    Width = 190\n    Cursor = crHandPoint\n    Caption = 'www.example.com/?veskel=1'\n    isURL = True\n"
        "  end\n"
        "end\n";
    LoadLayout(*stage.form, text);
    auto* list = stage.form->Find<TGlassListBox>("GlassListBox1");
    auto* label = stage.form->Find<TAALabel>("AALabel1");
    ASSERT_NE(list, nullptr);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(list->ItemHeight(), 18);
    EXPECT_EQ(list->TopItem(), 0);
    EXPECT_TRUE(list->ShowText());
    EXPECT_TRUE(label->isURL());
    EXPECT_GT(label->Height(), 0) << "measured when the caption was read";

    std::vector<LayoutProperty> props;
    list->GetProperties(props);
    std::vector<std::string> names;
    for (const auto& p : props) names.push_back(p.name);
    EXPECT_NE(std::find(names.begin(), names.end(), "ItemHeight"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "TopItem"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "ShowText"), names.end());
    EXPECT_NE(WriteLayout(SaveLayout(*stage.form)).find("isURL = True"), std::string::npos);
}

}  // namespace
}  // namespace veskel
