#include "project/Export.h"

#include <stdexcept>

#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"
#include "project/GifReduction.h"

namespace veskel {

std::optional<ExportFormat> ExportFormatFromFilterIndex(int filterIndex) {
    if (filterIndex < 1 || filterIndex > int(ImageFormats().size())) return std::nullopt;
    return ExportFormat(filterIndex);
}

// The table's extensions are string literals, so their data ends in a null.
const char* ExportExtension(ExportFormat format) { return InfoOf(ImageFormatOf(format)).extensions.front().data(); }

std::vector<std::uint8_t> EncodeExport(const Bitmap& image, ExportFormat format, int jpegQuality) {
    switch (format) {
        // A Picture made from the 24-bit image has no alpha plane, so the PNG is plain RGB.
        case ExportFormat::Png: return EncodePng(image);
        case ExportFormat::Jpeg: return EncodeJpeg(image, jpegQuality);
        case ExportFormat::Gif: return EncodeGif(ReduceToGifPalette(image));
        case ExportFormat::Bmp: return EncodeBmp(image);
    }
    throw std::invalid_argument("unknown export format");
}

std::string ExportFileName(const std::string& chosenName, ExportFormat format) {
    return WithExtension(chosenName, ExportExtension(format));
}

void WriteExport(const Bitmap& image, ExportFormat format, const std::string& path) {
    std::vector<std::uint8_t> bytes;
    try {
        bytes = EncodeExport(image, format);
    } catch (const std::exception& e) {
        throw ProjectError(FileAction::Create, path, e.what());
    }
    try {
        WriteFileAtomic(path, bytes);
    } catch (const FileError& e) {
        throw ProjectError(FileAction::Create, path, e.what());
    }
}

std::string ExportImage(const Bitmap& image, const std::string& chosenName, int filterIndex) {
    const std::optional<ExportFormat> format = ExportFormatFromFilterIndex(filterIndex);
    if (!format)
        throw std::invalid_argument("export filter index " + std::to_string(filterIndex) + " is not 1 to 4");
    const std::string path = ExportFileName(chosenName, *format);
    WriteExport(image, *format, path);
    return path;
}

}  // namespace veskel
