#include "Components/QorBackground/QorBackground.h"

#include "platform/graphics/DirectedFloat.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {

namespace {

// The two byte-sized properties refuse what a byte cannot hold rather than wrapping it.
std::uint8_t CheckedByte(int v, const char* what) {
    if (v < 0 || v > 255)
        throw LayoutError(std::string(what) + " must lie between 0 and 255, not " + std::to_string(v));
    return std::uint8_t(v);
}

}  // namespace

TQorBackground::TQorBackground() { SetBounds(0, 0, 100, 100); }

const PropertyTable& TQorBackground::StoredProperties() const {
    static const PropertyTable table = PropertyTable(GraphicControl::StoredProperties())
        .Add("Color1", &TQorBackground::Color1, &TQorBackground::SetColor1, Color(0))
        .Add("Color2", &TQorBackground::Color2, &TQorBackground::SetColor2, Color(0))
        .Add("Space", &TQorBackground::Space, &TQorBackground::SetSpace, 0)
        .Add("SpaceWidth", &TQorBackground::SpaceWidth, &TQorBackground::SetSpaceWidth, 0);
    return table;
}

void TQorBackground::SetColor1(Color c) {
    color1_ = c;
    Repaint();
}

void TQorBackground::SetColor2(Color c) {
    color2_ = c;
    Repaint();
}

void TQorBackground::SetSpace(int v) {
    space_ = CheckedByte(v, "Space");
    Repaint();
}

void TQorBackground::SetSpaceWidth(int v) {
    spaceWidth_ = CheckedByte(v, "SpaceWidth");
    Repaint();
}

void TQorBackground::Paint(Canvas& canvas) {
    if (space_ == 0) space_ = 1;
    const int band = space_ * spaceWidth_;
    if (band == 0) return;  // no rows per band: nothing to paint
    FloatRoundingScope mode;
    // The band count is kept as the 16-bit number it is stored in.
    unsigned n = std::uint16_t(Round(Height() / ModeDouble(band)));
    if (n == 0) n = 1;
    const int c1[3] = {GetR(color1_), GetG(color1_), GetB(color1_)};
    const int c2[3] = {GetR(color2_), GetG(color2_), GetB(color2_)};
    for (unsigned b = 0; b < n; ++b) {
        const long long top = (long long)b * band;
        if (top >= Height()) break;  // every later band lies below the control as well
        int rgb[3];
        for (int k = 0; k < 3; ++k) rgb[k] = Round(c1[k] * ModeDouble(n - b) / n + c2[k] * ModeDouble(b) / n);
        canvas.brush.color = RGB(rgb[0], rgb[1], rgb[2]);
        canvas.brush.style = BrushStyle::Solid;
        canvas.FillRect({0, int(top), Width(), int(top) + spaceWidth_});
    }
}

}  // namespace veskel
