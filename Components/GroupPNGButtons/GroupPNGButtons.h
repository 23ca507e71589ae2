#pragma once
// TGroupPNGButtons: the plain sibling of the pulse button. It holds one or more PNG images, shows
// the current one exactly as decoded, offers the others in a right-click menu and carries its
// images in the stored layout, all as TPNGButtonBase does; it has no pulse, no auto-repeat and no
// grey mode, and the pointer keeps the ordinary arrow. OnMouseDown is raised as usual; the
// release is the button's own (OnMouseUp is not raised).
#include "Components/PulseButton/PNGButtonBase.h"

namespace veskel {

class TGroupPNGButtons : public TPNGButtonBase {
public:
    TGroupPNGButtons();
    std::string ClassName() const override { return "TGroupPNGButtons"; }

protected:
    void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
    void MouseUp(MouseButton button, ShiftState shift, int x, int y) override;
};

}  // namespace veskel
