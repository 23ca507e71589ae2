#include "platform/codecs/Codecs.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>

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
    if (width > limits.maxSide || height > limits.maxSide || width * height > limits.maxPixels)
        throw CodecError("image too large " + dims);
}

}  // namespace veskel
