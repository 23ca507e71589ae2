#pragma once
// Rendering a batch: one banner per row of a batch file, on several threads, each file put in
// place in row order.
#include <string>
#include <vector>

#include "banner/BannerDocument.h"
#include "cli/BatchFile.h"
#include "cli/RenderCommand.h"
#include "project/Export.h"

namespace veskel::cli {

struct BatchJob {
    std::string file;     // the batch file's name in messages
    BatchFile batch;      // its rows
    std::vector<std::string> paths;  // the file each row writes
    ExportFormat format = ExportFormat::Png;
    int jpegQuality = kExportJpegQuality;
    int jobs = 1;
    // This run renders the rows i with i % shardCount == shardIndex, the others are left to other runs.
    int shardIndex = 0, shardCount = 1;
    bool quiet = false;
};

// Names every row's file from the OUTPUT pattern ({n}, {text}, {output}). Refused with Failure
// before anything is written: a batch without rows, two rows whose names come out the same, and a
// row that would write over the batch file itself (`input`, "" for standard input).
std::vector<std::string> PlanBatch(const std::string& file, const BatchFile& batch, const std::string& pattern,
                                   const std::string& input, const BannerDocument& base);

// Renders every row over `base`; a row that fails is reported on `err` and the others still run.
// Returns the exit status.
int RunBatch(const BannerDocument& base, const BatchJob& job, const TextOut& err, const RenderEnvironment& env);

}  // namespace veskel::cli
