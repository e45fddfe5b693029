#pragma once
// The trips and events commands' JSON.

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <span>

#include "Events.h"
#include "Moments.h"
#include "Statistics.h"
#include "Trips.h"

namespace telemetry_cli {

// Metres, seconds, km/h and g, under names that say so.
QJsonObject statisticsJson(const trips::Statistics& statistics);

// One object per trip: its number (from 1), start and end on the camera's clock
// (null without telemetry), statistics, and its recordings with their own.
// files[i] names recordings[i]; cards[i], when given, adds what the card says of it.
QJsonArray tripsJson(std::span<const trips::Trip> trips, std::span<const trips::RecordingSummary> recordings,
                     const QStringList& files, std::span<const QJsonObject> cards = {});

// A recording's kind (null when unknown) and channels, main first, each its channel
// and file.
QJsonObject cardJson(const card::Moment& moment);

// One object per event: file, time in the video (s), kind, peak and its unit (both
// null for a recording the camera protected),
// position in degrees (null without a usable fix). files[e.recording] names the
// event's recording.
QJsonArray eventsJson(std::span<const trips::Event> events, const QStringList& files);

}  // namespace telemetry_cli
