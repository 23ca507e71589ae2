#pragma once
// Area-averaging ("halftone") resampling: every destination pixel is the average of the source
// area it covers, weighted by coverage, so shrinking never drops source pixels.
//
// Destination pixel i of n covers the source span [i * m / n, (i + 1) * m / n) of a source of
// m pixels; each source pixel contributes the exact length of its overlap with that span. The
// same rule serves enlarging: a destination pixel then covers less than one source pixel and
// takes that pixel's value, or a coverage-weighted mix of the two it straddles. Both axes are
// weighted this way (the weights multiply), sums are kept in integers, and the one division at
// the end rounds half up, independent of the process rounding mode: resampling is image
// arithmetic, not one of the program's "round" steps. The identity size gives an exact copy.
#include <cstdint>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Picture.h"

namespace veskel {

// Resamples a 24-bit image to width x height (both >= 1). An empty source or a size below 1
// gives an empty bitmap.
Bitmap StretchHalftone(const Bitmap& src, int width, int height);

// Resamples an 8-bit grey plane (srcWidth x srcHeight bytes) to width x height. A plane whose
// byte count does not match its size, or a size below 1, gives an empty result.
std::vector<std::uint8_t> StretchHalftoneGrey(const std::vector<std::uint8_t>& src, int srcWidth, int srcHeight,
                                              int width, int height);

// Resamples srcRect of src (which must lie inside src) to width x height, but computes only
// the destination pixels inside `window` (destination coordinates, clipped to the
// destination). Returns a bitmap of the clipped window's size. Lets a canvas stretch onto a
// large rectangle of which only a small part is visible.
Bitmap StretchHalftoneWindow(const Bitmap& src, const Rect& srcRect, int width, int height, const Rect& window);

// The same for an 8-bit grey plane (srcWidth x srcHeight bytes, resampled whole).
std::vector<std::uint8_t> StretchHalftoneGreyWindow(const std::vector<std::uint8_t>& src, int srcWidth, int srcHeight,
                                                    int width, int height, const Rect& window);

// A picture shrunk by a whole factor in both directions: each pixel is the mean (rounded half up)
// of a factor x factor block of the source; the last block of a row or column holds what is left,
// so the result is ceil(width / factor) x ceil(height / factor). Alpha is reduced the same way.
Picture ReducePicture(const Picture& src, int factor);

// Resamples a srcWidth x srcHeight picture to width x height from `reduced`, its copy made by
// ReducePicture with `factor`, computing only the destination pixels inside `window` (the result
// has the clipped window's size). Every destination pixel averages the source area it covers, each
// block of the copy weighted by its overlap with that area, so the result stays within a block's
// spread of the exact one at a fraction of its cost. Alpha comes along when the copy has it.
Picture StretchReduced(const Picture& reduced, int factor, int srcWidth, int srcHeight, int width, int height,
                       const Rect& window);

}  // namespace veskel
