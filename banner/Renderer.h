#pragma once
// The banner renderer: gradient, tile pattern, overlay picture, glow, highlight layer, outlined
// text and border, composed in that order into a 350 x 20 24-bit image. BannerDocument::RenderBanner
// calls ComposeBanner; the steps are public so they can be checked one by one.
#include <cstdint>
#include <string_view>

#include "banner/BannerSettings.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/Rounding.h"

namespace veskel {

// Rewrites every pixel of `image` (resized to 350 x 20 if it is not) from the settings and the
// prepared overlay picture. The picture may be a part of the overlay: `partOffset` is where its
// top-left pixel lies inside the overlay, which itself starts at (OverlayX, OverlayY). Throws
// BannerError, leaving `image` untouched, when an index the table marks as drawn (Pattern,
// MirrorPattern) is outside its range. Gradient and pattern round in `mode`, whatever the
// process-wide mode is, so one design gives one banner.
void ComposeBanner(Bitmap& image, const BannerSettings& settings, const Picture& preparedPicture,
                   Point partOffset = {}, RoundingMode mode = RoundingMode::NearestEven);

// The individual steps, each in place on a banner-sized image; the gradient and the pattern round
// in `mode` (the process mode unless given).
void GradientFill(Bitmap& image, Color color1, Color color2, bool horizontal, RoundingMode mode = CurrentRoundingMode());
void PatternBlend(Bitmap& image, int patternIndex, std::int32_t strength, RoundingMode mode = CurrentRoundingMode());
void DrawMirrorLayer(Bitmap& image, int mirrorIndex, std::int32_t strength);
// Text in Windows-1251 at (x, y): twelve black outline draws per character, then the white one.
void OutlinedText(Bitmap& image, std::string_view cp1251, std::int32_t x, std::int32_t y);
void DrawBorder(Bitmap& image, Color color);

}  // namespace veskel
