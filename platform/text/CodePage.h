#pragma once
// Windows-1251, the single-byte code page of the banner record's text. The user interface works
// in UTF-8; this is the one place that converts between the two.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace veskel {

class CodePageError : public std::runtime_error {
public:
    explicit CodePageError(const std::string& message) : std::runtime_error(message) {}
};

// Every byte maps to a character; the one unassigned byte (0x98) becomes U+FFFD.
std::string Cp1251ToUtf8(std::string_view cp1251);

// Throws CodePageError naming the first character that Windows-1251 cannot hold, or saying the
// UTF-8 is malformed. Never substitutes a character silently.
std::string Utf8ToCp1251(std::string_view utf8);

// The same, without throwing: nullopt when the text cannot be converted.
std::optional<std::string> TryUtf8ToCp1251(std::string_view utf8);

// Decodes UTF-8 into code points; nullopt when malformed.
std::optional<std::u32string> DecodeUtf8(std::string_view utf8);
// The same for drawing and measuring, where nothing may fail: every byte that does not start a
// well-formed sequence becomes U+FFFD, so damaged text shows as damaged instead of vanishing.
std::u32string DecodeUtf8Lossy(std::string_view utf8);
std::string EncodeUtf8(std::u32string_view text);

}  // namespace veskel
