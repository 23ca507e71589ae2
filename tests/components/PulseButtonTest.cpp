#include "Components/PulseButton/PulseButton.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "ButtonsDemoForm.h"
#include "Components/GroupPNGButtons/GroupPNGButtons.h"
#include "Components/Registration/Registration.h"
#include "ControlTestSupport.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Rounding.h"
#include "platform/io/Files.h"
#include "platform/ui/ChangeNotice.h"
#include "platform/ui/StoredLayout.h"
#include "platform/ui/StoredPng.h"

namespace veskel {
namespace {

using testing::CentreInForm;
using testing::ControlStage;

constexpr Color kPage = RGB(232, 232, 232);

std::vector<std::uint8_t> SolidPng(int w, int h, Color c) {
    Picture p(Bitmap(w, h));
    p.color.Fill(c);
    p.EnsureAlpha(255);
    return EncodePng(p);
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

template <class T>
T* WithImages(ControlStage& stage, int w, int h, const std::vector<std::vector<std::uint8_t>>& images) {
    auto* b = stage.Add<T>(5, 5);
    b->SetBounds(5, 5, w, h);
    std::vector<std::string> descriptions;
    for (std::size_t i = 0; i < images.size(); ++i) descriptions.push_back("Image " + std::to_string(i + 1));
    b->SetDescriptions(descriptions);
    b->SetItemsCount(int(images.size()));
    for (const auto& image : images) b->ReadImageValue(image);
    b->SetCurrentItem(1);
    return b;
}

// The smallest rectangle holding every pixel that is not the page colour.
Rect Drawn(const Bitmap& b) {
    Rect r{b.Width(), b.Height(), 0, 0};
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.Pixel(x, y) != kPage) r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1), std::max(r.bottom, y + 1)};
    return r;
}

// ---------------------------------------------------------------- clicks and repeat

struct PulseClicks : ::testing::Test {
    PulseClicks() {
        button = WithImages<TPulseButton>(stage, 41, 25, {SolidPng(39, 23, RGB(255, 0, 0))});
        button->OnClick = [this](Control&) { ++clicks; };
        at = CentreInForm(*button);
        stage.backend.MouseMove(*stage.form, at.x, at.y);
    }
    ControlStage stage;
    TPulseButton* button;
    int clicks = 0;
    Point at;
};

TEST_F(PulseClicks, ReleaseBefore400MsIsOneOrdinaryClick) {
    stage.backend.MouseDown(*stage.form, at.x, at.y);
    stage.backend.AdvanceClock(399);
    EXPECT_EQ(clicks, 0);
    stage.backend.MouseUp(*stage.form, at.x, at.y);
    EXPECT_EQ(clicks, 1);
    stage.backend.AdvanceClock(1000);
    EXPECT_EQ(clicks, 1);
}

TEST_F(PulseClicks, HoldingRepeatsEvery20MsAfter400) {
    stage.backend.MouseDown(*stage.form, at.x, at.y);
    stage.backend.AdvanceClock(400);
    EXPECT_EQ(clicks, 0);  // the delay only starts the repeat timer
    stage.backend.AdvanceClock(20);
    EXPECT_EQ(clicks, 1);
    stage.backend.AdvanceClock(80);
    EXPECT_EQ(clicks, 5);
    stage.backend.MouseUp(*stage.form, at.x, at.y);
    EXPECT_EQ(clicks, 6);  // and the ordinary click of the release over the button
    stage.backend.AdvanceClock(1000);
    EXPECT_EQ(clicks, 6);
}

TEST_F(PulseClicks, RightButtonRepeatsTooButIsNoClick) {
    stage.backend.MouseDown(*stage.form, at.x, at.y, MouseButton::Right);
    stage.backend.AdvanceClock(500);
    EXPECT_EQ(clicks, 5);
    stage.backend.MouseUp(*stage.form, at.x, at.y, MouseButton::Right);
    EXPECT_EQ(clicks, 5);
    EXPECT_TRUE(stage.backend.menus.empty());  // one image: no menu
}

TEST_F(PulseClicks, OneImageReleaseDoesNotRepaint) {
    stage.form->PaintAll();
    stage.backend.MouseDown(*stage.form, at.x, at.y, MouseButton::Right);
    const auto paints = stage.form->PaintCount();
    stage.backend.MouseUp(*stage.form, at.x, at.y, MouseButton::Right);
    EXPECT_EQ(stage.form->PaintCount(), paints);
}

