#include "platform/graphics/DirectedFloat.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cinttypes>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

namespace veskel {
namespace {

enum class Op { Add, Sub, Mul, Div, Sqrt, ToFloat };
constexpr const char* kOpNames[] = {"+", "-", "*", "/", "sqrt", "float"};

// The processor's own result while it rounds downward (-frounding-math keeps it at run time).
double ProcessorDownward(Op op, double a, double b) {
    volatile double x = a, y = b, r = 0.0;
    volatile float f = 0.0f;
    std::fesetround(FE_DOWNWARD);
    switch (op) {
    case Op::Add: r = x + y; break;
    case Op::Sub: r = x - y; break;
    case Op::Mul: r = x * y; break;
    case Op::Div: r = x / y; break;
    case Op::Sqrt: r = std::sqrt(x); break;
    case Op::ToFloat: f = static_cast<float>(x); r = f; break;
    }
    std::fesetround(FE_TONEAREST);
    return r;
}

double Software(Op op, double a, double b) {
    switch (op) {
    case Op::Add: return downward::Add(a, b);
    case Op::Sub: return downward::Sub(a, b);
    case Op::Mul: return downward::Mul(a, b);
    case Op::Div: return downward::Div(a, b);
    case Op::Sqrt: return downward::Sqrt(a);
    case Op::ToFloat: return downward::ToFloat(a);
    }
    return 0.0;
}

bool SameBits(double a, double b) {
    return std::isnan(a) ? std::isnan(b) : std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Hard cases (ties, exact results, signed zeros, subnormals, overflow, the edges of the fast
// path) crossed with each other, then random bit patterns and random near neighbours.
TEST(DirectedFloat, SoftwareStepsEqualTheProcessorRoundingDownward) {
    ASSERT_EQ(std::fegetround(), FE_TONEAREST);
    const double inf = std::numeric_limits<double>::infinity(), big = std::numeric_limits<double>::max();
    std::vector<double> values = {
        0.0, -0.0, 1.0, -1.0, 3.0, 0.1, -0.1, 0.5, 1.0 + 0x1p-52, 0x1p-53, 3 * 0x1p-54, 1.0 - 0x1p-53, 240.0, 255.0,
        510.0, 254.0 / 3.0, -254.0 / 12.0, 134217729.0, 0x1p-1074, -0x1p-1074, 3 * 0x1p-1074, 0x1p-1022,
        0x1.fffffffffffffp-1023, 0x1p-540, 0x1p-480, 0x1.8p-481, 0x1p480, 0x1.0000000000001p480, 0x1p700, 1e300,
        -1e-300, big, -big, 0x1.fffffffffffffp1022, inf, -inf, std::numeric_limits<double>::quiet_NaN(),
        // float32 edges: the largest float and half an ulp above it, the smallest subnormal float,
        // the tie below it, the smallest normal float.
        double(std::numeric_limits<float>::max()), 0x1.ffffffp127, -0x1.ffffffp127, 0x1p-149, 0x1p-150, -0x1p-150,
        0x1.8p-149, 0x1p-126, 16777217.0, -16777219.0};
    std::vector<std::pair<double, double>> pairs;
    for (double a : values)
        for (double b : values) pairs.emplace_back(a, b);
    std::mt19937_64 rng(20261207);
    std::uniform_real_distribution<double> unit(-1000.0, 1000.0);
    for (int i = 0; i < 200000; ++i) {
        const double a = std::bit_cast<double>(rng()), b = std::bit_cast<double>(rng());
        pairs.emplace_back(a, b);
        const double u = unit(rng), v = unit(rng);
        pairs.emplace_back(u, std::nextafter(-u, rng() & 1 ? inf : -inf));  // cancellation
        pairs.emplace_back(u, v);
        pairs.emplace_back(u, double(rng() % 1000 + 1));  // short divisors and factors
        pairs.emplace_back(std::ldexp(u, int(rng() % 2100) - 1100), std::ldexp(v, int(rng() % 2100) - 1100));
    }
    int failures = 0;
    for (const auto& [a, b] : pairs) {
        for (Op op : {Op::Add, Op::Sub, Op::Mul, Op::Div, Op::Sqrt, Op::ToFloat}) {
            const double want = ProcessorDownward(op, a, b), got = Software(op, a, b);
            if (!SameBits(want, got) && ++failures <= 10)
                ADD_FAILURE() << kOpNames[int(op)] << std::hexfloat << " a=" << a << " b=" << b << " want " << want
                              << " got " << got;
        }
    }
    EXPECT_EQ(failures, 0);

    // Integers too wide for the target type.
    const std::int64_t ints[] = {0, 1, -1, (1LL << 53) + 1, -((1LL << 53) + 1), (1LL << 24) + 1, -((1LL << 24) + 1),
                                 INT64_MAX, INT64_MIN, INT64_MAX - 1024, INT64_MIN + 1, 123456789012345679LL};
    for (std::int64_t i : ints) {
        volatile std::int64_t v = i;
        std::fesetround(FE_DOWNWARD);
        const double d = double(v);
        const float f = float(v);
        std::fesetround(FE_TONEAREST);
        EXPECT_TRUE(SameBits(downward::FromInt64(i), d)) << i;
        EXPECT_TRUE(SameBits(downward::FromInt64ToFloat(i), f)) << i;
    }
}

}  // namespace
}  // namespace veskel
