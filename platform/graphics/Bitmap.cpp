#include "platform/graphics/Bitmap.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace veskel {

PixelBuffer::PixelBuffer(const PixelBuffer& other) {
    Assign(other.size_);
    if (size_) std::memcpy(data_, other.data_, size_);
}

PixelBuffer& PixelBuffer::operator=(const PixelBuffer& other) {
    if (this != &other) {
        PixelBuffer copy(other);
        *this = std::move(copy);
    }
    return *this;
}

PixelBuffer& PixelBuffer::operator=(PixelBuffer&& other) noexcept {
    if (this != &other) {
        std::free(data_);
        data_ = other.data_;
        size_ = other.size_;
        other.data_ = nullptr;
        other.size_ = 0;
    }
    return *this;
}

void PixelBuffer::Assign(std::size_t size) {
    if (size == 0) {
        std::free(data_);
        data_ = nullptr;
        size_ = 0;
        return;
    }
    // calloc hands out large blocks as fresh zero pages, without touching them.
    auto* fresh = static_cast<std::uint8_t*>(std::calloc(size, 1));
    if (!fresh) throw std::bad_alloc();
    std::free(data_);
    data_ = fresh;
    size_ = size;
}

void PixelBuffer::Resize(std::size_t size) {
    if (size == size_) return;
    if (size == 0) {
        Assign(0);
        return;
    }
    auto* grown = static_cast<std::uint8_t*>(std::realloc(data_, size));
    if (!grown) throw std::bad_alloc();
    if (size > size_) std::memset(grown + size_, 0, size - size_);
    data_ = grown;
    size_ = size;
}

bool operator==(const PixelBuffer& a, const PixelBuffer& b) {
    return a.size_ == b.size_ && (a.size_ == 0 || std::memcmp(a.data_, b.data_, a.size_) == 0);
}

Bitmap::Bitmap(int width, int height) { Reset(width, height); }

void Bitmap::Reset(int width, int height) {
    width_ = width > 0 && height > 0 ? width : 0;
    height_ = width > 0 && height > 0 ? height : 0;
    data_.Assign(std::size_t(width_) * std::size_t(height_) * 3);
}

Bitmap::Bitmap(int width, int height, PixelBuffer pixels) {
    const bool empty = width <= 0 || height <= 0;
    const std::size_t bytes = empty ? 0 : std::size_t(width) * std::size_t(height) * 3;
    if (pixels.size() != bytes) throw std::invalid_argument("Bitmap: pixel buffer does not match the size");
    width_ = empty ? 0 : width;
    height_ = empty ? 0 : height;
    data_ = std::move(pixels);
}

void Bitmap::Fill(Color c) {
    // One row by pixels, the others copied from it: controls fill their whole bitmap on every paint.
    if (IsEmpty()) return;
    for (int x = 0; x < width_; ++x) SetPixel(x, 0, c);
    for (int y = 1; y < height_; ++y) std::memcpy(Row(y), Row(0), RowBytes());
}

}  // namespace veskel
