#include "Components/StaticShadow/ShadowFrame.h"

#include <gtest/gtest.h>

namespace veskel {
namespace {

int Grey(const Bitmap& b, int x, int y) {
    const Color c = b.Pixel(x, y);
    EXPECT_TRUE(GetR(c) == GetG(c) && GetG(c) == GetB(c)) << x << "," << y;
    return GetR(c);
}

Bitmap Uniform(int w, int h, int v) {
    Bitmap b(w, h);
    b.Fill(RGB(v, v, v));
    return b;
}

TEST(ShadowFrame, BurningSubtractsTheDarkness) {
    struct Case {
        int screen, piece, expected;
    };
    for (Case c : {Case{200, 95, 40}, Case{200, 254, 199}, Case{200, 255, 200}, Case{100, 95, 0}}) {
        Bitmap capture = Uniform(2, 2, c.screen);
        Bitmap composite = capture;
        BurnShadowPiece(composite, capture, Uniform(1, 1, c.piece), 1, 1);
        EXPECT_EQ(Grey(composite, 1, 1), c.expected) << c.screen << " under " << c.piece;
        EXPECT_EQ(Grey(composite, 0, 0), c.screen);
    }
}

TEST(ShadowFrame, PiecesOutsideTheWindowAreSkipped) {
    Bitmap capture = Uniform(5, 5, 200);
    Bitmap composite = capture;
    BurnShadowPiece(composite, capture, Uniform(4, 4, 155), -2, 3);  // hangs off the left and bottom
    EXPECT_EQ(Grey(composite, 0, 3), 100);
    EXPECT_EQ(Grey(composite, 1, 4), 100);
    EXPECT_EQ(Grey(composite, 2, 3), 200);
    EXPECT_EQ(Grey(composite, 0, 2), 200);
    BurnShadowPiece(composite, capture, Uniform(4, 4, 0), 100000, -100000);  // nowhere near
}

TEST(ShadowFrame, ProfilesOfTheBuiltInPieces) {
    const ShadowPieces p = LoadShadowPieces();
    ASSERT_EQ(p.topLeft.GetSize(), (Size{18, 34}));
    ASSERT_EQ(p.topRight.GetSize(), (Size{18, 34}));
    ASSERT_EQ(p.bottomLeft.GetSize(), (Size{34, 18}));
    ASSERT_EQ(p.bottomRight.GetSize(), (Size{34, 18}));
    ASSERT_EQ(p.top.GetSize(), (Size{23, 18}));
    ASSERT_EQ(p.bottom.GetSize(), (Size{29, 18}));
    ASSERT_EQ(p.left.GetSize(), (Size{18, 25}));
    ASSERT_EQ(p.right.GetSize(), (Size{18, 18}));

    const std::vector<int> top{255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 254, 251, 248, 244, 238, 231};
    const std::vector<int> bottom{95, 104, 115, 126, 139, 152, 167, 180, 193, 204, 215, 224, 231, 238, 244, 248, 251, 254};
    const std::vector<int> left{255, 255, 255, 255, 255, 255, 254, 251, 248, 244, 238, 231, 224, 215, 204, 193, 180, 167};
    for (int i = 0; i < 18; ++i) {
        EXPECT_EQ(Grey(p.top, 11, i), top[i]);
        EXPECT_EQ(Grey(p.bottom, 20, i), bottom[i]);
        EXPECT_EQ(Grey(p.left, i, 20), left[i]);
        EXPECT_EQ(Grey(p.right, 17 - i, 9), left[i]);
        // The corners continue the edges beside them.
        EXPECT_EQ(Grey(p.topLeft, 17, i), top[i]) << "top-left corner, row " << i;
        EXPECT_EQ(Grey(p.topRight, 0, i), top[i]);
        EXPECT_EQ(Grey(p.bottomLeft, 33, i), bottom[i]) << "bottom-left corner, row " << i;
        EXPECT_EQ(Grey(p.bottomRight, 0, i), bottom[i]);
        EXPECT_EQ(Grey(p.bottomLeft, i, 0), left[i]) << "bottom-left corner, column " << i;
        EXPECT_NEAR(Grey(p.topLeft, i, 33), left[i], 3) << "top-left corner, column " << i;
    }
    EXPECT_EQ(Grey(p.topLeft, 17, 33), 170);
    EXPECT_EQ(Grey(p.topRight, 0, 33), 170);
    for (int x = 0; x < 6; ++x) EXPECT_EQ(Grey(p.bottomLeft, x, 17), 255);
}

TEST(ShadowFrame, StretchedEdgesFollowTheWindowSize) {
    const ShadowPieces p = LoadShadowPieces();
    StretchedEdges e = StretchShadowEdges(p, 200, 120);
    EXPECT_EQ(e.top.GetSize(), (Size{164, 18}));
    EXPECT_EQ(e.bottom.GetSize(), (Size{132, 18}));
    EXPECT_EQ(e.left.GetSize(), (Size{18, 68}));
    EXPECT_EQ(e.right.GetSize(), (Size{18, 68}));
    EXPECT_EQ(Grey(e.bottom, 131, 0), 95);
    EXPECT_EQ(Grey(e.left, 17, 67), 167);
    // Too small for the corners: no horizontal edges, and the side length is |H - 52|.
    e = StretchShadowEdges(p, 50, 40);
    EXPECT_EQ(e.top.GetSize(), (Size{14, 18}));
    EXPECT_TRUE(e.bottom.IsEmpty());
    EXPECT_EQ(e.left.GetSize(), (Size{18, 12}));
    // Composing such a window keeps inside it.
    Bitmap capture = Uniform(50, 40, 220);
    Bitmap composite(50, 40);
    ComposeShadow(composite, capture, p, e);
    EXPECT_EQ(Grey(composite, 25, 20), 220);
}

TEST(ShadowFrame, ComposedFrameDarkensTheMarginOnly) {
    const ShadowPieces p = LoadShadowPieces();
    const int w = 120, h = 90;
    Bitmap capture = Uniform(w, h, 200);
    Bitmap composite(w, h);
    ComposeShadow(composite, capture, p, StretchShadowEdges(p, w, h));
    EXPECT_EQ(Grey(composite, 60, 0), 200);           // white top rows
    EXPECT_EQ(Grey(composite, 60, 17), 200 - 24);     // top edge next to the window
    EXPECT_EQ(Grey(composite, 17, 50), 200 - 88);     // left edge
    EXPECT_EQ(Grey(composite, w - 18, 50), 200 - 88); // right edge
    EXPECT_EQ(Grey(composite, 60, h - 18), 200 - 160);// bottom edge, darkest
    EXPECT_EQ(Grey(composite, 60, 45), 200);          // the window's inside is the capture
}

}  // namespace
}  // namespace veskel
