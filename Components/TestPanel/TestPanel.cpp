#include "Components/TestPanel/TestPanel.h"

#include <algorithm>

#include "platform/codecs/Codecs.h"
#include "platform/graphics/Rounding.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/Form.h"
#include "platform/ui/PropertyTable.h"
#include "platform/ui/StoredPng.h"
#include "platform/text/CanvasText.h"

namespace veskel {

namespace {

// Stored tab images this short are placeholders (the signature alone), not pictures.
constexpr std::size_t kSmallestTabImageBlock = 1000;

Color Grey(int v) { return RGB(v, v, v); }

void HLine(Canvas& c, int x0, int x1, int y) {
    c.MoveTo(x0, y);
    c.LineTo(x1, y);
}

// Pairs of rows in two greys, four rows a step, for f = 0 up to and including `last`.
void Stripes(Canvas& c, int x0, int x1, int last, int grey01, int grey23) {
    for (int f = 0; f <= last; ++f) {
        c.pen.color = Grey(grey01);
        HLine(c, x0, x1, 4 * f);
        HLine(c, x0, x1, 4 * f + 1);
        c.pen.color = Grey(grey23);
        HLine(c, x0, x1, 4 * f + 2);
        HLine(c, x0, x1, 4 * f + 3);
    }
}

bool Contains(const Control* outer, const Control* c) {
    for (; c; c = c->Parent())
        if (c == outer) return true;
    return false;
}

// The first control inside `root` (depth first, in z-order) that can take the focus.
Control* FirstFocusable(Control* root) {
    for (Control* c : root->Children()) {
        if (c->Focusable() && c->CanFocus()) return c;
        if (c->IsWindowed() && c->Showing())
            if (Control* inner = FirstFocusable(c)) return inner;
    }
    return nullptr;
}

}  // namespace

// ---------------------------------------------------------------- TTestPanel

TTestPanel::TTestPanel() {
    SetBounds(0, 0, 185, 41);
    SetColor(kClWindow);
    Font f;
    f.family = "Tahoma";
    f.size = 8;
    f.color = RGB(122, 122, 122);
    f.bold = true;
    SetFont(f);
    SetKeyboardStop(true);
}

const PropertyTable& TTestPanel::StoredProperties() const {
    static const PropertyTable table = PropertyTable(CustomControl::StoredProperties())
        .Add("LeafHeight", &TTestPanel::LeafHeight, &TTestPanel::SetLeafHeight, 57)
        .Add("ActivePage", &TTestPanel::ActivePage, &TTestPanel::SetActivePage, 2);
    return table;
}

void TTestPanel::SetLeafHeight(int v) {
    leafHeight_ = std::uint8_t(v);
    Repaint();
}

int TTestPanel::PageCount() const {
    return int(std::count_if(Children().begin(), Children().end(),
                             [](Control* c) { return dynamic_cast<TGLeaf*>(c) != nullptr; }));
}

TGLeaf* TTestPanel::Page(int index) const {
    if (index < 0) return nullptr;
    for (Control* c : Children())
        if (auto* leaf = dynamic_cast<TGLeaf*>(c))
            if (index-- == 0) return leaf;
    return nullptr;
}

int TTestPanel::GetLeafsWidth() const {
    std::uint16_t sum = 0;
    for (int i = 0; TGLeaf* p = Page(i); ++i) sum = std::uint16_t(sum + p->LeafWidth());
    return sum;
}

int TTestPanel::GetLeafFromPoint(int x) const {
    std::uint16_t left = 0;
    for (int i = 0; TGLeaf* p = Page(i); ++i) {
        const std::uint16_t right = std::uint16_t(left + p->LeafWidth());
        if (right >= x) return i;
        left = right;
    }
    return -1;
}

void TTestPanel::SetVisiblePage(int v) {
    if (v >= 0) {
        Form* form = GetForm();
        if (form && form->ActiveControl() && Contains(this, form->ActiveControl())) form->SetActiveControl(this);
        if (v != activePage_ && PageCount() > 0) {
            for (int i = 0; TGLeaf* p = Page(i); ++i) {
                if (i == v) {
                    activePage_ = v;
                    p->Show();
                } else {
                    p->Hide();
                }
            }
        }
        if (form && form->ActiveControl() == this) form->SetActiveControl(FirstFocusable(this));
    }
    visiblePage_ = v;
    Repaint();
}

bool TTestPanel::StepPage(int step) {
    const int count = PageCount();
    if (count == 0) return false;
    const int from = activePage_ >= 0 && activePage_ < count ? activePage_ : 0;
    const int to = ((from + step) % count + count) % count;
    Form* form = GetForm();
    const bool onStrip = form && form->ActiveControl() == this;
    const bool inPage = form && form->ActiveControl() && !onStrip && Contains(this, form->ActiveControl());
    SetVisiblePage(to);
    // Switching moves the focus to the first focusable control inside (or nowhere); the keyboard
    // keeps it where the user was: on the strip, or on the new page's first stop.
    if (onStrip) focus::FocusByKeyboard(*this);
    if (inPage) {
        const std::vector<Control*> stops = focus::TabStops(*Page(to));
        focus::FocusByKeyboard(stops.empty() ? *static_cast<Control*>(this) : *stops.front());
    }
    return true;
}

Rect TTestPanel::FocusRingBounds() const {
    int x0 = 0;
    for (int i = 0; TGLeaf* p = Page(i); ++i) {
        const int x1 = std::uint16_t(x0 + p->LeafWidth());
        if (i == visiblePage_) return {x0, 0, x1 + 1, leafHeight_ + 1};
        x0 = x1;
    }
    return {0, 0, Width(), leafHeight_ + 1};
}

void TTestPanel::KeyDown(int& key, ShiftState shift) {
    CustomControl::KeyDown(key, shift);
    if ((key != kKeyLeft && key != kKeyRight) || (shift & (kCtrl | kAlt | kShift))) return;
    StepPage(key == kKeyRight ? 1 : -1);
    key = 0;
}

void TTestPanel::Paint(Canvas& canvas) {
    canvas.font = GetFont();
    const int w = Width();
    const int h = leafHeight_;
    canvas.brush.style = BrushStyle::Solid;
    canvas.brush.color = Grey(240);
    canvas.FillRect({0, 0, w, h});

    canvas.pen.color = Grey(232);
    for (int i = 0; i <= Round(h / 4.0); ++i) {
        HLine(canvas, 0, w, 4 * i);
        HLine(canvas, 0, w, 4 * i + 1);
    }

    canvas.pen.color = Grey(202);
    canvas.brush.style = BrushStyle::Clear;
    canvas.Rectangle({0, 0, w, h + 1});

    const int lastStripe = Round((h - 1) / 4.0);
    std::uint16_t x0 = 0;
    for (int i = 0; TGLeaf* page = Page(i); ++i) {
        const int lw = page->LeafWidth();
        const int x1 = std::uint16_t(x0 + lw);
        if (i == hoverLeaf_) Stripes(canvas, x0, x1, lastStripe, 222, 232);
        if (i == visiblePage_) {
            Stripes(canvas, x0, x1, lastStripe, 212, 222);
            canvas.pen.color = Grey(200);
            for (int x : {int(x0), x1}) {
                canvas.MoveTo(x, 0);
                canvas.LineTo(x, h - 1);
            }
        }
        const Picture& image = page->LeafImage();
        if (!image.IsEmpty()) canvas.Draw(Round(x0 + lw / 2.0 - image.Width() / 2.0), 4, image);
        const Size text = TextExtent(canvas, page->Caption());
        TextOut(canvas, Round(x0 + lw / 2.0 - text.width / 2.0), h - text.height - 3, page->Caption());
        x0 = std::uint16_t(x0 + lw);
    }
}

void TTestPanel::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
    const int leaf = GetLeafFromPoint(x);
    if (leaf >= 0) {
        SetVisiblePage(leaf);
        Repaint();
    }
    CustomControl::MouseDown(button, shift, x, y);
}

