// The conversions of the layouts' real numbers that the browser build uses (the C library's)
// give the texts and values the desktop's standard library gives.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/ui/RealText.h"

namespace veskel {
namespace {

TEST(RealText, CLibraryConversionsGiveTheStandardLibrarysTextsAndValues) {
    const double values[] = {0.0, -0.0, 0.1, 1.5, -2.25, 1.0 / 3, 100.0, 1e15, 1e16, 1e20, 1e21, 1e22, 0.0001,
                             0.00012, 1e-5, 123456789012345678.0, 5e-324, 4e-320, 1.7976931348623157e308,
                             std::ldexp(1.0, -1017) /* just above a power of two the shortest rounds up */};
    for (double v : values) {
        const std::string text = portable::WriteReal(v);
        EXPECT_EQ(text, WriteReal(v)) << v;
        const std::optional<double> back = portable::ReadReal(text);
        ASSERT_TRUE(back) << text;
        EXPECT_EQ(std::memcmp(&*back, &v, sizeof v), 0) << text;
    }
    // Accepted and refused alike: denormals, which strtod flags as out of range, are values;
    // underflow to zero and overflow are not; nothing may be left over.
    const char* texts[] = {"1.",  "-.5", "1e+5", "00012.5", "4e-320", "1e-400", "1e400",
                           "1e",  ".",   "e5",   "1.2.3",   "+1",     " 1",     "0x1p3"};
    for (const char* t : texts) EXPECT_EQ(portable::ReadReal(t), ReadReal(t)) << t;
}

}  // namespace
}  // namespace veskel
