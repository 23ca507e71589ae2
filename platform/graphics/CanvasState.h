#pragma once
// CanvasStateSaver: saves a canvas's clip, origin, font, pen and brush and puts them back when
// it goes out of scope, so a control can narrow the clip or move the origin for one part of its
// painting (a tab, a list row, a cell of a pop-up) without undoing each change by hand.
//
//   {
//       CanvasStateSaver saved(canvas);
//       canvas.IntersectClip(row);
//       canvas.SetOrigin({origin.x, origin.y + top});
//       ...
//   }  // clip, origin, font, pen and brush are as before
#include "platform/graphics/Canvas.h"

namespace veskel {

class CanvasStateSaver {
public:
    explicit CanvasStateSaver(Canvas& canvas)
        : canvas_(canvas),
          clip_(canvas.ClipRect()),
          origin_(canvas.Origin()),
          font_(canvas.font),
          pen_(canvas.pen),
          brush_(canvas.brush) {}
    ~CanvasStateSaver() {
        canvas_.SetClipRect(clip_);
        canvas_.SetOrigin(origin_);
        canvas_.font = font_;
        canvas_.pen = pen_;
        canvas_.brush = brush_;
    }
    CanvasStateSaver(const CanvasStateSaver&) = delete;
    CanvasStateSaver& operator=(const CanvasStateSaver&) = delete;

private:
    Canvas& canvas_;
    Rect clip_;
    Point origin_;
    Font font_;
    Pen pen_;
    Brush brush_;
};

}  // namespace veskel
