#include "Components/HLSColorTable/HlsTableImage.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/DirectedFloat.h"

// The two-lane form needs the processor's own rounding mode; where that mode cannot be switched
// the scalar ModeDouble steps run instead.
#if defined(__SSE2__) && !VESKEL_SOFT_ROUNDING
#define VESKEL_HLS_TABLE_SSE2 1
#include <emmintrin.h>
#endif

// The arithmetic below repeats the steps of HlsToRgb (Components/GlassTint) on the 240 scale
// operation for operation, in the same double and float32 forms, so that every pixel equals the
// per-pixel conversion in either rounding mode. What it saves is the work that depends on the
// hue alone: the hue arguments, their wrap-around and the choice of the HueToRgb branch are
// decided once per table instead of three times per pixel.

namespace veskel {
namespace {

// D is the ModeDouble type of the caller's FloatRoundingScope (WithModeDouble picks it).
template <typename D>
inline float F32(D v) {
    return v.ToFloat();
}

// Rounds in the mode the caller's FloatRoundingScope has set, the process mode; for the small
// values here the processor's conversion is exactly Round().
template <typename D>
inline int RoundNow(D v) {
#if defined(VESKEL_HLS_TABLE_SSE2)
    return _mm_cvtsd_si32(_mm_set_sd(v.Value()));
#else
    // Where the mode is kept in software the processor rounds to nearest, and downward is the floor.
    if constexpr (D::StepsType::kSoftwareDownward) return int(std::floor(v.Value()));
    return int(std::nearbyint(v.Value()));
#endif
}

template <typename D>
inline std::uint8_t ChannelFrom(float v) {
    return std::uint8_t(std::clamp(RoundNow((D(v) * 255.0 + 120.0) / 240.0), 0, 255));
}

// What HueToRgb returns for one channel's hue argument, decided by the argument alone.
enum class Branch { Rising, Q, Falling, P };
struct ChannelPlan {
    Branch branch;
    double t;  // the slope factor of the rising or falling branch
};

template <typename D>
ChannelPlan PlanChannel(float hue) {
    // One correction in each direction, as HueToRgb does.
    if (!(hue >= 0.0f)) hue = F32(D(hue) + 240.0);
    if (hue > 240.0f) hue = F32(D(hue) - 240.0);
    if (hue < 40.0f) return {Branch::Rising, double(hue)};
    if (hue < 120.0f) return {Branch::Q, 0.0};
    if (hue < 160.0f) return {Branch::Falling, (160.0 - D(hue)).Value()};
    return {Branch::P, 0.0};
}

#if defined(VESKEL_HLS_TABLE_SSE2)
// Two lanes at a time. Every SSE2 operation used rounds in the processor's current mode exactly
// as its scalar counterpart does: the double arithmetic, the narrowing to float32 (cvtpd2ps) and
// the conversion to an integer (cvtpd2dq).
inline __m128d F32x2(__m128d v) { return _mm_cvtps_pd(_mm_cvtpd_ps(v)); }

// Two channel values (held as float32 in double lanes) to two clamped bytes in lanes 0 and 1.
inline __m128i ChannelsFrom(__m128d v) {
    const __m128d scaled = _mm_div_pd(_mm_add_pd(_mm_mul_pd(v, _mm_set1_pd(255.0)), _mm_set1_pd(120.0)), _mm_set1_pd(240.0));
    const __m128i ints = _mm_cvtpd_epi32(scaled);
    // Saturating packs clamp to 0..255 (the values are far inside the 16-bit range).
    return _mm_packus_epi16(_mm_packs_epi32(ints, ints), _mm_setzero_si128());
}

inline __m128i EvaluateX2(const ChannelPlan& plan, __m128d p, __m128d q) {
    switch (plan.branch) {
    case Branch::Q:
        return ChannelsFrom(q);
    case Branch::P:
        return ChannelsFrom(p);
    default: {
        const __m128d ramp = _mm_div_pd(_mm_add_pd(_mm_mul_pd(_mm_sub_pd(q, p), _mm_set1_pd(plan.t)), _mm_set1_pd(20.0)),
                                        _mm_set1_pd(40.0));
        return ChannelsFrom(F32x2(_mm_add_pd(p, ramp)));
    }
    }
}

void DrawRowPairs(std::uint8_t* px, double dl, bool upper, const ChannelPlan& red, const ChannelPlan& green,
                  const ChannelPlan& blue) {
    const __m128d vl = _mm_set1_pd(dl);
    const __m128d twoL = _mm_set1_pd(2.0 * dl);
    for (int s = 1; s < kHlsTableImageSize; s += 2, px += 6) {
        const __m128d ds = _mm_set_pd(double(s + 1), double(s));
        __m128d q;
        if (upper) {
            q = _mm_sub_pd(_mm_add_pd(vl, ds),
                           _mm_div_pd(_mm_add_pd(_mm_mul_pd(vl, ds), _mm_set1_pd(120.0)), _mm_set1_pd(240.0)));
        } else {
            q = _mm_div_pd(_mm_add_pd(_mm_mul_pd(vl, _mm_add_pd(ds, _mm_set1_pd(240.0))), _mm_set1_pd(120.0)),
                           _mm_set1_pd(240.0));
        }
        q = F32x2(q);
        const __m128d p = F32x2(_mm_sub_pd(twoL, q));
        const int r = _mm_cvtsi128_si32(EvaluateX2(red, p, q));
        const int g = _mm_cvtsi128_si32(EvaluateX2(green, p, q));
        const int b = _mm_cvtsi128_si32(EvaluateX2(blue, p, q));
        px[0] = std::uint8_t(b);
        px[1] = std::uint8_t(g);
        px[2] = std::uint8_t(r);
        px[3] = std::uint8_t(b >> 8);
        px[4] = std::uint8_t(g >> 8);
        px[5] = std::uint8_t(r >> 8);
    }
}
#else
template <typename D>
inline std::uint8_t Evaluate(const ChannelPlan& plan, float p, float q) {
    switch (plan.branch) {
    case Branch::Q:
        return ChannelFrom<D>(q);
    case Branch::P:
        return ChannelFrom<D>(p);
    default: {
        const D dp = p;
        const D dq = q;
        return ChannelFrom<D>(F32(dp + ((dq - dp) * plan.t + 20.0) / 40.0));
    }
    }
}

#endif

template <typename D>
void DrawTable(Bitmap& image, int hue) {
    const double dh = hue;
    // First slot (red) at hue + 80, second (green) at the hue, third (blue) at hue - 80.
    const ChannelPlan red = PlanChannel<D>(F32(D(dh) + 80.0));
    const ChannelPlan green = PlanChannel<D>(F32(D(dh)));
    const ChannelPlan blue = PlanChannel<D>(F32(D(dh) - 80.0));

    for (int i = 0; i < kHlsTableImageSize; ++i) {
        const int l = 254 - i;
        const double dl = l;
        std::uint8_t* px = image.Row(i);
        // Saturation 0: a grey of the row's lightness.
        const std::uint8_t grey = std::uint8_t(std::clamp(RoundNow(D(dl) * 255.0 / 240.0), 0, 255));
        px[0] = px[1] = px[2] = grey;
        const bool upper = dl > 120.0;
#if defined(VESKEL_HLS_TABLE_SSE2)
        // Saturations 1..254 in pairs, two lanes of the very same double and float32 steps.
        DrawRowPairs(px + 3, dl, upper, red, green, blue);
#else
        px += 3;
        for (int s = 1; s < kHlsTableImageSize; ++s, px += 3) {
            const double ds = s;
            const float q = upper ? F32((D(dl) + ds) - (D(dl) * ds + 120.0) / 240.0)
                                  : F32((D(dl) * (D(ds) + 240.0) + 120.0) / 240.0);
            const float p = F32(2.0 * D(dl) - D(q));
            px[2] = Evaluate<D>(red, p, q);
            px[1] = Evaluate<D>(green, p, q);
            px[0] = Evaluate<D>(blue, p, q);
        }
#endif
    }
}

}  // namespace

void DrawHlsTableImage(Bitmap& image, int hue) {
    if (image.Width() != kHlsTableImageSize || image.Height() != kHlsTableImageSize)
        image.Reset(kHlsTableImageSize, kHlsTableImageSize);
    FloatRoundingScope mode;
    WithModeDouble([&]<typename D>() { DrawTable<D>(image, hue); });
}

}  // namespace veskel
