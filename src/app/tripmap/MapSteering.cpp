#include "MapSteering.h"

#include <QAction>
#include <QPainter>
#include <cmath>

#include "FollowView.h"
#include "MapWidget.h"
#include "PlaybackTick.h"
#include "TrackEnds.h"
#include "TrackHit.h"
#include "TrackRegion.h"
#include "SampleValues.h"
#include "SubtitleTrackReader.h"
#include "Trips.h"

QVector<std::optional<GeoCoordinate>> recordedFixes(const telemetry::Class_Video_Info& record) {
    return recordedFixes(telemetry::samplesOf(record));
}

QVector<std::optional<GeoCoordinate>> recordedFixes(const std::vector<telemetry::Sample>& samples) {
    QVector<std::optional<GeoCoordinate>> fixes;
    fixes.reserve(qsizetype(samples.size()));
    for (const telemetry::Sample& sample : samples) {
        const auto& fix = sample.fix;
        fixes.append(fix ? std::optional(GeoCoordinate{fix->lat, fix->lon}) : std::nullopt);
    }
    return fixes;
}

std::vector<int32_t> fitRows(qsizetype rows, int32_t row, const trips::Trip* trip) {
    std::vector<int32_t> fitted;
    if (row < 0 || row >= rows) return fitted;
    fitted.push_back(row);
    if (trip)
        for (size_t k = trip->firstRecording; k < trip->firstRecording + trip->recordings && k < size_t(rows); ++k)
            if (int32_t(k) != row) fitted.push_back(int32_t(k));
    return fitted;
}

std::vector<RecordingRecord> fitRecords(const QVector<RecordingRecord>& list, int32_t row, const trips::Trip* trip) {
    std::vector<RecordingRecord> records;
    for (int32_t k : fitRows(list.size(), row, trip)) records.push_back(list.at(k));
    return records;
}

namespace {
// Four corners of a frame, and a crosshair: drawn, so they match the +/- buttons, in
// the buttons' text colour, so they show under a dark palette as under a light one.
QIcon drawnIcon(bool crosshair, const QColor& ink) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(ink, 1.6));
    if (crosshair) {
        p.drawEllipse(QRectF(3.5, 3.5, 9, 9));
        for (const QLineF& l : {QLineF(8, 0.5, 8, 4), QLineF(8, 12, 8, 15.5), QLineF(0.5, 8, 4, 8), QLineF(12, 8, 15.5, 8)}) p.drawLine(l);
    } else {
        for (const QPolygonF& corner : {QPolygonF({{1.5, 5.5}, {1.5, 1.5}, {5.5, 1.5}}), QPolygonF({{10.5, 1.5}, {14.5, 1.5}, {14.5, 5.5}}),
                                        QPolygonF({{14.5, 10.5}, {14.5, 14.5}, {10.5, 14.5}}), QPolygonF({{5.5, 14.5}, {1.5, 14.5}, {1.5, 10.5}})})
            p.drawPolyline(corner);
    }
    return QIcon(pixmap);
}
}  // namespace

MapSteering::MapSteering(MapWidget* map, QAction* fitTrip, QAction* followVehicle, QObject* parent)
    : QObject(parent), map_(map), follow_(followVehicle) {
    const QColor ink = map->palette().color(QPalette::ButtonText);
    fitTrip->setIcon(drawnIcon(false, ink));
    fitTrip->setToolTip(tr("Fit the whole trip (%1)").arg(fitTrip->shortcut().toString(QKeySequence::NativeText)));
    followVehicle->setIcon(drawnIcon(true, ink));
    followVehicle->setToolTip(tr("Follow the vehicle"));
    map_->addButton(fitTrip);
    map_->addButton(followVehicle);
    connect(fitTrip, &QAction::triggered, this, &MapSteering::fit);
    connect(map_, &MapWidget::clicked, this, &MapSteering::trackClicked);
    // A drag means "let me look there": following on would pull the view back at
    // the next tick. A zoom keeps the vehicle where it is, so following stays on.
    connect(map_, &MapWidget::panned, follow_, [this] { follow_->setChecked(false); });
}

void MapSteering::showRecording(RecordingRecord record, std::vector<RecordingRecord> fitted,
                                std::shared_ptr<const std::vector<telemetry::Sample>> samples,
                                std::vector<std::shared_ptr<const std::vector<telemetry::Sample>>> fittedSamples) {
    clear();
    record_ = std::move(record);
    fitted_ = std::move(fitted);
    samples_ = std::move(samples);
    fittedSamples_ = std::move(fittedSamples);
    if (!record_) return;
    const TrackEnds ends = samples_ ? trackEnds(*samples_) : trackEnds(*record_);
    if (ends.start) endMarkers_.push_back(map_->addAnnotation(*ends.start, QString::fromLatin1(kTrackStartTitle), 0, MapAnnotation::Kind::TrackEnd));
    if (ends.end) endMarkers_.push_back(map_->addAnnotation(*ends.end, QString::fromLatin1(kTrackEndTitle), 0, MapAnnotation::Kind::TrackEnd));
}

void MapSteering::clear() {
    for (int id : endMarkers_) map_->removeAnnotation(id);
    endMarkers_.clear();
    record_.reset();
    fitted_.clear();
    samples_.reset();
    fittedSamples_.clear();
}

void MapSteering::fit() {
    if (!fittedSamples_.empty()) {
        std::vector<const std::vector<telemetry::Sample>*> each;
        for (const auto& s : fittedSamples_) each.push_back(s.get());
        if (const auto region = trackRegion(each))
            map_->setRegion(region->centre, region->spanLatitude, region->spanLongitude, true);
        return;
    }
    std::vector<const telemetry::Class_Video_Info*> records;
    for (const RecordingRecord& r : fitted_) records.push_back(r.get());
    if (const auto region = trackRegion(records)) map_->setRegion(region->centre, region->spanLatitude, region->spanLongitude, true);
}

void MapSteering::vehicleMoved(GeoCoordinate at) {
    if (!follow_->isChecked()) return;
    if (const auto centre = followPan(map_->toWidget(at), QSizeF(map_->size()))) map_->panTo(map_->toCoordinate(*centre));
}

void MapSteering::trackClicked(QPointF at) {
    if (!record_) return;
    const auto toWidget = [this](GeoCoordinate c) { return map_->toWidget(c); };
    if (samples_) {
        const auto pixels = trackhit::samplePixels(recordedFixes(*samples_), toWidget);
        if (const auto sample = trackhit::sampleAt(pixels, at); sample && *sample < samples_->size())
            emit seekRequested(int64_t(std::floor((*samples_)[*sample].videoSeconds)));
        return;
    }
    const auto pixels = trackhit::samplePixels(recordedFixes(*record_), toWidget);
    if (const auto sample = trackhit::sampleAt(pixels, at)) emit seekRequested(sampleVideoSeconds(*sample, *record_));
}
