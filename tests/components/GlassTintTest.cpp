#include "Components/GlassTint/GlassTint.h"

#include <gtest/gtest.h>

#include "platform/graphics/Rounding.h"

#include <cfenv>

namespace veskel {

// Readable failure messages (found by argument-dependent lookup, so outside the anonymous namespace).
void PrintTo(const Hls& v, std::ostream* os) { *os << "H " << v.h << " L " << v.l << " S " << v.s; }
void PrintTo(const Channels& v, std::ostream* os) { *os << "(" << v.c1 << ", " << v.c2 << ", " << v.c3 << ")"; }

namespace {

struct RoundTrip {
    Channels rgb;
    Hls hls;
    Channels back;
};

void ExpectRoundTrips(RoundingMode mode, const HlsScale& scale, const std::vector<RoundTrip>& cases) {
    ScopedRoundingModeForTesting rounding(mode);
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.rgb));
        Hls hls = RgbToHls(c.rgb.c1, c.rgb.c2, c.rgb.c3, scale);
        EXPECT_EQ(hls, c.hls);
        EXPECT_EQ(HlsToRgb(hls.h, hls.l, hls.s, scale), c.back);
    }
}

// Round trips with the slots read as red, green, blue. The nearest mode rounds ties to even
// (black's L is round(0.5) = 0, white's round(240.5) = 240, (17, 0, 0)'s round(8.5) = 8), so
// the trip is not an identity: mid-greys come back one step lighter, and one step darker once
// the process rounds downward.
TEST(GlassTint, RoundTripsAtScale240InBothRoundingModes) {
    ExpectRoundTrips(RoundingMode::NearestEven, kHls240,
                     {
                         {{0, 0, 0}, {160, 0, 0}, {0, 0, 0}},
                         {{255, 255, 255}, {160, 240, 0}, {255, 255, 255}},
                         {{128, 128, 128}, {160, 121, 0}, {129, 129, 129}},
                         {{255, 0, 0}, {0, 120, 240}, {255, 0, 0}},
                         {{0, 255, 0}, {80, 120, 240}, {0, 255, 0}},
                         {{0, 0, 255}, {160, 120, 240}, {0, 0, 255}},
                         {{200, 100, 50}, {13, 118, 144}, {202, 100, 50}},
                         {{1, 0, 0}, {0, 1, 240}, {3, 0, 0}},
                     });
    EXPECT_EQ(RgbToHls(17, 0, 0).l, 8);

    ExpectRoundTrips(RoundingMode::Downward, kHls240,
                     {
                         {{128, 128, 128}, {160, 120, 0}, {127, 127, 127}},
                         {{1, 0, 0}, {0, 0, 240}, {1, 0, 0}},
                         {{255, 0, 0}, {0, 120, 240}, {255, 0, 0}},
                         {{255, 255, 255}, {160, 240, 0}, {255, 255, 255}},
                         {{0, 0, 0}, {160, 0, 0}, {0, 0, 0}},
                     });
}

// The palette pop-up runs the same steps on a 254 scale with fractional thirds.
TEST(GlassTint, RoundTripsAtScale254) {
    ExpectRoundTrips(RoundingMode::NearestEven, kHls254,
                     {
                         {{255, 0, 0}, {0, 128, 254}, {255, 4, 3}},
                         {{0, 255, 0}, {85, 128, 254}, {3, 255, 5}},
                         {{200, 100, 50}, {14, 125, 153}, {202, 101, 50}},
                         {{128, 128, 128}, {169, 128, 0}, {129, 129, 129}},
                         {{255, 255, 255}, {169, 254, 0}, {255, 255, 255}},
                         {{0, 0, 0}, {169, 0, 0}, {0, 0, 0}},
                     });
    ExpectRoundTrips(RoundingMode::Downward, kHls254, {{{255, 0, 0}, {0, 127, 254}, {255, 0, 0}}});
}

TEST(GlassTint, TieForTheLargestChannelGoesToTheEarlierSlot) {
    // Slots 1 and 2 both hold the maximum: the first test (slot 1) wins, hue d3 - d2 = 40.
    EXPECT_EQ(RgbToHls(255, 255, 0).h, 40);
    // Slots 2 and 3 tie: hue 80 + d1 - d3 = 120.
    EXPECT_EQ(RgbToHls(0, 255, 255).h, 120);
    // A hue below zero wraps to the top of the circle: d3 - d2 = 38.93 - 40.5 rounds to -2.
    EXPECT_EQ(RgbToHls(255, 0, 10).h, 238);
}

