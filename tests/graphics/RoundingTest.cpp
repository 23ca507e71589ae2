#include "platform/graphics/Rounding.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace veskel {
namespace {

// Both modes side by side: every row is rounded once to nearest (ties to even) and once downward.
TEST(Rounding, RoundFollowsTheProcessMode) {
    struct Case {
        double value;
        int nearest, downward;
    };
    const Case cases[] = {
        {127.5, 128, 127},  // the gradient's middle column
        {13.73, 14, 13},    // the pattern blend under a black tile pixel
        {-2.5, -2, -3},     {8.5, 8, 8},     {240.5, 240, 240}, {0.5, 0, 0},  {1.5, 2, 1},
        {43.75, 44, 43},    {-0.4, 0, -1},   {-7.0, -7, -7},    {2.4999, 2, 2}, {1e12, INT_MAX, INT_MAX},
        {-1e12, INT_MIN, INT_MIN},
    };
    for (const Case& k : cases) {
        {
            ScopedRoundingModeForTesting mode(RoundingMode::NearestEven);
            EXPECT_EQ(CurrentRoundingMode(), RoundingMode::NearestEven);
            EXPECT_EQ(Round(k.value), k.nearest) << k.value;
        }
        {
            ScopedRoundingModeForTesting mode(RoundingMode::Downward);
            EXPECT_EQ(CurrentRoundingMode(), RoundingMode::Downward);
            EXPECT_EQ(Round(k.value), k.downward) << k.value;
        }
        // RoundIn ignores the process mode.
        ScopedRoundingModeForTesting other(RoundingMode::Downward);
        EXPECT_EQ(RoundIn(RoundingMode::NearestEven, k.value), k.nearest) << k.value;
        EXPECT_EQ(RoundIn(RoundingMode::Downward, k.value), k.downward) << k.value;
    }
    EXPECT_EQ(Round(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(Rounding, TestScopeRestoresThePreviousMode) {
    const RoundingMode before = CurrentRoundingMode();
    {
        ScopedRoundingModeForTesting down(RoundingMode::Downward);
        {
            ScopedRoundingModeForTesting nearest(RoundingMode::NearestEven);
            EXPECT_EQ(Round(127.5), 128);
        }
        EXPECT_EQ(Round(127.5), 127);
    }
    EXPECT_EQ(CurrentRoundingMode(), before);
}

// The float32 steps of the colour conversions: a double between two floats goes to the
// nearer one, or to the lower one once the mode is downward.
TEST(Rounding, Float32ConversionAndScopeFollowTheMode) {
    const double between = 0.1;  // not a float
    const float up = 0.1f;       // the nearest float to 0.1 lies above it
    ASSERT_GT(double(up), between);
    const float below = std::nextafter(up, 0.0f);
    {
        ScopedRoundingModeForTesting mode(RoundingMode::NearestEven);
        EXPECT_EQ(AsFloat32(between), up);
        EXPECT_EQ(AsFloat32(-between), -up);
        FloatRoundingScope scope;
        EXPECT_EQ(std::fegetround(), FE_TONEAREST);
    }
    {
        ScopedRoundingModeForTesting mode(RoundingMode::Downward);
        EXPECT_EQ(AsFloat32(between), below);
        EXPECT_EQ(AsFloat32(-between), -up);  // downward is towards minus infinity
        EXPECT_EQ(AsFloat32(0.5), 0.5f);      // exact values stay exact
        const int outer = std::fegetround();
        volatile float one = 1.0f, three = 3.0f;
        const float nearestThird = one / three;  // the processor's own mode: to nearest, above 1/3
        {
            FloatRoundingScope scope;
            EXPECT_EQ(std::fegetround(), FE_DOWNWARD);
            // Arithmetic inside the scope rounds down too: 1/3 lands on the float below.
            EXPECT_EQ(one / three, std::nextafter(nearestThird, 0.0f));
        }
        EXPECT_EQ(std::fegetround(), outer);  // the processor's mode is given back
    }
}

// The real switch is one-way for the whole process, so it runs in a child process.
TEST(RoundingDeathTest, SwitchToDownwardIsPermanent) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            if (CurrentRoundingMode() != RoundingMode::NearestEven) std::exit(1);
            SwitchRoundingToDownward();
            SwitchRoundingToDownward();
            bool ok = CurrentRoundingMode() == RoundingMode::Downward && Round(127.5) == 127 && Round(-2.5) == -3;
            std::exit(ok ? 0 : 2);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace veskel
