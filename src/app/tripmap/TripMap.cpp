#include "TripMap.h"

#include <QImage>
#include <QPainter>

#include "DriveIndex.h"
#include "ImageRotation.h"
#include "Log.h"
#include "MapSteering.h"
#include "MapWidget.h"
#include "PositionFix.h"
#include "RecordedTrack.h"
#include "RecordingLibrary.h"
#include "TextValues.h"
#include "Track.h"
#include "TrackEnds.h"
#include "TrackRegion.h"

namespace {

const QString kEventTitle = QStringLiteral("Event");
const QString kVehicleTitle = QStringLiteral("Start");

QStringList coordinateSetOf(const telemetry::Class_Video_Info& record) {
    QStringList set;
    if (record.array_coordinate_set)
        for (const std::string& entry : *record.array_coordinate_set) set.append(QString::fromStdString(entry));
    return set;
}

void addRuns(MapWidget* map, const std::vector<telemetry::Sample>& samples, int level) {
    for (const std::vector<trips::GeoPoint>& run : trips::trackRuns(samples)) {
        MapPolyline line{{}, level};
        for (const trips::GeoPoint& p : run) line.points.append({p.lat, p.lon});
        map->addOverlay(line);
    }
}

}  // namespace

TripMap::TripMap(MapWidget* map, OsrmClient* directions, const RecordingLibrary& library, const DriveIndex& drives,
                 QAction* fitTrip, QAction* followVehicle, QObject* parent)
    : QObject(parent),
      map_(map),
      directions_(directions),
      library_(library),
      drives_(drives),
      steering_(new MapSteering(map, fitTrip, followVehicle, this)) {
    connect(steering_, &MapSteering::seekRequested, this, &TripMap::seekRequested);
}

void TripMap::showRecording(int32_t row) {
    ++opening_;  // answers still on their way belong to the previous opening
    map_->removeAllOverlays();
    clearMarkers();
    const CurrentStorageVideo& storage = library_.currentStorageVideo;
    const RecordingRecord record = storage.video_list.at(row);
    // The rest of the trip in grey, under the recording's own track; the map fits it all.
    const trips::Trip* trip = drives_.tripOf(row);
    std::vector<const std::vector<telemetry::Sample>*> tripSamples{storage.telemetry_list.value(row).samples.get()};
    if (trip)
        for (size_t k = trip->firstRecording; k < trip->firstRecording + trip->recordings; ++k) {
            if (int32_t(k) == row) continue;  // the recording itself, drawn in red
            const auto& samples = storage.telemetry_list.value(qsizetype(k)).samples;
            if (!samples) continue;
            tripSamples.push_back(samples.get());
            addRuns(map_, *samples, kTripLevel);
        }
    // Within one trip the fit is the same: the view stays where the driver left it.
    const std::optional<size_t> tripStart = trip ? std::optional<size_t>(trip->firstRecording) : std::nullopt;
    if (!tripStart || tripStart != fittedTrip_)
        if (const auto region = trackRegion(tripSamples))
            map_->setRegion(region->centre, region->spanLatitude, region->spanLongitude, true);
    fittedTrip_ = tripStart;
    // The recording's samples as decoded; another camera's rows have nothing else.
    std::vector<std::shared_ptr<const std::vector<telemetry::Sample>>> fittedSamples;
    for (int32_t k : fitRows(storage.video_list.size(), row, trip))
        if (const auto& s = storage.telemetry_list.value(k).samples) fittedSamples.push_back(s);
    steering_->showRecording(record, fitRecords(storage.video_list, row, trip),
                             record->addrOfAmbarella_EXT == 0 ? storage.telemetry_list.value(row).samples : nullptr,
                             std::move(fittedSamples));
    // Each end of the trip, negated by its own hemisphere flag alone.
    auto signedValue = [](const telemetry::Text& text, uint32_t flag) {
        const double v = telemetry::floatingValue(text);
        return flag == 1 ? v * -1.0 : v;
    };
    getDirections(signedValue(record->Start_Lat, record->sign_start_lat), signedValue(record->Start_Lon, record->sign_start_lon),
                  signedValue(record->End_Lat, record->sign_end_lat), signedValue(record->End_Lon, record->sign_end_lon),
                  signedValue(record->Center_Lat, record->sign_center_lat),
                  signedValue(record->Center_Lon, record->sign_center_lon), coordinateSetOf(*record));
}

void TripMap::hideTrip() {
    ++opening_;
    map_->removeAllOverlays();
    // The ends and events would mark a trip no longer drawn.
    steering_->clear();
    removeMarkers(MapAnnotation::Kind::Event);
}

void TripMap::showEvents(int32_t row) {
    removeMarkers(MapAnnotation::Kind::Event);
    if (!drives_.has(row)) return;
    for (const trips::Event& e : drives_.summaries().at(size_t(row)).events)
        if (e.position) map_->addAnnotation({e.position->lat, e.position->lon}, kEventTitle, 0, MapAnnotation::Kind::Event);
}