// ---------------------------------------------------------------- pulse

TEST_F(PulseClicks, PulseRunsOnlyWhileHovered) {
    EXPECT_TRUE(button->Pulsing());
    std::vector<int> phases;
    for (int i = 0; i < 12; ++i) {
        stage.backend.AdvanceClock(80);
        phases.push_back(button->Pulse().phase);
    }
    EXPECT_EQ(phases, (std::vector<int>{31, 61, 91, 121, 151, 121, 91, 61, 31, 1, 0, 30}));
    stage.backend.AdvanceClock(80 * 3);  // 60, 90, 120: rising
    stage.backend.AdvanceClock(80 * 2);  // 150, 120: falling
    EXPECT_EQ(button->Pulse().phase, 120);
    stage.backend.MouseExit(*stage.form);
    EXPECT_FALSE(button->Pulsing());
    EXPECT_EQ(button->Pulse().phase, 1);
    EXPECT_EQ(button->Pulse().step, -30);
    stage.backend.AdvanceClock(800);
    EXPECT_EQ(button->Pulse().phase, 1);
    // Back in while the step is negative: down to 0 first, then up.
    stage.backend.MouseMove(*stage.form, at.x, at.y);
    stage.backend.AdvanceClock(80);
    EXPECT_EQ(button->Pulse().phase, 0);
    stage.backend.AdvanceClock(80);
    EXPECT_EQ(button->Pulse().phase, 30);
}

TEST_F(PulseClicks, DisabledButtonNeitherPulsesNorClicks) {
    button->SetEnabled(false);
    EXPECT_FALSE(button->Pulsing());
    EXPECT_EQ(button->Pulse().phase, 1);
    stage.backend.MouseExit(*stage.form);
    stage.backend.MouseMove(*stage.form, at.x, at.y);
    stage.backend.MouseDown(*stage.form, at.x, at.y);
    stage.backend.AdvanceClock(1000);
    stage.backend.MouseUp(*stage.form, at.x, at.y);
    EXPECT_FALSE(button->Pulsing());
    EXPECT_EQ(clicks, 0);
}

TEST_F(PulseClicks, EntryNotifiesTheParentThenSendsTheHint) {
    stage.backend.MouseExit(*stage.form);
    std::vector<std::string> log;
    Connection notices = stage.form->ChildChanged.Connect([&](Control&) { log.push_back("notice"); });
    button->OnSendHint = [&](Control& c) { log.push_back("hint " + c.Hint()); };
    stage.backend.MouseMove(*stage.form, at.x, at.y);
    EXPECT_EQ(log, (std::vector<std::string>{"notice", "hint Image 1"}));
}

TEST_F(PulseClicks, SelectedButtonDoesNotRepaintOnEntryOrExit) {
    stage.backend.MouseExit(*stage.form);
    button->SetSelected(true);
    stage.form->PaintAll();
    const auto paints = stage.form->PaintCount();
    stage.backend.MouseMove(*stage.form, at.x, at.y);
    stage.backend.MouseExit(*stage.form);
    EXPECT_EQ(stage.form->PaintCount(), paints);
}

TEST(PulseButtonPainting, ImagesAreCentredByTruncation) {
    struct Case {
        int bw, bh, iw, ih;
        Rect expected;
    };
    for (Case c : {Case{16, 16, 14, 14, {1, 1, 15, 15}}, Case{41, 25, 39, 23, {1, 1, 40, 24}},
                   Case{10, 10, 13, 13, {0, 0, 10, 10}}, Case{25, 41, 23, 38, {1, 1, 24, 39}}}) {
        ControlStage stage({60, 60}, kPage);
        auto* b = WithImages<TPulseButton>(stage, c.bw, c.bh, {SolidPng(c.iw, c.ih, RGB(255, 0, 0))});
        const Bitmap shot = stage.Shot(*b);
        EXPECT_EQ(Drawn(shot), c.expected) << c.iw << " x " << c.ih << " in " << c.bw << " x " << c.bh;
        EXPECT_EQ(shot.Pixel(c.expected.left, c.expected.top), RGB(255, 0, 0));  // phase 1 keeps pure red
    }
    // A 13 x 13 image in a 10 x 10 button starts at trunc(-1.5) = -1.
    ControlStage stage({60, 60}, kPage);
    auto* b = WithImages<TPulseButton>(stage, 10, 10, {SolidPng(13, 13, RGB(255, 0, 0))});
    b->SetAutoCenter(false);
    b->SetXoffset(-1);
    b->SetYoffset(-1);
    const Bitmap placed = stage.Shot(*b);
    b->SetAutoCenter(true);
    EXPECT_EQ(stage.Shot(*b), placed);
}

