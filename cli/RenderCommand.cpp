#include "cli/RenderCommand.h"

#include <exception>
#include <optional>
#include <ostream>
#include <sstream>
#include <string_view>

#include "banner/BannerDocument.h"
#include "banner/BannerSettings.h"
#include "platform/codecs/Codecs.h"
#include "platform/io/Files.h"
#include "platform/text/CodePage.h"
#include "project/Export.h"
#include "project/ProjectFile.h"

namespace veskel {
namespace {

constexpr const char* kProgram = "veskel-render";

constexpr const char* kHelp = R"(Usage: veskel-render [OPTIONS] -o OUTPUT
Renders a 350 x 20 banner and writes it to OUTPUT, exactly that path.

Output:
  -o, --output OUTPUT       the image to write; its format comes from the extension
                            (.png, .jpg, .jpeg, .gif, .bmp) unless --format is given.
                            With --batch, OUTPUT is a pattern (see below).
      --format FORMAT       png, jpg, gif or bmp, whatever OUTPUT's extension is
      --save-project PATH   also save the design as a project file; ".vzk" is appended
                            unless PATH already ends in exactly ".vzk", and ProjectName
                            becomes PATH's file name. -o may then be left out.

The design (the edits run in the order given, after --project):
      --project FILE.vzk    start from a project file (with its picture) instead of
                            a new document
      --set FIELD=VALUE     set one field of the design; repeatable. Integers in
                            decimal, colours as #RRGGBB, flags as 0 or 1, Text and
                            ProjectName as UTF-8. The fields are listed below.
      --text TEXT           set the text as the text field does: a text 340 pixels
                            wide or wider, or with a character outside Windows-1251,
                            is refused
      --reset-position      put the text back at the right edge (TextX = 346 - width,
                            TextY = 5)
      --overlay PICTURE     load a .png, .jpg, .gif or .bmp picture onto the banner

Batch:
      --batch FILE          render one banner per line of FILE (UTF-8): the line
                            becomes the text and the text position is reset. In the
                            OUTPUT pattern, {n} is replaced by the line number (from 1)
                            and {text} by a file-safe form of the line; the pattern
                            needs at least one of them.

  -h, --help                show this help and exit

Exit status: 0 when everything was written, 1 on bad input or a failed write,
2 on a usage error. Errors are printed as one line on standard error.

Fields for --set:
)";

struct UsageError {
    std::string message;
};
struct Failure {
    std::string message;
};

enum class DocumentEditKind { Set, Text, ResetPosition, Overlay };
struct DocumentEdit {
    DocumentEditKind kind;
    std::string value;
};

struct Options {
    std::optional<std::string> output;
    std::optional<std::string> format;
    std::optional<std::string> project;
    std::optional<std::string> saveProject;
    std::optional<std::string> batch;
    std::vector<DocumentEdit> edits;
    bool help = false;
};

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

void SetOnce(std::optional<std::string>& slot, const std::string& option, const std::string& value) {
    if (slot) throw UsageError{option + " given more than once"};
    slot = value;
}

Options Parse(const std::vector<std::string>& args) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0) {
            const std::size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg.resize(eq);
            }
        }
        auto value = [&]() -> std::string {
            if (inlineValue) return *inlineValue;
            if (i + 1 >= args.size()) throw UsageError{arg + " needs a value"};
            return args[++i];
        };
        auto noValue = [&] {
            if (inlineValue) throw UsageError{arg + " takes no value"};
        };
        if (arg == "-h" || arg == "--help") {
            noValue();
            o.help = true;
        } else if (arg == "-o" || arg == "--output") {
            SetOnce(o.output, arg, value());
        } else if (arg == "--format") {
            SetOnce(o.format, arg, value());
        } else if (arg == "--project") {
            SetOnce(o.project, arg, value());
        } else if (arg == "--save-project") {
            SetOnce(o.saveProject, arg, value());
        } else if (arg == "--batch") {
            SetOnce(o.batch, arg, value());
        } else if (arg == "--set") {
            const std::string v = value();
            if (v.find('=') == std::string::npos) throw UsageError{"--set needs FIELD=VALUE, got '" + v + "'"};
            o.edits.push_back({DocumentEditKind::Set, v});
        } else if (arg == "--text") {
            o.edits.push_back({DocumentEditKind::Text, value()});
        } else if (arg == "--reset-position") {
            noValue();
            o.edits.push_back({DocumentEditKind::ResetPosition, ""});
        } else if (arg == "--overlay") {
            o.edits.push_back({DocumentEditKind::Overlay, value()});
        } else if (!arg.empty() && arg[0] == '-') {
            throw UsageError{"unknown option '" + arg + "'"};
        } else {
            throw UsageError{"unexpected argument '" + arg + "'"};
        }
    }
    return o;
}

