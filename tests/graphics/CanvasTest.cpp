#include "platform/graphics/Canvas.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "tests/graphics/AsciiImage.h"

namespace veskel {
namespace {

using testing::FromAscii;
using testing::Noise;
using testing::Rows;
using testing::ToAscii;

constexpr Color kRed = RGB(255, 0, 0);
constexpr Color kBlue = RGB(0, 0, 255);
const testing::Legend kLegend = {{'.', kWhite}, {'#', kBlack}, {'o', kRed}, {'b', kBlue}};

Bitmap White(int w, int h) {
    Bitmap b(w, h);
    b.Fill(kWhite);
    return b;
}

// ---------------------------------------------------------------- rectangles

TEST(CanvasRects, FillRectLeavesOutRightColumnAndBottomRow) {
    Bitmap bmp = White(6, 4);
    Canvas c(bmp);
    c.brush.color = kBlack;
    c.FillRect({1, 1, 4, 3});
    EXPECT_EQ(ToAscii(bmp, kLegend), Rows({"......", ".###..", ".###..", "......"}));
    // Empty and inverted rectangles paint nothing.
    c.FillRect({3, 3, 3, 4});
    c.FillRect({5, 3, 4, 4});
    EXPECT_EQ(ToAscii(bmp, kLegend), Rows({"......", ".###..", ".###..", "......"}));
}

TEST(CanvasRects, FrameRectIsOnePixelInside) {
    Bitmap bmp = White(6, 5);
    Canvas c(bmp);
    c.FrameRect({0, 0, 5, 4}, kRed);
    EXPECT_EQ(ToAscii(bmp, kLegend), Rows({"ooooo.", "o...o.", "o...o.", "ooooo.", "......"}));
    Bitmap thin = White(3, 3);
    Canvas t(thin);
    t.FrameRect({1, 0, 2, 3}, kRed);  // one column wide: every pixel once
    EXPECT_EQ(ToAscii(thin, kLegend), Rows({".o.", ".o.", ".o."}));
}

TEST(CanvasRects, RectangleOutlinesWithPenAndFillsWithBrush) {
    Bitmap bmp = White(6, 5);
    Canvas c(bmp);
    c.pen.color = kRed;
    c.brush.color = kBlue;
    c.Rectangle({0, 0, 5, 4});
    EXPECT_EQ(ToAscii(bmp, kLegend), Rows({"ooooo.", "obbbo.", "obbbo.", "ooooo.", "......"}));

    // Without a pen the fill stops one short on the right and at the bottom.
    bmp = White(6, 5);
    c.pen.style = PenStyle::Clear;
    c.Rectangle({0, 0, 5, 4});
    EXPECT_EQ(ToAscii(bmp, kLegend), Rows({"bbbb..", "bbbb..", "bbbb..", "......", "......"}));

    // Without a brush only the outline; corners given the wrong way round are sorted.
    bmp = White(6, 5);
    c.pen.style = PenStyle::Solid;
    c.brush.style = BrushStyle::Clear;
    c.Rectangle({5, 4, 1, 1});
    EXPECT_EQ(ToAscii(bmp, kLegend), Rows({"......", ".oooo.", ".o..o.", ".oooo.", "......"}));
}

TEST(CanvasRects, RoundRectAndEllipseOutlinesAreOnePixelAndEightConnected) {
    Bitmap bmp = White(9, 7);
    Canvas c(bmp);
    c.pen.color = kRed;
    c.brush.color = kBlue;
    c.RoundRect({0, 0, 8, 6}, 4, 4);
    EXPECT_EQ(ToAscii(bmp, kLegend), Rows({".oooooo..", "obbbbbbo.", "obbbbbbo.", "obbbbbbo.", "obbbbbbo.",
                                              ".oooooo..", "........."}));

    bmp = White(6, 6);
    c.Ellipse({0, 0, 5, 5});
    EXPECT_EQ(ToAscii(bmp, kLegend), Rows({".ooo..", "obbbo.", "obbbo.", "obbbo.", ".ooo..", "......"}));

    // A larger circle: symmetric, and every row and column of the outline is reached.
    Bitmap big = White(21, 21);
    Canvas b(big);
    b.pen.color = kRed;
    b.brush.style = BrushStyle::Clear;
    b.Ellipse({0, 0, 21, 21});
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 21; ++x) {
            EXPECT_EQ(big.Pixel(x, y), big.Pixel(20 - x, y)) << x << "," << y;
            EXPECT_EQ(big.Pixel(x, y), big.Pixel(y, x)) << x << "," << y;
        }
    EXPECT_EQ(big.Pixel(10, 0), kRed);
    EXPECT_EQ(big.Pixel(0, 10), kRed);
    EXPECT_EQ(big.Pixel(0, 0), kWhite);
    EXPECT_EQ(big.Pixel(10, 10), kWhite);  // clear brush: inside untouched
}

TEST(CanvasRects, RoundRectCornersClampToTheRectangle) {
    // Corner ellipses larger than the rectangle give the ellipse of the rectangle itself.
    Bitmap a = White(12, 8), b = White(12, 8);
    Canvas ca(a), cb(b);
    ca.RoundRect({1, 1, 11, 7}, 100, 100);
    cb.Ellipse({1, 1, 11, 7});
    EXPECT_EQ(a, b);
    // Corners of 0 or 1 give a plain rectangle.
    Bitmap r1 = White(12, 8), r2 = White(12, 8);
    Canvas c1(r1), c2(r2);
    c1.RoundRect({1, 1, 11, 7}, 1, 0);
    c2.Rectangle({1, 1, 11, 7});
    EXPECT_EQ(r1, r2);
}

// ---------------------------------------------------------------- lines

TEST(CanvasLines, EndPointIsLeftOut) {
    Bitmap bmp = White(5, 5);
    Canvas c(bmp);
    c.MoveTo(0, 0);
    c.LineTo(4, 0);  // horizontal
    c.LineTo(4, 4);  // vertical, starts on the point the last line left out
    c.MoveTo(0, 1);
    c.LineTo(3, 4);  // diagonal
    EXPECT_EQ(ToAscii(bmp, kLegend), Rows({"#####", "#...#", ".#..#", "..#.#", "....."}));
    EXPECT_EQ(c.PenPosition(), (Point{3, 4}));
}

TEST(CanvasLines, HalfwayPointsLightTheUpperOrLeftPixel) {
    // Flat line: at x = 1 and 3 the exact line is halfway between two rows.
    Bitmap a = White(5, 3);
    Canvas ca(a);
    ca.MoveTo(0, 0);
    ca.LineTo(4, 2);
    EXPECT_EQ(ToAscii(a, kLegend), Rows({"##...", "..##.", "....."}));
    // Drawn backwards: the same inner pixels, the other end point.
    Bitmap b = White(5, 3);
    Canvas cb(b);
    cb.MoveTo(4, 2);
    cb.LineTo(0, 0);
    EXPECT_EQ(ToAscii(b, kLegend), Rows({".#...", "..##.", "....#"}));
    // Steep line: halfway between two columns the left one.
    Bitmap s = White(3, 5);
    Canvas cs(s);
    cs.MoveTo(0, 0);
    cs.LineTo(2, 4);
    EXPECT_EQ(ToAscii(s, kLegend), Rows({"#..", "#..", ".#.", ".#.", "..."}));
    // Rising flat line: the halfway points again go up.
    Bitmap u = White(5, 3);
    Canvas cu(u);
    cu.MoveTo(0, 2);
    cu.LineTo(4, 0);
    EXPECT_EQ(ToAscii(u, kLegend), Rows({"...#.", ".##..", "#...."}));
}

TEST(CanvasLines, ClearPenDrawsNothingButMovesThePen) {
    Bitmap bmp = White(4, 4);
    Canvas c(bmp);
    c.pen.style = PenStyle::Clear;
    c.MoveTo(0, 0);
    c.LineTo(3, 3);
    EXPECT_EQ(bmp, White(4, 4));
    EXPECT_EQ(c.PenPosition(), (Point{3, 3}));
}

TEST(CanvasLines, HugeCoordinatesAreClippedWithoutWalkingThem) {
    Bitmap bmp = White(8, 8);
    Canvas c(bmp);
    c.MoveTo(INT_MIN, 3);
    c.LineTo(INT_MAX, 3);
    c.MoveTo(4, INT_MAX);
    c.LineTo(4, INT_MIN);
    c.MoveTo(INT_MIN, INT_MIN);
    c.LineTo(INT_MAX, INT_MAX);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(bmp.Pixel(x, 3), kBlack);
    for (int y = 0; y < 8; ++y) EXPECT_EQ(bmp.Pixel(4, y), kBlack);
    // The long diagonal passes within half a pixel of (x, x).
    for (int x = 0; x < 8; ++x) EXPECT_EQ(bmp.Pixel(x, x), kBlack) << x;
}

// ---------------------------------------------------------------- polygons

TEST(CanvasPolygon, FillsByPixelCentresAndOutlinesEveryEdge) {
    Bitmap bmp = White(5, 5);
    Canvas c(bmp);
    c.pen.style = PenStyle::Clear;
    c.brush.color = kBlue;
    c.Polygon({{0, 0}, {4, 0}, {0, 4}});
    EXPECT_EQ(ToAscii(bmp, kLegend), Rows({"bbbb.", "bbb..", "bb...", "b....", "....."}));

    bmp = White(5, 5);
    c.pen.style = PenStyle::Solid;
    c.pen.color = kRed;
    c.Polygon({{0, 0}, {4, 0}, {0, 4}});
    EXPECT_EQ(ToAscii(bmp, kLegend), Rows({"ooooo", "obbo.", "obo..", "oo...", "o...."}));
}

TEST(CanvasPolygon, CornerTriangleWithoutPenLosesItsRightAndBottomEdges) {
    // A small marker triangle in the bottom-right corner of an 8 x 8 control, drawn with no
    // outline: the fill alone leaves out the last column and row.
    Bitmap bmp = White(8, 8);
    Canvas c(bmp);
    c.pen.style = PenStyle::Clear;
    c.brush.color = kBlack;
    c.Polygon({{2, 7}, {7, 7}, {7, 2}});
    EXPECT_EQ(ToAscii(bmp, kLegend),
              Rows({"........", "........", "........", "......#.", ".....##.", "....###.", "...####.", "........"}));
}

TEST(CanvasPolygon, AlternateRuleLeavesTheOverlapOfASelfCrossingShapeEmpty) {
    // Two overlapping squares traced as one outline: the part covered twice stays empty.
    Bitmap bmp = White(8, 8);
    Canvas c(bmp);
    c.pen.style = PenStyle::Clear;
    c.brush.color = kBlack;
    c.Polygon({{0, 0}, {4, 0}, {4, 6}, {2, 6}, {2, 2}, {6, 2}, {6, 4}, {0, 4}});
    EXPECT_EQ(ToAscii(bmp, kLegend), Rows({"####....", "####....", "##..##..", "##..##..", "..##....",
                                              "..##....", "........", "........"}));
}

// ---------------------------------------------------------------- exclusive-or

TEST(CanvasXor, DrawingTwiceRestoresEveryPixel) {
    const Bitmap original = Noise(24, 20);
    Bitmap bmp = original;
    Canvas c(bmp);
    c.pen.mode = PenMode::Xor;
    c.pen.color = RGB(176, 176, 176);
    c.brush.color = RGB(12, 200, 77);
    auto drawAll = [&] {
        c.MoveTo(1, 1);
        c.LineTo(22, 7);
        c.LineTo(3, 18);
        c.LineTo(1, 1);
        c.Rectangle({2, 2, 12, 9});
        c.RoundRect({5, 5, 20, 18}, 6, 5);
        c.Ellipse({10, 1, 23, 12});
        c.Polygon({{0, 19}, {12, 10}, {23, 19}});
    };
    drawAll();
    EXPECT_NE(bmp, original);
    drawAll();
    EXPECT_EQ(bmp, original);
}

TEST(CanvasXor, CombinesThePenColourWithWhatIsThere) {
    Bitmap bmp(3, 1);
    bmp.SetPixel(0, 0, RGB(255, 255, 255));
    bmp.SetPixel(1, 0, RGB(176, 0, 1));
    Canvas c(bmp);
    c.pen.mode = PenMode::Xor;
    c.pen.color = RGB(176, 176, 176);
    c.MoveTo(0, 0);
    c.LineTo(3, 0);
    EXPECT_EQ(bmp.Pixel(0, 0), RGB(79, 79, 79));
    EXPECT_EQ(bmp.Pixel(1, 0), RGB(0, 176, 177));
    EXPECT_EQ(bmp.Pixel(2, 0), RGB(176, 176, 176));
}

// ---------------------------------------------------------------- brushes

TEST(CanvasBrush, PatternIsTiledFromTheBitmapOriginNotTheCanvasOrigin) {
    auto pattern = std::make_shared<Bitmap>(FromAscii({"#.", ".o"}, kLegend));
    Bitmap bmp = White(6, 3);
    Canvas c(bmp);
    c.brush.style = BrushStyle::Pattern;
    c.brush.pattern = pattern;
    c.SetOrigin({1, 0});
    c.FillRect({0, 0, 4, 3});  // device columns 1 .. 4
    EXPECT_EQ(ToAscii(bmp, kLegend), Rows({"..#.#.", ".o.o..", "..#.#."}));
    // An empty pattern paints nothing.
    Bitmap other = White(2, 2);
    Canvas o(other);
    o.brush.style = BrushStyle::Pattern;
    o.brush.pattern = std::make_shared<Bitmap>();
    o.FillRect({0, 0, 2, 2});
    EXPECT_EQ(other, White(2, 2));
}

// ---------------------------------------------------------------- clipping and origin

// Every primitive drawn clipped must equal the same primitive drawn unclipped, inside the
// clip, and leave everything outside the clip alone.
TEST(CanvasClip, ClippedDrawingMatchesUnclippedDrawingInsideTheClip) {
    using Op = std::function<void(Canvas&)>;
    auto pattern = std::make_shared<Bitmap>(Noise(3, 5, 7));
    const std::vector<std::pair<const char*, Op>> ops = {
        {"FillRect", [](Canvas& c) { c.FillRect({-3, -2, 30, 25}); }},
        {"FillRectPattern",
         [&](Canvas& c) {
             c.brush.style = BrushStyle::Pattern;
             c.brush.pattern = pattern;
             c.FillRect({-3, -2, 30, 25});
         }},
        {"Rectangle", [](Canvas& c) { c.Rectangle({-1, 2, 15, 30}); }},
        {"RoundRect", [](Canvas& c) { c.RoundRect({1, -4, 22, 17}, 9, 7); }},
        {"Ellipse", [](Canvas& c) { c.Ellipse({-6, -3, 19, 21}); }},
        {"Polygon", [](Canvas& c) { c.Polygon({{-5, 3}, {12, -6}, {26, 10}, {9, 25}}); }},
        {"Lines",
         [](Canvas& c) {
             c.MoveTo(-7, 0);
             c.LineTo(25, 19);
             c.LineTo(10, -4);
             c.LineTo(0, 22);
             c.LineTo(-7, 0);
         }},
        {"CopyFrom", [](Canvas& c) { c.Draw(-2, -1, Noise(25, 22, 3)); }},
        {"StretchDraw", [](Canvas& c) { c.StretchDraw({-4, -3, 28, 26}, Noise(9, 7, 5)); }},
        {"Picture",
         [](Canvas& c) {
             Picture pic(Noise(23, 21, 9));
             pic.alpha = std::vector<std::uint8_t>(23 * 21);
             for (std::size_t i = 0; i < pic.alpha.size(); ++i) pic.alpha[i] = std::uint8_t(i * 37);
             c.Draw(-1, -1, pic);
         }},
    };
    // Clips that cut each edge in turn, and one that cuts all four, with origins that move
    // the drawing against the clip.
    const std::vector<Rect> clips = {{3, 0, 20, 18}, {0, 4, 20, 18}, {0, 0, 13, 18}, {0, 0, 20, 11}, {4, 5, 14, 12}};
    const std::vector<Point> origins = {{0, 0}, {2, 3}, {-3, -1}};
    for (const auto& [name, op] : ops)
        for (const Rect& clip : clips)
            for (const Point& origin : origins) {
                const Bitmap background = Noise(20, 18, 11);
                Bitmap full = background;
                Canvas cf(full);
                cf.SetOrigin(origin);
                cf.pen.color = kRed;
                cf.brush.color = kBlue;
                op(cf);

                Bitmap clipped = background;
                Canvas cc(clipped);
                cc.SetOrigin(origin);
                cc.SetClipRect(clip);
                cc.pen.color = kRed;
                cc.brush.color = kBlue;
                op(cc);

                for (int y = 0; y < 18; ++y)
                    for (int x = 0; x < 20; ++x) {
                        Color want = clip.Contains({x, y}) ? full.Pixel(x, y) : background.Pixel(x, y);
                        ASSERT_EQ(clipped.Pixel(x, y), want)
                            << name << " clip " << clip.left << "," << clip.top << "," << clip.right << ","
                            << clip.bottom << " origin " << origin.x << "," << origin.y << " at " << x << "," << y;
                    }
            }
}

TEST(CanvasClip, IntersectClipTakesLogicalCoordinates) {
    Bitmap bmp = White(8, 6);
    Canvas c(bmp);
    c.SetOrigin({2, 1});  // a control at (2, 1) painting in its own coordinates
    c.IntersectClip({0, 0, 4, 3});
    EXPECT_EQ(c.ClipRect(), (Rect{2, 1, 6, 4}));
    c.brush.color = kBlack;
    c.FillRect({-10, -10, 100, 100});
    EXPECT_EQ(ToAscii(bmp, kLegend), Rows({"........", "..####..", "..####..", "..####..", "........", "........"}));
    // Narrowing twice keeps the intersection; a disjoint rectangle leaves nothing to paint.
    c.IntersectClip({2, -5, 10, 2});
    EXPECT_EQ(c.ClipRect(), (Rect{4, 1, 6, 3}));
    c.IntersectClip({20, 20, 30, 30});
    EXPECT_TRUE(c.ClipRect().IsEmpty());
    c.brush.color = kRed;
    c.FillRect({-10, -10, 100, 100});
    EXPECT_EQ(bmp.Pixel(4, 1), kBlack);
    c.ResetClip();
    EXPECT_EQ(c.ClipRect(), bmp.Bounds());
}

TEST(CanvasClip, VisibleRectIsTheClipInLogicalCoordinates) {
    Bitmap bmp = White(8, 6);
    Canvas c(bmp);
    EXPECT_EQ(c.VisibleRect(), bmp.Bounds());
    c.SetOrigin({2, 1});
    c.IntersectClip({0, 0, 4, 3});
    EXPECT_EQ(c.VisibleRect(), (Rect{0, 0, 4, 3}));
    // A control far to the left of the surface: only its right end is visible.
    c.ResetClip();
    c.SetOrigin({-1000000, 3});
    EXPECT_EQ(c.VisibleRect(), (Rect{1000000, -3, 1000008, 3}));
    // Logical coordinates beyond the int range hold no control's pixels: nothing is visible.
    c.SetOrigin({INT32_MIN, 0});
    EXPECT_TRUE(c.VisibleRect().IsEmpty());
    c.SetOrigin({INT32_MAX, 0});
    EXPECT_EQ(c.VisibleRect(), (Rect{-INT32_MAX, 0, 8 - INT32_MAX, 6}));
    // A shrunken target narrows what is visible.
    c.SetOrigin({0, 0});
    bmp.Reset(3, 2);
    EXPECT_EQ(c.VisibleRect(), (Rect{0, 0, 3, 2}));
    c.IntersectClip({20, 20, 30, 30});
    EXPECT_TRUE(c.VisibleRect().IsEmpty());
}

TEST(CanvasClip, ClipIsKeptInsideTheBitmapAndReadsIgnoreIt) {
    Bitmap bmp = Noise(5, 4);
    Canvas c(bmp);
    c.SetClipRect({-5, -5, 50, 2});
    EXPECT_EQ(c.ClipRect(), (Rect{0, 0, 5, 2}));
    c.SetOrigin({1, 1});
    EXPECT_EQ(c.Pixel(0, 2), bmp.Pixel(1, 3));  // outside the clip, still read
    EXPECT_EQ(c.Pixel(-2, 0), kBlack);          // outside the bitmap
    EXPECT_EQ(c.Pixel(4, 0), kBlack);
    c.SetPixel(0, 2, kRed);  // clipped away
    EXPECT_NE(bmp.Pixel(1, 3), kRed);
    c.SetPixel(0, 0, kRed);
    EXPECT_EQ(bmp.Pixel(1, 1), kRed);
    // A canvas whose bitmap shrank after the clip was set stays inside the bitmap.
    bmp.Reset(2, 2);
    c.ResetClip();
    c.SetClipRect({0, 0, 5, 4});
    bmp.Reset(1, 1);
    c.SetOrigin({0, 0});
    c.brush.color = kRed;
    c.FillRect({-1, -1, 10, 10});
    EXPECT_EQ(bmp.Pixel(0, 0), kRed);
    c.MoveTo(-1, -1);
    c.LineTo(10, 10);
    EXPECT_EQ(bmp.Pixel(0, 0), kBlack);
}

TEST(CanvasClip, ExtremeCoordinatesPaintOnlyWhatIsVisible) {
    Bitmap bmp = White(8, 6);
    Canvas c(bmp);
    c.SetOrigin({INT_MAX, 3});  // logical + origin must not overflow
    c.brush.color = kRed;
    c.FillRect({INT_MIN, INT_MIN, INT_MAX, INT_MAX});
    EXPECT_EQ(bmp.Pixel(7, 5), kRed);
    c.SetOrigin({0, 0});
    c.brush.color = kBlue;
    c.FrameRect({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, kBlack);  // the frame lies far outside
    c.Rectangle({INT_MIN, INT_MIN, INT_MAX, INT_MAX});
    EXPECT_EQ(ToAscii(bmp, kLegend), Rows({"bbbbbbbb", "bbbbbbbb", "bbbbbbbb", "bbbbbbbb", "bbbbbbbb", "bbbbbbbb"}));
    // A huge circle around the bitmap, and one whose corner ellipses are huge: filled inside.
    c.brush.color = kRed;
    c.Ellipse({-2000000000, -2000000000, 2000000000, 2000000000});
    EXPECT_EQ(bmp.Pixel(0, 0), kRed);
    c.brush.color = kBlue;
    c.RoundRect({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, INT_MAX, INT_MAX);
    EXPECT_EQ(bmp.Pixel(3, 3), kBlue);
    c.brush.color = kRed;
    c.Polygon({{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MAX}});
    EXPECT_EQ(bmp.Pixel(5, 2), kRed);
    // Copy and stretch with far-away rectangles.
    Bitmap src = FromAscii({"#o", "b."}, kLegend);
    c.CopyFrom(INT_MAX, 0, src, src.Bounds());
    c.CopyFrom(0, 0, src, {INT_MIN, INT_MIN, INT_MIN + 2, INT_MIN + 2});
    EXPECT_EQ(bmp.Pixel(0, 0), kRed);
    // Only the visible window of a 2,000,000-pixel stretch is computed: the bitmap sits just
    // past the middle, where the lower-right source pixel begins.
    c.StretchDraw({-1000000, -1000000, 1000000, 1000000}, src);
    EXPECT_EQ(ToAscii(bmp, kLegend), Rows({"........", "........", "........", "........", "........", "........"}));
}

// ---------------------------------------------------------------- images

TEST(CanvasImages, CopyFromClipsTheSourceAndWorksWithinOneBitmap) {
    Bitmap src = FromAscii({"#o", "b."}, kLegend);
    Bitmap bmp = White(4, 3);
    Canvas c(bmp);
    c.CopyFrom(1, 1, src, {-1, -1, 2, 2});  // (-1, -1) maps to (1, 1); what lies outside is skipped
    EXPECT_EQ(ToAscii(bmp, kLegend), Rows({"....", "....", "..#o"}));

    // Overlapping copies inside one bitmap, in each direction.
    const Bitmap start = Noise(6, 6);
    for (Point to : {Point{1, 1}, Point{0, 0}, Point{2, 0}, Point{0, 2}}) {
        Bitmap same = start;
        Canvas s(same);
        s.CopyFrom(to.x, to.y, same, {1, 1, 5, 5});
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) ASSERT_EQ(same.Pixel(to.x + x, to.y + y), start.Pixel(1 + x, 1 + y));
    }
}

// A tiled row shows exactly what one Draw per copy shows, however the copies meet the clip, and
// a row of billions of copies costs only those it shows.
TEST(CanvasImages, TiledRowMatchesOneDrawPerCopy) {
    const Bitmap tile = Noise(3, 2);
    struct Case {
        int x, y;
        long long count;
        Rect clip;
        Point origin;
    };
    for (Case c : {Case{0, 0, 4, {0, 0, 12, 5}, {0, 0}}, Case{-4, 1, 5, {1, 0, 9, 5}, {0, 0}},
                   Case{2, 2, 3, {3, 1, 7, 4}, {1, 1}}, Case{-20, 0, 9, {0, 0, 12, 5}, {5, 0}},
                   Case{0, 0, 0, {0, 0, 12, 5}, {0, 0}}, Case{0, 0, -3, {0, 0, 12, 5}, {0, 0}},
                   Case{13, 0, 2, {0, 0, 12, 5}, {0, 0}}}) {
        Bitmap expected = White(12, 5), got = White(12, 5);
        Canvas e(expected), g(got);
        for (Canvas* cv : {&e, &g}) {
            cv->SetClipRect(c.clip);
            cv->SetOrigin(c.origin);
        }
        for (long long k = 0; k < c.count; ++k) e.Draw(c.x + int(k) * 3, c.y, tile);
        g.DrawTiledRow(c.x, c.y, tile, c.count);
        EXPECT_EQ(got, expected) << c.x << "," << c.y << " x" << c.count;
    }
    // Two billion copies starting far to the left (-2000000001 is a multiple of 3) and reaching
    // past the int range on the right: only the four over the bitmap are drawn.
    Bitmap far = White(12, 5), near = White(12, 5);
    Canvas f(far), n(near);
    f.DrawTiledRow(-2000000001, 0, tile, 2000000000LL);
    for (int k = 0; k < 4; ++k) n.Draw(3 * k, 0, tile);
    EXPECT_EQ(far, near);
}

TEST(CanvasImages, PictureAlphaFollowsTheCompositeFormula) {
    // (s * a + 255 + (255 - a) * d) div 256 per channel.
    struct Case {
        std::uint8_t s, d, a, want;
    };
    const Case cases[] = {
        {200, 100, 0, 100},   {0, 255, 0, 255},   {255, 0, 0, 0},        // a = 0 keeps what is there
        {200, 100, 255, 200}, {0, 255, 255, 0},   {255, 0, 255, 255},    // a = 255 gives the picture
        {200, 100, 128, 150}, {255, 0, 128, 128}, {0, 255, 128, 127},    // 38555, 32895, 32640 div 256
        {0, 0, 128, 0},       {255, 255, 128, 255}, {17, 3, 1, 4},       // 17 + 255 + 762 = 1034 div 256
    };
    for (const Case& k : cases) {
        Bitmap dst(1, 1);
        dst.SetPixel(0, 0, RGB(k.d, k.d, k.d));
        Picture pic(Bitmap(1, 1));
        pic.color.SetPixel(0, 0, RGB(k.s, 0, k.s));
        pic.alpha = {k.a};
        LayerComposite(dst, pic, 0, 0);
        Color got = dst.Pixel(0, 0);
        EXPECT_EQ(GetR(got), k.want) << int(k.s) << " " << int(k.d) << " " << int(k.a);
        EXPECT_EQ(GetB(got), k.want);
        EXPECT_EQ(GetG(got), (0 * k.a + 255 + (255 - k.a) * k.d) / 256);
    }
}

TEST(CanvasImages, LayerCompositeClipsAtEveryEdgeOfTheDestination) {
    Picture pic(Bitmap(3, 2));
    pic.color.Fill(kBlack);
    pic.alpha.assign(6, 255);
    for (Point at : {Point{-2, 0}, Point{3, 0}, Point{1, -1}, Point{1, 2}, Point{-10, -10}, Point{50, 1}}) {
        Bitmap dst = White(4, 3);
        LayerComposite(dst, pic, at.x, at.y);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) {
                bool covered = x >= at.x && x < at.x + 3 && y >= at.y && y < at.y + 2;
                ASSERT_EQ(dst.Pixel(x, y), covered ? kBlack : kWhite) << at.x << "," << at.y << " " << x << "," << y;
            }
    }
}

TEST(CanvasImages, PictureWithoutUsableAlphaIsCopied) {
    Picture pic(Noise(3, 3));
    Bitmap dst = White(3, 3);
    LayerComposite(dst, pic, 0, 0);
    EXPECT_EQ(dst, pic.color);
    // An alpha plane of the wrong size is ignored rather than read past its end.
    pic.alpha.assign(2, 0);
    Bitmap dst2 = White(3, 3);
    LayerComposite(dst2, pic, 0, 0);
    EXPECT_EQ(dst2, pic.color);
}

TEST(CanvasImages, StretchDrawAveragesAndHonoursTheSourceRectangle) {
    Bitmap src = FromAscii({"#.#.", ".#.#", "oooo"}, kLegend);
    Bitmap bmp = White(3, 2);
    Canvas c(bmp);
    c.StretchDraw({1, 0, 2, 1}, src, {0, 0, 2, 2});  // a 2 x 2 checker into one pixel
    EXPECT_EQ(bmp.Pixel(1, 0), RGB(128, 128, 128));
    c.StretchDraw({0, 1, 3, 2}, src, {1, 2, 4, 3});  // 3 x 1 red, same size: a copy
    EXPECT_EQ(bmp.Pixel(0, 1), kRed);
    EXPECT_EQ(bmp.Pixel(2, 1), kRed);
    EXPECT_EQ(bmp.Pixel(0, 0), kWhite);
    // A source rectangle reaching past the bitmap reads black there.
    Bitmap one = White(1, 1);
    Canvas o(one);
    Bitmap white = White(1, 1);
    o.StretchDraw({0, 0, 1, 1}, white, {0, 0, 2, 1});
    EXPECT_EQ(one.Pixel(0, 0), RGB(128, 128, 128));
}

}  // namespace
}  // namespace veskel