TEST(PulseButtonPainting, GreyModeAveragesAndNeverPulses) {
    ControlStage stage({60, 60}, kPage);
    auto* b = WithImages<TPulseButton>(stage, 16, 16, {SolidPng(14, 14, RGB(10, 20, 31))});
    b->SetGrayscale(true);
    EXPECT_EQ(stage.Shot(*b).Pixel(5, 5), RGB(20, 20, 20));
    const Point at = CentreInForm(*b);
    stage.backend.MouseMove(*stage.form, at.x, at.y);
    const Bitmap first = testing::Snapshot(*b);
    stage.backend.AdvanceClock(80 * 4);
    EXPECT_EQ(testing::Snapshot(*b), first);
    EXPECT_EQ(first.Pixel(5, 5), RGB(20, 20, 20));
    EXPECT_EQ(first.Pixel(0, 5), kBlack);  // the default frame while hovered
}

TEST(PulseButtonPainting, CornerTriangleMarksMoreThanOneImage) {
    ControlStage stage({60, 60}, kPage);
    auto* one = WithImages<TPulseButton>(stage, 20, 20, {SolidPng(4, 4, kWhite)});
    EXPECT_EQ(stage.Shot(*one).Pixel(18, 18), kPage);
    auto* two = WithImages<TPulseButton>(stage, 20, 20, {SolidPng(4, 4, kWhite), SolidPng(4, 4, kWhite)});
    const Bitmap shot = stage.Shot(*two);
    // Without a pen (not hovered) the fill alone: pixel centres inside the triangle.
    EXPECT_EQ(shot.Pixel(18, 18), kBlack);
    EXPECT_EQ(shot.Pixel(17, 18), kBlack);
    EXPECT_EQ(shot.Pixel(14, 14), kPage);
}

// ---------------------------------------------------------------- the image menu

TEST(PulseButtonMenu, RightReleaseOffersEveryImageAndShowsTheChoice) {
    ControlStage stage({80, 80}, kPage);
    auto* b = WithImages<TPulseButton>(stage, 32, 32,
                                       {SolidPng(8, 8, RGB(255, 0, 0)), SolidPng(8, 8, RGB(0, 255, 0)), SolidPng(8, 10, kBlack)});
    const Point at = CentreInForm(*b);
    stage.backend.menuAnswers.push_back(3);
    stage.backend.Click(*stage.form, at.x, at.y, MouseButton::Right);
    ASSERT_EQ(stage.backend.menus.size(), 1u);
    const auto& items = stage.backend.menus[0].items;
    ASSERT_EQ(items.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(items[i].command, i + 1);
        EXPECT_FALSE(items[i].bitmap.IsEmpty());
    }
    EXPECT_EQ(items[2].bitmap.Height(), 10);
    EXPECT_EQ(items[0].bitmap.Pixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(b->CurrentItem(), 3);
    EXPECT_EQ(b->Hint(), "Image 3");
    // Dismissed: nothing changes. A left release never opens the menu.
    stage.backend.Click(*stage.form, at.x, at.y, MouseButton::Right);
    EXPECT_EQ(b->CurrentItem(), 3);
    stage.backend.Click(*stage.form, at.x, at.y, MouseButton::Left);
    EXPECT_EQ(stage.backend.menus.size(), 2u);
}

TEST(PulseButtonMenu, CurrentItemSetsTheHintFromDescriptions) {
    TPulseButton b;
    b.SetDescriptions({"Влево", "Вправо"});
    b.SetCurrentItem(2);
    EXPECT_EQ(b.Hint(), "Вправо");
    b.SetCurrentItem(0);
    EXPECT_EQ(b.Hint(), "");
    EXPECT_THROW(b.SetCurrentItem(3), std::out_of_range);
    EXPECT_EQ(b.CurrentItem(), 3);  // stored before the missing line is noticed
    EXPECT_THROW(b.SetCurrentItem(65536), LayoutError);
}

// ---------------------------------------------------------------- files and the stored form

TEST(PulseButtonImages, UpdatePNGListLoadsFilesByteForByte) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "veskel-pulse-files";
    std::filesystem::create_directories(dir);
    const auto a = SolidPng(3, 3, kWhite), junk = std::vector<std::uint8_t>{1, 2, 3};
    WriteFileAtomic((dir / "a.png").string(), a);
    WriteFileAtomic((dir / "junk.png").string(), junk);
    ControlStage stage;
    auto* b = stage.Add<TPulseButton>(5, 5);
    b->SetFiles({(dir / "a.png").string(), (dir / "junk.png").string(), (dir / "missing.png").string()});
    b->SetItemsCount(3);
    EXPECT_ANY_THROW(b->UpdatePNGList());
    ASSERT_EQ(b->ImageItems().size(), 3u);
    EXPECT_EQ(b->ImageItems()[0], a);
    EXPECT_EQ(b->ImageItems()[1], junk);  // loaded as it is
    EXPECT_TRUE(b->ImageItems()[2].empty());
    // Bytes that are no image show nothing instead of failing every paint.
    b->SetDescriptions({"a", "junk", "missing"});
    b->SetCurrentItem(2);
    stage.form->PaintAll();
}

