#include "app/StartArguments.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "project/ProjectFile.h"

namespace veskel {
namespace {

constexpr const char* kUsage =
    "Usage: veskel [FILE.vzk | PICTURE]\n"
    "Starts the banner designer. With a project file (.vzk) the designer opens that design; with a\n"
    "picture (.png, .jpg, .gif or .bmp) it starts a new design with that picture on the banner.\n"
    "\n"
    "  -h, --help   show this help and exit\n"
    "  --           the next argument is a file, even if it starts with \"-\"\n";

StartArguments Fail(int code, const std::string& message) {
    StartArguments a;
    a.exit = true;
    a.exitCode = code;
    a.error = "veskel: " + message + "\n";
    return a;
}

}  // namespace

bool IsProjectFileName(const std::string& path) {
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return tail == kProjectExtension;
}

StartArguments ParseStartArguments(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "-h" || arg == "--help")) {
            StartArguments a;
            a.exit = true;
            a.output = kUsage;
            return a;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return Fail(2, "unknown option '" + arg + "' (see --help)");
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) return {};
    if (files.size() > 1) {
        return Fail(2, "give one file to open, not " + std::to_string(files.size()) + " (the designer shows one design)");
    }

    const std::string& path = files.front();
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) return Fail(1, "cannot open \"" + path + "\": there is no such file");
    if (std::filesystem::is_directory(status)) return Fail(1, "cannot open \"" + path + "\": it is a folder");

    StartArguments a;
    a.file = path;
    a.kind = IsProjectFileName(path) ? StartArguments::FileKind::Project : StartArguments::FileKind::Picture;
    return a;
}

std::string OpenStartFile(BannerDocument& document, const StartArguments& start) {
    try {
        switch (start.kind) {
            case StartArguments::FileKind::None: break;
            case StartArguments::FileKind::Project: OpenProject(document, start.file); break;
            case StartArguments::FileKind::Picture: document.LoadOverlayPicture(start.file); break;
        }
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

}  // namespace veskel
