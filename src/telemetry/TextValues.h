#pragma once
// The two number conversions every consumer applies to telemetry texts.
// Locale-independent: a Qt process calls setlocale(LC_ALL, ""), so the C library's
// strtol/strtod would read "1,5" in a German locale.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "CompactText.h"

namespace telemetry {

// Leading white space, optional sign, decimal digits; 0 when the text does not
// begin that way; clamped to the signed 32-bit range.
int32_t integerValue(std::string_view text);
// Longest leading decimal floating-point number (no inf, nan or hex); 0 otherwise.
double floatingValue(std::string_view text);
// Whether the text is such a number after its leading white space, with nothing
// after it: a text that merely begins with one, or is none, still has a floating value.
bool isDecimalNumber(std::string_view text);

// A null text reads as 0, as a message to nil does on the original platform.
inline int32_t integerValue(const std::optional<std::string>& text) { return text ? integerValue(std::string_view(*text)) : 0; }
inline double floatingValue(const std::optional<std::string>& text) { return text ? floatingValue(std::string_view(*text)) : 0.0; }
inline int32_t integerValue(const std::string& text) { return integerValue(std::string_view(text)); }
inline double floatingValue(const std::string& text) { return floatingValue(std::string_view(text)); }
inline int32_t integerValue(const char* text) { return integerValue(std::string_view(text)); }
inline double floatingValue(const char* text) { return floatingValue(std::string_view(text)); }
inline int32_t integerValue(const SampleText& text) { return integerValue(text.view()); }
inline double floatingValue(const SampleText& text) { return floatingValue(text.view()); }

// A number truncated toward zero to 32 bits, saturating at either end (NaN is 0):
// a crafted text must not make a conversion overflow.
int32_t truncatedInt32(double value);

// "%d" of a 32-bit value: signed decimal, so 4294967295 prints as -1.
std::string formatSigned32(uint32_t value);

}  // namespace telemetry
