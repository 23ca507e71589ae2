#include "platform/ui/StoredLayout.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>

#include "platform/text/CodePage.h"
#include "platform/ui/Control.h"
#include "platform/ui/Edit.h"
#include "platform/ui/UiInternal.h"

namespace veskel {

using detail::EqualsNoCase;

// ---------------------------------------------------------------- values

LayoutValue LayoutValue::Int(std::int64_t v) {
    LayoutValue r;
    r.kind = Kind::Integer;
    r.integer = v;
    return r;
}
LayoutValue LayoutValue::Real(double v) {
    LayoutValue r;
    r.kind = Kind::Float;
    r.real = v;
    return r;
}
LayoutValue LayoutValue::Str(std::string v) {
    LayoutValue r;
    r.kind = Kind::String;
    r.text = std::move(v);
    return r;
}
LayoutValue LayoutValue::Ident(std::string v) {
    LayoutValue r;
    r.kind = Kind::Identifier;
    r.text = std::move(v);
    return r;
}
LayoutValue LayoutValue::SetOf(std::vector<std::string> elements) {
    LayoutValue r;
    r.kind = Kind::Set;
    r.set = std::move(elements);
    return r;
}
LayoutValue LayoutValue::ListOf(std::vector<LayoutValue> items) {
    LayoutValue r;
    r.kind = Kind::List;
    r.list = std::move(items);
    return r;
}
LayoutValue LayoutValue::Bytes(std::vector<std::uint8_t> payload) {
    LayoutValue r;
    r.kind = Kind::Binary;
    r.binary = std::move(payload);
    return r;
}

std::int64_t LayoutValue::AsInt() const {
    if (kind != Kind::Integer) throw LayoutError("an integer value is expected");
    return integer;
}
int LayoutValue::AsInt32() const {
    std::int64_t v = AsInt();
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::uint32_t>::max())
        throw LayoutError("integer value out of range");
    return int(std::int32_t(std::uint32_t(v)));  // 32-bit values written unsigned read back as such
}
double LayoutValue::AsReal() const {
    if (kind == Kind::Integer) return double(integer);
    if (kind != Kind::Float) throw LayoutError("a number is expected");
    return real;
}
const std::string& LayoutValue::AsString() const {
    if (kind != Kind::String) throw LayoutError("a string value is expected");
    return text;
}
const std::string& LayoutValue::AsIdent() const {
    if (kind != Kind::Identifier) throw LayoutError("an identifier is expected");
    return text;
}
bool LayoutValue::AsBool() const {
    if (kind == Kind::Identifier) {
        if (EqualsNoCase(text, "True")) return true;
        if (EqualsNoCase(text, "False")) return false;
    }
    throw LayoutError("True or False is expected");
}
std::vector<std::string> LayoutValue::AsStrings() const {
    if (kind != Kind::List) throw LayoutError("a list of strings is expected");
    std::vector<std::string> out;
    for (const LayoutValue& v : list) out.push_back(v.AsString());
    return out;
}

const LayoutProperty* LayoutObject::FindProperty(std::string_view n) const {
    for (const LayoutProperty& p : properties)
        if (EqualsNoCase(p.name, n)) return &p;
    return nullptr;
}

// ---------------------------------------------------------------- binary encoding

std::vector<std::uint8_t> EncodeBinaryValue(std::span<const std::uint8_t> payload) {
    if (payload.size() > 0xFFFFFFFFu) throw LayoutError("binary value too large");
    std::vector<std::uint8_t> out;
    out.reserve(payload.size() + 5);
    out.push_back(kBinaryValueType);
    std::uint32_t n = std::uint32_t(payload.size());
    for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(n >> (8 * i)));
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

std::span<const std::uint8_t> DecodeBinaryValue(std::span<const std::uint8_t> encoded) {
    if (encoded.size() < 5 || encoded[0] != kBinaryValueType) throw LayoutError("not a binary value");
    std::uint32_t n = std::uint32_t(encoded[1]) | (std::uint32_t(encoded[2]) << 8) |
                      (std::uint32_t(encoded[3]) << 16) | (std::uint32_t(encoded[4]) << 24);
    if (encoded.size() - 5 != n) throw LayoutError("binary value length does not match its data");
    return encoded.subspan(5);
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
            double d = 0;
            auto [p, ec] = std::from_chars(b, e, d);
            if (ec != std::errc() || p != e || !std::isfinite(d)) Fail("bad number '" + std::string(num) + "'");
            return LayoutValue::Real(d);
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
            char buf[64];
            auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v.real);
            std::string s(buf, p);
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

