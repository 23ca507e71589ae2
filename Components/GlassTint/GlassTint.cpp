#include "Components/GlassTint/GlassTint.h"

#include <algorithm>

#include "platform/graphics/DirectedFloat.h"

namespace veskel {
namespace {

// Every step below is a step or narrowing of D, a ModeDouble type for the rounding mode that the
// caller's FloatRoundingScope has set (WithModeDouble picks it). -frounding-math keeps the
// compiler from folding them at build time.
template <typename D>
inline float F32(D v) {
    return v.ToFloat();
}

template <typename D>
Hls RgbToHlsUnscoped(int c1, int c2, int c3, const HlsScale& m) {
    const int mx = std::max({c1, c2, c3});
    const int mn = std::min({c1, c2, c3});
    const int full = int(m.full);
    Hls r;
    r.l = Round((D(mx + mn) * m.full + 255.0) / 510.0);
    if (mx == mn) {
        r.s = 0;
        r.h = m.greyHue;
    } else {
        const D range = mx - mn;
        if (r.l > m.half) {
            const D rest = 510 - mx - mn;
            r.s = Round((range * m.full + rest / 2.0) / rest);
        } else {
            const D sum = mx + mn;
            r.s = Round((range * m.full + sum / 2.0) / sum);
        }
        const float d1 = F32((D(mx - c1) * m.sixth + range / 2.0) / range);
        const float d2 = F32((D(mx - c2) * m.sixth + range / 2.0) / range);
        const float d3 = F32((D(mx - c3) * m.sixth + range / 2.0) / range);
        // A tie for the largest channel goes to the earlier slot.
        if (c1 == mx) {
            r.h = Round(D(d3) - D(d2));
        } else if (c2 == mx) {
            r.h = Round(m.third + D(d1) - D(d3));
        } else {
            r.h = Round(m.twoThirds + D(d2) - D(d1));
        }
        if (r.h < 0) r.h += full;
        if (r.h > full) r.h -= full;
    }
    r.s = std::clamp(r.s, 0, full);
    r.l = std::clamp(r.l, 0, full);
    return r;
}

template <typename D>
float HueToRgbUnscoped(float p, float q, float hue, const HlsScale& m) {
    // One correction in each direction only; "not >= 0" also catches a NaN.
    if (!(hue >= 0.0f)) hue = F32(D(hue) + m.full);
    if (hue > m.full) hue = F32(D(hue) - m.full);
    const D dp = p;
    const D dq = q;
    if (hue < m.sixth) return F32(dp + ((dq - dp) * D(hue) + m.twelfth) / m.sixth);
    if (hue < m.half) return q;
    if (hue < m.twoThirds) return F32(dp + ((dq - dp) * (m.twoThirds - D(hue)) + m.twelfth) / m.sixth);
    return p;
}

template <typename D>
int ChannelFrom(float v, const HlsScale& m) {
    return std::clamp(Round((D(v) * 255.0 + m.half) / m.full), 0, 255);
}

// Takes doubles holding integers: a tint's offsets may push the values far outside their range
// (even past the int range), so the sums are formed in double, never in int.
template <typename D>
Channels HlsToRgbUnscoped(double dh, double dl, double ds, const HlsScale& m) {
    if (ds == 0.0) {
        const int v = std::clamp(Round(D(dl) * 255.0 / m.full), 0, 255);
        return {v, v, v};
    }
    const float q = dl > m.half ? F32((D(dl) + ds) - (D(dl) * ds + m.half) / m.full)
                                : F32((D(dl) * (D(ds) + m.full) + m.half) / m.full);
    const float p = F32(2.0 * D(dl) - D(q));
    return {ChannelFrom<D>(HueToRgbUnscoped<D>(p, q, F32(D(dh) + m.third), m), m),
            ChannelFrom<D>(HueToRgbUnscoped<D>(p, q, F32(D(dh)), m), m),
            ChannelFrom<D>(HueToRgbUnscoped<D>(p, q, F32(D(dh) - m.third), m), m)};
}

}  // namespace

Hls RgbToHls(int c1, int c2, int c3, const HlsScale& scale) {
    FloatRoundingScope mode;
    return WithModeDouble([&]<typename D>() { return RgbToHlsUnscoped<D>(c1, c2, c3, scale); });
}

Channels HlsToRgb(int h, int l, int s, const HlsScale& scale) {
    FloatRoundingScope mode;
    return WithModeDouble([&]<typename D>() { return HlsToRgbUnscoped<D>(h, l, s, scale); });
}

float HueToRgb(float p, float q, float hue, const HlsScale& scale) {
    FloatRoundingScope mode;
    return WithModeDouble([&]<typename D>() { return HueToRgbUnscoped<D>(p, q, hue, scale); });
}

void TintSkin(Picture& image, int hueOffset, int lightnessOffset, int saturationOffset) {
    FloatRoundingScope mode;  // once for the whole image: switching the mode per pixel is costly
    WithModeDouble([&]<typename D>() {
        for (int y = 0; y < image.Height(); ++y) {
            std::uint8_t* px = image.color.Row(y);
            for (int x = 0; x < image.Width(); ++x, px += 3) {
                Hls hls = RgbToHlsUnscoped<D>(px[0], px[1], px[2], kHls240);
                Channels c = HlsToRgbUnscoped<D>(double(hls.h) + hueOffset, double(hls.l) + lightnessOffset,
                                                 double(hls.s) + saturationOffset, kHls240);
                px[0] = std::uint8_t(c.c1);
                px[1] = std::uint8_t(c.c2);
                px[2] = std::uint8_t(c.c3);
            }
        }
    });
}

}  // namespace veskel
