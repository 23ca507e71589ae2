#include "platform/ui/Application.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <stdexcept>

#include "platform/ui/Form.h"
#include "platform/ui/HintWindow.h"

namespace veskel {

namespace {
Application* g_current = nullptr;

unsigned ButtonBit(MouseButton b) {
    switch (b) {
        case MouseButton::Left: return kLeftHeld;
        case MouseButton::Right: return kRightHeld;
        case MouseButton::Middle: return kMiddleHeld;
    }
    return 0;
}
}  // namespace

// ---------------------------------------------------------------- timers (scheduling in Timer.cpp)

void Application::DispatchTimers() {
    // One pass of the loop: every timer due when the pass starts ticks once, earliest first, and
    // its next tick is one interval after this one. A late timer (its handler, or another, took
    // longer than the interval) does not catch up on the ticks it missed: they fold into this
    // one, and the loop reads input before the next pass, however long the handlers take.
    const std::int64_t passStart = NowMs();
    std::vector<Timer*> due;
    for (Timer* t : timers_)
        if (t->due_ <= passStart) due.push_back(t);
    std::sort(due.begin(), due.end(),
              [](const Timer* a, const Timer* b) { return a->due_ != b->due_ ? a->due_ < b->due_ : a->order_ < b->order_; });
    for (Timer* t : due) {
        // An earlier handler may have stopped, restarted or destroyed this timer.
        if (std::find(timers_.begin(), timers_.end(), t) == timers_.end() || t->due_ > passStart) continue;
        t->due_ = NowMs() + t->interval_;
        if (t->OnTimer) Guarded([&] { t->OnTimer(); });
    }
    ScheduleTimers();
}

// ---------------------------------------------------------------- life cycle

Application::Application(Backend& backend) : backend_(backend), hints_(std::make_unique<HintPresenter>()) {
    if (g_current) throw std::logic_error("only one Application may exist at a time");
    g_current = this;
    backend_.Attach(this);
}

Application::~Application() {
    while (!ownedForms_.empty()) {
        std::unique_ptr<Form> f = std::move(ownedForms_.back());
        ownedForms_.pop_back();
        f.reset();
    }
    timers_.clear();
    backend_.Attach(nullptr);
    g_current = nullptr;
}

Application* Application::Current() { return g_current; }

Form* Application::AdoptForm(std::unique_ptr<Form> form) {
    Form* raw = form.get();
    if (std::find(forms_.begin(), forms_.end(), raw) == forms_.end()) forms_.push_back(raw);
    ownedForms_.push_back(std::move(form));
    if (!mainForm_) mainForm_ = raw;
    return raw;
}

void Application::ForgetForm(Form* f) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end());
    released_.erase(std::remove(released_.begin(), released_.end(), f), released_.end());
    for (auto it = ownedForms_.begin(); it != ownedForms_.end(); ++it) {
        if (it->get() == f) {
            (void)it->release();  // being destroyed by someone else
            ownedForms_.erase(it);
            break;
        }
    }
    if (mainForm_ == f) mainForm_ = nullptr;
    if (activeForm_ == f) activeForm_ = nullptr;
    if (hoverForm_ == f) hoverForm_ = nullptr;
}

void Application::StartWindowDrag(Form& form) {
    buttonsHeld_ = 0;
    capture_ = nullptr;
    pressed_ = nullptr;
    backend_.StartSystemMove(form);
}

void Application::ReleaseCapture(const Control* c) {
    if (capture_ && capture_ == c) {
        capture_ = nullptr;
        buttonsHeld_ = 0;
    }
}

Control* Application::FocusedControl() const { return activeForm_ ? activeForm_->ActiveControl() : nullptr; }

HintWindow* Application::ShownHint() const { return hints_->Shown(); }

void Application::ForgetControl(Control* c) {
    hints_->Forget(c);
    ReleaseCapture(c);
    if (pressed_ == c) pressed_ = nullptr;
    if (hovered_ == c) hovered_ = nullptr;
    if (dispatchTarget_ == c) dispatchTarget_ = nullptr;
    if (lastClickControl_ == c) lastClickControl_ = nullptr;
    for (Form* f : forms_) f->ForgetActiveControl(c);
}

