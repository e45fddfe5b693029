#include "Drive.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <stdexcept>

namespace testgen {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Civil-from-days (Howard Hinnant), so timestamps roll over minutes, days and months.
void civilFromSeconds(long long t, int& y, int& mo, int& d, int& h, int& mi, int& s) {
    long long days = t / 86400, rem = t % 86400;
    h = int(rem / 3600), mi = int(rem % 3600 / 60), s = int(rem % 60);
    days += 719468;
    const long long era = days / 146097;
    const unsigned doe = unsigned(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    mo = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (mo <= 2));
}

long long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long long era = y / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = unsigned((153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1);
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

}  // namespace

CivilTime civilTime(long long unixSeconds) {
    CivilTime c{};
    civilFromSeconds(unixSeconds, c.year, c.month, c.day, c.hour, c.minute, c.second);
    return c;
}

std::vector<DrivePoint> simulateDrivePoints(const DriveOptions& o) {
    std::mt19937 rng(o.seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    const long long start = daysFromCivil(o.year, o.month, o.day) * 86400 + o.hour * 3600 + o.minute * 60 + o.second;

    std::vector<DrivePoint> points;
    double lat = o.startLat, lon = o.startLon, heading = o.startHeading, speed = o.startSpeedKmh;
    std::uniform_real_distribution<double> jitter(-o.gNoise, o.gNoise);
    const auto incidentAt = [&o](int t, Incident::Kind kind) {
        return std::any_of(o.incidents.begin(), o.incidents.end(),
                           [&](const Incident& i) { return i.second == t && i.kind == kind; });
    };
    double turnRate = 0.0;
    for (int t = 0; t < o.seconds; ++t) {
        // Gentle, bounded changes: a driver turns over several seconds.
        turnRate = 0.8 * turnRate + o.turnNoise * noise(rng);
        const double previousSpeed = speed;
        speed = std::clamp(speed + o.speedNoise * noise(rng), 5.0, 110.0);
        if (incidentAt(t, Incident::Braking)) speed = std::max(previousSpeed - 40.0, 0.0);
        heading = std::fmod(heading + turnRate + 360.0, 360.0);

        const double metres = speed / 3.6;
        lat += metres * std::cos(heading * kPi / 180.0) / 111320.0;
        lon += metres * std::sin(heading * kPi / 180.0) / (111320.0 * std::cos(lat * kPi / 180.0));

        const double gx = (speed - previousSpeed) / 3.6 / 9.81 + 0.01 * noise(rng);
        const double gy = metres * (turnRate * kPi / 180.0) / 9.81 + 0.01 * noise(rng);
        double gz = 1.0 + 0.02 * noise(rng);
        if (incidentAt(t, Incident::Pothole)) gz += 1.0;
        DrivePoint p;
        p.gx = gx + (o.gNoise > 0 ? jitter(rng) : 0.0);
        p.gy = gy + (o.gNoise > 0 ? jitter(rng) : 0.0);
        if (o.gNoise > 0) gz += jitter(rng);
        p.gz = gz;
        p.lat = lat, p.lon = lon, p.fix = t >= o.noFixSeconds;
        p.headingDegrees = heading, p.speedKmh = speed;
        p.unixSeconds = start + t;
        points.push_back(p);
    }
    return points;
}

std::string timedTextLine(const DrivePoint& p) {
    const CivilTime c = civilTime(p.unixSeconds);
    char line[256];
    std::snprintf(line, sizeof line, "$%.2f$%.2f$%.2f$%ld$%ld$%d$%.1f$%d$%d$%d$%d$%d$%d$%s$%s", p.gx, p.gy, p.gz,
                  p.fix ? std::lround(std::fabs(p.lon) * 10000.0) : 0L, p.fix ? std::lround(std::fabs(p.lat) * 10000.0) : 0L,
                  int(std::lround(p.headingDegrees)) % 360, p.speedKmh, c.year, c.month, c.day, c.hour, c.minute, c.second,
                  p.lat < 0 ? "S" : "N", p.lon < 0 ? "W" : "E");
    return line;
}

std::vector<std::string> simulateDrive(const DriveOptions& options) {
    std::vector<std::string> lines;
    for (const DrivePoint& p : simulateDrivePoints(options)) lines.push_back(timedTextLine(p));
    return lines;
}

std::vector<std::vector<DrivePoint>> cutDrivePoints(DriveOptions options, const std::vector<int>& recordingSeconds,
                                                    int gapSeconds) {
    if (gapSeconds < 0) throw std::invalid_argument("a gap between recordings cannot be negative");
    options.seconds = 0;
    for (const int seconds : recordingSeconds) options.seconds += seconds;
    if (!recordingSeconds.empty()) options.seconds += gapSeconds * int(recordingSeconds.size() - 1);
    const std::vector<DrivePoint> points = simulateDrivePoints(options);
    std::vector<std::vector<DrivePoint>> recordings;
    auto next = points.begin();
    for (const int seconds : recordingSeconds) {
        if (!recordings.empty()) next += gapSeconds;
        recordings.emplace_back(next, next + seconds);
        next += seconds;
    }
    return recordings;
}

std::vector<std::vector<std::string>> cutDrive(const DriveOptions& options, const std::vector<int>& recordingSeconds,
                                               int gapSeconds) {
    std::vector<std::vector<std::string>> recordings;
    for (const auto& points : cutDrivePoints(options, recordingSeconds, gapSeconds)) {
        recordings.emplace_back();
        for (const DrivePoint& p : points) recordings.back().push_back(timedTextLine(p));
    }
    return recordings;
}

std::string timedTextSample(const std::string& text) {
    if (text.size() > 0xFFFF) throw std::length_error("timed-text sample longer than 65535 bytes");
    std::string sample;
    sample += char(text.size() >> 8);
    sample += char(text.size() & 0xFF);
    return sample + text;
}

}  // namespace testgen
