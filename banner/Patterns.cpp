#include "banner/Patterns.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <span>
#include <string>
#include <string_view>

#include "platform/Resources.h"

namespace veskel {

namespace {

struct TileArt {
    int width;
    int height;
    const char* rows;  // rows from the top, '#' black, '.' white, no separators
};

constexpr TileArt kTileArt[kPatternCount] = {
    {4, 4, "#..." ".#.." "..#." "...#"},
    {4, 4, "...#" "..#." ".#.." "#..."},
    {3, 3, "#.." ".#." "..#"},
    {3, 3, "..#" ".#." "#.."},
    {4, 4, "#..." ".#.#" "..#." ".#.#"},
    {10, 8,
     "###.....##"
     "##.......#"
     "#....#...."
     "....###..."
     "...#####.."
     "....###..."
     "#....#...."
     "##.......#"},
};

constexpr const char* kMirrorResources[kMirrorLayerCount] = {
    "banner/res/mirror0_wave_bottom.png",    "banner/res/mirror1_wave_top.png",
    "banner/res/mirror2_wave_left.png",      "banner/res/mirror3_wave_right.png",
    "banner/res/mirror4_ellipse_bottom.png", "banner/res/mirror5_ellipse_top.png",
};

// Glow alpha by distance from the nearest edge, and the 5 x 5 corner block (rows and columns
// counted from the outer edges), mirrored into all four corners.
constexpr int kGlowEdge[6] = {160, 108, 66, 34, 13, 3};
constexpr int kGlowCorner[5][5] = {
    {192, 192, 192, 178, 166}, {192, 183, 152, 130, 115}, {192, 152, 118, 92, 74},
    {178, 130, 92, 63, 44},    {166, 115, 74, 44, 24},
};

// The glow's grey level follows its alpha: nearly white, a little darker where it is faint.
std::uint8_t GlowGrey(int alpha) {
    if (alpha >= 130) return 255;
    if (alpha >= 63) return 254;
    switch (alpha) {
        case 44: return 252;
        case 34: return 251;
        case 24: return 249;
        case 13: return 244;
        default: return 209;  // the inner alpha 3
    }
}

void CheckIndex(int index, int count, const char* what) {
    if (index < 0 || index >= count) {
        throw std::out_of_range(std::string(what) + " index " + std::to_string(index) + " is outside 0.." +
                                std::to_string(count - 1));
    }
}

}  // namespace

const Bitmap& PatternTile(int index) {
    CheckIndex(index, kPatternCount, "pattern");
    static const std::array<Bitmap, kPatternCount> tiles = [] {
        std::array<Bitmap, kPatternCount> out;
        for (int i = 0; i < kPatternCount; ++i) {
            const TileArt& art = kTileArt[i];
            out[i] = Bitmap(art.width, art.height);
            for (int y = 0; y < art.height; ++y) {
                for (int x = 0; x < art.width; ++x) {
                    out[i].SetPixel(x, y, art.rows[y * art.width + x] == '#' ? kBlack : kWhite);
                }
            }
        }
        return out;
    }();
    return tiles[index];
}

std::string_view MirrorLayerResource(int index) {
    CheckIndex(index, kMirrorLayerCount, "mirror pattern");
    return kMirrorResources[index];
}

// A layer from its decoded form embedded beside the PNG: width and height as 32-bit little-endian
// numbers, the colour plane (blue, green, red), then the alpha plane.
Picture LayerFromPixels(std::string_view name) {
    const std::span<const std::uint8_t> data = Resource(name);
    const auto u32 = [&](std::size_t at) {
        return std::uint32_t(data[at]) | std::uint32_t(data[at + 1]) << 8 | std::uint32_t(data[at + 2]) << 16 |
               std::uint32_t(data[at + 3]) << 24;
    };
    const std::size_t pixels = std::size_t(kLayerWidth) * kLayerHeight;
    if (data.size() != 8 + 4 * pixels || u32(0) != std::uint32_t(kLayerWidth) || u32(4) != std::uint32_t(kLayerHeight))
        throw std::runtime_error(std::string(name) + " is not a 350 x 19 layer");
    Picture p(Bitmap(kLayerWidth, kLayerHeight));
    std::copy_n(data.data() + 8, 3 * pixels, p.color.Data());
    p.alpha.assign(data.data() + 8 + 3 * pixels, data.data() + 8 + 4 * pixels);
    p.hasTransparency = true;
    return p;
}

const Picture& MirrorLayer(int index) {
    CheckIndex(index, kMirrorLayerCount, "mirror pattern");
    // Made once and shared: the embedded data never changes.
    static std::array<Picture, kMirrorLayerCount> layers;
    static std::once_flag once[kMirrorLayerCount];
    std::call_once(once[index], [index] {
        layers[index] = LayerFromPixels(std::string(kMirrorResources[index]) + ".pixels");
    });
    return layers[index];
}

void GlowRow(int y, std::uint8_t* colour, std::uint8_t* alpha) {
    const int row = std::min(y, kLayerHeight - 1 - y);
    for (int x = 0; x < kLayerWidth; ++x) {
        const int col = std::min(x, kLayerWidth - 1 - x);
        const int a = (row < 5 && col < 5) ? kGlowCorner[row][col] : kGlowEdge[std::min(std::min(row, col), 5)];
        const std::uint8_t g = GlowGrey(a);
        colour[3 * x] = colour[3 * x + 1] = colour[3 * x + 2] = g;
        alpha[x] = std::uint8_t(a);
    }
}

const Picture& GlowLayer() {
    static const Picture glow = [] {
        Picture p(Bitmap(kLayerWidth, kLayerHeight));
        p.EnsureAlpha(0);
        p.hasTransparency = true;
        for (int y = 0; y < kLayerHeight; ++y) {
            const int row = std::min(y, kLayerHeight - 1 - y);
            // Rows as far from the top as this one is from the bottom are the same: copy it.
            if (y != row) {
                std::copy_n(p.color.Row(row), 3 * kLayerWidth, p.color.Row(y));
                std::copy_n(p.AlphaRow(row), kLayerWidth, p.AlphaRow(y));
            } else {
                GlowRow(y, p.color.Row(y), p.AlphaRow(y));
            }
        }
        return p;
    }();
    return glow;
}

}  // namespace veskel
