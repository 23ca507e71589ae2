#include "platform/graphics/Rounding.h"

#include <atomic>
#include <cfenv>
#include <climits>
#include <cmath>

#include "platform/graphics/DirectedFloat.h"

// GCC does not know the pragma and relies on -frounding-math instead; clang honours it. Where
// the mode is kept in software there is no processor mode to access.
#if defined(__clang__) && !VESKEL_SOFT_ROUNDING
#pragma STDC FENV_ACCESS ON
#endif

namespace veskel {
namespace {

std::atomic<RoundingMode> g_mode{RoundingMode::NearestEven};

#if !VESKEL_SOFT_ROUNDING
int FenvMode(RoundingMode mode) { return mode == RoundingMode::Downward ? FE_DOWNWARD : FE_TONEAREST; }
#endif

int Saturate(double r) {
    if (std::isnan(r)) return 0;
    if (r >= double(INT_MAX)) return INT_MAX;
    if (r <= double(INT_MIN)) return INT_MIN;
    return int(r);
}

}  // namespace

RoundingMode CurrentRoundingMode() { return g_mode.load(std::memory_order_relaxed); }

void SwitchRoundingToDownward() { g_mode.store(RoundingMode::Downward, std::memory_order_relaxed); }

int RoundIn(RoundingMode mode, double value) {
    // Computed without touching the processor's mode, so it is right whatever that mode is.
    double low = std::floor(value);
    if (mode == RoundingMode::Downward) return Saturate(low);
    double frac = value - low;  // exact for doubles in int range
    if (frac > 0.5 || (frac == 0.5 && std::fmod(low, 2.0) != 0.0)) low += 1.0;
    return Saturate(low);
}

int Round(double value) { return RoundIn(CurrentRoundingMode(), value); }

float AsFloat32(double value) {
    FloatRoundingScope scope;
#if VESKEL_SOFT_ROUNDING
    return ModeDouble(value).ToFloat();
#else
    volatile double v = value;  // keep the conversion at run time, under the scope's mode
    volatile float f = static_cast<float>(v);
    return f;
#endif
}

#if VESKEL_SOFT_ROUNDING
// The processor keeps rounding to nearest; ModeDouble's steps read the recorded mode.
FloatRoundingScope::FloatRoundingScope() : saved_(detail::softRoundingDownward) {
    detail::softRoundingDownward = CurrentRoundingMode() == RoundingMode::Downward;
}

FloatRoundingScope::~FloatRoundingScope() { detail::softRoundingDownward = saved_ != 0; }
#else
FloatRoundingScope::FloatRoundingScope() : saved_(std::fegetround()) {
    std::fesetround(FenvMode(CurrentRoundingMode()));
}

FloatRoundingScope::~FloatRoundingScope() { std::fesetround(saved_); }
#endif

RoundingModeScope::RoundingModeScope(RoundingMode mode) : saved_(CurrentRoundingMode()) {
    g_mode.store(mode, std::memory_order_relaxed);
}

RoundingModeScope::~RoundingModeScope() { g_mode.store(saved_, std::memory_order_relaxed); }

ScopedRoundingModeForTesting::ScopedRoundingModeForTesting(RoundingMode mode) : saved_(CurrentRoundingMode()) {
    g_mode.store(mode, std::memory_order_relaxed);
}

ScopedRoundingModeForTesting::~ScopedRoundingModeForTesting() { g_mode.store(saved_, std::memory_order_relaxed); }

}  // namespace veskel
