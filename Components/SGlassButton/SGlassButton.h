#pragma once
// TGlassButton: the push button of the glass family. A windowless control that draws a glass
// capsule skin with an anti-aliased caption centred on it. While the pointer is over it, it shows
// a recoloured copy of the skin (TintSkin with HUE / Lightness / Saturation); while any mouse
// button is held on it the caption sinks by one pixel and turns dark grey.
//
// Hover, press and the click come from ButtonControl; the skins and the 3 x 3 supersampled
// caption from the glass look (GlassLook.h).
#include <string>

#include "Components/GlassLook/GlassLook.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"
#include "platform/ui/ButtonControl.h"

namespace veskel {

class TGlassButton : public ButtonControl {
public:
    TGlassButton();
    std::string ClassName() const override { return "TGlassButton"; }
    const PropertyTable& StoredProperties() const override;

    // The published properties, in the order the control declares them (a stored layout applies
    // them in this order, so stored colour values override the preset of DefaultButton).
    bool BlueButton() const { return blueButton_; }
    void SetBlueButton(bool v);
    bool SmallButton() const { return smallButton_; }
    void SetSmallButton(bool v);
    bool DefaultButton() const { return defaultButton_; }
    void SetDefaultButton(bool v);
    int Lightness() const { return lightness_; }
    void SetLightness(int v);
    int HUE() const { return hue_; }
    void SetHUE(int v);
    int Saturation() const { return saturation_; }
    void SetSaturation(int v);
    const std::string& ButtonText() const { return buttonText_; }
    void SetButtonText(std::string text);
    void Describe(AccessibleDescription& d) override;

    // What the button shows (for tests and the demo).
    const Picture& NormalSkin() const { return *normalSkin_; }
    const Picture& HoverSkin() const { return hoverSkin_.Get(); }

protected:
    void Paint(Canvas& canvas) override;

private:
    void ReloadHoverSkin();

    bool blueButton_ = false;
    bool smallButton_ = false;
    bool defaultButton_ = false;
    int lightness_ = 0;
    int hue_ = 0;
    int saturation_ = 0;
    std::string buttonText_ = "Button";

    const Picture* normalSkin_ = nullptr;
    TintedSkin hoverSkin_;
    Bitmap captionCache_;
};

// The stock skins (decoded once from the program's embedded PNG bytes).
enum class GlassButtonSkin { Normal, Blue, Small };
const Picture& LoadGlassButtonSkin(GlassButtonSkin skin);

}  // namespace veskel
