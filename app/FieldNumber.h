#pragma once
// How the window's number fields (the text position) read what is typed into them.
#include <cstdint>
#include <string_view>

namespace veskel {

// Reads a numeric field's text the way the position fields take it: leading blanks skipped, an
// optional sign, decimal digits or hexadecimal ones after "$", "x", "X", "0x" or "0X". A valid text
// gives its number; otherwise the digits before the first invalid character, without the sign
// ("12a" -> 12, "-12a" -> 12, "-" -> 0, "" -> 0). A digit that would overflow 32 bits counts as
// invalid; hexadecimal covers the full 32 bits ("$FFFFFFFF" -> -1).
std::int32_t ParseFieldNumber(std::string_view text);
// The same reading, saying also whether every character was part of the number: true for a valid
// number and for one still being typed ("", "-", "0x"), false for "12a" or "15 ".
struct FieldNumber {
    std::int32_t value = 0;
    bool whole = true;
};
FieldNumber ReadFieldNumber(std::string_view text);

}  // namespace veskel
