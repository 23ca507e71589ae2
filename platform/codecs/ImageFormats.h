#pragma once
// The picture formats the program reads and writes, in one table: what names a format (its
// extensions), what its bytes start with, its decoder and its entry in the file dialogs' filters.
// Everything that lists picture formats (the overlay picture's loading, the dialogs' previews
// and filters, the export and the command line) reads this table.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/Picture.h"

namespace veskel {

// In the order of the export dialog's filter entries (PNG is entry 1).
enum class ImageFormat { Png, Jpeg, Gif, Bmp };

struct ImageFormatInfo {
    ImageFormat format;
    std::string_view name;  // "PNG"
    // Lower-case, with their point; the first is the one a save appends (".jpg", not ".jpeg").
    std::span<const std::string_view> extensions;
    std::span<const std::uint8_t> signature;  // what the decoder checks the data starts with
    Picture (*decode)(std::span<const std::uint8_t>);
    // Only a PNG keeps its transparency; the others are drawn opaque.
    bool keepsTransparency;
    std::string_view filterName;     // the dialogs' entry: "JPEG Image File (*.jpg)"
    std::string_view filterPattern;  // "*.jpg"
};

// The longest signature: what a look at a file's head needs.
inline constexpr std::size_t kSignatureBytes = 8;

// Every format, in ImageFormat order.
std::span<const ImageFormatInfo> ImageFormats();
const ImageFormatInfo& InfoOf(ImageFormat format);

// The format one of whose extensions `extension` is, in any letter case (".JPEG"); nullopt for
// any other extension and for "".
std::optional<ImageFormat> ImageFormatOfExtension(std::string_view extension);
// The format whose signature `data` starts with; nullopt when it starts with none of them.
std::optional<ImageFormat> SniffImageFormat(std::span<const std::uint8_t> data);

// Decodes a picture file. The bytes decide the format; the name's extension decides only when the
// bytes start with no format's signature, so a PNG named "photo.jpg" loads as the PNG it is.
// Transparency is kept only for a PNG. Throws CodecError with the decoder's message, or
// «the file type ".ext" is not supported (use .png, .jpg, .gif or .bmp)» when neither the bytes
// nor the extension name a format.
Picture DecodeImage(std::string_view name, std::span<const std::uint8_t> bytes);

// For reading a picture from a stream that may never end: how many bytes the file whose first
// bytes are `head` needs. SIZE_MAX while the head cannot tell; head.size() once it shows the data
// is no picture (of format `only`, when given): the decoder then says why. Otherwise where the
// picture ends (the JPEG end marker, the PNG IEND chunk, the GIF's first image, a BMP's pixels,
// which its header tells), or where the bytes stop being a picture: 8 MB that add nothing to it
// (empty chunks, fill bytes, zero-length records), or more coded data than the header's image
// can take. The decoder then finds the data cut off there.
std::size_t PictureBytesNeeded(std::span<const std::uint8_t> head, std::optional<ImageFormat> only = std::nullopt);

// The dialogs' filter texts: the export's save dialog lists one entry per format in table order;
// the open-picture dialog starts with an entry for all of them.
const std::string& PictureSaveFilter();
const std::string& PictureOpenFilter();

// The patterns a filter entry matches files with: its own, and for a pattern "*.ext" naming one
// extension of a format, every extension of that format ("*.jpg" matches ".jpeg" files too), so
// that an entry keeps its shown text and hides no file the program reads.
std::vector<std::string> MatchingPatterns(const std::vector<std::string>& patterns);

}  // namespace veskel
