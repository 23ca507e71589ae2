#pragma once
// The notification rule of every control, written down once:
//
//   A value written by code raises no event; a user's action raises it.
//
// "Code" is a property setter called by the program (what SyncControls does when it puts a
// document into the controls), the stored-layout reader, and a control adjusting itself. "User"
// is a press, a drag, a key or a wheel turn that changes the value. A control whose description
// says that a write from code does raise its event keeps that: the edit box raises OnChange on
// every real change of its text, typed or set (Edit.h).
//
// The way a setter says it: a public setter takes a trailing ChangeSource that defaults to Code;
// the control's own input handlers call it with ChangeSource::User, and the setter ends with
// Notify(OnChange, *this, source):
//
//   void SetPosition(int v, ChangeSource source = ChangeSource::Code) {
//       if (v == position_) return;
//       position_ = v;
//       Repaint();
//       Notify(OnChange, *this, source);
//   }
#include "platform/ui/Control.h"

namespace veskel {

enum class ChangeSource { Code, User };

// Raises a change event when a user's action made the change.
inline void Notify(const NotifyEvent& event, Control& sender, ChangeSource source) {
    if (source == ChangeSource::User && event) event(sender);
}

}  // namespace veskel
