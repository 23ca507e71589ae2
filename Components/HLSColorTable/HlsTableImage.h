#pragma once
// The picture of the HLS table for one hue: 255 x 255 pixels, column j = saturation j, row i =
// lightness 254 - i, each pixel HlsToRgb(hue, 254 - i, j) on the 240 scale (values above 240
// give clamped channels, hues outside 0..240 wrap once as HueToRgb does).
#include "platform/graphics/Bitmap.h"

namespace veskel {

inline constexpr int kHlsTableImageSize = 255;

// Redraws image (resized to 255 x 255) for the hue, in the process rounding mode. Gives exactly
// the pixels of the per-pixel conversion, about twenty times faster: everything that depends on
// the hue alone is decided once per table.
void DrawHlsTableImage(Bitmap& image, int hue);

}  // namespace veskel
