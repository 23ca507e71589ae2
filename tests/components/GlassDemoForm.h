#pragma once
// The glass button demo: a few glass buttons on a striped background, used by the interaction and
// golden-image tests (tests/components) and by the veskel-demo program (tests/demo), which the
// real-window tests run under Xvfb.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Components/SGlassButton/SGlassButton.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/ui/Form.h"

namespace veskel::demo {

// Alternating pairs of rows in grey 224 and grey 232, as the designer's pages have them.
class StripedBackground : public GraphicControl {
public:
    std::string ClassName() const override { return "TDemoStripes"; }

protected:
    void Paint(Canvas& canvas) override;
};

class GlassDemoForm : public Form {
public:
    GlassDemoForm();

    StripedBackground* background;
    TGlassButton* plain;     // "Plain": no colour offsets, hover shows the untinted skin
    TGlassButton* tinted;    // "Hover me": HUE 100, Lightness 10, Saturation 200 (the designer's offsets)
    TGlassButton* deflt;     // "Default": DefaultButton
    TGlassButton* disabled;  // "Disabled": tinted like the designer's buttons, Enabled false
    TGlassButton* blue;      // "Blue": BlueButton
    TGlassButton* small;     // "+": SmallButton, 36 x 29
    TGlassButton* wide;      // a caption wider than its button, clipped at both sides

    // Called with the button's name on every click.
    std::function<void(const std::string& name)> onClicked;
};

// Drives a shown demo form through its states and returns the form's pixels in each:
//   normal    nothing under the pointer
//   hover     pointer over "Hover me" (the designer's offsets: light blue glass)
//   pressed   left button held on it (caption one pixel lower, dark grey)
//   left      after the release (a click) the pointer leaves the window
//   disabled  pointer over "Disabled", which ignores it
using DemoStates = std::vector<std::pair<std::string, Bitmap>>;
DemoStates DriveDemoStates(HeadlessBackend& backend, GlassDemoForm& form);

// Where a pointer lands on a button, in form coordinates (its middle).
Point CentreOf(const Control& c);

}  // namespace veskel::demo
