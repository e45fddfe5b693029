#pragma once
// What the user does with the map beyond looking: a click on the track seeks the
// video, "Fit Trip" shows the whole track, "Follow Vehicle" keeps the marker in
// view; the track's ends carry their own small markers. TripMap tells it which
// recording is open and where the vehicle is.

#include <QObject>
#include <QVector>
#include <cstdint>
#include <optional>
#include <vector>

#include "CurrentStorageVideo.h"
#include "MapInterface.h"

class MapWidget;
class QAction;
namespace trips {
struct Trip;
}

// Each sample's usable fix, nothing for a sample without one: the fixes the
// map draws the track through (trips::trackRuns), so a click on it finds them.
QVector<std::optional<GeoCoordinate>> recordedFixes(const telemetry::Class_Video_Info& record);
QVector<std::optional<GeoCoordinate>> recordedFixes(const std::vector<telemetry::Sample>& samples);

// The recording at `row` first, then the rest of its trip in order: the tracks
// the map fits.
std::vector<int32_t> fitRows(qsizetype rows, int32_t row, const trips::Trip* trip);
std::vector<RecordingRecord> fitRecords(const QVector<RecordingRecord>& list, int32_t row, const trips::Trip* trip);

class MapSteering : public QObject {
    Q_OBJECT
public:
    MapSteering(MapWidget* map, QAction* fitTrip, QAction* followVehicle, QObject* parent = nullptr);

    // The recording now open and the tracks a fit shows (fitRecords); puts up the
    // markers of its ends. samples: the recording's decoded telemetry when another
    // camera than the text-track one wrote it, and fittedSamples each fitted row's.
    void showRecording(RecordingRecord record, std::vector<RecordingRecord> fitted,
                       std::shared_ptr<const std::vector<telemetry::Sample>> samples = {},
                       std::vector<std::shared_ptr<const std::vector<telemetry::Sample>>> fittedSamples = {});
    // Nothing open: takes the ends' markers down and forgets the recording.
    void clear();
    // The vehicle marker has moved there: with Follow Vehicle on, the map pans
    // when it nears an edge.
    void vehicleMoved(GeoCoordinate at);
    void fit();

signals:
    // A click on the open recording's track: the video second of the sample there.
    void seekRequested(int64_t seconds);

private:
    void trackClicked(QPointF at);

    MapWidget* map_;
    QAction* follow_;
    RecordingRecord record_;
    std::vector<RecordingRecord> fitted_;
    std::shared_ptr<const std::vector<telemetry::Sample>> samples_;
    std::vector<std::shared_ptr<const std::vector<telemetry::Sample>>> fittedSamples_;
    std::vector<int> endMarkers_;  // annotation ids
};
