#pragma once
// The input router: where the pointer and the keys go. One per Application (Application::Input()).
// It keeps pointer capture, the control under the pointer (enter and leave), the press that may
// become a click or a double click, the hint presenter, and the keyboard: the focused control and
// the modifiers of the key being dispatched. Backends hand it their pointer and key events; every
// event runs inside the Application's exception boundary.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/graphics/Geometry.h"
#include "platform/ui/Input.h"

namespace veskel {

class Application;
class Control;
class Form;
class HintPresenter;
class HintWindow;

class InputRouter {
public:
    explicit InputRouter(Application& app);
    ~InputRouter();
    InputRouter(const InputRouter&) = delete;
    InputRouter& operator=(const InputRouter&) = delete;

    // Milliseconds between two presses that make a double click.
    int DoubleClickTime = 500;
    // Milliseconds the pointer rests on a control before its hint shows (HintWindow.h).
    int HintPause = 500;
    // The hint window while one is shown, else nullptr.
    HintWindow* ShownHint() const;

    // ---- pointer
    // Pointer capture: every pointer event goes to the capturing control until every button is
    // released. A press captures the pointer for the control pressed on by itself.
    Control* Capture() const { return capture_; }
    void SetCapture(Control* c) { capture_ = c; }
    // Releases the capture if c holds it, dropping the held-button state with it.
    void ReleaseCapture(const Control* c);
    Control* Hovered() const { return hovered_; }
    // Starts the window manager's move of a form. The move loop swallows the button release,
    // so the pointer state (held buttons, capture, the pending click) is dropped first.
    void StartWindowDrag(Form& form);

    // ---- keyboard
    // The focused control of the active form (each form remembers its own, Form::ActiveControl /
    // SetActiveControl); nullptr when none.
    Control* FocusedControl() const;
    // The modifiers of the key being dispatched (0 outside a key event).
    ShiftState KeyShift() const { return keyShift_; }

    // A control is being destroyed: forgets it as capture, hover, press, focus and click
    // candidate, and drops its hint.
    void ForgetControl(Control* c);

    // ---- entry points for backends
    void MouseDown(Form& form, Point client, MouseButton button, ShiftState shift);
    void MouseMove(Form& form, Point client, ShiftState shift);
    void MouseUp(Form& form, Point client, MouseButton button, ShiftState shift);
    // The wheel turned by delta (120 per notch, positive away from the user) with the pointer at
    // client. It goes to the control under the pointer (the capturing control while there is
    // one) and on up its parents until one uses it.
    void MouseWheel(Form& form, Point client, int delta, ShiftState shift);
    // The pointer left the form's window.
    void MouseExit(Form& form);
    void KeyDown(Form& form, int key, ShiftState shift);
    // A key was let go (not the window system's repeats of a held key): the focused control's KeyUp.
    void KeyUp(Form& form, int key, ShiftState shift);
    void TextInput(Form& form, const std::string& utf8);

private:
    template <class F>
    void Guarded(F&& f);
    void UpdateHover(Form& form, Point client);
    void SetHovered(Control* c);
    void UpdateCursor(Form& form);

    Application& app_;
    std::unique_ptr<HintPresenter> hints_;
    Control* capture_ = nullptr;
    unsigned buttonsHeld_ = 0;
    Control* pressed_ = nullptr;  // the control a left press started on (for the click)
    bool pressWasDouble_ = false;
    Control* hovered_ = nullptr;
    Control* dispatchTarget_ = nullptr;  // cleared if the control dies while handling an event
    ShiftState keyShift_ = 0;            // modifiers of the key being dispatched
    Control* lastClickControl_ = nullptr;
    std::int64_t lastClickTime_ = 0;
    Point lastClickPos_{};
};

}  // namespace veskel
