#pragma once
// Framework-private helpers shared by the ui sources (not for controls).
#include <algorithm>
#include <climits>
#include <string_view>

#include "platform/ui/Control.h"
#include "platform/ui/NoCase.h"

namespace veskel::detail {

WindowHandle AllocateHandle(Control* control);
void FreeHandle(WindowHandle handle);
// The control that owns a window handle, or nullptr (a form's pop-up owner may be gone).
Control* LookupHandle(WindowHandle handle);

// The rectangle of a control or form placed at (left, top) with the given size: negative sizes
// count as 0, and a size that would carry the right or bottom edge past the int range is cut
// there, so an edge and a size can always be computed from the rectangle.
inline Rect BoundsRect(int left, int top, int width, int height) {
    width = std::clamp(width, 0, left > 0 ? INT_MAX - left : INT_MAX);
    height = std::clamp(height, 0, top > 0 ? INT_MAX - top : INT_MAX);
    return {left, top, left + width, top + height};
}

}  // namespace veskel::detail