std::string PulseLayout(const std::string& body) {
    return "object Form1: TForm\n  object PulseButton1: TPulseButton\n" + body + "  end\nend\n";
}

TEST(PulseButtonImages, ValuesGoToBuffersInArrivalOrder) {
    RegisterComponentClasses();
    const auto one = SolidPng(2, 2, RGB(1, 1, 1)), two = SolidPng(3, 3, RGB(2, 2, 2));
    ControlStage stage;
    LoadLayout(*stage.form, std::string_view(PulseLayout("    ItemsCount = 2\n    CurrentItem = 0\n"
                                                         "    QORPNGData2 = {" + Hex(two) + "}\n"
                                                         "    QORPNGData1 = {" + Hex(one) + "}\n")));
    auto* b = stage.form->Find<TPulseButton>("PulseButton1");
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->ImageItems().size(), 2u);
    EXPECT_EQ(b->ImageItems()[0], two);
    EXPECT_EQ(b->ImageItems()[1], one);
    // Written back in item order, after the published properties, and read back the same.
    const std::string text = WriteLayout(SaveLayout(*stage.form));
    EXPECT_LT(text.find("ItemsCount"), text.find("QORPNGData1"));
    EXPECT_LT(text.find("QORPNGData1"), text.find("QORPNGData2"));
    Form again;
    LoadLayout(again, std::string_view(text));
    EXPECT_EQ(WriteLayout(SaveLayout(again)), text);
}

TEST(PulseButtonImages, BadStoredFormsNameTheControlAndProperty) {
    RegisterComponentClasses();
    const std::string png = Hex(SolidPng(2, 2, kWhite));
    struct Case {
        std::string body, property;
    };
    for (const Case& c : {Case{"    ItemsCount = -1\n", "PulseButton1.ItemsCount"},
                          Case{"    ItemsCount = 65536\n", "PulseButton1.ItemsCount"},
                          Case{"    Xoffset = 99999999999\n", "PulseButton1.Xoffset"},
                          Case{"    ItemsCount = 1\n    QORPNGData1 = {474946383961}\n", "PulseButton1.QORPNGData1"},
                          Case{"    ItemsCount = 1\n    QORPNGData1 = {" + png.substr(0, 60) + "}\n", "PulseButton1.QORPNGData1"},
                          Case{"    QORPNGData1 = {" + png + "}\n", "PulseButton1.QORPNGData1"},
                          Case{"    ItemsCount = 1\n    QORPNGData1 = 5\n", "PulseButton1.QORPNGData1"},
                          Case{"    Descriptions.Strings = (\n      'a')\n    CurrentItem = 2\n", "PulseButton1.CurrentItem"}}) {
        ControlStage stage;
        try {
            LoadLayout(*stage.form, std::string_view(PulseLayout(c.body)));
            ADD_FAILURE() << c.body << " was accepted";
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(c.property), std::string::npos) << e.what();
        }
    }
    // A binary value whose length runs past its bytes never reaches the control.
    TPulseButton b;
    std::vector<std::uint8_t> encoded = EncodePngBlock(SolidPng(2, 2, kWhite));
    encoded[3] = 0x7F;
    EXPECT_THROW(b.ReadBinaryProperty("QORPNGData1", encoded), LayoutError);
}

