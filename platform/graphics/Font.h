#pragma once
// A font as the controls ask for one: family name, size and style. Resolved to a real face by
// the font engine (platform/text).
#include <string>

#include "platform/graphics/Color.h"

namespace veskel {

struct Font {
    std::string family = "MS Sans Serif";
    // Size in points at 96 dots per inch (9 points = 12 pixels per em). When pixelHeight is
    // above 0 it wins and gives the em height in pixels directly.
    int size = 8;
    int pixelHeight = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    Color color = kBlack;

    // The em height in pixels: pixelHeight, or size x 96 / 72 rounded to nearest.
    int EmPixels() const { return pixelHeight > 0 ? pixelHeight : (size * 96 * 2 + 72) / 144; }

    friend bool operator==(const Font&, const Font&) = default;
};

}  // namespace veskel
