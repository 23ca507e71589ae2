#include "Components/ColorBox/ColorBox.h"

#include <algorithm>

#include "Components/ColorBox/PaletteForm.h"
#include "platform/lang/Translate.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/Form.h"
#include "platform/ui/PropertyTable.h"

namespace veskel {

namespace {
constexpr int kHoverDelayMs = 300;
// The pop-up's window starts this far left of the box and above its bottom edge (or the box's
// right and bottom edges, when it opens to the left or above): the shadow margin of its frame.
constexpr int kPlacementInset = 24;
// The pop-up's shadow margin round its panel.
constexpr int kShadowMargin = 18;
}  // namespace

namespace {
Point FormulaPlacement(const Rect& box, Size popup, const Rect& monitor) {
    // In the monitor's own coordinates.
    const int x = box.left - monitor.left;
    const int y = box.top - monitor.top;
    int left = x + popup.width > monitor.Width() ? x + box.Width() - popup.width - kPlacementInset : x - kPlacementInset;
    int top = y + popup.height > monitor.Height() ? y + box.Height() - popup.height - kPlacementInset
                                                  : y + box.Height() - kPlacementInset;
    // Only a pop-up whose panel would leave the monitor moves; a panel larger than the monitor
    // starts at its top left.
    auto keepPanelOn = [](int at, int size, int room) {
        at = std::min(at, room - size + kShadowMargin);
        return std::max(at, -kShadowMargin);
    };
    left = keepPanelOn(left, popup.width, monitor.Width());
    top = keepPanelOn(top, popup.height, monitor.Height());
    return {monitor.left + left, monitor.top + top};
}
}  // namespace

Point PalettePlacement(const Rect& box, Size popup, const Rect& monitor, const Rect& keepClear) {
    const Point formula = FormulaPlacement(box, popup, monitor);
    const auto covers = [&](Point at) {
        return !keepClear.IsEmpty() && !Rect::FromSize(at.x, at.y, popup.width, popup.height).Intersect(keepClear).IsEmpty();
    };
    if (!covers(formula)) return formula;
    // Beside the box: its panel just right (or left) of the box, from the box's bottom down,
    // raised as far as the monitor's bottom needs but never into the rows kept clear.
    const int top = std::min(box.top + box.Height() - kPlacementInset, monitor.bottom - popup.height + kShadowMargin);
    if (top < keepClear.bottom) return formula;
    for (const int left : {box.right - kShadowMargin, box.left - popup.width + kShadowMargin}) {
        const bool panelOn = left + kShadowMargin >= monitor.left && left + popup.width - kShadowMargin <= monitor.right;
        if (panelOn && !covers({left, top})) return {left, top};
    }
    return formula;
}

const PropertyTable& TClrBox::StoredProperties() const {
    static const PropertyTable table = PropertyTable(CustomControl::StoredProperties())
        .Add("ForeColor", &TClrBox::ForeColor, &TClrBox::SetForeColor, RGB(255, 255, 255))
        .Add("BackColor", &TClrBox::BackColor, &TClrBox::SetBackColor, RGB(0, 0, 0))
        .Add("SingleColor", &TClrBox::SingleColor, &TClrBox::SetSingleColor, false)
        .Add("OpenAtClick", &TClrBox::OpenAtClick, &TClrBox::SetOpenAtClick, false)
        .Event("OnPreChange", &TClrBox::OnPreChange);
    return table;
}

TClrBox::TClrBox() {
    SetBounds(0, 0, 19, 18);
    SetKeyboardStop(true);
    hoverTimer_.SetInterval(kHoverDelayMs);
    hoverTimer_.SetEnabled(false);
    hoverTimer_.OnTimer = [this] {
        hoverTimer_.SetEnabled(false);
        if (PointerOverBox()) OpenPalette();
    };
}

TClrBox::~TClrBox() {
    hoverTimer_.SetEnabled(false);
    // The pop-up is owned by the box and goes with it; it must not notify a box being destroyed.
    if (palette_) palette_->ClearListener();
}

void TClrBox::SetForeColor(Color c) {
    foreColor_ = c;
    Repaint();
}

void TClrBox::SetBackColor(Color c) {
    backColor_ = c;
    Repaint();
}

void TClrBox::SetSingleColor(bool v) {
    singleColor_ = v;
    Repaint();
}

void TClrBox::Paint(Canvas& canvas) {
    canvas.brush.style = BrushStyle::Solid;
    if (singleColor_) {
        canvas.pen = Pen{RGB(131, 131, 131)};
        canvas.brush.color = foreColor_;
        canvas.Rectangle({0, 0, 19, 18});
        return;
    }
    // The back swatch lower right, the fore swatch over its upper left; the rest of the control
    // shows its own colour.
    canvas.pen = Pen{RGB(173, 173, 173)};
    canvas.brush.color = backColor_;
    canvas.Rectangle({6, 5, 20, 19});
    canvas.pen = Pen{RGB(131, 131, 131)};
    canvas.brush.color = foreColor_;
    canvas.Rectangle({0, 0, 14, 14});
}

// The box's screen rectangle with its right and bottom edges included, as the pointer test of
// the hover timer and the press has it.
bool TClrBox::PointerOverBox() const {
    Application* app = Application::Current();
    if (!app) return false;
    const Point p = app->GetBackend().PointerPosition();
    const Point o = ClientToScreen({0, 0});
    return p.x >= o.x && p.x <= o.x + Width() && p.y >= o.y && p.y <= o.y + Height();
}

void TClrBox::MouseMove(ShiftState shift, int x, int y) {
    // Enabling a running timer does not restart it: the pop-up opens 300 ms after the first
    // movement over the box, not after the last.
    if (!openAtClick_) hoverTimer_.SetEnabled(true);
    CustomControl::MouseMove(shift, x, y);
}

void TClrBox::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
    if (PointerOverBox()) OpenPalette();
    CustomControl::MouseDown(button, shift, x, y);
}

