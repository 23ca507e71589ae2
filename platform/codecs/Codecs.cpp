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

std::size_t PictureBytesNeeded(std::string_view extension, std::span<const std::uint8_t> head) {
    // The signatures the decoders check.
    static constexpr std::uint8_t kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    static constexpr std::uint8_t kJpeg[] = {0xFF, 0xD8, 0xFF}, kGif[] = {'G', 'I', 'F'}, kBmp[] = {'B', 'M'};
    std::span<const std::uint8_t> signature;
    if (extension == ".png") signature = kPng;
    else if (extension == ".jpg") signature = kJpeg;
    else if (extension == ".gif") signature = kGif;
    else if (extension == ".bmp") signature = kBmp;
    else return SIZE_MAX;
    const std::size_t n = std::min(head.size(), signature.size());
    if (!std::equal(head.begin(), head.begin() + long(n), signature.begin())) return head.size();
    if (extension != ".png") return SIZE_MAX;
    // A PNG datastream ends with its IEND chunk; the chunk headers lead there.
    for (std::uint64_t at = sizeof kPng; at + 8 <= head.size();) {
        const std::uint8_t* chunk = head.data() + at;
        const std::uint32_t length = std::uint32_t(chunk[0]) << 24 | std::uint32_t(chunk[1]) << 16 |
                                     std::uint32_t(chunk[2]) << 8 | std::uint32_t(chunk[3]);
        if (length > 0x7FFFFFFFu) return head.size();  // no PNG chunk is this long
        at += 12 + std::uint64_t(length);
        if (std::equal(chunk + 4, chunk + 8, "IEND")) return std::size_t(at);
    }
    return SIZE_MAX;
}

}  // namespace veskel
