// GIF colour reduction: palette layout, octree colour choice and order, error diffusion.
#include "project/GifReduction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <tuple>
#include <vector>

namespace veskel {
namespace {

using Rgb = std::tuple<int, int, int>;

PaletteEntry Entry(int r, int g, int b) { return PaletteEntry{std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)}; }

// The octree's depth-first order is the order of the colours' bits interleaved from the top:
// r7 g7 b7 r6 g6 b6 ... r0 g0 b0.
std::uint32_t TreeKey(const PaletteEntry& e) {
    std::uint32_t key = 0;
    for (int bit = 7; bit >= 0; --bit)
        key = (key << 3) | (((e.r >> bit) & 1u) << 2) | (((e.g >> bit) & 1u) << 1) | ((e.b >> bit) & 1u);
    return key;
}

Bitmap RandomImage(int w, int h, unsigned seed, int lo = 0, int hi = 255) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> d(lo, hi);
    Bitmap bmp(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int r = d(rng), g = d(rng), b = d(rng);
            bmp.SetPixel(x, y, RGB(std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)));
        }
    return bmp;
}

PaletteEntry EntryOf(const IndexedImage& img, int x, int y) {
    return img.palette[img.pixels[std::size_t(y) * std::size_t(img.width) + std::size_t(x)]];
}

PaletteEntry PixelEntry(const Bitmap& bmp, int x, int y) {
    Color c = bmp.Pixel(x, y);
    return Entry(GetR(c), GetG(c), GetB(c));
}

void ExpectDefaultEntries(const std::array<PaletteEntry, 256>& palette) {
    const auto& defaults = DefaultPalette();
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(palette[std::size_t(i)], defaults[std::size_t(i)]) << "entry " << i;
        EXPECT_EQ(palette[std::size_t(246 + i)], defaults[std::size_t(10 + i)]) << "entry " << 246 + i;
    }
}

TEST(GifPalette, SingleColourGivesOneOctreeEntryAndBlackAfterIt) {
    Bitmap bmp(350, 20);
    bmp.Fill(RGB(12, 200, 77));
    IndexedImage img = ReduceToGifPalette(bmp);
    ASSERT_EQ(img.width, 350);
    ASSERT_EQ(img.height, 20);
    ExpectDefaultEntries(img.palette);
    EXPECT_EQ(img.palette[10], Entry(12, 200, 77));
    for (int i = 11; i <= 245; ++i) EXPECT_EQ(img.palette[std::size_t(i)], Entry(0, 0, 0)) << "entry " << i;
    for (std::uint8_t index : img.pixels) EXPECT_EQ(index, 10);
}

TEST(GifPalette, UpTo236ColoursAreKeptExactlyInTreeOrderAndMapWithoutError) {
    // 236 distinct colours, each used in several places, in a shuffled layout.
    std::mt19937 rng(7);
    std::set<std::uint32_t> seen;
    std::vector<PaletteEntry> colours;
    while (colours.size() < 236) {
        PaletteEntry e = Entry(int(rng() & 255), int(rng() & 255), int(rng() & 255));
        if (seen.insert(TreeKey(e)).second) colours.push_back(e);
    }
    Bitmap bmp(350, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 350; ++x) {
            const PaletteEntry& e = colours[(std::size_t(x) * 7 + std::size_t(y) * 13) % colours.size()];
            bmp.SetPixel(x, y, RGB(e.r, e.g, e.b));
        }
    IndexedImage img = ReduceToGifPalette(bmp);
    ExpectDefaultEntries(img.palette);

    std::vector<PaletteEntry> expected = colours;
    std::sort(expected.begin(), expected.end(),
              [](const PaletteEntry& a, const PaletteEntry& b) { return TreeKey(a) < TreeKey(b); });
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(img.palette[10 + i], expected[i]) << "entry " << 10 + i;

    // No error is ever made, so every pixel lands on an entry of exactly its own colour.
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 350; ++x) ASSERT_EQ(EntryOf(img, x, y), PixelEntry(bmp, x, y)) << x << "," << y;
}