TEST(GlassTint, HueToRgbWrapsOnceInEachDirection) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    EXPECT_FLOAT_EQ(HueToRgb(0, 240, 250), 60.5f);  // treated as hue 10
    EXPECT_FLOAT_EQ(HueToRgb(0, 240, -10), 0.0f);   // treated as 230
    EXPECT_FLOAT_EQ(HueToRgb(0, 240, 100), 240.0f);
    EXPECT_FLOAT_EQ(HueToRgb(0, 240, 150), 60.5f);  // falling edge: (240 * 10 + 20) / 40
    // Only one correction: 490 becomes 250, which is still above the scale and lands on p.
    EXPECT_FLOAT_EQ(HueToRgb(7, 240, 490), 7.0f);
}

TEST(GlassTint, HlsToRgbUsesUnclampedInputsAndClampsOnlyTheChannels) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    // S far above 240 and L above 240: the channels saturate rather than wrap.
    Channels c = HlsToRgb(0, 130, 440);
    EXPECT_EQ(c, (Channels{255, 0, 0}));
    EXPECT_EQ(HlsToRgb(0, 300, 0), (Channels{255, 255, 255}));
    EXPECT_EQ(HlsToRgb(0, -20, 0), (Channels{0, 0, 0}));
    // A saturation of 250 is not cut to 240 first: q grows from 220.5 to 225.08, so the strong
    // channel comes out 240 instead of 235.
    EXPECT_EQ(HlsToRgb(160, 110, 240), (Channels{0, 0, 235}));
    EXPECT_EQ(HlsToRgb(160, 110, 250), (Channels{0, 0, 240}));
    // Offsets at the ends of the int range neither overflow nor crash.
    Picture pic(Bitmap(2, 1));
    pic.color.Fill(RGB(128, 128, 128));
    TintSkin(pic, INT32_MAX, INT32_MIN, INT32_MAX);
    TintSkin(pic, INT32_MIN, INT32_MAX, INT32_MIN);
}

Picture OnePixel(std::uint8_t b, std::uint8_t g, std::uint8_t r, std::uint8_t a) {
    Picture pic(Bitmap(1, 1));
    pic.color.Row(0)[0] = b;
    pic.color.Row(0)[1] = g;
    pic.color.Row(0)[2] = r;
    pic.EnsureAlpha(a);
    return pic;
}

TEST(GlassTint, TintSkinPutsBlueInTheFirstSlotAndKeepsAlpha) {
    ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
    // The main window's hover offsets turn a mid-grey light blue, not orange.
    Picture pic = OnePixel(128, 128, 128, 77);
    TintSkin(pic, 100, 10, 200);
    EXPECT_EQ(pic.color.Row(0)[0], 236);  // blue
    EXPECT_EQ(pic.color.Row(0)[1], 140);  // green
    EXPECT_EQ(pic.color.Row(0)[2], 44);   // red
    EXPECT_EQ(pic.alpha[0], 77);

    // A stored blue (first slot) and a stored red (third slot) both survive a zero tint.
    Picture blue = OnePixel(255, 0, 0, 255);
    Picture red = OnePixel(0, 0, 255, 255);
    TintSkin(blue, 0, 0, 0);
    TintSkin(red, 0, 0, 0);
    EXPECT_EQ(blue.color.Pixel(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(red.color.Pixel(0, 0), RGB(255, 0, 0));
}

TEST(GlassTint, ZeroTintMovesMidGreysOneStepTheWayTheModeRounds) {
    Picture lighter = OnePixel(128, 128, 128, 255);
    Picture darker = lighter;
    {
        ScopedRoundingModeForTesting rounding(RoundingMode::NearestEven);
        TintSkin(lighter, 0, 0, 0);
    }
    {
        ScopedRoundingModeForTesting rounding(RoundingMode::Downward);
        TintSkin(darker, 0, 0, 0);
    }
    EXPECT_EQ(lighter.color.Pixel(0, 0), RGB(129, 129, 129));
    EXPECT_EQ(darker.color.Pixel(0, 0), RGB(127, 127, 127));
}

TEST(GlassTint, ConversionsLeaveTheProcessorModeAsTheyFoundIt) {
    ScopedRoundingModeForTesting rounding(RoundingMode::Downward);
    int before = std::fegetround();
    RgbToHls(200, 100, 50);
    HlsToRgb(13, 118, 144);
    EXPECT_EQ(std::fegetround(), before);
}

}  // namespace
}  // namespace veskel