void Application::RequestRelease(Form* f) {
    if (std::find(released_.begin(), released_.end(), f) == released_.end()) released_.push_back(f);
    backend_.RequestIdle();
}

// ---------------------------------------------------------------- loop

void Application::Run() {
    if (mainForm_ && !mainForm_->IsShown()) Guarded([&] { mainForm_->ShowForm(); });
    if (!terminated_) backend_.RunLoop();
}

void Application::Terminate() {
    terminated_ = true;
    backend_.QuitLoop();
}

void Application::ProcessMessages() {
    if (inIdle_) return;
    inIdle_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{inIdle_};
    while (!released_.empty()) {
        Form* f = released_.front();
        released_.erase(released_.begin());
        Guarded([&] {
            auto it = std::find_if(ownedForms_.begin(), ownedForms_.end(),
                                   [f](const std::unique_ptr<Form>& p) { return p.get() == f; });
            if (it != ownedForms_.end()) {
                std::unique_ptr<Form> dying = std::move(*it);
                ownedForms_.erase(it);
                dying.reset();
            } else if (f->Owner()) {
                delete f;
            } else {
                f->HideForm();
            }
        });
    }
    PaintPendingForms();
}

void Application::PaintPendingForms() {
    std::vector<Form*> forms = forms_;
    for (Form* f : forms) {
        if (std::find(forms_.begin(), forms_.end(), f) == forms_.end()) continue;
        Guarded([&] { f->UpdateSurface(); });
    }
}

// ---------------------------------------------------------------- exceptions

template <class F>
void Application::Guarded(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        ShowException(e);
    } catch (...) {
        ShowException(std::runtime_error("Unknown error"));
    }
}

void Application::ShowException(const std::exception& e) {
    if (OnException) {
        OnException(e.what());
        return;
    }
    try {
        backend_.MessageBox(e.what(), Title, kMbOk | kMbIconError);
    } catch (...) {
        // Nothing sensible is left to report with.
    }
}

int Application::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    return backend_.MessageBox(text, caption.empty() ? Title : caption, flags);
}

Size Application::MonitorSize(const Form& form) { return backend_.MonitorSize(form.ScreenRect()); }

// ---------------------------------------------------------------- cursors

void Application::SetScreenCursor(CursorId id) {
    screenCursor_ = id;
    for (Form* f : forms_)
        if (f->IsShown()) UpdateCursor(*f);
}

void Application::ShowPendingPaints() {
    PaintPendingForms();
    backend_.ShowPendingPaints();
}

BusyCursor::BusyCursor(Application& app) : app_(app), before_(app.ScreenCursor()) {
    app_.SetScreenCursor(kCrHourGlass);
    app_.ShowPendingPaints();
}

BusyCursor::~BusyCursor() { app_.SetScreenCursor(before_); }

void Application::RegisterCursor(CursorId id, Picture image, Point hotSpot) {
    customCursors_[id] = {std::move(image), hotSpot};
    for (Form* f : forms_)
        if (f->IsShown()) UpdateCursor(*f);
}

CursorShape Application::CurrentCursor(const Form& form) const {
    CursorId id = screenCursor_;
    if (id == kCrDefault) {
        const Control* c = capture_ ? capture_ : hovered_;
        if (c && c->GetForm() != &form) c = nullptr;
        for (; c && id == kCrDefault; c = c->parent_) id = c->cursor_;
    }
    CursorShape shape;
    shape.id = id;
    auto it = customCursors_.find(id);
    if (it != customCursors_.end()) {
        shape.image = &it->second.image;
        shape.hotSpot = it->second.hotSpot;
    }
    return shape;
}

void Application::UpdateCursor(Form& form) {
    if (!form.nativeWindow_) return;
    backend_.SetCursor(form, CurrentCursor(form));
}

// ---------------------------------------------------------------- pointer routing

