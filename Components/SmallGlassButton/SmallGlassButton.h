#pragma once
// TSmallGlassButton: a compact push button 18 pixels high and of any width. A windowless control
// that draws a grey glass bar from three stock bitmaps (left end cap, a middle tile repeated as
// often as needed, right end cap) and centres its caption on it. Hovering turns the caption teal
// (the colour is written into the font itself, so it lasts until the pointer leaves); holding any
// mouse button on it sinks the caption by one pixel. The click is the framework's ordinary one,
// stored as "ONClick".
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/ui/ButtonControl.h"
#include "platform/ui/PropertyTable.h"

namespace veskel {

class TSmallGlassButton : public ButtonControl {
public:
    static constexpr int kBarHeight = 18;
    static constexpr Color kRestColor = RGB(71, 71, 71);
    static constexpr Color kHoverColor = RGB(2, 89, 114);

    TSmallGlassButton();
    std::string ClassName() const override { return "TSmallGlassButton"; }
    const PropertyTable& StoredProperties() const override;

    // The height is held at 18 (minimum and maximum); only the width varies.
    void SetBounds(int left, int top, int width, int height) override;

    // Copies the control's current pixels into the background bitmap (and sets the drawing font),
    // as painting does before the caption. Only the part of the control that the canvas can
    // draw on is copied (see Canvas::VisibleRect): nothing else is ever drawn back.
    void CalculateBG(Canvas& canvas);
    // The copied pixels and where their top-left corner lies in the control.
    const Bitmap& Background() const { return background_; }
    Point BackgroundOrigin() const { return backgroundAt_; }

    // How many paints have run, held between 1 and 5 after the first; a pointer entering before
    // the first paint does not change the caption colour.
    int PaintCount() const { return paintCount_; }

protected:
    void Paint(Canvas& canvas) override;
    void MouseEnter() override;
    void MouseLeave() override;

private:
    Bitmap background_;
    Point backgroundAt_{};
    int paintCount_ = 0;
};

// The number of middle tiles a bar of this width draws: round((width - 8) / 28) + 1 in the
// process rounding mode, never below 1.
int SmallGlassTileCount(int width);

}  // namespace veskel
