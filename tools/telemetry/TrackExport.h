#pragma once
// The recorded track of each recording as GPX 1.1, GeoJSON or CSV.

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

#include "Class_Subtitle_Info.h"
#include "Class_Video_Info.h"

namespace telemetry_cli {

enum class TrackFormat { Gpx, GeoJson, Csv };

// "gpx", "geojson" or "csv"; nullopt for anything else.
std::optional<TrackFormat> trackFormatNamed(const QString& name);

// Degrees from an unsigned text in ten-thousandths of a degree, negative when the
// hemisphere text is exactly "S" (latitude) or "W" (longitude).
double latitudeDegrees(const telemetry::Class_Subtitle_Info& sample);
double longitudeDegrees(const telemetry::Class_Subtitle_Info& sample);

struct TrackPoint {
    double lat = 0, lon = 0;
};

// The point a sample adds to a drawn track: it has a position fix and its
// degrees lie on the globe. A damaged text can give a fix at latitude 300, which
// GPX readers reject and map software draws across the world.
std::optional<TrackPoint> trackPoint(const telemetry::Class_Subtitle_Info& sample);

// One trk per recording, one trkpt per track point.
QByteArray toGpx(const std::vector<telemetry::Class_Video_Info>& records);
// A FeatureCollection, one LineString Feature per recording (null geometry below
// two points).
QByteArray toGeoJson(const std::vector<telemetry::Class_Video_Info>& records);
// A header row, then one row per sample, fix or not.
QByteArray toCsv(const std::vector<telemetry::Class_Video_Info>& records);

QByteArray exportTracks(TrackFormat format, const std::vector<telemetry::Class_Video_Info>& records);

// One CSV cell with RFC 4180 quoting.
QString csvCell(const QString& value);

}  // namespace telemetry_cli
