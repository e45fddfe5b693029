#pragma once
// The listed recordings as drives: each recording summarised once as it arrives,
// the trips regrouped from the summaries (cheap) whenever the list grows, and the
// texts the file table shows for them. A recording of no use (its scan did not
// complete, or it has no picture) belongs to no trip: it would only add a trip of
// its own and zeros.

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>
#include <vector>

#include "CurrentStorageVideo.h"
#include "Trips.h"
#include "Units.h"

class DriveIndex {
public:
    // Summarises the rows not yet summarised and regroups the trips. problems:
    // per row, why its recording is of no use, or empty (RecordingLibrary::arrayTable_Problem).
    void update(const CurrentStorageVideo& rows, const QStringList& problems);
    // The list was emptied: nothing summarised is kept for the rows that come next.
    void clear();
    // New thresholds: every recording's events are found again.
    void setThresholds(const trips::EventThresholds& thresholds, const CurrentStorageVideo& rows,
                       const QStringList& problems);

    const std::vector<trips::RecordingSummary>& summaries() const { return summaries_; }
    const std::vector<trips::Trip>& trips() const { return trips_; }
    // The trip of a summarised row in a trip.
    const trips::Trip* tripOf(int row) const;
    size_t tripNumberOf(int row) const { return tripOf_.at(size_t(row)); }
    bool has(int row) const { return row >= 0 && size_t(row) < tripOf_.size() && tripOf_[size_t(row)] != kNoTrip; }
    // The trip's length: its recordings' lengths added up.
    double tripSeconds(const trips::Trip& trip) const;

    // The Trip column: the trip's number, and on its first row its start and length.
    QString tripText(int row) const;
    QString tripToolTip(int row) const;
    // The event column: a marker for a row with events, and what they are.
    QString eventText(int row) const;
    QString eventToolTip(int row) const;

private:
    static constexpr size_t kNoTrip = size_t(-1);
    void regroup();

    trips::EventThresholds thresholds_;
    std::vector<trips::RecordingSummary> summaries_;
    std::vector<double> seconds_;  // each recording's video length
    std::vector<bool> inTrips_;    // of use: its telemetry was read and it has a picture
    // The summaries of the rows in trips, and their rows: appended as rows come, so a
    // regroup never copies them all again.
    std::vector<size_t> groupedRows_;
    std::vector<trips::RecordingSummary> grouped_;
    std::vector<trips::Trip> trips_;  // in rows: a trip spans the rows from its first to its last recording
    std::vector<size_t> tripOf_;
};

// "m:ss", or "h:mm:ss" from an hour on.
QString durationText(double seconds);

// The statistics panel's block for a recording or a trip, in the settings' units
// (PresetDistanceUnit, PresetSpeedUnit).
QString statisticsText(const QString& title, const trips::Statistics& statistics, int64_t distanceUnit, int64_t speedUnit);

// "hard-braking, 40.0 km/h lost", "gz, 1.02 g" or "protected by the camera": what an
// event was and how hard, in the speed unit of the settings (PresetSpeedUnit).
QString eventDescription(const trips::Event& event, int64_t speedUnit);
