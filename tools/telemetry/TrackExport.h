#pragma once
// The recorded track of each recording as GPX 1.1, GeoJSON or CSV.

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QXmlStreamWriter>

#include <memory>
#include <optional>
#include <span>
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

using Records = std::span<const telemetry::Class_Video_Info>;

// Writes the tracks a recording at a time, so that each recording can be let go
// once written:
// - GPX 1.1: one trk per recording, one trkpt per track point, a new trkseg
//   after each sample without one;
// - GeoJSON: a FeatureCollection, one Feature per recording: a LineString, or a
//   MultiLineString when samples without a track point break it (runs of one
//   point left out; null geometry when no run has two points);
// - CSV: a header row, then one row per sample, fix or not.
class TrackWriter {
public:
    TrackWriter(TrackFormat format, QIODevice& out);  // writes what comes before the first recording
    ~TrackWriter();
    TrackWriter(const TrackWriter&) = delete;
    TrackWriter& operator=(const TrackWriter&) = delete;
    void add(const telemetry::Class_Video_Info& record);
    void finish();  // writes what comes after the last recording

private:
    TrackFormat format_;
    QIODevice& out_;
    std::unique_ptr<QXmlStreamWriter> xml_;
    bool added_ = false;
};

// All records through a TrackWriter, into memory.
QByteArray exportTracks(TrackFormat format, Records records);

// One CSV cell with RFC 4180 quoting.
QString csvCell(const QString& value);

}  // namespace telemetry_cli