void TripMap::vehicleAt(double latitude, double longitude, int32_t heading) {
    // Its layer keeps it under the events' warnings, however often it is replaced.
    removeMarkers(MapAnnotation::Kind::Vehicle);
    map_->addAnnotation({latitude, longitude}, kVehicleTitle, heading, MapAnnotation::Kind::Vehicle);
    steering_->vehicleMoved({latitude, longitude});
}

void TripMap::clearMarkers() {
    steering_->clear();
    for (const MapAnnotation& a : map_->annotations()) map_->removeAnnotation(a.id);
}

void TripMap::clear() {
    ++opening_;
    clearMarkers();
    fittedTrip_.reset();
    map_->removeAllOverlays();
    map_->resetView();
}

void TripMap::removeMarkers(MapAnnotation::Kind kind) {
    for (const MapAnnotation& a : map_->annotations())
        if (a.kind == kind) map_->removeAnnotation(a.id);
}

void TripMap::getDirections(double startLat, double startLon, double endLat, double endLon, double centreLat,
                            double centreLon, const QStringList& coordinateSet) {
    Q_UNUSED(centreLat);  // the map shows the whole track instead (trackRegion)
    Q_UNUSED(centreLon);
    const GeoCoordinate source{startLat / 10000.0, startLon / 10000.0};
    const GeoCoordinate destination{endLat / 10000.0, endLon / 10000.0};
    emit routeRequested(source, destination);
    if (!telemetry::isUsableCoordinate(source.latitude, source.longitude) ||
        !telemetry::isUsableCoordinate(destination.latitude, destination.longitude)) {
        drawRoute(coordinateSet);  // no route between places that are not on Earth
        return;
    }
    const uint64_t opening = opening_;
    directions_->calculateDirections(source, destination, [this, coordinateSet, opening](const DirectionsAnswer& answer) {
        if (opening != opening_) {
            telemetry::logLine("Dropped the route of a recording no longer open");
            return;
        }
        if (!answer.ok()) {
            telemetry::logLine("ERROR");
            telemetry::logLine(answer.error.toStdString());
            // Offline, or no road between the ends: the recorded track is at hand.
            drawRoute(coordinateSet);
            return;
        }
        if (answer.routes.isEmpty() || answer.routes.first().steps.size() >= 4) drawRoute(coordinateSet);
        else showRoute(answer);
    });
}

void TripMap::showRoute(const DirectionsAnswer& response) {
    for (const Route& route : response.routes) {
        map_->addOverlay({route.polyline, 0});
        for (const RouteStep& step : route.steps) telemetry::logLine(step.instructions.toStdString());
    }
}

void TripMap::drawRoute(const QStringList& coordinateSet) {
    // Every fix of the open recording, where its markers and a click on the line
    // (MapSteering) expect it; one line per run of them: no line across a gap
    // without a fix. The map thins what a pixel cannot show.
    const CurrentStorageVideo& storage = library_.currentStorageVideo;
    const int32_t row = storage.indexOfNowPlaying;
    if (!storage.filepathOfNowPlaying.isNull() && row >= 0 && row < storage.video_list.size()) {
        const qsizetype before = map_->overlays().size();
        if (const auto& samples = storage.telemetry_list.value(row).samples) addRuns(map_, *samples, 0);
        if (map_->overlays().size() > before) return;
    }
    map_->addOverlay(recordedTrack(coordinateSet));
}

QPen TripMap::rendererForOverlay(const MapPolyline& line) const {
    return line.level == kTripLevel ? QPen(QColor(110, 110, 110), 2.5) : QPen(Qt::red, 4.0);
}

std::optional<QImage> TripMap::viewForAnnotation(const MapAnnotation& annotation) const {
    switch (annotation.kind) {
    case MapAnnotation::Kind::Event: {
        static const QImage warning = [] {
            QImage image(18, 16, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(Qt::black, 1.0));
            p.setBrush(QColor(255, 170, 0));
            p.drawPolygon(QPolygonF({QPointF(9, 1), QPointF(17, 15), QPointF(1, 15)}));
            p.drawText(QRectF(0, 4, 18, 12), Qt::AlignCenter, QStringLiteral("!"));
            return image;
        }();
        return warning;
    }
    case MapAnnotation::Kind::TrackEnd:
        return trackEndImage(annotation.title);
    case MapAnnotation::Kind::Vehicle: {
        static const QImage icon(QStringLiteral(":/ic_tracking_32.png"));
        // The heading it was placed with: a later tick without a fix must not turn it.
        return imageRotated(icon, float(360 - int64_t(annotation.heading)));
    }
    case MapAnnotation::Kind::Other:
        break;
    }
    return std::nullopt;
}

QList<MapAnnotation> TripMap::markers(MapAnnotation::Kind kind) const {
    QList<MapAnnotation> shown = map_->annotations();
    shown.removeIf([kind](const MapAnnotation& a) { return a.kind != kind; });
    return shown;
}

QList<MapPolyline> TripMap::lines() const { return map_->overlays(); }
