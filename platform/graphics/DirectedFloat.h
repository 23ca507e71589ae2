#pragma once
// Floating-point steps that follow the process rounding mode on every target.
//
// On the desktop a FloatRoundingScope switches the processor's own mode and the steps below are
// the plain operations. WebAssembly has no mode to switch: every operation rounds to nearest.
// There the scope only records the mode, and while it is downward each step takes the
// processor's round-to-nearest result, works out exactly whether that lies above the true result,
// and if so moves it one step down. The exact comparisons use error-free transformations: the
// error of a sum (TwoSum), of a product (Dekker's split product; there is no fused
// multiply-add), the remainder of a quotient and of a square root.
//
// Building with -DVESKEL_SOFT_ROUNDING=1 takes the software path on the desktop as well, so
// both paths can be compared on one machine.
#include <cmath>
#include <compare>
#include <cstdint>
#include <cstring>
#include <limits>

#include "platform/graphics/Rounding.h"

#if defined(__EMSCRIPTEN__) || defined(__wasm__)
#undef VESKEL_SOFT_ROUNDING
#define VESKEL_SOFT_ROUNDING 1
#elif !defined(VESKEL_SOFT_ROUNDING)
#define VESKEL_SOFT_ROUNDING 0
#endif

namespace veskel {

// Each function returns the exact result of its operation rounded toward minus infinity, and
// expects the processor to round to nearest while it runs.
namespace downward {

// std::bit_cast is missing from the browser build's C++ library.
template <typename To, typename From>
inline To BitCast(From from) {
    static_assert(sizeof(To) == sizeof(From));
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
}

// The largest double below x; +inf gives the largest finite double, NaN and -inf stay.
inline double StepDown(double x) {
    if (x == 0.0) return -std::numeric_limits<double>::denorm_min();
    std::uint64_t bits = BitCast<std::uint64_t>(x);
    if (x > 0.0) return BitCast<double>(bits - 1);
    if (x < 0.0 && x != -std::numeric_limits<double>::infinity()) return BitCast<double>(bits + 1);
    return x;
}

inline float StepDown(float x) {
    if (x == 0.0f) return -std::numeric_limits<float>::denorm_min();
    std::uint32_t bits = BitCast<std::uint32_t>(x);
    if (x > 0.0f) return BitCast<float>(bits - 1);
    if (x < 0.0f && x != -std::numeric_limits<float>::infinity()) return BitCast<float>(bits + 1);
    return x;
}

// Exact product a * b = hi + lo (hi the rounded product), valid while neither the split nor the
// error term leaves the normal range: |a|, |b| within 2^-480 .. 2^480 is safe.
inline void TwoProduct(double a, double b, double& hi, double& lo) {
    constexpr double kSplitter = 134217729.0;  // 2^27 + 1
    const double ca = kSplitter * a, cb = kSplitter * b;
    const double ah = ca - (ca - a), bh = cb - (cb - b);
    const double al = a - ah, bl = b - bh;
    hi = a * b;
    lo = ((ah * bh - hi) + ah * bl + al * bh) + al * bl;
}

// The bits below a significand of 26 bits.
inline constexpr std::uint64_t kLow27 = (std::uint64_t(1) << 27) - 1;

inline bool InSafeRange(double x) {
    const double m = std::fabs(x);
    return m >= 0x1p-480 && m <= 0x1p480;
}

// The exponent-scaled forms for operands outside the safe range (zero, huge, tiny, subnormal).
double MulScaled(double a, double b, double p);
double DivScaled(double a, double b, double q);
double SqrtScaled(double a, double s);

inline double Add(double a, double b) {
    const double s = a + b;
    // An exact zero sum of anything but two +0 is -0 when rounding downward.
    if (s == 0.0) return std::signbit(a) || std::signbit(b) ? -0.0 : 0.0;
    if (!std::isfinite(s)) {
        const bool overflow = s > 0.0 && std::isfinite(a) && std::isfinite(b);
        return overflow ? std::numeric_limits<double>::max() : s;
    }
    const double bv = s - a;
    const double av = s - bv;
    const double error = (a - av) + (b - bv);  // exact sum minus s
    return error < 0.0 ? StepDown(s) : s;
}

inline double Sub(double a, double b) { return Add(a, -b); }

inline double Mul(double a, double b) {
    // Two significands of at most 26 bits (integers, float32 values, most constants) have an
    // exact product, unless it leaves the normal range.
    const double p = a * b;
    if (((BitCast<std::uint64_t>(a) | BitCast<std::uint64_t>(b)) & kLow27) == 0 &&
        std::fabs(p) >= std::numeric_limits<double>::min() && std::fabs(p) <= std::numeric_limits<double>::max())
        return p;
    if (!InSafeRange(a) || !InSafeRange(b)) return MulScaled(a, b, p);
    double hi, lo;
    TwoProduct(a, b, hi, lo);
    return lo < 0.0 ? StepDown(hi) : hi;
}

inline double Div(double a, double b) {
    const double q = a / b;
    if (!InSafeRange(a) || !InSafeRange(b)) return DivScaled(a, b, q);
    // The remainder a - q * b = d - lo, compared with zero; d is exact (Sterbenz).
    double d, lo;
    if ((BitCast<std::uint64_t>(b) & kLow27) == 0) {
        // A divisor of at most 26 bits (the constants here) times either half of q is exact.
        constexpr double kSplitter = 134217729.0;
        const double c = kSplitter * q;
        const double qh = c - (c - q);
        d = a - qh * b;
        lo = (q - qh) * b;
    } else {
        double hi;
        TwoProduct(q, b, hi, lo);
        d = a - hi;
    }
    const bool qAbove = b > 0.0 ? d < lo : d > lo;
    return qAbove ? StepDown(q) : q;
}

inline double Sqrt(double a) {
    const double s = std::sqrt(a);
    if (!(a >= 0x1p-900 && a <= 0x1p900)) return SqrtScaled(a, s);
    double hi, lo;
    TwoProduct(s, s, hi, lo);
    return hi - a > -lo ? StepDown(s) : s;  // s * s above a: s above the root
}

inline float ToFloat(double v) {
    const float f = static_cast<float>(v);
    return double(f) > v ? StepDown(f) : f;
}

inline double FromInt64(std::int64_t i) {
    const double d = static_cast<double>(i);
    const bool above = d >= 0x1p63 || static_cast<std::int64_t>(d) > i;
    return above ? StepDown(d) : d;
}

inline float FromInt64ToFloat(std::int64_t i) {
    const float f = static_cast<float>(i);
    const bool above = f >= 0x1p63f || static_cast<std::int64_t>(f) > i;
    return above ? StepDown(f) : f;
}

}  // namespace downward

#if VESKEL_SOFT_ROUNDING
namespace detail {
// Set by FloatRoundingScope: the steps of ModeDouble inside the scope round downward.
inline thread_local bool softRoundingDownward = false;
}  // namespace detail
#endif

// How a BasicModeDouble rounds its steps.
// The processor's own operations, in whatever mode the processor is in.
struct ProcessorSteps {
    static constexpr bool kSoftwareDownward = false;
    static double Add(double a, double b) { return a + b; }
    static double Sub(double a, double b) { return a - b; }
    static double Mul(double a, double b) { return a * b; }
    static double Div(double a, double b) { return a / b; }
    static float ToFloat(double v) { return static_cast<float>(v); }
};

// Downward in software (the processor rounding to nearest).
struct SoftwareDownwardSteps {
    static constexpr bool kSoftwareDownward = true;
    static double Add(double a, double b) { return downward::Add(a, b); }
    static double Sub(double a, double b) { return downward::Sub(a, b); }
    static double Mul(double a, double b) { return downward::Mul(a, b); }
    static double Div(double a, double b) { return downward::Div(a, b); }
    static float ToFloat(double v) { return downward::ToFloat(v); }
};

// The enclosing FloatRoundingScope's mode, looked up at each step where it is kept in software.
struct ScopeSteps {
#if VESKEL_SOFT_ROUNDING
    static double Add(double a, double b) { return detail::softRoundingDownward ? downward::Add(a, b) : a + b; }
    static double Sub(double a, double b) { return detail::softRoundingDownward ? downward::Sub(a, b) : a - b; }
    static double Mul(double a, double b) { return detail::softRoundingDownward ? downward::Mul(a, b) : a * b; }
    static double Div(double a, double b) { return detail::softRoundingDownward ? downward::Div(a, b) : a / b; }
    static float ToFloat(double v) {
        return detail::softRoundingDownward ? downward::ToFloat(v) : static_cast<float>(v);
    }
#else
    static double Add(double a, double b) { return a + b; }
    static double Sub(double a, double b) { return a - b; }
    static double Mul(double a, double b) { return a * b; }
    static double Div(double a, double b) { return a / b; }
    static float ToFloat(double v) { return static_cast<float>(v); }
#endif
};

// A double whose arithmetic rounds in the process mode inside a FloatRoundingScope: on the
// desktop through the processor (the very same instructions as plain doubles), in the browser
// in software. Outside a scope it rounds to nearest, as plain doubles do.
template <typename Steps>
class BasicModeDouble {
public:
    using StepsType = Steps;
    constexpr BasicModeDouble(double v = 0.0) : v_(v) {}
    constexpr double Value() const { return v_; }

