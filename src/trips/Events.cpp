#include "Events.h"

#include <algorithm>
#include <cmath>

#include "SampleNumbers.h"

namespace trips {
namespace {

struct Detection {
    size_t sample;
    EventKind kind;
    double peak;
    double strength;  // peak over its threshold; braking outranks any axis
};

double median(std::vector<double>& values) {  // reorders values
    std::erase_if(values, [](double v) { return std::isnan(v); });
    if (values.empty()) return 0;
    const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

}  // namespace

std::string_view eventKindName(EventKind kind) {
    switch (kind) {
        case EventKind::HardBraking: return "hard-braking";
        case EventKind::GX: return "gx";
        case EventKind::GY: return "gy";
        case EventKind::GZ: return "gz";
    }
    return "";
}

EventThresholds thresholdsFor(Sensitivity sensitivity) {
    const double scale = sensitivity == Sensitivity::Low ? 1.5 : sensitivity == Sensitivity::High ? 0.75 : 1.0;
    const EventThresholds normal;
    return {normal.gx * scale, normal.gy * scale, normal.gz * scale, normal.brakingKmh * scale};
}

std::vector<Event> eventsOf(const std::vector<SampleNumbers>& samples, uint32_t samplesPerSecond, size_t recording,
                            const EventThresholds& thresholds) {
    if (samplesPerSecond == 0) return {};
    const size_t perSecond = samplesPerSecond;
    std::array<double, 3> medians{};
    {
        std::vector<double> axis;
        for (size_t a = 0; a < 3; ++a) {
            axis.resize(samples.size());  // the median drops NaNs
            for (size_t k = 0; k < samples.size(); ++k) axis[k] = samples[k].g[a];
            medians[a] = median(axis);
        }
    }
    const std::array<double, 3> limits{thresholds.gx, thresholds.gy, thresholds.gz};
    constexpr EventKind kAxisKinds[] = {EventKind::GX, EventKind::GY, EventKind::GZ};

    std::vector<Detection> detections;
    for (size_t k = 0; k < samples.size(); ++k) {
        for (size_t a = 0; a < 3; ++a) {
            const double change = std::fabs(samples[k].g[a] - medians[a]);  // NaN compares false
            if (change > limits[a]) detections.push_back({k, kAxisKinds[a], change, change / limits[a]});
        }
        // One second of video earlier, both with a fix: the camera's speed is GPS speed.
        if (k >= perSecond && samples[k].speedKmh && samples[k - perSecond].speedKmh) {
            const double lost = *samples[k - perSecond].speedKmh - *samples[k].speedKmh;
            if (lost > thresholds.brakingKmh) detections.push_back({k, EventKind::HardBraking, lost, 1e9 + lost});
        }
    }

    std::vector<Event> events;
    const auto seconds = [perSecond](size_t sample) { return double(sample) / double(perSecond); };
    for (size_t begin = 0; begin < detections.size();) {
        size_t end = begin + 1;
        while (end < detections.size() &&
               seconds(detections[end].sample) - seconds(detections[end - 1].sample) < kEventMergeSeconds)
            ++end;
        const Detection& top = *std::max_element(
            detections.begin() + std::ptrdiff_t(begin), detections.begin() + std::ptrdiff_t(end),
            [](const Detection& a, const Detection& b) { return a.strength < b.strength; });
        events.push_back({seconds(top.sample), top.kind, top.peak, recording, samples[top.sample].fix});
        begin = end;
    }
    return events;
}

std::vector<Event> findEvents(const telemetry::Class_Video_Info& record, size_t recording,
                              const EventThresholds& thresholds) {
    return eventsOf(sampleNumbers(record), record.gapSubtitlePerSecond, recording, thresholds);
}

}  // namespace trips
