// How the window's number fields read what is typed into them.
#include <gtest/gtest.h>

#include <climits>
#include <utility>

#include "app/FieldNumber.h"

namespace veskel {
namespace {

TEST(ParseFieldNumber, PartialNumbersAndHexadecimal) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"12", 12},          {"12a", 12},           {"-", 0},           {"", 0},
        {"+", 0},            {"   ", 0},            {"$1F", 31},        {"0x1F", 31},
        {"0X1f", 31},        {"x1F", 31},           {"X10", 16},        {"$", 0},
        {"0x", 0},           {"-12", -12},          {"+7", 7},          {"  42", 42},
        {"-12a", 12},        {"12 ", 12},           {"1 2", 1},         {"-$10", -16},
        {"007", 7},          {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
        {"2147483648", 214748364},                  {"$FFFFFFFF", -1},  {"$100000000", 0x10000000},
        {"99999999999", 999999999},                 {"abc", 0},         {"1e3", 1},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ParseFieldNumber(text), value) << '"' << text << '"';
}

}  // namespace
}  // namespace veskel
