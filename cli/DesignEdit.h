#pragma once
// The edits the command line makes to a design (--set, --text, --reset-position, --overlay) and
// the checks of a field's value, shared by the options and the rows of a batch file.
#include <cstdint>
#include <string>
#include <string_view>

#include "banner/BannerDocument.h"

namespace veskel::cli {

// The command line itself is wrong: exit status 2.
struct UsageError {
    std::string message;
};
// Bad input or a failed write: exit status 1.
struct Failure {
    std::string message;
};

enum class DocumentEditKind { Set, Text, ResetPosition, Overlay };
struct DocumentEdit {
    DocumentEditKind kind;
    std::string value;  // FIELD=VALUE, the text or the picture's path
};

// Checks a FIELD=VALUE: the field exists, the value has its field's form, fits the record and lies
// in the range the window's controls produce. Returns "" when it may be set, else why not
// ("Pattern must be 0..5", "unknown field 'Nope'").
std::string SetValueProblem(std::string_view name, std::string_view value);

// The note on a field's range or length for the help ("", ", 0..99", ", at most 255 characters").
std::string FieldNote(std::string_view name);

// Applies one edit. Throws Failure for a refused text or value, BannerError for a picture that
// cannot be loaded.
void ApplyEdit(BannerDocument& doc, const DocumentEdit& edit);

}  // namespace veskel::cli
