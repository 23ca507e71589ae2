#include "platform/graphics/Palette.h"

#include <gtest/gtest.h>

#include <vector>

namespace veskel {
namespace {

TEST(Palette, TwentyStaticColoursInOrder) {
    const auto& p = DefaultPalette();
    const PaletteEntry want[20] = {
        {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
        {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
        {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
        {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
    };
    for (int i = 0; i < 20; ++i) EXPECT_EQ(p[std::size_t(i)], want[i]) << i;
}

TEST(Palette, NearestEntryByEuclideanDistanceTiesToTheLowestIndex) {
    const auto& p = DefaultPalette();
    struct Case {
        std::uint8_t r, g, b;
        int want;
    };
    const Case cases[] = {
        {255, 255, 255, 19}, {0, 0, 0, 0},        {192, 220, 192, 8},  // exact entries
        {250, 250, 250, 19},                                          // white, not cream (255,251,240)
        {254, 250, 242, 10},                                          // cream
        {160, 160, 160, 11},                                          // medium grey beats dark grey
        {64, 0, 0, 0},                                                // tie black / dark red
        {128, 128, 64, 3},                                            // tie dark yellow / dark grey
        {0, 64, 0, 0},                                                // tie black / dark green
        {192, 64, 0, 13},                                             // red: 63^2 + 64^2 < 2 * 64^2
        {100, 150, 230, 9},                                           // sky blue
    };
    for (const Case& k : cases)
        EXPECT_EQ(NearestPaletteIndex(p, k.r, k.g, k.b), k.want) << int(k.r) << "," << int(k.g) << "," << int(k.b);

    // The search works on any palette; a repeated entry is found at its first place.
    std::vector<PaletteEntry> custom = {{10, 10, 10}, {200, 0, 0}, {10, 10, 10}, {200, 0, 0}};
    EXPECT_EQ(NearestPaletteIndex(custom, 190, 5, 5), 1);
    EXPECT_EQ(NearestPaletteIndex(custom, 10, 10, 10), 0);
    EXPECT_EQ(NearestPaletteIndex({}, 1, 2, 3), -1);
}

}  // namespace
}  // namespace veskel