void TClrBox::KeyDown(int& key, ShiftState shift) {
    CustomControl::KeyDown(key, shift);
    if ((key != kKeyReturn && key != kKeySpace) || (shift & (kCtrl | kAlt))) return;
    key = 0;
    if (paletteGuard_) return;
    OpenPalette();
    if (palette_) palette_->TakeKeyboard();
}

void TClrBox::OpenPalette() {
    Application* app = Application::Current();
    if (!app || paletteGuard_) return;
    paletteGuard_ = true;

    const Point origin = ClientToScreen({0, 0});
    const Rect box = Rect::FromSize(origin.x, origin.y, Width(), Height());
    const Rect monitor = app->GetBackend().MonitorRect(box);

    TPForm* palette = CreateOwned<TPForm>();
    palette_ = palette;
    palette->FinishCreate();
    // A screen reader names the pop-up after the colour it edits.
    palette->SetSpokenName(Tr("Палитра: {1}", {DescribeControl(*this).name}));
    // A top-most tool window: above every other window, no task-bar entry; and a pop-up of the
    // box's window, placed relative to it where the desktop places windows only that way.
    palette->SetTopMost(true);
    palette->SetToolWindow(true);
    palette->SetPopupOf(GetForm(), PopupRole::Popup);

    // The rows of the window above the box's page (the title and the tab row), where the page
    // is a panel of its own: a pop-up over them would take the click meant for a tab.
    const Form* form = GetForm();
    const Control* page = Parent();
    Rect keepClear{};
    if (form && page && page != form) {
        const Point formTop = form->ClientToScreen({0, 0});
        keepClear = Rect{formTop.x, formTop.y, formTop.x + form->Width(), page->ClientToScreen({0, 0}).y};
    }
    paletteAt_ = PalettePlacement(box, {palette->Width(), palette->Height()}, monitor, keepClear);

    // Loading the colours raises the pop-up's colour notices; they go nowhere until the pop-up is
    // targeted at the box, so opening changes nothing here and raises no OnPreChange.
    palette->ClearListener();
    // Loading converts the colour on the 254 scale and keeps the round trip as the pop-up's fore
    // colour, which may differ from the box's by a few units. The pop-up goes on from the box's
    // own colour, so that a colour notice about the other colour (editing the back colour) does
    // not shift the fore colour the user never touched, and its fields show that colour.
    palette->StartEditing(foreColor_, backColor_);
    palette->SetListener({[this](Color fore, Color back) { ApplyPaletteColor(fore, back); },
                          [this] { ClosePalette(); }});

    palette->SetBounds(paletteAt_.x, paletteAt_.y, palette->Width(), palette->Height());
    palette->PrepareShadow();
    TPForm::SetOwnerRect(box);
    palette->ShowForm();
}

void TClrBox::ClosePalette() {
    // A second notice for the same pop-up (its timer and its deactivation) changes nothing.
    if (!paletteGuard_) return;
    if (Application* app = Application::Current()) app->SetScreenCursor(kCrDefault);
    if (palette_) {
        palette_->ClearListener();
        palette_->Release();  // destroyed once the call being handled has returned
        palette_ = nullptr;
    }
    paletteGuard_ = false;
    Repaint();
}

void TClrBox::ApplyPaletteColor(Color fore, Color back) {
    // Plain stores, not the setters: the box repaints once, at once.
    foreColor_ = fore;
    backColor_ = back;
    Repaint();
    if (OnPreChange) OnPreChange(*this);
}

void TClrBox::Describe(AccessibleDescription& d) {
    d.role = AccessibleRole::PushButton;
    d.labelledByNeighbour = true;
    d.value = ColorValue(foreColor_);
    // Opened from a screen reader, the pop-up must not close at once because the pointer is elsewhere.
    const auto open = [this] {
        OpenPalette();
        if (palette_) palette_->WaitForPointer();
    };
    d.actions.push_back({AccessibleActionKind::Press, open});
    d.actions.push_back({AccessibleActionKind::ShowMenu, open});
}

}  // namespace veskel
