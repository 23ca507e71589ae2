#pragma once
// THLSSlider: the hue bar of the colour picker, a windowless control. The bar runs from 5 pixels
// in from either side, one column per hue step at lightness 127 and saturation 255 on the 240
// scale, with a grey outline and a small grey triangle beneath it pointing at the position.
// Pressing or dragging with any button moves the pointer there; Positopn (0..255) is the hue.
// With the keyboard focus the arrows move it by one, PageUp and PageDown by 16, Home and End to
// the ends, each step raising OnChange as a drag does, and letting the key go raises
// OnFinalChange as the mouse's release does.
//
// Setting Positopn from code raises OnChange as the mouse does: the palette pop-up relies on it
// to recompute its colour whenever it loads one.
#include <cstdint>
#include <string>

#include "platform/ui/Control.h"
#include "platform/ui/PropertyTable.h"

namespace veskel {

class THLSSlider : public GraphicControl {
public:
    THLSSlider() { SetKeyboardStop(true); }
    std::string ClassName() const override { return "THLSSlider"; }
    const PropertyTable& StoredProperties() const override;

    int Positopn() const { return position_; }
    // Stores the low eight bits, raises OnChange, then repaints.
    void SetPositopn(int v);
    // The hue as a slider; a new value moves it there as a press and release would.
    void Describe(AccessibleDescription& d) override;

    NotifyEvent OnChange;
    NotifyEvent OnFinalChange;  // the mouse button was released after a press on the slider

    // Width - 10 as an unsigned 16-bit number, as the last paint computed it.
    int BarWidth() const { return barWidth_; }
    // The position a pointer at x (control coordinates) picks for the current width.
    int PositionAt(int x) const;
    // Where the pointer's tip stands for a position, with the current width.
    int PointerX(int position) const;
    bool Dragging() const { return dragging_; }

protected:
    void Paint(Canvas& canvas) override;
    void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
    void MouseMove(ShiftState shift, int x, int y) override;
    void MouseUp(MouseButton button, ShiftState shift, int x, int y) override;
    void KeyDown(int& key, ShiftState shift) override;
    void KeyUp(int key, ShiftState shift) override;

private:
    void PickAt(int x);
    void Pick(int position);

    std::uint8_t position_ = 0;
    std::uint16_t barWidth_ = 0;
    bool dragging_ = false;
    int stepKey_ = 0;  // the key that moved the pointer and is still held
};

}  // namespace veskel
