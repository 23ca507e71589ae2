#pragma once
// Hints: the short text of a control (Control::Hint, shown when Control::ShowHint is on, the
// nearest such control up the parent chain deciding) in a small window below the pointer, once
// the pointer has rested on the control for InputRouter::HintPause. A press, a key or the
// wheel hides it until the pointer moves on to another control; leaving hides it at once.
//
// The window is a form owned by the form of the control it describes, shown as a top-most tool
// window that takes neither the focus nor the pointer, through the same backend path as every
// other pop-up form.
#include <string>

#include "platform/ui/Form.h"
#include "platform/ui/Timer.h"

namespace veskel {

class HintWindow : public Form {
public:
    // A pale window with a thin dark border and the text in the UI font.
    static constexpr Color kBackground = RGB(255, 255, 225);
    static constexpr Color kBorder = RGB(0, 0, 0);
    // How far below the pointer's hot spot the window starts, so the arrow stays visible.
    static constexpr int kBelowPointer = 20;

    HintWindow();
    std::string ClassName() const override { return "THintWindow"; }

    const std::string& Text() const { return text_; }
    // Sets the text and sizes the window to it.
    void SetText(std::string utf8);
    // Places the window below a pointer position, held inside the monitor's rectangle; where it
    // does not fit below, it goes above the pointer.
    void PlaceBelow(Point pointer, const Rect& monitor);
    // A tool-tip that says its text.
    void Describe(AccessibleDescription& d) override;

protected:
    void Paint(Canvas& canvas) override;

private:
    std::string text_;
};

// What the input router does with hints: follows the control under the pointer, waits for the
// rest and shows or hides the window.
class HintPresenter {
public:
    HintPresenter();
    // The pointer is over `hovered` (nullptr: over none of our windows).
    void PointerOver(Control* hovered);
    // A press, key or wheel turn: hide, and show nothing more until the pointer moves on.
    void Dismiss();
    // A control or form is being destroyed.
    void Forget(const Control* c);
    // The shown window (nullptr while none is shown).
    HintWindow* Shown() const;

private:
    void Show();
    void Hide();

    Control* source_ = nullptr;  // the control whose hint is waited for or shown
    std::string text_;
    bool dismissed_ = false;
    HintWindow* window_ = nullptr;
    Timer pause_;
};

}  // namespace veskel
