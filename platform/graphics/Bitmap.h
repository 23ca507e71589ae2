#pragma once
// 24-bit images: bytes blue, green, red; rows top first, tightly packed (3 x width bytes a row).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"

namespace veskel {

// The bytes of an image, from malloc: a decoder that learns an image row by row grows it with
// realloc, which moves large blocks by remapping their pages rather than copying them, so a
// growing image never needs two copies of itself. New bytes are always zero.
class PixelBuffer {
public:
    PixelBuffer() = default;
    explicit PixelBuffer(std::size_t size) { Assign(size); }
    PixelBuffer(const PixelBuffer& other);
    PixelBuffer(PixelBuffer&& other) noexcept : data_(other.data_), size_(other.size_) {
        other.data_ = nullptr;
        other.size_ = 0;
    }
    PixelBuffer& operator=(const PixelBuffer& other);
    PixelBuffer& operator=(PixelBuffer&& other) noexcept;
    ~PixelBuffer() { std::free(data_); }

    std::uint8_t* data() { return data_; }
    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    // `size` zero bytes (the old content is dropped). Throws std::bad_alloc.
    void Assign(std::size_t size);
    // Keeps the first min(old, new) bytes; bytes added at the end are zero. Throws std::bad_alloc
    // and keeps the old content when the memory cannot be had.
    void Resize(std::size_t size);

    friend bool operator==(const PixelBuffer& a, const PixelBuffer& b);

private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

class Bitmap {
public:
    Bitmap() = default;
    // A black image. Negative sizes count as 0.
    Bitmap(int width, int height);
    // Takes `pixels` as the image's rows (width x height x 3 bytes; decoders build them row by
    // row). Throws std::invalid_argument when the sizes do not match.
    Bitmap(int width, int height, PixelBuffer pixels);

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
    PixelBuffer data_;
};

}  // namespace veskel
