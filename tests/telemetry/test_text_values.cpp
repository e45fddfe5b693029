#include <gtest/gtest.h>

#include <clocale>
#include <limits>

#include "TextValues.h"

using telemetry::floatingValue;
using telemetry::integerValue;

// The leading number only, clamped to the signed 32-bit range.
TEST(IntegerValue, ReadsTheLeadingNumberOnly) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max(), kMin = std::numeric_limits<int32_t>::min();
    for (const auto& [text, value] : std::vector<std::pair<const char*, int32_t>>{
             {"12.9", 12}, {"3abc", 3}, {" \t\n-7x", -7}, {"+5", 5}, {"007", 7}, {"abc", 0}, {"", 0}, {"- 3", 0},
             {"0x1F", 0}, {"2147483647", kMax}, {"2147483648", kMax}, {"99999999999999999999999", kMax},
             {"-2147483648", kMin}, {"-99999999999999999999999", kMin}})
        EXPECT_EQ(integerValue(text), value) << text;
    EXPECT_EQ(integerValue(std::optional<std::string>()), 0);
}

// The longest leading decimal number; a bare exponent mark is not part of it, and
// what is not a decimal number (hexadecimal, infinities, NaN) reads as 0.
TEST(FloatingValue, ReadsTheLongestLeadingDecimalNumber) {
    for (const auto& [text, value] : std::vector<std::pair<const char*, double>>{
             {"45.9", 45.9}, {"  +2.5km", 2.5}, {"-.5e-1", -0.05}, {"1e3", 1000.0}, {"1e", 1.0}, {"1e+x", 1.0},
             {"5.", 5.0}, {"1,5", 1.0}, {"", 0}, {".", 0}, {"-", 0}, {"e5", 0}, {"inf", 0}, {"-infinity", 0},
             {"nan", 0}, {"NaN(1)", 0}, {"abc", 0}, {"0x10", 0}, {"0.1", 0.1}})
        EXPECT_EQ(floatingValue(text), value) << text;  // correctly rounded, not accumulated digit by digit
}

TEST(FloatingValue, IgnoresTheProcessLocale) {
    // Qt sets the locale from the environment; a decimal comma must not change readings.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    bool switched = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "C.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name)) { switched = true; break; }
    EXPECT_DOUBLE_EQ(floatingValue("451234.5"), 451234.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
    if (!switched) GTEST_SKIP() << "no other locale installed";
}
