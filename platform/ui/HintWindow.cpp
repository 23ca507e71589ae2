#include "platform/ui/HintWindow.h"

#include <algorithm>

#include "platform/graphics/Canvas.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/Application.h"
#include "platform/text/CanvasText.h"

namespace veskel {

namespace {
// Room between the border and the text.
constexpr int kPadX = 4;
constexpr int kPadY = 2;

Font HintFont() {
    Font f;
    f.family = "Tahoma";
    f.size = 8;
    f.color = kBlack;
    return f;
}
}  // namespace

// ---------------------------------------------------------------- the window

HintWindow::HintWindow() {
    SetFont(HintFont());
    SetColor(kBackground);
    SetFrameless(true);
    SetTopMost(true);
    SetToolWindow(true);
    SetText("");
}

void HintWindow::SetText(std::string utf8) {
    text_ = std::move(utf8);
    Bitmap scratch(1, 1);
    Canvas measure(scratch);
    measure.font = GetFont();
    const Size extent = TextExtent(measure, text_.empty() ? std::string(" ") : text_);
    SetBounds(Left(), Top(), extent.width + 2 * (kPadX + 1), extent.height + 2 * (kPadY + 1));
    Invalidate();
}

void HintWindow::PlaceBelow(Point pointer, const Rect& monitor) {
    int x = pointer.x;
    int y = pointer.y + kBelowPointer;
    if (y + Height() > monitor.bottom) y = pointer.y - Height() - 2;
    x = std::max(monitor.left, std::min(x, monitor.right - Width()));
    y = std::max(monitor.top, std::min(y, monitor.bottom - Height()));
    SetBounds(x, y, Width(), Height());
}

void HintWindow::Paint(Canvas& canvas) {
    canvas.brush.style = BrushStyle::Solid;
    canvas.brush.color = kBackground;
    canvas.FillRect(ClientRect());
    canvas.FrameRect(ClientRect(), kBorder);
    canvas.font = GetFont();
    TextOut(canvas, kPadX + 1, kPadY + 1, text_);
}

// ---------------------------------------------------------------- when it shows

HintPresenter::HintPresenter() {
    pause_.OnTimer = [this] { Show(); };
}

namespace {
// The control whose hint applies: the nearest one up the parent chain that shows hints.
Control* HintSource(Control* c) {
    while (c && !c->ShowHint()) c = c->Parent();
    return c;
}
}  // namespace

void HintPresenter::PointerOver(Control* hovered) {
    Control* source = HintSource(hovered);
    std::string text = source ? source->Hint() : std::string();
    if (source == source_ && text == text_) return;
    Hide();
    if (source != source_) dismissed_ = false;
    source_ = source;
    text_ = std::move(text);
    if (!source_ || text_.empty() || dismissed_) return;
    if (Application* app = Application::Current()) pause_.SetInterval(app->Input().HintPause);
    pause_.SetEnabled(true);
}

void HintPresenter::Dismiss() {
    Hide();
    dismissed_ = true;
}

void HintPresenter::Forget(const Control* c) {
    if (c == window_) {
        window_ = nullptr;
        return;
    }
    if (c == source_) {
        Hide();
        source_ = nullptr;
        text_.clear();
    }
}

HintWindow* HintPresenter::Shown() const { return window_ && window_->IsShown() ? window_ : nullptr; }

void HintPresenter::Show() {
    pause_.SetEnabled(false);
    Application* app = Application::Current();
    Form* owner = source_ ? source_->GetForm() : nullptr;
    if (!app || !owner || !source_->Showing() || !owner->IsShown()) return;
    if (window_ && window_->Owner() != owner) {
        delete window_;  // a hint of another window; not inside any of its own handlers
        window_ = nullptr;
    }
    if (!window_) {
        window_ = owner->CreateOwned<HintWindow>();
        // A tool-tip of its owner: placed beside it and never taking the focus, on every desktop.
        window_->SetPopupOf(owner, PopupRole::ToolTip);
    }
    window_->SetText(text_);
    const Point pointer = app->GetBackend().PointerPosition();
    window_->PlaceBelow(pointer, app->GetBackend().MonitorRect(Rect::FromSize(pointer.x, pointer.y, 1, 1)));
    window_->ShowInactive();
}

void HintPresenter::Hide() {
    pause_.SetEnabled(false);
    if (window_) window_->HideForm();
}

void HintWindow::Describe(AccessibleDescription& d) {
    d.role = AccessibleRole::ToolTip;
    d.name = text_;
}

}  // namespace veskel