std::optional<ExportFormat> FormatFromName(const std::string& name) {
    if (name == "png") return ExportFormat::Png;
    if (name == "jpg" || name == "jpeg") return ExportFormat::Jpeg;
    if (name == "gif") return ExportFormat::Gif;
    if (name == "bmp") return ExportFormat::Bmp;
    return std::nullopt;
}

ExportFormat ChooseFormat(const Options& o) {
    if (o.format) {
        if (auto f = FormatFromName(*o.format)) return *f;
        throw UsageError{"unknown format '" + *o.format + "' (png, jpg, gif or bmp)"};
    }
    const std::string ext = LowerExtension(*o.output);
    if (!ext.empty())
        if (auto f = FormatFromName(ext.substr(1))) return *f;
    throw UsageError{"cannot tell the image format from '" + *o.output +
                     "': use .png, .jpg, .jpeg, .gif or .bmp, or --format"};
}

std::string FieldKindName(FieldKind kind) {
    switch (kind) {
        case FieldKind::String: return "text (UTF-8)";
        case FieldKind::Int: return "integer";
        case FieldKind::Color: return "colour #RRGGBB";
        case FieldKind::Flag: return "flag 0/1";
        case FieldKind::Reserved: return "reserved (unsigned integer)";
    }
    return "";
}

// The ranges the window's controls produce, shown beside the fields in the help.
std::string FieldRange(std::string_view name) {
    if (name == "Pattern" || name == "MirrorPattern") return ", 0..5";
    if (name == "PatternStrength" || name == "MirrorStrength") return ", 0..99";
    if (name == "OverlayOpacity") return ", 0..200";
    if (name == "OverlayWidth" || name == "OverlayHeight") return ", 1.." + std::to_string(kMaxOverlaySide);
    if (name == "Text") return ", stored as given: --text checks the width";
    return "";
}

void PrintHelp(std::ostream& out) {
    out << kHelp;
    for (const FieldInfo& f : BannerSettings::Fields()) {
        std::string name(f.name);
        name.resize(std::max<std::size_t>(name.size(), 18), ' ');
        out << "  " << name << FieldKindName(f.kind) << FieldRange(f.name) << "\n";
    }
}

void ApplyEdit(BannerDocument& doc, const DocumentEdit& edit) {
    switch (edit.kind) {
        case DocumentEditKind::Set: {
            const std::size_t eq = edit.value.find('=');
            const std::string_view name = std::string_view(edit.value).substr(0, eq);
            BannerSettings& s = doc.Settings();
            const BannerSettings before = s;
            try {
                s.SetFieldFromString(name, std::string_view(edit.value).substr(eq + 1));
            } catch (const FieldError& e) {
                throw Failure{std::string("--set ") + e.what()};
            }
            if (name == "OverlayWidth" || name == "OverlayHeight") {
                const std::int32_t v = s.GetInt(BannerSettings::FindField(name)->offset);
                if (v < 1 || v > kMaxOverlaySide) {
                    s = before;
                    throw Failure{"--set " + std::string(name) + ": the overlay size must be 1 to " +
                                  std::to_string(kMaxOverlaySide)};
                }
                // A size given with --set shows at once, as if the size buttons had been pressed
                // up to it; the position and the Overlay flag stay as they are.
                doc.PreparePictureFromRecord();
            } else if (name == "OverlayOpacity") {
                doc.ApplyOverlayOpacity();
            }
            break;
        }
        case DocumentEditKind::Text: {
            std::string reason;
            if (!doc.SetText(edit.value, &reason)) throw Failure{"the text is refused: " + reason};
            break;
        }
        case DocumentEditKind::ResetPosition: doc.ResetTextPosition(); break;
        case DocumentEditKind::Overlay: doc.LoadOverlayPicture(edit.value); break;
    }
}

