#include <gtest/gtest.h>

#include "Components/GlassTint/GlassTint.h"
#include "Components/HLSColorTable/HlsTableImage.h"
#include "ColourPickerFixture.h"
#include "platform/graphics/Rounding.h"

namespace veskel {
namespace {

// ---------------------------------------------------------------- the table's picture

// The picture is drawn by a shortcut that decides the hue's work once per table; it must give
// the per-pixel conversion's pixels exactly, for hues on both sides of every branch of HueToRgb
// (including hues past 240, which the slider delivers, and values no caller should send), in
// both rounding modes.
TEST(HlsTableImage, EqualsThePerPixelConversionForEveryBranch) {
    const int hues[] = {0,   1,   13,  39,  40,  41,  79,  80,  81,  119, 120, 121, 159, 160,
                        161, 199, 200, 201, 239, 240, 241, 254, 255, -1,  -80, -241, 481, 100000};
    for (RoundingMode mode : {RoundingMode::NearestEven, RoundingMode::Downward}) {
        ScopedRoundingModeForTesting rounding(mode);
        Bitmap image;
        for (int hue : hues) {
            DrawHlsTableImage(image, hue);
            ASSERT_EQ(image.Width(), 255);
            ASSERT_EQ(image.Height(), 255);
            int wrong = 0;
            for (int i = 0; i < 255 && wrong < 5; ++i) {
                for (int j = 0; j < 255 && wrong < 5; ++j) {
                    const Channels c = HlsToRgb(hue, 254 - i, j);
                    const Color want = RGB(c.c1, c.c2, c.c3);
                    if (image.Pixel(j, i) != want) {
                        ++wrong;
                        ADD_FAILURE() << "hue " << hue << (mode == RoundingMode::Downward ? " (down)" : "")
                                      << " at (" << j << ", " << i << "): " << std::hex << image.Pixel(j, i)
                                      << " instead of " << want;
                    }
                }
            }
        }
    }
}

TEST(HlsTableImage, CornersShowWhiteBlackAndThePureHue) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    Bitmap image;
    DrawHlsTableImage(image, 80);
    EXPECT_EQ(image.Pixel(0, 0), RGB(255, 255, 255));  // lightness 254, grey
    EXPECT_EQ(image.Pixel(0, 254), RGB(0, 0, 0));      // lightness 0
    // Lightness 127 and saturation 254 on the 240 scale: a slightly washed-out pure green.
    EXPECT_EQ(image.Pixel(254, 127), RGB(9, 255, 9));
    DrawHlsTableImage(image, 0);
    EXPECT_EQ(image.Pixel(254, 127), RGB(255, 9, 9));
}

// ---------------------------------------------------------------- the control

using testing::ColourPickerTest;
using HlsColorTableTest = ColourPickerTest;

TEST_F(HlsColorTableTest, NewTableAndItsFrame) {
    EXPECT_EQ(table->Width(), 257);
    EXPECT_EQ(table->Height(), 257);
    EXPECT_EQ(table->HUE(), 0);
    EXPECT_EQ(table->Saturation(), 255);
    EXPECT_EQ(table->Lightnes(), 255);
    EXPECT_TRUE(table->IsWindowed());
    EXPECT_TRUE(app.HasCursor(kCrPura));

    // The cross-hair of (255, 255) crosses the frame's top right corner; move it inside.
    table->SetSaturation(127);
    table->SetLightnes(127);
    table->SetHUE(0);
    const Bitmap shot = Shot(*table);
    for (int k = 0; k < 257; ++k) {
        EXPECT_EQ(shot.Pixel(k, 0), RGB(176, 176, 176));
        EXPECT_EQ(shot.Pixel(k, 256), RGB(176, 176, 176));
        EXPECT_EQ(shot.Pixel(0, k), RGB(176, 176, 176));
        EXPECT_EQ(shot.Pixel(256, k), RGB(176, 176, 176));
    }
    // The picture fills the inside.
    EXPECT_EQ(shot.Pixel(1, 1), table->TableImage().Pixel(0, 0));
    EXPECT_EQ(shot.Pixel(128, 200), table->TableImage().Pixel(127, 199));
}

// The cross-hair: exclusive-or with grey 176, three pixels on the row left untouched (the centre
// and its left and right neighbours) and the centre on the column.
TEST_F(HlsColorTableTest, CrossHairLeavesThePickedPixelVisible) {
    table->SetSaturation(100);
    table->SetLightnes(100);
    table->SetHUE(40);
    const Bitmap shot = Shot(*table);
    const Bitmap& image = table->TableImage();
    const int x0 = 101, y0 = 155;
    auto underneath = [&](int x, int y) { return image.Pixel(x - 1, y - 1); };
    auto xored = [&](int x, int y) { return underneath(x, y) ^ RGB(176, 176, 176); };
    for (int dx = -6; dx <= 6; ++dx) {
        const bool marked = (dx >= -4 && dx <= -2) || (dx >= 2 && dx <= 4);
        EXPECT_EQ(shot.Pixel(x0 + dx, y0), marked ? xored(x0 + dx, y0) : underneath(x0 + dx, y0)) << "dx " << dx;
    }
    for (int dy = -6; dy <= 6; ++dy) {
        if (dy == 0) continue;
        const bool marked = dy >= -4 && dy <= 4;
        EXPECT_EQ(shot.Pixel(x0, y0 + dy), marked ? xored(x0, y0 + dy) : underneath(x0, y0 + dy)) << "dy " << dy;
    }
    EXPECT_EQ(shot.Pixel(x0 + 1, y0 + 1), underneath(x0 + 1, y0 + 1));
}

TEST_F(HlsColorTableTest, SaturationAndLightnesShowOnlyAtTheNextRepaint) {
    const Bitmap before = Shot(*table);
    const std::uint64_t paints = form->PaintCount();
    int changes = 0;
    table->OnChange = [&](Control&) { ++changes; };
    table->SetSaturation(10);
    table->SetLightnes(20);
    app.ProcessMessages();
    EXPECT_EQ(form->PaintCount(), paints);
    EXPECT_EQ(Shot(*table), before);
    EXPECT_EQ(changes, 0);
    table->SetHUE(0);  // the pop-up repaints through the hue
    EXPECT_NE(Shot(*table), before);
    EXPECT_EQ(Shot(*table).Pixel(11, 235), table->TableImage().Pixel(10, 234));  // the centre stays
    EXPECT_EQ(changes, 0);
}

// Each coordinate applies only inside the picture; the other still applies and OnChange is
// raised whether anything changed or not.
TEST_F(HlsColorTableTest, PressPicksWhereThePictureIs) {
    struct Case {
        int x, y;
        int saturation, lightnes;
    };
    const Case cases[] = {
        {1, 1, 0, 254},      {255, 255, 254, 0},   {128, 100, 127, 155},
        {0, 100, 127, 155},  // on the left frame: saturation kept
        {50, 0, 49, 155},    // on the top frame: lightness kept
        {256, 256, 49, 155}, // the far corner of the frame: both kept
    };
    int changes = 0;
    table->OnChange = [&](Control& sender) {
        EXPECT_EQ(&sender, table);
        ++changes;
    };
    int expectedChanges = 0;
    for (const Case& c : cases) {
        Press(*table, c.x, c.y);
        Release(*table, c.x, c.y);
        EXPECT_EQ(++expectedChanges, changes);
        EXPECT_EQ(table->Saturation(), c.saturation) << c.x << ", " << c.y;
        EXPECT_EQ(table->Lightnes(), c.lightnes) << c.x << ", " << c.y;
    }
    // Any button picks.
    Press(*table, 30, 40, MouseButton::Right);
    EXPECT_EQ(table->Saturation(), 29);
    EXPECT_EQ(table->Lightnes(), 215);
    Release(*table, 30, 40, MouseButton::Right);
}

TEST_F(HlsColorTableTest, DragFollowsThePointerUntilRelease) {
    std::vector<std::pair<int, int>> seen;
    table->OnChange = [&](Control&) { seen.push_back({table->Saturation(), table->Lightnes()}); };
    MoveTo(*table, 10, 10);
    EXPECT_TRUE(seen.empty());  // hovering picks nothing
    Press(*table, 10, 10);
    EXPECT_TRUE(table->Dragging());
    MoveTo(*table, 20, 30);
    MoveTo(*table, 20, 30);  // no change, still an OnChange
    MoveTo(*table, 300, -20);  // outside: the values stay, the notice comes
    Release(*table, 300, -20);
    EXPECT_FALSE(table->Dragging());
    MoveTo(*table, 40, 40);
    const std::vector<std::pair<int, int>> want{{9, 245}, {19, 225}, {19, 225}, {19, 225}};
    EXPECT_EQ(seen, want);
    // The cross-hair moved with the last pick.
    EXPECT_EQ(Shot(*table).Pixel(20 - 4, 30), table->TableImage().Pixel(15, 29) ^ RGB(176, 176, 176));
}

TEST_F(HlsColorTableTest, RingCursorWhileThePointerIsOverTheTable) {
    MoveTo(*table, 100, 100);
    EXPECT_EQ(app.ScreenCursor(), kCrPura);
    const CursorShape shape = backend.CursorOf(*form);
    EXPECT_EQ(shape.id, kCrPura);
    ASSERT_NE(shape.image, nullptr);
    EXPECT_EQ(shape.hotSpot, (Point{12, 13}));
    // The ring is opaque black 5 pixels left of the hot spot, hollow at it.
    EXPECT_EQ(shape.image->AlphaRow(13)[12 - 5], 255);
    EXPECT_EQ(shape.image->color.Pixel(12 - 5, 13), RGB(0, 0, 0));
    EXPECT_EQ(shape.image->AlphaRow(13)[12], 0);
    MoveTo(*table, -20, 100);
    EXPECT_EQ(app.ScreenCursor(), kCrDefault);
}

TEST_F(HlsColorTableTest, GoldenAtSeveralHues) {
    struct Shot_ {
        int hue, saturation, lightnes;
        const char* name;
    };
    for (const Shot_& s : {Shot_{0, 254, 127, "hls_table_hue0"}, Shot_{80, 60, 200, "hls_table_hue80"},
                           Shot_{200, 180, 40, "hls_table_hue200"}, Shot_{255, 0, 254, "hls_table_hue255"}}) {
        table->SetSaturation(s.saturation);
        table->SetLightnes(s.lightnes);
        table->SetHUE(s.hue);
        testing::ExpectGolden(Shot(*table), s.name);
    }
}

}  // namespace
}  // namespace veskel