TEST(GifPalette, DefaultColoursAreAlwaysThereForTextAndBorder) {
    // A busy image with far more than 236 colours plus pure black and white (text, outline).
    Bitmap bmp = RandomImage(350, 20, 3);
    for (int x = 0; x < 350; ++x) {
        bmp.SetPixel(x, 0, kBlack);
        bmp.SetPixel(x, 19, kBlack);
    }
    IndexedImage img = ReduceToGifPalette(bmp);
    ExpectDefaultEntries(img.palette);
    // The top row is the first one mapped, left to right; its first pixel carries no error.
    EXPECT_EQ(EntryOf(img, 0, 0), Entry(0, 0, 0));
}

TEST(GifPalette, ReductionMergesTheNewestNodeOfTheDeepestLevel) {
    // 233 colours in nodes of their own, then A, B, A' (A with blue + 1), B' (B with blue + 1).
    // The 237th leaf (B') makes the tree reduce once: the newest level-7 node is B's, so B and
    // B' merge into their average while A and A' stay apart.
    Bitmap bmp(237, 1);
    int x = 0;
    for (int i = 0; i < 233; ++i)
        bmp.SetPixel(x++, 0, RGB(std::uint8_t((i & 127) * 2), std::uint8_t((i >> 7) * 2 + 40), 0));
    bmp.SetPixel(x++, 0, RGB(200, 200, 200));  // A
    bmp.SetPixel(x++, 0, RGB(220, 220, 220));  // B
    bmp.SetPixel(x++, 0, RGB(200, 200, 201));  // A'
    bmp.SetPixel(x++, 0, RGB(220, 220, 221));  // B'
    std::vector<PaletteEntry> colours = QuantizeOctree(bmp);
    ASSERT_EQ(colours.size(), 236u);
    auto has = [&](PaletteEntry e) { return std::find(colours.begin(), colours.end(), e) != colours.end(); };
    EXPECT_TRUE(has(Entry(200, 200, 200)));
    EXPECT_TRUE(has(Entry(200, 200, 201)));
    EXPECT_TRUE(has(Entry(220, 220, 220)));  // (220 + 221) / 2, remainder dropped
    EXPECT_FALSE(has(Entry(220, 220, 221)));
    EXPECT_TRUE(std::is_sorted(colours.begin(), colours.end(),
                               [](const PaletteEntry& a, const PaletteEntry& b) { return TreeKey(a) < TreeKey(b); }));
}

TEST(GifPalette, ManyColoursNeverGiveMoreThan236) {
    for (unsigned seed : {1u, 2u, 3u}) {
        std::vector<PaletteEntry> colours = QuantizeOctree(RandomImage(350, 20, seed));
        EXPECT_LE(colours.size(), 236u);
        EXPECT_GE(colours.size(), 200u);  // a full-range image uses nearly all of them
    }
}

TEST(GifDiffusion, CorrectionTruncatesTowardsZero) {
    EXPECT_EQ(DiffusionCorrection(-20), 0);  // -12 / 16
    EXPECT_EQ(DiffusionCorrection(24), 2);   // 32 / 16
    EXPECT_EQ(DiffusionCorrection(-25), -1);  // -17 / 16, not -2
    EXPECT_EQ(DiffusionCorrection(7), 0);
    EXPECT_EQ(DiffusionCorrection(8), 1);
}

