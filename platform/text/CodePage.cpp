#include "platform/text/CodePage.h"

#include <cstdio>

#include "platform/lang/Translate.h"

namespace veskel {
namespace {

// Unicode code points of bytes 0x80..0xFF (0 = unassigned).
constexpr char32_t kHighHalf[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

std::string DescribeCodePoint(char32_t c) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "U+%04X", unsigned(c));
    return buf;
}

// Decodes the sequence at s[i]; returns its length, or 0 when it is malformed.
std::size_t DecodeOne(std::string_view s, std::size_t i, char32_t& cp) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    int extra;
    if (b < 0x80) { cp = b; extra = 0; }
    else if ((b & 0xE0) == 0xC0) { cp = b & 0x1F; extra = 1; }
    else if ((b & 0xF0) == 0xE0) { cp = b & 0x0F; extra = 2; }
    else if ((b & 0xF8) == 0xF0) { cp = b & 0x07; extra = 3; }
    else return 0;
    if (s.size() - i <= std::size_t(extra)) return 0;  // truncated sequence
    for (int k = 1; k <= extra; ++k) {
        unsigned char c = static_cast<unsigned char>(s[i + std::size_t(k)]);
        if ((c & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are malformed.
    static constexpr char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return std::size_t(extra) + 1;
}

}  // namespace

std::optional<std::u32string> DecodeUtf8(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp = 0;
        std::size_t n = DecodeOne(s, i, cp);
        if (n == 0) return std::nullopt;
        out.push_back(cp);
        i += n;
    }
    return out;
}

std::u32string DecodeUtf8Lossy(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp = 0;
        std::size_t n = DecodeOne(s, i, cp);
        out.push_back(n ? cp : char32_t(0xFFFD));
        i += n ? n : 1;
    }
    return out;
}

std::string EncodeUtf8(std::u32string_view text) {
    std::string out;
    for (char32_t c : text) {
        if (c < 0x80) out += char(c);
        else if (c < 0x800) { out += char(0xC0 | (c >> 6)); out += char(0x80 | (c & 0x3F)); }
        else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12)); out += char(0x80 | ((c >> 6) & 0x3F)); out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18)); out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F)); out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Cp1251ToUtf8(std::string_view cp1251) {
    std::u32string wide;
    wide.reserve(cp1251.size());
    for (char ch : cp1251) {
        unsigned char b = static_cast<unsigned char>(ch);
        // Only the high half has a hole (0x98); byte 0 is the character U+0000.
        char32_t c = b < 0x80 ? char32_t(b) : kHighHalf[b - 0x80] ? kHighHalf[b - 0x80] : char32_t(0xFFFD);
        wide.push_back(c);
    }
    return EncodeUtf8(wide);
}

std::optional<std::string> TryUtf8ToCp1251(std::string_view utf8) {
    try {
        return Utf8ToCp1251(utf8);
    } catch (const CodePageError&) {
        return std::nullopt;
    }
}

std::string Utf8ToCp1251(std::string_view utf8) {
    std::optional<std::u32string> wide = DecodeUtf8(utf8);
    if (!wide) throw CodePageError(Tr("the text is not valid UTF-8"));
    std::string out;
    out.reserve(wide->size());
    for (char32_t c : *wide) {
        if (c < 0x80) {
            out += char(c);
            continue;
        }
        int found = -1;
        for (int i = 0; i < 128; ++i)
            if (kHighHalf[i] == c) { found = i; break; }
        if (found < 0) {
            std::string one = EncodeUtf8(std::u32string(1, c));
            throw CodePageError(Tr("the character \"{1}\" ({2}) cannot be stored in the banner's code page "
                                   "(Windows-1251)",
                                   {one, DescribeCodePoint(c)}));
        }
        out += char(0x80 + found);
    }
    return out;
}

}  // namespace veskel
