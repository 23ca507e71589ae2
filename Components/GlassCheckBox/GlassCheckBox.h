#pragma once
// TGlassCheckBox: the on/off toggle of the glass family. A windowless control that shows a 20 x 20
// glass box skin, blue with a check mark when checked and grey when not, with its caption to the
// right. A press of any mouse button anywhere on it toggles it and raises OnChange (so do Space
// and Enter once it has the keyboard focus); setting
// Checked from code only repaints. The checked skin is recoloured by three HLS offsets
// (GlassColor, GlassLightness, GlassSaturation) through TintSkin, always from the stock skin.
#include <string>

#include "Components/GlassLook/GlassLook.h"
#include "platform/ui/PropertyTable.h"

namespace veskel {

class TGlassCheckBox : public GraphicControl {
public:
    TGlassCheckBox();
    std::string ClassName() const override { return "TGlassCheckBox"; }
    const PropertyTable& StoredProperties() const override;

    bool Checked() const { return checked_; }
    void SetChecked(bool v);
    // Its toggle action is a press.
    void Describe(AccessibleDescription& d) override;
    int GlassColor() const { return glassColor_; }
    void SetGlassColor(int v);
    int GlassLightness() const { return glassLightness_; }
    void SetGlassLightness(int v);
    int GlassSaturation() const { return glassSaturation_; }
    void SetGlassSaturation(int v);

    // The skins as they are drawn (for tests).
    const Picture& CheckedSkin() const { return checkedSkin_.Get(); }
    const Picture& UncheckedSkin() const;

    // Raised after a press has toggled the box (never by SetChecked from code).
    NotifyEvent OnChange;

protected:
    void Paint(Canvas& canvas) override;
    void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
    void KeyDown(int& key, ShiftState shift) override;
    void KeyUp(int key, ShiftState shift) override;

private:
    void Retint();

    bool checked_ = false;
    int pressKey_ = 0;  // the key that toggled the box and is still held (its repeats toggle nothing)
    int glassColor_ = 0;
    int glassLightness_ = 0;
    int glassSaturation_ = 0;
    TintedSkin checkedSkin_;
};

}  // namespace veskel
