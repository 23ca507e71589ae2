#pragma once
// Small helpers shared by the codec implementations (not part of the public interface).
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/codecs/Codecs.h"

namespace veskel::codec_detail {

// CheckImageSize with the format's name in front of the message ("BMP: image too large (...)").
inline void CheckSize(const char* format, std::int64_t width, std::int64_t height) {
    try {
        CheckImageSize(width, height);
    } catch (const CodecError& e) {
        throw CodecError(std::string(format) + ": " + e.what());
    }
}

// A header may declare a canvas that its data hardly paints: a GIF screen around a tiny frame, RLE
// codes that jump over the rows, arithmetic-coded scans that end at once (the decoder supplies
// zero data up to the last row). Held whole, such a picture costs as much as a photograph of its
// size. Pictures up to this many pixels load whatever their data paints; larger ones must be
// painted to a plausible share. A process that lowers the image limits lowers it in proportion.
inline std::int64_t SparseCanvasFloor() {
    return std::min<std::int64_t>(std::int64_t(1) << 23, CurrentImageLimits().maxPixels / 4);
}
inline constexpr std::int64_t kMinPaintedShare = 16;  // at least 1/16 of a large canvas

// Refuses a canvas above the floor of which the data paints less than 1/kMinPaintedShare.
inline void CheckPaintedShare(const char* format, std::int64_t width, std::int64_t height, std::int64_t painted) {
    const std::int64_t pixels = width * height;
    if (pixels <= SparseCanvasFloor() || painted * kMinPaintedShare >= pixels) return;
    throw CodecError(std::string(format) + ": the data paints too little of the " + std::to_string(width) + " x " +
                     std::to_string(height) + " image it declares");
}

// What a decoder may hold ahead of the data it has actually decoded: the first block of rows, and
// the most by which a growing image may run ahead of its rows.
inline constexpr std::size_t kGrowthStepBytes = std::size_t(1) << 20;

// The capacity to grow to when `needed` bytes of a `final`-byte image must be addressable:
// doubling (so growing costs little copying), never less than one step, never past the end.
inline std::size_t GrownCapacity(std::size_t capacity, std::size_t needed, std::size_t final) {
    return std::min(final, std::max({needed, capacity * 2, kGrowthStepBytes}));
}

// The rows of an image whose size the header declares but whose rows must be paid for only as
// they decode: Row(i) makes rows 0..i addressable (new rows zero, that is black) and grows the
// storage as it goes, so a file that stops early has cost only what it delivered. Rows are kept
// in the order they arrive; TakeBitmap turns them into the image, flipped for bottom-up files.
class GrowingRows {
public:
    GrowingRows(int width, int height, int bytesPerPixel = 3)
        : rowBytes_(std::size_t(width) * std::size_t(bytesPerPixel)), width_(width), height_(height) {}

    std::uint8_t* Row(int i) {
        const std::size_t needed = (std::size_t(i) + 1) * rowBytes_;
        if (needed > pixels_.size()) {
            const std::size_t capacity = GrownCapacity(pixels_.size(), needed, rowBytes_ * std::size_t(height_));
            // Whole rows only, so TakeBitmap never has to trim.
            pixels_.Resize(std::max(needed, capacity / rowBytes_ * rowBytes_));
        }
        rows_ = std::max(rows_, i + 1);
        return pixels_.data() + std::size_t(i) * rowBytes_;
    }
    int RowsReached() const { return rows_; }
    std::size_t RowBytes() const { return rowBytes_; }
    std::size_t ByteSize() const { return pixels_.size(); }

    // The finished 24-bit image; rows not reached stay black. `bottomUp`: the first row that
    // arrived is the image's last.
    Bitmap TakeBitmap(bool bottomUp = false) {
        if (height_ > 0) Row(height_ - 1);
        if (bottomUp) {
            std::vector<std::uint8_t> swap(rowBytes_);
            for (int top = 0, bottom = height_ - 1; top < bottom; ++top, --bottom) {
                std::uint8_t* a = pixels_.data() + std::size_t(top) * rowBytes_;
                std::uint8_t* b = pixels_.data() + std::size_t(bottom) * rowBytes_;
                std::copy(a, a + rowBytes_, swap.data());
                std::copy(b, b + rowBytes_, a);
                std::copy(swap.data(), swap.data() + rowBytes_, b);
            }
        }
        return Bitmap(width_, height_, std::move(pixels_));
    }

private:
    PixelBuffer pixels_;
    std::size_t rowBytes_;
    int width_;
    int height_;
    int rows_ = 0;
};

// A byte vector grown the same way (alpha planes, GIF indices): `needed` bytes of a `final`-byte
// whole, zero-filled.
inline void GrowTo(std::vector<std::uint8_t>& bytes, std::size_t needed, std::size_t final) {
    if (needed <= bytes.size()) return;
    if (needed > bytes.capacity()) bytes.reserve(GrownCapacity(bytes.capacity(), needed, final));
    bytes.resize(needed);
}

inline std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
inline std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
inline std::uint16_t Be16(const std::uint8_t* p) { return std::uint16_t((p[0] << 8) | p[1]); }
inline std::uint32_t Be32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

}  // namespace veskel::codec_detail
