#pragma once
// Where a sample says the vehicle was, in signed degrees, or nothing. A text such as
// "9e9999" reads as an infinite number of the same length as a real one, so every
// consumer that draws, measures or writes a position asks here first.

#include <optional>
#include <string_view>

#include "Class_Subtitle_Info.h"

namespace telemetry {

struct Position {
    double latitude = 0;   // degrees, south negative
    double longitude = 0;  // degrees, west negative
};

// Finite and within +-90 degrees of latitude and +-180 of longitude.
bool isUsableCoordinate(double latitude, double longitude);

// Degrees from texts in ten-thousandths of a degree; "S" and "W" negate whatever the
// sign as read. Nothing when either text is not wholly a number (isDecimalNumber)
// or the result is not a usable coordinate.
std::optional<Position> positionFromTexts(std::string_view lat, std::string_view lon, std::string_view ns,
                                          std::string_view we);

// The sample's position when it has a fix (hasPositionFix) at a usable coordinate.
std::optional<Position> positionFix(const Class_Subtitle_Info& sample);

}  // namespace telemetry
