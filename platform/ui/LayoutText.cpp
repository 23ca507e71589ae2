#include "platform/ui/LayoutText.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/text/CodePage.h"
#include "platform/ui/NoCase.h"
#include "platform/ui/RealText.h"

namespace veskel {

using detail::EqualsNoCase;

const LayoutProperty* LayoutObject::FindProperty(std::string_view n) const {
    for (const LayoutProperty& p : properties)
        if (EqualsNoCase(p.name, n)) return &p;
    return nullptr;
}
// ---------------------------------------------------------------- parser

namespace {

constexpr int kMaxDepth = 64;

class Parser {
public:
    explicit Parser(std::string_view text) : s_(text) {}

    LayoutObject ParseRoot() {
        SkipSpace();
        LayoutObject o = ParseObject(0);
        SkipSpace();
        if (pos_ != s_.size()) Fail("unexpected text after the final 'end'");
        return o;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw LayoutError("line " + std::to_string(line_) + ": " + what);
    }

    void SkipSpace() {
        while (pos_ < s_.size()) {
            char c = s_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++pos_;
            } else if (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/') {
                while (pos_ < s_.size() && s_[pos_] != '\n') ++pos_;
            } else {
                break;
            }
        }
    }

    bool AtEnd() const { return pos_ >= s_.size(); }
    char Peek() const { return AtEnd() ? '\0' : s_[pos_]; }

    static bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
    static bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

    std::string Ident(bool dotted) {
        SkipSpace();
        if (!IsIdentStart(Peek())) Fail("a name is expected");
        std::size_t start = pos_;
        while (!AtEnd() && (IsIdentChar(Peek()) || (dotted && Peek() == '.' && pos_ + 1 < s_.size() &&
                                                      IsIdentStart(s_[pos_ + 1]))))
            ++pos_;
        return std::string(s_.substr(start, pos_ - start));
    }

    void Expect(char c) {
        SkipSpace();
        if (Peek() != c) Fail(std::string("'") + c + "' is expected");
        ++pos_;
    }

    bool PeekKeyword(std::string_view kw) {
        SkipSpace();
        if (s_.size() - pos_ < kw.size()) return false;
        if (!EqualsNoCase(s_.substr(pos_, kw.size()), kw)) return false;
        return pos_ + kw.size() == s_.size() || !IsIdentChar(s_[pos_ + kw.size()]);
    }

    LayoutObject ParseObject(int depth) {
        if (depth > kMaxDepth) Fail("objects nested too deeply");
        SkipSpace();
        LayoutObject o;
        o.line = line_;
        if (PeekKeyword("object")) pos_ += 6;
        else if (PeekKeyword("inherited")) pos_ += 9;
        else if (PeekKeyword("inline")) pos_ += 6;
        else Fail("'object' is expected");
        std::string first = Ident(false);
        SkipSpace();
        if (Peek() == ':') {
            ++pos_;
            o.name = first;
            o.className = Ident(false);
        } else {
            o.className = first;
        }
        for (;;) {
            SkipSpace();
            if (AtEnd()) Fail("'end' is missing for object '" + o.name + "'");
            if (PeekKeyword("end")) {
                pos_ += 3;
                return o;
            }
            if (PeekKeyword("object") || PeekKeyword("inherited") || PeekKeyword("inline")) {
                o.children.push_back(ParseObject(depth + 1));
                continue;
            }
            LayoutProperty p;
            p.name = Ident(true);
            Expect('=');
            p.value = ParseValue(depth);
            o.properties.push_back(std::move(p));
        }
    }

    LayoutValue ParseValue(int depth) {
        if (depth > kMaxDepth) Fail("values nested too deeply");
        SkipSpace();
        char c = Peek();
        if (c == '\'' || c == '#') return LayoutValue::Str(ParseString());
        if (c == '-' || c == '+' || c == '$' || std::isdigit(static_cast<unsigned char>(c))) return ParseNumber();
        if (c == '[') return ParseSet();
        if (c == '(') {
            ++pos_;
            std::vector<LayoutValue> items;
            for (;;) {
                SkipSpace();
                if (AtEnd()) Fail("')' is missing");
                if (Peek() == ')') {
                    ++pos_;
                    return LayoutValue::ListOf(std::move(items));
                }
                items.push_back(ParseValue(depth + 1));
            }
        }
        if (c == '{') return ParseBinary();
        if (c == '<') Fail("collections are not supported");
        if (IsIdentStart(c)) return LayoutValue::Ident(Ident(true));
        Fail("a value is expected");
    }

