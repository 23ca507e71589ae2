#include "platform/graphics/Palette.h"

namespace veskel {

const std::array<PaletteEntry, 20>& DefaultPalette() {
    static const std::array<PaletteEntry, 20> kPalette = {{
        {0, 0, 0},        // black
        {128, 0, 0},      // dark red
        {0, 128, 0},      // dark green
        {128, 128, 0},    // dark yellow
        {0, 0, 128},      // dark blue
        {128, 0, 128},    // dark magenta
        {0, 128, 128},    // dark cyan
        {192, 192, 192},  // light grey
        {192, 220, 192},  // money green
        {166, 202, 240},  // sky blue
        {255, 251, 240},  // cream
        {160, 160, 164},  // medium grey
        {128, 128, 128},  // dark grey
        {255, 0, 0},      // red
        {0, 255, 0},      // green
        {255, 255, 0},    // yellow
        {0, 0, 255},      // blue
        {255, 0, 255},    // magenta
        {0, 255, 255},    // cyan
        {255, 255, 255},  // white
    }};
    return kPalette;
}

int NearestPaletteIndex(std::span<const PaletteEntry> palette, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    // Squared distances compare the same as distances and stay exact in integers.
    int best = -1;
    int bestDistance = -1;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        int dr = int(palette[i].r) - r;
        int dg = int(palette[i].g) - g;
        int db = int(palette[i].b) - b;
        int d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {  // strictly smaller: a tie keeps the lower index
            best = int(i);
            bestDistance = d;
            if (d == 0) break;
        }
    }
    return best;
}

}  // namespace veskel
