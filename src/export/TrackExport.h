#pragma once
// The recorded track of each recording as GPX 1.1 or 1.0, KML, GeoJSON or CSV.

#include <QByteArray>
#include <QBuffer>
#include <QIODevice>
#include <QString>
#include <QTimeZone>
#include <QXmlStreamWriter>

#include <memory>
#include <optional>
#include <span>

#include "Class_Video_Info.h"
#include "Sample.h"

namespace track_export {

enum class TrackFormat { Gpx, Gpx10, Kml, GeoJson, Csv };

// "gpx", "gpx10", "kml", "geojson" or "csv"; nullopt for anything else.
std::optional<TrackFormat> trackFormatNamed(const QString& name);

// One recording as the exports read it: its decoded samples, whatever the camera,
// and for a camera that writes its telemetry as texts those texts too, one per
// sample (the CSV keeps them in its raw columns).
struct TrackRecording {
    std::optional<QString> fileName;
    QString path;  // names the recording when it has no file name
    int64_t durationSeconds = 0;
    std::vector<telemetry::Sample> samples;
    const telemetry::Class_Video_Info* texts = nullptr;  // outlives the recording's add()

    QString name() const { return fileName.value_or(path); }
};

// A scanned record of the camera that writes texts, its samples decoded.
TrackRecording trackRecordingOf(const telemetry::Class_Video_Info& record);

using Records = std::span<const telemetry::Class_Video_Info>;

// Writes the tracks a recording at a time, so that each recording can be let go
// once written. A camera's own clock is read in clockZone, satellite times are UTC
// already; all are written in UTC (CSV: in clockZone, with its offset). A sample
// without a fix breaks the track:
// - GPX 1.1 / 1.0: one trk per recording, a trkseg per run of track points;
//   speed (m/s) and course in a Garmin TrackPointExtension (1.1) or in the
//   trkpt's own speed and course elements (1.0);
// - KML: a Placemark per recording holding a gx:MultiTrack, a gx:Track per run
//   with the speeds (km/h) in its ExtendedData; points without a time go in a
//   LineString or Point beside the tracks, under a MultiGeometry;
// - GeoJSON: a FeatureCollection, one Feature per recording: a LineString, or a
//   MultiLineString when the track has gaps, a Point or MultiPoint for runs of
//   one point, a GeometryCollection of both; per-point times and speeds (km/h)
//   in flat arrays in the order of the positions;
// - CSV: a header row, then one row per sample, fix or not.
// A point whose time cannot be written in UTC has none. A recording without a
// track point is left out of all but the CSV.
class TrackWriter {
public:
    TrackWriter(TrackFormat format, QIODevice& out, QTimeZone clockZone);  // writes what comes before the first recording
    ~TrackWriter();
    TrackWriter(const TrackWriter&) = delete;
    TrackWriter& operator=(const TrackWriter&) = delete;
    // Whether the recording had a track point.
    bool add(const TrackRecording& recording);
    void finish();  // writes what comes after the last recording

private:
    void spill(qsizetype atLeast);

    TrackFormat format_;
    QIODevice& device_;
    // The XML writer's many small writes land here and reach the device in big
    // blocks: a write to a file per element was most of a GPX export's time.
    QByteArray pending_;
    QBuffer out_{&pending_};
    QTimeZone zone_;
    std::unique_ptr<QXmlStreamWriter> xml_;
    bool added_ = false;
};

// All records through a TrackWriter, into memory.
QByteArray exportTracks(TrackFormat format, Records records, const QTimeZone& clockZone);

// One CSV cell with RFC 4180 quoting; text that a spreadsheet would take for a
// formula (starting with =, +, -, @, tab or CR, and not a number) begins with '.
QString csvCell(const QString& value);

}  // namespace track_export
