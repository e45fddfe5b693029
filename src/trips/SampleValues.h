#pragma once
// What the drive computations read from one sample: the camera's clock, a usable
// position, the speed and the G-sensor axes, as numbers.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Class_Subtitle_Info.h"

namespace trips {

// Seconds since 1970-01-01 00:00:00 on the camera's own clock (no time zone), or
// nullopt when the date and time fields do not name a real instant.
using CameraTime = int64_t;
std::optional<CameraTime> cameraTime(const telemetry::Class_Subtitle_Info& sample);
// "2016-05-12T09:03:07".
std::string cameraTimeText(CameraTime time);

struct GeoPoint {
    double lat = 0, lon = 0;  // degrees, negative south and west
    bool operator==(const GeoPoint&) const = default;
};

// Whether a sample's position can be used, by the rule of telemetry::positionFix:
// a position fix (integer value of lat above 0) whose lat and lon texts are
// numbers and whose degrees are finite and on the globe.
std::optional<GeoPoint> usableFix(const telemetry::Class_Subtitle_Info& sample);

// Great-circle distance on a sphere of the Earth's mean radius.
double haversineMetres(const GeoPoint& a, const GeoPoint& b);
// The same with the cosines of both latitudes known.
double haversineMetres(const GeoPoint& a, const GeoPoint& b, double cosLatA, double cosLatB);
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

// The camera's speed in km/h, nullopt when it is not a plausible number.
std::optional<double> speedKmh(const telemetry::Class_Subtitle_Info& sample);

// gx, gy, gz in g; NaN for a text that reads as no finite number.
std::array<double, 3> gForces(const telemetry::Class_Subtitle_Info& sample);

// floatingValue of the core for texts a camera writes, without its copy and
// strtod: these run over every sample of every recording. Same result for every
// text that reads as a finite number.
double quickFloating(std::string_view text);

}  // namespace trips
