#include "app/StartArguments.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <string_view>
#include <system_error>

#include "project/ProjectFile.h"
#include "veskel/BuildInfo.h"

namespace veskel {
namespace {

constexpr const char* kUsage =
    "Usage: veskel [--lang ru|en] [FILE.vzk | PICTURE]\n"
    "Starts the banner designer. With a project file (.vzk) the designer opens that design; with a\n"
    "picture (.png, .jpg, .gif or .bmp) it starts a new design with that picture on the banner.\n"
    "\n"
    "      --lang L   speak Russian (ru) or English (en) instead of the desktop's language\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "  --             the next argument is a file, even if it starts with \"-\"\n"
    "\n"
    "The window system's own options (-platform NAME, -display NAME, -style NAME ...) are\n"
    "passed on to it.\n";

// The window system's own options, which it takes out of the command line when it starts (with
// one dash or two; a value follows as the next argument or after "=").
constexpr std::string_view kWindowOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry", "qwindowtitle",
    "title", "qwindowicon", "icon", "session", "display", "name", "visual", "style", "stylesheet", "qmljsdebugger"};
constexpr std::string_view kWindowFlags[] = {"reverse", "nograb", "dograb", "sync", "widgetcount", "testability"};

// The option's name without its dashes and value when `arg` is one of the window system's, else "".
std::string_view WindowOptionName(std::string_view arg) {
    if (arg.size() < 2 || arg[0] != '-') return {};
    arg.remove_prefix(arg[1] == '-' ? 2 : 1);
    const std::string_view name = arg.substr(0, arg.find('='));
    for (std::string_view o : kWindowOptionsWithValue)
        if (o == name) return o;
    for (std::string_view o : kWindowFlags)
        if (o == arg) return o;
    return {};
}

bool TakesValue(std::string_view option) {
    return std::find(std::begin(kWindowFlags), std::end(kWindowFlags), option) == std::end(kWindowFlags);
}

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
    std::optional<Language> language;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "-h" || arg == "--help" || arg == "--version")) {
            StartArguments a;
            a.exit = true;
            a.output = arg == "--version" ? std::string("veskel ") + kVersion + "\n" : kUsage;
            return a;
        } else if (!optionsEnded && (arg == "--lang" || arg.rfind("--lang=", 0) == 0)) {
            if (arg == "--lang" && ++i == args.size()) return Fail(2, "option '--lang' needs a value (see --help)");
            const std::string code = arg == "--lang" ? args[i] : arg.substr(7);
            language = code == "ru" ? std::optional(Language::Russian)
                     : code == "en" ? std::optional(Language::English)
                                    : std::nullopt;
            if (!language) return Fail(2, "unknown language '" + code + "' for --lang (ru or en)");
        } else if (const std::string_view option = optionsEnded ? "" : WindowOptionName(arg); !option.empty()) {
            if (TakesValue(option) && arg.find('=') == std::string::npos && ++i == args.size())
                return Fail(2, "option '" + arg + "' needs a value (see --help)");
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return Fail(2, "unknown option '" + arg + "' (see --help)");
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        StartArguments a;
        a.language = language;
        return a;
    }
    if (files.size() > 1) {
        return Fail(2, "give one file to open, not " + std::to_string(files.size()) + " (the designer shows one design)");
    }

    const std::string& path = files.front();
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) return Fail(1, "cannot open \"" + path + "\": there is no such file");
    if (std::filesystem::is_directory(status)) return Fail(1, "cannot open \"" + path + "\": it is a folder");

    StartArguments a;
    a.language = language;
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
