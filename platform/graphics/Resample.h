#pragma once
// Area-averaging ("halftone") resampling: every destination pixel is the average of the source
// area it covers, weighted by coverage, so shrinking never drops source pixels.
#include <cstdint>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"

namespace veskel {

// Resamples a 24-bit image to width x height (both >= 1).
Bitmap StretchHalftone(const Bitmap& src, int width, int height);

// Resamples an 8-bit grey plane (srcWidth x srcHeight bytes) to width x height.
std::vector<std::uint8_t> StretchHalftoneGrey(const std::vector<std::uint8_t>& src, int srcWidth, int srcHeight,
                                              int width, int height);

}  // namespace veskel
