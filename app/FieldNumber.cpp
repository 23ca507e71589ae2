#include "app/FieldNumber.h"

namespace veskel {

FieldNumber ReadFieldNumber(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    // Decimal digits may reach 2^31 only with a minus sign; hexadecimal ones fill 32 bits.
    const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t value = 0;
    bool anyDigit = false;
    for (; i < s.size(); ++i) {
        int d = -1;
        const char c = s[i];
        if (c >= '0' && c <= '9') d = c - '0';
        else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        const std::uint64_t next = value * (hex ? 16 : 10) + std::uint64_t(d);
        if (d < 0 || next > limit) {
            // Invalid from here: the digits so far count, without their sign.
            return {std::int32_t(std::uint32_t(value)), false};
        }
        value = next;
        anyDigit = true;
    }
    if (!anyDigit) return {0, true};
    const std::uint32_t bits = std::uint32_t(value);
    return {std::int32_t(negative ? 0u - bits : bits), true};
}

std::int32_t ParseFieldNumber(std::string_view s) { return ReadFieldNumber(s).value; }

}  // namespace veskel
