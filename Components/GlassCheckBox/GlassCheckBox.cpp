#include "Components/GlassCheckBox/GlassCheckBox.h"

#include "platform/graphics/Rounding.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/ChangeNotice.h"
#include "platform/text/CanvasText.h"

namespace veskel {

namespace {
constexpr const char* kCheckedSkin = "Components/GlassCheckBox/res/GlassCheckChecked.png";
constexpr const char* kUncheckedSkin = "Components/GlassCheckBox/res/GlassCheckUnchecked.png";
constexpr int kCaptionGap = 4;
}  // namespace

TGlassCheckBox::TGlassCheckBox() {
    SetBounds(0, 0, 100, 17);
    SetCursor(kCrHandPoint);
    // Press and release of every button are the box's own; the framework still raises OnClick
    // after a left press and release over it.
    SetHandlesPressRelease(true);
    SetKeyboardStop(true);
    checkedSkin_.SetUntinted(GlassSkin(kCheckedSkin));
}

const PropertyTable& TGlassCheckBox::StoredProperties() const {
    static const PropertyTable table = PropertyTable(GraphicControl::StoredProperties())
        .Add("Checked", &TGlassCheckBox::Checked, &TGlassCheckBox::SetChecked, false)
        .Add("GlassColor", &TGlassCheckBox::GlassColor, &TGlassCheckBox::SetGlassColor)
        .Add("GlassLightness", &TGlassCheckBox::GlassLightness, &TGlassCheckBox::SetGlassLightness)
        .Add("GlassSaturation", &TGlassCheckBox::GlassSaturation, &TGlassCheckBox::SetGlassSaturation)
        .Event("OnChange", &TGlassCheckBox::OnChange);
    return table;
}

const Picture& TGlassCheckBox::UncheckedSkin() const { return GlassSkin(kUncheckedSkin); }

void TGlassCheckBox::SetChecked(bool v) {
    checked_ = v;
    Repaint();
}

// Each colour setter starts again from the stock skin, so offsets never accumulate; a stored
// layout that carries them leaves a tinted skin even at offsets 0.
void TGlassCheckBox::Retint() {
    checkedSkin_.SetTinted(GlassSkin(kCheckedSkin), glassColor_, glassLightness_, glassSaturation_);
    Repaint();
}

void TGlassCheckBox::SetGlassColor(int v) {
    glassColor_ = v;
    Retint();
}

void TGlassCheckBox::SetGlassLightness(int v) {
    glassLightness_ = v;
    Retint();
}

void TGlassCheckBox::SetGlassSaturation(int v) {
    glassSaturation_ = v;
    Retint();
}

void TGlassCheckBox::Paint(Canvas& canvas) {
    const Picture& checked = checkedSkin_.Get();
    // Both states are placed by the checked skin's size.
    const int top = Round(Height() / 2.0 - checked.Height() / 2.0);
    canvas.Draw(0, top, checked_ ? checked : UncheckedSkin());
    canvas.font = GetFont();
    const int th = TextHeight(canvas, Caption());
    TextOut(canvas, checked.Width() + kCaptionGap, Round(Height() / 2.0 - th / 2.0), Caption());
}

void TGlassCheckBox::MouseDown(MouseButton, ShiftState, int, int) {
    // Toggle and show it, raise OnChange, then the parent's change notice, only when someone listens.
    SetChecked(!checked_);
    if (OnChange) {
        OnChange(*this);
        SendChangeNotice(*this);
    }
}

// Space and Enter are the mouse's press and, when let go, its click.
void TGlassCheckBox::KeyDown(int& key, ShiftState shift) {
    GraphicControl::KeyDown(key, shift);
    if ((key != kKeySpace && key != kKeyReturn) || (shift & (kCtrl | kAlt))) return;
    if (pressKey_ != key) {
        pressKey_ = key;
        MouseDown(MouseButton::Left, kLeftHeld, 0, 0);
    }
    key = 0;
}

void TGlassCheckBox::KeyUp(int key, ShiftState shift) {
    GraphicControl::KeyUp(key, shift);
    if (key != pressKey_) return;
    pressKey_ = 0;
    Click();
}

void TGlassCheckBox::Describe(AccessibleDescription& d) {
    d.role = AccessibleRole::CheckBox;
    d.name = NameFromLabel(Caption());  // a caption that leads on to a control ends in a colon
    d.checkable = true;
    d.checked = checked_;
    d.actions.push_back({AccessibleActionKind::Toggle, [this] { MouseDown(MouseButton::Left, {}, 0, 0); }});
}

}  // namespace veskel
