#pragma once
// 24-bit images: bytes blue, green, red; rows top first, tightly packed (3 x width bytes a row).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"

namespace veskel {

class Bitmap {
public:
    Bitmap() = default;
    // A black image. Negative sizes count as 0.
    Bitmap(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    Size GetSize() const { return {width_, height_}; }
    Rect Bounds() const { return {0, 0, width_, height_}; }
    bool IsEmpty() const { return width_ == 0 || height_ == 0; }
    std::size_t RowBytes() const { return std::size_t(width_) * 3; }

    std::uint8_t* Row(int y) { return data_.data() + std::size_t(y) * RowBytes(); }
    const std::uint8_t* Row(int y) const { return data_.data() + std::size_t(y) * RowBytes(); }
    std::uint8_t* Data() { return data_.data(); }
    const std::uint8_t* Data() const { return data_.data(); }
    std::size_t ByteSize() const { return data_.size(); }

    // Unchecked pixel access; callers stay inside Bounds().
    Color Pixel(int x, int y) const {
        const std::uint8_t* p = Row(y) + 3 * std::size_t(x);
        return RGB(p[2], p[1], p[0]);
    }
    void SetPixel(int x, int y, Color c) {
        std::uint8_t* p = Row(y) + 3 * std::size_t(x);
        p[0] = GetB(c);
        p[1] = GetG(c);
        p[2] = GetR(c);
    }
    void Fill(Color c);
    // Resizes to width x height, every pixel black.
    void Reset(int width, int height);

    friend bool operator==(const Bitmap&, const Bitmap&) = default;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> data_;
};

}  // namespace veskel
