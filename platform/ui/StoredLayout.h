#pragma once
// The stored layout of a window: a readable text form of a control tree, as the classic stored
// form has it:
//
//   object Form1: TForm1
//     Left = 192
//     Caption = 'Brannock '#1042'eskel'
//     Font.Style = [fsBold]
//     Lines.Strings = (
//       'one'
//       'two')
//     object GlassButton1: TGlassButton
//       QORPNGData1 = {
//         89504E470D0A1A0A...}
//       OnClick = GlassButton1Click
//     end
//   end
//
// Values: integers, floats, 'quoted' strings (a doubled quote is a quote; #nnn is the character
// with that code point; pieces join with + across lines), identifiers (True/False for booleans),
// sets [a, b], lists ( ... ) and binary values { hex } holding the payload bytes. Properties keep
// their stored order. The reader creates controls by class name through a registry and applies
// each property through the control's SetProperty, in stored order; a binary value reaches the
// control's ReadBinaryProperty in the stored-form binary encoding (type byte 10, 4-byte
// little-endian length, payload).
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/Font.h"

namespace veskel {

class Control;

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

struct LayoutObject {
    std::string name;
    std::string className;
    std::vector<LayoutProperty> properties;
    std::vector<LayoutObject> children;
    int line = 0;  // where the object started in the text (for messages)

    const LayoutProperty* FindProperty(std::string_view name) const;
    friend bool operator==(const LayoutObject& a, const LayoutObject& b) {
        return a.name == b.name && a.className == b.className && a.properties == b.properties &&
               a.children == b.children;
    }
};

// ---- text form
// Parses one object (with its children). Throws LayoutError with the line number on bad input.
LayoutObject ParseLayout(std::string_view text);
// Writes the text form: two spaces of indent per level, binary values 32 bytes a line.
std::string WriteLayout(const LayoutObject& object);

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

// ---- the class registry
using ControlFactory = std::function<std::unique_ptr<Control>()>;
// Registers (or replaces) the factory for a stored class name.
void RegisterControlClass(const std::string& className, ControlFactory factory);
bool IsControlClassRegistered(std::string_view className);
// A new control of a registered class; throws LayoutError for an unknown class.
std::unique_ptr<Control> CreateControl(std::string_view className);

// Registers the framework's own classes (TEdit, TPanel-like containers come from their owners).
// Called by LoadLayout; harmless to call again.
void RegisterFrameworkClasses();

// Connects a stored event binding ("OnClick" = "GlassButton1Click") to code. Return false when
// the handler is unknown (the binding is kept on the control either way).
using EventBinder = std::function<bool(Control& control, const std::string& event, const std::string& handler)>;

struct LoadOptions {
    EventBinder bindEvent;
    // When false (the default) an unknown property is an error, as the classic reader has it.
    bool ignoreUnknownProperties = false;
};

// Applies a parsed layout to an existing root control (usually a form): the root's properties,
// then each child object, created through the registry, owned by the root and parented to its
// enclosing object, with its properties applied in stored order. Loaded() runs on every control
// at the end. Errors name the object and property: "Error reading GlassButton1.HUE: ...".
void LoadLayout(Control& root, const LayoutObject& layout, const LoadOptions& options = {});
void LoadLayout(Control& root, std::string_view text, const LoadOptions& options = {});

// The layout of a control tree: the control's properties (GetProperties) and its children in
// z-order, recursively.
LayoutObject SaveLayout(const Control& root);

}  // namespace veskel
