#include "SampleValues.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace trips {

std::optional<CameraTime> cameraTime(const telemetry::Sample& s) {
    if (!s.time) return std::nullopt;
    return std::chrono::floor<std::chrono::seconds>(s.time->sinceEpoch).count();
}

std::string cameraTimeText(CameraTime time) {
    using namespace std::chrono;
    const CameraTime days = time >= 0 ? time / 86400 : (time - 86399) / 86400;
    const CameraTime rest = time - days * 86400;
    const year_month_day date{sys_days(std::chrono::days(days))};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d", int(date.year()), unsigned(date.month()),
                  unsigned(date.day()), int(rest / 3600), int(rest % 3600 / 60), int(rest % 60));
    return text;
}

double haversineMetres(const GeoPoint& a, const GeoPoint& b) {
    return haversineMetres(a, b, std::cos(a.lat * kRadiansPerDegree), std::cos(b.lat * kRadiansPerDegree));
}

double haversineMetres(const GeoPoint& a, const GeoPoint& b, double cosLatA, double cosLatB) {
    constexpr double kEarthRadius = 6371008.8;  // mean radius, metres
    const double sLat = std::sin((b.lat - a.lat) * kRadiansPerDegree / 2);
    const double sLon = std::sin((b.lon - a.lon) * kRadiansPerDegree / 2);
    const double h = sLat * sLat + cosLatA * cosLatB * sLon * sLon;
    return 2 * kEarthRadius * std::asin(std::sqrt(std::min(1.0, h)));
}

std::optional<double> drivenSpeedKmh(const telemetry::Sample& s) {
    if (!s.fix || !s.speedKmh || !(*s.speedKmh >= 0 && *s.speedKmh <= 500)) return std::nullopt;
    return s.speedKmh;
}

}  // namespace trips
