#include "Components/GroupPNGButtons/GroupPNGButtons.h"

namespace veskel {

TGroupPNGButtons::TGroupPNGButtons() {
    SetBounds(0, 0, 16, 16);
    // The framework's press handling stays in place: OnMouseDown is raised.
    SetHandlesPressRelease(false);
}

void TGroupPNGButtons::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
    TPNGButtonBase::MouseDown(button, shift, x, y);
    GraphicControl::MouseDown(button, shift, x, y);  // raises OnMouseDown
}

void TGroupPNGButtons::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
    // The image menu and repaint of the base; OnMouseUp is left out on purpose.
    TPNGButtonBase::MouseUp(button, shift, x, y);
}

}  // namespace veskel
