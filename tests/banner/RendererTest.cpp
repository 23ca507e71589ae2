// The renderer's steps with their exact integer and rounding rules, in both rounding modes, and
// the order in which they paint over each other.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <thread>
#include <vector>

#include "banner/BannerDocument.h"
#include "banner/Patterns.h"
#include "banner/Renderer.h"
#include "platform/Resources.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Rounding.h"

namespace veskel {
namespace {

constexpr RoundingMode kModes[] = {RoundingMode::NearestEven, RoundingMode::Downward};

const char* ModeName(RoundingMode m) { return m == RoundingMode::NearestEven ? "nearest" : "downward"; }

// Settings that draw only what a test asks for: no glow, no border, no text, no overlay.
BannerSettings Bare() {
    BannerSettings s;
    s.SetColor1(RGB(241, 77, 33));
    s.SetColor2(RGB(89, 194, 13));
    s.SetHorizontal(true);
    s.SetPattern(2);
    s.SetPatternStrength(0);
    s.SetMirrorPattern(0);
    s.SetMirrorStrength(-300);  // every mirror alpha clamps to 0: the layer leaves no trace
    return s;
}

Bitmap Compose(const BannerSettings& s, const Picture& overlay = {}) {
    Bitmap out;
    ComposeBanner(out, s, overlay);
    return out;
}

int Composite(int s, int a, int d) { return (s * a + 255 + (255 - a) * d) / 256; }

// The banner rounds in the mode it is given, whatever the process-wide mode is.
TEST(Compose, RoundsInTheModeGivenWhateverTheProcessMode) {
    BannerSettings s = Bare();
    s.SetPatternStrength(40);
    const Bitmap nearest = Compose(s);
    ScopedRoundingModeForTesting scope(RoundingMode::Downward);
    Bitmap downward;
    ComposeBanner(downward, s, {}, {}, RoundingMode::Downward);
    EXPECT_NE(downward, nearest);
    EXPECT_EQ(Compose(s), nearest);
}

TEST(Gradient, EndsAndMiddleFollowTheRoundingMode) {
    for (RoundingMode mode : kModes) {
        ScopedRoundingModeForTesting scope(mode);
        Bitmap img(kBannerWidth, kBannerHeight);
        GradientFill(img, kBlack, kWhite, true);
        EXPECT_EQ(img.Pixel(0, 7), kBlack) << ModeName(mode);
        EXPECT_EQ(GetR(img.Pixel(175, 3)), mode == RoundingMode::NearestEven ? 128 : 127) << ModeName(mode);
        // The last column is (c1 + 349 x c2) / 350 = 254.27: Color2 itself is never reached.
        EXPECT_EQ(GetG(img.Pixel(349, 0)), 254) << ModeName(mode);
        // Every row carries the same values.
        for (int y = 1; y < kBannerHeight; ++y) ASSERT_EQ(img.Pixel(100, y), img.Pixel(100, 0));

        // Equal end colours give a flat fill in both modes: no value slips to the one below.
        GradientFill(img, RGB(200, 3, 77), RGB(200, 3, 77), true);
        for (int x = 0; x < kBannerWidth; ++x) ASSERT_EQ(img.Pixel(x, 0), RGB(200, 3, 77)) << ModeName(mode) << x;
    }
}

TEST(Gradient, VerticalRunsTopToBottomOverTwentyRows) {
    Bitmap img(kBannerWidth, kBannerHeight);
    GradientFill(img, RGB(0, 0, 0), RGB(200, 100, 20), false);
    EXPECT_EQ(img.Pixel(349, 0), kBlack);
    // Row 10 of 20: exactly half of each channel.
    EXPECT_EQ(img.Pixel(0, 10), RGB(100, 50, 10));
    EXPECT_EQ(img.Pixel(0, 19), RGB(190, 95, 19));  // 19/20 of each
    for (int x = 1; x < kBannerWidth; ++x) ASSERT_EQ(img.Pixel(x, 13), img.Pixel(0, 13));
}

TEST(PatternBlend, WorkedExampleInBothModes) {
    for (RoundingMode mode : kModes) {
        ScopedRoundingModeForTesting scope(mode);
        Bitmap img(kBannerWidth, kBannerHeight);
        img.Fill(RGB(200, 200, 200));
        PatternBlend(img, 2, 95);  // L = 5
        // Tile 2 is black on its diagonal: (0,0), (1,1), (2,2), then repeats.
        EXPECT_EQ(GetR(img.Pixel(0, 0)), mode == RoundingMode::NearestEven ? 14 : 13) << ModeName(mode);
        EXPECT_EQ(GetB(img.Pixel(4, 4)), GetR(img.Pixel(0, 0)));
        EXPECT_EQ(GetG(img.Pixel(1, 0)), 199) << ModeName(mode);
    }
}

TEST(PatternBlend, StrengthZeroLeavesEveryValueUnchanged) {
    for (RoundingMode mode : kModes) {
        ScopedRoundingModeForTesting scope(mode);
        for (int pattern = 0; pattern < kPatternCount; ++pattern) {
            // All 256 values appear in each channel, under black and white tile pixels alike.
            Bitmap img(kBannerWidth, kBannerHeight);
            for (int y = 0; y < kBannerHeight; ++y) {
                for (int x = 0; x < kBannerWidth; ++x) {
                    const int v = (x + 17 * y) & 255;
                    img.SetPixel(x, y, RGB(std::uint8_t(v), std::uint8_t(255 - v), std::uint8_t(v ^ 0x55)));
                }
            }
            const Bitmap before = img;
            PatternBlend(img, pattern, 0);
            EXPECT_EQ(img, before) << ModeName(mode) << " pattern " << pattern;
        }
    }
}

TEST(PatternBlend, HostileStrengthsStayInByteRange) {
    for (std::int32_t strength : {INT_MIN, -1000, 100, 156, 255, 1000, INT_MAX}) {
        Bitmap img(kBannerWidth, kBannerHeight);
        img.Fill(RGB(255, 128, 1));
        PatternBlend(img, 5, strength);  // no crash, no wrapped values: clamped to 0..255
        SUCCEED();
    }
}

// The blend in integer arithmetic matches rounding each real quotient of its formula (taken as one
// exact numerator over its denominator), for every background value and every strength a stored
// file can hold, in both modes.
TEST(PatternBlend, MatchesTheRealFormulaForEveryValue) {
    for (RoundingMode mode : kModes) {
        ScopedRoundingModeForTesting scope(mode);
        for (std::int32_t strength : {0, 1, 50, 95, 99, 100, 101, 200, 255, -1, INT_MIN, INT_MAX}) {
            const int l = int(std::uint8_t(std::uint32_t(100) - std::uint32_t(strength)));
            // Tile 2's first row is black, then white, then white: every value under both.
            Bitmap img(3 * 256, 1);
            for (int x = 0; x < img.Width(); ++x) img.SetPixel(x, 0, RGB(x / 3, x / 3, x / 3));
            PatternBlend(img, 2, strength);
            for (int x = 0; x < img.Width(); ++x) {
                const int bg = x / 3, tile = x % 3 == 0 ? 0 : 255;
                const int m = tile * bg / 256;
                const int u = RoundIn(mode, double(m * (100 - l) + bg * l) / 100);
                const int want = std::clamp(RoundIn(mode, double(u * (255 - l) + bg * l) / 255), 0, 255);
                ASSERT_EQ(GetR(img.Pixel(x, 0)), want) << ModeName(mode) << " strength " << strength << " value " << bg
                                                       << " tile " << tile;
            }
        }
    }
}

// The renderer keeps per-thread results of earlier calls; whatever came before, a banner is the
// one a thread that never rendered draws.
TEST(Compose, EarlierDesignsNeverShowInALaterBanner) {
    std::vector<BannerSettings> designs;
    BannerSettings s;
    {
        BannerDocument doc;
        doc.NewDocument();
        s = doc.Settings();
    }
    auto add = [&](auto change) {
        change(s);
        designs.push_back(s);
    };
    designs.push_back(s);
    add([](BannerSettings& d) { d.SetColor1(RGB(1, 2, 3)); });
    add([](BannerSettings& d) { d.SetColor2(RGB(250, 128, 9)); });
    add([](BannerSettings& d) { d.SetHorizontal(!d.Horizontal()); });
    add([](BannerSettings& d) { d.SetPattern(5); });
    add([](BannerSettings& d) { d.SetPatternStrength(40); });
    add([](BannerSettings& d) { d.SetMirrorPattern(3); });
    add([](BannerSettings& d) { d.SetMirrorStrength(99); });
    add([](BannerSettings& d) { d.SetMirrorStrength(400); });  // clamps like 305
    add([](BannerSettings& d) { d.SetGlow(!d.Glow()); });
    add([](BannerSettings& d) { d.SetText("Ab"); });
    add([](BannerSettings& d) { d.SetBorder(!d.Border()); });
    for (RoundingMode mode : kModes) {
        ScopedRoundingModeForTesting scope(mode);
        for (std::size_t i = 0; i < designs.size(); ++i) {
            const Bitmap warm = Compose(designs[i]);
            Bitmap cold;
            std::thread([&] { cold = Compose(designs[i]); }).join();
            ASSERT_EQ(warm, cold) << ModeName(mode) << " design " << i;
        }
    }
}

TEST(Patterns, TilesAreExactAndRepeatFromTheTopLeft) {
    const char* rows[kPatternCount] = {
        "#.../.#../..#./...#", "...#/..#./.#../#...", "#../.#./..#", "..#/.#./#..", "#.../.#.#/..#./.#.#",
        "###.....##/##.......#/#....#..../....###.../...#####../....###.../#....#..../##.......#"};
    for (int i = 0; i < kPatternCount; ++i) {
        std::string art;
        const Bitmap& tile = PatternTile(i);
        for (int y = 0; y < tile.Height(); ++y) {
            if (y) art += '/';
            for (int x = 0; x < tile.Width(); ++x) {
                const Color c = tile.Pixel(x, y);
                ASSERT_TRUE(c == kBlack || c == kWhite);
                art += c == kBlack ? '#' : '.';
            }
        }
        EXPECT_EQ(art, rows[i]) << kPatternNames[i];
    }
    EXPECT_THROW(PatternTile(6), std::out_of_range);
    EXPECT_THROW(PatternTile(-1), std::out_of_range);

    // Tile 5 repeats every 10 columns and every 8 rows.
    for (RoundingMode mode : kModes) {
        ScopedRoundingModeForTesting scope(mode);
        Bitmap img(kBannerWidth, kBannerHeight);
        img.Fill(RGB(200, 200, 200));
        PatternBlend(img, 5, 95);
        for (int y = 0; y < kBannerHeight; ++y) {
            for (int x = 0; x < kBannerWidth; ++x) {
                const bool black = PatternTile(5).Pixel(x % 10, y % 8) == kBlack;
                ASSERT_EQ(GetR(img.Pixel(x, y)), black ? GetR(img.Pixel(0, 0)) : 199) << x << "," << y;
            }
        }
    }
}

TEST(Layers, MirrorLayersFollowTheirColumnHeights) {
    struct LayerShape {
        int inside;
        bool bottom;
        double heights[15];
    };
    const LayerShape shapes[5] = {
        {82, true, {6.2, 8.2, 9.8, 10.4, 10.4, 10.0, 9.8, 9.4, 8.8, 7.8, 6.6, 5.8, 5.0, 6.2, 7.4}},
        {82, false, {7.2, 9.2, 10.8, 11.4, 11.4, 11.0, 10.8, 10.4, 9.8, 8.8, 7.6, 6.8, 6.0, 7.2, 8.4}},
        {99, true, {17.8, 15.0, 12.7, 10.8, 9.4, 8.6, 8.2, 8.4, 8.8, 8.6, 7.8, 6.5, 4.6, 2.2, 0.0}},
        {99, true, {0.0, 2.5, 4.8, 6.6, 8.0, 8.6, 8.8, 8.4, 8.2, 8.6, 9.6, 11.0, 12.8, 15.2, 13.4}},
        {74, true, {0.0, 3.5, 6.6, 8.7, 10.2, 11.0, 11.2, 11.0, 11.2, 10.8, 10.0, 8.4, 6.2, 3.4, 0.1}},
    };
    const int xs[15] = {0, 25, 50, 75, 100, 125, 150, 175, 200, 225, 250, 275, 300, 325, 349};
    for (int i = 0; i < 5; ++i) {
        const Picture& layer = MirrorLayer(i);
        ASSERT_EQ(layer.Width(), kLayerWidth);
        ASSERT_EQ(layer.Height(), kLayerHeight);
        ASSERT_TRUE(layer.HasAlpha());
        const LayerShape& shape = shapes[i];
        for (int x = 0; x < kLayerWidth; ++x) {
            // White everywhere; from the anchor row: full rows, at most one edge pixel, then clear.
            int phase = 0;  // 0 inside, 1 after the edge
            for (int k = 0; k < kLayerHeight; ++k) {
                const int y = shape.bottom ? kLayerHeight - 1 - k : k;
                ASSERT_EQ(layer.color.Pixel(x, y), kWhite);
                const int a = layer.AlphaRow(y)[x];
                if (phase == 0 && a != shape.inside) {
                    phase = 1;
                } else if (phase == 1) {
                    ASSERT_EQ(a, 0) << "layer " << i << " column " << x;
                }
                ASSERT_LE(a, shape.inside);
            }
        }
        for (int j = 0; j < 15; ++j) {
            int sum = 0;
            for (int y = 0; y < kLayerHeight; ++y) sum += layer.AlphaRow(y)[xs[j]];
            EXPECT_NEAR(double(sum) / shape.inside, shape.heights[j], 0.5 / shape.inside + 1e-9)
                << kMirrorLayerNames[i] << " at x = " << xs[j];
        }
    }
    // Layer 5 is layer 4 upside down, pixel for pixel.
    const Picture& l4 = MirrorLayer(4);
    const Picture& l5 = MirrorLayer(5);
    for (int y = 0; y < kLayerHeight; ++y) {
        for (int x = 0; x < kLayerWidth; ++x) {
            ASSERT_EQ(l5.AlphaRow(y)[x], l4.AlphaRow(kLayerHeight - 1 - y)[x]);
            ASSERT_EQ(l5.color.Pixel(x, y), l4.color.Pixel(x, kLayerHeight - 1 - y));
        }
    }
    EXPECT_THROW(MirrorLayer(6), std::out_of_range);
}

// The layers are embedded twice, as reviewed PNGs and decoded at build time; the renderer uses the
// decoded copy, which must be the PNG's pixels exactly.
TEST(Layers, DecodedCopiesEqualTheirPngs) {
    for (int i = 0; i < kMirrorLayerCount; ++i) {
        const Picture png = DecodePng(Resource(MirrorLayerResource(i)));
        const Picture& layer = MirrorLayer(i);
        EXPECT_EQ(layer.color.Width(), png.color.Width());
        EXPECT_EQ(layer.color.Height(), png.color.Height());
        EXPECT_TRUE(std::equal(png.color.Data(), png.color.Data() + png.color.ByteSize(), layer.color.Data()))
            << MirrorLayerResource(i);
        EXPECT_EQ(layer.alpha, png.alpha) << MirrorLayerResource(i);
        EXPECT_EQ(layer.hasTransparency, png.hasTransparency);
    }
}

TEST(Layers, GlowFollowsItsTables) {
    const Picture& g = GlowLayer();
    ASSERT_EQ(g.Width(), kLayerWidth);
    ASSERT_EQ(g.Height(), kLayerHeight);
    auto alpha = [&](int x, int y) { return int(g.AlphaRow(y)[x]); };
    // Straight edges by distance, and the interior.
    const int edge[6] = {160, 108, 66, 34, 13, 3};
    for (int d = 0; d < 6; ++d) {
        EXPECT_EQ(alpha(175, d), edge[d]) << d;
        EXPECT_EQ(alpha(175, 18 - d), edge[d]) << d;
        EXPECT_EQ(alpha(d, 9), edge[d]) << d;
        EXPECT_EQ(alpha(349 - d, 9), edge[d]) << d;
    }
    EXPECT_EQ(alpha(100, 9), 3);
    // The corner block, mirrored into all four corners.
    const int corner[5][5] = {{192, 192, 192, 178, 166}, {192, 183, 152, 130, 115}, {192, 152, 118, 92, 74},
                              {178, 130, 92, 63, 44},    {166, 115, 74, 44, 24}};
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 5; ++c) {
            EXPECT_EQ(alpha(c, r), corner[r][c]);
            EXPECT_EQ(alpha(349 - c, r), corner[r][c]);
            EXPECT_EQ(alpha(c, 18 - r), corner[r][c]);
            EXPECT_EQ(alpha(349 - c, 18 - r), corner[r][c]);
        }
    }
    EXPECT_EQ(alpha(5, 0), 160);  // just past the corner block, back on the straight edge
    // Grey follows alpha.
    const std::pair<int, int> grey[] = {{192, 255}, {130, 255}, {118, 254}, {63, 254}, {44, 252},
                                        {34, 251},  {24, 249},  {13, 244},  {3, 209}};
    for (int y = 0; y < kLayerHeight; ++y) {
        for (int x = 0; x < kLayerWidth; ++x) {
            const Color c = g.color.Pixel(x, y);
            ASSERT_TRUE(GetR(c) == GetG(c) && GetG(c) == GetB(c));
            for (const auto& [a, level] : grey) {
                if (alpha(x, y) == a) {
                    ASSERT_EQ(GetR(c), level) << "alpha " << a;
                }
            }
        }
    }
}

