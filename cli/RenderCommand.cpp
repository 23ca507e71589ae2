#include "cli/RenderCommand.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <exception>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string_view>
#include <thread>

#include "banner/BannerDocument.h"
#include "banner/BannerSettings.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Rounding.h"
#include "platform/io/Files.h"
#include "platform/text/CodePage.h"
#include "project/Export.h"
#include "project/Messages.h"
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
                            unless PATH already ends in ".vzk" (any case), and ProjectName
                            becomes PATH's file name. -o may then be left out.

The design (the edits run in the order given, after --project):
      --project FILE.vzk    start from a project file (with its picture) instead of
                            a new document
      --set FIELD=VALUE     set one field of the design; repeatable. Integers in
                            decimal, colours as #RRGGBB, flags as 0 or 1, Text and
                            ProjectName as UTF-8 (at most 255 characters). The
                            fields and their ranges are listed below; a value
                            outside its range is a usage error.
      --text TEXT           set the text as the text field does: a text 340 pixels
                            wide or wider, or with a character outside Windows-1251,
                            is refused
      --reset-position      put the text back at the right edge (TextX = 346 - width,
                            TextY = 5)
      --overlay PICTURE     load a .png, .jpg, .gif or .bmp picture onto the banner
      --rounding MODE       nearest (the default) or downward: the designer window
                            rounds to nearest until its effect lists are first shown
                            and downward from then on, which changes some colours by
                            one step; downward renders what the window shows then

Batch:
      --batch FILE          render one banner per line of FILE (UTF-8): the line
                            becomes the text and the text position is reset. In the
                            OUTPUT pattern, {n} is replaced by the line number (from 1)
                            and {text} by a file-safe form of the line; the pattern
                            needs at least one of them. Two lines that would write
                            the same file refuse the batch before anything is written.

      --jobs N              render the batch on N threads (default: one per core);
                            the files and messages are the same whatever N is
  -q, --quiet               no progress report. On a terminal, a batch that runs
                            longer than a second shows how far it has come.

  -h, --help                show this help and exit

Exit status: 0 when everything was written, 1 on bad input (a file that cannot
be read, a refused text) or a failed write, 2 on a usage error (an unknown
option or field, a value outside its range). Nothing is written until the whole
design has rendered. Errors are printed as one line on standard error.

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
    std::optional<std::string> jobs;
    std::optional<std::string> rounding;
    std::vector<DocumentEdit> edits;
    bool help = false;
    bool quiet = false;
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

// The ranges the window's controls produce: a value outside them is refused on the command line
// (a project holding one could not be opened again, or draws what the window never shows).
struct FieldRange {
    std::string_view name;
    std::int32_t min;
    std::int32_t max;
};
constexpr FieldRange kFieldRanges[] = {
    {"Pattern", 0, 5},         {"MirrorPattern", 0, 5},         {"PatternStrength", 0, 99},
    {"MirrorStrength", 0, 99}, {"OverlayOpacity", 0, 200},      {"OverlayWidth", 1, kMaxOverlaySide},
    {"OverlayHeight", 1, kMaxOverlaySide},
};

const FieldRange* FindRange(std::string_view name) {
    for (const FieldRange& r : kFieldRanges)
        if (r.name == name) return &r;
    return nullptr;
}

std::string RangeText(const FieldRange& r) { return std::to_string(r.min) + ".." + std::to_string(r.max); }

std::string FieldNote(const FieldInfo& f) {
    if (const FieldRange* r = FindRange(f.name)) return ", " + RangeText(*r);
    if (f.name == "Text") return ", at most 255 characters, stored as given: --text checks the width";
    if (f.kind == FieldKind::String) return ", at most 255 characters";
    return "";
}

// Checks a --set FIELD=VALUE when the command line is read: the field exists, the value has its
// field's form, fits the record and lies in the field's range.
void CheckSetValue(const std::string& assignment) {
    const std::size_t eq = assignment.find('=');
    if (eq == std::string::npos) throw UsageError{"--set needs FIELD=VALUE, got '" + assignment + "'"};
    const std::string name = assignment.substr(0, eq), value = assignment.substr(eq + 1);
    const FieldInfo* field = BannerSettings::FindField(name);
    if (!field) throw UsageError{"--set: unknown field '" + name + "'"};
    BannerSettings scratch;
    try {
        scratch.SetFieldFromString(name, value);
    } catch (const FieldError& e) {
        throw UsageError{std::string("--set ") + e.what()};
    }
    if (field->kind == FieldKind::String) {
        const std::size_t length = TryUtf8ToCp1251(value).value_or(std::string()).size();
        if (length > std::size_t(kMaxStringChars))
            throw UsageError{"--set " + name + ": " + std::to_string(length) + " characters, at most " +
                             std::to_string(kMaxStringChars) + " fit"};
    }
    if (const FieldRange* r = FindRange(name)) {
        const std::int32_t v = scratch.GetInt(field->offset);
        if (v < r->min || v > r->max)
            throw UsageError{"--set " + assignment + ": " + name + " must be " + RangeText(*r)};
    }
}

