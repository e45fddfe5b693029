#pragma once
// Telemetry lines that look like a real drive: smooth positions, headings and
// speeds, G values around (0, 0, 1), one line per second.

#include <cstdint>
#include <string>
#include <vector>

namespace testgen {

struct DriveOptions {
    int seconds = 60;
    double startLat = 48.1374;  // degrees; negative is south
    double startLon = 11.5755;  // degrees; negative is west
    double startHeading = 45.0;
    double startSpeedKmh = 40.0;
    int year = 2016, month = 5, day = 12, hour = 9, minute = 3, second = 7;
    int noFixSeconds = 0;  // the first lines have no position fix (lat and lon 0)
    uint32_t seed = 1;
};

// "$gx$gy$gz$lon$lat$heading$speed$year$month$day$hour$min$sec$NS$WE"; lat and lon
// unsigned in ten-thousandths of a degree; date and time fields unpadded.
std::vector<std::string> simulateDrive(const DriveOptions& options);

// A timed-text sample: 2-byte big-endian length, then the UTF-8 text.
std::string timedTextSample(const std::string& text);

}  // namespace testgen