TEST(PulseButtonImages, HugeCountWithFewImagesStaysSafe) {
    RegisterComponentClasses();
    const std::string png = Hex(SolidPng(4, 4, RGB(9, 9, 9)));
    ControlStage stage({80, 80}, kPage);
    LoadLayout(*stage.form, std::string_view(PulseLayout("    Left = 5\n    Top = 5\n    ItemsCount = 65535\n"
                                                         "    Descriptions.Strings = (\n      'a'\n      'b'\n      'c')\n"
                                                         "    CurrentItem = 3\n    QORPNGData1 = {" + png + "}\n"
                                                         "    QORPNGData2 = {" + png + "}\n    QORPNGData3 = {" + png + "}\n")));
    auto* b = stage.form->Find<TPulseButton>("PulseButton1");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->ImageItems().size(), 65535u);
    EXPECT_NE(Drawn(stage.Shot(*b)).right, 0);
    // The menu stops at the first image it cannot show, with a message naming the button.
    const Point at = CentreInForm(*b);
    std::string error;
    Application::Current()->OnException = [&](const std::string& m) { error = m; };
    stage.backend.Click(*stage.form, at.x, at.y, MouseButton::Right);
    EXPECT_NE(error.find("PulseButton1"), std::string::npos) << error;
    EXPECT_TRUE(stage.backend.menus.empty());
}

// ---------------------------------------------------------------- the plain sibling

TEST(GroupPNGButtons, NoRepeatNoPulseImageAsDecoded) {
    ControlStage stage({60, 60}, kPage);
    auto* g = WithImages<TGroupPNGButtons>(stage, 16, 16, {SolidPng(14, 14, RGB(200, 100, 50))});
    int clicks = 0, downs = 0, ups = 0;
    g->OnClick = [&](Control&) { ++clicks; };
    g->OnMouseDown = [&](Control&, MouseButton, ShiftState, int, int) { ++downs; };
    g->OnMouseUp = [&](Control&, MouseButton, ShiftState, int, int) { ++ups; };
    EXPECT_EQ(stage.Shot(*g).Pixel(1, 1), RGB(200, 100, 50));  // a pulse button would shift it
    const Point at = CentreInForm(*g);
    stage.backend.MouseMove(*stage.form, at.x, at.y);
    stage.backend.MouseDown(*stage.form, at.x, at.y);
    stage.backend.AdvanceClock(1000);
    EXPECT_EQ(clicks, 0);
    stage.backend.MouseUp(*stage.form, at.x, at.y);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 0);
    EXPECT_EQ(g->Cursor(), kCrDefault);
}

TEST(GroupPNGButtons, HoverFrameFollowsPenAndBrush) {
    ControlStage stage({60, 60}, kPage);
    auto* g = WithImages<TGroupPNGButtons>(stage, 16, 16, {SolidPng(14, 14, kWhite)});
    g->SetBackColor({kWhite, BrushStyle::Clear, nullptr});
    g->SetBackPen({kBlack, PenStyle::Clear, PenMode::Copy});
    const Bitmap rest = stage.Shot(*g);
    const Point at = CentreInForm(*g);
    stage.backend.MouseMove(*stage.form, at.x, at.y);
    EXPECT_EQ(testing::Snapshot(*g), rest);  // nothing visible changes
    g->SetBackPen({RGB(0, 0, 255), PenStyle::Solid, PenMode::Copy});
    g->SetRound(3);
    const Bitmap framed = testing::Snapshot(*g);
    EXPECT_EQ(framed.Pixel(8, 0), RGB(0, 0, 255));
    EXPECT_EQ(framed.Pixel(15, 8), RGB(0, 0, 255));
    stage.backend.MouseExit(*stage.form);
    EXPECT_EQ(testing::Snapshot(*g), rest);
}

}  // namespace
}  // namespace veskel
