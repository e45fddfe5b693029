#pragma once
// Telemetry lines that look like a real drive: smooth positions, headings and
// speeds, G values around (0, 0, 1), one line per second.

#include <cstdint>
#include <string>
#include <vector>

namespace testgen {

// Something for the event finder to find, at a second of the drive.
struct Incident {
    enum Kind { Braking, Pothole } kind = Braking;
    int second = 0;
};

struct DriveOptions {
    int seconds = 60;
    double startLat = 48.1374;  // degrees; negative is south
    double startLon = 11.5755;  // degrees; negative is west
    double startHeading = 45.0;
    double startSpeedKmh = 40.0;
    int year = 2016, month = 5, day = 12, hour = 9, minute = 3, second = 7;
    int noFixSeconds = 0;  // the first lines have no position fix (lat and lon 0)
    uint32_t seed = 1;
    double turnNoise = 1.5;   // degrees per second; 0 drives straight on
    double speedNoise = 1.2;  // km/h per second; 0 holds the speed
    double gNoise = 0.0;      // extra jitter on every G axis, uniform within +/- this, g
    // Braking: the speed drops by 40 km/h within that second (60 to 20 from a
    // steady 60). Pothole: a 1 g spike on Z.
    std::vector<Incident> incidents = {};
};

// One second of a drive as numbers, for the writers of every camera format.
struct DrivePoint {
    double lat = 0, lon = 0;  // signed degrees, where the car is
    bool fix = true;          // whether the camera had a position fix
    double headingDegrees = 0, speedKmh = 0;
    double gx = 0, gy = 0, gz = 0;  // as the camera's G-sensor gives them, in g
    long long unixSeconds = 0;      // the date and time fields as seconds since 1970
};

std::vector<DrivePoint> simulateDrivePoints(const DriveOptions& options);

// "$gx$gy$gz$lon$lat$heading$speed$year$month$day$hour$min$sec$NS$WE"; lat and lon
// unsigned in ten-thousandths of a degree (0 without a fix); date and time fields
// unpadded.
std::string timedTextLine(const DrivePoint& point);
std::vector<std::string> simulateDrive(const DriveOptions& options);

// The calendar fields of seconds since 1970.
struct CivilTime {
    int year, month, day, hour, minute, second;
};
CivilTime civilTime(long long unixSeconds);

// One drive cut into consecutive recordings of the given lengths, as a camera
// splits a trip; gapSeconds of the drive go unrecorded between two recordings (so
// the next one's first sample is gapSeconds + 1 after the last one's). Incident
// seconds count over the whole drive, gaps included.
std::vector<std::vector<DrivePoint>> cutDrivePoints(DriveOptions options, const std::vector<int>& recordingSeconds,
                                                    int gapSeconds);
std::vector<std::vector<std::string>> cutDrive(const DriveOptions& options, const std::vector<int>& recordingSeconds,
                                               int gapSeconds);

// A timed-text sample: 2-byte big-endian length, then the UTF-8 text.
std::string timedTextSample(const std::string& text);

}  // namespace testgen
