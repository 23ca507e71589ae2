#include "platform/ui/ButtonControl.h"

#include "platform/ui/Accessibility.h"

namespace veskel {

ButtonControl::ButtonControl() {
    SetHandlesPressRelease(true);
    SetKeyboardStop(true);
}

ButtonControl::~ButtonControl() = default;

void ButtonControl::SetAutoRepeat(int delayMs, int intervalMs) {
    StopRepeat();
    repeatDelay_ = delayMs;
    repeatInterval_ = intervalMs;
    if (delayMs <= 0) {
        delayTimer_.reset();
        repeatTimer_.reset();
        return;
    }
    if (!delayTimer_) {
        delayTimer_ = std::make_unique<Timer>();
        repeatTimer_ = std::make_unique<Timer>();
        delayTimer_->OnTimer = [this] {
            delayTimer_->SetEnabled(false);
            repeatTimer_->SetEnabled(true);
        };
        repeatTimer_->OnTimer = [this] { RepeatTick(); };
    }
    delayTimer_->SetInterval(delayMs);
    repeatTimer_->SetInterval(intervalMs);
}

void ButtonControl::StopRepeat() {
    if (delayTimer_) delayTimer_->SetEnabled(false);
    if (repeatTimer_) repeatTimer_->SetEnabled(false);
}

void ButtonControl::ButtonStateChanged() { Repaint(); }

void ButtonControl::RepeatTick() { Click(); }

void ButtonControl::MouseDown(MouseButton, ShiftState, int, int) {
    pressed_ = true;
    if (delayTimer_) delayTimer_->SetEnabled(true);
    ButtonStateChanged();
}

void ButtonControl::MouseUp(MouseButton, ShiftState, int, int) {
    pressed_ = false;
    StopRepeat();
    ButtonStateChanged();
}

void ButtonControl::MouseEnter() {
    if (!Enabled()) return;
    hovered_ = true;
    ButtonStateChanged();
    GraphicControl::MouseEnter();
}

void ButtonControl::MouseLeave() {
    hovered_ = false;
    if (leavingEndsPress_) pressed_ = false;
    ButtonStateChanged();
    GraphicControl::MouseLeave();
}

void ButtonControl::KeyDown(int& key, ShiftState shift) {
    GraphicControl::KeyDown(key, shift);
    if ((key != kKeySpace && key != kKeyReturn) || (shift & (kCtrl | kAlt)) || !Enabled()) return;
    // The window system repeats a held key; the button's own auto-repeat runs as for the mouse.
    if (pressKey_ == 0) {
        pressKey_ = key;
        MouseDown(MouseButton::Left, kLeftHeld, Width() / 2, Height() / 2);
    }
    key = 0;
}

void ButtonControl::KeyUp(int key, ShiftState shift) {
    GraphicControl::KeyUp(key, shift);
    if (key != pressKey_) return;
    pressKey_ = 0;
    // As the mouse has it: the click, then the release.
    if (Enabled()) Click();
    MouseUp(MouseButton::Left, 0, Width() / 2, Height() / 2);
}

void ButtonControl::FocusChanged(bool focused) {
    GraphicControl::FocusChanged(focused);
    if (focused || pressKey_ == 0) return;
    pressKey_ = 0;
    MouseUp(MouseButton::Left, 0, Width() / 2, Height() / 2);
}

void ButtonControl::EnabledChanged() {
    if (!Enabled()) {
        hovered_ = false;
        pressed_ = false;
        StopRepeat();
    }
}

void ButtonControl::Describe(AccessibleDescription& d) {
    d.role = AccessibleRole::PushButton;
    // A press and release over the button: its click.
    d.actions.push_back({AccessibleActionKind::Press, [this] { Click(); }});
}

}  // namespace veskel
