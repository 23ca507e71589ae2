#include "platform/codecs/Codecs.h"

#include <string>

namespace veskel {

void CheckImageSize(std::int64_t width, std::int64_t height) {
    const std::string dims = "(" + std::to_string(width) + " x " + std::to_string(height) + ")";
    if (width <= 0 || height <= 0) throw CodecError("invalid image size " + dims);
    if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels)
        throw CodecError("image too large " + dims);
}

}  // namespace veskel
