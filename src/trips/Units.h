#pragma once
// The settings' units for what the drive computations give in metres and km/h.

#include <cstdint>
#include <string_view>

namespace trips {

constexpr double kMilesPerKilometre = 0.621371;  // the factor the speed label uses

// PresetDistanceUnit: 0 miles, any other value kilometres.
constexpr double distanceInUnit(double metres, int64_t distanceUnit) {
    return distanceUnit == 0 ? metres / 1000.0 * kMilesPerKilometre : metres / 1000.0;
}
constexpr std::string_view distanceUnitName(int64_t distanceUnit) { return distanceUnit == 0 ? "mi" : "km"; }

// PresetSpeedUnit: 0 miles per hour, any other value km/h.
constexpr double speedInUnit(double kmh, int64_t speedUnit) { return speedUnit == 0 ? kmh * kMilesPerKilometre : kmh; }
constexpr std::string_view speedUnitName(int64_t speedUnit) { return speedUnit == 0 ? "mph" : "km/h"; }

}  // namespace trips
