#pragma once
#include <cstdint>

namespace veskel {

// A colour value: 0x00BBGGRR, red in the low byte. Values with the top byte set are
// system colours, resolved only where a caller says so.
using Color = std::uint32_t;

constexpr Color RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return Color(r) | (Color(g) << 8) | (Color(b) << 16);
}
constexpr std::uint8_t GetR(Color c) { return std::uint8_t(c & 0xFF); }
constexpr std::uint8_t GetG(Color c) { return std::uint8_t((c >> 8) & 0xFF); }
constexpr std::uint8_t GetB(Color c) { return std::uint8_t((c >> 16) & 0xFF); }

constexpr Color kBlack = RGB(0, 0, 0);
constexpr Color kWhite = RGB(255, 255, 255);

}  // namespace veskel
