#include "platform/ui/Form.h"

#include <algorithm>
#include <climits>

#include "platform/ui/Application.h"
#include "platform/ui/FocusChain.h"
#include "platform/ui/PropertyTable.h"
#include "platform/ui/StoredLayout.h"
#include "platform/ui/UiInternal.h"

namespace veskel {

using detail::EqualsNoCase;

// Paints a control tree into a form's surface: each control after its parent, windowless
// children before windowed ones (so windowed children cover windowless siblings), each clipped to
// its own rectangle, its ancestors' rectangles and the area being repainted.
class FormPainter {
public:
    FormPainter(Form& form, Bitmap& surface) : form_(form), surface_(surface) {}

    void PaintControl(Control& c, const Rect& clip, Point offset) {
        // Edges past the int range are cut at it: the clip lies within the surface anyway.
        const auto edge = [](int from, int size) { return int(std::min<long long>((long long)from + size, INT_MAX)); };
        Rect r = Rect{offset.x, offset.y, edge(offset.x, c.Width()), edge(offset.y, c.Height())}.Intersect(clip);
        if (r.IsEmpty()) return;
        {
            Canvas canvas(surface_);
            canvas.SetOrigin(offset);
            canvas.SetClipRect(r);
            canvas.font = c.font_;
            canvas.brush.color = ResolveColor(c.color_);
            if (c.windowed_ && c.color_ != kClNone) canvas.FillRect(c.ClientRect());
            ++form_.paintCount_;
            c.Paint(canvas);
        }
        for (int pass = 0; pass < 2; ++pass) {
            // Copy: a Paint may not change the tree, but be safe against it.
            std::vector<Control*> kids = c.children_;
            for (Control* child : kids) {
                if (!child->visible_ || child->windowed_ != (pass == 1)) continue;
                // A child whose corner lies beyond the int range from the surface's origin lies
                // wholly outside the surface (its size is within the int range too).
                const long long x = (long long)offset.x + child->Left(), y = (long long)offset.y + child->Top();
                if (x > INT_MAX || y > INT_MAX || x < INT_MIN || y < INT_MIN) continue;
                PaintControl(*child, r, {int(x), int(y)});
            }
        }
    }

private:
    Form& form_;
    Bitmap& surface_;
};

Form::Form() {
    SetWindowed();
    isForm_ = true;
    visible_ = false;
    parentFont_ = false;
    bounds_ = {0, 0, 320, 240};
    surface_.Reset(320, 240);
    dirty_ = surface_.Bounds();
    if (Application* app = Application::Current()) app->forms_.push_back(this);
}

Form::~Form() {
    destroying_ = true;
    DoDestroy();
    while (!owned_.empty()) delete owned_.back();
    if (Application* app = Application::Current()) {
        app->ForgetForm(this);
        if (nativeWindow_) app->GetBackend().DestroyWindow(*this);
    }
    nativeWindow_ = false;
    activeControl_ = nullptr;
    isForm_ = false;
}

void Form::DoDestroy() {
    if (destroyRaised_) return;
    destroyRaised_ = true;
    if (OnDestroy) OnDestroy(*this);
}

void Form::SetCaption(std::string caption) {
    if (caption == Caption()) return;
    Control::SetCaption(std::move(caption));
    if (nativeWindow_) Application::Current()->GetBackend().UpdateWindowStyle(*this);
}

void Form::SetFrameless(bool v) {
    if (v == frameless_) return;
    frameless_ = v;
    if (nativeWindow_) Application::Current()->GetBackend().UpdateWindowStyle(*this);
}

void Form::SetTopMost(bool v) {
    if (v == topMost_) return;
    topMost_ = v;
    if (nativeWindow_) Application::Current()->GetBackend().UpdateWindowStyle(*this);
}

void Form::SetToolWindow(bool v) {
    if (v == toolWindow_) return;
    toolWindow_ = v;
    if (nativeWindow_) Application::Current()->GetBackend().UpdateWindowStyle(*this);
}

void Form::SetPopupOf(Form* owner, PopupRole role) {
    const bool none = !owner || role == PopupRole::None || owner == this;
    popupOwner_ = none ? 0 : owner->Handle();
    popupRole_ = none ? PopupRole::None : role;
    if (nativeWindow_) Application::Current()->GetBackend().UpdateWindowStyle(*this);
}

// Held by handle: an owner destroyed first leaves no dangling pointer behind.
Form* Form::PopupOwner() const {
    if (!popupOwner_) return nullptr;
    return dynamic_cast<Form*>(detail::LookupHandle(popupOwner_));
}

Rect Form::PlaceInOwner() const {
    const Form* owner = PopupOwner();
    if (!owner) return ScreenRect();
    return Rect::FromSize(Left() - owner->Left(), Top() - owner->Top(), Width(), Height());
}

void Form::SetTranslucent(bool v) {
    if (v == translucent_) return;
    translucent_ = v;
    if (nativeWindow_) Application::Current()->GetBackend().UpdateWindowStyle(*this);
}

void Form::SetSurfaceOpacity(std::vector<std::uint8_t> plane) {
    opacity_ = std::move(plane);
    InvalidateSurface(surface_.Bounds());
}

void Form::SetWindowState(WindowState state) {
    if (state == windowState_) return;
    windowState_ = state;
    if (nativeWindow_ && shown_) Application::Current()->GetBackend().SetWindowState(*this, state);
}

void Form::SetBounds(int left, int top, int width, int height) {
    const Rect nb = detail::BoundsRect(left, top, width, height);
    if (nb == bounds_) return;
    bool moved = nb.left != bounds_.left || nb.top != bounds_.top;
    bool resized = nb.Width() != bounds_.Width() || nb.Height() != bounds_.Height();
    bounds_ = nb;
    if (resized) {
        surface_.Reset(nb.Width(), nb.Height());
        dirty_ = {};
        InvalidateSurface(surface_.Bounds());
        Resized();
        if (OnResize) OnResize(*this);
        Realign();
    }
    if (nativeWindow_) Application::Current()->GetBackend().MoveWindow(*this);
    if (moved) Moved(Point{left, top});
}

void Form::NativeMoved(Point p) {
    if (p.x == Left() && p.y == Top()) return;
    bounds_ = bounds_.Offset(p.x - Left(), p.y - Top());
    Moved(p);
}

void Form::FinishCreate() {
    if (created_) return;
    created_ = true;
    if (OnCreate) OnCreate(*this);
}

void Form::ShowForm() { OpenWindow(true); }

void Form::ShowInactive() { OpenWindow(false); }

void Form::OpenWindow(bool activate) {
    Application* app = Application::Current();
    if (!app) throw std::logic_error("a form can only be shown while an Application exists");
    if (!created_) FinishCreate();
    if (shown_) {
        if (activate) Activate();
        return;
    }
    if (!placed_) {
        placed_ = true;
        if (position_ == FormPosition::ScreenCenter) {
            Size m = app->GetBackend().MonitorSize(ScreenRect());
            SetBounds((m.width - Width()) / 2, (m.height - Height()) / 2, Width(), Height());
        }
    }
    visible_ = true;
    shown_ = true;
    if (OnShow) OnShow(*this);
    if (!shown_) return;  // the show handler hid it again
    InvalidateSurface(surface_.Bounds());
    UpdateSurface();
    if (!nativeWindow_) {
        app->GetBackend().CreateWindow(*this);
        nativeWindow_ = true;
    }
    app->GetBackend().ShowWindow(*this, activate);
    // A state set while the form was hidden applies now that there is a window to apply it to.
    if (windowState_ != WindowState::Normal) app->GetBackend().SetWindowState(*this, windowState_);
    app->GetBackend().Present(*this, surface_.Bounds());
}

void Form::HideForm() {
    if (!shown_) return;
    shown_ = false;
    visible_ = false;
    Application* app = Application::Current();
    if (app && nativeWindow_) app->GetBackend().HideWindow(*this);
    if (app && active_) app->DispatchActivate(*this, false);
    if (OnHide) OnHide(*this);
}

void Form::Close() {
    Application* app = Application::Current();
    bool isMain = app && app->MainForm() == this;
    CloseAction action = CloseAction::Hide;
    if (OnClose) OnClose(*this, action);
    if (action == CloseAction::None) return;
    if (isMain) {
        HideForm();
        app->Terminate();
        return;
    }
    if (action == CloseAction::Free) Release();
    else HideForm();
}

void Form::Release() {
    if (Application* app = Application::Current()) app->RequestRelease(this);
}

void Form::Activate() {
    Application* app = Application::Current();
    if (!app || !shown_) return;
    if (nativeWindow_) app->GetBackend().RaiseWindow(*this, true);
}

void Form::SetActiveFlag(bool active) { active_ = active; }

void Form::SetActiveControl(Control* c) {
    if (c == activeControl_) return;
    if (c && c->GetForm() != this) return;
    Control* old = activeControl_;
    activeControl_ = c;
    focus::FocusMoved(*this, old, c);
    if (old) {
        old->FocusChanged(false);
        old->Invalidate();
    }
    if (c && activeControl_ == c) {
        c->FocusChanged(true);
        c->Invalidate();
    }
    if (Application* app = Application::Current(); app && activeControl_ == c) app->GetBackend().FocusMoved(*this, c);
}

void Form::InvalidateSurface(const Rect& r) {
    if (destroying_) return;
    Rect area = r.Intersect(surface_.Bounds());
    if (area.IsEmpty()) return;
    dirty_ = dirty_.Union(area);
    if (Application* app = Application::Current()) app->GetBackend().RequestIdle();
}

void Form::UpdateSurface() {
    if (painting_ || destroying_ || dirty_.IsEmpty()) return;
    Rect area = dirty_;
    dirty_ = {};
    PaintArea(area);
    Application* app = Application::Current();
    if (app && nativeWindow_ && shown_) app->GetBackend().Present(*this, area);
}

void Form::PaintAll() {
    InvalidateSurface(surface_.Bounds());
    UpdateSurface();
}

void Form::PaintArea(const Rect& area) {
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(painting_);
    FormPainter painter(*this, surface_);
    painter.PaintControl(*this, area, {0, 0});
    focus::PaintRing(*this, surface_, area);
}

void Form::StartWindowDrag() {
    if (Application* app = Application::Current(); app && nativeWindow_) app->Input().StartWindowDrag(*this);
}

HitArea Form::HitTestAt(Point screen) {
    HitArea area = HitArea::Client;
    HitTest(screen, area);
    return area;
}

void Form::ActivationChanged(bool active) {
    if (active) {
        if (OnActivate) OnActivate(*this);
    } else {
        if (OnDeactivate) OnDeactivate(*this);
    }
    Activated(active);
}

namespace {

FormPosition PositionFromName(const std::string& s) {
    return EqualsNoCase(s, "poScreenCenter") || EqualsNoCase(s, "poDesktopCenter") ||
                   EqualsNoCase(s, "poMainFormCenter") || EqualsNoCase(s, "poOwnerFormCenter")
               ? FormPosition::ScreenCenter
               : FormPosition::Designed;
}

// An entry for a form-only property that reads through `read` and writes what `write` gives.
PropertyTable::Entry FormEntry(const char* name, std::function<void(Form&, const LayoutValue&)> read,
                               std::function<void(const Form&, std::vector<LayoutProperty>&)> write) {
    return {name,
            [read](Control& c, std::string_view, const LayoutValue& v) {
                read(static_cast<Form&>(c), v);
                return true;
            },
            write ? PropertyTable::Writer([write](const Control& c, std::vector<LayoutProperty>& out) {
                write(static_cast<const Form&>(c), out);
            })
                  : PropertyTable::Writer(),
            {}};
}

}  // namespace

// A form stores its client size and window styles, always writes its colour and font, and shows
// when the program says so, whatever Visible says.
const PropertyTable& Form::StoredProperties() const {
    static const PropertyTable table = [&base = CustomControl::StoredProperties()] {
        auto clientWidth = [](Form& f, const LayoutValue& v) { f.SetClientSize(v.AsInt32(), f.Height()); };
        auto clientHeight = [](Form& f, const LayoutValue& v) { f.SetClientSize(f.Width(), v.AsInt32()); };
        PropertyTable t;
        t.AddFrom(base, {"Left", "Top"})
            .Add(FormEntry(
                "BorderStyle",
                [](Form& f, const LayoutValue& v) {
                    const std::string& s = v.AsIdent();
                    f.SetFrameless(EqualsNoCase(s, "bsNone"));
                    f.SetToolWindow(EqualsNoCase(s, "bsToolWindow") || EqualsNoCase(s, "bsSizeToolWin"));
                },
                [](const Form& f, std::vector<LayoutProperty>& out) {
                    if (f.Frameless()) out.push_back({"BorderStyle", LayoutValue::Ident("bsNone")});
                    else if (f.ToolWindow()) out.push_back({"BorderStyle", LayoutValue::Ident("bsToolWindow")});
                }))
            .AddFrom(base, {"Caption"})
            .Add(FormEntry("ClientHeight", clientHeight,
                           [](const Form& f, std::vector<LayoutProperty>& out) {
                               out.push_back({"ClientHeight", LayoutValue::Int(f.Height())});
                           }))
            .Add(FormEntry("ClientWidth", clientWidth,
                           [](const Form& f, std::vector<LayoutProperty>& out) {
                               out.push_back({"ClientWidth", LayoutValue::Int(f.Width())});
                           }))
            .AddFrom(base, {"Color"})
            .Add(PropertyTable::Entry{"Font.", base.Find("Font.")->read,
                                      [](const Control& c, std::vector<LayoutProperty>& out) {
                                          GetFontProperties(c.GetFont(), "Font.", out);
                                      },
                                      {}})
            .Add(FormEntry("FormStyle",
                           [](Form& f, const LayoutValue& v) { f.SetTopMost(EqualsNoCase(v.AsIdent(), "fsStayOnTop")); },
                           [](const Form& f, std::vector<LayoutProperty>& out) {
                               if (f.TopMost()) out.push_back({"FormStyle", LayoutValue::Ident("fsStayOnTop")});
                           }))
            .Add(FormEntry("Position", [](Form& f, const LayoutValue& v) { f.SetPosition(PositionFromName(v.AsIdent())); },
                           [](const Form& f, std::vector<LayoutProperty>& out) {
                               if (f.Position() == FormPosition::ScreenCenter)
                                   out.push_back({"Position", LayoutValue::Ident("poScreenCenter")});
                           }))
            .AddFrom(base, {"Align", "Cursor", "Enabled", "Hint", "ShowHint", "Tag", "*Kept"})
            // Read but not written: the size under its control names, the parent font switch, and
            // Visible, which a form ignores.
            .Add(FormEntry("Width", clientWidth, nullptr))
            .Add(FormEntry("Height", clientHeight, nullptr))
            .AddFrom(base, {"ParentFont"})
            .ReadOnly("ParentFont")
            .Add(FormEntry("Visible", [](Form&, const LayoutValue& v) { v.AsBool(); }, nullptr))
            .EventsFrom(base, {"OnClick", "OnDblClick", "OnMouseDown", "OnMouseUp", "OnMouseMove", "OnMouseWheel",
                               "OnKeyDown", "OnResize"})
            .Event("OnCreate", &Form::OnCreate)
            .Event("OnShow", &Form::OnShow)
            .Event("OnHide", &Form::OnHide)
            .Event("OnDestroy", &Form::OnDestroy)
            .Event("OnActivate", &Form::OnActivate)
            .Event("OnDeactivate", &Form::OnDeactivate);
        return t;
    }();
    return table;
}

}  // namespace veskel
