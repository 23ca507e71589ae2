#include <gtest/gtest.h>

#include "Components/GlassTint/GlassTint.h"
#include "Components/HLSColorTable/HlsTableImage.h"
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

}  // namespace
}  // namespace veskel
