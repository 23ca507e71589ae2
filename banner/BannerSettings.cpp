#include "banner/BannerSettings.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>

#include "platform/text/CodePage.h"

namespace veskel {

namespace {

constexpr std::span<const FieldInfo> kFields = field_table::kRows;

// The table must tile the record exactly, with no gaps and no overlaps.
constexpr bool TableTilesRecord() {
    // Ranges fit the 32-bit values, and a default lies in its range.
    std::size_t next = 0;
    for (const FieldInfo& f : kFields) {
        if (f.offset != next) return false;
        if (f.reset == FieldReset::ToDefault && f.kind == FieldKind::Int && !f.InRange(f.defaultValue)) return false;
        if (!f.drawnAs.empty() && !f.HasRange()) return false;
        next += f.size;
    }
    return next == BannerSettings::kSize;
}
static_assert(TableTilesRecord(), "field table must cover the 593-byte record without gaps, defaults in range");

std::string Quote(std::string_view s) { return "\"" + std::string(s) + "\""; }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

BannerSettings BannerSettings::FromBytes(const Bytes& bytes) {
    BannerSettings s;
    s.bytes_ = bytes;
    return s;
}

void BannerSettings::OverwriteLeading(std::span<const std::uint8_t> data) {
    std::copy_n(data.begin(), std::min(data.size(), kSize), bytes_.begin());
}

std::uint32_t BannerSettings::GetU32(std::size_t offset) const {
    return std::uint32_t(bytes_[offset]) | (std::uint32_t(bytes_[offset + 1]) << 8) |
           (std::uint32_t(bytes_[offset + 2]) << 16) | (std::uint32_t(bytes_[offset + 3]) << 24);
}

void BannerSettings::SetU32(std::size_t offset, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_[offset + i] = std::uint8_t(v >> (8 * i));
}

std::string BannerSettings::GetString(std::size_t offset) const {
    const std::size_t n = bytes_[offset];
    return std::string(reinterpret_cast<const char*>(bytes_.data() + offset + 1), n);
}

void BannerSettings::SetString(std::size_t offset, std::string_view cp1251) {
    const std::size_t n = std::min<std::size_t>(cp1251.size(), kMaxStringChars);
    bytes_[offset] = std::uint8_t(n);
    std::copy_n(reinterpret_cast<const std::uint8_t*>(cp1251.data()), n, bytes_.begin() + offset + 1);
}

std::string BannerSettings::TextUtf8() const { return Cp1251ToUtf8(Text()); }
std::string BannerSettings::ProjectNameUtf8() const { return Cp1251ToUtf8(ProjectName()); }
void BannerSettings::SetTextUtf8(std::string_view utf8) { SetText(Utf8ToCp1251(utf8)); }
void BannerSettings::SetProjectNameUtf8(std::string_view utf8) { SetProjectName(Utf8ToCp1251(utf8)); }

std::span<const FieldInfo> BannerSettings::Fields() { return kFields; }

std::int64_t BannerSettings::Value(const FieldInfo& f) const {
    switch (f.kind) {
        case FieldKind::Int: return GetInt(f.offset);
        case FieldKind::Color: return GetU32(f.offset);
        case FieldKind::Flag: return bytes_[f.offset] != 0 ? 1 : 0;
        case FieldKind::String:
        case FieldKind::Reserved: break;
    }
    throw std::logic_error("field " + std::string(f.name) + " has no number value");
}

void BannerSettings::SetValue(const FieldInfo& f, std::int64_t v) {
    switch (f.kind) {
        case FieldKind::Int: SetInt(f.offset, std::int32_t(v)); return;
        case FieldKind::Color: SetU32(f.offset, std::uint32_t(v)); return;
        case FieldKind::Flag: bytes_[f.offset] = v != 0 ? 1 : 0; return;
        case FieldKind::Reserved:
            for (std::size_t i = 0; i < f.size; ++i) bytes_[f.offset + i] = std::uint8_t(std::uint64_t(v) >> (8 * i));
            return;
        case FieldKind::String: break;
    }
    throw std::logic_error("field " + std::string(f.name) + " has no number value");
}

const FieldInfo* BannerSettings::UndrawableField() const {
    // From the end of the record: Pattern comes before MirrorPattern, as the renderer meets them.
    for (auto f = kFields.rbegin(); f != kFields.rend(); ++f)
        if (!f->drawnAs.empty() && !f->InRange(GetInt(f->offset))) return &*f;
    return nullptr;
}

const FieldInfo* BannerSettings::FindField(std::string_view name) {
    for (const FieldInfo& f : kFields) {
        if (f.name == name) return &f;
    }
    return nullptr;
}

void BannerSettings::SetFieldFromString(std::string_view name, std::string_view value) {
    const FieldInfo* f = FindField(name);
    if (!f) throw FieldError("unknown field " + Quote(name));
    const std::string field = std::string(f->name);
    switch (f->kind) {
        case FieldKind::String: {
            std::optional<std::string> cp = TryUtf8ToCp1251(value);
            if (!cp) {
                try {
                    Utf8ToCp1251(value);  // for its message
                } catch (const std::exception& e) {
                    throw FieldError(field + ": " + e.what());
                }
                throw FieldError(field + ": text cannot be stored in Windows-1251");
            }
            SetString(f->offset, *cp);
            return;
        }
        case FieldKind::Int: {
            std::int32_t v = 0;
            std::string_view digits = value;
            if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
            auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
            if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
                throw FieldError(field + ": " + Quote(value) + " is not a 32-bit decimal integer");
            }
            SetInt(f->offset, v);
            return;
        }
        case FieldKind::Color: {
            std::uint32_t rgb = 0;
            bool ok = value.size() == 7 && value[0] == '#';
            for (std::size_t i = 1; ok && i < value.size(); ++i) {
                const int d = HexDigit(value[i]);
                ok = d >= 0;
                rgb = (rgb << 4) | std::uint32_t(d < 0 ? 0 : d);
            }
            if (!ok) throw FieldError(field + ": " + Quote(value) + " is not a colour of the form #RRGGBB");
            SetU32(f->offset, RGB(std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb)));
            return;
        }
        case FieldKind::Flag: {
            if (value != "0" && value != "1") throw FieldError(field + ": " + Quote(value) + " is not 0 or 1");
            bytes_[f->offset] = value == "1" ? 1 : 0;
            return;
        }
        case FieldKind::Reserved: {
            std::uint64_t v = 0;
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
            const bool fits = f->size >= 8 || v < (std::uint64_t(1) << (8 * f->size));
            if (value.empty() || ec != std::errc() || end != value.data() + value.size() || !fits) {
                throw FieldError(field + ": " + Quote(value) + " is not an unsigned integer of " +
                                 std::to_string(f->size) + " byte(s)");
            }
            for (std::size_t i = 0; i < f->size; ++i) bytes_[f->offset + i] = std::uint8_t(v >> (8 * i));
            return;
        }
    }
}

std::string BannerSettings::FieldToString(std::string_view name) const {
    const FieldInfo* f = FindField(name);
    if (!f) throw FieldError("unknown field " + Quote(name));
    switch (f->kind) {
        case FieldKind::String:
            return Cp1251ToUtf8(GetString(f->offset));
        case FieldKind::Int:
            return std::to_string(GetInt(f->offset));
        case FieldKind::Color: {
            const Color c = GetU32(f->offset);
            char buf[16];
            std::snprintf(buf, sizeof buf, "#%02X%02X%02X", GetR(c), GetG(c), GetB(c));
            return buf;
        }
        case FieldKind::Flag:
            return bytes_[f->offset] != 0 ? "1" : "0";
        case FieldKind::Reserved: {
            std::uint64_t v = 0;
            for (std::size_t i = 0; i < f->size; ++i) v |= std::uint64_t(bytes_[f->offset + i]) << (8 * i);
            return std::to_string(v);
        }
    }
    return {};
}

}  // namespace veskel
