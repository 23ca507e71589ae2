#pragma once
// Rendering a batch: one banner per row of a batch file, on several threads, each file put in
// place in row order.
#include <cstdint>
#include <string>
#include <vector>

#include "banner/BannerDocument.h"
#include "cli/BatchFile.h"
#include "cli/RenderCommand.h"
#include "project/Export.h"

namespace veskel::cli {

struct BatchJob {
    std::string file;                 // the batch file's name in messages
    std::vector<std::uint8_t> bytes;  // its content, read again row by row when the batch runs
    BatchFormat batchFormat = BatchFormat::Lines;
    std::string pattern;              // the OUTPUT pattern
    std::size_t rows = 0;             // counted by PlanBatch
    ExportFormat format = ExportFormat::Png;
    int jpegQuality = kExportJpegQuality;
    int jobs = 1;
    // This run renders the rows i with i % shardCount == shardIndex, the others are left to other runs.
    int shardIndex = 0, shardCount = 1;
    bool quiet = false;
};

// Reads every row once, holding one at a time, and counts them into job.rows. Refused with Failure
// before anything is written: a batch without rows, a mistake in a row, a design row whose text
// --text would refuse, two rows whose names (from the pattern's {n}, {text} and {output}) come out
// the same, and a row that would write over the batch file itself (`input`, "" for standard input).
void PlanBatch(BatchJob& job, const std::string& input, const BannerDocument& base);

// Renders every row over `base`; a row that fails is reported on `err` and the others still run.
// Returns the exit status.
int RunBatch(const BannerDocument& base, const BatchJob& job, const TextOut& err, const RenderEnvironment& env);

}  // namespace veskel::cli