// ---------------------------------------------------------------- fonts and colours

namespace {
struct NamedColor {
    const char* name;
    std::uint32_t value;
};
constexpr NamedColor kColors[] = {
    {"clBlack", 0x000000},     {"clMaroon", 0x000080},      {"clGreen", 0x008000},     {"clOlive", 0x008080},
    {"clNavy", 0x800000},      {"clPurple", 0x800080},      {"clTeal", 0x808000},      {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},    {"clRed", 0x0000FF},         {"clLime", 0x00FF00},      {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},      {"clFuchsia", 0xFF00FF},     {"clAqua", 0xFFFF00},      {"clWhite", 0xFFFFFF},
    {"clBtnFace", 0xFF00000F}, {"clWindow", 0xFF000005},    {"clWindowText", 0xFF000008},
    {"clHighlight", 0xFF00000D}, {"clHighlightText", 0xFF00000E}, {"clGrayText", 0xFF000011},
    {"clBtnShadow", 0xFF000010}, {"clBtnHighlight", 0xFF000014}, {"clNone", 0x1FFFFFFF},
};
}  // namespace

std::uint32_t ColorFromValue(const LayoutValue& value) {
    if (value.kind == LayoutValue::Kind::Integer) return std::uint32_t(value.AsInt32());
    const std::string& id = value.AsIdent();
    for (const NamedColor& c : kColors)
        if (EqualsNoCase(id, c.name)) return c.value;
    throw LayoutError("unknown colour '" + id + "'");
}

LayoutValue ColorToValue(std::uint32_t color) {
    for (const NamedColor& c : kColors)
        if (c.value == color) return LayoutValue::Ident(c.name);
    return LayoutValue::Int(std::int64_t(color));
}

bool SetFontProperty(Font& font, std::string_view sub, const LayoutValue& value) {
    if (EqualsNoCase(sub, "Name")) font.family = value.AsString();
    else if (EqualsNoCase(sub, "Height")) {
        int h = value.AsInt32();
        // Negative heights are the em height in pixels; positive ones include the internal
        // leading, which we approximate as the em height too.
        font.pixelHeight = h < 0 ? -h : h;
    } else if (EqualsNoCase(sub, "Size")) {
        font.size = value.AsInt32();
        font.pixelHeight = 0;
    } else if (EqualsNoCase(sub, "Color")) font.color = ColorFromValue(value);
    else if (EqualsNoCase(sub, "Style")) {
        if (value.kind != LayoutValue::Kind::Set) throw LayoutError("a set of font styles is expected");
        font.bold = font.italic = font.underline = false;
        for (const std::string& s : value.set) {
            if (EqualsNoCase(s, "fsBold")) font.bold = true;
            else if (EqualsNoCase(s, "fsItalic")) font.italic = true;
            else if (EqualsNoCase(s, "fsUnderline")) font.underline = true;
            else if (!EqualsNoCase(s, "fsStrikeOut")) throw LayoutError("unknown font style '" + s + "'");
        }
    } else if (EqualsNoCase(sub, "Charset") || EqualsNoCase(sub, "Pitch")) {
        // Character sets and pitch do not apply to our font engine.
    } else {
        return false;
    }
    return true;
}

void GetFontProperties(const Font& font, std::string_view prefix, std::vector<LayoutProperty>& out) {
    std::string p(prefix);
    out.push_back({p + "Color", ColorToValue(font.color)});
    if (font.pixelHeight > 0) out.push_back({p + "Height", LayoutValue::Int(-font.pixelHeight)});
    else out.push_back({p + "Size", LayoutValue::Int(font.size)});
    out.push_back({p + "Name", LayoutValue::Str(font.family)});
    std::vector<std::string> styles;
    if (font.bold) styles.push_back("fsBold");
    if (font.italic) styles.push_back("fsItalic");
    if (font.underline) styles.push_back("fsUnderline");
    out.push_back({p + "Style", LayoutValue::SetOf(std::move(styles))});
}

// ---------------------------------------------------------------- registry

