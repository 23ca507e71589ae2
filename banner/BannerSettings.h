#pragma once
// BannerSettings: the one document record of a banner design, 593 bytes, packed, little-endian.
// Its bytes are the head of a .vzk project file, so the record is held as those bytes and read
// and written byte for byte: reserved fields and the bytes after a string's length survive every
// load and save untouched. Typed getters and setters read and write each field at its offset.
//
// Field kinds:
//   String  256 bytes: length byte n, then n characters in Windows-1251; the rest kept as is
//   Int     32-bit signed little-endian
//   Color   32-bit 0x00BBGGRR (red in the low byte), stored as it comes
//   Flag    one byte; any non-zero byte reads as on, setters write 0 or 1
//   Reserved raw bytes (1 or 8), never interpreted
//
// The field table (field_table::kRows) holds every field's name, place, kind, default, range and
// what follows setting it; Fields(), FindField() and SetFieldFromString() let scripts set any
// field by name.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "banner/Patterns.h"
#include "platform/graphics/Color.h"
#include "platform/lang/Translate.h"

namespace veskel {

// Banner geometry.
inline constexpr int kBannerWidth = 350;
inline constexpr int kBannerHeight = 20;
// The text ends this many pixels before the right edge after a position reset (x = 346).
inline constexpr int kTextRightMargin = 4;
inline constexpr int kTextRightEdge = kBannerWidth - kTextRightMargin;
// Texts must measure less than this many pixels.
inline constexpr int kMaxTextWidth = kBannerWidth - 10;
// A string field holds at most this many characters.
inline constexpr int kMaxStringChars = 255;

// Largest overlay side a step or a stored size may reach (the decoders' limit).
inline constexpr int kMaxOverlaySide = 16384;

enum class FieldKind { String, Int, Color, Flag, Reserved };

// What a new design does with a field.
enum class FieldReset {
    Kept,            // left as it is (the overlay's place and size, the reserved bytes)
    ToDefault,       // set to the row's default
    RightAlignText,  // 346 minus the width of Text: the text ends 4 pixels before the right edge
};

// What the document does after a field was stored, besides telling its listeners.
enum class AfterSet {
    None,
    Reshape,  // the overlay's size: the picture is resampled to it at once
    Refade,   // the overlay's opacity: the prepared picture is made again
};

// One field of the record. Everything the document, the window's bindings, the project reader
// and the command line know about a field comes from its row.
struct FieldInfo {
    std::string_view name;  // as scripts and the record name it: "Text", "TextX", "Color1", ...
    std::size_t offset;
    std::size_t size;
    FieldKind kind;
    FieldReset reset = FieldReset::Kept;
    std::int64_t defaultValue = 0;      // Int, Color (0x00BBGGRR), Flag, Reserved
    std::string_view defaultText = {};  // String (Windows-1251)
    // The values the window's controls produce; scripts are held to them. min > max: any value.
    std::int32_t min = 1, max = 0;
    // Set for an index the renderer looks up: outside the range the banner cannot be drawn, so
    // the renderer and the project reader refuse it. Names the value in their messages.
    std::string_view drawnAs = {};
    // The controls change it only while Overlay is on.
    bool needsOverlay = false;
    AfterSet afterSet = AfterSet::None;

