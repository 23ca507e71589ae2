#include "Components/StaticShadow/ShadowFrame.h"

#include <algorithm>
#include <cstdlib>

#include "platform/Resources.h"
#include "platform/codecs/Codecs.h"

namespace veskel {

namespace {

Bitmap LoadPiece(const char* name) {
    return DecodePng(Resource(std::string("Components/StaticShadow/res/") + name)).color;
}

// A horizontal edge: every column is the tile's first column.
Bitmap RepeatColumns(const Bitmap& tile, int width) {
    Bitmap out(width, tile.Height());
    for (int y = 0; y < out.Height(); ++y)
        for (int x = 0; x < out.Width(); ++x) out.SetPixel(x, y, tile.Pixel(0, y));
    return out;
}

// A vertical edge: every row is the tile's first row.
Bitmap RepeatRows(const Bitmap& tile, int height) {
    Bitmap out(tile.Width(), height);
    for (int y = 0; y < out.Height(); ++y) std::copy_n(tile.Row(0), tile.RowBytes(), out.Row(y));
    return out;
}

}  // namespace

ShadowPieces LoadShadowPieces() {
    ShadowPieces p;
    p.topLeft = LoadPiece("ShadowTopLeft.png");
    p.topRight = LoadPiece("ShadowTopRight.png");
    p.bottomLeft = LoadPiece("ShadowBottomLeft.png");
    p.bottomRight = LoadPiece("ShadowBottomRight.png");
    p.top = LoadPiece("ShadowTop.png");
    p.bottom = LoadPiece("ShadowBottom.png");
    p.left = LoadPiece("ShadowLeft.png");
    p.right = LoadPiece("ShadowRight.png");
    return p;
}

StretchedEdges StretchShadowEdges(const ShadowPieces& pieces, int width, int height) {
    StretchedEdges e;
    // Empty bitmaps come out of a size that is not positive.
    e.top = RepeatColumns(pieces.top, width - 36);
    e.bottom = RepeatColumns(pieces.bottom, width - 68);
    const int side = std::abs(height - 52);
    e.left = RepeatRows(pieces.left, side);
    e.right = RepeatRows(pieces.right, side);
    return e;
}

void BurnShadowPiece(Bitmap& composite, const Bitmap& capture, const Bitmap& piece, int x, int y) {
    const int maxW = std::min(composite.Width(), capture.Width());
    const int maxH = std::min(composite.Height(), capture.Height());
    for (int py = 0; py < piece.Height(); ++py) {
        const long long cy = (long long)y + py;
        if (cy < 0 || cy >= maxH) continue;
        const std::uint8_t* p = piece.Row(py);
        const std::uint8_t* s = capture.Row(int(cy));
        std::uint8_t* d = composite.Row(int(cy));
        for (int px = 0; px < piece.Width(); ++px) {
            const long long cx = (long long)x + px;
            if (cx < 0 || cx >= maxW) continue;
            for (int k = 0; k < 3; ++k) {
                const int darken = 255 - p[3 * px + k];
                d[3 * cx + k] = std::uint8_t(std::max(0, s[3 * cx + k] - darken));
            }
        }
    }
}

void ComposeShadow(Bitmap& composite, const Bitmap& capture, const ShadowPieces& pieces, const StretchedEdges& edges) {
    const int w = composite.Width(), h = composite.Height();
    // The composite starts as the capture, as far as the capture reaches.
    for (int y = 0; y < std::min(h, capture.Height()); ++y)
        std::copy_n(capture.Row(y), 3 * std::size_t(std::min(w, capture.Width())), composite.Row(y));
    BurnShadowPieces(composite, capture, pieces, edges);
}

void BurnShadowPieces(Bitmap& composite, const Bitmap& capture, const ShadowPieces& pieces, const StretchedEdges& edges) {
    const int w = composite.Width(), h = composite.Height();
    BurnShadowPiece(composite, capture, pieces.topLeft, 0, 0);
    BurnShadowPiece(composite, capture, pieces.topRight, w - 18, 0);
    BurnShadowPiece(composite, capture, pieces.bottomLeft, 0, h - 18);
    BurnShadowPiece(composite, capture, pieces.bottomRight, w - 34, h - 18);
    BurnShadowPiece(composite, capture, edges.top, 18, 0);
    BurnShadowPiece(composite, capture, edges.bottom, 34, h - 18);
    BurnShadowPiece(composite, capture, edges.left, 0, 34);
    BurnShadowPiece(composite, capture, edges.right, w - 18, 34);
}

std::vector<std::uint8_t> ShadowOpacity(const ShadowPieces& pieces, const StretchedEdges& edges, int width,
                                        int height) {
    if (width <= 0 || height <= 0) return {};
    // Burnt into black over a white screen, each pixel of a piece keeps its own value p, and
    // black over the desktop at opacity 255 - p darkens it by the piece's factor p / 255. What no
    // piece covers (the window's inside) stays black: opaque.
    Bitmap burnt(width, height);
    Bitmap white(width, height);
    white.Fill(RGB(255, 255, 255));
    BurnShadowPieces(burnt, white, pieces, edges);
    std::vector<std::uint8_t> opacity(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = burnt.Row(y);
        for (int x = 0; x < width; ++x) opacity[std::size_t(y) * std::size_t(width) + std::size_t(x)] = std::uint8_t(255 - row[3 * x]);
    }
    return opacity;
}

}  // namespace veskel
