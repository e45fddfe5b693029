#pragma once
// The clock and the geometry the drive computations share. They read Samples, the
// numbers a reader decoded, whatever camera wrote them.

#include <cstdint>
#include <optional>
#include <string>

#include "Sample.h"

namespace trips {

// Whole seconds since 1970-01-01 00:00:00 of the clock the sample was read on (UTC
// for satellite times, the camera's own clock otherwise).
using CameraTime = int64_t;
std::optional<CameraTime> cameraTime(const telemetry::Sample& sample);
// "2016-05-12T09:03:07".
std::string cameraTimeText(CameraTime time);

using GeoPoint = telemetry::GeoPoint;

// Great-circle distance on a sphere of the Earth's mean radius.
double haversineMetres(const GeoPoint& a, const GeoPoint& b);
// The same with the cosines of both latitudes known.
double haversineMetres(const GeoPoint& a, const GeoPoint& b, double cosLatA, double cosLatB);
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

// The speed the drive computations count: the camera's, where the sample also has a
// fix (GPS speed without a fix is noise), and plausible for a car.
std::optional<double> drivenSpeedKmh(const telemetry::Sample& sample);

}  // namespace trips
