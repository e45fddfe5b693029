#pragma once
// Drives: runs of consecutive recordings that the camera cut from one trip.
//
// A window summarises each recording once, as it is indexed, and groups the
// summaries (cheap) whenever the list grows; the command line does the same while
// it lets each scanned record go.

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "Sample.h"
#include "Events.h"
#include "SampleValues.h"
#include "Statistics.h"

namespace trips {

// A recording's first or last sample with a camera time.
struct Boundary {
    CameraTime time = 0;
    std::optional<GeoPoint> fix;
    std::optional<double> speedKmh;  // with a fix only
    bool operator==(const Boundary&) const = default;
};

struct RecordingSummary {
    // Both null when the recording has no telemetry (or no sample with a real time).
    std::optional<Boundary> first, last;
    Statistics statistics;  // events counted
    std::vector<Event> events;
    bool operator==(const RecordingSummary&) const = default;
};

// samples: the recording's, in video order; index: its place in the list, copied
// into its events. A recording the camera protected has that as its first event
// (protectedEvent), with or without telemetry.
RecordingSummary summarizeRecording(std::span<const telemetry::Sample> samples, size_t index,
                                    const EventThresholds& thresholds = {}, bool protectedByCamera = false);

// The next recording continues the trip when its first sample follows the last
// sample of the one before by no more than this (camera clock).
constexpr CameraTime kTripGapSeconds = 10;

struct Trip {
    size_t firstRecording = 0;  // index into the summaries
    size_t recordings = 0;      // how many, from firstRecording on
    std::optional<CameraTime> start, end;  // null for a recording without telemetry
    // The recordings' statistics added up, plus the short hop between two recordings
    // (the last sample of one and the first of the next, both with a fix).
    Statistics statistics;
    bool operator==(const Trip&) const = default;
};

// Trips in the given (table) order; every recording is in exactly one.
std::vector<Trip> groupTrips(std::span<const RecordingSummary> recordings);

// Which trip each recording belongs to (an index into groupTrips' result).
std::vector<size_t> tripOfRecording(std::span<const Trip> trips);

}  // namespace trips