TEST(MirrorStrength, OffsetsTheLayerAlphaWithClamping) {
    // Drawn onto black, a white pixel of alpha a comes out as (255a + 255) div 256.
    const Picture& layer = MirrorLayer(0);
    const int x = 100, y = 18;  // inside the wave bottom layer
    ASSERT_EQ(layer.AlphaRow(y)[x], 82);
    const std::pair<int, int> cases[] = {{0, 32}, {50, 82}, {90, 122}, {99, 131}, {-100, 0}, {1000, 255}};
    for (const auto& [strength, a] : cases) {
        Bitmap img(kBannerWidth, kBannerHeight);
        DrawMirrorLayer(img, 0, strength);
        EXPECT_EQ(GetR(img.Pixel(x, y)), Composite(255, a, 0)) << "strength " << strength;
    }
}

TEST(Compose, BottomRowHasNeitherGlowNorMirror) {
    BannerSettings s = Bare();
    s.SetPatternStrength(95);
    const Bitmap plain = Compose(s);
    s.SetGlow(true);
    s.SetMirrorPattern(2);  // the tallest wedge reaches the layer's last row
    s.SetMirrorStrength(99);
    const Bitmap decorated = Compose(s);
    for (int x = 0; x < kBannerWidth; ++x) ASSERT_EQ(decorated.Pixel(x, 19), plain.Pixel(x, 19)) << x;
    EXPECT_NE(decorated.Pixel(0, 18), plain.Pixel(0, 18));
}