    std::string ParseString() {
        std::string out;
        for (;;) {
            SkipSpace();
            char c = Peek();
            if (c == '\'') {
                ++pos_;
                for (;;) {
                    if (AtEnd() || Peek() == '\n') Fail("unterminated string");
                    char d = s_[pos_++];
                    if (d == '\'') {
                        if (Peek() == '\'') {
                            out.push_back('\'');
                            ++pos_;
                            continue;
                        }
                        break;
                    }
                    out.push_back(d);
                }
            } else if (c == '#') {
                ++pos_;
                std::size_t start = pos_;
                std::uint32_t code = 0;
                while (!AtEnd() && std::isdigit(static_cast<unsigned char>(Peek()))) {
                    code = code * 10 + std::uint32_t(Peek() - '0');
                    if (code > 0x10FFFF) Fail("character code out of range");
                    ++pos_;
                }
                if (pos_ == start) Fail("a character code is expected after '#'");
                if (code >= 0xD800 && code <= 0xDFFF) Fail("character code is a surrogate");
                out += EncodeUtf8(std::u32string(1, char32_t(code)));
            } else {
                break;
            }
            // Pieces join directly ('a'#13'b') or with '+' across lines.
            std::size_t save = pos_;
            int saveLine = line_;
            SkipSpace();
            if (Peek() == '+') {
                ++pos_;
                SkipSpace();
                if (Peek() != '\'' && Peek() != '#') Fail("a string is expected after '+'");
                continue;
            }
            pos_ = save;
            line_ = saveLine;
            if (Peek() != '\'' && Peek() != '#') break;
        }
        if (!DecodeUtf8(out)) Fail("string is not valid UTF-8");
        return out;
    }

    LayoutValue ParseNumber() {
        std::size_t start = pos_;
        bool negative = false;
        if (Peek() == '-' || Peek() == '+') {
            negative = Peek() == '-';
            ++pos_;
        }
        if (Peek() == '$') {
            ++pos_;
            std::size_t hs = pos_;
            while (!AtEnd() && std::isxdigit(static_cast<unsigned char>(Peek()))) ++pos_;
            std::uint64_t v = 0;
            auto [p, ec] = std::from_chars(s_.data() + hs, s_.data() + pos_, v, 16);
            if (pos_ == hs || ec != std::errc() || p != s_.data() + pos_) Fail("bad hexadecimal number");
            if (v > std::uint64_t(std::numeric_limits<std::int64_t>::max())) Fail("number out of range");
            return LayoutValue::Int(negative ? -std::int64_t(v) : std::int64_t(v));
        }
        bool isFloat = false;
        while (!AtEnd()) {
            char c = Peek();
            if (std::isdigit(static_cast<unsigned char>(c))) {
                ++pos_;
            } else if (c == '.' || c == 'e' || c == 'E') {
                isFloat = true;
                ++pos_;
                if ((c == 'e' || c == 'E') && (Peek() == '-' || Peek() == '+')) ++pos_;
            } else {
                break;
            }
        }
        std::string_view num = s_.substr(start, pos_ - start);
        if (num.empty() || num == "-" || num == "+") Fail("a number is expected");
        const char* b = num.data() + (num[0] == '+' ? 1 : 0);
        const char* e = num.data() + num.size();
        if (isFloat) {
            const std::optional<double> d = ReadReal(std::string_view(b, std::size_t(e - b)));
            if (!d || !std::isfinite(*d)) Fail("bad number '" + std::string(num) + "'");
            return LayoutValue::Real(*d);
        }
        std::int64_t v = 0;
        auto [p, ec] = std::from_chars(b, e, v);
        if (ec != std::errc() || p != e) Fail("number out of range '" + std::string(num) + "'");
        return LayoutValue::Int(v);
    }

