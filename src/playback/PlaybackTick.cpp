#include "PlaybackTick.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <limits>

#include "PositionFix.h"
#include "TextValues.h"

using telemetry::floatingValue;
using telemetry::integerValue;

namespace {
constexpr double kMilesPerKilometre = 0.621371;
QString text(const telemetry::Text& t) { return t ? QString::fromStdString(*t) : QString(); }
}  // namespace

float tickPositionMs(int64_t value, int32_t timescale) {
    return float(double(value * 1000) / double(timescale));
}

uint32_t tickSampleIndex(float positionMs, const telemetry::Class_Video_Info& record) {
    // Truncated toward zero to 32 bits; a position no recording reaches saturates.
    int32_t ms = 0;
    if (std::isfinite(positionMs))
        ms = positionMs >= 2147483647.0f ? std::numeric_limits<int32_t>::max()
           : positionMs <= -2147483648.0f ? std::numeric_limits<int32_t>::min()
                                          : int32_t(positionMs);
    const int32_t seconds = ms / 1000;
    const uint32_t n = record.num_subtitle, d = record.duration_second;
    if (d == 0 || n % d == 0) {
        const uint32_t index = uint32_t(seconds) * record.gapSubtitlePerSecond;
        if (index >= n) return n - record.lastPosition;
        return index;
    }
    // The samples per second were rounded up, so whole seconds times that run
    // ahead of the table: spread the samples evenly over the seconds instead.
    if (seconds <= 0) return 0;
    const uint64_t index = uint64_t(seconds) * n / d;
    return uint32_t(std::min<uint64_t>(index, n - 1));
}

int64_t sampleVideoSeconds(uint32_t index, const telemetry::Class_Video_Info& record) {
    const uint64_t n = record.num_subtitle, d = record.duration_second;
    uint64_t seconds = 0;
    if (d == 0 || n % d == 0) {
        if (record.gapSubtitlePerSecond) seconds = index / record.gapSubtitlePerSecond;
    } else if (n) {
        seconds = (uint64_t(index) * d + n - 1) / n;  // the first second with index <= seconds * n / d
    }
    return int64_t(std::min(seconds, d ? d - 1 : 0));
}

namespace {

// A language puts the day, month and year in its own order.
QString dateText(const QString& year, const QString& month, const QString& day, const QString& hour,
                 const QString& minute, const QString& second) {
    return QCoreApplication::translate("TickTexts", "DATE: %1/%2/%3 %4:%5:%6").arg(year, month, day, hour, minute, second);
}

}  // namespace

TickTexts tickTexts(const telemetry::Class_Subtitle_Info& s, int64_t speedUnit) {
    TickTexts t;
    t.gx = QStringLiteral("X : ") + text(s.gx);
    t.gy = QStringLiteral("Y : ") + text(s.gy);
    t.gz = QStringLiteral("Z : ") + text(s.gz);
    const bool mph = speedUnit == 0;
    const int32_t speed = mph ? telemetry::truncatedInt32(floatingValue(s.speed) * kMilesPerKilometre) : integerValue(s.speed);
    t.speed = QCoreApplication::translate("TickTexts", "SPEED : %1%2").arg(speed).arg(mph ? QStringLiteral("Mph") : QStringLiteral("Kmh"));
    // By value: the stored fields carry the camera's own leading zeros ("005").
    auto field = [](const telemetry::Text& t, int width) { return QStringLiteral("%1").arg(integerValue(t), width, 10, QLatin1Char('0')); };
    t.date = dateText(field(s.year, 4), field(s.month, 2), field(s.day, 2), field(s.hour, 2), field(s.min, 2), field(s.second, 2));
    return t;
}

TickTexts tickTexts(const telemetry::Sample& s, int64_t speedUnit) {
    TickTexts t;
    auto g = [](const std::optional<double>& v) { return v ? QString::number(*v, 'f', 2) : QStringLiteral("-"); };
    t.gx = QStringLiteral("X : ") + g(s.g[0]);
    t.gy = QStringLiteral("Y : ") + g(s.g[1]);
    t.gz = QStringLiteral("Z : ") + g(s.g[2]);
    const bool mph = speedUnit == 0;
    const QString unit = mph ? QStringLiteral("Mph") : QStringLiteral("Kmh");
    if (s.speedKmh)
        t.speed = QCoreApplication::translate("TickTexts", "SPEED : %1%2")
                      .arg(telemetry::truncatedInt32(mph ? *s.speedKmh * kMilesPerKilometre : *s.speedKmh))
                      .arg(unit);
    else
        t.speed = QCoreApplication::translate("TickTexts", "SPEED : -%1").arg(unit);
    if (s.time) {
        const QDateTime at = QDateTime::fromMSecsSinceEpoch(s.time->sinceEpoch.count(), QTimeZone::utc());
        auto field = [](int v, int width) { return QStringLiteral("%1").arg(v, width, 10, QLatin1Char('0')); };
        const QDate d = at.date();
        const QTime time = at.time();
        t.date = dateText(field(d.year(), 4), field(d.month(), 2), field(d.day(), 2), field(time.hour(), 2),
                          field(time.minute(), 2), field(time.second(), 2));
    } else {
        t.date = QCoreApplication::translate("TickTexts", "DATE: -");
    }
    return t;
}

std::optional<size_t> sampleAt(const std::vector<telemetry::Sample>& samples, double positionMs) {
    const double seconds = positionMs / 1000.0;
    const auto after = std::upper_bound(samples.begin(), samples.end(), seconds,
                                        [](double t, const telemetry::Sample& s) { return t < s.videoSeconds; });
    if (after == samples.begin()) return std::nullopt;
    return size_t(after - samples.begin() - 1);
}

MarkerPosition tickMarker(const telemetry::Class_Subtitle_Info& s) {
    MarkerPosition m;
    m.latitude = floatingValue(s.lat) / 10000.0;
    m.longitude = floatingValue(s.lon) / 10000.0;
    if (s.NS == "S") m.latitude = -m.latitude;
    if (s.WE == "W" && m.longitude > 0.0) m.longitude = -m.longitude;
    // Every sample with a fix moves the marker, south of the equator too; a damaged
    // coordinate text would read as 0 and send it to the equator or the meridian.
    m.moves = telemetry::hasPositionFix(s) && telemetry::isDecimalNumber(s.lat.view()) &&
              telemetry::isDecimalNumber(s.lon.view()) && telemetry::isUsableCoordinate(m.latitude, m.longitude);
    return m;
}

QString positionText(int positionMs, int lengthMs) {
    auto clock = [](int ms) {
        const int s = std::max(ms, 0) / 1000;
        return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    };
    return clock(positionMs) + QStringLiteral(" / ") + clock(lengthMs);
}
