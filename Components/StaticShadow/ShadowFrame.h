#pragma once
// The soft shadow frame of a pop-up window: eight grey pieces (four corners and four edge tiles)
// burnt into a capture of the screen behind the window. White (255) in a piece leaves the screen
// as it is; darker values darken it: every channel becomes max(0, s - (255 - p)).
#include <cstdint>
#include <vector>

#include "platform/graphics/Bitmap.h"

namespace veskel {

struct ShadowPieces {
    Bitmap topLeft, topRight, bottomLeft, bottomRight;  // 18 x 34, 18 x 34, 34 x 18, 34 x 18
    Bitmap top, bottom, left, right;                    // edge tiles 23 x 18, 29 x 18, 18 x 25, 18 x 18
};

// The pieces as built into the program (decoded from their embedded images).
ShadowPieces LoadShadowPieces();

// The edge tiles stretched to a window of width x height: top (width - 36) x 18, bottom
// (width - 68) x 18, left and right 18 x |height - 52|. Every tile is uniform along its edge, so
// stretching repeats its profile. An edge without a positive length stays empty (a window too
// narrow for its corners shows the corners only).
struct StretchedEdges {
    Bitmap top, bottom, left, right;
};
StretchedEdges StretchShadowEdges(const ShadowPieces& pieces, int width, int height);

// Burns one piece into `composite` at (x, y), reading the screen from `capture` at the same
// position. Rows and columns outside the capture or the composite are skipped.
void BurnShadowPiece(Bitmap& composite, const Bitmap& capture, const Bitmap& piece, int x, int y);

// The whole frame for a window of the composite's size: the capture copied, then the corners and
// edges burnt in at their places (top-left (0, 0), top-right (W - 18, 0), bottom-left (0, H - 18),
// bottom-right (W - 34, H - 18), top (18, 0), bottom (34, H - 18), left (0, 34), right (W - 18, 34)).
void ComposeShadow(Bitmap& composite, const Bitmap& capture, const ShadowPieces& pieces, const StretchedEdges& edges);
// The corners and edges alone burnt in at those places (the composite already holds the capture).
void BurnShadowPieces(Bitmap& composite, const Bitmap& capture, const ShadowPieces& pieces, const StretchedEdges& edges);

// The frame as per-pixel opacity, for a desktop that composites windows: one byte a pixel, rows
// top first. Black at this opacity over the desktop darkens it as the pieces do (by p / 255
// where the burn subtracts 255 - p: the same at white, gentler on dark colours); 0 where a piece
// is white, 255 wherever no piece lies (the window's inside).
std::vector<std::uint8_t> ShadowOpacity(const ShadowPieces& pieces, const StretchedEdges& edges, int width, int height);

}  // namespace veskel
