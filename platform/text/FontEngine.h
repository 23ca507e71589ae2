#pragma once
// The font engine: family names resolved through fontconfig, FreeType rasterisation, and
// private registration of fonts held in memory (the embedded banner font). The Canvas text
// operations (TextOut, TextExtent, DrawText) are implemented on top of it.
#include <cstdint>
#include <span>
#include <string>

#include "platform/graphics/Font.h"

namespace veskel {

using FontHandle = int;

// Registers a TrueType font held in memory for this process alone; a registered family wins
// over a system font of the same name. The bytes are copied. Throws std::runtime_error when
// the data is not a font.
FontHandle RegisterPrivateFont(std::span<const std::uint8_t> fontData);
// Removes a registration; unknown handles are ignored.
void UnregisterPrivateFont(FontHandle handle);

// The advance width, in pixels, of one character (a Unicode code point) drawn alone in font.
int CharAdvance(const Font& font, char32_t ch);

// The embedded banner font's family name and resource name.
inline constexpr const char* kBannerFontFamily = "Visitor TT2 BRK";
inline constexpr const char* kBannerFontResource = "resources/fonts/VisitorTT2BRK.ttf";

}  // namespace veskel
