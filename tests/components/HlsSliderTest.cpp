#include <gtest/gtest.h>

#include "Components/GlassTint/GlassTint.h"
#include "Components/HLSSlider/HLSSlider.h"
#include "ColourPickerFixture.h"

namespace veskel {
namespace {

using HlsSliderTest = testing::ColourPickerTest;

// The pop-up's slider is 266 wide: a bar of 256 columns from x = 5, pointer positions over 254.
TEST_F(HlsSliderTest, PositionFromThePointerInBothRoundingModes) {
    struct Case {
        int x, nearest, down;
    };
    const Case cases[] = {
        {-3, 0, 0},     {4, 0, 0},      {5, 0, 0},     {6, 1, 1},
        {7, 2, 2},      {132, 128, 127},  // 127.5: the tie goes to even
        {133, 129, 128}, {258, 254, 253},
        {259, 255, 255}, {260, 255, 255},  // round(256.004) is limited to 255
        {261, 255, 255}, {400, 255, 255},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(slider->PositionAt(c.x), c.nearest) << "x " << c.x;
        ScopedRoundingModeForTesting down(RoundingMode::Downward);
        EXPECT_EQ(slider->PositionAt(c.x), c.down) << "x " << c.x << " rounding down";
    }
    EXPECT_EQ(slider->PointerX(128), 132);
    EXPECT_EQ(slider->PointerX(0), 5);
    EXPECT_EQ(slider->PointerX(255), 259);
}

TEST_F(HlsSliderTest, BarColoursAndPointer) {
    slider->SetPositopn(128);
    const Bitmap shot = Shot(*slider);
    EXPECT_EQ(slider->BarWidth(), 256);
    // Column b shows hue round(b * 255 / 256) at lightness 127 and saturation 255; the end columns
    // (hue 0, a red of (255, 9, 8), and hue 254, which wraps to 14 on the 240 scale, an orange
    // of (255, 98, 8)) lie under the outline.
    EXPECT_EQ(HlsToRgb(0, 127, 255), (Channels{255, 9, 8}));
    EXPECT_EQ(HlsToRgb(254, 127, 255), (Channels{255, 98, 8}));
    for (int b : {1, 100, 128, 254}) {
        const Channels c = HlsToRgb(Round(b * 255.0 / 256), 127, 255);
        for (int y = 1; y < 17; ++y) EXPECT_EQ(shot.Pixel(b + 5, y), RGB(c.c1, c.c2, c.c3)) << b << ", " << y;
    }
    // Outline from x 5 to 260 and y 0 to 17.
    EXPECT_EQ(shot.Pixel(5, 8), RGB(137, 137, 137));
    EXPECT_EQ(shot.Pixel(260, 8), RGB(137, 137, 137));
    EXPECT_EQ(shot.Pixel(100, 0), RGB(137, 137, 137));
    EXPECT_EQ(shot.Pixel(100, 17), RGB(137, 137, 137));
    // Triangle tip at (132, 18), base on row 23 from 127 to 137; the parent shows beside it.
    EXPECT_EQ(shot.Pixel(132, 18), RGB(137, 137, 137));
    EXPECT_EQ(shot.Pixel(132, 22), RGB(137, 137, 137));
    EXPECT_EQ(shot.Pixel(127, 23), RGB(137, 137, 137));
    EXPECT_EQ(shot.Pixel(137, 23), RGB(137, 137, 137));
    EXPECT_EQ(shot.Pixel(125, 20), RGB(235, 235, 235));
    EXPECT_EQ(shot.Pixel(2, 8), RGB(235, 235, 235));
    EXPECT_EQ(shot.Pixel(263, 8), RGB(235, 235, 235));
    testing::ExpectGolden(shot, "hls_slider_128");
}

// The setter raises OnChange before it repaints: code that sets the position always runs the
// handler, even for the same value.
TEST_F(HlsSliderTest, SetterRaisesOnChangeEveryTime) {
    std::vector<int> seen;
    slider->OnChange = [&](Control& sender) {
        EXPECT_EQ(&sender, slider);
        seen.push_back(slider->Positopn());
    };
    slider->SetPositopn(40);
    slider->SetPositopn(40);
    slider->SetPositopn(300);  // only the low eight bits are kept
    EXPECT_EQ(seen, (std::vector<int>{40, 40, 44}));
    EXPECT_EQ(Shot(*slider).Pixel(slider->PointerX(44), 20), RGB(137, 137, 137));
}

TEST_F(HlsSliderTest, PressDragAndRelease) {
    std::vector<std::string> log;
    slider->OnChange = [&](Control&) { log.push_back("change " + std::to_string(slider->Positopn())); };
    slider->OnFinalChange = [&](Control&) { log.push_back("final " + std::to_string(slider->Positopn())); };
    MoveTo(*slider, 50, 10);
    Press(*slider, 133, 10);
    EXPECT_TRUE(slider->Dragging());
    MoveTo(*slider, 6, 30);     // below the bar still picks by x
    MoveTo(*slider, -40, 10);   // outside to the left
    Release(*slider, -40, 10);
    EXPECT_FALSE(slider->Dragging());
    MoveTo(*slider, 200, 10);   // no longer dragging
    // Any button, and a release without a press on the slider raises nothing.
    Press(*slider, 259, 5, MouseButton::Middle);
    Release(*slider, 259, 5, MouseButton::Middle);
    const std::vector<std::string> want{"change 129", "change 1", "change 0", "final 0", "change 255", "final 255"};
    EXPECT_EQ(log, want);
}

// Narrower than the margins allow: nothing divides by zero and painting stays within the control.
TEST_F(HlsSliderTest, NarrowSliderNeitherFailsNorPaintsOutside) {
    for (int width : {0, 4, 10, 12, 13}) {
        slider->SetBounds(68, 288, width, 25);
        form->PaintAll();
        EXPECT_EQ(slider->PositionAt(6), width - 5 <= 6 ? 255 : slider->PositionAt(6)) << width;
        EXPECT_EQ(slider->PositionAt(0), 0);
        Press(*slider, 6, 5);
        Release(*slider, 6, 5);
        EXPECT_EQ(form->Surface().Pixel(68 + width + 1, 290), RGB(235, 235, 235)) << width;
    }
}

}  // namespace
}  // namespace veskel
