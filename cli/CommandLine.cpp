#include "cli/CommandLine.h"

#include <getopt.h>
#include <sched.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <mutex>
#include <thread>

#include "banner/BannerSettings.h"
#include "platform/io/Files.h"

namespace veskel::cli {
namespace {

constexpr const char* kHelp = R"(Usage: veskel-render [OPTIONS] -o OUTPUT
Renders a 350 x 20 banner and writes it to OUTPUT, exactly that path.

Output:
  -o, --output OUTPUT       the image to write; its format comes from the extension
                            (.png, .jpg, .jpeg, .gif, .bmp) unless --format is given.
                            "-" writes the image to standard output (not a terminal;
                            --format is needed then). With --batch, OUTPUT is a
                            pattern (see below).
      --format FORMAT       png, jpg, gif or bmp in any letter case, whatever
                            OUTPUT's extension is
      --quality N           JPEG quality from 1 to 100 (default 70, as the designer
                            writes); for JPEG output only
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
      --overlay PICTURE     load a PNG, JPEG, GIF or BMP picture onto the banner,
                            whatever its name says (at most 16384 pixels a side
                            and 64 million in all); OverlayWidth and OverlayHeight
                            may then be set to any size up to 16384 x 16384
      --rounding MODE       nearest (the default) or downward: the designer window
                            rounds to nearest until its effect lists are first shown
                            and downward from then on, which changes some colours by
                            one step; downward renders what the window shows then

Batch:
      --batch FILE          render one banner per line of FILE (UTF-8; "-" reads
                            standard input): the line becomes the text and the text
                            position is reset. In the OUTPUT pattern, {n} is replaced
                            by the line number (from 1) and {text} by a file-safe form
                            of the line; the pattern needs at least one of them. Two
                            lines that would write the same file, or a line that would
                            write over FILE, refuse the batch before anything is
                            written.
      --batch-format FORMAT lines, csv or jsonl; by default csv for FILE.csv, jsonl
                            for FILE.jsonl and lines otherwise. A CSV file starts with
                            a header row naming fields in any letter case (Text,
                            Color1, ...), separated by commas, semicolons or tabs,
                            and may have an Output column; a JSON Lines file holds
                            one object per line with those names as keys. Each row
                            is one design: its fields apply over the design of the
                            options above, Text as --text then --reset-position
                            would, the others as --set in their order; an empty
                            cell or a missing key keeps the design's value. {n} is
                            the row's number and {output} a file-safe form of its
                            Output. A value outside its field's range, or a text
                            --text would refuse, refuses the batch before anything
                            is written, naming the row.
      --shard K/N           render only the K-th of N parts of the batch (rows K, K + N,
                            K + 2N, ...), so that N machines or workers share one batch;
                            names, numbers and messages are those of the whole batch
      --jobs N              render the batch on N threads (default: one per core);
                            the files and messages are the same whatever N is
  -q, --quiet               no progress report. On a terminal, a batch that runs
                            longer than a second shows how far it has come.

