#include "platform/backends/headless/HeadlessBackend.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "platform/codecs/Codecs.h"
#include "platform/graphics/Canvas.h"
#include "platform/io/Files.h"

namespace veskel {

HeadlessBackend::HeadlessBackend() = default;

HeadlessBackend::Window* HeadlessBackend::Find(const Form& form) {
    for (Window& w : windows_)
        if (w.form == &form) return &w;
    return nullptr;
}

const HeadlessBackend::Window* HeadlessBackend::Find(const Form& form) const {
    for (const Window& w : windows_)
        if (w.form == &form) return &w;
    return nullptr;
}

void HeadlessBackend::Settle() {
    if (app_) app_->ProcessMessages();
}

// ---------------------------------------------------------------- input

void HeadlessBackend::MouseMove(Form& form, int x, int y, ShiftState shift) {
    if (!app_) return;
    pointer_ = form.ClientToScreen({x, y});
    app_->Input().MouseMove(form, {x, y}, shift);
    Settle();
}

void HeadlessBackend::MouseDown(Form& form, int x, int y, MouseButton button, ShiftState shift) {
    if (!app_) return;
    pointer_ = form.ClientToScreen({x, y});
    // A press in an inactive window activates it first, as a window manager does.
    if (form.IsShown() && !form.Active()) {
        app_->DispatchActivate(form, true);
        Settle();
    }
    app_->Input().MouseDown(form, {x, y}, button, shift);
    Settle();
}

void HeadlessBackend::MouseUp(Form& form, int x, int y, MouseButton button, ShiftState shift) {
    if (!app_) return;
    pointer_ = form.ClientToScreen({x, y});
    app_->Input().MouseUp(form, {x, y}, button, shift);
    Settle();
}

void HeadlessBackend::Click(Form& form, int x, int y, MouseButton button) {
    MouseMove(form, x, y);
    MouseDown(form, x, y, button);
    MouseUp(form, x, y, button);
}

void HeadlessBackend::DoubleClick(Form& form, int x, int y) {
    Click(form, x, y);
    MouseDown(form, x, y);
    MouseUp(form, x, y);
}

void HeadlessBackend::MouseExit(Form& form, Point screen) {
    if (!app_) return;
    pointer_ = screen;
    app_->Input().MouseExit(form);
    Settle();
}

void HeadlessBackend::MouseWheel(Form& form, int x, int y, int delta, ShiftState shift) {
    if (!app_) return;
    pointer_ = form.ClientToScreen({x, y});
    app_->Input().MouseWheel(form, {x, y}, delta, shift);
    Settle();
}

void HeadlessBackend::KeyDown(Form& form, int key, ShiftState shift) {
    if (!app_) return;
    app_->Input().KeyDown(form, key, shift);
    Settle();
}

void HeadlessBackend::KeyUp(Form& form, int key, ShiftState shift) {
    if (!app_) return;
    app_->Input().KeyUp(form, key, shift);
    Settle();
}

void HeadlessBackend::DropFiles(Form& form, int x, int y, const std::vector<std::string>& paths) {
    if (!app_) return;
    app_->DispatchDropFiles(form, {x, y}, paths);
    Settle();
}

void HeadlessBackend::TypeText(Form& form, const std::string& utf8) {
    if (!app_) return;
    app_->Input().TextInput(form, utf8);
    Settle();
}

void HeadlessBackend::UserMove(Form& form, Point screenTopLeft) {
    if (!app_) return;
    app_->DispatchMoved(form, screenTopLeft);
    Settle();
}

void HeadlessBackend::UserActivate(Form& form, bool active) {
    if (!app_) return;
    app_->DispatchActivate(form, active);
    Settle();
}

void HeadlessBackend::UserSetWindowState(Form& form, WindowState state) {
    if (!app_) return;
    if (Window* w = Find(form)) w->state = state;
    app_->DispatchWindowState(form, state);
    Settle();
}

void HeadlessBackend::UserClose(Form& form) {
    if (!app_) return;
    app_->DispatchCloseRequest(form);
    Settle();
}

void HeadlessBackend::AdvanceClock(std::int64_t ms) {
    std::int64_t target = now_ + std::max<std::int64_t>(ms, 0);
    while (app_ && wakeAt_ && *wakeAt_ <= target) {
        now_ = std::max(now_, *wakeAt_);
        wakeAt_.reset();
        app_->DispatchTimers();
        Settle();
    }
    // Handlers may have spent more time than was advanced.
    now_ = std::max(now_, target);
}

// ---------------------------------------------------------------- windows

void HeadlessBackend::CreateWindow(Form& form) {
    if (!Find(form)) windows_.push_back({&form, false, {}, {}});
}

void HeadlessBackend::DestroyWindow(Form& form) {
    windows_.erase(std::remove_if(windows_.begin(), windows_.end(), [&](const Window& w) { return w.form == &form; }),
                   windows_.end());
}

void HeadlessBackend::ShowWindow(Form& form, bool activate) {
    CreateWindow(form);
    Window* w = Find(form);
    w->shown = true;
    w->pixels = form.Surface();
    RaiseWindow(form, activate);
}

void HeadlessBackend::HideWindow(Form& form) {
    if (Window* w = Find(form)) w->shown = false;
}

void HeadlessBackend::MoveWindow(Form& form) {
    if (Window* w = Find(form)) w->pixels = form.Surface();
}

void HeadlessBackend::UpdateWindowStyle(Form&) {}

void HeadlessBackend::Present(Form& form, const Rect& area) {
    Window* w = Find(form);
    if (!w) return;
    const Bitmap& s = form.Surface();
    if (w->pixels.GetSize() != s.GetSize()) {
        w->pixels = s;
        return;
    }
    Canvas c(w->pixels);
    c.CopyFrom(area.left, area.top, s, area);
}

void HeadlessBackend::RaiseWindow(Form& form, bool activate) {
    auto it = std::find_if(windows_.begin(), windows_.end(), [&](const Window& w) { return w.form == &form; });
    if (it == windows_.end()) return;
    Window moved = std::move(*it);
    windows_.erase(it);
    windows_.push_back(std::move(moved));
    if (activate && app_) app_->DispatchActivate(form, true);
}

void HeadlessBackend::SetWindowState(Form& form, WindowState state) {
    if (Window* w = Find(form)) w->state = state;
}

void HeadlessBackend::StartSystemMove(Form&) { ++systemMoves; }

void HeadlessBackend::SetCursor(Form& form, const CursorShape& cursor) {
    if (Window* w = Find(form)) w->cursor = cursor;
}

void HeadlessBackend::RunLoop() { Settle(); }

void HeadlessBackend::ShowPendingPaints() {
    for (const Window& w : windows_)
        if (w.shown) cursorsAtPendingPaints.push_back(w.cursor.id);
}

// ---------------------------------------------------------------- desktop

Size HeadlessBackend::MonitorSize(const Rect& r) {
    const Rect m = MonitorRect(r);
    return {m.Width(), m.Height()};
}

// The monitor that holds the rectangle's centre; the primary one when none does.
Rect HeadlessBackend::MonitorRect(const Rect& r) {
    const Point centre{r.left + r.Width() / 2, r.top + r.Height() / 2};
    for (const Rect& m : otherMonitors)
        if (m.Contains(centre)) return m;
    return {0, 0, monitorSize.width, monitorSize.height};
}

Bitmap HeadlessBackend::CaptureScreen(const Rect& r) { return Compose(r, nullptr); }

Bitmap HeadlessBackend::CaptureScreenBehind(const Rect& r, const Form& exclude) { return Compose(r, &exclude); }

Bitmap HeadlessBackend::Compose(const Rect& r, const Form* exclude) const {
    Bitmap out(std::max(r.Width(), 0), std::max(r.Height(), 0));
    out.Fill(desktopColor);
    Canvas c(out);
    if (!desktopImage.IsEmpty()) c.CopyFrom(-r.left, -r.top, desktopImage, desktopImage.Bounds());
    for (const Window& w : windows_) {
        if (!w.shown || w.form == exclude) continue;
        Rect s = w.form->ScreenRect();
        c.CopyFrom(s.left - r.left, s.top - r.top, w.pixels, w.pixels.Bounds());
    }
    return out;
}

bool HeadlessBackend::OpenUrl(const std::string& url) {
    openedUrls.push_back(url);
    return true;
}

std::optional<FileDialogResult> HeadlessBackend::RunFileDialog(const FileDialogRequest& request) {
    fileDialogs.push_back(request);
    if (fileDialogAnswers.empty()) return std::nullopt;
    auto answer = fileDialogAnswers.front();
    fileDialogAnswers.pop_front();
    return answer;
}

int HeadlessBackend::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    messageBoxes.push_back({text, caption, flags});
    if (!messageBoxAnswers.empty()) {
        int a = messageBoxAnswers.front();
        messageBoxAnswers.pop_front();
        return a;
    }
    switch (flags & 0xF) {
        case kMbOkCancel:
        case kMbYesNoCancel: return kIdCancel;
        case kMbYesNo: return kIdNo;
        default: return kIdOk;
    }
}

int HeadlessBackend::PopupMenu(const std::vector<MenuItem>& items, Point screen) {
    menus.push_back({items, screen});
    if (menuAnswers.empty()) return 0;
    int a = menuAnswers.front();
    menuAnswers.pop_front();
    return a;
}

// ---------------------------------------------------------------- what is shown

const Bitmap* HeadlessBackend::Presented(const Form& form) const {
    const Window* w = Find(form);
    return w ? &w->pixels : nullptr;
}

CursorShape HeadlessBackend::CursorOf(const Form& form) const {
    const Window* w = Find(form);
    return w ? w->cursor : CursorShape{};
}

bool HeadlessBackend::IsWindowShown(const Form& form) const {
    const Window* w = Find(form);
    return w && w->shown;
}

WindowState HeadlessBackend::WindowStateOf(const Form& form) const {
    const Window* w = Find(form);
    return w ? w->state : WindowState::Normal;
}

void HeadlessBackend::SavePng(const Form& form, const std::string& path) {
    std::vector<std::uint8_t> png = EncodePng(form.Surface());
    WriteFileAtomic(path, png);
}

}  // namespace veskel
