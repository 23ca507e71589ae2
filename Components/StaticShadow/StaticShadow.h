#pragma once
// TStaticShadow: a panel that fills a borderless pop-up window and draws a soft drop shadow
// around the window's edge over a capture of the screen behind it, so that the pop-up seems to
// float above the desktop. BorderWidth keeps child controls clear of the 18-pixel shadow margin.
// The panel listens to its owner window: every move captures and composes again, an activation
// recomposes when a paint has happened since the last capture, and with Moveable a press on the
// owner's own surface (a hit test answered Client) drags the window.
//
// Where the desktop composites windows (Backend::ComposesTranslucentWindows) the owner form is
// made translucent instead and the margin is black at the shadow's opacity, so that the live
// desktop shows through it; no screen is captured then.
//
// Whoever shows the pop-up positions and sizes it while hidden, calls EmuLoaded, sets
// ShadowActive and shows the window.
#include <string>

#include "Components/StaticShadow/ShadowFrame.h"
#include "platform/ui/Form.h"
#include "platform/ui/PropertyTable.h"

namespace veskel {

class TStaticShadow : public CustomControl {
public:
    TStaticShadow();
    ~TStaticShadow() override;
    std::string ClassName() const override { return "TStaticShadow"; }
    const PropertyTable& StoredProperties() const override;

    bool Moveable() const { return moveable_; }
    void SetMoveable(bool v) { moveable_ = v; }
    // Stored settings that do not enter the composition; a new value captures again and repaints.
    Color TranspColor() const { return transpColor_; }
    void SetTranspColor(Color c);
    int Transparency() const { return transparency_; }
    void SetTransparency(int v);
    // Inner margin for child controls (the bevel adds one more pixel).
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v);

    bool ShadowActive() const { return shadowActive_; }
    void SetShadowActive(bool v) { shadowActive_ = v; }
    bool RecomposePending() const { return recomposePending_; }
    void SetRecomposePending(bool v) { recomposePending_ = v; }

    // Prepares the shadow for the owner's current size and composes.
    void EmuLoaded();
    // Captures the screen behind the owner window (nothing to capture on a compositing desktop:
    // the capture stays black); while the shadow is not active it hides the owner window instead.
    void TakeScreenShoot();

    // Attaches to the owner window's signals (done by itself once the panel sits on a form; a
    // program building the pop-up by hand may call it as soon as the panel has its parent).
    void AttachToOwner();

    const Bitmap& ShadowCapture() const { return capture_; }
    const Bitmap& ShadowComposite() const { return composite_; }

    void Loaded() override;

protected:
    void Paint(Canvas& canvas) override;
    Rect AlignArea() const override;

private:
    Form* OwnerForm() const;
    void Compose();
    void OwnerActivated(bool active);
    void OwnerHitTest(HitArea& area) const;
    void Detach();

    bool moveable_ = true;
    Color transpColor_ = 0;
    int transparency_ = 60;
    int borderWidth_ = 17;
    bool shadowActive_ = false;
    bool recomposePending_ = false;
    bool seeThrough_ = false;  // the owner is translucent: no capture, the desktop shows through

    ShadowPieces pieces_;
    StretchedEdges edges_;
    Bitmap capture_;
    Bitmap composite_;
    Form* hookedForm_ = nullptr;
    Connection moved_, activated_, hitTest_;
};

}  // namespace veskel
