#include "platform/ui/RealText.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace veskel {

#if defined(__cpp_lib_to_chars) && !defined(VESKEL_PORTABLE_REAL_TEXT)

std::optional<double> ReadReal(std::string_view text) {
    double value = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || p != end) return std::nullopt;
    return value;
}

std::string WriteReal(double value) {
    char buf[64];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, p);
}

#else

std::optional<double> ReadReal(std::string_view text) { return portable::ReadReal(text); }
std::string WriteReal(double value) { return portable::WriteReal(value); }

#endif

namespace portable {

// The C library's conversions read and write the locale's decimal point; the browser build's
// C library has only the "C" locale, and the desktop uses this only where it is checked.

std::optional<double> ReadReal(std::string_view text) {
    // strtod also takes leading blanks, a '+', hexadecimal, "inf" and "nan"; the decimal form
    // does not.
    if (text.empty()) return std::nullopt;
    const char first = text[0];
    if (!(first == '-' || first == '.' || (first >= '0' && first <= '9'))) return std::nullopt;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-'))
            return std::nullopt;
    const std::string copy(text);  // strtod needs the end marked
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size()) return std::nullopt;
    // Out of range is an overflow, or a number that is not zero read as zero; a denormal result,
    // which strtod also flags, is a value.
    if (errno == ERANGE && (std::isinf(value) || value == 0)) return std::nullopt;
    return value;
}

namespace {

// `digits` (d.ddd) times ten to `exponent` in exponent form, as printf's "%e" writes it.
std::string ExponentForm(const std::string& digits, int exponent) {
    std::string out = digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    char tail[16];
    std::snprintf(tail, sizeof tail, "e%c%02d", exponent < 0 ? '-' : '+', exponent < 0 ? -exponent : exponent);
    return out + tail;
}

bool ReadsBackAs(const std::string& digits, int exponent, double value) {
    return std::strtod(ExponentForm(digits, exponent).c_str(), nullptr) == value;
}

}  // namespace

std::string WriteReal(double value) {
    if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    const std::string sign = std::signbit(value) ? "-" : "";
    const double magnitude = std::fabs(value);
    // The fewest significant digits that read back as the same double: the nearest decimal of
    // each length, or, just above a power of two, where the doubles below lie closer together
    // than those above, the next one up.
    std::string digits;
    int exponent = 0;
    for (int precision = 0; precision <= 17; ++precision) {
        char sci[64];
        std::snprintf(sci, sizeof sci, "%.*e", precision, magnitude);
        const std::string_view s = sci;
        const std::size_t e = s.find('e');
        digits.clear();
        for (char c : s.substr(0, e))
            if (c >= '0' && c <= '9') digits += c;
        exponent = std::atoi(sci + e + 1);
        if (ReadsBackAs(digits, exponent, magnitude)) break;
        std::string up = digits;
        std::size_t i = up.size();
        while (i > 0 && up[i - 1] == '9') up[--i] = '0';
        if (i == 0) continue;  // all nines: the next one up has fewer digits, tried already
        ++up[i - 1];
        if (ReadsBackAs(up, exponent, magnitude)) {
            digits = up;
            break;
        }
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    const int count = int(digits.size());

    std::string fixed;
    if (exponent >= count - 1) {
        // A whole number is written with all its digits: as long as the shortest digits padded
        // with zeros, and closer to the value.
        char whole[400];
        std::snprintf(whole, sizeof whole, "%.0f", magnitude);
        fixed = whole;
    } else if (exponent >= 0) {
        fixed = digits.substr(0, std::size_t(exponent + 1)) + "." + digits.substr(std::size_t(exponent + 1));
    } else {
        fixed = "0." + std::string(std::size_t(-exponent - 1), '0') + digits;
    }
    const std::string scientific = ExponentForm(digits, exponent);
    return sign + (fixed.size() <= scientific.size() ? fixed : scientific);
}

}  // namespace portable

}  // namespace veskel
