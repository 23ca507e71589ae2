#pragma once
// Helpers shared by the text tests: the registered banner font, the glyph art, pixel counting.
#include <map>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Font.h"

namespace veskel::testing {

// Registers the embedded banner font once for the test program (as the main window does).
void EnsureBannerFontRegistered();

// The banner font: "Visitor TT2 BRK", 9 points (12 pixels per em), in the given colour.
Font BannerFont(Color color = kWhite);

// One block of the glyph art: seven rows of '#' and '.'.
using Art = std::vector<std::string>;

struct GlyphArt {
    Art notdef;
    std::map<char32_t, Art> glyphs;  // every character, aliases resolved to their art
};

// Parses resources/fonts/source/VisitorTT2BRK.txt; fails the calling test on a malformed file.
GlyphArt LoadGlyphArt();

// The rectangle (in bitmap pixels) of every pixel that is not background; empty when none.
struct Bounds {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool empty = true;
};
Bounds InkBounds(const Bitmap& bmp, Color background);
int CountPixels(const Bitmap& bmp, Color color);

}  // namespace veskel::testing
