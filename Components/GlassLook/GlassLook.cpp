#include "Components/GlassLook/GlassLook.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "Components/GlassTint/GlassTint.h"
#include "platform/Resources.h"
#include "platform/codecs/Codecs.h"
#include "platform/graphics/DirectedFloat.h"
#include "platform/text/CanvasText.h"

namespace veskel {

const Picture& GlassSkin(std::string_view resourceName) {
    // Node-based map: references to decoded skins stay valid as more are added.
    static std::map<std::string, Picture, std::less<>> cache;
    auto it = cache.find(resourceName);
    if (it == cache.end()) {
        const auto bytes = Resource(resourceName);
        it = cache.emplace(std::string(resourceName), resourceName.ends_with(".bmp") ? DecodeBmp(bytes) : DecodePng(bytes)).first;
    }
    return it->second;
}

void TintedSkin::SetUntinted(const Picture& source) {
    source_ = &source;
    tinted_ = false;
    stale_ = false;
    built_ = Picture();
}

void TintedSkin::SetTinted(const Picture& source, int hue, int lightness, int saturation) {
    source_ = &source;
    tinted_ = true;
    hue_ = hue;
    lightness_ = lightness;
    saturation_ = saturation;
    mode_ = CurrentRoundingMode();
    stale_ = true;
}

const Picture& TintedSkin::Get() const {
    static const Picture kEmpty;
    if (!source_) return kEmpty;
    if (!tinted_) return *source_;
    if (stale_) {
        RoundingModeScope mode(mode_);
        built_ = *source_;
        TintSkin(built_, hue_, lightness_, saturation_);
        stale_ = false;
    }
    return built_;
}

Size GlassCaptionSize(Canvas& canvas, std::string_view text, const Font& font) {
    canvas.font = font;
    const Size s = TextExtent(canvas, text);
    return {s.width + 4, s.height + 4};
}

void DrawGlassCaption(Canvas& canvas, std::string_view text, const Font& font, Point at, int ink, const Rect& bounds,
                      Bitmap* cache) {
    const Size box = GlassCaptionSize(canvas, text, font);
    const int x = at.x;
    const int y = at.y;

    // Only the part of the box inside the bounds can show, so only that part is supersampled.
    const int cx0 = std::max(0, bounds.left - x);
    const int cy0 = std::max(0, bounds.top - y);
    const int cx1 = std::min(box.width, bounds.right - x);
    const int cy1 = std::min(box.height, bounds.bottom - y);
    if (cx1 <= cx0 || cy1 <= cy0) return;

    // Black text on white at three times the size; its top-left at (4, 1) of the full enlarged
    // box, which this piece starts at (3 * cx0, 3 * cy0) of.
    Bitmap big(3 * (cx1 - cx0), 3 * (cy1 - cy0));
    big.Fill(kWhite);
    {
        Canvas bc(big);
        Font large = font;
        large.size = font.size * 3;
        large.pixelHeight = font.pixelHeight * 3;
        large.color = kBlack;
        bc.font = large;
        TextOut(bc, 4 - 3 * cx0, 1 - 3 * cy0, text);
    }

    // The pixels under the caption, then the ink blended over them by coverage.
    Bitmap local;
    Bitmap& out = cache ? *cache : local;
    out.Reset(cx1 - cx0, cy1 - cy0);
    FloatRoundingScope mode;
    for (int cy = 0; cy < out.Height(); ++cy) {
        std::uint8_t* row = out.Row(cy);
        for (int cx = 0; cx < out.Width(); ++cx) {
            int sum = 0;
            for (int sy = 0; sy < 3; ++sy) {
                const std::uint8_t* src = big.Row(3 * cy + sy) + 3 * std::size_t(3 * cx);
                sum += src[2] + src[5] + src[8];  // red bytes; the bitmap is grey
            }
            const int a = sum / 9;  // 255 = no ink
            const Color under = canvas.Pixel(x + cx0 + cx, y + cy0 + cy);
            const int channels[3] = {GetB(under), GetG(under), GetR(under)};
            for (int k = 0; k < 3; ++k)
                row[3 * cx + k] = std::uint8_t(Round(channels[k] * ModeDouble(a) / 255.0 + ink * ModeDouble(255 - a) / 255.0));
        }
    }
    canvas.Draw(x + cx0, y + cy0, out);
}

void DrawGlassFocusRing(Canvas& canvas, const Rect& ring) {
    constexpr Color kAccent = RGB(40, 120, 220);
    // Coverage of the accent, by distance from the outer edge.
    constexpr int kAlpha[2] = {90, 200};
    const auto blend = [&](int x, int y, int alpha) {
        const Color under = canvas.Pixel(x, y);
        const auto mix = [alpha](int u, int a) { return (a * alpha + u * (255 - alpha) + 127) / 255; };
        canvas.SetPixel(x, y, RGB(mix(GetR(under), GetR(kAccent)), mix(GetG(under), GetG(kAccent)),
                                  mix(GetB(under), GetB(kAccent))));
    };
    for (int d = 0; d < 2; ++d) {
        const Rect r{ring.left + d, ring.top + d, ring.right - d, ring.bottom - d};
        if (r.Width() <= 0 || r.Height() <= 0) return;
        const int cut = d == 0 ? 1 : 0;  // the outer band leaves its corner pixels out
        for (int x = r.left + cut; x < r.right - cut; ++x) {
            blend(x, r.top, kAlpha[d]);
            if (r.Height() > 1) blend(x, r.bottom - 1, kAlpha[d]);
        }
        for (int y = r.top + 1; y < r.bottom - 1; ++y) {
            blend(r.left, y, kAlpha[d]);
            if (r.Width() > 1) blend(r.right - 1, y, kAlpha[d]);
        }
    }
}

}  // namespace veskel
