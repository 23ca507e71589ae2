#pragma once
// GDI-like drawing on a Bitmap with the classic platform's pixel rules: rectangles are
// (left, top)-(right, bottom) with right and bottom exclusive, lines leave out their end
// point, outlines are one pixel wide. All coordinates are logical: device = logical + origin,
// and everything is clipped to the clip rectangle (device coordinates) and the bitmap.
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

// Flags for Canvas::DrawText.
enum DrawTextFlags : unsigned {
    kDtLeft = 0,
    kDtCenter = 1,
    kDtRight = 2,
    kDtVCenter = 4,
    kDtBottom = 8,
    kDtWordBreak = 16,
    kDtSingleLine = 32,
    kDtCalcRect = 1024,  // measure only: adjusts the rectangle's bottom (and right), draws nothing
};

class Canvas {
public:
    explicit Canvas(Bitmap& target);

    Bitmap& Target() { return *target_; }
    const Bitmap& Target() const { return *target_; }

    Pen pen;
    Brush brush;
    Font font;

    // ---- coordinate system and clipping
    void SetOrigin(Point origin) { origin_ = origin; }
    Point Origin() const { return origin_; }
    // Clip rectangle in device coordinates, always within the bitmap.
    void SetClipRect(const Rect& deviceRect);
    void ResetClip();
    Rect ClipRect() const { return clip_; }
    // Narrows the clip to a rectangle given in logical coordinates.
    void IntersectClip(const Rect& logicalRect);

    // ---- pixels
    // Colour at a logical position; black outside the bitmap (clip does not apply to reads).
    Color Pixel(int x, int y) const;
    // Sets a pixel with the current pen mode ignored (plain copy); clipped.
    void SetPixel(int x, int y, Color c);

    // ---- shapes
    void FillRect(const Rect& r);                         // brush only, no outline
    void FrameRect(const Rect& r, Color c);               // one-pixel frame inside r
    void Rectangle(const Rect& r);                        // pen outline inside r, brush inside that
    void RoundRect(const Rect& r, int ellipseWidth, int ellipseHeight);
    void Ellipse(const Rect& r);
    void Polygon(const std::vector<Point>& points);       // pen outline, brush fill (alternate)
    void MoveTo(int x, int y);
    void LineTo(int x, int y);                            // end point excluded; pen moves there
    Point PenPosition() const { return penPos_; }

    // ---- images
    // Copies src's srcRect with its top-left at (x, y) (BitBlt).
    void CopyFrom(int x, int y, const Bitmap& src, const Rect& srcRect);
    void Draw(int x, int y, const Bitmap& src) { CopyFrom(x, y, src, src.Bounds()); }
    // Draws a picture at its own size: with alpha by (s*a + 255 + (255-a)*d) div 256 per
    // channel, without alpha as a plain copy.
    void Draw(int x, int y, const Picture& pic);
    // Stretches srcRect of src onto dst with area-averaging resampling (StretchBlt HALFTONE).
    void StretchDraw(const Rect& dst, const Bitmap& src, const Rect& srcRect);
    void StretchDraw(const Rect& dst, const Bitmap& src) { StretchDraw(dst, src, src.Bounds()); }

    // ---- text (implemented by the font engine in platform/text)
    // Transparent background: only glyph pixels are painted, in font.color. (x, y) is the
    // top-left corner of the character cell. UTF-8.
    void TextOut(int x, int y, std::string_view text);
    Size TextExtent(std::string_view text);               // width = sum of advances, height = line height
    int TextWidth(std::string_view text) { return TextExtent(text).width; }
    int TextHeight(std::string_view text) { return TextExtent(text).height; }
    // Draws text inside r with DrawTextFlags; returns the height of the text drawn. With
    // kDtCalcRect nothing is drawn and r's bottom (and right, for single lines) is adjusted.
    int DrawText(std::string_view text, Rect& r, unsigned flags);

private:
    Bitmap* target_;
    Point origin_{};
    Rect clip_{};
    Point penPos_{};
};

// Draws a picture onto a bitmap at (x, y), clipped to the bitmap: the banner's layer composite.
void LayerComposite(Bitmap& dst, const Picture& pic, int x, int y);

}  // namespace veskel