void TTestPanel::MouseMove(ShiftState shift, int x, int y) {
    if (x < GetLeafsWidth()) {
        const int leaf = GetLeafFromPoint(x);
        if (leaf != hoverLeaf_) {
            hoverLeaf_ = leaf;
            Repaint();
        }
    }
    CustomControl::MouseMove(shift, x, y);
}

void TTestPanel::MouseEnter() {
    Repaint();
    CustomControl::MouseEnter();
}

void TTestPanel::MouseLeave() {
    hoverLeaf_ = -1;
    Repaint();
    CustomControl::MouseLeave();
}

void TTestPanel::Resized() {
    // Only the page shown follows the new size; the others fit when they are next resized.
    if (TGLeaf* page = Page(activePage_)) page->fit();
}

// ---------------------------------------------------------------- TGLeaf

TGLeaf::TGLeaf() {
    SetColor(kClWindow);
    SetCaption("Page nnn");
}

// The tab image is always written, as the signature alone when there is none.
const PropertyTable& TGLeaf::StoredProperties() const {
    static const PropertyTable table = PropertyTable(CustomControl::StoredProperties())
        .Add("LeafWidth", &TGLeaf::LeafWidth, &TGLeaf::SetLeafWidth, 44)
        .Add({std::string(kPngBlockName),
              [](Control& c, std::string_view, const LayoutValue& v) {
                  static_cast<TGLeaf&>(c).ReadLeafImageData(v.binary);
                  return true;
              },
              [](const Control& c, std::vector<LayoutProperty>& out) {
                  out.push_back({std::string(kPngBlockName), LayoutValue::Bytes(static_cast<const TGLeaf&>(c).LeafImageData())});
              },
              {}});
    return table;
}

