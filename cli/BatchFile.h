#pragma once
// The rows of a batch: lines of text, or whole designs from a CSV or JSON Lines file.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "cli/CommandLine.h"

namespace veskel::cli {

struct BatchRow {
    std::size_t line = 0;             // the file's line the row starts on, from 1
    std::optional<std::string> text;  // applied as --text and then --reset-position
    std::vector<std::pair<std::string, std::string>> fields;  // applied as --set, in this order
    std::optional<std::string> output;                        // the Output column: {output}
};

struct BatchFile {
    std::vector<BatchRow> rows;
    bool designs = false;    // rows of a CSV or JSON Lines file rather than lines of text
    bool hasOutput = false;  // the file names an Output for its rows
};

// Reads the rows of a batch file called `name` (for messages). A file of lines holding nothing but
// a byte-order mark and line ends has no rows. Design rows are checked as --set checks its values;
// any mistake throws Failure naming the file and the row ("names.csv row 2 (line 3): Pattern
// must be 0..5"), before anything is rendered.
BatchFile ReadBatchFile(const std::string& name, std::span<const std::uint8_t> bytes, BatchFormat format);

// How messages name row `index` (from 0): "line 4" for lines of text, "row 3 (line 4)" for designs.
std::string RowLabel(const BatchFile& batch, std::size_t index);

}  // namespace veskel::cli
