#pragma once
// The keyboard's road through a window: which controls Tab visits and in what order, the keys
// that move the focus or switch pages, and the focus ring.
//
// Order. Tab visits the window's stops (Control::Focusable or Control::KeyboardStop, shown and
// enabled) container by container. Inside a container the children go in reading order: rows
// from the top (controls whose tops lie within kRowSlack pixels of a row's first one share its
// row), each row from the left; children that carry a stored TabOrder go first, by that number.
// A container that is a stop itself (the tabbed container's strip) comes after what it holds,
// so the current page's controls come before its tabs. Shift+Tab goes the other way; both wrap.
//
// Pages. Ctrl+Tab and Ctrl+PageDown show the next page, Ctrl+Shift+Tab and Ctrl+PageUp the one
// before, in the PageSwitcher that holds the focus (or else the window's first one).
//
// Ring. Desktops show where the focus is once the keyboard has moved it and hide it again at the
// next pointer press, so a mouse user never sees a ring. The ring is drawn over the window after
// every paint, round the focused control's FocusRingBounds, by the painter the control family
// installs (SetRingPainter); the default is a plain one-pixel outline.
#include <functional>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/ui/Control.h"

namespace veskel {

class Form;

// A control that shows one of several pages implements this so that the page keys reach it.
class PageSwitcher {
public:
    virtual ~PageSwitcher() = default;
    // Shows the page `step` places on from the current one, wrapping; false when there is none.
    virtual bool StepPage(int step) = 0;
};

namespace focus {

inline constexpr int kRowSlack = 8;
// The ring lies in this many pixels round the control's FocusRingBounds.
inline constexpr int kRingMargin = 2;

// Shown, enabled and a stop.
bool IsStop(const Control& c);
// The stops inside root (root itself included, last, when it is one), in the order Tab visits them.
std::vector<Control*> TabStops(const Control& root);

// Tab, Shift+Tab and the page keys: does what they do in the form and returns true; any other
// key returns false and is left to the focused control.
bool NavigationKey(Form& form, int key, ShiftState shift);
// Moves the focus to the next stop (the previous one when backward) and shows the ring.
bool MoveFocus(Form& form, bool backward);
// Gives c the focus as the keyboard does: the ring shows, and an edit box selects its text.
void FocusByKeyboard(Control& c);

// Whether the ring is shown (on the focused control of each window).
bool RingVisible();
// A new Application starts without a ring.
void ApplicationStarted();
// The pointer was pressed in a window: the ring goes.
void PointerPressed(Form& form);
// The form's focus moved from one control to another (either may be null): both rings repaint.
void FocusMoved(Form& form, Control* from, Control* to);
// Draws the ring of the form's focused control into the form's surface, inside area.
void PaintRing(Form& form, Bitmap& surface, const Rect& area);

// Listeners hear every move of a window's focus, by mouse, keyboard or code (a screen reader
// follows it); focused is null when the focus left every control. Returns an id for removal.
using FocusListener = std::function<void(Form& form, Control* focused)>;
int AddFocusListener(FocusListener listener);
void RemoveFocusListener(int id);

// Draws a ring inside `ring`, a band kRingMargin wide (canvas coordinates, clip already set).
using RingPainter = std::function<void(Canvas& canvas, const Rect& ring)>;
void SetRingPainter(RingPainter painter);

}  // namespace focus
}  // namespace veskel
