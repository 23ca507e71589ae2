#include "platform/graphics/Bitmap.h"

namespace veskel {

Bitmap::Bitmap(int width, int height) { Reset(width, height); }

void Bitmap::Reset(int width, int height) {
    width_ = width > 0 && height > 0 ? width : 0;
    height_ = width > 0 && height > 0 ? height : 0;
    data_.assign(std::size_t(width_) * std::size_t(height_) * 3, 0);
}

void Bitmap::Fill(Color c) {
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) SetPixel(x, y, c);
}

}  // namespace veskel