void TGLeaf::fit() {
    if (auto* panel = dynamic_cast<TTestPanel*>(Parent()))
        CustomControl::SetBounds(0, panel->LeafHeight(), panel->Width(), panel->Height() - panel->LeafHeight());
}

void TGLeaf::SetBounds(int /*left*/, int top, int width, int height) {
    auto* panel = dynamic_cast<TTestPanel*>(Parent());
    if (!panel) {
        CustomControl::SetBounds(0, top, width, height);
        return;
    }
    if (std::max(width, 0) != Width() || std::max(height, 0) != Height()) {
        fit();
        return;
    }
    CustomControl::SetBounds(0, panel->LeafHeight(), width, height);
}

void TGLeaf::ReadLeafImageData(std::span<const std::uint8_t> png) {
    if (png.size() <= kSmallestTabImageBlock) return;
    try {
        leafImage_ = DecodePng(png);
    } catch (const std::exception&) {
        // A damaged tab image is dropped; the tab keeps the image it had.
    }
}

std::vector<std::uint8_t> TGLeaf::LeafImageData() const {
    if (leafImage_.IsEmpty()) return {kPngSignature.begin(), kPngSignature.end()};
    return EncodePng(leafImage_);
}

// The strip takes the keyboard focus as a whole; it is read as the page it shows.
void TTestPanel::Describe(AccessibleDescription& d) {
    d.role = AccessibleRole::PageTabList;
    d.focused = false;  // the strip's focus is on the shown page's tab
    if (const TGLeaf* shown = Page(visiblePage_)) d.name = shown->Caption();
}

Rect TTestPanel::TabRect(int index) const {
    std::uint16_t left = 0;
    for (int i = 0; i < index && Page(i); ++i) left = std::uint16_t(left + Page(i)->LeafWidth());
    const TGLeaf* page = Page(index);
    return Rect::FromSize(left, 0, page ? page->LeafWidth() : 0, leafHeight_);
}

void TGLeaf::Describe(AccessibleDescription& d) {
    auto* panel = dynamic_cast<TTestPanel*>(Parent());
    if (!panel) return;
    int index = 0;
    while (panel->Page(index) && panel->Page(index) != this) ++index;
    d.role = AccessibleRole::PageTab;
    d.bounds = panel->TabRect(index).Offset(-Left(), -Top());
    d.showing = panel->Showing();
    d.selectable = true;
    d.selected = panel->VisiblePage() == index;
    // The strip takes the keyboard focus for the tab of the page it shows.
    d.focusable = panel->KeyboardStop() || panel->Focusable();
    d.focused = d.selected && panel->Focused();
    // As the tab's click, and the focus then on the page's first control, where the keyboard's
    // switch puts it: a screen reader goes on from there.
    d.actions.push_back({AccessibleActionKind::Press, [this, panel, index] {
                             panel->SetVisiblePage(index);
                             panel->Repaint();
                             const std::vector<Control*> stops = focus::TabStops(*this);
                             if (!stops.empty()) focus::FocusByKeyboard(*stops.front());
                         }});
}

}  // namespace veskel
