#include "TextValues.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace telemetry {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

size_t skipSpace(std::string_view t) {
    size_t i = 0;
    while (i < t.size() && isSpace(t[i])) ++i;
    return i;
}

locale_t cLocale() {
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return loc;
}

}  // namespace

int32_t integerValue(std::string_view t) {
    size_t i = skipSpace(t);
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    int64_t magnitude = 0;
    constexpr int64_t limit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    for (; i < t.size() && isDigit(t[i]); ++i) {
        magnitude = magnitude * 10 + (t[i] - '0');
        if (magnitude > limit) magnitude = limit;  // saturate; the clamp below finishes the job
    }
    int64_t v = negative ? -magnitude : magnitude;
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return int32_t(v);
}

namespace {

// The end of the decimal number that starts at begin, or begin when none does.
size_t numberEnd(std::string_view t, size_t begin) {
    size_t i = begin;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t digits = 0;
    while (i < t.size() && isDigit(t[i])) ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && isDigit(t[i])) ++i, ++digits;
    }
    if (digits == 0) return begin;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
        if (j < t.size() && isDigit(t[j])) {
            while (j < t.size() && isDigit(t[j])) ++j;
            i = j;
        }
    }
    return i;
}

}  // namespace

bool isDecimalNumber(std::string_view t) {
    const size_t begin = skipSpace(t);
    return begin < t.size() && numberEnd(t, begin) == t.size();
}

double floatingValue(std::string_view t) {
    const size_t begin = skipSpace(t);
    const size_t i = numberEnd(t, begin);
    if (i == begin) return 0.0;
    // A camera's texts are short decimals: an integer mantissa of at most 15 digits
    // and a power of ten up to 10^16 are exact doubles, so one division rounds as
    // strtod does. Every sample of every recording goes through here.
    {
        static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8,
                                             1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16};
        size_t k = begin;
        bool negative = false;
        if (t[k] == '+' || t[k] == '-') negative = t[k++] == '-';
        int64_t mantissa = 0;
        int digits = 0, fraction = 0;
        bool point = false, plain = true;
        for (; k < i && plain; ++k) {
            if (t[k] == '.') point = true;
            else if (t[k] >= '0' && t[k] <= '9') {
                if (++digits <= 15) mantissa = mantissa * 10 + (t[k] - '0');  // beyond, strtod reads it
                fraction += point;
            }
            else plain = false;  // an exponent: strtod reads it
        }
        if (plain && digits > 0 && digits <= 15) {
            const double v = double(mantissa) / kPowers[fraction];
            return negative ? -v : v;
        }
    }
    // The prefix is validated, so strtod (in the C locale) reads exactly it, with its
    // usual rounding, overflow to HUGE_VAL and underflow behaviour.
    const std::string number(t.substr(begin, i - begin));
    return strtod_l(number.c_str(), nullptr, cLocale());
}

int32_t truncatedInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return int32_t(value);
}

std::string formatSigned32(uint32_t value) { return std::to_string(int32_t(value)); }

}  // namespace telemetry
