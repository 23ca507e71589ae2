#include "platform/ui/InputRouter.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <stdexcept>

#include "platform/lang/Translate.h"
#include "platform/ui/Application.h"
#include "platform/ui/FocusChain.h"
#include "platform/ui/Form.h"
#include "platform/ui/HintWindow.h"

namespace veskel {

InputRouter::InputRouter(Application& app) : app_(app), hints_(std::make_unique<HintPresenter>()) {}

InputRouter::~InputRouter() = default;

template <class F>
void InputRouter::Guarded(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        app_.ShowException(e);
    } catch (...) {
        app_.ShowException(std::runtime_error(Tr("Unknown error")));
    }
}

HintWindow* InputRouter::ShownHint() const { return hints_->Shown(); }

void InputRouter::ReleaseCapture(const Control* c) {
    if (capture_ && capture_ == c) {
        capture_ = nullptr;
        buttonsHeld_ = 0;
    }
}

void InputRouter::StartWindowDrag(Form& form) {
    buttonsHeld_ = 0;
    capture_ = nullptr;
    pressed_ = nullptr;
    app_.GetBackend().StartSystemMove(form);
}

Control* InputRouter::FocusedControl() const {
    Form* active = app_.ActiveForm();
    return active ? active->ActiveControl() : nullptr;
}

void InputRouter::ForgetControl(Control* c) {
    hints_->Forget(c);
    ReleaseCapture(c);
    if (pressed_ == c) pressed_ = nullptr;
    if (hovered_ == c) hovered_ = nullptr;
    if (dispatchTarget_ == c) dispatchTarget_ = nullptr;
    if (lastClickControl_ == c) lastClickControl_ = nullptr;
    for (Form* f : app_.Forms()) f->ForgetActiveControl(c);
}

void InputRouter::UpdateCursor(Form& form) { app_.UpdateCursor(form); }

namespace {

unsigned ButtonBit(MouseButton b) {
    switch (b) {
        case MouseButton::Left: return kLeftHeld;
        case MouseButton::Right: return kRightHeld;
        case MouseButton::Middle: return kMiddleHeld;
    }
    return 0;
}


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
Control* TargetAt(Form& form, Point client, bool enabledOnly) {
    if (!form.ClientRect().Contains(client)) return enabledOnly ? &form : nullptr;
    bool swallowed = false;
    Control* c = HitTest(&form, client, enabledOnly, swallowed);
    if (enabledOnly && c && !c->EffectivelyEnabled()) return nullptr;
    return swallowed ? nullptr : c;
}

Point Local(Control* c, Point client) {
    const Point off = c->OffsetInForm();
    // Held at the int range's ends for a control placed near them (see OffsetInForm).
    const auto local = [](int at, int offset) {
        return int(std::clamp<std::int64_t>(std::int64_t(at) - offset, std::numeric_limits<int>::min(),
                                            std::numeric_limits<int>::max()));
    };
    return {local(client.x, off.x), local(client.y, off.y)};
}

}  // namespace

void InputRouter::SetHovered(Control* c) {
    if (c == hovered_) return;
    Control* old = hovered_;
    hovered_ = c;
    if (old) old->MouseLeave();
    if (c && hovered_ == c) {
        c->MouseEnter();
    }
}

void InputRouter::UpdateHover(Form& form, Point client) {
    SetHovered(TargetAt(form, client, false));
}

void InputRouter::MouseDown(Form& form, Point client, MouseButton button, ShiftState shift) {
    Guarded([&] {
        UpdateHover(form, client);
        hints_->Dismiss();
        focus::PointerPressed(form);
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
        }
        if (target->Focusable() && target->CanFocus()) form.SetActiveControl(target);
        bool dbl = false;
        if (button == MouseButton::Left) {
            std::int64_t now = app_.NowMs();
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

void InputRouter::MouseMove(Form& form, Point client, ShiftState shift) {
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

void InputRouter::MouseUp(Form& form, Point client, MouseButton button, ShiftState shift) {
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

void InputRouter::MouseWheel(Form& form, Point client, int delta, ShiftState shift) {
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

void InputRouter::MouseExit(Form& form) {
    Guarded([&] {
        if (hovered_ && hovered_->GetForm() == &form) SetHovered(nullptr);
        hints_->PointerOver(hovered_);
    });
}

void InputRouter::KeyDown(Form& form, int key, ShiftState shift) {
    Guarded([&] {
        hints_->Dismiss();
        Control* target = form.ActiveControl() ? form.ActiveControl() : &form;
        keyShift_ = shift & (kShift | kAlt | kCtrl);
        struct Reset {
            ShiftState& s;
            ~Reset() { s = 0; }
        } reset{keyShift_};
        if (form.OnShortcutKey && form.OnShortcutKey(form, key, keyShift_)) return;
        if (focus::NavigationKey(form, key, keyShift_)) return;
        int k = key;
        target->KeyDown(k, keyShift_);
    });
}

void InputRouter::KeyUp(Form& form, int key, ShiftState shift) {
    Guarded([&] {
        Control* target = form.ActiveControl() ? form.ActiveControl() : &form;
        target->KeyUp(key, shift & (kShift | kAlt | kCtrl));
    });
}

void InputRouter::TextInput(Form& form, const std::string& utf8) {
    Guarded([&] {
        Control* target = form.ActiveControl() ? form.ActiveControl() : &form;
        target->TextInput(utf8);
    });
}


}  // namespace veskel
