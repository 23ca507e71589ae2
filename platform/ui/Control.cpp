#include "platform/ui/Control.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>
#include <map>
#include <stdexcept>

#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/StoredLayout.h"
#include "platform/ui/UiInternal.h"

namespace veskel {

namespace detail {

namespace {
std::map<WindowHandle, Control*>& HandleTable() {
    static std::map<WindowHandle, Control*> table;
    return table;
}
WindowHandle g_nextHandle = 0x1000;
}  // namespace

WindowHandle AllocateHandle(Control* control) {
    g_nextHandle += 4;
    HandleTable()[g_nextHandle] = control;
    return g_nextHandle;
}

void FreeHandle(WindowHandle handle) { HandleTable().erase(handle); }

Control* LookupHandle(WindowHandle handle) {
    auto it = HandleTable().find(handle);
    return it == HandleTable().end() ? nullptr : it->second;
}

}  // namespace detail


using detail::EqualsNoCase;

// ---------------------------------------------------------------- life cycle

Control::Control() = default;

Control::~Control() {
    while (!owned_.empty()) delete owned_.back();  // each removes itself from owned_
    for (Control* c : children_) c->parent_ = nullptr;
    children_.clear();
    if (parent_) {
        InvalidateInParent();
        parent_->RemoveChild(this);
    }
    if (owner_) {
        auto& v = owner_->owned_;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    if (Application* app = Application::Current()) app->Input().ForgetControl(this);
    if (handle_) detail::FreeHandle(handle_);
}

void Control::SetWindowed() {
    if (windowed_) return;
    windowed_ = true;
    handle_ = detail::AllocateHandle(this);
}

GraphicControl::GraphicControl() = default;

CustomControl::CustomControl() { SetWindowed(); }

// ---------------------------------------------------------------- tree

void Control::RemoveChild(Control* child) {
    children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
}

void Control::SetParent(Control* parent) {
    if (parent == parent_) return;
    if (parent && !parent->windowed_)
        throw std::logic_error("a windowless control cannot hold child controls");
    for (Control* p = parent; p; p = p->parent_)
        if (p == this) throw std::logic_error("a control cannot be its own ancestor");
    if (parent_) {
        InvalidateInParent();
        Control* old = parent_;
        old->RemoveChild(this);
        parent_ = nullptr;
        old->Realign();
    }
    parent_ = parent;
    if (parent_) {
        parent_->children_.push_back(this);
        if (parentFont_) {
            font_ = parent_->font_;
            FontChanged();
            ParentFontChanged();
        }
        parent_->Realign();
        InvalidateInParent();
    }
}

void Control::BringToFront() {
    if (!parent_) return;
    auto& v = parent_->children_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    v.push_back(this);
    InvalidateInParent();
}

void Control::SendToBack() {
    if (!parent_) return;
    auto& v = parent_->children_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    v.insert(v.begin(), this);
    InvalidateInParent();
}

Form* Control::GetForm() const {
    const Control* c = this;
    while (c->parent_) c = c->parent_;
    return c->isForm_ ? static_cast<Form*>(const_cast<Control*>(c)) : nullptr;
}

Control* Control::WindowedAncestor() {
    Control* c = this;
    while (c && !c->windowed_) c = c->parent_;
    return c;
}

namespace {

// Positions summed along a parent chain, held at the int range's ends rather than wrapping: a
// control placed near them can never be on screen, so where it counts as being makes no
// difference, only that it stays far away.
Point Saturated(std::int64_t x, std::int64_t y) {
    const auto clamp = [](std::int64_t v) {
        return int(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    };
    return {clamp(x), clamp(y)};
}

}  // namespace

Point Control::OffsetInForm() const {
    std::int64_t x = 0, y = 0;
    for (const Control* c = this; c && !c->isForm_; c = c->parent_) {
        x += c->bounds_.left;
        y += c->bounds_.top;
    }
    return Saturated(x, y);
}

Point Control::ClientToScreen(Point p) const {
    const Point off = OffsetInForm();
    std::int64_t x = std::int64_t(p.x) + off.x, y = std::int64_t(p.y) + off.y;
    if (Form* f = GetForm()) {
        x += f->Left();
        y += f->Top();
    }
    return Saturated(x, y);
}

Point Control::ScreenToClient(Point p) const {
    const Point origin = ClientToScreen({0, 0});
    return Saturated(std::int64_t(p.x) - origin.x, std::int64_t(p.y) - origin.y);
}

Control* Control::Own(std::unique_ptr<Control> control) {
    Control* raw = control.release();
    if (raw->owner_) {
        auto& v = raw->owner_->owned_;
        v.erase(std::remove(v.begin(), v.end(), raw), v.end());
    }
    raw->owner_ = this;
    owned_.push_back(raw);
    return raw;
}

Control* Control::FindComponent(std::string_view name) const {
    for (Control* c : owned_) {
        if (EqualsNoCase(c->name_, name)) return c;
    }
    for (Control* c : owned_) {
        if (Control* found = c->FindComponent(name)) return found;
    }
    return nullptr;
}

// ---------------------------------------------------------------- geometry and state

void Control::SetBounds(int left, int top, int width, int height) {
    const Rect nb = detail::BoundsRect(left, top, width, height);
    if (nb == bounds_) return;
    bool resized = nb.Width() != bounds_.Width() || nb.Height() != bounds_.Height();
    InvalidateInParent();
    bounds_ = nb;
    InvalidateInParent();
    if (resized) {
        Resized();
        if (OnResize) OnResize(*this);
        Realign();
    }
}

void Control::SetAlign(Align a) {
    if (a == align_) return;
    align_ = a;
    if (parent_) parent_->Realign();
}

void Control::EnableAlign() {
    if (alignDisabled_ > 0 && --alignDisabled_ == 0) Realign();
}

void Control::Realign() {
    if (alignDisabled_ > 0) return;
    Rect r = AlignArea();
    auto place = [&](Align which) {
        for (Control* c : children_) {
            if (c->align_ != which || !c->visible_) continue;
            switch (which) {
                case Align::Top:
                    c->SetBounds(r.left, r.top, r.Width(), c->Height());
                    r.top += c->Height();
                    break;
                case Align::Bottom:
                    c->SetBounds(r.left, r.bottom - c->Height(), r.Width(), c->Height());
                    r.bottom -= c->Height();
                    break;
                case Align::Left:
                    c->SetBounds(r.left, r.top, c->Width(), r.Height());
                    r.left += c->Width();
                    break;
                case Align::Right:
                    c->SetBounds(r.right - c->Width(), r.top, c->Width(), r.Height());
                    r.right -= c->Width();
                    break;
                case Align::Client:
                    c->SetBounds(r.left, r.top, std::max(r.Width(), 0), std::max(r.Height(), 0));
                    break;
                case Align::None: break;
            }
        }
    };
    place(Align::Top);
    place(Align::Bottom);
    place(Align::Left);
    place(Align::Right);
    place(Align::Client);
}

void Control::SetVisible(bool v) {
    if (isForm_) {
        Form* f = static_cast<Form*>(this);
        v ? f->ShowForm() : f->HideForm();
        return;
    }
    if (v == visible_) return;
    if (!v) InvalidateInParent();
    visible_ = v;
    if (v) InvalidateInParent();
    if (!v) {
        if (Form* f = GetForm()) {
            if (f->ActiveControl() == this) f->SetActiveControl(nullptr);
        }
    }
    if (parent_ && align_ != Align::None) parent_->Realign();
}

bool Control::Showing() const {
    for (const Control* c = this; c && !c->isForm_; c = c->parent_)
        if (!c->visible_) return false;
    return true;
}

void Control::SetEnabled(bool e) {
    if (e == enabled_) return;
    enabled_ = e;
    EnabledChanged();
    Invalidate();
}

bool Control::EffectivelyEnabled() const {
    for (const Control* c = this; c; c = c->parent_)
        if (!c->enabled_) return false;
    return true;
}

void Control::SetCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    Invalidate();
}

Font& Control::MutableFont() {
    parentFont_ = false;
    return font_;
}

void Control::SetFont(const Font& f) {
    parentFont_ = false;
    if (f == font_) return;
    font_ = f;
    FontChanged();
    ParentFontChanged();
    Invalidate();
}

void Control::SetParentFont(bool v) {
    parentFont_ = v;
    if (v && parent_ && !(font_ == parent_->font_)) {
        font_ = parent_->font_;
        FontChanged();
        ParentFontChanged();
        Invalidate();
    }
}

void Control::ParentFontChanged() {
    for (Control* c : children_) {
        if (!c->parentFont_) continue;
        c->font_ = font_;
        c->FontChanged();
        c->ParentFontChanged();
        c->Invalidate();
    }
}

void Control::SetColor(Color c) {
    if (c == color_) return;
    color_ = c;
    Invalidate();
}

void Control::SetCursor(CursorId c) {
    cursor_ = c;
    if (Application* app = Application::Current())
        if (Form* f = GetForm()) app->UpdateCursor(*f);
}

// ---------------------------------------------------------------- painting

void Control::Invalidate() { InvalidateRect(ClientRect()); }

void Control::InvalidateRect(const Rect& r) {
    Form* form = GetForm();
    if (!form || !Showing()) return;
    // Clip to this control and every ancestor between it and the form.
    Rect area = r.Intersect(ClientRect());
    const Control* c = this;
    Point off{};
    while (!c->isForm_) {
        off.x += c->bounds_.left;
        off.y += c->bounds_.top;
        area = area.Offset(c->bounds_.left, c->bounds_.top);
        c = c->parent_;
        area = area.Intersect(c->ClientRect());
        if (area.IsEmpty()) return;
    }
    form->InvalidateSurface(area);
}

void Control::InvalidateInParent() {
    if (!parent_ || !Showing()) return;
    parent_->InvalidateRect(bounds_);
}

void Control::Update() {
    if (Form* f = GetForm()) f->UpdateSurface();
}

void Control::Repaint() {
    Invalidate();
    Update();
}

void Control::Paint(Canvas&) {}

void Control::Describe(AccessibleDescription&) {}

// ---------------------------------------------------------------- input

bool Control::Focused() const {
    Form* f = GetForm();
    return f && f->ActiveControl() == this;
}

bool Control::CanFocus() const {
    return windowed_ && !isForm_ && GetForm() && Showing() && EffectivelyEnabled();
}

void Control::SetFocus() {
    if (Form* f = GetForm()) f->SetActiveControl(this);
}

void Control::SetCapture() {
    if (Application* app = Application::Current()) app->Input().SetCapture(this);
}

void Control::ReleaseCapture() {
    if (Application* app = Application::Current()) app->Input().ReleaseCapture(this);
}

bool Control::HasCapture() const {
    Application* app = Application::Current();
    return app && app->Input().Capture() == this;
}

void Control::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
    if (!handlesPressRelease_ && OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}
void Control::MouseMove(ShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}
void Control::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
    if (!handlesPressRelease_ && OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}
bool Control::MouseWheel(ShiftState shift, int delta, int x, int y) {
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(*this, shift, delta, x, y, handled);
    return handled;
}
void Control::MouseEnter() {
    if (OnMouseEnter) OnMouseEnter(*this);
}
void Control::MouseLeave() {
    if (OnMouseLeave) OnMouseLeave(*this);
}
void Control::Click() {
    if (OnClick) OnClick(*this);
}
void Control::DblClick() {
    if (OnDblClick) OnDblClick(*this);
}
void Control::KeyDown(int& key, ShiftState shift) {
    if (OnKeyDown) OnKeyDown(*this, key, shift);
}
void Control::KeyUp(int, ShiftState) {}
void Control::TextInput(std::string_view) {}
void Control::FocusChanged(bool) {}
void Control::Resized() {}

void Control::PressKey(int key) {
    Application* app = Application::Current();
    KeyDown(key, app ? app->Input().KeyShift() : 0);
}

}  // namespace veskel
