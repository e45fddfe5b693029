#pragma once
// One telemetry sample as numbers, whatever camera wrote it: decoded once when the
// recording is read, so no consumer parses a camera's texts again. What the camera
// did not give is absent, never 0.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

namespace telemetry {

// A place on the globe in signed degrees: south and west negative.
struct GeoPoint {
    double lat = 0, lon = 0;
    std::optional<double> altitudeMetres;
    bool operator==(const GeoPoint&) const = default;
};

// A calendar date and time of day as a clock read it. Satellite times are UTC; a
// camera's own clock is in whatever zone it was set to, so it is kept apart.
struct RecordedTime {
    enum class Clock { Utc, Camera };
    // The reading as milliseconds since 1970-01-01 00:00 of that same clock.
    std::chrono::milliseconds sinceEpoch{0};
    Clock clock = Clock::Camera;
    bool operator==(const RecordedTime&) const = default;
};

struct Sample {
    double videoSeconds = 0;  // where in the video the sample belongs
    std::optional<RecordedTime> time;
    std::optional<GeoPoint> fix;
    std::optional<double> speedKmh;
    std::optional<double> headingDegrees;
    std::array<std::optional<double>, 3> g;  // G-sensor X, Y, Z in g
    // 0 no fix, 2 two-dimensional, 3 three-dimensional, where the format grades it.
    std::optional<int32_t> fixQuality;
    bool operator==(const Sample&) const = default;
};

}  // namespace telemetry
