#pragma once
// .vzk project files: the 593-byte settings record, byte for byte, followed by the overlay
// picture (SourcePicture) as one PNG datastream when the overlay is in use. No magic number, no
// version. Every file is written to a temporary file beside the target and renamed over it only
// when complete, so a failed save never destroys the previous file.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "banner/BannerDocument.h"
#include "project/Messages.h"

namespace veskel {

// The project dialogs' filter.
inline constexpr const char* kProjectFilter = "Проект Veskel (*.vzk)|*.vzk";
inline constexpr const char* kProjectExtension = ".vzk";

// Pictures of more pixels than this are stored at the fastest compression level.
inline constexpr std::int64_t kFastSavePixels = std::int64_t(1) << 20;

// Project files larger than this are refused when opened (a real one is the record plus one PNG).
inline constexpr std::size_t kMaxProjectFileBytes = std::size_t(256) << 20;

// The path a save writes for the path chosen in the dialog: ".vzk" is appended unless the name's
// extension (from the last point after the last folder separator) already is ".vzk" in any letter
// case ("design" -> "design.vzk", "DESIGN.VZK" stays, "design.vzk.bak" -> "design.vzk.bak.vzk").
std::string ProjectFilePath(const std::string& chosenPath);

// The file-name part of the chosen path, as ProjectName stores it: UTF-8 converted to
// Windows-1251 (a character the code page lacks becomes "?"), cut to 255 characters.
std::string ProjectNameFor(const std::string& chosenPath);

// The bytes a save writes for `document`: the record, then the PNG of SourcePicture when Overlay
// is on and there is a picture. Sets PictureSize (0 when no picture follows) in the document.
std::vector<std::uint8_t> ProjectBytes(BannerDocument& document);

// What "Save..." does once the dialog closed on `chosenPath`: ProjectName and PictureSize are set,
// then the file is written. Returns the path written. Throws ProjectError «Не удается создать
// файл "path". reason» when it cannot be written; the previous file is then untouched.
std::string SaveProject(BannerDocument& document, const std::string& chosenPath);

// What "Open..." does for `path`, all or nothing: the file's 593-byte record and, when its
// PictureSize is not zero, the PNG after it (SourcePicture, shown at the record's OverlayWidth x
// OverlayHeight) are read and decoded first, then replace the design together; then the
// document's listeners run (the window renders). Throws ProjectError «Не удается открыть файл
// "path". reason», leaving the document exactly as it was and no listener run, when the file
// cannot be read, is shorter than
// the record, holds Pattern or MirrorPattern outside 0..5, or its picture cannot be decoded.
void OpenProject(BannerDocument& document, const std::string& path);

// The same as OpenProject on bytes already in memory; `path` names the file in messages.
void OpenProjectBytes(BannerDocument& document, const std::vector<std::uint8_t>& bytes, const std::string& path);

// How much of a stream OpenProject reads, given its first bytes (see NeededBytes): the record,
// and when a picture follows, its PNG datastream as far as PictureBytesNeeded takes it.
std::size_t ProjectBytesNeeded(std::span<const std::uint8_t> head);

}  // namespace veskel
