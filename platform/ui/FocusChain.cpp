#include "platform/ui/FocusChain.h"

#include <algorithm>
#include <climits>
#include <optional>

#include "platform/ui/Application.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Form.h"
#include "platform/ui/LayoutValue.h"

namespace veskel::focus {

namespace {

bool ringVisible = false;

std::vector<std::pair<int, FocusListener>>& Listeners() {
    static std::vector<std::pair<int, FocusListener>> listeners;
    return listeners;
}

RingPainter& Painter() {
    static RingPainter painter = [](Canvas& canvas, const Rect& ring) { canvas.FrameRect(ring, kBlack); };
    return painter;
}

// The TabOrder a stored layout gave the control, if any.
std::optional<int> StoredTabOrder(const Control& c) {
    std::vector<LayoutProperty> props;
    c.GetProperties(props);
    for (const LayoutProperty& p : props)
        if (p.name == "TabOrder" && p.value.kind == LayoutValue::Kind::Integer) return int(p.value.integer);
    return std::nullopt;
}

// Reading order: rows from the top, each from the left; stored tab orders first.
void SortSiblings(std::vector<Control*>& kids) {
    std::stable_sort(kids.begin(), kids.end(), [](Control* a, Control* b) { return a->Top() < b->Top(); });
    for (std::size_t row = 0; row < kids.size();) {
        std::size_t end = row + 1;
        while (end < kids.size() && kids[end]->Top() - kids[row]->Top() <= kRowSlack) ++end;
        std::stable_sort(kids.begin() + std::ptrdiff_t(row), kids.begin() + std::ptrdiff_t(end),
                         [](Control* a, Control* b) { return a->Left() < b->Left(); });
        row = end;
    }
    std::vector<std::pair<int, Control*>> keyed;
    for (Control* c : kids) keyed.push_back({StoredTabOrder(*c).value_or(INT_MAX), c});
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < kids.size(); ++i) kids[i] = keyed[i].second;
}

void Collect(const Control& container, std::vector<Control*>& out) {
    std::vector<Control*> kids;
    for (Control* c : container.Children())
        if (c->Visible() && c->Enabled()) kids.push_back(c);
    SortSiblings(kids);
    for (Control* c : kids) {
        Collect(*c, out);
        if (IsStop(*c)) out.push_back(c);
    }
}

// The form's area of a control's ring: its bounds and the margin round them.
Rect RingArea(const Control& c) {
    const Point at = c.OffsetInForm();
    const Rect r = c.FocusRingBounds();
    return {r.left + at.x - kRingMargin, r.top + at.y - kRingMargin, r.right + at.x + kRingMargin,
            r.bottom + at.y + kRingMargin};
}

void InvalidateRing(Control* c) {
    if (!c) return;
    if (Form* f = c->GetForm()) f->InvalidateSurface(RingArea(*c));
}

void SetRingVisible(bool v) {
    if (ringVisible == v) return;
    ringVisible = v;
    if (Application* app = Application::Current())
        for (Form* f : app->Forms()) InvalidateRing(f->ActiveControl());
}

PageSwitcher* FindSwitcher(const Control& root) {
    for (Control* c : root.Children()) {
        if (!c->Visible()) continue;
        if (auto* s = dynamic_cast<PageSwitcher*>(c)) return s;
        if (PageSwitcher* s = FindSwitcher(*c)) return s;
    }
    return nullptr;
}

}  // namespace

bool IsStop(const Control& c) {
    return (c.Focusable() || c.KeyboardStop()) && c.GetForm() && c.Showing() && c.EffectivelyEnabled();
}

std::vector<Control*> TabStops(const Control& root) {
    std::vector<Control*> out;
    Collect(root, out);
    if (IsStop(root)) out.push_back(const_cast<Control*>(&root));
    return out;
}

void FocusByKeyboard(Control& c) {
    Form* form = c.GetForm();
    if (!form) return;
    form->SetActiveControl(&c);
    if (auto* edit = dynamic_cast<Edit*>(&c)) edit->SelectAll();
    SetRingVisible(true);
}

bool MoveFocus(Form& form, bool backward) {
    const std::vector<Control*> stops = TabStops(form);
    if (stops.empty()) return false;
    const auto at = std::find(stops.begin(), stops.end(), form.ActiveControl());
    std::size_t next = 0;
    if (at == stops.end()) next = backward ? stops.size() - 1 : 0;
    else {
        const std::size_t i = std::size_t(at - stops.begin());
        next = backward ? (i + stops.size() - 1) % stops.size() : (i + 1) % stops.size();
    }
    FocusByKeyboard(*stops[next]);
    return true;
}

bool NavigationKey(Form& form, int key, ShiftState shift) {
    const ShiftState mods = shift & (kShift | kCtrl | kAlt);
    if (key == kKeyTab && (mods & ~kShift) == 0) return MoveFocus(form, mods & kShift);
    int step = 0;
    if (key == kKeyTab && (mods == kCtrl || mods == (kCtrl | kShift))) step = (mods & kShift) ? -1 : 1;
    else if ((key == kKeyNext || key == kKeyPrior) && mods == kCtrl) step = key == kKeyNext ? 1 : -1;
    if (step == 0) return false;
    PageSwitcher* switcher = nullptr;
    for (Control* c = form.ActiveControl(); c && !switcher; c = c->Parent()) switcher = dynamic_cast<PageSwitcher*>(c);
    if (!switcher) switcher = FindSwitcher(form);
    if (!switcher) return false;
    switcher->StepPage(step);
    SetRingVisible(true);
    return true;
}

bool RingVisible() { return ringVisible; }

void ApplicationStarted() { ringVisible = false; }

void PointerPressed(Form&) { SetRingVisible(false); }

void FocusMoved(Form& form, Control* from, Control* to) {
    if (ringVisible) {
        InvalidateRing(from);
        InvalidateRing(to);
    }
    // A copy: a listener may remove itself.
    const auto listeners = Listeners();
    for (const auto& entry : listeners) entry.second(form, to);
}

int AddFocusListener(FocusListener listener) {
    static int nextId = 1;
    Listeners().push_back({nextId, std::move(listener)});
    return nextId++;
}

void RemoveFocusListener(int id) {
    std::erase_if(Listeners(), [id](const auto& l) { return l.first == id; });
}

void PaintRing(Form& form, Bitmap& surface, const Rect& area) {
    Control* c = form.ActiveControl();
    if (!ringVisible || !c || !c->Showing()) return;
    const Rect clip = RingArea(*c).Intersect(area).Intersect(surface.Bounds());
    if (clip.IsEmpty()) return;
    Canvas canvas(surface);
    canvas.SetClipRect(clip);
    Painter()(canvas, RingArea(*c));
}

void SetRingPainter(RingPainter painter) { Painter() = std::move(painter); }

}  // namespace veskel::focus
