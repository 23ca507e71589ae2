#pragma once
// The buttons demo: the small glass buttons, check boxes, pulse buttons and image-button group on
// a striped background, and a framed pop-up with its shadow. Used by the golden-image tests
// (tests/components) and by veskel-buttons-demo (tests/demo), which the real-window tests run
// under Xvfb.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Components/GlassCheckBox/GlassCheckBox.h"
#include "Components/GroupPNGButtons/GroupPNGButtons.h"
#include "Components/PulseButton/PulseButton.h"
#include "Components/QorBackground/QorBackground.h"
#include "Components/SmallGlassButton/SmallGlassButton.h"
#include "Components/StaticShadow/StaticShadow.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/ui/Form.h"

namespace veskel::demo {

// The stored bytes of one of the program's image files ("Components/PulseButton/res/ArrowUp.png").
std::vector<std::uint8_t> ImageBytes(const std::string& resourceName);
// Gives an image button its images as a stored layout would (ItemsCount first, then each block).
void LoadImages(TPNGButtonBase& button, const std::vector<std::string>& resourceNames,
                const std::vector<std::string>& descriptions);

class ButtonsDemoForm : public Form {
public:
    ButtonsDemoForm();

    TQorBackground* background;
    TSmallGlassButton* plus;      // "+": Courier 13 px in the hover colour, as the designer stores it
    TSmallGlassButton* minus;     // "-"
    TSmallGlassButton* text;      // the default look: "Text", Small Fonts
    TGlassCheckBox* unchecked;    // "По горизонтали", 15 high
    TGlassCheckBox* checked;      // "Добавить рамку:", checked, offsets stored as 0
    TGlassCheckBox* tinted;       // checked, GlassColor 60
    TPulseButton* left;           // left arrow, 41 x 25
    TPulseButton* up;             // up arrow, 25 x 41
    TPulseButton* corners;        // four corner arrows, 32 x 32, a visible rounded frame
    TPulseButton* grey;           // right arrow in grey mode
    TGroupPNGButtons* flip;       // 16 x 16, no frame (as in the palette pop-up)
    TGroupPNGButtons* swatches;   // BlackWhite and flip, a rounded frame while hovered

    // Called with a line for every click ("clicked Name") and change ("changed Name 1").
    std::function<void(const std::string& line)> onEvent;
};

// The pop-up with the shadow frame: a borderless form filled by a TStaticShadow, with a grey 247
// panel holding a striped background, an image button and a check box.
class ShadowPopupForm : public Form {
public:
    ShadowPopupForm();
    // Places the pop-up at a screen point and shows it the way its owner is meant to: positioned
    // and sized while hidden, EmuLoaded, ShadowActive, then shown (the activation composes).
    void Popup(Point screenTopLeft);

    TStaticShadow* shadow;
    CustomControl* panel;
    TQorBackground* stripes;
    TGroupPNGButtons* flip;
    TGlassCheckBox* box;
};

using DemoStates = std::vector<std::pair<std::string, Bitmap>>;

// The form's states (whole surface):
//   normal    nothing under the pointer
//   hover     the pointer on "+" (SmallGlassButton1)
//   pressed   left button held on it (the caption one pixel lower)
//   left      after the release (a click), the pointer leaves the window
DemoStates DriveFormStates(HeadlessBackend& backend, ButtonsDemoForm& form);

// Single controls (their own rectangles): every pulse phase of one cycle of the left arrow
// ("pulse-001", "pulse-031", ...), the grey button hovered, the corner button hovered and after a
// choice from its image menu, the image menu's item bitmaps ("menu-item-1" ...), the frame of the
// swatch button, a check box after a press; and the shadow pop-up over the demo form ("popup")
// and beside it, over the plain desktop ("popup-beside").
DemoStates DriveControlStates(HeadlessBackend& backend, ButtonsDemoForm& form);

Point MiddleOf(const Control& c);
// Where the demo program opens its pop-up: to the right of the form, over the desktop.
Point PopupBeside(const Form& form);

}  // namespace veskel::demo
