#pragma once
// The 20 static colours of the classic platform's default palette and its nearest-entry search.
#include <array>
#include <cstdint>
#include <span>

namespace veskel {

struct PaletteEntry {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

// Entries 0..9 are the first ten static colours, 10..19 the last ten.
const std::array<PaletteEntry, 20>& DefaultPalette();

// Index of the entry with the smallest Euclidean distance to (r, g, b); ties go to the lowest index.
// An empty palette gives -1.
int NearestPaletteIndex(std::span<const PaletteEntry> palette, std::uint8_t r, std::uint8_t g, std::uint8_t b);

}  // namespace veskel
