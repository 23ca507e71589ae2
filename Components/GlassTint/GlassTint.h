#pragma once
// HLS colour arithmetic shared by the glass controls: conversion between three 0..255 channels
// and hue / lightness / saturation on a 0..240 scale, and TintSkin, which shifts the HLS values
// of every pixel of a skin. The conversions never look at which colour sits in which slot;
// each caller decides (TintSkin puts blue first, the pulse button red).
//
// The steps mix double arithmetic with values held as float32 and round in the process-wide
// rounding mode (platform/graphics/Rounding.h); every floating-point step runs under that mode.
#include "platform/graphics/Picture.h"

namespace veskel {

// The constants of one HLS scale. The controls use 240; the palette pop-up runs the very same
// steps on a 254 scale, where the thirds, sixths and twelfths are fractional.
struct HlsScale {
    double full;       // scale factor, hue wrap, clamps of L and S
    double half;       // lightness tests, the half circle, rounding term before dividing by full
    int greyHue;       // hue given to a grey
    double third;      // first to second slot on the hue circle
    double twoThirds;  // first to third slot
    double sixth;      // hue deltas and the slopes of HueToRgb
    double twelfth;    // rounding term of HueToRgb
};

inline constexpr HlsScale kHls240{240.0, 120.0, 160, 80.0, 160.0, 40.0, 20.0};
inline constexpr HlsScale kHls254{254.0, 127.0, 169, 254.0 / 3.0, 508.0 / 3.0, 254.0 / 6.0, 254.0 / 12.0};

struct Hls {
    int h = 0;
    int l = 0;
    int s = 0;
    friend bool operator==(const Hls&, const Hls&) = default;
};

struct Channels {
    int c1 = 0;
    int c2 = 0;
    int c3 = 0;
    friend bool operator==(const Channels&, const Channels&) = default;
};

// Channels 0..255 in, H 0..full (a grey gets greyHue), L and S clamped to 0..full.
Hls RgbToHls(int c1, int c2, int c3, const HlsScale& scale = kHls240);

// Accepts H, L and S outside their ranges (a tint adds offsets without clamping); only the
// resulting channels are clamped to 0..255.
Channels HlsToRgb(int h, int l, int s, const HlsScale& scale = kHls240);

// One channel's value on the lightness scale for a hue; arguments and result are float32.
float HueToRgb(float p, float q, float hue, const HlsScale& scale = kHls240);

// Recolours every pixel in place: blue, green, red go into slots 1, 2, 3, the HLS values are
// shifted by the offsets (no clamping, no wrapping) and converted back. Alpha is untouched.
// The tint is not an identity at offsets 0: some mid-tones move by one step.
void TintSkin(Picture& image, int hueOffset, int lightnessOffset, int saturationOffset);

}  // namespace veskel