namespace {
// The topmost visible control under p (p in c's coordinates): windowed children cover windowless
// ones, later siblings cover earlier ones. With enabledOnly, disabled windowless controls let the
// pointer through to their parent and disabled windowed ones swallow it.
Control* HitTest(Control* c, Point p, bool enabledOnly, bool& swallowed) {
    const auto& kids = c->Children();
    for (int pass = 0; pass < 2; ++pass) {
        bool windowed = pass == 0;
        for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
            Control* k = *it;
            if (!k->Visible() || k->IsWindowed() != windowed || !k->BoundsRect().Contains(p)) continue;
            if (windowed) {
                if (enabledOnly && !k->Enabled()) {
                    swallowed = true;
                    return nullptr;
                }
                return HitTest(k, {p.x - k->Left(), p.y - k->Top()}, enabledOnly, swallowed);
            }
            if (enabledOnly && !k->Enabled()) continue;
            return k;
        }
    }
    return c;
}
}  // namespace

Control* Application::TargetAt(Form& form, Point client, bool enabledOnly) {
    if (!form.ClientRect().Contains(client)) return enabledOnly ? &form : nullptr;
    bool swallowed = false;
    Control* c = HitTest(&form, client, enabledOnly, swallowed);
    if (enabledOnly && c && !c->EffectivelyEnabled()) return nullptr;
    return swallowed ? nullptr : c;
}

void Application::SetHovered(Control* c) {
    if (c == hovered_) return;
    Control* old = hovered_;
    hovered_ = c;
    if (old) old->MouseLeave();
    if (c && hovered_ == c) {
        c->MouseEnter();
    }
}

void Application::UpdateHover(Form& form, Point client) {
    hoverForm_ = &form;
    SetHovered(TargetAt(form, client, false));
}

static Point Local(Control* c, Point client) {
    const Point off = c->OffsetInForm();
    // Held at the int range's ends for a control placed near them (see OffsetInForm).
    const auto local = [](int at, int offset) {
        return int(std::clamp<std::int64_t>(std::int64_t(at) - offset, std::numeric_limits<int>::min(),
                                            std::numeric_limits<int>::max()));
    };
    return {local(client.x, off.x), local(client.y, off.y)};
}

void Application::DispatchMouseDown(Form& form, Point client, MouseButton button, ShiftState shift) {
    Guarded([&] {
        UpdateHover(form, client);
        hints_->Dismiss();
        Control* target = capture_ ? capture_ : TargetAt(form, client, true);
        if (!target) return;
        // A left press on the form's own surface asks the form where it is: a caption answer
        // (from a listener of the form's HitTest) turns the press into a window drag.
        if (!capture_ && button == MouseButton::Left && target->WindowedAncestor() == &form) {
            if (form.HitTestAt(form.ClientToScreen(client)) == HitArea::Caption) {
                StartWindowDrag(form);
                return;
            }
        }
        buttonsHeld_ |= ButtonBit(button);
        if (!capture_) {
            capture_ = target;
            captureButton_ = button;
        }
        if (target->Focusable() && target->CanFocus()) form.SetActiveControl(target);
        bool dbl = false;
        if (button == MouseButton::Left) {
            std::int64_t now = NowMs();
            dbl = target->AcceptsDoubleClicks() && lastClickControl_ == target &&
                  now - lastClickTime_ <= DoubleClickTime && std::abs(client.x - lastClickPos_.x) <= 2 &&
                  std::abs(client.y - lastClickPos_.y) <= 2;
            if (dbl) {
                lastClickControl_ = nullptr;
            } else {
                lastClickControl_ = target;
                lastClickTime_ = now;
                lastClickPos_ = client;
            }
            pressed_ = target;
            pressWasDouble_ = dbl;
        }
        Point p = Local(target, client);
        ShiftState s = (shift & (kShift | kAlt | kCtrl)) | buttonsHeld_;
        dispatchTarget_ = target;
        if (dbl) {
            target->DblClick();
            s |= kDoubleClick;
        }
        if (dispatchTarget_) target->MouseDown(button, s, p.x, p.y);
        dispatchTarget_ = nullptr;
        UpdateCursor(form);
    });
}

void Application::DispatchMouseMove(Form& form, Point client, ShiftState shift) {
    Guarded([&] {
        UpdateHover(form, client);
        Control* target = capture_ ? capture_ : TargetAt(form, client, true);
        if (target) {
            Point p = Local(target, client);
            target->MouseMove((shift & (kShift | kAlt | kCtrl)) | buttonsHeld_, p.x, p.y);
        }
        // After the move: a control may change its hint as the pointer crosses its parts.
        if (buttonsHeld_) hints_->Dismiss();
        else hints_->PointerOver(hovered_);
        UpdateCursor(form);
    });
}

