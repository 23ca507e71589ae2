#pragma once
// GDI-like drawing on a Bitmap with the classic platform's pixel rules: rectangles are
// (left, top)-(right, bottom) with right and bottom exclusive, lines leave out their end
// point, outlines are one pixel wide. All coordinates are logical: device = logical + origin,
// and everything is clipped to the clip rectangle (device coordinates) and the bitmap. Any int
// coordinates are safe; only the visible part of a shape is ever walked.
//
// Details a caller may rely on:
// - Lines light, at every step along their longer axis, the pixel nearest the exact line; where
//   the line passes exactly halfway, the upper pixel (flat lines) or the left one (steep lines).
//   The same pixels light whichever way a line is drawn, apart from the end points.
// - Rectangle, RoundRect and Ellipse sort their corners. With a pen they cover the whole
//   rectangle, outline on its outermost pixels; with a clear pen the fill alone covers one
//   column and one row less (right and bottom), as on the classic platform.
// - Polygon fills pixels whose centres lie inside (alternate rule; a centre on a left or top edge
//   is inside, on a right or bottom edge outside), then draws every edge with the pen.
// - PenMode::Xor combines outlines with the pen colour and the fills of Rectangle, RoundRect,
//   Ellipse and Polygon with the brush; FillRect, FrameRect and SetPixel always copy.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Picture.h"

namespace veskel {

enum class PenStyle { Solid, Clear };
enum class PenMode { Copy, Xor };

struct Pen {
    Color color = kBlack;
    PenStyle style = PenStyle::Solid;
    PenMode mode = PenMode::Copy;
};

enum class BrushStyle { Solid, Clear, Pattern };

struct Brush {
    Color color = kWhite;
    BrushStyle style = BrushStyle::Solid;
    // For BrushStyle::Pattern: tiled from the device origin (0, 0) of the target bitmap.
    std::shared_ptr<const Bitmap> pattern;
};

class Canvas {
public:
    explicit Canvas(Bitmap& target);

    Bitmap& Target() { return *target_; }
    const Bitmap& Target() const { return *target_; }

    Pen pen;
    Brush brush;
    Font font;  // the font text is drawn in

    // ---- coordinate system and clipping
    void SetOrigin(Point origin) { origin_ = origin; }
    Point Origin() const { return origin_; }
    // Clip rectangle in device coordinates, always within the bitmap.
    void SetClipRect(const Rect& deviceRect);
    void ResetClip();
    Rect ClipRect() const { return clip_; }
    // Narrows the clip to a rectangle given in logical coordinates.
    void IntersectClip(const Rect& logicalRect);
    // The clip as it applies now (within the bitmap), in logical coordinates: the only pixels
    // that drawing can change. A control that prepares pixels of its own (a copy of what lies
    // beneath it, an enlarged rendering of its text) needs to prepare no more than this part of
    // its rectangle, however large the rectangle is. Empty when nothing can be drawn.
    Rect VisibleRect() const;

    // ---- pixels
    // Colour at a logical position; black outside the bitmap (clip does not apply to reads).
    Color Pixel(int x, int y) const;
    // Sets a pixel with the current pen mode ignored (plain copy); clipped.
    void SetPixel(int x, int y, Color c);

    // ---- shapes
    void FillRect(const Rect& r);                         // brush only, no outline
    void FrameRect(const Rect& r, Color c);               // one-pixel frame inside r, in colour c
    void Rectangle(const Rect& r);                        // pen outline inside r, brush inside that
    void RoundRect(const Rect& r, int ellipseWidth, int ellipseHeight);
    void Ellipse(const Rect& r);
    void Polygon(const std::vector<Point>& points);       // pen outline, brush fill (alternate)
    void MoveTo(int x, int y);
    void LineTo(int x, int y);                            // end point excluded; pen moves there
    Point PenPosition() const { return penPos_; }

    // ---- images
    // Copies src's srcRect with its top-left at (x, y) (BitBlt). Parts of srcRect outside src
    // are skipped; src may be the canvas's own bitmap, the rectangles may overlap.
    void CopyFrom(int x, int y, const Bitmap& src, const Rect& srcRect);
    void Draw(int x, int y, const Bitmap& src) { CopyFrom(x, y, src, src.Bounds()); }
    // Draws `count` copies of tile side by side, the first at (x, y), each tile.Width() right of
    // the one before, left to right: the same pixels as that many Draw calls, but only the
    // copies that reach into the clip are visited, so a bar of any length costs its visible part.
    void DrawTiledRow(int x, int y, const Bitmap& tile, long long count);
    // Draws a picture at its own size: with alpha by (s*a + 255 + (255-a)*d) div 256 per
    // channel, without alpha as a plain copy.
    void Draw(int x, int y, const Picture& pic);
    // Stretches srcRect of src onto dst with area-averaging resampling (StretchBlt HALFTONE).
    // Parts of srcRect outside src read as black; empty rectangles draw nothing.
    void StretchDraw(const Rect& dst, const Bitmap& src, const Rect& srcRect);
    void StretchDraw(const Rect& dst, const Bitmap& src) { StretchDraw(dst, src, src.Bounds()); }

private:
    Bitmap* target_;
    Point origin_{};
    Rect clip_{};
    Point penPos_{};
};

// Draws a picture onto a bitmap at (x, y), clipped to the bitmap: the banner's layer composite.
// With alpha every channel becomes (s * a + 255 + (255 - a) * d) div 256; without alpha (or with
// an alpha plane whose size does not match the picture) the picture is copied.
void LayerComposite(Bitmap& dst, const Picture& pic, int x, int y);

}  // namespace veskel
