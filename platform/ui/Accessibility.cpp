#include "platform/ui/Accessibility.h"

#include <climits>
#include <cstdlib>
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
    // A keyboard stop takes the focus from Tab without taking it from a press: to a screen
    // reader both are controls that take the focus.
    d.focusable = control.Focusable() || control.KeyboardStop();
    d.focused = control.Focused();
    control.Describe(d);
    if (!control.SpokenName().empty()) d.name = control.SpokenName();
    if (!control.SpokenDescription().empty()) d.description = control.SpokenDescription();
    return d;
}

Rect RectInForm(Control& control, const AccessibleDescription& d) {
    const Point at = control.OffsetInForm();
    return d.bounds.value_or(control.ClientRect()).Offset(at.x, at.y);
}

bool Overlap(int a0, int a1, int b0, int b1) { return a0 < b1 && b0 < a1; }

// The label that names `control`: the nearest one on its left whose row it shares, else the
// nearest one just above it that it lies under (the other way round for a tall control).
Control* NeighbourLabel(Control& control, const Rect& target) {
    Control* parent = AccessibleParent(control);
    if (!parent) return nullptr;
    Control *left = nullptr, *above = nullptr;
    int bestLeft = INT_MAX, bestAbove = INT_MAX;
    for (Control* c : AccessibleChildren(*parent)) {
        if (c == &control) continue;
        const AccessibleDescription d = DescribeOwn(*c);
        if (d.role != AccessibleRole::StaticText || d.name.empty()) continue;
        const Rect r = RectInForm(*c, d);
        const int gapLeft = target.left - r.right;
        const int middle = (target.top + target.bottom) / 2;  // a label in the same row is level with it
        // Of two labels that reach into the row (tall ones, in rows close together), the one
        // most nearly level with the control names it, then the nearer one.
        const int offLevel = std::abs((r.top + r.bottom) / 2 - middle);
        const int scoreLeft = offLevel * 1000 + gapLeft;
        if (middle >= r.top - kRowSlack && middle < r.bottom + kRowSlack && gapLeft >= -2 && gapLeft <= kLabelGapLeft &&
            scoreLeft < bestLeft) {
            bestLeft = scoreLeft;
            left = c;
        }
        const int gapAbove = target.top - r.bottom;
        if (Overlap(r.left, r.right, target.left, target.right) && gapAbove >= -2 && gapAbove <= kLabelGapAbove &&
            gapAbove < bestAbove) {
            bestAbove = gapAbove;
            above = c;
        }
    }
    // A control taller than a row of text (a list, a colour table) has its label above it; the
    // labels level with its middle belong to other rows.
    if (target.Height() > kOneRow) std::swap(left, above);
    return left ? left : above;
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
    if (d.name.empty() && d.labelledByNeighbour) {
        if (Control* label = NeighbourLabel(control, RectInForm(control, d))) {
            d.labelledBy = label;
            d.name = NameFromLabel(DescribeOwn(*label).name);
        }
    }
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
    // The focus on a strip of page tabs is on the tab of the page it shows.
    if (c && DescribeOwn(*c).role == AccessibleRole::PageTabList) {
        for (Control* tab : AccessibleChildren(*c)) {
            const AccessibleDescription d = DescribeOwn(*tab);
            if (d.role == AccessibleRole::PageTab && d.selected) return tab;
        }
    }
    return c;
}

std::vector<Control*> LabelledControls(Control& label) {
    std::vector<Control*> out;
    Control* parent = AccessibleParent(label);
    if (!parent) return out;
    for (Control* c : AccessibleChildren(*parent))
        if (c != &label && DescribeOwn(*c).labelledByNeighbour && DescribeControl(*c).labelledBy == &label)
            out.push_back(c);
    return out;
}

}  // namespace veskel
