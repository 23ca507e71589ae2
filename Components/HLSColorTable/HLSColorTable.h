#pragma once
// THLSColorTable: the square of the colour picker. For one hue it shows every pair of saturation
// (left to right, 0..254) and lightness (bottom to top, 0..254) inside a one-pixel grey frame,
// 257 x 257 in all, and marks the current pair with an exclusive-or cross-hair. Pressing or
// dragging with any button picks a pair and raises OnChange, changed or not.
//
// The values run on 0..254 and are drawn on the 240 scale of GlassTint unchanged, so the top
// rows and right columns show clamped channels; the palette pop-up reads the same numbers on its
// 254 scale. With the keyboard focus Left and Right move the saturation by one, Up and Down the
// lightness, PageUp and PageDown the lightness by 16, Home and End the saturation to its ends;
// each step raises OnChange as a press does. Saturation and Lightnes are stored silently: the cross-hair moves at the next
// repaint (the pop-up repaints through HUE).
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/ui/Control.h"
#include "platform/ui/PropertyTable.h"

namespace veskel {

// The application's cursor slot of the table's ring cursor ("Pura").
inline constexpr CursorId kCrPura = 5;

class THLSColorTable : public CustomControl {
public:
    THLSColorTable();
    std::string ClassName() const override { return "THLSColorTable"; }
    const PropertyTable& StoredProperties() const override;

    int HUE() const { return hue_; }
    // Stores, redraws the table's picture for the hue and repaints.
    void SetHUE(int v);
    int Saturation() const { return saturation_; }
    void SetSaturation(int v) { saturation_ = v; }
    int Lightnes() const { return lightnes_; }
    void SetLightnes(int v) { lightnes_ = v; }
    void Describe(AccessibleDescription& d) override;

    NotifyEvent OnChange;

    // The 255 x 255 picture of the current hue (drawn at (1, 1)).
    const Bitmap& TableImage() const { return tableImage_; }
    bool Dragging() const { return dragging_; }

protected:
    void Paint(Canvas& canvas) override;
    void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
    void MouseMove(ShiftState shift, int x, int y) override;
    void MouseUp(MouseButton button, ShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void KeyDown(int& key, ShiftState shift) override;

private:
    void PickAt(int x, int y);

    int hue_ = 0;
    int saturation_ = 255;
    int lightnes_ = 255;
    Bitmap tableImage_;
    bool dragging_ = false;
};

// Adds the ring cursor to the application's cursor table at kCrPura (does nothing without an
// Application).
void RegisterPuraCursor();

}  // namespace veskel
