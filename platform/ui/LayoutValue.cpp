#include "platform/ui/LayoutValue.h"

#include <algorithm>
#include <limits>

#include "platform/ui/NoCase.h"

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
        const std::int64_t h = value.AsInt32();
        // Negative heights are the em height in pixels; positive ones include the internal
        // leading, which we approximate as the em height too. The int range's lowest value has
        // no positive counterpart and is held at the highest.
        font.pixelHeight = int(std::min<std::int64_t>(h < 0 ? -h : h, std::numeric_limits<std::int32_t>::max()));
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

}  // namespace veskel
