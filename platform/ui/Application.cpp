#include "platform/ui/Application.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <stdexcept>

#include "platform/lang/Translate.h"
#include "platform/ui/FocusChain.h"
#include "platform/ui/Form.h"
#include "platform/ui/HintWindow.h"

namespace veskel {

namespace {
Application* g_current = nullptr;
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

Application::Application(Backend& backend) : backend_(backend) {
    if (g_current) throw std::logic_error("only one Application may exist at a time");
    g_current = this;
    input_ = std::make_unique<InputRouter>(*this);
    backend_.Attach(this);
    focus::ApplicationStarted();
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
        ShowException(std::runtime_error(Tr("Unknown error")));
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
        const Control* c = input_->Capture() ? input_->Capture() : input_->Hovered();
        if (c && c->GetForm() != &form) c = nullptr;
        for (; c && id == kCrDefault; c = c->Parent()) id = c->Cursor();
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
