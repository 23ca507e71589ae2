#pragma once
// Text on a Canvas: TextOut, TextExtent and DrawText in the canvas's font, on top of the font
// engine. Text is drawn aliased with a transparent background (only glyph pixels are painted, in
// font.color), in logical coordinates and within the canvas's clip; measuring and drawing share
// one layout, so what is measured is exactly what is drawn. Strings are UTF-8.
#include <string_view>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Geometry.h"

namespace veskel {

// Flags for DrawText.
enum DrawTextFlags : unsigned {
    kDtLeft = 0,
    kDtCenter = 1,
    kDtRight = 2,
    kDtVCenter = 4,
    kDtBottom = 8,
    kDtWordBreak = 16,
    kDtSingleLine = 32,
    kDtCalcRect = 1024,  // measure only: adjusts the rectangle's bottom (and right), draws nothing
};

// (x, y) is the top-left corner of the character cell.
void TextOut(Canvas& canvas, int x, int y, std::string_view text);
// Width = the sum of the advances, height = the line height.
Size TextExtent(const Canvas& canvas, std::string_view text);
inline int TextWidth(const Canvas& canvas, std::string_view text) { return TextExtent(canvas, text).width; }
inline int TextHeight(const Canvas& canvas, std::string_view text) { return TextExtent(canvas, text).height; }
// Draws text inside r with DrawTextFlags; returns the height of the text drawn. With kDtCalcRect
// nothing is drawn and r's bottom (and right, for single lines) is adjusted.
int DrawText(Canvas& canvas, std::string_view text, Rect& r, unsigned flags);

}  // namespace veskel
