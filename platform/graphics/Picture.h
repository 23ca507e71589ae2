#pragma once
// A picture: a 24-bit bitmap plus an optional 8-bit alpha plane (255 = opaque), as the
// decoders produce it and as skins, layers and the overlay picture are held.
#include <cstdint>
#include <vector>

#include "platform/graphics/Bitmap.h"

namespace veskel {

struct Picture {
    Bitmap color;
    // Empty, or Width() x Height() bytes, rows top first.
    std::vector<std::uint8_t> alpha;
    // Whether the source carried any transparency (an alpha channel, a transparent colour or
    // palette transparency). Decoders set it together with the alpha plane.
    bool hasTransparency = false;

    Picture() = default;
    explicit Picture(Bitmap bitmap) : color(std::move(bitmap)) {}

    int Width() const { return color.Width(); }
    int Height() const { return color.Height(); }
    bool IsEmpty() const { return color.IsEmpty(); }
    bool HasAlpha() const { return !alpha.empty(); }
    std::uint8_t* AlphaRow(int y) { return alpha.data() + std::size_t(y) * std::size_t(Width()); }
    const std::uint8_t* AlphaRow(int y) const { return alpha.data() + std::size_t(y) * std::size_t(Width()); }

    // Gives the picture an alpha plane with every value set to `value` (keeps an existing one).
    void EnsureAlpha(std::uint8_t value = 255) {
        if (alpha.empty()) alpha.assign(std::size_t(Width()) * std::size_t(Height()), value);
    }
    void DropAlpha() {
        alpha.clear();
        hasTransparency = false;
    }

    friend bool operator==(const Picture&, const Picture&) = default;
};

}  // namespace veskel
