#include "project/ProjectFile.h"

#include <algorithm>
#include <span>

#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"
#include "platform/text/CodePage.h"

namespace veskel {
namespace {

constexpr int kPatternCount = 6;

std::string FileNamePart(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Windows-1251 for a file name: character by character, "?" for what the code page lacks, and
// for bytes that are not valid UTF-8 (file names on this system are only bytes).
std::string FileNameToCp1251(const std::string& name) {
    if (std::optional<std::string> whole = TryUtf8ToCp1251(name)) return *whole;
    std::string out;
    if (std::optional<std::u32string> points = DecodeUtf8(name)) {
        for (char32_t cp : *points) {
            std::optional<std::string> one = TryUtf8ToCp1251(EncodeUtf8(std::u32string(1, cp)));
            out += one && one->size() == 1 ? *one : std::string("?");
        }
    } else {
        for (char c : name) out += (static_cast<unsigned char>(c) < 0x80) ? c : '?';
    }
    return out;
}

std::string OutOfRangeReason(const BannerSettings& s) {
    if (s.Pattern() < 0 || s.Pattern() >= kPatternCount)
        return "the pattern number " + std::to_string(s.Pattern()) + " is outside 0..5 (the file is damaged)";
    if (s.MirrorPattern() < 0 || s.MirrorPattern() >= kPatternCount)
        return "the highlight layer number " + std::to_string(s.MirrorPattern()) +
               " is outside 0..5 (the file is damaged)";
    return "";
}

}  // namespace

std::string ProjectFilePath(const std::string& chosenPath) {
    const std::string name = FileNamePart(chosenPath);
    const std::size_t dot = name.find_last_of('.');
    const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
    return ext == kProjectExtension ? chosenPath : chosenPath + kProjectExtension;
}

std::string ProjectNameFor(const std::string& chosenPath) {
    std::string name = FileNameToCp1251(FileNamePart(chosenPath));
    if (name.size() > std::size_t(kMaxStringChars)) name.resize(std::size_t(kMaxStringChars));
    return name;
}

std::vector<std::uint8_t> ProjectBytes(BannerDocument& document) {
    BannerSettings& settings = document.Settings();
    std::vector<std::uint8_t> png;
    // An Overlay flag without a picture (set by hand) stores no picture: a non-zero PictureSize
    // with nothing after the record could never be opened again.
    if (settings.Overlay() && !document.SourcePicture().IsEmpty()) png = EncodePng(document.SourcePicture());
    settings.SetPictureSize(std::int32_t(png.size()));
    const BannerSettings::Bytes& record = settings.GetBytes();
    std::vector<std::uint8_t> bytes(record.begin(), record.end());
    bytes.insert(bytes.end(), png.begin(), png.end());
    return bytes;
}

std::string SaveProject(BannerDocument& document, const std::string& chosenPath) {
    const std::string path = ProjectFilePath(chosenPath);
    document.Settings().SetProjectName(ProjectNameFor(chosenPath));
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ProjectBytes(document);
    } catch (const CodecError& e) {
        throw ProjectError(FileAction::Create, path, e.what());
    }
    try {
        WriteFileAtomic(path, bytes);
    } catch (const FileError& e) {
        throw ProjectError(FileAction::Create, path, e.what());
    }
    return path;
}

namespace {
// A project read from a stream ends where its record says: after the record when no picture
// follows, after the picture's PNG datastream when one does.
std::size_t ProjectBytesNeeded(std::span<const std::uint8_t> head) {
    if (head.size() < BannerSettings::kSize) return kReadAll;
    BannerSettings record;
    record.OverwriteLeading(head.first(BannerSettings::kSize));
    if (record.PictureSize() == 0) return BannerSettings::kSize;
    const std::size_t png = PictureBytesNeeded(".png", head.subspan(BannerSettings::kSize));
    return png == SIZE_MAX ? kReadAll : BannerSettings::kSize + png;
}
}  // namespace

void OpenProject(BannerDocument& document, const std::string& path) {
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadFileBytes(path, kMaxProjectFileBytes, ProjectBytesNeeded);
    } catch (const FileError& e) {
        throw ProjectError(FileAction::Open, path, e.what());
    }
    OpenProjectBytes(document, bytes, path);
}

void OpenProjectBytes(BannerDocument& document, const std::vector<std::uint8_t>& bytes, const std::string& path) {
    const std::size_t recordBytes = std::min(bytes.size(), BannerSettings::kSize);
    BannerSettings taken = document.Settings();
    taken.OverwriteLeading(std::span<const std::uint8_t>(bytes.data(), recordBytes));
    // A pattern index outside the tables cannot be drawn; refuse the file before it replaces a
    // design that can.
    if (std::string reason = OutOfRangeReason(taken); !reason.empty())
        throw ProjectError(FileAction::Open, path, reason);
    document.Settings() = taken;

    // PictureSize only tells whether a picture follows: the PNG datastream ends itself.
    if (taken.PictureSize() != 0) {
        const std::span<const std::uint8_t> png =
            bytes.size() > recordBytes ? std::span<const std::uint8_t>(bytes).subspan(recordBytes)
                                       : std::span<const std::uint8_t>();
        Picture picture;
        try {
            picture = DecodePng(png);
        } catch (const CodecError& e) {
            throw ProjectError(FileAction::Open, path, e.what());
        }
        document.AdoptProjectPicture(std::move(picture));
    }
    document.Changed();
}

}  // namespace veskel
