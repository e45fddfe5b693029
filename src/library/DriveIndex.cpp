#include "DriveIndex.h"

#include <QObject>
#include <QStringList>
#include <algorithm>
#include <cmath>

void DriveIndex::update(const CurrentStorageVideo& rows, const QStringList& problems) {
    const QVector<RowTelemetry>& list = rows.telemetry_list;
    if (size_t(list.size()) == summaries_.size()) return;
    for (size_t i = summaries_.size(); i < size_t(list.size()); ++i) {
        const RowTelemetry& row = list.at(qsizetype(i));
        const bool ofUse = row.samples && problems.value(qsizetype(i)).isEmpty();
        // Nor has a recording of no use events of its own; but the camera protecting it still tells.
        trips::RecordingSummary summary;
        if (ofUse) summary = trips::summarizeRecording(*row.samples, i, thresholds_, row.protectedByCamera);
        else if (row.protectedByCamera)
            summary.events.push_back(trips::protectedEvent(
                row.samples ? std::span<const telemetry::Sample>(*row.samples) : std::span<const telemetry::Sample>(),
                i));
        summaries_.push_back(std::move(summary));
        seconds_.push_back(row.seconds);
        inTrips_.push_back(ofUse);
        if (ofUse) groupedRows_.push_back(i), grouped_.push_back(summaries_.back());
    }
    regroup();
}

void DriveIndex::regroup() {
    // Grouped without the rows left out, then told in rows again.
    trips_ = trips::groupTrips(grouped_);
    const std::vector<size_t> tripOfGrouped = trips::tripOfRecording(trips_);
    tripOf_.assign(summaries_.size(), kNoTrip);
    for (size_t i = 0; i < groupedRows_.size(); ++i) tripOf_[groupedRows_[i]] = tripOfGrouped[i];
    for (trips::Trip& trip : trips_) {
        const size_t first = groupedRows_[trip.firstRecording],
                     last = groupedRows_[trip.firstRecording + trip.recordings - 1];
        trip.firstRecording = first;
        trip.recordings = last - first + 1;
    }
}

void DriveIndex::clear() {
    summaries_.clear();
    seconds_.clear();
    inTrips_.clear();
    groupedRows_.clear();
    grouped_.clear();
    trips_.clear();
    tripOf_.clear();
}

void DriveIndex::setThresholds(const trips::EventThresholds& thresholds, const CurrentStorageVideo& rows,
                               const QStringList& problems) {
    thresholds_ = thresholds;
    clear();
    update(rows, problems);
}

const trips::Trip* DriveIndex::tripOf(int row) const { return has(row) ? &trips_.at(tripOf_.at(size_t(row))) : nullptr; }

double DriveIndex::tripSeconds(const trips::Trip& trip) const {
    double seconds = 0;
    for (size_t row = trip.firstRecording; row < trip.firstRecording + trip.recordings; ++row)
        if (inTrips_[row]) seconds += seconds_[row];
    return seconds;
}

QString durationText(double seconds) {
    const long long s = std::llround(std::max(0.0, seconds));
    if (s >= 3600) return QString::asprintf("%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    return QString::asprintf("%lld:%02lld", s / 60, s % 60);
}

namespace {
// "09:03" of the camera's "2016-05-12T09:03:07".
QString clockText(trips::CameraTime time) { return QString::fromStdString(trips::cameraTimeText(time)).mid(11, 5); }
}  // namespace

QString DriveIndex::tripText(int row) const {
    const trips::Trip* trip = tripOf(row);
    if (!trip) return {};
    const QString number = QString::number(tripNumberOf(row) + 1);
    if (size_t(row) != trip->firstRecording || !trip->start || !trip->end) return number;
    return QStringLiteral("%1 %2 · %3").arg(number, clockText(*trip->start), durationText(tripSeconds(*trip)));
}

QString DriveIndex::tripToolTip(int row) const {
    const trips::Trip* trip = tripOf(row);
    if (!trip) return {};
    const QString number = QString::number(tripNumberOf(row) + 1);
    if (!trip->start || !trip->end) return QObject::tr("Trip %1: no telemetry").arg(number);
    return QObject::tr("Trip %1: from %2, %3 long, %n recording(s)", nullptr, int(trip->recordings))
        .arg(number, QString::fromStdString(trips::cameraTimeText(*trip->start)).replace(QLatin1Char('T'), QLatin1Char(' ')),
             durationText(tripSeconds(*trip)));
}

QString DriveIndex::eventText(int row) const {
    return has(row) && !summaries_.at(size_t(row)).events.empty() ? QStringLiteral("⚠") : QString();
}

QString DriveIndex::eventToolTip(int row) const {
    if (!has(row) || summaries_.at(size_t(row)).events.empty()) return {};
    QStringList lines{QObject::tr("%n event(s)", nullptr, int(summaries_.at(size_t(row)).events.size()))};
    for (const trips::Event& e : summaries_.at(size_t(row)).events)
        lines << QStringLiteral("%1 %2").arg(durationText(e.videoSeconds), QString::fromLatin1(trips::eventKindName(e.kind)));
    return lines.join(QLatin1Char('\n'));
}

QString statisticsText(const QString& title, const trips::Statistics& s, int64_t distanceUnit, int64_t speedUnit) {
    const QString speedUnitName = QString::fromLatin1(trips::speedUnitName(speedUnit));
    return QObject::tr("%1\n %2 %3, %4 moving\n avg %5 max %6 %7\n max G %8 %9 %10\n %n event(s)", nullptr, int(s.events))
        .arg(title)
        .arg(trips::distanceInUnit(s.distanceMetres, distanceUnit), 0, 'f', 2)
        .arg(QString::fromLatin1(trips::distanceUnitName(distanceUnit)), durationText(s.movingSeconds))
        .arg(trips::speedInUnit(s.averageSpeedKmh(), speedUnit), 0, 'f', 0)
        .arg(trips::speedInUnit(s.maxSpeedKmh, speedUnit), 0, 'f', 0)
        .arg(speedUnitName)
        .arg(s.maxAbsG[0], 0, 'f', 2)
        .arg(s.maxAbsG[1], 0, 'f', 2)
        .arg(s.maxAbsG[2], 0, 'f', 2);
}

QString eventDescription(const trips::Event& event, int64_t speedUnit) {
    if (event.kind == trips::EventKind::Protected) return QObject::tr("protected by the camera");
    const QString kind = QString::fromLatin1(trips::eventKindName(event.kind));
    if (event.kind != trips::EventKind::HardBraking) return QObject::tr("%1, %2 g").arg(kind).arg(event.peak, 0, 'f', 2);
    return QObject::tr("%1, %2 %3 lost")
        .arg(kind)
        .arg(trips::speedInUnit(event.peak, speedUnit), 0, 'f', 1)
        .arg(QString::fromLatin1(trips::speedUnitName(speedUnit)));
}
