#pragma once
// A recording's samples read once into numbers, for the statistics and the event
// finder to share: each text is parsed once, not once per question.

#include <array>
#include <optional>
#include <vector>

#include "Class_Video_Info.h"
#include "Events.h"
#include "SampleValues.h"
#include "Statistics.h"

namespace trips {

struct SampleNumbers {
    std::array<double, 3> g;        // NaN where unreadable
    std::optional<GeoPoint> fix;    // usableFix
    std::optional<double> speedKmh; // with a usable fix only
};

// Empty for a recording without telemetry.
std::vector<SampleNumbers> sampleNumbers(const telemetry::Class_Video_Info& record);

Statistics statisticsOf(const std::vector<SampleNumbers>& samples, uint32_t samplesPerSecond);
std::vector<Event> eventsOf(const std::vector<SampleNumbers>& samples, uint32_t samplesPerSecond, size_t recording,
                            const EventThresholds& thresholds);

}  // namespace trips
