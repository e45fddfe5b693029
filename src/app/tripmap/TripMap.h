#pragma once
// What the map shows of the open recording: its route or track, its trip, the fit, its markers.

#include <QList>
#include <QObject>
#include <QPen>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "MapInterface.h"
#include "OsrmClient.h"

class DriveIndex;
class MapSteering;
class MapWidget;
class QAction;
class QImage;
class RecordingLibrary;

class TripMap : public QObject {
    Q_OBJECT
public:
    // fitTrip and followVehicle: the map's actions, shown as its buttons too.
    TripMap(MapWidget* map, OsrmClient* directions, const RecordingLibrary& library, const DriveIndex& drives,
            QAction* fitTrip, QAction* followVehicle, QObject* parent = nullptr);

    // The recording at `row`, which the library holds as the one now playing: its
    // route (or its track), the rest of its trip in grey, the fit, its ends.
    void showRecording(int32_t row);
    // A row that cannot be shown: the trip's lines and markers go; the vehicle
    // stays with the video still playing.
    void hideTrip();
    // The events of the recording at `row` as markers, above the vehicle.
    void showEvents(int32_t row);
    // Replaces the vehicle marker ("Start"), turned to the heading.
    void vehicleAt(double latitude, double longitude, int32_t heading);
    // Every marker down, as before a recording opens.
    void clearMarkers();
    // Nothing drawn, and the whole-world view, as at start.
    void clear();

    void getDirections(double startLat, double startLon, double endLat, double endLon, double centreLat,
                       double centreLon, const QStringList& coordinateSet);
    void showRoute(const DirectionsAnswer& response);
    void drawRoute(const QStringList& coordinateSet);
    QPen rendererForOverlay(const MapPolyline& line) const;
    std::optional<QImage> viewForAnnotation(const MapAnnotation& annotation) const;

    // What is shown: the markers of a kind in drawing order, and the lines.
    QList<MapAnnotation> markers(MapAnnotation::Kind kind) const;
    QList<MapPolyline> lines() const;

    static constexpr int kTripLevel = 1;  // the trip's other recordings, drawn grey

signals:
    // A click on the open recording's track: the video second of the sample there.
    void seekRequested(int64_t seconds);
    // A route is asked between these ends (degrees).
    void routeRequested(GeoCoordinate source, GeoCoordinate destination);

private:
    void removeMarkers(MapAnnotation::Kind kind);

    MapWidget* map_;
    OsrmClient* directions_;
    const RecordingLibrary& library_;
    const DriveIndex& drives_;
    MapSteering* steering_;
    std::optional<size_t> fittedTrip_;  // the first row of the trip the map was fitted to
    uint64_t opening_ = 0;  // counts showings; a route answer carries the count it was asked at
};
