#include "platform/graphics/Resample.h"

#include <gtest/gtest.h>

#include "tests/graphics/AsciiImage.h"

namespace veskel {
namespace {

using testing::Noise;

// A one-row or one-column grey bitmap from its values.
Bitmap GreyRow(const std::vector<int>& v) {
    Bitmap b(int(v.size()), 1);
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, 0, RGB(v[x], v[x], v[x]));
    return b;
}
std::vector<int> Values(const Bitmap& b) {
    std::vector<int> v;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) v.push_back(GetR(b.Pixel(x, y)));
    return v;
}

TEST(Halftone, KnownPatterns) {
    struct Case {
        std::vector<int> src;
        int width;
        std::vector<int> want;
    };
    const Case cases[] = {
        {{0, 100, 200, 255}, 2, {50, 228}},      // pairs; 227.5 rounds up
        {{0, 90, 180}, 2, {30, 150}},            // 2/3 and 1/3 of a pixel: (2*0 + 90) / 3, (90 + 2*180) / 3
        {{10, 20, 30, 40, 50, 61}, 1, {35}},     // 211 / 6 = 35.17
        {{0, 255}, 4, {0, 0, 255, 255}},         // enlarging by 2 repeats
        {{0, 255}, 3, {0, 128, 255}},            // the middle pixel straddles both halves
    };
    for (const Case& k : cases) {
        EXPECT_EQ(Values(StretchHalftone(GreyRow(k.src), k.width, 1)), k.want) << k.src.size() << " -> " << k.width;
    }
    // 3 -> 5: in fifths of a source pixel the destination pixels cover [0,3) [3,6) [6,9) [9,12) [12,15)
    // and the source pixels [0,5) [5,10) [10,15): pixel 1 is (2 * 0 + 1 * 30) / 3, pixel 3 (1 * 30 + 2 * 60) / 3.
    EXPECT_EQ(Values(StretchHalftone(GreyRow({0, 30, 60}), 5, 1)), (std::vector<int>{0, 10, 30, 50, 60}));
}

TEST(Halftone, TwoByTwoCheckerToOnePixelIsTheAverage) {
    Bitmap checker(2, 2);
    checker.SetPixel(0, 0, kBlack);
    checker.SetPixel(1, 1, kBlack);
    checker.SetPixel(1, 0, kWhite);
    checker.SetPixel(0, 1, kWhite);
    Bitmap one = StretchHalftone(checker, 1, 1);
    ASSERT_EQ(one.GetSize(), (Size{1, 1}));
    EXPECT_EQ(one.Pixel(0, 0), RGB(128, 128, 128));
    // Channels are averaged independently.
    Bitmap colours(2, 1);
    colours.SetPixel(0, 0, RGB(255, 0, 10));
    colours.SetPixel(1, 0, RGB(0, 100, 20));
    EXPECT_EQ(StretchHalftone(colours, 1, 1).Pixel(0, 0), RGB(128, 50, 15));
}

TEST(Halftone, IdentitySizeIsAnExactCopy) {
    Bitmap src = Noise(37, 23);
    EXPECT_EQ(StretchHalftone(src, 37, 23), src);
    std::vector<std::uint8_t> grey(src.Data(), src.Data() + 37 * 23);
    EXPECT_EQ(StretchHalftoneGrey(grey, 37, 23, 37, 23), grey);
}

TEST(Halftone, BothAxesAreWeighted) {
    // 2 x 2 -> 1 x 1 and 4 x 2 -> 2 x 1 and 2 x 4 -> 1 x 2 see every source pixel exactly once.
    Bitmap src(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) src.SetPixel(x, y, RGB(x * 10 + y * 40, 0, 0));
    Bitmap half = StretchHalftone(src, 2, 2);
    EXPECT_EQ(Values(half), (std::vector<int>{25, 45, 105, 125}));  // mean of each 2 x 2 block
    Bitmap column = StretchHalftone(src, 1, 4);
    EXPECT_EQ(Values(column), (std::vector<int>{15, 55, 95, 135}));
}

