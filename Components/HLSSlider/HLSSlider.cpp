#include "Components/HLSSlider/HLSSlider.h"

#include <algorithm>

#include "Components/GlassTint/GlassTint.h"
#include "platform/graphics/Rounding.h"

#include "platform/lang/Translate.h"
#include "platform/ui/Accessibility.h"

namespace veskel {

namespace {
constexpr Color kOutlineGrey = RGB(137, 137, 137);
constexpr int kMargin = 5;     // the bar starts and ends this far inside the control
constexpr int kBarBottom = 18;  // the outline's bottom edge (exclusive); the pointer's tip
}  // namespace

const PropertyTable& THLSSlider::StoredProperties() const {
    static const PropertyTable table = PropertyTable(GraphicControl::StoredProperties())
        .Add("Positopn", &THLSSlider::Positopn, &THLSSlider::SetPositopn, 0)
        .Event("OnChange", &THLSSlider::OnChange)
        .Event("OnFinalChange", &THLSSlider::OnFinalChange);
    return table;
}

void THLSSlider::SetPositopn(int v) {
    position_ = std::uint8_t(v);
    if (OnChange) OnChange(*this);
    Repaint();
}

int THLSSlider::PositionAt(int x) const {
    if (x < kMargin) return 0;
    if (x >= Width() - kMargin) return 255;
    // A control only a dozen pixels wide has no span to divide by; its bar is all ends.
    const int span = int(std::uint16_t(Width() - 10)) - 2;
    if (span <= 0) return 255;
    return std::clamp(Round(double(x - kMargin) * 255.0 / double(span)), 0, 255);
}

int THLSSlider::PointerX(int position) const {
    const int bar = int(std::uint16_t(Width() - 10));
    return Round(double(bar - 2) * double(position) / 255.0) + kMargin;
}

void THLSSlider::Paint(Canvas& canvas) {
    barWidth_ = std::uint16_t(Width() - 10);
    // One column per hue step; columns right of the control are clipped anyway, so they are not
    // computed (a control narrower than its margins would otherwise walk 65 000 columns).
    const int columns = std::min<int>(barWidth_, std::max(0, Width() - kMargin));
    canvas.pen = Pen{};
    for (int b = 0; b < columns; ++b) {
        const int hue = Round(double(b) * 255.0 / double(barWidth_));
        const Channels c = HlsToRgb(hue, 127, 255);
        canvas.pen.color = RGB(c.c1, c.c2, c.c3);
        canvas.MoveTo(b + kMargin, 0);
        canvas.LineTo(b + kMargin, 17);
    }
    canvas.pen = Pen{kOutlineGrey};
    canvas.brush.style = BrushStyle::Clear;
    canvas.Rectangle({kMargin, 0, Width() - kMargin, kBarBottom});

    const int x = Round(double(int(barWidth_) - 2) * double(position_) / 255.0) + kMargin;
    canvas.brush.color = kOutlineGrey;
    canvas.brush.style = BrushStyle::Solid;
    canvas.Polygon({{x, kBarBottom}, {x - 5, 23}, {x + 5, 23}});
}

void THLSSlider::PickAt(int x) { Pick(PositionAt(x)); }

void THLSSlider::Pick(int position) {
    position_ = std::uint8_t(position);
    Repaint();
    if (OnChange) OnChange(*this);
}

void THLSSlider::KeyDown(int& key, ShiftState shift) {
    GraphicControl::KeyDown(key, shift);
    if (shift & (kCtrl | kAlt)) return;
    const int page = 16;
    int to = position_;
    switch (key) {
        case kKeyLeft:
        case kKeyDown: to -= 1; break;
        case kKeyRight:
        case kKeyUp: to += 1; break;
        case kKeyPrior: to += page; break;
        case kKeyNext: to -= page; break;
        case kKeyHome: to = 0; break;
        case kKeyEnd: to = 255; break;
        default: return;
    }
    stepKey_ = key;
    key = 0;
    Pick(std::clamp(to, 0, 255));
}

void THLSSlider::KeyUp(int key, ShiftState shift) {
    GraphicControl::KeyUp(key, shift);
    if (key != stepKey_ || dragging_) return;
    stepKey_ = 0;
    if (OnFinalChange) OnFinalChange(*this);
}

void THLSSlider::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
    dragging_ = true;
    PickAt(x);
    GraphicControl::MouseDown(button, shift, x, y);
}

void THLSSlider::MouseMove(ShiftState shift, int x, int y) {
    if (dragging_) PickAt(x);
    GraphicControl::MouseMove(shift, x, y);
}

void THLSSlider::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
    if (dragging_ && OnFinalChange) OnFinalChange(*this);
    dragging_ = false;
    GraphicControl::MouseUp(button, shift, x, y);
}

void THLSSlider::Describe(AccessibleDescription& d) {
    d.role = AccessibleRole::Slider;
    d.labelledByNeighbour = true;
    if (d.name.empty()) d.name = Tr("Hue");
    d.value = std::to_string(position_);
    const auto moveTo = [this](int v) {
        SetPositopn(std::clamp(v, 0, 255));
        if (OnFinalChange) OnFinalChange(*this);
    };
    d.range = AccessibleDescription::Range{0, 255, position_, moveTo};
    d.actions.push_back({AccessibleActionKind::Increase, [this, moveTo] { moveTo(position_ + 1); }});
    d.actions.push_back({AccessibleActionKind::Decrease, [this, moveTo] { moveTo(position_ - 1); }});
}

}  // namespace veskel