    constexpr bool HasRange() const { return min <= max; }
    constexpr bool InRange(std::int64_t v) const { return !HasRange() || (v >= min && v <= max); }
};

namespace field_table {
using enum FieldKind;
using enum FieldReset;
// The record, in the order of its bytes.
inline constexpr FieldInfo kRows[] = {
    {.name = "Text", .offset = 0, .size = 256, .kind = String, .reset = ToDefault,
     .defaultText = "Brannock veskel generator"},
    {.name = "ProjectName", .offset = 256, .size = 256, .kind = String, .reset = ToDefault, .defaultText = "untitled"},
    {.name = "Reserved1", .offset = 512, .size = 1, .kind = Reserved, .reset = ToDefault},
    {.name = "TextX", .offset = 513, .size = 4, .kind = Int, .reset = RightAlignText},
    {.name = "TextY", .offset = 517, .size = 4, .kind = Int, .reset = ToDefault, .defaultValue = 5},
    {.name = "Color1", .offset = 521, .size = 4, .kind = Color, .reset = ToDefault, .defaultValue = RGB(241, 77, 33)},
    {.name = "Color2", .offset = 525, .size = 4, .kind = Color, .reset = ToDefault, .defaultValue = RGB(89, 194, 13)},
    {.name = "Glow", .offset = 529, .size = 1, .kind = Flag, .reset = ToDefault, .defaultValue = 1},
    {.name = "Border", .offset = 530, .size = 1, .kind = Flag, .reset = ToDefault, .defaultValue = 1},
    {.name = "BorderColor", .offset = 531, .size = 4, .kind = Color, .reset = ToDefault, .defaultValue = 0},
    {.name = "Horizontal", .offset = 535, .size = 1, .kind = Flag, .reset = ToDefault, .defaultValue = 1},
    {.name = "MirrorPattern", .offset = 536, .size = 4, .kind = Int, .reset = ToDefault, .defaultValue = 5,
     .min = 0, .max = kMirrorLayerCount - 1, .drawnAs = TrLater("highlight layer")},
    {.name = "MirrorStrength", .offset = 540, .size = 4, .kind = Int, .reset = ToDefault, .defaultValue = 90,
     .min = 0, .max = 99},
    {.name = "Pattern", .offset = 544, .size = 4, .kind = Int, .reset = ToDefault, .defaultValue = 2,
     .min = 0, .max = kPatternCount - 1, .drawnAs = TrLater("pattern")},
    {.name = "PatternStrength", .offset = 548, .size = 4, .kind = Int, .reset = ToDefault, .defaultValue = 95,
     .min = 0, .max = 99},
    {.name = "Overlay", .offset = 552, .size = 1, .kind = Flag, .reset = ToDefault, .defaultValue = 0},
    {.name = "OverlayX", .offset = 553, .size = 4, .kind = Int},
    {.name = "OverlayY", .offset = 557, .size = 4, .kind = Int},
    {.name = "OverlayWidth", .offset = 561, .size = 4, .kind = Int, .min = 1, .max = kMaxOverlaySide,
     .afterSet = AfterSet::Reshape},
    {.name = "OverlayHeight", .offset = 565, .size = 4, .kind = Int, .min = 1, .max = kMaxOverlaySide,
     .afterSet = AfterSet::Reshape},
    {.name = "Reserved2", .offset = 569, .size = 8, .kind = Reserved},
    {.name = "OverlayOpacity", .offset = 577, .size = 4, .kind = Int, .reset = ToDefault, .defaultValue = 180,
     .min = 0, .max = 200, .needsOverlay = true, .afterSet = AfterSet::Refade},
    {.name = "PictureSize", .offset = 581, .size = 4, .kind = Int},
    {.name = "Reserved3", .offset = 585, .size = 8, .kind = Reserved},
};
}  // namespace field_table

// The row of a field named in code: Field("Color1"). A name that is not in the table does not
// compile.
consteval const FieldInfo& Field(std::string_view name) {
    for (const FieldInfo& f : field_table::kRows)
        if (f.name == name) return f;
    throw "no field of that name";
}

// A value given for a field by name could not be used (unknown name, bad number, bad colour,
// text outside the code page). what() says which field and why.
class FieldError : public std::runtime_error {
public:
    explicit FieldError(const std::string& message) : std::runtime_error(message) {}
};

class BannerSettings {
public:
    static constexpr std::size_t kSize = 593;
    using Bytes = std::array<std::uint8_t, kSize>;