TEST(Halftone, ShrinkingAConstantImageKeepsItAndLargeRatiosWork) {
    Bitmap src(1600, 1200);
    src.Fill(RGB(12, 200, 77));
    Bitmap small = StretchHalftone(src, 175, 131);
    ASSERT_EQ(small.GetSize(), (Size{175, 131}));
    for (int y = 0; y < 131; ++y)
        for (int x = 0; x < 175; ++x) ASSERT_EQ(small.Pixel(x, y), RGB(12, 200, 77));
    // Enlarging a single pixel to a large size gives that pixel everywhere.
    Bitmap dot(1, 1);
    dot.SetPixel(0, 0, RGB(1, 2, 3));
    Bitmap big = StretchHalftone(dot, 300, 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 300; ++x) ASSERT_EQ(big.Pixel(x, y), RGB(1, 2, 3));
}

TEST(Halftone, GreyPlaneMatchesTheColourPath) {
    Bitmap src = Noise(29, 17, 4);
    std::vector<std::uint8_t> grey(29 * 17);
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 29; ++x) grey[std::size_t(y * 29 + x)] = GetR(src.Pixel(x, y));
    for (Size to : {Size{7, 5}, Size{29, 3}, Size{50, 40}, Size{1, 1}, Size{13, 17}}) {
        Bitmap colour = StretchHalftone(src, to.width, to.height);
        std::vector<std::uint8_t> g = StretchHalftoneGrey(grey, 29, 17, to.width, to.height);
        ASSERT_EQ(g.size(), std::size_t(to.width * to.height));
        for (int y = 0; y < to.height; ++y)
            for (int x = 0; x < to.width; ++x)
                ASSERT_EQ(g[std::size_t(y * to.width + x)], GetR(colour.Pixel(x, y))) << to.width << "x" << to.height;
    }
}

TEST(Halftone, WindowIsThePartOfTheWholeResult) {
    Bitmap src = Noise(40, 30, 6);
    Bitmap whole = StretchHalftone(src, 17, 55);
    Bitmap part = StretchHalftoneWindow(src, src.Bounds(), 17, 55, {3, 20, 30, 41});  // clipped to 17 wide
    ASSERT_EQ(part.GetSize(), (Size{14, 21}));
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 14; ++x) ASSERT_EQ(part.Pixel(x, y), whole.Pixel(x + 3, y + 20));
    // A source rectangle resamples just that part of the source.
    Bitmap sub(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) sub.SetPixel(x, y, src.Pixel(x + 5, y + 8));
    EXPECT_EQ(StretchHalftoneWindow(src, {5, 8, 15, 18}, 4, 6, {0, 0, 4, 6}), StretchHalftone(sub, 4, 6));
}

TEST(Halftone, BadSizesGiveEmptyResults) {
    Bitmap src = Noise(4, 4);
    EXPECT_TRUE(StretchHalftone(src, 0, 3).IsEmpty());
    EXPECT_TRUE(StretchHalftone(src, 3, -1).IsEmpty());
    EXPECT_TRUE(StretchHalftone(Bitmap(), 3, 3).IsEmpty());
    EXPECT_TRUE(StretchHalftoneWindow(src, {2, 2, 6, 4}, 3, 3, {0, 0, 3, 3}).IsEmpty());  // reaches past the source
    EXPECT_TRUE(StretchHalftoneWindow(src, src.Bounds(), 3, 3, {5, 5, 9, 9}).IsEmpty());
    std::vector<std::uint8_t> grey(15);
    EXPECT_TRUE(StretchHalftoneGrey(grey, 4, 4, 2, 2).empty());  // 15 bytes are not 4 x 4
    EXPECT_TRUE(StretchHalftoneGrey(grey, 5, 3, 0, 2).empty());
    EXPECT_EQ(StretchHalftoneGrey(grey, 5, 3, 2, 2).size(), 4u);
}

}  // namespace
}  // namespace veskel
