#pragma once
// TGlassEdit: a one-line text field 18 pixels high. A borderless framework edit box sits inside a
// frame painted from three small grey bitmaps (left cap, stretched middle strip, right cap) that
// give the field a dark top edge with a soft inner shadow.
//
// The inner edit does the editing (caret, selection, clipboard, any script); the field forwards
// its changes as its own OnChange, and passes Enter and Escape on to the window around the
// container the field lies in, so that a dialog's default and cancel keys still work.
#include <string>

#include "platform/graphics/Picture.h"
#include "platform/ui/Edit.h"

namespace veskel {

class TGlassEdit : public CustomControl {
public:
    TGlassEdit();
    std::string ClassName() const override { return "TGlassEdit"; }

    // The inner edit box, owned by the field; callers read and write its text directly.
    veskel::Edit* const Edit;

    // Raised after every change of the inner edit's text, typed or set from code (not when the
    // text set equals the text held). Sender: the field.
    NotifyEvent OnChange;

    const PropertyTable& StoredProperties() const override;

    // The height is always 18, whatever is asked for.
    void SetBounds(int left, int top, int width, int height) override;

protected:
    void Paint(Canvas& canvas) override;

private:
    void ForwardKey(int key);

    const Picture* leftCap_;
    const Picture* rightCap_;
    const Picture* middle_;
};

}  // namespace veskel
