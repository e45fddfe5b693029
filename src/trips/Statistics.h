#pragma once
// How far, how long and how hard a recording or a trip was driven. Computed in
// metres, seconds, km/h and g; Units.h turns them into the settings' units.

#include <array>
#include <cstddef>

#include <span>

#include "Sample.h"

namespace trips {

// Moving: the camera's speed is above this (GPS speed jitters around zero when parked).
constexpr double kMovingKmh = 3.0;

// Faster than this between two fixes, one of them is a damaged position: the step
// counts in neither distance nor moving time.
constexpr double kMaxStepKmh = 500.0;
constexpr bool plausibleStep(double metres, double seconds) { return metres * 3.6 <= kMaxStepKmh * seconds; }

struct Statistics {
    double distanceMetres = 0;  // haversine between consecutive samples with a fix (plausibleStep)
    double movingSeconds = 0;   // video time between such samples while the speed is above kMovingKmh
    double maxSpeedKmh = 0;     // over samples with a fix
    std::array<double, 3> maxAbsG{0, 0, 0};  // largest |gx|, |gy|, |gz|
    size_t events = 0;

    // Distance over moving time; 0 when it never moved.
    double averageSpeedKmh() const { return movingSeconds > 0 ? distanceMetres / movingSeconds * 3.6 : 0; }
    // Adds another part of the same drive.
    Statistics& operator+=(const Statistics& other);
    bool operator==(const Statistics&) const = default;
};

// The samples in video order. A recording without telemetry has all zeros; events
// stays 0 (findEvents counts them).
Statistics recordingStatistics(std::span<const telemetry::Sample> samples);

}  // namespace trips