  -h, --help                show this help and exit
      --version             show the version and exit

Options may be bundled (-qo OUTPUT), a value may follow in the same word (-oOUTPUT,
--output=OUTPUT) and "--" ends the options.

Exit status: 0 when everything was written, 1 on bad input (a file that cannot
be read, a refused text) or a failed write, 2 on a usage error (an unknown
option or field, a value outside its range). Nothing is written until the whole
design has rendered. Errors are printed as one line on standard error.

Fields for --set:
)";

// Long options without a short form are told apart by these values.
enum LongOnly : int {
    kFormat = 256,
    kQuality,
    kProject,
    kSaveProject,
    kBatch,
    kBatchFormat,
    kJobs,
    kRounding,
    kShard,
    kSet,
    kText,
    kResetPosition,
    kOverlay,
    kVersion,
};

constexpr option kLongOptions[] = {
    {"output", required_argument, nullptr, 'o'},
    {"format", required_argument, nullptr, kFormat},
    {"quality", required_argument, nullptr, kQuality},
    {"project", required_argument, nullptr, kProject},
    {"save-project", required_argument, nullptr, kSaveProject},
    {"batch", required_argument, nullptr, kBatch},
    {"batch-format", required_argument, nullptr, kBatchFormat},
    {"jobs", required_argument, nullptr, kJobs},
    {"rounding", required_argument, nullptr, kRounding},
    {"shard", required_argument, nullptr, kShard},
    {"set", required_argument, nullptr, kSet},
    {"text", required_argument, nullptr, kText},
    {"reset-position", no_argument, nullptr, kResetPosition},
    {"overlay", required_argument, nullptr, kOverlay},
    {"quiet", no_argument, nullptr, 'q'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};
// The leading ':' makes a missing value come back as ':' rather than '?'.
constexpr const char* kShortOptions = ":o:qh";

const option* FindOption(int val) {
    for (const option* o = kLongOptions; o->name; ++o)
        if (o->val == val) return o;
    return nullptr;
}

// How the user wrote the option `val` in `word`: "-o" or "--output".
std::string SpelledAs(int val, const char* word) {
    const option* o = FindOption(val);
    if (!o || (val < 256 && word[0] == '-' && word[1] != '-')) return std::string("-") + char(val);
    return std::string("--") + o->name;
}

void SetOnce(std::optional<std::string>& slot, const std::string& option, const std::string& value) {
    if (slot) throw UsageError{option + " given more than once"};
    slot = value;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::optional<int> WholeNumber(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
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

// A format named as --format names it ("jpeg") or by an extension without its point.
std::optional<ExportFormat> FormatFromName(const std::string& name) {
    if (const std::optional<ImageFormat> format = ImageFormatOfExtension("." + name)) return ExportFormatOf(*format);
    return std::nullopt;
}

void TakeOption(Options& o, int c, const std::string& spelled, const std::string& value) {
    switch (c) {
        case 'h': o.help = true; break;
        case kVersion: o.version = true; break;
        case 'q': o.quiet = true; break;
        case 'o': SetOnce(o.output, spelled, value); break;
        case kFormat: SetOnce(o.format, spelled, value); break;
        case kQuality: SetOnce(o.quality, spelled, value); break;
        case kProject: SetOnce(o.project, spelled, value); break;
        case kSaveProject: SetOnce(o.saveProject, spelled, value); break;
        case kBatch: SetOnce(o.batch, spelled, value); break;
        case kBatchFormat: SetOnce(o.batchFormat, spelled, value); break;
        case kJobs: SetOnce(o.jobs, spelled, value); break;
        case kShard: SetOnce(o.shard, spelled, value); break;
        case kRounding:
            SetOnce(o.rounding, spelled, value);
            if (value != "nearest" && value != "downward")
                throw UsageError{"--rounding must be nearest or downward, got '" + value + "'"};
            break;
        case kSet: {
            const std::size_t eq = value.find('=');
            if (eq == std::string::npos) throw UsageError{"--set needs FIELD=VALUE, got '" + value + "'"};
            const std::string problem = SetValueProblem(value.substr(0, eq), value.substr(eq + 1));
            if (!problem.empty()) throw UsageError{"--set " + value + ": " + problem};
            o.edits.push_back({DocumentEditKind::Set, value});
            break;
        }
        case kText: o.edits.push_back({DocumentEditKind::Text, value}); break;
        case kResetPosition: o.edits.push_back({DocumentEditKind::ResetPosition, ""}); break;
        case kOverlay: o.edits.push_back({DocumentEditKind::Overlay, value}); break;
    }
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& args) {
    // getopt_long keeps its state in globals.
    static std::mutex parsing;
    const std::lock_guard<std::mutex> lock(parsing);
    std::vector<std::string> words;
    words.reserve(args.size() + 1);
    words.push_back(kProgram);
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const int argc = int(words.size());

    Options o;
    optind = 0;  // start over, also after an earlier call
    opterr = 0;  // the messages are ours
    int longIndex = -1;
    for (int c; (c = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, &longIndex)) != -1; longIndex = -1) {
        // An option in error is always in the word just read (a missing value is at the end).
        const char* word = argv[std::min(std::max(optind - 1, 1), argc - 1)];
        if (c == ':') throw UsageError{SpelledAs(optopt, word) + " needs a value"};
        if (c == '?') {
            if (optopt != 0 && FindOption(optopt)) throw UsageError{SpelledAs(optopt, word) + " takes no value"};
            if (optopt != 0) throw UsageError{std::string("unknown option '-") + char(optopt) + "'"};
            const std::string spelled(word);
            throw UsageError{"unknown option '" + spelled.substr(0, spelled.find('=')) + "'"};
        }
        TakeOption(o, c, longIndex >= 0 ? std::string("--") + kLongOptions[longIndex].name : SpelledAs(c, "-"),
                   optarg ? optarg : "");
        // As in GNU programs, the help and the version end the reading: what follows is not checked.
        if (o.help || o.version) return o;
    }
    if (optind < argc) throw UsageError{"unexpected argument '" + words[std::size_t(optind)] + "'"};
    return o;
}

std::string HelpText() {
    std::string text(kHelp);
    for (const FieldInfo& f : BannerSettings::Fields()) {
        std::string name(f.name);
        name.resize(std::max<std::size_t>(name.size(), 18), ' ');
        text += "  " + name + FieldKindName(f.kind) + FieldNote(f.name) + "\n";
    }
    return text;
}

ExportFormat ChooseFormat(const Options& o) {
    if (o.format) {
        if (auto f = FormatFromName(Lower(*o.format))) return *f;
        throw UsageError{"unknown format '" + *o.format + "' (png, jpg, gif or bmp)"};
    }
    if (*o.output == kStandardStream) throw UsageError{"writing to standard output (-o -) needs --format"};
    const std::string ext = LowerExtension(*o.output);
    if (!ext.empty())
        if (auto f = FormatFromName(ext.substr(1))) return *f;
    throw UsageError{"cannot tell the image format from '" + *o.output +
                     "': use .png, .jpg, .jpeg, .gif or .bmp, or --format"};
}

int ChooseJpegQuality(const Options& o, ExportFormat format) {
    if (!o.quality) return kExportJpegQuality;
    const std::optional<int> q = WholeNumber(*o.quality);
    if (!q || *q < 1 || *q > 100) throw UsageError{"--quality needs a whole number from 1 to 100, got '" + *o.quality + "'"};
    if (format != ExportFormat::Jpeg) throw UsageError{"--quality is for JPEG output only"};
    return *q;
}

constexpr int kMaxJobs = 1024;

int ChooseJobs(const Options& o) {
    if (!o.jobs) {
        // One thread per core this process may run on.
        cpu_set_t set;
        CPU_ZERO(&set);
        const int cores = ::sched_getaffinity(0, sizeof set, &set) == 0 ? CPU_COUNT(&set) : 0;
        return std::clamp(cores > 0 ? cores : int(std::thread::hardware_concurrency()), 1, kMaxJobs);
    }
    const std::optional<int> jobs = WholeNumber(*o.jobs);
    if (!jobs || *jobs < 1 || *jobs > kMaxJobs)
        throw UsageError{"--jobs needs a whole number from 1 to " + std::to_string(kMaxJobs) + ", got '" + *o.jobs + "'"};
    return *jobs;
}

std::pair<int, int> ChooseShard(const Options& o) {
    if (!o.shard) return {0, 1};
    const std::size_t slash = o.shard->find('/');
    const std::optional<int> k = WholeNumber(o.shard->substr(0, slash));
    const std::optional<int> n = slash == std::string::npos ? std::nullopt : WholeNumber(o.shard->substr(slash + 1));
    if (!k || !n || *n < 1 || *k < 1 || *k > *n)
        throw UsageError{"--shard needs K/N with 1 <= K <= N, got '" + *o.shard + "'"};
    return {*k - 1, *n};
}

BatchFormat ChooseBatchFormat(const Options& o) {
    if (o.batchFormat) {
        const std::string name = Lower(*o.batchFormat);
        if (name == "lines") return BatchFormat::Lines;
        if (name == "csv") return BatchFormat::Csv;
        if (name == "jsonl") return BatchFormat::JsonLines;
        throw UsageError{"unknown batch format '" + *o.batchFormat + "' (lines, csv or jsonl)"};
    }
    const std::string ext = LowerExtension(*o.batch);
    if (ext == ".csv") return BatchFormat::Csv;
    if (ext == ".jsonl" || ext == ".ndjson") return BatchFormat::JsonLines;
    return BatchFormat::Lines;
}

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

std::string CannotCreate(const std::string& path, const std::string& reason) {
    return "cannot create \"" + path + "\": " + reason;
}

}  // namespace veskel::cli
