#include "platform/codecs/ImageFormats.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/codecs/Codecs.h"
#include "platform/codecs/FileLayout.h"
#include "platform/io/Files.h"
#include "platform/lang/Translate.h"

namespace veskel {

namespace {

constexpr std::string_view kPngExtensions[] = {".png"};
constexpr std::string_view kJpegExtensions[] = {".jpg", ".jpeg"};
constexpr std::string_view kGifExtensions[] = {".gif"};
constexpr std::string_view kBmpExtensions[] = {".bmp"};

constexpr std::uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kJpegSignature[] = {0xFF, 0xD8, 0xFF};
constexpr std::uint8_t kGifSignature[] = {'G', 'I', 'F'};
constexpr std::uint8_t kBmpSignature[] = {'B', 'M'};

constexpr ImageFormatInfo kFormats[] = {
    {ImageFormat::Png, "PNG", kPngExtensions, kPngSignature, DecodePng, true,
     "Portable Network Graphics (*.png)", "*.png"},
    {ImageFormat::Jpeg, "JPEG", kJpegExtensions, kJpegSignature, DecodeJpeg, false, "JPEG Image File (*.jpg)",
     "*.jpg"},
    {ImageFormat::Gif, "GIF", kGifExtensions, kGifSignature, DecodeGif, false, "Gif Image (*.gif)", "*.gif"},
    {ImageFormat::Bmp, "BMP", kBmpExtensions, kBmpSignature, DecodeBmp, false, "Bitmaps (*.bmp)", "*.bmp"},
};

constexpr bool InFormatOrder() {
    for (std::size_t i = 0; i < std::size(kFormats); ++i)
        if (kFormats[i].format != ImageFormat(i)) return false;
    return true;
}
static_assert(InFormatOrder(), "InfoOf finds a format's row by its number");

// The open-picture dialog's first entry names the patterns in this order.
constexpr ImageFormat kAllPicturesOrder[] = {ImageFormat::Gif, ImageFormat::Bmp, ImageFormat::Png,
                                             ImageFormat::Jpeg};

bool StartsWith(std::span<const std::uint8_t> data, std::span<const std::uint8_t> prefix) {
    return data.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), data.begin());
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// "use .png, .jpg, .gif or .bmp": the extension each format is saved with.
// The formats' first extensions: all but the last joined by commas, and the last.
std::pair<std::string, std::string> ExtensionsInWords() {
    std::string list;
    for (std::size_t i = 0; i + 1 < std::size(kFormats); ++i) list += (i > 0 ? ", " : "") + std::string(kFormats[i].extensions.front());
    return {list, std::string(kFormats[std::size(kFormats) - 1].extensions.front())};
}

}  // namespace

std::span<const ImageFormatInfo> ImageFormats() { return kFormats; }

const ImageFormatInfo& InfoOf(ImageFormat format) { return kFormats[std::size_t(format)]; }

std::optional<ImageFormat> ImageFormatOfExtension(std::string_view extension) {
    for (const ImageFormatInfo& info : kFormats)
        for (std::string_view e : info.extensions)
            if (std::equal(extension.begin(), extension.end(), e.begin(), e.end(),
                           [](char a, char b) { return Lower(a) == b; }))
                return info.format;
    return std::nullopt;
}

std::optional<ImageFormat> SniffImageFormat(std::span<const std::uint8_t> data) {
    for (const ImageFormatInfo& info : kFormats)
        if (StartsWith(data, info.signature)) return info.format;
    return std::nullopt;
}

Picture DecodeImage(std::string_view name, std::span<const std::uint8_t> bytes) {
    const std::string extension = LowerExtension(std::string(name));
    std::optional<ImageFormat> format = SniffImageFormat(bytes);
    if (!format) format = ImageFormatOfExtension(extension);
    if (!format)
        throw CodecError(Tr("the file type \"{1}\" is not supported (use {2} or {3})",
                            {extension, ExtensionsInWords().first, ExtensionsInWords().second}));
    const ImageFormatInfo& info = InfoOf(*format);
    Picture picture = info.decode(bytes);
    if (!info.keepsTransparency) picture.DropAlpha();
    return picture;
}

std::size_t PictureBytesNeeded(std::span<const std::uint8_t> head, std::optional<ImageFormat> only) {
    for (const ImageFormatInfo& info : kFormats) {
        if (only && info.format != *only) continue;
        const std::size_t n = std::min(head.size(), info.signature.size());
        if (!std::equal(head.begin(), head.begin() + long(n), info.signature.begin())) continue;
        if (n < info.signature.size()) return SIZE_MAX;  // too short to tell yet
        using namespace codec_detail;
        switch (info.format) {
            case ImageFormat::Png: return PngLayout(head, Walk::Stream).end;
            case ImageFormat::Jpeg: return JpegLayout(head, Walk::Stream).end;
            case ImageFormat::Gif: return GifLayout(head, Walk::Stream).end;
            case ImageFormat::Bmp: return BmpLayout(head, Walk::Stream).end;
        }
        return SIZE_MAX;
    }
    return head.size();
}

const std::string& PictureSaveFilter() {
    static const std::string filter = [] {
        std::string text;
        for (const ImageFormatInfo& info : kFormats) {
            if (!text.empty()) text += '|';
            text += std::string(info.filterName) + '|' + std::string(info.filterPattern);
        }
        return text;
    }();
    return filter;
}

const std::string& PictureOpenFilter() {
    static const std::string filter = [] {
        std::string all;
        for (ImageFormat format : kAllPicturesOrder) {
            if (!all.empty()) all += ';';
            all += InfoOf(format).filterPattern;
        }
        return "All supported images|" + all + '|' + PictureSaveFilter();
    }();
    return filter;
}

std::vector<std::string> MatchingPatterns(const std::vector<std::string>& patterns) {
    std::vector<std::string> out;
    const auto add = [&out](std::string pattern) {
        if (std::find(out.begin(), out.end(), pattern) == out.end()) out.push_back(std::move(pattern));
    };
    for (const std::string& pattern : patterns) {
        add(pattern);
        if (!pattern.starts_with("*.")) continue;
        if (const std::optional<ImageFormat> format = ImageFormatOfExtension(std::string_view(pattern).substr(1)))
            for (std::string_view extension : InfoOf(*format).extensions) add("*" + std::string(extension));
    }
    return out;
}

}  // namespace veskel