TEST(Compose, BorderCoversEverythingOnTheOutermostPixels) {
    BannerSettings s = Bare();
    s.SetGlow(true);
    s.SetBorder(true);
    s.SetBorderColor(RGB(1, 2, 3));
    s.SetOverlay(true);
    Picture overlay(Bitmap(400, 40));
    overlay.color.Fill(kWhite);
    overlay.EnsureAlpha(255);
    s.SetOverlayX(-10);
    s.SetOverlayY(-10);
    const Bitmap img = Compose(s, overlay);
    for (int x = 0; x < kBannerWidth; ++x) {
        ASSERT_EQ(img.Pixel(x, 0), RGB(1, 2, 3));
        ASSERT_EQ(img.Pixel(x, 19), RGB(1, 2, 3));
    }
    for (int y = 0; y < kBannerHeight; ++y) {
        ASSERT_EQ(img.Pixel(0, y), RGB(1, 2, 3));
        ASSERT_EQ(img.Pixel(349, y), RGB(1, 2, 3));
    }
    EXPECT_NE(img.Pixel(1, 1), RGB(1, 2, 3));
}

TEST(Compose, OverlayLiesUnderTheGlowAndIsClipped) {
    BannerSettings s = Bare();
    s.SetOverlay(true);
    Picture red(Bitmap(30, 30));
    red.color.Fill(RGB(255, 0, 0));
    red.EnsureAlpha(255);

    // Reaching past the left, top and right edges: only the covered pixels change.
    for (std::int32_t x : {-20, 330}) {
        s.SetOverlayX(x);
        s.SetOverlayY(-25);
        const Bitmap img = Compose(s, red);
        const Bitmap bg = Compose(Bare());
        for (int yy = 0; yy < kBannerHeight; ++yy) {
            for (int xx = 0; xx < kBannerWidth; ++xx) {
                const bool covered = xx >= x && xx < x + 30 && yy < 5;
                ASSERT_EQ(img.Pixel(xx, yy), covered ? RGB(255, 0, 0) : bg.Pixel(xx, yy)) << xx << "," << yy;
            }
        }
    }
    // Off the banner, even at the ends of the integer range: nothing is drawn.
    const Bitmap bg = Compose(Bare());
    for (auto [x, y] : {std::pair{INT_MIN, 0}, {INT_MAX, 0}, {0, INT_MAX}, {0, INT_MIN}, {350, 0}, {-30, 0},
                        {INT_MAX - 5, INT_MAX - 5}}) {
        s.SetOverlayX(x);
        s.SetOverlayY(y);
        EXPECT_EQ(Compose(s, red), bg) << x << "," << y;
    }
    // Overlay off draws nothing; an empty picture draws nothing.
    s.SetOverlayX(0);
    s.SetOverlayY(0);
    s.SetOverlay(false);
    EXPECT_EQ(Compose(s, red), bg);
    s.SetOverlay(true);
    EXPECT_EQ(Compose(s, Picture()), bg);

    // Under the glow: the glow's corner pixel is composited over the red.
    s.SetGlow(true);
    const Bitmap glowed = Compose(s, red);
    const int a = GlowLayer().AlphaRow(0)[0];
    EXPECT_EQ(glowed.Pixel(0, 0), RGB(std::uint8_t(Composite(255, a, 255)), std::uint8_t(Composite(255, a, 0)),
                                      std::uint8_t(Composite(255, a, 0))));
}