namespace {
struct NoCaseLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const {
        std::size_t n = std::min(a.size(), b.size());
        for (std::size_t i = 0; i < n; ++i) {
            int x = std::tolower(static_cast<unsigned char>(a[i]));
            int y = std::tolower(static_cast<unsigned char>(b[i]));
            if (x != y) return x < y;
        }
        return a.size() < b.size();
    }
};
std::map<std::string, ControlFactory, NoCaseLess>& Registry() {
    static std::map<std::string, ControlFactory, NoCaseLess> registry;
    return registry;
}
}  // namespace

void RegisterControlClass(const std::string& className, ControlFactory factory) {
    Registry()[className] = std::move(factory);
}

bool IsControlClassRegistered(std::string_view className) { return Registry().find(className) != Registry().end(); }

std::unique_ptr<Control> CreateControl(std::string_view className) {
    auto it = Registry().find(className);
    if (it == Registry().end()) throw LayoutError("Class " + std::string(className) + " not found");
    std::unique_ptr<Control> c = it->second();
    if (!c) throw LayoutError("Class " + std::string(className) + " could not be created");
    return c;
}

void RegisterFrameworkClasses() {
    if (!IsControlClassRegistered("TEdit")) RegisterControlClass("TEdit", [] { return std::make_unique<Edit>(); });
}

// ---------------------------------------------------------------- loading and saving

namespace {

void ApplyProperties(Control& c, const LayoutObject& o, const LoadOptions& options) {
    for (const LayoutProperty& p : o.properties) {
        try {
            bool known;
            if (p.value.kind == LayoutValue::Kind::Binary) {
                std::vector<std::uint8_t> encoded = EncodeBinaryValue(p.value.binary);
                known = c.ReadBinaryProperty(p.name, encoded);
            } else {
                known = c.SetProperty(p.name, p.value);
            }
            if (!known && p.value.kind == LayoutValue::Kind::Identifier && detail::StartsWithNoCase(p.name, "On")) {
                c.StoredEvents().emplace_back(p.name, p.value.text);
                if (options.bindEvent) options.bindEvent(c, p.name, p.value.text);
                known = true;
            }
            if (!known && !options.ignoreUnknownProperties) throw LayoutError("Property does not exist");
        } catch (const std::exception& e) {
            std::string who = o.name.empty() ? o.className : o.name;
            throw LayoutError("Error reading " + who + "." + p.name + " (line " + std::to_string(o.line) +
                              "): " + e.what());
        }
    }
}

void LoadObject(Control& root, Control& c, const LayoutObject& o, const LoadOptions& options,
                std::vector<Control*>& loaded) {
    ApplyProperties(c, o, options);
    loaded.push_back(&c);
    for (const LayoutObject& child : o.children) {
        if (!c.IsWindowed()) {
            throw LayoutError("Error reading " + child.name + " (line " + std::to_string(child.line) + "): " +
                              (o.name.empty() ? o.className : o.name) + " cannot hold child controls");
        }
        std::unique_ptr<Control> made;
        try {
            made = CreateControl(child.className);
        } catch (const std::exception& e) {
            throw LayoutError("Error reading " + child.name + " (line " + std::to_string(child.line) + "): " +
                              e.what());
        }
        Control* k = root.Own(std::move(made));
        k->SetName(child.name);
        k->SetParent(&c);
        LoadObject(root, *k, child, options, loaded);
    }
}

LayoutObject SaveObject(const Control& root, const Control& c) {
    LayoutObject o;
    o.name = c.Name();
    o.className = c.ClassName();
    c.GetProperties(o.properties);
    for (const auto& [event, handler] : c.StoredEvents()) o.properties.push_back({event, LayoutValue::Ident(handler)});
    for (const Control* child : c.Children())
        if (child->Owner() == &root) o.children.push_back(SaveObject(root, *child));
    return o;
}

}  // namespace

void LoadLayout(Control& root, const LayoutObject& layout, const LoadOptions& options) {
    RegisterFrameworkClasses();
    if (root.Name().empty()) root.SetName(layout.name);
    std::vector<Control*> loaded;
    LoadObject(root, root, layout, options, loaded);
    for (Control* c : loaded) c->Loaded();
}

void LoadLayout(Control& root, std::string_view text, const LoadOptions& options) {
    LoadLayout(root, ParseLayout(text), options);
}

LayoutObject SaveLayout(const Control& root) { return SaveObject(root, root); }

}  // namespace veskel
