#include "Components/SGlassButton/SGlassButton.h"

#include <algorithm>

#include "Components/GlassTint/GlassTint.h"
#include "platform/Resources.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Rounding.h"
#include "platform/ui/StoredLayout.h"

namespace veskel {

namespace {

constexpr const char* kSkinNormal = "Components/SGlassButton/res/GlassButtonNormal.png";
constexpr const char* kSkinBlue = "Components/SGlassButton/res/GlassButtonBlue.png";
constexpr const char* kSkinSmall = "Components/SGlassButton/res/GlassButtonSmall.png";

// Caption geometry: the caption bitmap has a 2-pixel margin round the text (4 pixels on the
// supersampled one), and sits 5 pixels from the top (6 while pressed).
constexpr int kCaptionTop = 5;
constexpr int kCaptionPressedTop = 6;
constexpr int kInkPressed = 50;
constexpr int kInkEnabled = 0;
constexpr int kInkDisabled = 170;

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

Picture LoadGlassButtonSkin(GlassButtonSkin skin) {
    const char* name = skin == GlassButtonSkin::Blue ? kSkinBlue : skin == GlassButtonSkin::Small ? kSkinSmall : kSkinNormal;
    return DecodePng(Resource(name));
}

TGlassButton::TGlassButton() {
    SetBounds(0, 0, 91, 25);
    Font f;
    f.family = "Tahoma";
    f.color = RGB(20, 20, 20);
    SetFont(f);
    // Press and release are the button's own business, for every mouse button.
    SetHandlesPressRelease(true);
    normalSkin_ = LoadGlassButtonSkin(GlassButtonSkin::Normal);
    hoverSkin_ = normalSkin_;  // untinted until a colour property is set
}

// ---------------------------------------------------------------- properties

void TGlassButton::SetBlueButton(bool v) {
    blueButton_ = v;
    normalSkin_ = LoadGlassButtonSkin(v ? GlassButtonSkin::Blue : GlassButtonSkin::Normal);
    hoverSkin_ = normalSkin_;
    if (v) {
        SetHUE(0);
        SetLightness(10);
        SetSaturation(-20);
    }
    Repaint();
}

void TGlassButton::SetSmallButton(bool v) {
    smallButton_ = v;
    GlassButtonSkin skin = v ? GlassButtonSkin::Small : defaultButton_ ? GlassButtonSkin::Blue : GlassButtonSkin::Normal;
    normalSkin_ = LoadGlassButtonSkin(skin);
    hoverSkin_ = normalSkin_;
    TintSkin(hoverSkin_, hue_, lightness_, saturation_);
    Repaint();
}

void TGlassButton::SetDefaultButton(bool v) {
    defaultButton_ = v;
    normalSkin_ = LoadGlassButtonSkin(v ? GlassButtonSkin::Blue : GlassButtonSkin::Normal);
    if (v) {
        SetHUE(0);
        SetLightness(10);
        SetSaturation(-20);
    }
    Repaint();
}

// The colour setters always start from a fresh full-size skin, so offsets never accumulate.
// They look only at DefaultButton, whatever SmallButton says.
void TGlassButton::ReloadHoverSkin() {
    hoverSkin_ = LoadGlassButtonSkin(defaultButton_ ? GlassButtonSkin::Blue : GlassButtonSkin::Normal);
    TintSkin(hoverSkin_, hue_, lightness_, saturation_);
    Repaint();
}

void TGlassButton::SetLightness(int v) {
    lightness_ = v;
    ReloadHoverSkin();
}

void TGlassButton::SetHUE(int v) {
    hue_ = v;
    ReloadHoverSkin();
}

void TGlassButton::SetSaturation(int v) {
    saturation_ = v;
    ReloadHoverSkin();
}

void TGlassButton::SetButtonText(std::string text) {
    buttonText_ = std::move(text);
    Repaint();
}

bool TGlassButton::SetProperty(std::string_view name, const LayoutValue& value) {
    if (EqualsNoCase(name, "BlueButton")) SetBlueButton(value.AsBool());
    else if (EqualsNoCase(name, "SmallButton")) SetSmallButton(value.AsBool());
    else if (EqualsNoCase(name, "DefaultButton")) SetDefaultButton(value.AsBool());
    else if (EqualsNoCase(name, "Lightness")) SetLightness(value.AsInt32());
    else if (EqualsNoCase(name, "HUE")) SetHUE(value.AsInt32());
    else if (EqualsNoCase(name, "Saturation")) SetSaturation(value.AsInt32());
    else if (EqualsNoCase(name, "ButtonText")) SetButtonText(value.AsString());
    else return GraphicControl::SetProperty(name, value);
    return true;
}

void TGlassButton::GetProperties(std::vector<LayoutProperty>& out) const {
    GraphicControl::GetProperties(out);
    if (blueButton_) out.push_back({"BlueButton", LayoutValue::Bool(true)});
    if (smallButton_) out.push_back({"SmallButton", LayoutValue::Bool(true)});
    if (defaultButton_) out.push_back({"DefaultButton", LayoutValue::Bool(true)});
    out.push_back({"Lightness", LayoutValue::Int(lightness_)});
    out.push_back({"HUE", LayoutValue::Int(hue_)});
    out.push_back({"Saturation", LayoutValue::Int(saturation_)});
    out.push_back({"ButtonText", LayoutValue::Str(buttonText_)});
}

// ---------------------------------------------------------------- painting

void TGlassButton::Paint(Canvas& canvas) {
    if (!Visible()) return;
    const Picture& skin = blueButton_ ? normalSkin_ : hovered_ ? hoverSkin_ : normalSkin_;
    canvas.Draw(0, 0, skin);
    canvas.font = GetFont();
    PaintCaption(canvas);
}

void TGlassButton::PaintCaption(Canvas& canvas) {
    // The caption is always Verdana, whatever Font says; the style comes from Font.
    Font small = GetFont();
    small.family = "Verdana";
    small.size = 9;
    small.pixelHeight = 0;
    canvas.font = small;
    const Size text = canvas.TextExtent(buttonText_);
    const int cacheW = text.width + 4;
    const int cacheH = text.height + 4;

    const int x = Round(Width() / 2.0 - cacheW / 2.0);
    const int y = pressed_ ? kCaptionPressedTop : kCaptionTop;

    // Only the part of the caption inside the button can show (the rest is clipped), so only that
    // part is supersampled and filtered: a very long caption costs no more memory than the button.
    const int cx0 = std::max(0, -x);
    const int cy0 = std::max(0, -y);
    const int cx1 = std::min(cacheW, Width() - x);
    const int cy1 = std::min(cacheH, Height() - y);
    if (cx1 <= cx0 || cy1 <= cy0) return;

    // Black text on white at three times the size; its top-left at (4, 1) of the full caption
    // bitmap, which this piece starts at (3 * cx0, 3 * cy0) of.
    Bitmap big(3 * (cx1 - cx0), 3 * (cy1 - cy0));
    big.Fill(kWhite);
    {
        Canvas bc(big);
        Font large = small;
        large.size = 27;
        large.color = kBlack;
        bc.font = large;
        bc.TextOut(4 - 3 * cx0, 1 - 3 * cy0, buttonText_);
    }

    // The skin under the caption, then the ink blended over it by coverage.
    captionCache_.Reset(cx1 - cx0, cy1 - cy0);
    const int ink = pressed_ ? kInkPressed : Enabled() ? kInkEnabled : kInkDisabled;
    FloatRoundingScope mode;
    for (int cy = 0; cy < captionCache_.Height(); ++cy) {
        std::uint8_t* row = captionCache_.Row(cy);
        for (int cx = 0; cx < captionCache_.Width(); ++cx) {
            int sum = 0;
            for (int sy = 0; sy < 3; ++sy) {
                const std::uint8_t* src = big.Row(3 * cy + sy) + 3 * std::size_t(3 * cx);
                sum += src[2] + src[5] + src[8];  // red bytes; the bitmap is grey
            }
            const int a = sum / 9;  // 255 = no ink
            const Color under = canvas.Pixel(x + cx0 + cx, y + cy0 + cy);
            const int channels[3] = {GetB(under), GetG(under), GetR(under)};
            for (int k = 0; k < 3; ++k) {
                row[3 * cx + k] = std::uint8_t(Round(channels[k] * double(a) / 255.0 + ink * double(255 - a) / 255.0));
            }
        }
    }
    canvas.Draw(x + cx0, y + cy0, captionCache_);
}

// ---------------------------------------------------------------- pointer

void TGlassButton::MouseDown(MouseButton, ShiftState, int, int) {
    pressed_ = true;
    Repaint();
}

void TGlassButton::MouseUp(MouseButton, ShiftState, int, int) {
    pressed_ = false;
    Repaint();
}

void TGlassButton::MouseEnter() {
    if (!Enabled()) return;
    hovered_ = true;
    Repaint();
    GraphicControl::MouseEnter();
}

void TGlassButton::MouseLeave() {
    hovered_ = false;
    pressed_ = false;
    Repaint();
    GraphicControl::MouseLeave();
}

void TGlassButton::EnabledChanged() {
    // A button disabled under the pointer (typically by its own click handler) shows its normal
    // skin at once rather than keeping the hover skin until the pointer leaves.
    if (!Enabled()) {
        hovered_ = false;
        pressed_ = false;
    }
}

void RegisterGlassButtonClass() {
    RegisterControlClass("TGlassButton", [] { return std::make_unique<TGlassButton>(); });
}

}  // namespace veskel
