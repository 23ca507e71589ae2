#pragma once
// The framework's change notice: a control tells its parent window that something about it
// changed (the check box after a press has toggled it, the image buttons when the pointer enters).
// It runs the parent's ChildChanged listeners synchronously, so a parent can listen without the
// control knowing who listens.
#include "platform/ui/Control.h"

namespace veskel {

inline void SendChangeNotice(Control& sender) {
    Control* parent = sender.Parent();
    if (parent && parent->IsWindowed()) parent->ChildChanged(sender);
}

}  // namespace veskel
