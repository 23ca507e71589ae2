#include "Components/HLSColorTable/HLSColorTable.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "Components/HLSColorTable/HlsTableImage.h"
#include "platform/Resources.h"
#include "platform/codecs/Codecs.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/Application.h"

namespace veskel {

namespace {
constexpr Color kFrameGrey = RGB(176, 176, 176);
constexpr Point kPuraHotSpot{12, 13};  // the ring's centre
}  // namespace

void RegisterPuraCursor() {
    if (Application* app = Application::Current())
        app->RegisterCursor(kCrPura, DecodePng(Resource("resources/cursors/Pura.png")), kPuraHotSpot);
}

THLSColorTable::THLSColorTable() {
    SetBounds(0, 0, 257, 257);
    DrawHlsTableImage(tableImage_, hue_);
    RegisterPuraCursor();
    SetKeyboardStop(true);
}

const PropertyTable& THLSColorTable::StoredProperties() const {
    static const PropertyTable table = PropertyTable(CustomControl::StoredProperties())
        .Add("HUE", &THLSColorTable::HUE, &THLSColorTable::SetHUE, 0)
        .Add("Saturation", &THLSColorTable::Saturation, &THLSColorTable::SetSaturation, 255)
        .Add("Lightnes", &THLSColorTable::Lightnes, &THLSColorTable::SetLightnes, 255)
        .Event("OnChange", &THLSColorTable::OnChange);
    return table;
}

void THLSColorTable::SetHUE(int v) {
    hue_ = v;
    DrawHlsTableImage(tableImage_, hue_);
    Repaint();
}

void THLSColorTable::Paint(Canvas& canvas) {
    // The grey frame round the whole client area, white inside, then the picture inside the frame.
    canvas.pen = Pen{kFrameGrey};
    canvas.brush.color = kWhite;
    canvas.brush.style = BrushStyle::Solid;
    canvas.Rectangle(ClientRect());
    canvas.Draw(1, 1, tableImage_);

    // The cross-hair leaves the picked pixel and its left and right neighbours untouched, so the
    // colour under it stays visible; exclusive-or keeps it readable on any colour.
    // Stored values may lie anywhere in the int range; a centre more than the arm's length
    // outside the table draws nothing, so it is held there instead of overflowing.
    constexpr int kOutside = 8;
    auto held = [](std::int64_t v, int size) {
        return int(std::clamp<std::int64_t>(v, -kOutside, std::min(size, INT_MAX - 2 * kOutside) + kOutside));
    };
    const int x0 = held(std::int64_t(saturation_) + 1, Width());
    const int y0 = held(255 - std::int64_t(lightnes_), Height());
    canvas.pen = Pen{kFrameGrey, PenStyle::Solid, PenMode::Xor};
    canvas.MoveTo(x0 - 4, y0);
    canvas.LineTo(x0 - 1, y0);
    canvas.MoveTo(x0 + 2, y0);
    canvas.LineTo(x0 + 5, y0);
    canvas.MoveTo(x0, y0 - 4);
    canvas.LineTo(x0, y0);
    canvas.MoveTo(x0, y0 + 1);
    canvas.LineTo(x0, y0 + 5);
    canvas.pen.mode = PenMode::Copy;
}

// A coordinate on the frame or outside the picture keeps its value; the other one still applies.
void THLSColorTable::PickAt(int x, int y) {
    if (x >= 1 && x <= 255) saturation_ = x - 1;
    if (y >= 1 && y <= 255) lightnes_ = 255 - y;
    if (OnChange) OnChange(*this);
    Repaint();
}

void THLSColorTable::KeyDown(int& key, ShiftState shift) {
    CustomControl::KeyDown(key, shift);
    if (shift & (kCtrl | kAlt)) return;
    constexpr int kTop = 254;
    constexpr int kPage = 16;
    int s = saturation_, l = lightnes_;
    switch (key) {
        case kKeyLeft: s -= 1; break;
        case kKeyRight: s += 1; break;
        case kKeyUp: l += 1; break;
        case kKeyDown: l -= 1; break;
        case kKeyPrior: l += kPage; break;
        case kKeyNext: l -= kPage; break;
        case kKeyHome: s = 0; break;
        case kKeyEnd: s = kTop; break;
        default: return;
    }
    key = 0;
    // The press's own road: the picked point of the table, in control coordinates.
    PickAt(std::clamp(s, 0, kTop) + 1, 255 - std::clamp(l, 0, kTop));
}

void THLSColorTable::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
    PickAt(x, y);
    dragging_ = true;
    CustomControl::MouseDown(button, shift, x, y);
}

void THLSColorTable::MouseMove(ShiftState shift, int x, int y) {
    if (dragging_) PickAt(x, y);
    CustomControl::MouseMove(shift, x, y);
}

void THLSColorTable::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
    dragging_ = false;
    CustomControl::MouseUp(button, shift, x, y);
}

void THLSColorTable::MouseEnter() {
    if (Application* app = Application::Current()) app->SetScreenCursor(kCrPura);
    CustomControl::MouseEnter();
}

void THLSColorTable::MouseLeave() {
    if (Application* app = Application::Current()) app->SetScreenCursor(kCrDefault);
    CustomControl::MouseLeave();
}

void THLSColorTable::Describe(AccessibleDescription& d) {
    d.role = AccessibleRole::ColorChooser;
    d.labelledByNeighbour = true;
    d.value = "L " + std::to_string(lightnes_) + ", S " + std::to_string(saturation_);
}

}  // namespace veskel
