#pragma once
// Image codecs: PNG (libpng), JPEG (libjpeg-turbo), GIF (giflib) and our own BMP reader and
// writer. Decoders take untrusted bytes: they check sizes before allocating and throw
// CodecError with a clear message on anything they cannot read; they never crash. They grow the
// picture as its rows decode, so a file that declares a huge image and stops short costs about
// what it delivered, not what it declared; a large picture that the data paints hardly any of
// (a GIF screen round a tiny frame, RLE jumps, arithmetic-coded scans that end at once) is refused
// with "the data paints too little of the W x H image it declares" before it is allocated.
// A file of any of the formats is decoded through DecodeImage (ImageFormats.h), which tells the
// format from the bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Palette.h"
#include "platform/graphics/Picture.h"

namespace veskel {

class CodecError : public std::runtime_error {
public:
    explicit CodecError(const std::string& message) : std::runtime_error(message) {}
};

// Limits every decoder enforces before it allocates pixels.
constexpr int kMaxImageSide = 16384;
constexpr std::int64_t kMaxImagePixels = 64LL * 1000 * 1000;

// The limits in force: the two above unless lowered for the whole process. The fuzz targets lower
// them to a few megapixels, so that each input decodes fast and the run reaches deep code; a
// limit above the constants is taken as the constant.
struct ImageLimits {
    int maxSide = kMaxImageSide;
    std::int64_t maxPixels = kMaxImagePixels;
};
void SetImageLimits(ImageLimits limits);
ImageLimits CurrentImageLimits();

// Throws CodecError("image too large (W x H)") when a size is over the limits in force, and
// CodecError("invalid image size (W x H)") when a side is 0 or negative.
void CheckImageSize(std::int64_t width, std::int64_t height);

// ---- decoding
// PNG: alpha channels, tRNS colours and palette transparency become the alpha plane (and
// hasTransparency); 16-bit, grey, palette and interlaced images are handled.
Picture DecodePng(std::span<const std::uint8_t> data);
// JPEG: 24-bit result; greyscale and CMYK/YCCK are converted. Progressive scans are limited.
Picture DecodeJpeg(std::span<const std::uint8_t> data);
// GIF: the first frame, composed onto the logical screen, as an opaque 24-bit picture.
Picture DecodeGif(std::span<const std::uint8_t> data);
// BMP: 1, 4, 8, 16, 24 and 32 bits, RLE4 and RLE8, bit-field masks, top-down and bottom-up,
// 12- to 124-byte headers. Opaque 24-bit result.
Picture DecodeBmp(std::span<const std::uint8_t> data);

// ---- encoding
enum class PngFilter { None, Sub, Up, Average, Paeth };

struct PngOptions {
    PngFilter filter = PngFilter::Sub;
    int compressionLevel = 7;
    std::size_t maxIdatBytes = 65535;  // image data chunk size
};

// 8-bit RGB, or RGBA when the picture has an alpha plane. No interlacing.
std::vector<std::uint8_t> EncodePng(const Picture& picture, const PngOptions& options = {});
// 8-bit RGB, straight from the bitmap (no copy into a Picture).
std::vector<std::uint8_t> EncodePng(const Bitmap& bitmap, const PngOptions& options = {});

// Baseline colour JPEG, library defaults otherwise.
std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bitmap, int quality = 70);

// An 8-bit indexed image with its 256-entry colour table.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width x height indices, rows top first
    std::array<PaletteEntry, 256> palette{};
};

// One LZW-coded image with the full 256-entry global colour table.
std::vector<std::uint8_t> EncodeGif(const IndexedImage& image);

// 24 bits per pixel, 54-byte header, bottom-up rows padded to 4 bytes.
std::vector<std::uint8_t> EncodeBmp(const Bitmap& bitmap);

}  // namespace veskel
