#include "Components/PulseButton/PulseImage.h"

#include <algorithm>

#include "Components/GlassTint/GlassTint.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/DirectedFloat.h"
#include "platform/ui/Control.h"
#include "platform/text/CanvasText.h"

namespace veskel {

void PulsePhase::Tick() {
    phase += step;
    if (phase >= 150) step = -step;
    if (phase <= 0) {
        phase = 0;
        step = -step;
    }
}

void PulseRecolour(Picture& image, int phase) {
    FloatRoundingScope mode;
    for (int y = 0; y < image.Height(); ++y) {
        std::uint8_t* p = image.color.Row(y);
        for (int x = 0; x < image.Width(); ++x, p += 3) {
            const int b = p[0], g = p[1], r = p[2];
            const int avg = Round(ModeDouble(r + g + b) / 3.0);
            Hls hls = RgbToHls(r, g, b);
            hls.l = Round(hls.l * (ModeDouble(200.0) - phase) / 200.0 + avg * ModeDouble(phase) / 200.0);
            const Channels c = HlsToRgb(hls.h, hls.l, hls.s);
            p[0] = std::uint8_t(c.c3);
            p[1] = std::uint8_t(c.c2);
            p[2] = std::uint8_t(c.c1);
        }
    }
}

void GreyRecolour(Picture& image) {
    for (int y = 0; y < image.Height(); ++y) {
        std::uint8_t* p = image.color.Row(y);
        for (int x = 0; x < image.Width(); ++x, p += 3) {
            const std::uint8_t v = std::uint8_t((p[0] + p[1] + p[2]) / 3);
            p[0] = p[1] = p[2] = v;
        }
    }
}

Bitmap ImageMenuItemBitmap(const Picture& image, const std::string& description, const Font& font) {
    Bitmap measure(1, 1);
    Canvas probe(measure);
    probe.font = font;
    const Size text = TextExtent(probe, description);
    const int w = image.Width(), h = image.Height();
    // A description of any length gets a bitmap no wider than a screen; the rest is cut off.
    Bitmap item(std::min(w + text.width + 20, kMaxMenuItemWidth), h);
    item.Fill(ResolveColor(kClBtnFace));
    if (item.IsEmpty()) return item;
    Canvas canvas(item);
    canvas.font = font;
    // Truncation toward zero, as the item's text is placed.
    TextOut(canvas, w + 10, int(h / 2.0 - text.height / 2.0), description);
    canvas.Draw(0, 0, image);
    return item;
}

}  // namespace veskel
