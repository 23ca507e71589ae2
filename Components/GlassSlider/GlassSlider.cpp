#include "Components/GlassSlider/GlassSlider.h"

#include <algorithm>

#include "Components/GlassLook/GlassLook.h"
#include "platform/graphics/Rounding.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/PropertyTable.h"

namespace veskel {

namespace {
constexpr int kTrackLeft = 9;   // the track runs from x = 9 to Width - 9
constexpr int kTrackTop = 7;
constexpr int kThumbLeft = 2;   // the thumb bitmap starts at ThumbPos + 2: its centre column is over ThumbPos + 9
constexpr int kThumbTop = 2;
constexpr int kTickTop = 18;
constexpr int kTickBottom = 22;  // exclusive
constexpr Color kTickColor = RGB(176, 176, 176);
}  // namespace

TGlassSlider::TGlassSlider()
    : track_(&GlassSkin("Components/GlassSlider/res/GlassSliderTrack.png")),
      thumb_(&GlassSkin("Components/GlassSlider/res/GlassSliderThumb.png")),
      thumbHover_(&GlassSkin("Components/GlassSlider/res/GlassSliderThumbHover.png")) {
    SetHandlesPressRelease(true);
    SetKeyboardStop(true);
    restTimer_.SetInterval(kRestMs);
    restTimer_.OnTimer = [this] { Rested(); };
}

const PropertyTable& TGlassSlider::StoredProperties() const {
    static const PropertyTable table = PropertyTable(GraphicControl::StoredProperties())
                                           .Add("Max", &TGlassSlider::Max, &TGlassSlider::SetMax)
                                           .Add("Value", &TGlassSlider::Value, &TGlassSlider::SetValue)
                                           .Event("OnChange", &TGlassSlider::OnChange)
                                           .Event("OnPreChange", &TGlassSlider::OnPreChange)
                                           .Event("OnFinalChange", &TGlassSlider::OnFinalChange);
    return table;
}

int TGlassSlider::TrackLength() const { return std::max(1, Width() - 18); }

void TGlassSlider::SetMax(int v) {
    max_ = std::max(1, v);
    Repaint();
}

void TGlassSlider::SetValue(int v) {
    value_ = v;
    thumbPos_ = Round(double(value_) * TrackLength() / max_);
    Repaint();
}

void TGlassSlider::PositionFromX(int x) {
    // The value is stored by whoever listens, so it rounds to nearest whatever the process-wide
    // mode is: the same place on the track always means the same value.
    value_ = std::clamp(RoundIn(RoundingMode::NearestEven, double(x - 9) * max_ / TrackLength()), 0, max_);
    thumbPos_ = std::clamp(x - 9, 0, std::max(0, Width() - 19));
}

void TGlassSlider::MouseDown(MouseButton, ShiftState, int x, int) {
    dragging_ = true;
    heardValue_ = value_;
    PositionFromX(x);
    if (thumbPos_ != lastThumbPos_) {
        Repaint();
        lastThumbPos_ = thumbPos_;
        if (OnChange) OnChange(*this);
    }
    restTimer_.SetEnabled(true);
}

void TGlassSlider::MouseMove(ShiftState shift, int x, int y) {
    GraphicControl::MouseMove(shift, x, y);
    if (!dragging_) return;
    PositionFromX(x);
    if (thumbPos_ == lastThumbPos_) return;
    Repaint();
    lastThumbPos_ = thumbPos_;
    if (OnChange) OnChange(*this);
    // A full rest period starts again from this movement.
    restTimer_.SetEnabled(false);
    restTimer_.SetEnabled(true);
}

void TGlassSlider::Rested() {
    heardValue_ = value_;
    if (OnPreChange) OnPreChange(*this);
    restTimer_.SetEnabled(false);
}

void TGlassSlider::MouseUp(MouseButton, ShiftState, int, int) { Release(); }

void TGlassSlider::Release() {
    dragging_ = false;
    dragKey_ = 0;
    restTimer_.SetEnabled(false);
    // Released before the thumb rested on its last value: the listeners that follow the rests
    // hear that value now, once, or they would keep an older one than the thumb shows.
    if (value_ != heardValue_) Rested();
    if (OnFinalChange) OnFinalChange(*this);
}

void TGlassSlider::KeyDown(int& key, ShiftState shift) {
    GraphicControl::KeyDown(key, shift);
    if (shift & (kCtrl | kAlt)) return;
    const int page = std::max(1, max_ / 10);
    int to = 0;
    switch (key) {
        case kKeyLeft:
        case kKeyDown: to = value_ - 1; break;
        case kKeyRight:
        case kKeyUp: to = value_ + 1; break;
        case kKeyPrior: to = value_ + page; break;
        case kKeyNext: to = value_ - page; break;
        case kKeyHome: to = 0; break;
        case kKeyEnd: to = max_; break;
        default: return;
    }
    const int pressed = key;
    key = 0;
    if (dragging_ && dragKey_ == 0) return;  // the mouse is dragging
    if (!dragging_) {
        dragging_ = true;
        heardValue_ = value_;
    }
    dragKey_ = pressed;
    to = std::clamp(to, 0, max_);
    if (to == value_ && thumbPos_ == lastThumbPos_) return;
    SetValue(to);
    lastThumbPos_ = thumbPos_;
    if (OnChange) OnChange(*this);
    restTimer_.SetEnabled(false);
    restTimer_.SetEnabled(true);
}

void TGlassSlider::KeyUp(int key, ShiftState shift) {
    GraphicControl::KeyUp(key, shift);
    if (dragging_ && key == dragKey_) Release();
}

void TGlassSlider::FocusChanged(bool focused) {
    GraphicControl::FocusChanged(focused);
    if (!focused && dragging_ && dragKey_ != 0) Release();
}

void TGlassSlider::MouseEnter() {
    hovered_ = true;
    Repaint();
    GraphicControl::MouseEnter();
}

void TGlassSlider::MouseLeave() {
    hovered_ = false;
    Repaint();
    GraphicControl::MouseLeave();
}

void TGlassSlider::Paint(Canvas& canvas) {
    canvas.StretchDraw({kTrackLeft, kTrackTop, Width() - kTrackLeft, kTrackTop + track_->Height()}, track_->color);
    const Picture& thumb = hovered_ ? *thumbHover_ : *thumb_;
    // A value set from code may lie anywhere in the int range (a stored design's strength); its
    // thumb is shown at the end of the track it is beyond.
    canvas.Draw(std::clamp(thumbPos_, 0, TrackLength()) + kThumbLeft, kThumbTop, thumb);
    canvas.brush.style = BrushStyle::Solid;
    canvas.brush.color = kTickColor;
    const int length = Width() - 18;
    for (int k = 1; k <= 5; ++k) {
        const int x = Round(double(k - 1) * length / 5) + kTrackLeft;
        canvas.FillRect({x, kTickTop, x + 1, kTickBottom});
    }
    canvas.FillRect({Width() - 10, kTickTop, Width() - 9, kTickBottom});
}

void TGlassSlider::DragTo(int value) {
    heardValue_ = value_;
    SetValue(std::clamp(value, 0, max_));
    lastThumbPos_ = thumbPos_;
    if (OnChange) OnChange(*this);
    Rested();
    if (OnFinalChange) OnFinalChange(*this);
}

void TGlassSlider::Describe(AccessibleDescription& d) {
    d.role = AccessibleRole::Slider;
    d.labelledByNeighbour = true;
    d.value = std::to_string(value_);
    d.range = AccessibleDescription::Range{0, max_, value_, [this](int v) { DragTo(v); }};
    d.actions.push_back({AccessibleActionKind::Increase, [this] { DragTo(value_ + 1); }});
    d.actions.push_back({AccessibleActionKind::Decrease, [this] { DragTo(value_ - 1); }});
}

}  // namespace veskel
