#pragma once
// veskel-render's options: read as GNU programs read theirs (bundled short options, "-oFILE",
// "--opt=value", "--" ends the options) and checked before anything is rendered.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/DesignEdit.h"
#include "project/Export.h"

namespace veskel::cli {

inline constexpr const char* kProgram = "veskel-render";
// "-" as -o or --batch: standard output or standard input.
inline constexpr const char* kStandardStream = "-";

enum class BatchFormat { Lines, Csv, JsonLines };

struct Options {
    std::optional<std::string> output;
    std::optional<std::string> format;
    std::optional<std::string> quality;
    std::optional<std::string> project;
    std::optional<std::string> saveProject;
    std::optional<std::string> batch;
    std::optional<std::string> batchFormat;
    std::optional<std::string> jobs;
    std::optional<std::string> rounding;
    std::optional<std::string> shard;
    std::vector<DocumentEdit> edits;
    bool help = false;
    bool version = false;
    bool quiet = false;
};

// Reads the arguments (without the program name). Throws UsageError.
Options ParseOptions(const std::vector<std::string>& args);

// The help, with the list of fields.
std::string HelpText();

// The checked values of the options that take a number or a name. Each throws UsageError.
ExportFormat ChooseFormat(const Options& o);
int ChooseJpegQuality(const Options& o, ExportFormat format);
int ChooseJobs(const Options& o);
BatchFormat ChooseBatchFormat(const Options& o);
// --shard K/N as {K - 1, N}; {0, 1} without it.
std::pair<int, int> ChooseShard(const Options& o);

// A message on one line: line breaks become spaces.
std::string OneLine(std::string text);
// The message of a file that could not be written (in English, as the whole command line speaks).
std::string CannotCreate(const std::string& path, const std::string& reason);

}  // namespace veskel::cli
