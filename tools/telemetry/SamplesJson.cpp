#include "SamplesJson.h"

#include <QJsonArray>

#include <chrono>
#include <cstdio>

namespace telemetry_cli {

QString recordedTimeText(const telemetry::RecordedTime& time) {
    using namespace std::chrono;
    const sys_time<milliseconds> reading(time.sinceEpoch);
    const auto days = floor<std::chrono::days>(reading);
    const year_month_day date(days);
    const hh_mm_ss<milliseconds> clock(reading - days);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03d", int(date.year()), unsigned(date.month()),
                  unsigned(date.day()), int(clock.hours().count()), int(clock.minutes().count()),
                  int(clock.seconds().count()), int(clock.subseconds().count()));
    return QString::fromLatin1(text) + (time.clock == telemetry::RecordedTime::Clock::Utc ? "Z" : "");
}

QJsonObject sampleNumbersJson(const telemetry::Sample& s) {
    QJsonObject o{{"video_s", s.videoSeconds}};
    if (s.time) {
        o["time"] = recordedTimeText(*s.time);
        o["clock"] = s.time->clock == telemetry::RecordedTime::Clock::Utc ? "utc" : "camera";
    }
    if (s.fix) {
        o["lat"] = s.fix->lat;
        o["lon"] = s.fix->lon;
        if (s.fix->altitudeMetres) o["altitude_m"] = *s.fix->altitudeMetres;
    }
    if (s.speedKmh) o["speed_kmh"] = *s.speedKmh;
    if (s.headingDegrees) o["heading_deg"] = *s.headingDegrees;
    static const char* const kAxes[] = {"gx", "gy", "gz"};
    for (size_t a = 0; a < 3; ++a)
        if (s.g[a]) o[kAxes[a]] = *s.g[a];
    if (s.fixQuality) o["fix_quality"] = *s.fixQuality;
    return o;
}

QJsonObject recordingSamplesJson(const QString& file, const telemetry::RecordingSamples& read) {
    QJsonObject o{{"file", file}};
    if (!read.reader.empty()) o["reader"] = QString::fromStdString(read.reader);
    QJsonArray samples;
    if (const auto* list = std::get_if<std::vector<telemetry::Sample>>(&read.result))
        for (const telemetry::Sample& s : *list) samples.append(sampleNumbersJson(s));
    else
        o["reason"] = QString::fromStdString(std::get<telemetry::ReadFailure>(read.result).reason);
    o["samples"] = samples;
    return o;
}

}  // namespace telemetry_cli
