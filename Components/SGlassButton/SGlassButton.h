#pragma once
// TGlassButton: the push button of the glass family. A windowless control that draws a glass
// capsule skin with an anti-aliased caption centred on it. While the pointer is over it, it shows
// a recoloured copy of the skin (TintSkin with HUE / Lightness / Saturation); while any mouse
// button is held on it the caption sinks by one pixel and turns dark grey.
//
// The caption is drawn three times too large in black on white and box-filtered 3 x 3 into the
// skin beneath it, which gives smooth text whatever the platform's text smoothing is.
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"
#include "platform/ui/Control.h"

namespace veskel {

class TGlassButton : public GraphicControl {
public:
    TGlassButton();
    std::string ClassName() const override { return "TGlassButton"; }

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

    // What the button shows (for tests and the demo).
    bool IsHovered() const { return hovered_; }
    bool IsPressed() const { return pressed_; }
    const Picture& NormalSkin() const { return normalSkin_; }
    const Picture& HoverSkin() const { return hoverSkin_; }

    bool SetProperty(std::string_view name, const LayoutValue& value) override;
    void GetProperties(std::vector<LayoutProperty>& out) const override;

protected:
    void Paint(Canvas& canvas) override;
    void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
    void MouseUp(MouseButton button, ShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void EnabledChanged() override;

private:
    void ReloadHoverSkin();
    void PaintCaption(Canvas& canvas);

    bool blueButton_ = false;
    bool smallButton_ = false;
    bool defaultButton_ = false;
    int lightness_ = 0;
    int hue_ = 0;
    int saturation_ = 0;
    std::string buttonText_ = "Button";

    Picture normalSkin_;
    Picture hoverSkin_;
    Bitmap captionCache_;
    bool hovered_ = false;
    bool pressed_ = false;
};

// The stock skins, decoded afresh from the program's embedded PNG bytes on every call.
enum class GlassButtonSkin { Normal, Blue, Small };
Picture LoadGlassButtonSkin(GlassButtonSkin skin);

// Makes "TGlassButton" known to the stored-layout reader.
void RegisterGlassButtonClass();

}  // namespace veskel
