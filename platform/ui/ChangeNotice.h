#pragma once
// The framework's change notice: a control tells its parent window that something about it
// changed (the check box after a press has toggled it, the image buttons when the pointer enters).
// It is a message sent synchronously to the parent's window, so a parent (or a hook on it) can
// listen without the control knowing who listens. wParam 0, lParam the sending control.
#include "platform/ui/Application.h"
#include "platform/ui/Control.h"

namespace veskel {

constexpr unsigned kCmChanged = 0xB037;

inline void SendChangeNotice(Control& sender) {
    Control* parent = sender.Parent();
    if (parent && parent->Handle())
        SendMessage(parent->Handle(), kCmChanged, 0, reinterpret_cast<std::intptr_t>(&sender));
}

}  // namespace veskel
