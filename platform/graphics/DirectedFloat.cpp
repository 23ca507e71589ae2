#include "platform/graphics/DirectedFloat.h"

namespace veskel::downward {

// The operands are brought to mantissas in [0.5, 1) and the processor's result is scaled by the
// same power of two. Scaling is exact for every finite double (a subnormal result only grows),
// so the scaled comparison decides the original one, and the scaled error terms stay normal.

double MulScaled(double a, double b, double p) {
    // A zero, infinite or NaN operand gives an exact (or NaN) result.
    if (a == 0.0 || b == 0.0 || !std::isfinite(a) || !std::isfinite(b)) return p;
    int ea, eb;
    const double ma = std::frexp(a, &ea), mb = std::frexp(b, &eb);
    const double ps = std::ldexp(p, -(ea + eb));  // +inf after an overflow: above, as it should be
    double hi, lo;
    TwoProduct(ma, mb, hi, lo);
    return ps > hi || (ps == hi && lo < 0.0) ? StepDown(p) : p;
}

double DivScaled(double a, double b, double q) {
    if (a == 0.0 || b == 0.0 || !std::isfinite(a) || !std::isfinite(b)) return q;
    if (std::isinf(q)) return q > 0.0 ? std::numeric_limits<double>::max() : q;
    int ea, eb;
    const double ma = std::frexp(a, &ea), mb = std::frexp(b, &eb);
    const double qs = std::ldexp(q, -(ea - eb));
    // Round to nearest keeps qs * mb within a factor of two of ma, so d is exact.
    double hi, lo;
    TwoProduct(qs, mb, hi, lo);
    const double d = ma - hi;
    const bool qAbove = mb > 0.0 ? d < lo : d > lo;
    return qAbove ? StepDown(q) : q;
}

double SqrtScaled(double a, double s) {
    if (!(a > 0.0) || std::isinf(a)) return s;  // zero, negative, NaN, infinity: exact or NaN
    // a = as * 2^(2k) with as in [0.25, 1); the root scales by 2^k.
    int e;
    const double m = std::frexp(a, &e);
    const int k = (e + (e & 1)) / 2;
    const double as = std::ldexp(m, e - 2 * k), ss = std::ldexp(s, -k);
    double hi, lo;
    TwoProduct(ss, ss, hi, lo);
    return hi - as > -lo ? StepDown(s) : s;
}

}  // namespace veskel::downward
