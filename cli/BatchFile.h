#pragma once
// The rows of a batch: lines of text, or whole designs from a CSV or JSON Lines file, read one at
// a time from the file's bytes so that no more than one row is held however long the batch is.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
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

// Reads the rows of a batch file called `name` (for messages) from `bytes`, which must outlive the
// reader. A file of lines holding nothing but a byte-order mark and line ends has no rows. A CSV
// file's header row names the columns in any letter case, separated by commas, semicolons or tabs
// (whichever its header uses); its rows are separated the same way. Design rows are checked as
// --set checks its values: any mistake throws Failure naming the file and the row ("names.csv
// row 2 (line 3): Pattern must be 0..5").
class BatchReader {
public:
    // Reads a CSV file's header at once. Throws Failure.
    BatchReader(std::string name, std::span<const std::uint8_t> bytes, BatchFormat format);

    // Rows of a CSV or JSON Lines file rather than lines of text.
    bool Designs() const { return format_ != BatchFormat::Lines; }
    // The next row, or nullopt after the last. Throws Failure.
    std::optional<BatchRow> Next();
    // How messages name row `index` (from 0) starting on `line`: "line 4" for lines of text,
    // "row 3 (line 4)" for designs.
    std::string Label(std::size_t index, std::size_t line) const;

private:
    std::optional<BatchRow> NextLine();
    std::optional<BatchRow> NextCsvRow();
    std::optional<BatchRow> NextJsonRow();
    // One CSV record's cells from the rest of the text; false at its end.
    bool CsvRecord(std::vector<std::string>& cells, std::size_t& firstLine);
    void Add(BatchRow& row, const std::string& name, std::string value) const;
    [[noreturn]] void Refuse(const BatchRow& row, const std::string& why) const;

    std::string name_;
    std::string_view text_;  // what is still to be read
    BatchFormat format_;
    std::size_t line_ = 1;   // the line text_ starts on
    std::size_t rows_ = 0;   // rows given so far
    char separator_ = ',';
    std::vector<std::string> header_;
};

}  // namespace veskel::cli
