#pragma once
// The camera writes its own local clock without a zone; exported times need one.

#include <QDateTime>
#include <QStringView>
#include <QTimeZone>

#include <optional>

#include "Sample.h"

namespace track_export {

// "+HH:MM" or "-HH:MM" (at most 14 hours, minutes below 60) as a fixed zone;
// nullopt for anything else.
std::optional<QTimeZone> parseUtcOffset(QStringView text);

// The sample's date and time: a camera's own clock read as set to zone, a satellite
// time as the UTC it is (shown in zone); invalid without a time or outside the years
// 1 to 9999.
QDateTime sampleDateTime(const telemetry::Sample& sample, const QTimeZone& zone);

// ISO 8601 in UTC with "Z", as GPX, KML and GeoJSON readers expect, with
// milliseconds where the time has them; null when the
// time is invalid or falls outside the years 1 to 9999 in UTC (9999-12-31 23:00 on
// a clock at -05:00).
QString utcText(const QDateTime& time);
// ISO 8601 in the camera's zone with its offset ("+02:00"), for people reading a table.
QString localText(const QDateTime& time);

}  // namespace track_export
