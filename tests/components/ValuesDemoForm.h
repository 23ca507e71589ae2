#pragma once
// The values-and-lists demo: edit fields, sliders, list boxes and anti-aliased labels laid out as
// on the designer's pages (a striped page inside the form, list boxes in grey-bordered panels,
// labels at the bottom). Used by the interaction and golden-image tests (tests/components) and by
// the veskel-values-demo program (tests/demo), which the real-window tests run under Xvfb.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Components/AALabel/AALabel.h"
#include "Components/GlassEdit/GlassEdit.h"
#include "Components/GlassListBox/GlassListBox.h"
#include "Components/GlassSlider/GlassSlider.h"
#include "platform/backends/headless/HeadlessBackend.h"
#include "platform/ui/Form.h"

namespace veskel::demo {

// A plain windowed container (the page, and the panels round the list boxes).
class DemoPanel : public CustomControl {
public:
    std::string ClassName() const override { return "TDemoPanel"; }
};

class ValuesDemoForm : public Form {
public:
    ValuesDemoForm();

    DemoPanel* page;            // the striped page holding the edits, sliders and lists
    TGlassEdit* textEdit;       // 389 wide, the banner text
    TGlassEdit* numberEdit;     // 80 wide
    TGlassSlider* slider1;      // 180 x 25, Max 99, Value 80
    TGlassSlider* slider2;      // 180 x 29, Max 99, Value 50
    TGlassListBox* patterns;    // six entries, item height 18, exactly fills its 108 pixels
    TGlassListBox* layers;      // nine entries with icons: the wheel scrolls it
    TAALabel* infoLabel;        // Russian, the window font
    TAALabel* link;             // a web address, isURL
    TAALabel* credits;          // Latin and Russian, Tahoma 11 pixels

    // One line per event a user's action raised ("change GlassEdit1 Hi", "prechange
    // GlassSlider1 49", "select GlassListBox1 2", "key 13" ...).
    std::function<void(const std::string& line)> onEvent;
};

// Where the scripted states put the pointer and what they do (form coordinates). The real-window
// test does the same with xdotool.
struct ValuesScript {
    static constexpr Point kEditClick{120, 22};     // in the banner-text field, after its text
    static constexpr const char* kTyped = " Hi Привет";
    static constexpr Point kSliderPress{60, 44};    // on GlassSlider1's track
    static constexpr Point kSliderRest{100, 44};    // the thumb rests here (OnPreChange)
    static constexpr Point kSliderEnd{240, 44};     // dragged past the right end, released here
    static constexpr Point kListHover{60, 150};     // over the third entry of GlassListBox1
    static constexpr Point kLayersWheel{280, 150};  // over GlassListBox2
};

// Drives a shown demo form through its states and returns the form's pixels in each:
//   normal      the first paint (the list boxes switch the rounding mode here)
//   typed       a click into the text field, then kTyped typed at the caret
//   selected    Shift+Home: the typed word and the text before it selected
//   sliderhover the pointer over the first slider (blue thumb)
//   rested      the slider pressed and dragged to kSliderRest, where the thumb rested 60 ms
//   dragging    then dragged past its right end (pointer off the slider), button still held
//   released    the button released over the form
//   listhover   the pointer over the third pattern entry
//   listselect  a click there
//   scrolled    one wheel notch towards the user over the icon list
using ValuesStates = std::vector<std::pair<std::string, Bitmap>>;
ValuesStates DriveValuesStates(HeadlessBackend& backend, ValuesDemoForm& form);

}  // namespace veskel::demo
