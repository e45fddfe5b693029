#include "SampleValues.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "PositionFix.h"
#include "SampleClock.h"
#include "TextValues.h"

namespace trips {

using telemetry::Class_Subtitle_Info;

std::optional<CameraTime> cameraTime(const Class_Subtitle_Info& s) { return telemetry::cameraClockSeconds(s); }

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

std::optional<GeoPoint> usableFix(const Class_Subtitle_Info& s) {
    if (!telemetry::hasPositionFix(s)) return std::nullopt;
    if (!telemetry::isDecimalNumber(s.lat.view()) || !telemetry::isDecimalNumber(s.lon.view())) return std::nullopt;
    GeoPoint p{quickFloating(s.lat.view()) / 10000.0, quickFloating(s.lon.view()) / 10000.0};
    if (s.NS == "S") p.lat = -p.lat;
    if (s.WE == "W") p.lon = -p.lon;
    if (!telemetry::isUsableCoordinate(p.lat, p.lon)) return std::nullopt;  // the rule every consumer shares
    return p;
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

std::optional<double> speedKmh(const Class_Subtitle_Info& s) {
    const double v = quickFloating(s.speed.view());
    if (!(v >= 0 && v <= 500)) return std::nullopt;  // a damaged text, not a car
    return v;
}

std::array<double, 3> gForces(const Class_Subtitle_Info& s) {
    std::array<double, 3> g{quickFloating(s.gx.view()), quickFloating(s.gy.view()), quickFloating(s.gz.view())};
    for (double& v : g)
        if (!std::isfinite(v)) v = NAN;
    return g;
}

double quickFloating(std::string_view t) {
    // An integer mantissa of at most 15 digits and a power of ten up to 10^22 are
    // exact doubles, so one division rounds exactly as a full decimal reader does.
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16};
    size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    int64_t mantissa = 0;
    int digits = 0, fraction = 0;
    const auto take = [&](char c) {
        if (++digits <= 15) mantissa = mantissa * 10 + (c - '0');  // beyond, the slow path reads it
    };
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) take(t[i]);
    if (i < t.size() && t[i] == '.')
        for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++fraction) take(t[i]);
    const bool exponent = i < t.size() && (t[i] == 'e' || t[i] == 'E');
    if (digits == 0 || digits > 15 || exponent) return telemetry::floatingValue(t);
    const double v = double(mantissa) / kPowers[fraction];
    return negative ? -v : v;
}

}  // namespace trips