TEST(GifDiffusion, CarriedErrorIsClampedBeforeTheSearch) {
    // A near-white image with many colours: diffused errors push past 255 often. Without the
    // clamp a channel would wrap to a dark value; with it every pixel stays light.
    Bitmap bmp = RandomImage(350, 20, 11, 236, 255);
    Bitmap dark = RandomImage(350, 20, 12, 0, 19);
    for (const Bitmap* src : {&bmp, &dark}) {
        IndexedImage img = ReduceToGifPalette(*src);
        const bool light = src == &bmp;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 350; ++x) {
                PaletteEntry e = EntryOf(img, x, y);
                if (light)
                    ASSERT_TRUE(e.r >= 200 && e.g >= 200 && e.b >= 200) << x << "," << y;
                else
                    ASSERT_TRUE(e.r <= 60 && e.g <= 60 && e.b <= 60) << x << "," << y;
            }
    }
}

TEST(GifDiffusion, SecondRowRunsRightToLeft) {
    // The first pixel mapped in a row carries no error from its left and none from above on the
    // first two rows: row 0 starts at x = 0, row 1 at its last column. Elsewhere errors diffuse.
    Bitmap bmp = RandomImage(350, 20, 5);
    IndexedImage img = ReduceToGifPalette(bmp);
    auto nearest = [&](int x, int y) {
        Color c = bmp.Pixel(x, y);
        return img.palette[std::size_t(NearestPaletteIndex(img.palette, GetR(c), GetG(c), GetB(c)))];
    };
    EXPECT_EQ(EntryOf(img, 0, 0), nearest(0, 0));
    EXPECT_EQ(EntryOf(img, 349, 1), nearest(349, 1));
    int diffused = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 350; ++x) diffused += EntryOf(img, x, y) != nearest(x, y);
    EXPECT_GT(diffused, 700);  // the image really carries errors, so the two checks above mean something
}

TEST(GifDiffusion, OneColumnImageCarriesThreeSixteenthsFromTwoRowsUp) {
    // In a one-pixel-wide image the error rows have three entries. A left-to-right row reads and
    // writes entry 0, a right-to-left row entry 2 (p = width + 1), and the end-of-row step writes
    // entry 1, which neither reads. So each row's only correction is (3 x e + 8) / 16 with e the
    // error of the row two above, and the first two rows get none. The outputs must follow that.
    const int h = 600;  // far more than 236 colours, so the octree merges and errors appear
    Bitmap bmp = RandomImage(1, h, 21);
    IndexedImage img = ReduceToGifPalette(bmp);
    std::vector<std::array<int, 3>> errors(std::size_t(h), {0, 0, 0});
    int corrected = 0;
    for (int y = 0; y < h; ++y) {
        const Color c = bmp.Pixel(0, y);
        const int input[3] = {GetR(c), GetG(c), GetB(c)};
        int value[3];
        for (int ch = 0; ch < 3; ++ch) {
            const int carried = y >= 2 ? 3 * errors[std::size_t(y - 2)][std::size_t(ch)] : 0;
            const int correction = DiffusionCorrection(carried);
            corrected += correction != 0;
            value[ch] = std::clamp(input[ch] + correction, 0, 255);
        }
        const int index = NearestPaletteIndex(img.palette, std::uint8_t(value[0]), std::uint8_t(value[1]),
                                              std::uint8_t(value[2]));
        ASSERT_EQ(img.pixels[std::size_t(y)], index) << "row " << y;
        const PaletteEntry& e = img.palette[std::size_t(index)];
        errors[std::size_t(y)] = {value[0] - e.r, value[1] - e.g, value[2] - e.b};
    }
    EXPECT_GT(corrected, 50);  // errors really were carried
}

TEST(GifDiffusion, IndicesAndSizeMatchTheImage) {
    Bitmap bmp = RandomImage(17, 3, 9);
    IndexedImage img = ReduceToGifPalette(bmp);
    EXPECT_EQ(img.width, 17);
    EXPECT_EQ(img.height, 3);
    EXPECT_EQ(img.pixels.size(), 51u);
    IndexedImage empty = ReduceToGifPalette(Bitmap());
    EXPECT_TRUE(empty.pixels.empty());
    ExpectDefaultEntries(empty.palette);
}

}  // namespace
}  // namespace veskel
