#pragma once
// TGlassHeader: the title bar of a frameless window. A 23-pixel strip of light brushed grey built
// from two end caps and a repeated tile, the window's caption centred on it in smooth serif type,
// and up to three round glass buttons at its right end (close, maximize, minimize).
//
// A press outside the button area starts a window drag. A button lights up when the pointer moves
// onto it; leaving is noticed by the button's 100 ms poll of the pointer, never by the move
// handler. A press on a lit button raises its event and then acts on the window.
//
// The button images are taken at every paint in the variant (normal or hot) the button needs; an
// image never painted is 0 x 0, so a hidden button takes no room and never lights.
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"
#include "platform/ui/Control.h"
#include "platform/ui/Timer.h"

namespace veskel {

class TGlassHeader : public CustomControl {
public:
    enum Button { kClose, kMax, kMin };

    TGlassHeader();
    std::string ClassName() const override { return "TGlassHeader"; }
    const PropertyTable& StoredProperties() const override;

    bool ShowClose() const { return show_[kClose]; }
    void SetShowClose(bool v) { SetShow(kClose, v); }
    bool ShowMax() const { return show_[kMax]; }
    void SetShowMax(bool v) { SetShow(kMax, v); }
    bool ShowMin() const { return show_[kMin]; }
    void SetShowMin(bool v) { SetShow(kMin, v); }

    NotifyEvent OnCloseButton;
    NotifyEvent OnMaxButton;
    NotifyEvent OnMinButton;

    bool IsHot(Button b) const { return hot_[b]; }
    // A button's area in bar coordinates, from the images' current sizes.
    Rect ButtonRect(Button b) const;
    // Where presses go to the buttons rather than dragging the window.
    Rect ButtonArea() const;
    // The title bar; its shown buttons are its parts, pressed as the mouse presses them.
    void Describe(AccessibleDescription& d) override;

protected:
    void Paint(Canvas& canvas) override;
    void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
    void MouseMove(ShiftState shift, int x, int y) override;

private:
    // The press of the buttons that are true: their events first, then their actions on the window.
    void PressButtons(bool close, bool max, bool min);
    void SetShow(Button b, bool v);
    void PollPointer(Button b);
    void PaintCaption(Canvas& canvas);

    bool show_[3] = {true, false, false};
    bool hot_[3] = {false, false, false};
    Picture images_[3];
    Timer timers_[3];
    Bitmap leftCap_, tile_, rightCap_;
};

}  // namespace veskel
