#include "Components/SGlassButton/SGlassButton.h"

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Rounding.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/PropertyTable.h"

namespace veskel {

namespace {

// Caption: sits 5 pixels from the top (6 while pressed), in grey 0 (50 pressed, 170 disabled).
constexpr int kCaptionTop = 5;
constexpr int kCaptionPressedTop = 6;
constexpr int kInkPressed = 50;
constexpr int kInkEnabled = 0;
constexpr int kInkDisabled = 170;

}  // namespace

const Picture& LoadGlassButtonSkin(GlassButtonSkin skin) {
    switch (skin) {
        case GlassButtonSkin::Blue: return GlassSkin("Components/SGlassButton/res/GlassButtonBlue.png");
        case GlassButtonSkin::Small: return GlassSkin("Components/SGlassButton/res/GlassButtonSmall.png");
        case GlassButtonSkin::Normal: break;
    }
    return GlassSkin("Components/SGlassButton/res/GlassButtonNormal.png");
}

TGlassButton::TGlassButton() {
    SetBounds(0, 0, 91, 25);
    Font f;
    f.family = "Tahoma";
    f.color = RGB(20, 20, 20);
    SetFont(f);
    normalSkin_ = &LoadGlassButtonSkin(GlassButtonSkin::Normal);
    hoverSkin_.SetUntinted(*normalSkin_);  // untinted until a colour property is set
}

// ---------------------------------------------------------------- properties

const PropertyTable& TGlassButton::StoredProperties() const {
    static const PropertyTable table = PropertyTable(ButtonControl::StoredProperties())
        .Add("BlueButton", &TGlassButton::BlueButton, &TGlassButton::SetBlueButton, false)
        .Add("SmallButton", &TGlassButton::SmallButton, &TGlassButton::SetSmallButton, false)
        .Add("DefaultButton", &TGlassButton::DefaultButton, &TGlassButton::SetDefaultButton, false)
        .Add("Lightness", &TGlassButton::Lightness, &TGlassButton::SetLightness)
        .Add("HUE", &TGlassButton::HUE, &TGlassButton::SetHUE)
        .Add("Saturation", &TGlassButton::Saturation, &TGlassButton::SetSaturation)
        .Add("ButtonText", &TGlassButton::ButtonText, &TGlassButton::SetButtonText);
    return table;
}

void TGlassButton::SetBlueButton(bool v) {
    blueButton_ = v;
    normalSkin_ = &LoadGlassButtonSkin(v ? GlassButtonSkin::Blue : GlassButtonSkin::Normal);
    hoverSkin_.SetUntinted(*normalSkin_);
    if (v) {
        SetHUE(0);
        SetLightness(10);
        SetSaturation(-20);
    }
    Repaint();
}

void TGlassButton::SetSmallButton(bool v) {
    smallButton_ = v;
    normalSkin_ = &LoadGlassButtonSkin(v ? GlassButtonSkin::Small : defaultButton_ ? GlassButtonSkin::Blue : GlassButtonSkin::Normal);
    hoverSkin_.SetTinted(*normalSkin_, hue_, lightness_, saturation_);
    Repaint();
}

void TGlassButton::SetDefaultButton(bool v) {
    defaultButton_ = v;
    normalSkin_ = &LoadGlassButtonSkin(v ? GlassButtonSkin::Blue : GlassButtonSkin::Normal);
    if (v) {
        SetHUE(0);
        SetLightness(10);
        SetSaturation(-20);
    }
    Repaint();
}

// The colour setters always tint a fresh full-size skin, so offsets never accumulate. They look
// only at DefaultButton, whatever SmallButton says.
void TGlassButton::ReloadHoverSkin() {
    hoverSkin_.SetTinted(LoadGlassButtonSkin(defaultButton_ ? GlassButtonSkin::Blue : GlassButtonSkin::Normal), hue_,
                         lightness_, saturation_);
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

// ---------------------------------------------------------------- painting

void TGlassButton::Paint(Canvas& canvas) {
    if (!Visible()) return;
    canvas.Draw(0, 0, blueButton_ || !IsHovered() ? *normalSkin_ : hoverSkin_.Get());
    canvas.font = GetFont();

    // The caption is always Verdana 9, whatever Font says; the style comes from Font.
    Font small = GetFont();
    small.family = "Verdana";
    small.size = 9;
    small.pixelHeight = 0;
    const Size box = GlassCaptionSize(canvas, buttonText_, small);
    const Point at{Round(Width() / 2.0 - box.width / 2.0), IsPressed() ? kCaptionPressedTop : kCaptionTop};
    const int ink = IsPressed() ? kInkPressed : Enabled() ? kInkEnabled : kInkDisabled;
    DrawGlassCaption(canvas, buttonText_, small, at, ink, ClientRect(), &captionCache_);
}

void TGlassButton::Describe(AccessibleDescription& d) {
    ButtonControl::Describe(d);
    d.name = buttonText_;
}

}  // namespace veskel
