#pragma once
// TPulseButton: the image button that pulses. While the pointer is over it the current image's
// lightness cycles towards each pixel's channel average on an 80 ms timer; holding any mouse button
// on it repeats the click (after 400 ms, then every 20 ms), which the designer's arrow buttons use
// to step a position or a size. In grey mode the image is drawn in grey, without the pulse. The
// pointer over it is the hand. Everything about the images (the stored blocks, the background
// shape, the corner triangle, the image menu) is TPNGButtonBase's.
#include <memory>

#include "Components/PulseButton/PNGButtonBase.h"
#include "Components/PulseButton/PulseImage.h"
#include "platform/ui/Timer.h"

namespace veskel {

class TPulseButton : public TPNGButtonBase {
public:
    static constexpr int kPulseInterval = 80;
    static constexpr int kRepeatDelay = 400;
    static constexpr int kRepeatInterval = 20;

    TPulseButton();
    std::string ClassName() const override { return "TPulseButton"; }
    const PropertyTable& StoredProperties() const override;

    bool Grayscale() const { return grayscale_; }
    void SetGrayscale(bool v);

    // The pulse as it stands (phase 1 and step 30 at creation).
    const PulsePhase& Pulse() const { return pulse_; }
    bool Pulsing() const { return pulseTimer_.Enabled(); }

protected:
    void HoverChanged(bool hovered) override;
    void Recolour(Picture& image) override;
    int RecolourKey() const override { return grayscale_ ? -1 : pulse_.phase; }
    void EnabledChanged() override;

private:
    bool grayscale_ = false;
    PulsePhase pulse_;
    Timer pulseTimer_;
};

}  // namespace veskel
