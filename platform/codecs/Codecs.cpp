#include "platform/codecs/Codecs.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>

#include "platform/lang/Translate.h"

namespace veskel {

namespace {
std::atomic<int> gMaxSide{kMaxImageSide};
std::atomic<std::int64_t> gMaxPixels{kMaxImagePixels};
}  // namespace

void SetImageLimits(ImageLimits limits) {
    gMaxSide = std::clamp(limits.maxSide, 1, kMaxImageSide);
    gMaxPixels = std::clamp<std::int64_t>(limits.maxPixels, 1, kMaxImagePixels);
}

ImageLimits CurrentImageLimits() { return {gMaxSide.load(), gMaxPixels.load()}; }

void CheckImageSize(std::int64_t width, std::int64_t height) {
    const std::string dims = "(" + std::to_string(width) + " x " + std::to_string(height) + ")";
    if (width <= 0 || height <= 0) throw CodecError("invalid image size " + dims);
    const ImageLimits limits = CurrentImageLimits();
    if (width > limits.maxSide || height > limits.maxSide || width * height > limits.maxPixels) {
        // The limit in words: "64 million" when the pixel count is whole millions.
        const std::string pixels = limits.maxPixels % 1000000 == 0
                                       ? Tr("{1} million", {std::to_string(limits.maxPixels / 1000000)})
                                       : std::to_string(limits.maxPixels);
        throw CodecError(Tr("image too large {1}: a picture may have at most {2} pixels a side and {3} pixels in all",
                            {dims, std::to_string(limits.maxSide), pixels}));
    }
}

}  // namespace veskel
