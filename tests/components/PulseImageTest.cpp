#include "Components/PulseButton/PulseImage.h"

#include <gtest/gtest.h>

#include "platform/graphics/Rounding.h"
#include "platform/ui/Control.h"
#include "platform/text/CanvasText.h"

namespace veskel {
namespace {

Picture OnePixel(int r, int g, int b, int alpha) {
    Picture p(Bitmap(1, 1));
    p.color.SetPixel(0, 0, RGB(r, g, b));
    p.EnsureAlpha(std::uint8_t(alpha));
    return p;
}

TEST(PulsePhase, RisesOnceThenCyclesBetweenZeroAnd150) {
    PulsePhase pulse;
    std::vector<int> seen;
    for (int i = 0; i < 22; ++i) {
        pulse.Tick();
        seen.push_back(pulse.phase);
    }
    EXPECT_EQ(seen, (std::vector<int>{31, 61, 91, 121, 151, 121, 91, 61, 31, 1, 0, 30, 60, 90, 120, 150, 120, 90, 60,
                                      30, 0, 30}));
}

TEST(PulsePhase, ResetDuringADescentDipsToZeroFirst) {
    // The pointer left while the phase was falling: the phase goes back to 1, the step keeps its sign.
    PulsePhase pulse{1, -30};
    pulse.Tick();
    EXPECT_EQ(pulse.phase, 0);
    pulse.Tick();
    EXPECT_EQ(pulse.phase, 30);
}

TEST(PulseRecolour, MovesLightnessTowardsTheChannelAverage) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    // White stays white at the top of the pulse (L 251 clamps back to 255).
    Picture white = OnePixel(255, 255, 255, 200);
    PulseRecolour(white, 150);
    EXPECT_EQ(white.color.Pixel(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(white.alpha[0], 200);
    // Pure red: L 120, average 85, so the peak darkens it to L 94; at rest (phase 1) it survives.
    Picture red = OnePixel(255, 0, 0, 255);
    PulseRecolour(red, 150);
    EXPECT_EQ(red.color.Pixel(0, 0), RGB(201, 0, 0));
    red = OnePixel(255, 0, 0, 255);
    PulseRecolour(red, 1);
    EXPECT_EQ(red.color.Pixel(0, 0), RGB(255, 0, 0));
    // Red sits in the first slot: blue on its own gets the same darkening in its own channel.
    Picture blue = OnePixel(0, 0, 255, 255);
    PulseRecolour(blue, 150);
    EXPECT_EQ(blue.color.Pixel(0, 0), RGB(0, 0, 201));
}

TEST(PulseRecolour, GreyModeAveragesWithTruncation) {
    Picture p = OnePixel(10, 20, 31, 77);  // 61 / 3 = 20.33
    GreyRecolour(p);
    EXPECT_EQ(p.color.Pixel(0, 0), RGB(20, 20, 20));
    EXPECT_EQ(p.alpha[0], 77);
    p = OnePixel(255, 255, 254, 255);  // 764 / 3 = 254.67
    GreyRecolour(p);
    EXPECT_EQ(p.color.Pixel(0, 0), RGB(254, 254, 254));
}

TEST(ImageMenuItem, ImageThenDescriptionOnButtonFace) {
    Picture image(Bitmap(6, 10));
    image.color.Fill(RGB(200, 0, 0));
    image.EnsureAlpha(255);
    image.alpha[0] = 0;  // the top-left corner is see-through
    Font font;
    font.family = "Tahoma";
    font.size = 8;
    Bitmap probe(1, 1);
    Canvas c(probe);
    c.font = font;
    const Size text = TextExtent(c, "Swap");

    const Bitmap item = ImageMenuItemBitmap(image, "Swap", font);
    EXPECT_EQ(item.Width(), 6 + text.width + 20);
    EXPECT_EQ(item.Height(), 10);
    const Color face = ResolveColor(kClBtnFace);
    EXPECT_EQ(item.Pixel(0, 0), face);
    EXPECT_EQ(item.Pixel(5, 9), RGB(200, 0, 0));
    EXPECT_EQ(item.Pixel(8, 5), face);  // the gap before the text
    bool ink = false;
    for (int y = 0; y < 10; ++y)
        for (int x = 16; x < item.Width(); ++x) ink |= item.Pixel(x, y) != face;
    EXPECT_TRUE(ink);
    // An endless description is cut at the bitmap's edge.
    EXPECT_EQ(ImageMenuItemBitmap(image, std::string(5000, 'W'), font).Width(), kMaxMenuItemWidth);
}

}  // namespace
}  // namespace veskel
