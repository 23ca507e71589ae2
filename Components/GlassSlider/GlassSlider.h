#pragma once
// TGlassSlider: a horizontal slider with a thin grey track, a glass pointer-shaped thumb that
// turns blue while the pointer is over the control, and six tick marks under the track. The
// thumb's position maps to an integer Value between 0 and Max, rounded to nearest whatever the
// process-wide rounding mode (which moves only the painted thumb and ticks).
//
// Three channels report changes: OnChange for every pixel the thumb moves under the mouse,
// OnPreChange once the thumb has rested 50 ms with the button still held (what a listener that
// does expensive work follows) and, when the button is released on a value that no rest has
// reported yet, once more for that value, then OnFinalChange. Writing Max or
// Value from code only repaints.
//
// With the keyboard focus the arrows move the value by one, PageUp and PageDown by a tenth of Max,
// Home and End to 0 and Max; a key held down is a drag (OnChange for each step, OnPreChange at
// each 50 ms rest) and letting it go is the release.
#include <string>

#include "platform/graphics/Picture.h"
#include "platform/ui/Control.h"
#include "platform/ui/Timer.h"

namespace veskel {

class TGlassSlider : public GraphicControl {
public:
    TGlassSlider();
    std::string ClassName() const override { return "TGlassSlider"; }
    // Max and Value are always stored, Max first (setting Value uses Max).
    const PropertyTable& StoredProperties() const override;

    int Max() const { return max_; }
    // Stores and repaints; the thumb stays where it is until Value is set again. Values below 1
    // become 1 (Value divides by Max).
    void SetMax(int v);
    int Value() const { return value_; }
    // Stores (unclamped), moves the thumb to round(Value x (Width - 18) / Max) and repaints.
    void SetValue(int v);
    // Increase and decrease move the thumb by one, as a drag there and a release would.
    void Describe(AccessibleDescription& d) override;

    // Thumb offset in pixels from the start of the track, and whether the pointer is over the
    // control or a button is held after a press on it.
    int ThumbPos() const { return thumbPos_; }
    bool Hovered() const { return hovered_; }
    bool Dragging() const { return dragging_; }

    NotifyEvent OnChange;
    NotifyEvent OnPreChange;
    NotifyEvent OnFinalChange;

    // How long the thumb must rest during a drag before OnPreChange.
    static constexpr int kRestMs = 50;

protected:
    void Paint(Canvas& canvas) override;
    void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
    void MouseMove(ShiftState shift, int x, int y) override;
    void MouseUp(MouseButton button, ShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void KeyDown(int& key, ShiftState shift) override;
    void KeyUp(int key, ShiftState shift) override;
    void FocusChanged(bool focused) override;

private:
    // Ends a drag: the rest not yet heard, then OnFinalChange.
    void Release();
    // The thumb dragged to a value (clamped to 0..Max) and released: every event of that drag.
    void DragTo(int value);
    // Track length in pixels (Width - 18), at least 1 so that a very narrow slider still maps.
    int TrackLength() const;
    void PositionFromX(int x);
    void Rested();

    int max_ = 10;
    int value_ = 0;
    int thumbPos_ = 0;
    int lastThumbPos_ = -30;  // so that the first press always counts as a change
    bool hovered_ = false;
    bool dragging_ = false;
    int dragKey_ = 0;  // the key whose hold is the drag (0: the mouse, or none)
    int heardValue_ = 0;  // the value OnPreChange last reported in this press (before it: the value at the press)
    Timer restTimer_;

    const Picture* track_;
    const Picture* thumb_;
    const Picture* thumbHover_;
};

}  // namespace veskel
