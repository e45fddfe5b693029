#pragma once
// Moments that matter in a recording: a jolt on a G-sensor axis, or hard braking.

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "Sample.h"
#include "SampleValues.h"

namespace trips {

// Protected: the camera kept the recording as an event (a jolt it felt, or its button).
enum class EventKind { HardBraking, GX, GY, GZ, Protected };
// "hard-braking", "gx", "gy", "gz", "protected".
std::string_view eventKindName(EventKind kind);

// The "Event sensitivity" setting, in the order a list offers it.
enum class Sensitivity { Low = 0, Normal = 1, High = 2 };

struct EventThresholds {
    double gx = 0.4, gy = 0.4, gz = 0.6;  // change from the recording's median, g
    double brakingKmh = 15.0;             // speed lost within one second
};
// Normal is the defaults; Low and High scale every threshold, the braking one too
// (15 km/h in a second is 0.42 g, the X threshold's match).
EventThresholds thresholdsFor(Sensitivity sensitivity);

struct Event {
    double videoSeconds = 0;  // where it is in the recording's video
    EventKind kind = EventKind::GX;
    double peak = 0;                  // g away from the median, or km/h lost in a second
    size_t recording = 0;             // the index the caller gave the recording
    std::optional<GeoPoint> position;  // where it happened, when the sample has a fix
    bool operator==(const Event&) const = default;
};

// Detections closer than this merge into one event.
constexpr double kEventMergeSeconds = 3.0;

// The events of one recording, in time order. A recording without telemetry has
// none. Merged detections become one event named after the strongest of them,
// hard braking before the axes it shakes.
// Samples in video order.
std::vector<Event> findEvents(std::span<const telemetry::Sample> samples, size_t recording,
                              const EventThresholds& thresholds = {});

// A recording the camera protected, as an event at its start: the first sample with a
// camera time, where it is; at 0 s and nowhere when no sample has one. Its peak is 0.
Event protectedEvent(std::span<const telemetry::Sample> samples, size_t recording);

}  // namespace trips
