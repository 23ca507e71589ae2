#include "cli/RenderCommand.h"

#include <exception>
#include <optional>
#include <tuple>
#include <ostream>

#include "banner/BannerDocument.h"
#include "cli/BatchFile.h"
#include "cli/BatchRun.h"
#include "cli/CommandLine.h"
#include "cli/DesignEdit.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/Rounding.h"
#include "platform/io/Files.h"
#include "project/Export.h"
#include "project/Messages.h"
#include "project/ProjectFile.h"
#include "veskel/BuildInfo.h"

namespace veskel {
namespace {

using cli::CannotCreate;
using cli::Failure;
using cli::kProgram;
using cli::kStandardStream;
using cli::OneLine;
using cli::Options;
using cli::UsageError;

// A path that must name a file: not empty, not ending in a folder separator, not "." or "..".
void CheckFileName(const std::string& option, const std::string& path) {
    if (path.empty()) throw UsageError{option + " needs a file name, got an empty one"};
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..")
        throw UsageError{option + " needs a file name, '" + path + "' names a folder"};
}

// The command line speaks English throughout: a file error is told in its words, not in the
// window's Russian sentence.
std::string Describe(const std::exception& e) {
    if (const auto* p = dynamic_cast<const ProjectError*>(&e); p && !p->Reason().empty())
        return std::string(p->Action() == FileAction::Create ? "cannot create" : "cannot open") + " \"" + p->File() +
               "\": " + p->Reason();
    return e.what();
}

std::vector<std::uint8_t> EncodeImage(const Bitmap& image, ExportFormat format, int quality, const std::string& path) {
    try {
        return EncodeExport(image, format, quality);
    } catch (const std::exception& e) {
        throw Failure{CannotCreate(path, e.what())};
    }
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    try {
        WriteFileAtomic(path, bytes);
    } catch (const FileError& e) {
        throw Failure{CannotCreate(path, e.what())};
    }
}

// The whole batch file, or standard input for "-"; at most 16 MB.
std::vector<std::uint8_t> ReadBatchInput(const std::string& path, const std::string& name) {
    try {
        return ReadFileBytes(path == kStandardStream ? "/dev/stdin" : path, std::size_t(16) << 20);
    } catch (const FileError& e) {
        throw Failure{"cannot open " + name + ": " + e.what()};
    }
}

// The checks of the command line as a whole, before anything is read or rendered.
void CheckOutputs(const Options& o) {
    if (!o.output && !o.saveProject) throw UsageError{"no output: give -o OUTPUT (or --save-project PATH)"};
    for (const auto& [given, option] : {std::pair{o.format.has_value(), "--format"}, {o.quality.has_value(), "--quality"}})
        if (given && !o.output) throw UsageError{std::string(option) + " needs -o OUTPUT"};
    if (o.batch) {
        if (!o.output) throw UsageError{"--batch needs -o DIR/PATTERN"};
        if (*o.output == kStandardStream) throw UsageError{"a batch writes one file per row: -o needs a pattern, not -"};
        if (o.output->find("{n}") == std::string::npos && o.output->find("{text}") == std::string::npos &&
            o.output->find("{output}") == std::string::npos)
            throw UsageError{"with --batch the output pattern needs {n} or {text} (or {output} for a batch of "
                             "designs), or every line would overwrite the same file"};
    } else if (o.batchFormat || o.shard) {
        throw UsageError{std::string(o.batchFormat ? "--batch-format" : "--shard") + " needs --batch"};
    }
    if (o.saveProject) CheckFileName("--save-project", *o.saveProject);
    if (o.output && *o.output != kStandardStream) CheckFileName("-o", *o.output);
}

int Run(const std::vector<std::string>& args, const TextOut& out, const TextOut& err, const RenderEnvironment& env) {
    const Options o = cli::ParseOptions(args);
    if (o.help) {
        out(cli::HelpText());
        return kExitOk;
    }
    if (o.version) {
        out(std::string(kProgram) + " " + kVersion + "\n");
        return kExitOk;
    }
    CheckOutputs(o);
    const bool toStandardOutput = o.output == kStandardStream;
    if (toStandardOutput && env.outIsTerminal)
        throw UsageError{"standard output is a terminal, not a place for a picture: redirect it or give -o FILE"};
    std::optional<ExportFormat> format;
    int quality = kExportJpegQuality;
    if (o.output) {
        format = cli::ChooseFormat(o);
        quality = cli::ChooseJpegQuality(o, *format);
    }
    const int jobs = cli::ChooseJobs(o);
    const cli::BatchFormat batchFormat = o.batch ? cli::ChooseBatchFormat(o) : cli::BatchFormat::Lines;

    BannerDocument doc;  // renders once, below, after every edit
    // The edits (a picture's fitted size) and the render round in the chosen mode.
    doc.SetRounding(o.rounding == std::string("downward") ? RoundingMode::Downward : RoundingMode::NearestEven);
    doc.NewDocument();
    if (o.project) OpenProject(doc, *o.project);
    for (const cli::DocumentEdit& edit : o.edits) cli::ApplyEdit(doc, edit);

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
            throw Failure{CannotCreate(projectPath, e.what())};
        }
    }
    cli::BatchJob batch;
    std::vector<std::uint8_t> imageBytes;
    if (o.batch) {
        const bool fromStandardInput = *o.batch == kStandardStream;
        batch.file = fromStandardInput ? "standard input" : *o.batch;
        batch.bytes = ReadBatchInput(*o.batch, fromStandardInput ? batch.file : "\"" + *o.batch + "\"");
        batch.batchFormat = batchFormat;
        batch.pattern = *o.output;
        cli::PlanBatch(batch, fromStandardInput ? "" : *o.batch, doc);
        batch.format = *format;
        batch.jpegQuality = quality;
        batch.jobs = jobs;
        std::tie(batch.shardIndex, batch.shardCount) = cli::ChooseShard(o);
        batch.quiet = o.quiet;
    } else if (o.output) {
        imageBytes = EncodeImage(image, *format, quality, toStandardOutput ? "standard output" : *o.output);
    }

    if (o.saveProject) WriteFile(projectPath, projectBytes);
    if (o.batch) return cli::RunBatch(doc, batch, err, env);
    if (toStandardOutput) {
        const std::string_view bytes(reinterpret_cast<const char*>(imageBytes.data()), imageBytes.size());
        if (!env.imageOut) {
            out(bytes);
        } else if (const std::string reason = env.imageOut(bytes); !reason.empty()) {
            throw Failure{"cannot write to standard output: " + reason};
        }
    } else if (o.output) {
        WriteFile(*o.output, imageBytes);
    }
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