// A path that must name a file: not empty, not ending in a folder separator, not "." or "..".
void CheckFileName(const std::string& option, const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..")
        throw UsageError{option + " needs a file name, '" + path + "' names a folder"};
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
        } else if (arg == "--jobs") {
            SetOnce(o.jobs, arg, value());
        } else if (arg == "--rounding") {
            SetOnce(o.rounding, arg, value());
            if (*o.rounding != "nearest" && *o.rounding != "downward")
                throw UsageError{"--rounding must be nearest or downward, got '" + *o.rounding + "'"};
        } else if (arg == "-q" || arg == "--quiet") {
            noValue();
            o.quiet = true;
        } else if (arg == "--set") {
            const std::string v = value();
            CheckSetValue(v);
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

void PrintHelp(const TextOut& out) {
    std::string text(kHelp);
    for (const FieldInfo& f : BannerSettings::Fields()) {
        std::string name(f.name);
        name.resize(std::max<std::size_t>(name.size(), 18), ' ');
        text += "  " + name + FieldKindName(f.kind) + FieldNote(f) + "\n";
    }
    out(text);
}

void ApplyEdit(BannerDocument& doc, const DocumentEdit& edit) {
    switch (edit.kind) {
        case DocumentEditKind::Set: {
            const std::size_t eq = edit.value.find('=');
            const std::string_view name = std::string_view(edit.value).substr(0, eq);
            BannerSettings& s = doc.Settings();
            try {
                s.SetFieldFromString(name, std::string_view(edit.value).substr(eq + 1));
            } catch (const FieldError& e) {
                throw Failure{std::string("--set ") + e.what()};
            }
            if (name == "OverlayWidth" || name == "OverlayHeight") {
                // A size given with --set shows at once, as if the size buttons had been pressed
                // up to it (its range was checked when the command line was read); the position
                // and the Overlay flag stay as they are.
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

// The command line speaks English throughout: a file error is told in its words, not in the
// window's Russian sentence.
std::string Describe(const std::exception& e) {
    if (const auto* p = dynamic_cast<const ProjectError*>(&e); p && !p->Reason().empty())
        return std::string(p->Action() == FileAction::Create ? "cannot create" : "cannot open") + " \"" + p->File() +
               "\": " + p->Reason();
    return e.what();
}

std::vector<std::uint8_t> EncodeImage(const Bitmap& image, ExportFormat format, const std::string& path) {
    try {
        return EncodeExport(image, format);
    } catch (const std::exception& e) {
        throw Failure{"cannot create \"" + path + "\": " + e.what()};
    }
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    try {
        WriteFileAtomic(path, bytes);
    } catch (const FileError& e) {
        throw Failure{"cannot create \"" + path + "\": " + e.what()};
    }
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadFileBytes(path, std::size_t(16) << 20);
    } catch (const FileError& e) {
        throw Failure{"cannot open \"" + path + "\": " + e.what()};
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

struct BatchLine {
    std::string text;
    std::string path;
};

// Reads the batch file and names every line's file. Refused before anything is written: a file
// without lines, and two lines whose names come out the same ({text} maps "a/b", "a b" and "a_b"
// to one name), which would silently overwrite the earlier banner.
std::vector<BatchLine> PlanBatch(const Options& o) {
    std::vector<BatchLine> plan;
    for (const std::string& line : ReadLines(*o.batch)) {
        const std::string n = std::to_string(plan.size() + 1);
        plan.push_back({line, ReplaceAll(ReplaceAll(*o.output, "{n}", n), "{text}", FileSafeText(line))});
    }
    if (plan.empty()) throw Failure{"the batch file \"" + *o.batch + "\" has no lines: nothing to render"};
    std::map<std::string, std::size_t> firstLine;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const auto [at, fresh] = firstLine.emplace(plan[i].path, i + 1);
        if (!fresh)
            throw Failure{*o.batch + ": lines " + std::to_string(at->second) + " and " + std::to_string(i + 1) +
                          " would both write \"" + plan[i].path + "\"; nothing was written (add {n} to the pattern)"};
    }
    return plan;
}

constexpr int kMaxJobs = 1024;

int ParseJobs(const std::optional<std::string>& text) {
    if (!text) {
        // One thread per core this process may run on.
        cpu_set_t set;
        CPU_ZERO(&set);
        const int cores = ::sched_getaffinity(0, sizeof set, &set) == 0 ? CPU_COUNT(&set) : 0;
        return std::clamp(cores > 0 ? cores : int(std::thread::hardware_concurrency()), 1, kMaxJobs);
    }
    int jobs = 0;
    const char* end = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(text->data(), end, jobs);
    if (text->empty() || ec != std::errc() || ptr != end || jobs < 1 || jobs > kMaxJobs)
        throw UsageError{"--jobs needs a whole number from 1 to " + std::to_string(kMaxJobs) + ", got '" + *text + "'"};
    return jobs;
}

// What became of one line of a batch: its banner is written under a temporary name by whichever
// thread renders it, and put in place (or reported) by the coordinating thread in line order.
struct LineResult {
    std::string error;      // empty when the banner was written
    std::string temporary;  // the written file until it is put in place
    std::string path;       // its final name
};

// Renders every line, on `jobs` threads; a line that fails is reported and the others still run.
// The files and the messages are those of rendering the lines one after another: files are put in
// place in line order and errors are printed in line order (the plan has no two lines with one name).
class BatchRun {
public:
    BatchRun(const BannerDocument& doc, const Options& o, ExportFormat format, std::vector<BatchLine> plan,
             const TextOut& err, const RenderEnvironment& env, int jobs)
        : doc_(doc), o_(o), format_(format), err_(err), env_(env), jobs_(jobs), lines_(std::move(plan)),
          results_(lines_.size()), done_(lines_.size()) {}

    int Run() {
        start_ = lastCommit_ = Clock::now();
        const int threads = int(std::min<std::size_t>(std::size_t(jobs_), lines_.size()));
        std::vector<std::thread> helpers;
        for (int t = 1; t < threads; ++t) helpers.emplace_back([this] { Work(false); });
        Work(true);
        for (std::thread& t : helpers) t.join();
        Commit();
        SyncFolders(placed_);
        EndProgress();
        return status_;
    }

private:
    using Clock = std::chrono::steady_clock;

    void Work(bool coordinator) {
        BannerDocument doc = doc_;
        for (std::size_t i; (i = next_.fetch_add(1)) < lines_.size();) {
            RenderLine(doc, i);
            done_[i].store(true, std::memory_order_release);
            rendered_.fetch_add(1, std::memory_order_relaxed);
            if (coordinator) Coordinate();
        }
    }

    void RenderLine(BannerDocument& doc, std::size_t i) {
        LineResult& r = results_[i];
        try {
            r.path = lines_[i].path;
            std::string reason;
            if (!doc.SetText(lines_[i].text, &reason)) throw Failure{"the text is refused: " + reason};
            doc.ResetTextPosition();
            std::vector<std::uint8_t> bytes;
            try {
                bytes = EncodeExport(doc.RenderBanner(), format_);
                r.temporary = WriteTemporaryBeside(r.path, bytes);
            } catch (const BannerError&) {
                throw;
            } catch (const std::exception& e) {
                throw Failure{CannotCreateMessage(r.path, e.what())};
            }
        } catch (const Failure& f) {
            r.error = f.message;
        } catch (const std::exception& e) {
            r.error = e.what();
        }
    }

    // Between its own lines the coordinating thread puts finished files in place about once a
    // second and keeps the progress report up to date.
    void Coordinate() {
        const Clock::time_point now = Clock::now();
        if (now - lastCommit_ >= std::chrono::seconds(1)) {
            Commit();
            lastCommit_ = now;
        }
        if (ProgressWanted(now) && now - lastProgress_ >= std::chrono::milliseconds(100)) {
            lastProgress_ = now;
            ShowProgress();
        }
    }

    // Puts in place, in line order, every finished line before the first unfinished one.
    void Commit() {
        std::size_t end = committed_;
        while (end < lines_.size() && done_[end].load(std::memory_order_acquire)) ++end;
        if (end == committed_) return;
        std::vector<StagedFile> staged;
        std::vector<std::size_t> owners;
        for (std::size_t i = committed_; i < end; ++i) {
            if (results_[i].temporary.empty()) continue;
            staged.push_back({results_[i].temporary, results_[i].path});
            owners.push_back(i);
        }
        const std::vector<std::string> reasons = FlushAndRename(staged);
        for (std::size_t k = 0; k < staged.size(); ++k) {
            LineResult& r = results_[owners[k]];
            if (!reasons[k].empty()) {
                r.error = CannotCreateMessage(r.path, reasons[k]);
            } else if (folders_.insert(FolderKey(r.path)).second) {
                placed_.push_back(r.path);
            }
        }
        for (std::size_t i = committed_; i < end; ++i) {
            LineResult& r = results_[i];
            if (!r.error.empty()) {
                ClearProgress();
                err_(std::string(kProgram) + ": " + *o_.batch + " line " + std::to_string(i + 1) + ": " +
                     OneLine(r.error) + "\n");
                status_ = kExitFailed;
            }
            r = LineResult{};  // release the memory of lines already done
        }
        committed_ = end;
    }

    static std::string FolderKey(const std::string& path) {
        const std::size_t slash = path.find_last_of('/');
        return slash == std::string::npos ? "" : path.substr(0, slash + 1);
    }

    bool ProgressWanted(Clock::time_point now) const {
        return env_.errIsTerminal && !o_.quiet && now - start_ >= env_.progressAfter;
    }
    void ShowProgress() {
        err_("\r" + std::string(kProgram) + ": " + std::to_string(rendered_.load(std::memory_order_relaxed)) + " of " +
             std::to_string(lines_.size()) + " banners");
        progressShown_ = true;
    }
    void ClearProgress() {
        if (progressShown_) err_("\r\x1b[K");
        progressShown_ = false;
    }
    // A batch that ran long enough ends with its total, whichever thread did the work.
    void EndProgress() {
        if (!progressShown_ && !ProgressWanted(Clock::now())) return;
        ShowProgress();
        err_("\n");
        progressShown_ = false;
    }

    const BannerDocument& doc_;
    const Options& o_;
    const ExportFormat format_;
    const TextOut& err_;
    const RenderEnvironment& env_;
    const int jobs_;
    const std::vector<BatchLine> lines_;
    std::vector<LineResult> results_;
    std::vector<std::atomic<bool>> done_;
    std::atomic<std::size_t> next_{0};
    std::atomic<std::size_t> rendered_{0};
    // Used by the coordinating thread only.
    std::size_t committed_ = 0;
    std::set<std::string> folders_;
    std::vector<std::string> placed_;  // one path per folder that received a file
    Clock::time_point start_, lastCommit_, lastProgress_;
    bool progressShown_ = false;
    int status_ = kExitOk;
};

int Run(const std::vector<std::string>& args, const TextOut& out, const TextOut& err, const RenderEnvironment& env) {
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
    if (o.saveProject) CheckFileName("--save-project", *o.saveProject);
    if (o.output) CheckFileName("-o", *o.output);
    std::optional<ExportFormat> format;
    if (o.output) format = ChooseFormat(o);
    const int jobs = ParseJobs(o.jobs);

    // Everything below (the edits, the render, the GIF reduction) rounds in the chosen mode.
    RoundingModeScope rounding(o.rounding == std::string("downward") ? RoundingMode::Downward
                                                                      : RoundingMode::NearestEven);
    BannerDocument doc;
    // Render once at the end, not after every edit.
    doc.SetChangedHook([] {});
    doc.NewDocument();
    if (o.project) OpenProject(doc, *o.project);
    for (const DocumentEdit& edit : o.edits) ApplyEdit(doc, edit);

    // Everything is rendered, encoded and checked before the first file is written, so a
    // command that fails leaves no file behind.
    const Bitmap& image = doc.RenderBanner();
    std::string projectPath;
    std::vector<std::uint8_t> projectBytes;
    if (o.saveProject) {
        projectPath = ProjectFilePath(*o.saveProject);
        doc.Settings().SetProjectName(ProjectNameFor(*o.saveProject));
        try {
            projectBytes = ProjectBytes(doc);
        } catch (const CodecError& e) {
            throw Failure{"cannot create \"" + projectPath + "\": " + e.what()};
        }
    }
    std::vector<BatchLine> plan;
    std::vector<std::uint8_t> imageBytes;
    if (o.batch) {
        plan = PlanBatch(o);
    } else if (o.output) {
        imageBytes = EncodeImage(image, *format, *o.output);
    }

    if (o.saveProject) WriteFile(projectPath, projectBytes);
    if (o.batch) return BatchRun(doc, o, *format, std::move(plan), err, env, jobs).Run();
    if (o.output) WriteFile(*o.output, imageBytes);
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

int RunRenderCommand(const std::vector<std::string>& args, const TextOut& out, const TextOut& err,
                     const RenderEnvironment& env) {
    try {
        return Run(args, out, err, env);
    } catch (const UsageError& e) {
        err(std::string(kProgram) + ": " + OneLine(e.message) + " (see --help)\n");
        return kExitUsage;
    } catch (const Failure& e) {
        err(std::string(kProgram) + ": " + OneLine(e.message) + "\n");
        return kExitFailed;
    } catch (const std::exception& e) {
        err(std::string(kProgram) + ": " + OneLine(Describe(e)) + "\n");
        return kExitFailed;
    }
}

int RunRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const RenderEnvironment& env) {
    const TextOut toOut = [&out](std::string_view text) { out.write(text.data(), std::streamsize(text.size())).flush(); };
    const TextOut toErr = [&err](std::string_view text) { err.write(text.data(), std::streamsize(text.size())).flush(); };
    return RunRenderCommand(args, toOut, toErr, env);
}

}  // namespace veskel
