#include "Components/SmallGlassButton/SmallGlassButton.h"

#include <algorithm>

#include "platform/Resources.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Rounding.h"
#include "platform/text/CodePage.h"
#include "platform/text/CanvasText.h"

namespace veskel {

namespace {

constexpr int kCapWidth = 4;
constexpr int kTileWidth = 28;

// The three stock bitmaps, decoded once for the process (every button shows the same pixels).
struct BarBitmaps {
    Bitmap left, middle, right;
};

const BarBitmaps& Bar() {
    static const BarBitmaps bar{
        DecodeBmp(Resource("Components/SmallGlassButton/res/SmallGlassLeft.bmp")).color,
        DecodeBmp(Resource("Components/SmallGlassButton/res/SmallGlassMiddle.bmp")).color,
        DecodeBmp(Resource("Components/SmallGlassButton/res/SmallGlassRight.bmp")).color,
    };
    return bar;
}

// The caption as the button shows it: through the single-byte code page, so a character the code
// page lacks shows as '?' (the caption is never refused).
std::string ThroughAnsi(const std::string& utf8) {
    std::string out;
    for (char32_t c : DecodeUtf8Lossy(utf8)) {
        const std::string one = EncodeUtf8(std::u32string_view(&c, 1));
        out += TryUtf8ToCp1251(one) ? one : std::string("?");
    }
    return out;
}

}  // namespace

int SmallGlassTileCount(int width) {
    return std::max(1, Round((width - kCapWidth - kCapWidth) / double(kTileWidth)) + 1);
}

TSmallGlassButton::TSmallGlassButton() {
    // Leaving resets only the caption's colour: dragged off and back with the button held, the
    // caption sinks again.
    SetLeavingEndsPress(false);
    SetBounds(0, 0, 32, kBarHeight);
    Font f;
    f.family = "Small Fonts";
    f.size = 6;
    f.color = kRestColor;
    SetFont(f);
    SetCaption("Text");
    background_.Reset(32, kBarHeight);
}

const PropertyTable& TSmallGlassButton::StoredProperties() const {
    // The font is published as "font"; the base table's "Font." group reads any case.
    static const PropertyTable table =
        PropertyTable(ButtonControl::StoredProperties()).Add("Caption", &Control::Caption, &Control::SetCaption, std::string("Text"));
    return table;
}

void TSmallGlassButton::SetBounds(int left, int top, int width, int /*height*/) {
    ButtonControl::SetBounds(left, top, width, kBarHeight);
}

void TSmallGlassButton::CalculateBG(Canvas& canvas) {
    canvas.font = GetFont();
    // A button may be far wider than anything that shows it; copying (and holding) its whole
    // nominal area at every paint would cost time and memory for pixels no one sees.
    const Rect part = ClientRect().Intersect(canvas.VisibleRect());
    backgroundAt_ = {part.left, part.top};
    background_.Reset(part.Width(), part.Height());
    for (int y = 0; y < background_.Height(); ++y)
        for (int x = 0; x < background_.Width(); ++x)
            background_.SetPixel(x, y, canvas.Pixel(part.left + x, part.top + y));
}

void TSmallGlassButton::Paint(Canvas& canvas) {
    const BarBitmaps& bar = Bar();
    canvas.Draw(0, 0, bar.left);
    canvas.DrawTiledRow(kCapWidth, 0, bar.middle, SmallGlassTileCount(Width()));
    canvas.Draw(Width() - kCapWidth, 0, bar.right);

    CalculateBG(canvas);
    canvas.Draw(backgroundAt_.x, backgroundAt_.y, background_);

    const std::string text = ThroughAnsi(Caption());
    const Size extent = TextExtent(canvas, text);
    const int x = Round(Width() / 2.0 - extent.width / 2.0);
    const int y = Round((Height() - 1) / 2.0 - extent.height / 2.0) - (IsPressed() ? 1 : 2);
    TextOut(canvas, x, y, text);

    if (++paintCount_ > 5) paintCount_ = 4;
}

void TSmallGlassButton::MouseEnter() {
    if (paintCount_ >= 1) MutableFont().color = kHoverColor;
    ButtonControl::MouseEnter();  // repaints
}

void TSmallGlassButton::MouseLeave() {
    MutableFont().color = kRestColor;
    ButtonControl::MouseLeave();  // repaints
}

}  // namespace veskel
