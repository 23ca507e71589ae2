#pragma once
// Export of the finished banner image to PNG, JPEG, GIF or BMP.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/codecs/ImageFormats.h"
#include "platform/graphics/Bitmap.h"
#include "project/Messages.h"

namespace veskel {

// The export dialog's filter, one entry per picture format; its entries are chosen by a 1-based
// index in this order.
inline const std::string kExportFilter = PictureSaveFilter();

// The filter entry's index of each format: ImageFormat's order, from 1.
enum class ExportFormat { Png = 1, Jpeg = 2, Gif = 3, Bmp = 4 };
static_assert(int(ExportFormat::Bmp) == int(ImageFormat::Bmp) + 1);
inline ImageFormat ImageFormatOf(ExportFormat format) { return ImageFormat(int(format) - 1); }
inline ExportFormat ExportFormatOf(ImageFormat format) { return ExportFormat(int(format) + 1); }

inline constexpr int kExportJpegQuality = 70;

// The format of a 1-based filter index; nullopt outside 1..4.
std::optional<ExportFormat> ExportFormatFromFilterIndex(int filterIndex);
// ".png", ".jpg", ".gif" or ".bmp".
const char* ExportExtension(ExportFormat format);

// The encoded file: PNG as 8-bit RGB without alpha with the encoder's defaults, JPEG at quality
// 70 unless told otherwise, GIF after the reduction to the 256-colour palette, BMP 24-bit (21094
// bytes for a banner).
std::vector<std::uint8_t> EncodeExport(const Bitmap& image, ExportFormat format, int jpegQuality = kExportJpegQuality);

// The name the export writes: the chosen name as it is when it already ends with the format's
// extension in any letter case ("banner.png", "BANNER.PNG"), otherwise with the extension appended
// ("banner" -> "banner.png", "banner.jpg" with the PNG entry -> "banner.jpg.png").
std::string ExportFileName(const std::string& chosenName, ExportFormat format);

// Encodes `image` and writes it to exactly `path`, atomically: a failure leaves any previous
// file untouched. Throws ProjectError «Не удается создать файл "path". reason».
void WriteExport(const Bitmap& image, ExportFormat format, const std::string& path);

// What the export dialog's "Save" does: format by filter index, extension appended, file
// written. Returns the path written. Throws std::invalid_argument for a filter index outside
// 1..4, ProjectError when the file cannot be written (nothing else changes then).
std::string ExportImage(const Bitmap& image, const std::string& chosenName, int filterIndex);

}  // namespace veskel
