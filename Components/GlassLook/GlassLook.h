#pragma once
// The look shared by the glass controls, beside the HLS arithmetic of GlassTint:
//  - GlassSkin: a stock skin from the program's embedded PNG (or BMP) bytes, decoded once per process and
//    shared by every control that shows it (the pixels are those of a fresh decode).
//  - TintedSkin: a recoloured copy of a skin that the colour setters only mark stale; the next
//    paint (or the next look at it) tints it once, however many offsets were set meanwhile.
//  - DrawGlassCaption: the anti-aliased caption, drawn 3 x 3 supersampled and box-filtered over
//    what the canvas already holds.
#include <string_view>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/Rounding.h"

namespace veskel {

// The decoded skin of an embedded PNG ("Components/SGlassButton/res/GlassButtonNormal.png"), or
// of an embedded BMP when the name ends in ".bmp".
// Decoded on first use; the reference stays valid for the rest of the process. A missing or
// undecodable resource throws, as a fresh decode would.
const Picture& GlassSkin(std::string_view resourceName);

// A skin shown as it is or tinted with TintSkin (GlassTint.h) by hue / lightness / saturation
// offsets. The tint is computed when first needed after a change, in the rounding mode that was
// in force when the change was made, so deferring it changes no pixel.
class TintedSkin {
public:
    // Shows the source as it is (a tint at offsets 0 is not an identity, so "untinted" is a state).
    void SetUntinted(const Picture& source);
    // Shows the source tinted with the offsets.
    void SetTinted(const Picture& source, int hue, int lightness, int saturation);
    // The skin to draw (tinted now if it is stale). Empty before the first Set.
    const Picture& Get() const;
    bool Stale() const { return stale_; }

private:
    const Picture* source_ = nullptr;
    bool tinted_ = false;
    int hue_ = 0;
    int lightness_ = 0;
    int saturation_ = 0;
    RoundingMode mode_ = RoundingMode::NearestEven;
    mutable bool stale_ = false;
    mutable Picture built_;
};

// The caption box of a text: its extent in the font plus 2 pixels of margin on every side.
Size GlassCaptionSize(Canvas& canvas, std::string_view text, const Font& font);

// Draws text anti-aliased with its caption box's top-left at `at` (logical), only where the box
// lies inside `bounds` (logical; usually the control's client rectangle): the text is drawn in
// black on white at three times the font's size with its top-left at (4, 1) of the enlarged box,
// each 3 x 3 block gives a coverage a = sum of its red bytes div 9 (255 = no ink), and every
// channel v of the pixel beneath becomes round(v * a / 255 + ink * (255 - a) / 255) in the
// process rounding mode. Only the visible part is supersampled, so a very long caption costs no
// more than its control. Leaves canvas.font set to `font`. `cache`, when given, holds the
// filtered caption between paints (any bitmap; it is resized as needed).
void DrawGlassCaption(Canvas& canvas, std::string_view text, const Font& font, Point at, int ink, const Rect& bounds,
                      Bitmap* cache = nullptr);

// The focus ring of the glass family: a soft blue band along the inside of `ring`, two pixels
// wide, blended over what is beneath (light outside, strong inside) with its corners rounded off.
void DrawGlassFocusRing(Canvas& canvas, const Rect& ring);

}  // namespace veskel