void Application::DispatchMouseUp(Form& form, Point client, MouseButton button, ShiftState shift) {
    Guarded([&] {
        UpdateHover(form, client);
        Control* target = capture_ ? capture_ : TargetAt(form, client, true);
        buttonsHeld_ &= ~ButtonBit(button);
        if (buttonsHeld_ == 0) capture_ = nullptr;
        if (!target) return;
        Point p = Local(target, client);
        bool click = button == MouseButton::Left && pressed_ == target && !pressWasDouble_ &&
                     target->ClientRect().Contains(p);
        if (button == MouseButton::Left) pressed_ = nullptr;
        // As on the classic platform, the click comes before the release notice.
        dispatchTarget_ = target;
        if (click) target->Click();
        if (dispatchTarget_) target->MouseUp(button, (shift & (kShift | kAlt | kCtrl)) | buttonsHeld_, p.x, p.y);
        dispatchTarget_ = nullptr;
        UpdateCursor(form);
    });
}

void Application::DispatchMouseWheel(Form& form, Point client, int delta, ShiftState shift) {
    Guarded([&] {
        UpdateHover(form, client);
        hints_->Dismiss();
        Control* target = capture_ ? capture_ : TargetAt(form, client, true);
        const ShiftState s = (shift & (kShift | kAlt | kCtrl)) | buttonsHeld_;
        dispatchTarget_ = target;
        while (target && dispatchTarget_) {
            const Point p = Local(target, client);
            if (target->MouseWheel(s, delta, p.x, p.y) || !dispatchTarget_) break;
            target = target->Parent();
            dispatchTarget_ = target;
        }
        dispatchTarget_ = nullptr;
        UpdateCursor(form);
    });
}

void Application::DispatchMouseExit(Form& form) {
    Guarded([&] {
        if (hovered_ && hovered_->GetForm() == &form) SetHovered(nullptr);
        hints_->PointerOver(hovered_);
    });
}

void Application::DispatchKeyDown(Form& form, int key, ShiftState shift) {
    Guarded([&] {
        hints_->Dismiss();
        Control* target = form.ActiveControl() ? form.ActiveControl() : &form;
        keyShift_ = shift & (kShift | kAlt | kCtrl);
        struct Reset {
            ShiftState& s;
            ~Reset() { s = 0; }
        } reset{keyShift_};
        if (form.OnShortcutKey && form.OnShortcutKey(form, key, keyShift_)) return;
        int k = key;
        target->KeyDown(k, keyShift_);
    });
}

void Application::DispatchTextInput(Form& form, const std::string& utf8) {
    Guarded([&] {
        Control* target = form.ActiveControl() ? form.ActiveControl() : &form;
        target->TextInput(utf8);
    });
}

void Application::DispatchDropFiles(Form& form, Point, const std::vector<std::string>& paths) {
    Guarded([&] {
        if (form.OnDropFiles && !paths.empty()) form.OnDropFiles(form, paths);
    });
}

void Application::DispatchMoved(Form& form, Point screenTopLeft) {
    Guarded([&] { form.NativeMoved(screenTopLeft); });
}

void Application::DispatchWindowState(Form& form, WindowState state) {
    Guarded([&] { form.NativeStateChanged(state); });
}

void Application::DispatchActivate(Form& form, bool active) {
    Guarded([&] {
        if (active) {
            if (activeForm_ == &form && form.active_) return;
            Form* old = activeForm_;
            activeForm_ = &form;
            if (old && old != &form && old->active_) {
                old->SetActiveFlag(false);
                old->ActivationChanged(false);
            }
            form.SetActiveFlag(true);
            form.ActivationChanged(true);
        } else {
            if (!form.active_) return;
            form.SetActiveFlag(false);
            if (activeForm_ == &form) activeForm_ = nullptr;
            form.ActivationChanged(false);
        }
    });
}

void Application::DispatchCloseRequest(Form& form) {
    Guarded([&] { form.Close(); });
}

void Application::DispatchExpose(Form& form, const Rect& area) {
    Guarded([&] {
        form.InvalidateSurface(area);
        form.UpdateSurface();
    });
}

}  // namespace veskel