    LayoutValue ParseSet() {
        ++pos_;
        std::vector<std::string> items;
        SkipSpace();
        if (Peek() == ']') {
            ++pos_;
            return LayoutValue::SetOf({});
        }
        for (;;) {
            items.push_back(Ident(false));
            SkipSpace();
            if (Peek() == ',') {
                ++pos_;
                continue;
            }
            Expect(']');
            return LayoutValue::SetOf(std::move(items));
        }
    }

    LayoutValue ParseBinary() {
        ++pos_;
        std::vector<std::uint8_t> bytes;
        int half = -1;
        for (;;) {
            SkipSpace();
            if (AtEnd()) Fail("'}' is missing");
            char c = Peek();
            if (c == '}') {
                ++pos_;
                break;
            }
            int v;
            if (c >= '0' && c <= '9') v = c - '0';
            else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
            else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
            else Fail("bad character in binary value");
            ++pos_;
            if (half < 0) {
                half = v;
            } else {
                bytes.push_back(std::uint8_t(half * 16 + v));
                half = -1;
            }
        }
        if (half >= 0) Fail("binary value has an odd number of hex digits");
        return LayoutValue::Bytes(std::move(bytes));
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

// ---------------------------------------------------------------- writer

void WriteString(std::string& out, const std::string& s) {
    auto decoded = DecodeUtf8(s);
    if (!decoded) throw LayoutError("string is not valid UTF-8");
    if (decoded->empty()) {
        out += "''";
        return;
    }
    bool inQuote = false;
    for (char32_t ch : *decoded) {
        if (ch >= 32 && ch < 127) {
            if (!inQuote) {
                out += '\'';
                inQuote = true;
            }
            if (ch == '\'') out += "''";
            else out += char(ch);
        } else {
            if (inQuote) {
                out += '\'';
                inQuote = false;
            }
            out += '#';
            out += std::to_string(std::uint32_t(ch));
        }
    }
    if (inQuote) out += '\'';
}

void WriteValue(std::string& out, const LayoutValue& v, int indent) {
    switch (v.kind) {
        case LayoutValue::Kind::Integer:
            out += std::to_string(v.integer);
            break;
        case LayoutValue::Kind::Float: {
            std::string s = WriteReal(v.real);
            if (s.find_first_of(".eE") == std::string::npos) s += ".0";
            out += s;
            break;
        }
        case LayoutValue::Kind::String:
            WriteString(out, v.text);
            break;
        case LayoutValue::Kind::Identifier:
            out += v.text;
            break;
        case LayoutValue::Kind::Set:
            out += '[';
            for (std::size_t i = 0; i < v.set.size(); ++i) {
                if (i) out += ", ";
                out += v.set[i];
            }
            out += ']';
            break;
        case LayoutValue::Kind::List:
            out += '(';
            for (const LayoutValue& item : v.list) {
                out += '\n';
                out.append(std::size_t(indent + 2), ' ');
                WriteValue(out, item, indent + 2);
            }
            out += ')';
            break;
        case LayoutValue::Kind::Binary: {
            static const char* kHex = "0123456789ABCDEF";
            out += '{';
            for (std::size_t i = 0; i < v.binary.size(); ++i) {
                if (i % 32 == 0) {
                    out += '\n';
                    out.append(std::size_t(indent + 2), ' ');
                }
                out += kHex[v.binary[i] >> 4];
                out += kHex[v.binary[i] & 15];
            }
            out += '}';
            break;
        }
    }
}

void WriteObject(std::string& out, const LayoutObject& o, int indent) {
    out.append(std::size_t(indent), ' ');
    out += "object ";
    if (!o.name.empty()) out += o.name + ": ";
    out += o.className + "\n";
    for (const LayoutProperty& p : o.properties) {
        out.append(std::size_t(indent + 2), ' ');
        out += p.name + " = ";
        WriteValue(out, p.value, indent + 2);
        out += '\n';
    }
    for (const LayoutObject& c : o.children) WriteObject(out, c, indent + 2);
    out.append(std::size_t(indent), ' ');
    out += "end\n";
}

}  // namespace

LayoutObject ParseLayout(std::string_view text) { return Parser(text).ParseRoot(); }

std::string WriteLayout(const LayoutObject& object) {
    std::string out;
    WriteObject(out, object, 0);
    return out;
}

}  // namespace veskel
