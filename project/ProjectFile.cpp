#include "project/ProjectFile.h"

#include <algorithm>
#include <memory>
#include <span>

#include "platform/codecs/Codecs.h"
#include "platform/codecs/ImageFormats.h"
#include "platform/io/Files.h"
#include "platform/lang/Translate.h"
#include "platform/text/CodePage.h"

namespace veskel {
namespace {

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

// Every flag of a record the program wrote is one byte, 0 or 1: other bytes there tell a file of
// another kind (a photo or an archive renamed .vzk) from a project with one damaged value.
bool FlagsAsWritten(const BannerSettings& s) {
    return std::all_of(std::begin(field_table::kRows), std::end(field_table::kRows), [&](const FieldInfo& f) {
        return f.kind != FieldKind::Flag || s.GetBytes()[f.offset] <= 1;
    });
}

std::string OutOfRangeReason(const BannerSettings& s) {
    const FieldInfo* f = s.UndrawableField();
    if (!f) return "";
    const std::initializer_list<std::string> values = {Tr(std::string(f->drawnAs)), std::to_string(s.GetInt(f->offset)),
                                                       std::to_string(f->min), std::to_string(f->max)};
    if (!FlagsAsWritten(s)) return Tr("the file is not a Veskel project (its {1} number {2} is outside {3}..{4})", values);
    return Tr("the {1} number {2} is outside {3}..{4} (the file is damaged)", values);
}

}  // namespace

std::string ProjectFilePath(const std::string& chosenPath) { return WithExtension(chosenPath, kProjectExtension); }

std::string ProjectNameFor(const std::string& chosenPath) {
    std::string name = FileNameToCp1251(FileNamePart(chosenPath));
    if (name.size() > std::size_t(kMaxStringChars)) name.resize(std::size_t(kMaxStringChars));
    return name;
}

std::vector<std::uint8_t> ProjectBytes(BannerDocument& document) {
    BannerSettings& settings = document.Settings();
    const Picture& picture = document.SourcePicture();
    std::vector<std::uint8_t> png;
    // An Overlay flag without a picture (set by hand) stores no picture: a non-zero PictureSize
    // with nothing after the record could never be opened again.
    if (settings.Overlay() && !picture.IsEmpty()) {
        // A large picture is deflated at the fastest level: at level 7 a 12 MP photo took seconds
        // to save, at level 1 it takes a fifth of that for a file a few per cent larger.
        PngOptions options;
        if (std::int64_t(picture.Width()) * picture.Height() > kFastSavePixels) options.compressionLevel = 1;
        png = EncodePng(picture, options);
    }
    settings.SetPictureSize(std::int32_t(png.size()));
    // The record goes in front of the PNG's bytes in place, without a second copy of them.
    const BannerSettings::Bytes& record = settings.GetBytes();
    png.insert(png.begin(), record.begin(), record.end());
    return png;
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

// A project read from a stream ends where its record says: after the record when no picture
// follows, after the picture's PNG datastream when one does.
std::size_t ProjectBytesNeeded(std::span<const std::uint8_t> head) {
    if (head.size() < BannerSettings::kSize) return kReadAll;
    BannerSettings record;
    record.OverwriteLeading(head.first(BannerSettings::kSize));
    if (record.PictureSize() == 0) return BannerSettings::kSize;
    const std::size_t png = PictureBytesNeeded(head.subspan(BannerSettings::kSize), ImageFormat::Png);
    return png == SIZE_MAX ? kReadAll : BannerSettings::kSize + png;
}

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
    // Everything is read and decoded before anything is replaced: a file that fails leaves the
    // design exactly as it was.
    if (bytes.size() < BannerSettings::kSize) {
        throw ProjectError(FileAction::Open, path,
                           Tr("the file is too short to be a project ({1} bytes; a project holds at least {2})",
                              {std::to_string(bytes.size()), std::to_string(BannerSettings::kSize)}));
    }
    BannerSettings taken;
    taken.OverwriteLeading(std::span<const std::uint8_t>(bytes.data(), BannerSettings::kSize));
    // An index outside its table cannot be drawn.
    if (std::string reason = OutOfRangeReason(taken); !reason.empty())
        throw ProjectError(FileAction::Open, path, reason);

    // PictureSize only tells whether a picture follows: the PNG datastream ends itself.
    std::shared_ptr<const Picture> picture;
    if (taken.PictureSize() != 0) {
        // Told apart from a damaged picture: nothing at all follows the settings.
        if (bytes.size() == BannerSettings::kSize)
            throw ProjectError(FileAction::Open, path, Tr("the settings say a picture follows them, but the file ends there"));
        try {
            picture = std::make_shared<const Picture>(
                DecodePng(std::span<const std::uint8_t>(bytes).subspan(BannerSettings::kSize)));
        } catch (const CodecError& e) {
            throw ProjectError(FileAction::Open, path, e.what());
        }
    }
    document.TakeProject(taken, std::move(picture));
}

}  // namespace veskel
