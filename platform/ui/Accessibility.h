#pragma once
// What a screen reader is told about a control: its role, name, value, states and the actions it
// offers, described by the control itself (Control::Describe) and read by a backend that maps it
// to the desktop's accessibility interfaces. Nothing here knows a toolkit.
//
// The tree a screen reader sees is the control tree with the purely decorative controls left
// out (role None: backgrounds, bevels, frames): their children move up to the nearest described
// ancestor. A control that has no text of its own (an edit field, a slider, a list, a colour box,
// a picture) is named by the label beside it, on its left in the same row or just above it;
// failing that, by its hint.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"

namespace veskel {

class Control;
class Form;

enum class AccessibleRole {
    None,  // not shown to a screen reader; its children are
    Window,
    ToolTip,
    TitleBar,
    Grouping,
    PushButton,
    CheckBox,
    Slider,
    List,
    ListItem,
    PageTabList,
    PageTab,
    EditableText,
    StaticText,
    Link,
    Image,
    ColorChooser,
};

enum class AccessibleActionKind { Press, Toggle, Increase, Decrease, ShowMenu };

struct AccessibleAction {
    AccessibleActionKind kind;
    // Does what the mouse does for this action: the same handlers, the same events.
    std::function<void()> run;
};

struct AccessibleDescription {
    AccessibleRole role = AccessibleRole::None;
    // The control's own text (its caption unless the control says otherwise). Empty: the label
    // beside it names it when labelledByNeighbour, else its hint.
    std::string name;
    bool labelledByNeighbour = false;
    std::string description;  // longer text read after the name (the picture a preview shows)
    std::string value;        // a field's text, a slider's number, a list's selected entry
    int caret = -1;           // in a field: the caret's place, in characters
    int anchor = -1;          // in a field: the selection's other end (== caret: nothing selected)
    // A field's text edited from outside: the characters [start, end) replaced by text exactly
    // as selecting them and typing would, so what typing refuses is refused.
    std::function<void(int start, int end, const std::string& text)> replaceText;
    // Selects [anchor, caret) in a field (anchor == caret: only the caret moves).
    std::function<void(int anchor, int caret)> select;
    // The label that names the control (DescribeControl fills it in when it took the name from a
    // label beside it).
    Control* labelledBy = nullptr;
    // A numeric value that can be set (sliders).
    struct Range {
        int minimum = 0, maximum = 0, current = 0;
        std::function<void(int)> set;  // as a drag to that value and a release would
    };
    std::optional<Range> range;
    // The area that stands for the control, in its own coordinates (default: the whole control).
    std::optional<Rect> bounds;

    bool showing = true;  // false: on a hidden page, or hidden itself
    bool enabled = true;
    bool focusable = false;
    bool focused = false;
    bool checkable = false;
    bool checked = false;
    bool selectable = false;
    bool selected = false;
    bool readOnly = false;  // a field whose text cannot be changed

    std::vector<AccessibleAction> actions;
    // Pieces of the control that a screen reader sees as children of it (the entries of a list,
    // the close button of a title bar), each with its own bounds.
    std::vector<AccessibleDescription> parts;
};

// The control's description with the framework's part filled in: states from the tree (showing,
// enabled, focus), the default name (its caption), then the control's own Describe, then a name
// from a neighbouring label or the hint when the control has none.
AccessibleDescription DescribeControl(Control& control);

// Whether a screen reader sees the control (its role is not None).
bool IsAccessible(Control& control);
// The described children of a control in the order they are drawn, the children of decorative
// ones taken in their place.
std::vector<Control*> AccessibleChildren(Control& control);
// The nearest described ancestor (the form at the top when no other is), nullptr for a form.
Control* AccessibleParent(Control& control);
// The control a focus on `focused` is reported for: itself or its nearest described ancestor;
// for a page tab list, its selected page tab.
Control* AccessibleFocusTarget(Control& focused);
// The controls that `label` names (those whose labelledBy it is), among its described siblings.
std::vector<Control*> LabelledControls(Control& label);

// A colour as a value a screen reader reads: "#RRGGBB".
std::string ColorValue(Color c);

// A label's text as a name: without the trailing colon, equals sign and spaces ("Цвет 1:").
std::string NameFromLabel(const std::string& caption);

}  // namespace veskel
