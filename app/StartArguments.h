#pragma once
// The designer's command line: `veskel [--lang ru|en] [FILE.vzk | PICTURE]`.
//
// The desktop starts the designer with the file the user opened (the desktop entry's %f): a
// project opens as "Open..." would open it, a picture becomes the overlay picture as "Choose..."
// would load it. Both happen after the new document of start-up, so a file that fails leaves the
// window with the new design and a message. Mistakes that only a typed command line can make
// (several files, an unknown option, a file that is not there) are reported on standard error
// before any window opens.
#include <optional>
#include <string>
#include <vector>

#include "banner/BannerDocument.h"
#include "platform/lang/Translate.h"

namespace veskel {

struct StartArguments {
    enum class FileKind { None, Project, Picture };

    bool exit = false;    // true: print `output` / `error` and end with `exitCode`, no window
    int exitCode = 0;     // 0 after --help or --version, 1 for a missing file, 2 for a wrong command line
    std::string output;   // for standard output (the help or the version)
    std::string error;    // one line for standard error, starting with "veskel: "
    FileKind kind = FileKind::None;
    std::string file;     // the path as given
    std::optional<Language> language;  // --lang; otherwise the desktop's language
};

// Whether a path names a project file: it ends in ".vzk", in any letter case (files from other
// systems are often upper case; saving appends ".vzk" only to names without it exactly).
bool IsProjectFileName(const std::string& path);

// Reads the arguments (without the program name) before any window system is started, so that
// mistakes are reported without a display; the window system's own options are passed over.
// A path ending in ".vzk" (in any letter case) is a project, any other path a picture; "--" makes
// the next argument a path even if it starts with "-".
StartArguments ParseStartArguments(const std::vector<std::string>& args);

// Opens the start file in `document`, which holds the new design: a project through OpenProject,
// a picture through LoadOverlayPicture. Returns "" when it worked, otherwise the message those
// operations give (for the window to show), with the document as they leave it.
std::string OpenStartFile(BannerDocument& document, const StartArguments& start);

}  // namespace veskel
