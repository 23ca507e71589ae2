// Fuzzes the batch reader of veskel-render (lines, CSV, JSON Lines): any bytes must give rows or a
// Failure, and every row it gives holds only values that --set would take.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "cli/BatchFile.h"
#include "fuzz/FuzzLimits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte chooses the reader.
    const auto format = static_cast<veskel::cli::BatchFormat>(data[0] % 3);
    try {
        veskel::cli::BatchReader reader("fuzz", std::span(data + 1, size - 1), format);
        while (const std::optional<veskel::cli::BatchRow> row = reader.Next())
            for (const auto& [name, value] : row->fields)
                if (!veskel::cli::SetValueProblem(name, value).empty()) std::abort();
    } catch (const veskel::cli::Failure&) {
    }
    return 0;
}
