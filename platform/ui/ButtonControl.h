#pragma once
// ButtonControl: the behaviour every windowless glass button shares, so a button only adds its
// painting and its properties.
//  - Hovered: true while the pointer is over the button; a disabled button ignores the pointer.
//  - Pressed: true while any mouse button is held on it. The framework captures the pointer for
//    the press, so the release comes back here wherever it happens.
//  - Leaving resets Hovered and, unless the button keeps its press until release
//    (SetLeavingEndsPress(false): coming back with the button still held shows it pressed
//    again), Pressed. Disabling resets both (a button disabled under the pointer, typically by
//    its own click handler, shows its normal look at once).
//  - The click is the framework's ordinary one (left press and release over the button). The
//    button handles press and release of every mouse button itself and raises no OnMouseDown /
//    OnMouseUp.
//  - Optional auto-repeat: while any mouse button is held, one click after the delay and then
//    one on every interval tick until release (SetAutoRepeat(400, 20)).
//  - Keyboard: a button is a Tab stop; Space or Enter presses it as the left mouse button would
//    (the same press, auto-repeat and release), and letting the key go clicks it. Losing the
//    focus while the key is held ends the press without a click.
// Every change of Hovered or Pressed ends in ButtonStateChanged, which repaints by default.
#include <memory>

#include "platform/ui/Control.h"
#include "platform/ui/Timer.h"

namespace veskel {

class ButtonControl : public GraphicControl {
public:
    ButtonControl();
    ~ButtonControl() override;
    std::string ClassName() const override { return "TButtonControl"; }

    bool IsHovered() const { return hovered_; }
    bool IsPressed() const { return pressed_; }

    // Auto-repeat timings in milliseconds; a delay of 0 turns auto-repeat off (the default).
    void SetAutoRepeat(int delayMs, int intervalMs);
    int RepeatDelay() const { return repeatDelay_; }
    int RepeatInterval() const { return repeatInterval_; }
    // The interval timer is running (the delay has passed and the button is still held).
    bool Repeating() const { return repeatTimer_ && repeatTimer_->Enabled(); }

    // A push button whose press action clicks it.
    void Describe(AccessibleDescription& d) override;

protected:
    // Whether the pointer leaving ends the press (true by default).
    void SetLeavingEndsPress(bool v) { leavingEndsPress_ = v; }

    // After Hovered or Pressed changed. The default repaints at once.
    virtual void ButtonStateChanged();
    // One auto-repeat tick. The default is a click (raises OnClick).
    virtual void RepeatTick();

    void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
    void MouseUp(MouseButton button, ShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void EnabledChanged() override;
    void KeyDown(int& key, ShiftState shift) override;
    void KeyUp(int key, ShiftState shift) override;
    void FocusChanged(bool focused) override;

private:
    void StopRepeat();

    bool hovered_ = false;
    bool pressed_ = false;
    bool leavingEndsPress_ = true;
    int pressKey_ = 0;  // the key holding the button down (0: none)
    int repeatDelay_ = 0;
    int repeatInterval_ = 0;
    std::unique_ptr<Timer> delayTimer_;
    std::unique_ptr<Timer> repeatTimer_;
};

}  // namespace veskel
