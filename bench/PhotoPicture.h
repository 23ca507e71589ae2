#pragma once
// A photo-like picture for the benchmarks: smooth gradients with a little per-pixel noise, so that
// compressing and resampling it cost what they cost on a real photo (flat colour would flatter
// the PNG encoder).
#include <algorithm>
#include <cstdint>

#include "platform/graphics/Picture.h"

namespace veskel::bench {

inline Picture PhotoPicture(int width, int height, bool withAlpha) {
    Picture p(Bitmap(width, height));
    std::uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = p.color.Row(y);
        for (int x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int n = int(noise >> 28) - 8;  // -8 .. 7
            row[3 * x + 0] = std::uint8_t(std::clamp(x * 255 / width + n, 0, 255));
            row[3 * x + 1] = std::uint8_t(std::clamp(y * 255 / height + n, 0, 255));
            row[3 * x + 2] = std::uint8_t(std::clamp(((x + y) / 16) % 256 + n, 0, 255));
        }
    }
    if (withAlpha) {
        p.EnsureAlpha(255);
        p.hasTransparency = true;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) p.AlphaRow(y)[x] = std::uint8_t(255 - x * 255 / width);
    }
    return p;
}

}  // namespace veskel::bench
