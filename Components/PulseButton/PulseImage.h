#pragma once
// What the image buttons do to their pictures: the pulse recolouring of the pulse button, its
// grey mode, the phase stepping of the pulse, and the bitmap of one item of the image menu.
#include <string>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Picture.h"

namespace veskel {

// The lightness pulse: the phase climbs by the step each tick and the step turns round when the
// phase reaches 150 at the top or 0 at the bottom. From phase 1 and step 30 the phase runs 31, 61,
// 91, 121, 151, 121, ... 1, 0, 30, 60, ... 150, 120, ...: after the first rise a 10-tick cycle.
struct PulsePhase {
    int phase = 1;
    int step = 30;
    void Tick();
};

// Mixes every pixel's HLS lightness (red in the first slot) with its channel average:
// L = round(L * (200 - phase) / 200 + avg * phase / 200), avg = round((r + g + b) / 3) on the
// 0..255 scale, mixed as it is with the 0..240 lightness. Even phase 0 is a round trip through
// HLS, which is not an identity. Alpha is untouched.
void PulseRecolour(Picture& image, int phase);

// Every pixel becomes grey trunc((r + g + b) / 3). Alpha is untouched.
void GreyRecolour(Picture& image);

// One item of the image menu: a bitmap (w + tw + 20) x h in the button-face colour with the image
// at (0, 0), blended by its alpha, and the description in `font` at (w + 10, trunc(h / 2 - th / 2)),
// tw x th being the description's extent.
Bitmap ImageMenuItemBitmap(const Picture& image, const std::string& description, const Font& font);

}  // namespace veskel
