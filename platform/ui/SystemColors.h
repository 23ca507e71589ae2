#pragma once
// System colours: colour values with the top byte set that stand for a colour of the desktop's
// scheme. A control that fills with one resolves it with ResolveColor.
#include "platform/graphics/Color.h"

namespace veskel {

// System colours (top byte set). Resolved with ResolveColor where a control fills with one.
constexpr Color kClBtnFace = 0xFF00000F;
constexpr Color kClWindow = 0xFF000005;
constexpr Color kClWindowText = 0xFF000008;
constexpr Color kClHighlight = 0xFF00000D;
constexpr Color kClHighlightText = 0xFF00000E;
constexpr Color kClGrayText = 0xFF000011;
constexpr Color kClNone = 0x1FFFFFFF;  // "no colour": a windowed control with it does not fill itself
// A system colour as plain RGB (the light classic scheme); plain colours come back unchanged.
Color ResolveColor(Color c);

}  // namespace veskel
