#pragma once
// TClrBox: a small colour swatch that opens the palette pop-up (TPForm, PaletteForm.h) when the
// pointer rests on it for 300 ms or when it is pressed. Every colour picked in the pop-up comes
// back at once through the pop-up's synchronous colour call, and the box raises OnPreChange for
// each, so its owner can follow the colour while the pop-up is still open; the last OnPreChange
// before the pop-up closes carries the final colour. Setting the colours from code raises nothing.
// The pop-up's close call releases it.
//
// With the keyboard focus, Enter or Space opens the pop-up for the keyboard (PaletteForm.h).
#include <string>

#include "platform/graphics/Geometry.h"
#include "platform/ui/Application.h"
#include "platform/ui/Control.h"
#include "platform/ui/PropertyTable.h"

namespace veskel {

class TPForm;

class TClrBox : public CustomControl {
public:
    TClrBox();
    ~TClrBox() override;
    std::string ClassName() const override { return "TClrBox"; }
    const PropertyTable& StoredProperties() const override;

    Color ForeColor() const { return foreColor_; }
    void SetForeColor(Color c);  // stores and repaints
    Color BackColor() const { return backColor_; }
    void SetBackColor(Color c);  // stores and repaints; drawn only with SingleColor off
    bool SingleColor() const { return singleColor_; }
    void SetSingleColor(bool v);
    // On: only a press opens the pop-up; off: resting the pointer on the box opens it too.
    bool OpenAtClick() const { return openAtClick_; }
    void SetOpenAtClick(bool v) { openAtClick_ = v; }

    NotifyEvent OnPreChange;

    // Opens the pop-up beside the box, unless one of this box is open already.
    void OpenPalette();
    // A button whose press, like the mouse's, opens the pop-up; its value is the colour.
    void Describe(AccessibleDescription& d) override;
    // The open pop-up (nullptr when none is open).
    TPForm* Palette() const { return palette_; }
    bool PaletteOpen() const { return paletteGuard_; }
    const Timer& HoverTimer() const { return hoverTimer_; }

protected:
    void Paint(Canvas& canvas) override;
    void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
    void MouseMove(ShiftState shift, int x, int y) override;
    void KeyDown(int& key, ShiftState shift) override;

private:
    bool PointerOverBox() const;
    // The pop-up's close call: releases it (a second call for the same pop-up changes nothing).
    void ClosePalette();
    // The pop-up's colour call: takes both colours, repaints, raises OnPreChange.
    void ApplyPaletteColor(Color fore, Color back);

    Color foreColor_ = RGB(255, 255, 255);
    Color backColor_ = RGB(0, 0, 0);
    bool singleColor_ = false;
    bool openAtClick_ = false;
    bool paletteGuard_ = false;
    TPForm* palette_ = nullptr;
    Timer hoverTimer_;
    Point paletteAt_{};
};

// Where the pop-up opens for a box at screen rectangle `box` on the monitor `monitor` (its place
// on the desktop): to the right of and below the box's corner, or to its left and above it where
// the pop-up would run past the monitor's right or bottom edge. With the stored layout the
// pop-up's visible panel then starts 6 pixels left of the box and 6 pixels above its bottom edge.
// The edges are those of the box's own monitor, wherever it lies on the desktop; and on a
// monitor too small for the pop-up on either side of the box the pop-up moves just far enough
// for its panel (inside the shadow margin) to stay on the monitor.
//
// `keepClear` is what the pop-up should leave uncovered: the rows of the box's window above the
// box's page (its title and its tab row). Where that place would cover them and the monitor has
// room beside the box (right of it, else left of it) with the pop-up below them and its panel on
// the monitor, it opens there instead, as near the box's bottom as it can.
Point PalettePlacement(const Rect& box, Size popup, const Rect& monitor, const Rect& keepClear = {});

}  // namespace veskel