TEST(Compose, TextIsOutlinedOnAllEightSidesAndClipped) {
    BannerSettings s = Bare();
    s.SetColor1(RGB(90, 90, 90));
    s.SetColor2(RGB(90, 90, 90));
    const Bitmap plain = Compose(s);
    s.SetText("Hi8");
    s.SetTextX(20);
    s.SetTextY(4);
    const Bitmap img = Compose(s);
    int white = 0;
    for (int y = 1; y < kBannerHeight - 1; ++y) {
        for (int x = 1; x < kBannerWidth - 1; ++x) {
            if (img.Pixel(x, y) != kWhite) continue;
            ++white;
            // Every white glyph pixel is ringed by white or black, diagonals included.
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const Color n = img.Pixel(x + dx, y + dy);
                    ASSERT_TRUE(n == kWhite || n == kBlack) << x + dx << "," << y + dy;
                }
            }
        }
    }
    EXPECT_GT(white, 10);

    // Wholly outside the banner, even at the ends of the integer range: nothing drawn, no fault.
    for (auto [x, y] : {std::pair{400, 4}, {-300, 4}, {20, 40}, {20, -30}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MIN},
                        {INT_MAX - 2, 4}}) {
        s.SetTextX(x);
        s.SetTextY(y);
        EXPECT_EQ(Compose(s), plain) << x << "," << y;
    }

    // Reaching over the top edge: the text shows on row 0 until the border covers it.
    s.SetTextX(20);
    s.SetTextY(-3);
    const Bitmap over = Compose(s);
    int touched = 0;
    for (int x = 0; x < kBannerWidth; ++x) touched += over.Pixel(x, 0) != plain.Pixel(x, 0);
    EXPECT_GT(touched, 0);
    s.SetBorder(true);
    s.SetBorderColor(RGB(7, 7, 7));
    const Bitmap bordered = Compose(s);
    for (int x = 0; x < kBannerWidth; ++x) ASSERT_EQ(bordered.Pixel(x, 0), RGB(7, 7, 7));
}

TEST(Compose, OutOfRangeIndicesAreReportedAndNothingIsDrawn) {
    for (auto [pattern, mirror] : {std::pair{6, 0}, {-1, 0}, {0, 6}, {0, INT_MIN}, {INT_MAX, INT_MAX}}) {
        BannerSettings s = Bare();
        s.SetPattern(pattern);
        s.SetMirrorPattern(mirror);
        Bitmap img(kBannerWidth, kBannerHeight);
        img.Fill(RGB(9, 8, 7));
        const Bitmap before = img;
        try {
            ComposeBanner(img, s, Picture());
            ADD_FAILURE() << pattern << "/" << mirror << " was drawn";
        } catch (const BannerError& e) {
            EXPECT_NE(std::string(e.what()).find("outside 0..5"), std::string::npos) << e.what();
        }
        EXPECT_EQ(img, before);
    }
}

}  // namespace
}  // namespace veskel