void WriteImage(BannerDocument& doc, ExportFormat format, const std::string& path) {
    WriteExport(doc.RenderBanner(), format, path);
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadFileBytes(path, std::size_t(16) << 20);
    } catch (const FileError& e) {
        throw Failure{"cannot read the batch file \"" + path + "\": " + e.what()};
    }
    std::vector<std::string> lines;
    std::string line;
    for (std::uint8_t b : bytes) {
        if (b == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += char(b);
        }
    }
    if (!line.empty()) lines.push_back(line);
    for (std::string& l : lines)
        if (!l.empty() && l.back() == '\r') l.pop_back();
    // A UTF-8 byte-order mark at the start is not part of the first text.
    if (!lines.empty() && lines[0].rfind("\xEF\xBB\xBF", 0) == 0) lines[0].erase(0, 3);
    return lines;
}

std::string ReplaceAll(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

// Renders every line; a line that fails is reported and the others still run.
int RunBatch(BannerDocument& doc, const Options& o, ExportFormat format, std::ostream& err) {
    const std::string& pattern = *o.output;
    const std::vector<std::string> lines = ReadLines(*o.batch);
    int status = kExitOk;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        try {
            std::string reason;
            if (!doc.SetText(lines[i], &reason)) throw Failure{"the text is refused: " + reason};
            doc.ResetTextPosition();
            const std::string path = ReplaceAll(ReplaceAll(pattern, "{n}", n), "{text}", FileSafeText(lines[i]));
            WriteImage(doc, format, path);
        } catch (const Failure& f) {
            err << kProgram << ": " << *o.batch << " line " << n << ": " << OneLine(f.message) << "\n";
            status = kExitFailed;
        } catch (const std::exception& e) {
            err << kProgram << ": " << *o.batch << " line " << n << ": " << OneLine(e.what()) << "\n";
            status = kExitFailed;
        }
    }
    return status;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Options o = Parse(args);
    if (o.help) {
        PrintHelp(out);
        return kExitOk;
    }
    if (!o.output && !o.saveProject) throw UsageError{"no output: give -o OUTPUT (or --save-project PATH)"};
    if (o.format && !o.output) throw UsageError{"--format needs -o OUTPUT"};
    if (o.batch) {
        if (!o.output) throw UsageError{"--batch needs -o DIR/PATTERN"};
        if (o.output->find("{n}") == std::string::npos && o.output->find("{text}") == std::string::npos)
            throw UsageError{"with --batch the output pattern needs {n} or {text}, or every line would overwrite "
                             "the same file"};
    }
    std::optional<ExportFormat> format;
    if (o.output) format = ChooseFormat(o);

    BannerDocument doc;
    // Render once at the end, not after every edit.
    doc.SetChangedHook([] {});
    doc.NewDocument();
    if (o.project) OpenProject(doc, *o.project);
    for (const DocumentEdit& edit : o.edits) ApplyEdit(doc, edit);
    if (o.saveProject) SaveProject(doc, *o.saveProject);
    if (o.batch) return RunBatch(doc, o, *format, err);
    if (o.output) WriteImage(doc, *format, *o.output);
    return kExitOk;
}

}  // namespace

std::string FileSafeText(const std::string& utf8) {
    std::string out;
    for (unsigned char c : utf8) {
        const bool keep = c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          c == '-' || c == '_' || c == '.';
        out += keep ? char(c) : '_';
    }
    if (!out.empty() && out[0] == '.') out[0] = '_';
    if (out.size() > 100) {
        std::size_t cut = 100;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
        out.resize(cut);
    }
    return out.empty() ? "_" : out;
}

int RunRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        return Run(args, out, err);
    } catch (const UsageError& e) {
        err << kProgram << ": " << OneLine(e.message) << " (see --help)\n";
        return kExitUsage;
    } catch (const Failure& e) {
        err << kProgram << ": " << OneLine(e.message) << "\n";
        return kExitFailed;
    } catch (const std::exception& e) {
        err << kProgram << ": " << OneLine(e.what()) << "\n";
        return kExitFailed;
    }
}

}  // namespace veskel
