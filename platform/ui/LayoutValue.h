#pragma once
// The values of a stored layout (StoredLayout.h): integers, floats, strings, identifiers, sets,
// lists and binary blocks, with checked readers; the stored-form binary encoding of a binary
// property; and fonts and colours as stored layouts write them.
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/Font.h"

namespace veskel {

class LayoutError : public std::runtime_error {
public:
    explicit LayoutError(const std::string& message) : std::runtime_error(message) {}
};

struct LayoutValue {
    enum class Kind { Integer, Float, String, Identifier, Set, List, Binary };
    Kind kind = Kind::Integer;
    std::int64_t integer = 0;
    double real = 0;
    std::string text;                  // String (UTF-8) or Identifier
    std::vector<std::string> set;      // Set elements
    std::vector<LayoutValue> list;     // List items
    std::vector<std::uint8_t> binary;  // Binary payload (without the type byte and length)

    static LayoutValue Int(std::int64_t v);
    static LayoutValue Real(double v);
    static LayoutValue Str(std::string v);
    static LayoutValue Ident(std::string v);
    static LayoutValue Bool(bool v) { return Ident(v ? "True" : "False"); }
    static LayoutValue SetOf(std::vector<std::string> elements);
    static LayoutValue ListOf(std::vector<LayoutValue> items);
    static LayoutValue Bytes(std::vector<std::uint8_t> payload);

    // Checked readers: throw LayoutError naming the expected kind.
    std::int64_t AsInt() const;
    // An integer that fits in 32 bits.
    int AsInt32() const;
    double AsReal() const;           // integers convert
    const std::string& AsString() const;
    const std::string& AsIdent() const;
    bool AsBool() const;             // True/False (any case)
    std::vector<std::string> AsStrings() const;  // a list of strings

    friend bool operator==(const LayoutValue&, const LayoutValue&) = default;
};

struct LayoutProperty {
    std::string name;
    LayoutValue value;
    friend bool operator==(const LayoutProperty&, const LayoutProperty&) = default;
};

// ---- the stored-form binary encoding of a binary property
constexpr std::uint8_t kBinaryValueType = 10;
// Type byte 10, 4-byte little-endian length, payload.
std::vector<std::uint8_t> EncodeBinaryValue(std::span<const std::uint8_t> payload);
// The payload of an encoded value; throws LayoutError when the type byte is not 10 or the length
// does not match the bytes given.
std::span<const std::uint8_t> DecodeBinaryValue(std::span<const std::uint8_t> encoded);

// ---- fonts as stored ("Font.Name", "Font.Height" (negative = pixels), "Font.Size",
// "Font.Color", "Font.Style" = [fsBold, fsItalic, fsUnderline], "Font.Charset")
// Applies one sub-property of a font; false for an unknown sub-name.
bool SetFontProperty(Font& font, std::string_view subName, const LayoutValue& value);
void GetFontProperties(const Font& font, std::string_view prefix, std::vector<LayoutProperty>& out);
// Colour values: integers or clXxx identifiers (clBlack, clWhite, clBtnFace, ...).
std::uint32_t ColorFromValue(const LayoutValue& value);
LayoutValue ColorToValue(std::uint32_t color);

}  // namespace veskel
