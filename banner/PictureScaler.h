#pragma once
// PictureScaler: the overlay's source picture and the reduced copies its size steps resample from.
//
// Resampling a large photo from its full size takes tens of milliseconds, too slow for an arrow
// that repeats every 20 ms. A source of more than kExactSourcePixels is therefore resampled from
// a copy of itself shrunk by 2, 4, 8 ... (each pixel the mean of its block), the smallest such
// copy that is still at least kReducedToTargetRatio times the target size in both directions.
// Every target pixel still averages the source area it covers, each block weighted by its share
// of that area (StretchReduced). A copy is made from the source when a size first needs it and is
// kept with the source: all copies together hold about a third of the source's pixels at most.
// Which copy serves a size depends only on the two sizes, so one size always gives the same
// pixels, in the window and on the command line.
//
// Copies of a scaler share the source and the reduced copies made so far; neither is ever changed.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "platform/graphics/Picture.h"

namespace veskel {

// Sources up to this many pixels are always resampled from their full size.
inline constexpr std::int64_t kExactSourcePixels = std::int64_t(1) << 20;
// A reduced copy serves a target only when it is at least this many times the target's size.
inline constexpr int kReducedToTargetRatio = 2;

class PictureScaler {
public:
    using PicturePtr = std::shared_ptr<const Picture>;

    PictureScaler() = default;
    explicit PictureScaler(PicturePtr source) : source_(std::move(source)) {}

    const PicturePtr& Source() const { return source_; }

    // The source resampled to width x height (colour by area averaging, the alpha plane the same
    // way when the source has one), of which only the pixels inside `part` are made: the result
    // is `part` clipped to width x height. Sizes below 1 or no source give an empty picture.
    Picture Scale(int width, int height, const Rect& part);

    // How many times smaller than the source the copy is that serves width x height (1: the source).
    static int ReductionFor(int sourceWidth, int sourceHeight, int width, int height);

    // Bytes held by the reduced copies made so far.
    std::size_t ReducedBytes() const;

private:
    const Picture& CopyFor(int factor);

    PicturePtr source_;
    std::vector<PicturePtr> reduced_;  // [i]: the source shrunk by 2^(i + 1); empty until needed
};

}  // namespace veskel
