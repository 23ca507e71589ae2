#pragma once
// The decimal text of a stored layout's real numbers. Where the standard library converts
// doubles itself (std::from_chars / std::to_chars) it is used; where it does not (the browser
// build's), the C library's conversions stand in, with the same texts and the same results.
#include <optional>
#include <string>
#include <string_view>

namespace veskel {

// The whole of `text` as one decimal number ("-1.5", "2e-3", "1."); nullopt when any of it is
// left over or the value is out of the double's range.
std::optional<double> ReadReal(std::string_view text);
// The shortest text that reads back as exactly `value`, in fixed or exponent form, whichever
// is shorter (fixed on a tie): "0.1", "1e+20", "1e-05".
std::string WriteReal(double value);

// The C library's stand-ins, built everywhere so that they can be checked against the standard
// library's conversions where both exist.
namespace portable {
std::optional<double> ReadReal(std::string_view text);
std::string WriteReal(double value);
}  // namespace portable

}  // namespace veskel
