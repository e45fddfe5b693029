#include "PlaybackTick.h"

#include <cmath>
#include <limits>

#include "TextValues.h"

using telemetry::floatingValue;
using telemetry::integerValue;

namespace {
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
    const uint32_t index = uint32_t(ms / 1000) * record.gapSubtitlePerSecond;
    if (index >= record.num_subtitle) return record.num_subtitle - record.lastPosition;
    return index;
}

TickTexts tickTexts(const telemetry::Class_Subtitle_Info& s, int64_t speedUnit) {
    TickTexts t;
    t.gx = QStringLiteral("X : ") + text(s.gx);
    t.gy = QStringLiteral("Y : ") + text(s.gy);
    t.gz = QStringLiteral("Z : ") + text(s.gz);
    const bool mph = speedUnit == 0;
    const int32_t speed = mph ? int32_t(floatingValue(s.speed) * 0.6) : integerValue(s.speed);
    t.speed = QStringLiteral("SPEED : %1%2").arg(speed).arg(mph ? QStringLiteral("Mph") : QStringLiteral("Kmh"));
    t.date = QStringLiteral("DATE: %1/%2/%3 %4:%5:%6")
                 .arg(text(s.year), text(s.month), text(s.day), text(s.hour), text(s.min), text(s.second));
    return t;
}

MarkerPosition tickMarker(const telemetry::Class_Subtitle_Info& s) {
    MarkerPosition m;
    m.latitude = floatingValue(s.lat) / 10000.0;
    m.longitude = floatingValue(s.lon) / 10000.0;
    if (s.NS == "S") m.latitude = -m.latitude;
    if (s.WE == "W" && m.longitude > 0.0) m.longitude = -m.longitude;
    // Every sample with a fix moves the marker, south of the equator too.
    m.moves = telemetry::hasPositionFix(s);
    return m;
}
