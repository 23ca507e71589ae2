#include "platform/ui/Accessibility.h"

#include <climits>
#include <cstdio>
#include <utility>

#include "platform/ui/Control.h"
#include "platform/ui/Form.h"

namespace veskel {

namespace {

// How far a label may stand from what it names: on its left in the same row, or above it.
constexpr int kLabelGapLeft = 48;
constexpr int kLabelGapAbove = 48;
constexpr int kRowSlack = 4;
constexpr int kOneRow = 30;

// The framework's part and the control's own, without a name taken from elsewhere.
AccessibleDescription DescribeOwn(Control& control) {
    AccessibleDescription d;
    if (dynamic_cast<Form*>(&control)) d.role = AccessibleRole::Window;
    d.name = control.Caption();
    d.showing = control.Showing();
    d.enabled = control.EffectivelyEnabled();
    d.focusable = control.Focusable();
    d.focused = control.Focused();
    control.Describe(d);
    return d;
}

Rect RectInForm(Control& control, const AccessibleDescription& d) {
    const Point at = control.OffsetInForm();
    return d.bounds.value_or(control.ClientRect()).Offset(at.x, at.y);
}

bool Overlap(int a0, int a1, int b0, int b1) { return a0 < b1 && b0 < a1; }

// The text of the label that names `control`: the nearest one on its left whose row it shares,
// else the nearest one just above it that it lies under (the other way round for a tall control).
std::string NeighbourLabel(Control& control, const Rect& target) {
    Control* parent = AccessibleParent(control);
    if (!parent) return {};
    std::string left, above;
    int bestLeft = INT_MAX, bestAbove = INT_MAX;
    for (Control* c : AccessibleChildren(*parent)) {
        if (c == &control) continue;
        const AccessibleDescription d = DescribeOwn(*c);
        if (d.role != AccessibleRole::StaticText || d.name.empty()) continue;
        const Rect r = RectInForm(*c, d);
        const int gapLeft = target.left - r.right;
        const int middle = (target.top + target.bottom) / 2;  // a label in the same row is level with it
        if (middle >= r.top - kRowSlack && middle < r.bottom + kRowSlack && gapLeft >= -2 && gapLeft <= kLabelGapLeft &&
            gapLeft < bestLeft) {
            bestLeft = gapLeft;
            left = d.name;
        }
        const int gapAbove = target.top - r.bottom;
        if (Overlap(r.left, r.right, target.left, target.right) && gapAbove >= -2 && gapAbove <= kLabelGapAbove &&
            gapAbove < bestAbove) {
            bestAbove = gapAbove;
            above = d.name;
        }
    }
    // A control taller than a row of text (a list, a colour table) has its label above it; the
    // labels level with its middle belong to other rows.
    if (target.Height() > kOneRow) std::swap(left, above);
    return NameFromLabel(left.empty() ? above : left);
}

}  // namespace

std::string ColorValue(Color c) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%02X%02X%02X", unsigned(GetR(c)), unsigned(GetG(c)), unsigned(GetB(c)));
    return hex;
}

std::string NameFromLabel(const std::string& caption) {
    std::size_t end = caption.size();
    while (end > 0 && (caption[end - 1] == ':' || caption[end - 1] == '=' || caption[end - 1] == ' ')) --end;
    return caption.substr(0, end);
}

AccessibleDescription DescribeControl(Control& control) {
    AccessibleDescription d = DescribeOwn(control);
    if (d.name.empty() && d.labelledByNeighbour) d.name = NeighbourLabel(control, RectInForm(control, d));
    const std::string& hint = control.Hint();
    if (d.name.empty()) d.name = hint;
    else if (d.description.empty() && hint != d.name) d.description = hint;
    return d;
}

bool IsAccessible(Control& control) { return DescribeOwn(control).role != AccessibleRole::None; }

std::vector<Control*> AccessibleChildren(Control& control) {
    std::vector<Control*> out;
    for (Control* child : control.Children()) {
        if (IsAccessible(*child)) {
            out.push_back(child);
        } else {
            const std::vector<Control*> inner = AccessibleChildren(*child);
            out.insert(out.end(), inner.begin(), inner.end());
        }
    }
    return out;
}

Control* AccessibleParent(Control& control) {
    Control* p = control.Parent();
    while (p && p->Parent() && !IsAccessible(*p)) p = p->Parent();
    return p;
}

Control* AccessibleFocusTarget(Control& focused) {
    Control* c = &focused;
    while (c && !IsAccessible(*c)) c = c->Parent();
    return c;
}

}  // namespace veskel