    // Offsets of the fields, as the table gives them.
    static constexpr std::size_t kText = Field("Text").offset;
    static constexpr std::size_t kProjectName = Field("ProjectName").offset;
    static constexpr std::size_t kReserved1 = Field("Reserved1").offset;
    static constexpr std::size_t kTextX = Field("TextX").offset;
    static constexpr std::size_t kTextY = Field("TextY").offset;
    static constexpr std::size_t kColor1 = Field("Color1").offset;
    static constexpr std::size_t kColor2 = Field("Color2").offset;
    static constexpr std::size_t kGlow = Field("Glow").offset;
    static constexpr std::size_t kBorder = Field("Border").offset;
    static constexpr std::size_t kBorderColor = Field("BorderColor").offset;
    static constexpr std::size_t kHorizontal = Field("Horizontal").offset;
    static constexpr std::size_t kMirrorPattern = Field("MirrorPattern").offset;
    static constexpr std::size_t kMirrorStrength = Field("MirrorStrength").offset;
    static constexpr std::size_t kPattern = Field("Pattern").offset;
    static constexpr std::size_t kPatternStrength = Field("PatternStrength").offset;
    static constexpr std::size_t kOverlay = Field("Overlay").offset;
    static constexpr std::size_t kOverlayX = Field("OverlayX").offset;
    static constexpr std::size_t kOverlayY = Field("OverlayY").offset;
    static constexpr std::size_t kOverlayWidth = Field("OverlayWidth").offset;
    static constexpr std::size_t kOverlayHeight = Field("OverlayHeight").offset;
    static constexpr std::size_t kReserved2 = Field("Reserved2").offset;
    static constexpr std::size_t kOverlayOpacity = Field("OverlayOpacity").offset;
    static constexpr std::size_t kPictureSize = Field("PictureSize").offset;
    static constexpr std::size_t kReserved3 = Field("Reserved3").offset;

    // Every byte 0, as at process start.
    BannerSettings() { bytes_.fill(0); }

    // ---- raw bytes (what the project file stores)
    const Bytes& GetBytes() const { return bytes_; }
    Bytes& MutableBytes() { return bytes_; }
    static BannerSettings FromBytes(const Bytes& bytes);
    // Copies data over the leading bytes of the record (at most kSize); the rest stays as it is.
    // This is how a short project file is taken.
    void OverwriteLeading(std::span<const std::uint8_t> data);

    // ---- string fields (raw Windows-1251 bytes, at most 255 of them)
    std::string Text() const { return GetString(kText); }
    std::string ProjectName() const { return GetString(kProjectName); }
    // Stores the first 255 bytes; bytes after the new length keep their old values.
    void SetText(std::string_view cp1251) { SetString(kText, cp1251); }
    void SetProjectName(std::string_view cp1251) { SetString(kProjectName, cp1251); }
    // The same fields in UTF-8. The setters throw CodePageError (platform/text/CodePage.h) when a
    // character is outside Windows-1251, leaving the field unchanged.
    std::string TextUtf8() const;
    std::string ProjectNameUtf8() const;
    void SetTextUtf8(std::string_view utf8);
    void SetProjectNameUtf8(std::string_view utf8);

    // ---- integers
    std::int32_t TextX() const { return GetInt(kTextX); }
    std::int32_t TextY() const { return GetInt(kTextY); }
    std::int32_t MirrorPattern() const { return GetInt(kMirrorPattern); }
    std::int32_t MirrorStrength() const { return GetInt(kMirrorStrength); }
    std::int32_t Pattern() const { return GetInt(kPattern); }
    std::int32_t PatternStrength() const { return GetInt(kPatternStrength); }
    std::int32_t OverlayX() const { return GetInt(kOverlayX); }
    std::int32_t OverlayY() const { return GetInt(kOverlayY); }
    std::int32_t OverlayWidth() const { return GetInt(kOverlayWidth); }
    std::int32_t OverlayHeight() const { return GetInt(kOverlayHeight); }
    std::int32_t OverlayOpacity() const { return GetInt(kOverlayOpacity); }
    std::int32_t PictureSize() const { return GetInt(kPictureSize); }
    void SetTextX(std::int32_t v) { SetInt(kTextX, v); }
    void SetTextY(std::int32_t v) { SetInt(kTextY, v); }
    void SetMirrorPattern(std::int32_t v) { SetInt(kMirrorPattern, v); }
    void SetMirrorStrength(std::int32_t v) { SetInt(kMirrorStrength, v); }
    void SetPattern(std::int32_t v) { SetInt(kPattern, v); }
    void SetPatternStrength(std::int32_t v) { SetInt(kPatternStrength, v); }
    void SetOverlayX(std::int32_t v) { SetInt(kOverlayX, v); }
    void SetOverlayY(std::int32_t v) { SetInt(kOverlayY, v); }
    void SetOverlayWidth(std::int32_t v) { SetInt(kOverlayWidth, v); }
    void SetOverlayHeight(std::int32_t v) { SetInt(kOverlayHeight, v); }
    void SetOverlayOpacity(std::int32_t v) { SetInt(kOverlayOpacity, v); }
    void SetPictureSize(std::int32_t v) { SetInt(kPictureSize, v); }

