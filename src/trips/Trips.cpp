#include "Trips.h"

#include <algorithm>


namespace trips {
namespace {

Boundary boundaryOf(const telemetry::Sample& sample, CameraTime time) {
    return Boundary{time, sample.fix, drivenSpeedKmh(sample)};
}

bool continues(const RecordingSummary& before, const RecordingSummary& next) {
    if (!before.last || !next.first) return false;
    const CameraTime gap = next.first->time - before.last->time;
    return gap >= 0 && gap <= kTripGapSeconds;
}

}  // namespace

RecordingSummary summarizeRecording(std::span<const telemetry::Sample> samples, size_t index,
                                    const EventThresholds& thresholds, bool protectedByCamera) {
    RecordingSummary out;
    for (const auto& s : samples)
        if (const auto time = cameraTime(s)) {
            out.first = boundaryOf(s, *time);
            break;
        }
    for (auto s = samples.rbegin(); s != samples.rend(); ++s)
        if (const auto time = cameraTime(*s)) {
            out.last = boundaryOf(*s, *time);
            break;
        }
    out.statistics = recordingStatistics(samples);
    out.events = findEvents(samples, index, thresholds);
    if (protectedByCamera) out.events.insert(out.events.begin(), protectedEvent(samples, index));
    out.statistics.events = out.events.size();
    return out;
}

std::vector<Trip> groupTrips(std::span<const RecordingSummary> recordings) {
    std::vector<Trip> trips;
    for (size_t i = 0; i < recordings.size(); ++i) {
        const RecordingSummary& r = recordings[i];
        if (i > 0 && continues(recordings[i - 1], r)) {
            Trip& trip = trips.back();
            const Boundary& before = *recordings[i - 1].last;
            if (before.fix && r.first->fix) {
                const double hop = haversineMetres(*before.fix, *r.first->fix);
                const double seconds = double(r.first->time - before.time);
                // The camera's clock counts whole seconds: samples a second apart can show the same time.
                if (plausibleStep(hop, std::max(seconds, 1.0))) {
                    trip.statistics.distanceMetres += hop;
                    if (r.first->speedKmh && *r.first->speedKmh > kMovingKmh) trip.statistics.movingSeconds += seconds;
                }
            }
            trip.statistics += r.statistics;
            trip.end = r.last->time;
            ++trip.recordings;
            continue;
        }
        Trip trip{i, 1, std::nullopt, std::nullopt, r.statistics};
        if (r.first) trip.start = r.first->time;
        if (r.last) trip.end = r.last->time;
        trips.push_back(trip);
    }
    return trips;
}

std::vector<size_t> tripOfRecording(std::span<const Trip> trips) {
    std::vector<size_t> of;
    for (size_t t = 0; t < trips.size(); ++t) of.insert(of.end(), trips[t].recordings, t);
    return of;
}

}  // namespace trips
