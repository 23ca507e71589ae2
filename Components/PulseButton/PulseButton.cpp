#include "Components/PulseButton/PulseButton.h"

namespace veskel {

TPulseButton::TPulseButton() {
    SetCursor(kCrHandPoint);
    SetAutoRepeat(kRepeatDelay, kRepeatInterval);
    pulseTimer_.SetInterval(kPulseInterval);
    pulseTimer_.OnTimer = [this] {
        pulse_.Tick();
        Repaint();
    };
}

const PropertyTable& TPulseButton::StoredProperties() const {
    // Grayscale is the last published property; the image blocks stay after it.
    static const PropertyTable table = PropertyTable(TPNGButtonBase::StoredProperties())
        .Remove(kImageBlocksEntry)
        .Add("Grayscale", &TPulseButton::Grayscale, &TPulseButton::SetGrayscale, false)
        .AddFrom(TPNGButtonBase::StoredProperties(), {kImageBlocksEntry});
    return table;
}

void TPulseButton::SetGrayscale(bool v) {
    grayscale_ = v;
    Repaint();
}

void TPulseButton::HoverChanged(bool hovered) {
    pulseTimer_.SetEnabled(hovered);
    // Leaving puts the phase back to 1; the step keeps its sign, so a button left during a
    // descent dips to 0 first when the pointer comes back.
    if (!hovered) pulse_.phase = 1;
}

void TPulseButton::EnabledChanged() {
    TPNGButtonBase::EnabledChanged();
    if (!Enabled()) HoverChanged(false);
}

void TPulseButton::Recolour(Picture& image) {
    if (grayscale_) GreyRecolour(image);
    else PulseRecolour(image, pulse_.phase);
}

}  // namespace veskel
