#pragma once
// The built-in images of the banner: six black-and-white tiles, six white highlight ("mirror")
// layers and the edge-glow layer, with the names the two list boxes show in index order.
#include <array>
#include <cstdint>
#include <string_view>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"

namespace veskel {

inline constexpr int kPatternCount = 6;
inline constexpr int kMirrorLayerCount = 6;
inline constexpr int kLayerWidth = 350;
inline constexpr int kLayerHeight = 19;

inline constexpr std::array<std::string_view, kPatternCount> kPatternNames = {
    "4x4 LR diagonal", "4x4 RL diagonal", "3x3 LR diagonal", "3x3 RL diagonal", "Diagonal cross", "Dots pattern"};
inline constexpr std::array<std::string_view, kMirrorLayerCount> kMirrorLayerNames = {
    "Wave bottom", "Wave top", "Wave left", "Wave right", "Ellipse bottom", "Ellipse top"};

// The tile for a pattern index 0..5 (black and white pixels). Throws std::out_of_range otherwise.
const Bitmap& PatternTile(int index);

// The 350 x 19 white layer with alpha for a mirror index 0..5, from the decoded copy of its PNG
// embedded at build time.
// Throws std::out_of_range for other indices.
const Picture& MirrorLayer(int index);

// The 350 x 19 edge glow, built from its alpha table.
const Picture& GlowLayer();
// Row y of the glow layer: kLayerWidth pixels of colour (blue, green, red) and of alpha.
void GlowRow(int y, std::uint8_t* colour, std::uint8_t* alpha);

// The embedded resource name of a mirror layer's PNG.
std::string_view MirrorLayerResource(int index);

}  // namespace veskel