    // The value as float32, rounded in the mode.
    float ToFloat() const { return Steps::ToFloat(v_); }

    friend BasicModeDouble operator+(BasicModeDouble a, BasicModeDouble b) { return Steps::Add(a.v_, b.v_); }
    friend BasicModeDouble operator-(BasicModeDouble a, BasicModeDouble b) { return Steps::Sub(a.v_, b.v_); }
    friend BasicModeDouble operator*(BasicModeDouble a, BasicModeDouble b) { return Steps::Mul(a.v_, b.v_); }
    friend BasicModeDouble operator/(BasicModeDouble a, BasicModeDouble b) { return Steps::Div(a.v_, b.v_); }
    friend constexpr BasicModeDouble operator-(BasicModeDouble a) { return -a.v_; }  // exact in every mode
    friend constexpr auto operator<=>(const BasicModeDouble&, const BasicModeDouble&) = default;

private:
    double v_;
};

// For a few steps inside a scope.
using ModeDouble = BasicModeDouble<ScopeSteps>;

// For loops inside a scope: runs body.template operator()<D>() with the ModeDouble type D of the
// scope's mode, decided once instead of at every step.
template <typename Body>
decltype(auto) WithModeDouble(Body&& body) {
#if VESKEL_SOFT_ROUNDING
    if (detail::softRoundingDownward) return body.template operator()<BasicModeDouble<SoftwareDownwardSteps>>();
#endif
    return body.template operator()<BasicModeDouble<ProcessorSteps>>();
}

template <typename Steps>
int Round(BasicModeDouble<Steps> value) {
    return Round(value.Value());
}

}  // namespace veskel