    // ---- colours
    Color Color1() const { return GetU32(kColor1); }
    Color Color2() const { return GetU32(kColor2); }
    Color BorderColor() const { return GetU32(kBorderColor); }
    void SetColor1(Color c) { SetU32(kColor1, c); }
    void SetColor2(Color c) { SetU32(kColor2, c); }
    void SetBorderColor(Color c) { SetU32(kBorderColor, c); }

    // ---- flags
    bool Glow() const { return bytes_[kGlow] != 0; }
    bool Border() const { return bytes_[kBorder] != 0; }
    bool Horizontal() const { return bytes_[kHorizontal] != 0; }
    bool Overlay() const { return bytes_[kOverlay] != 0; }
    void SetGlow(bool on) { bytes_[kGlow] = on ? 1 : 0; }
    void SetBorder(bool on) { bytes_[kBorder] = on ? 1 : 0; }
    void SetHorizontal(bool on) { bytes_[kHorizontal] = on ? 1 : 0; }
    void SetOverlay(bool on) { bytes_[kOverlay] = on ? 1 : 0; }

    // ---- reserved
    std::uint8_t Reserved1() const { return bytes_[kReserved1]; }
    void SetReserved1(std::uint8_t v) { bytes_[kReserved1] = v; }

    // ---- any field by its row: Int, Color and Flag values (a flag reads 0 or 1; setting one
    // stores 0 or 1), the form the window's controls and the document's setter use
    std::int64_t Value(const FieldInfo& field) const;
    void SetValue(const FieldInfo& field, std::int64_t value);

    // ---- any field by offset (little-endian)
    std::int32_t GetInt(std::size_t offset) const { return std::int32_t(GetU32(offset)); }
    void SetInt(std::size_t offset, std::int32_t v) { SetU32(offset, std::uint32_t(v)); }
    std::uint32_t GetU32(std::size_t offset) const;
    void SetU32(std::size_t offset, std::uint32_t v);
    std::string GetString(std::size_t offset) const;
    void SetString(std::size_t offset, std::string_view cp1251);

    // ---- the field table
    static std::span<const FieldInfo> Fields();
    // nullptr when there is no field of that name (names are case-sensitive).
    static const FieldInfo* FindField(std::string_view name);
    // A field the renderer looks up whose value lies outside its range (the banner cannot be
    // drawn), the one it meets first; nullptr when every one is in range.
    const FieldInfo* UndrawableField() const;
    // Sets a field from its text form: Int in decimal (an optional sign, digits, in 32-bit
    // range), Color as #RRGGBB, Flag as 0 or 1, String as UTF-8 (first 255 characters), Reserved
    // as a decimal unsigned integer stored little-endian in the field's bytes. Throws FieldError
    // naming the field when the name is unknown or the value does not fit; the record is then
    // unchanged.
    void SetFieldFromString(std::string_view name, std::string_view value);
    // The text form of a field as SetFieldFromString reads it (strings in UTF-8).
    std::string FieldToString(std::string_view name) const;

    friend bool operator==(const BannerSettings&, const BannerSettings&) = default;

private:
    Bytes bytes_;
};

static_assert(sizeof(BannerSettings::Bytes) == 593);

}  // namespace veskel
