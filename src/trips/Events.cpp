#include "Events.h"

#include <algorithm>
#include <cmath>
#include <limits>

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
        case EventKind::Protected: return "protected";
    }
    return "";
}

EventThresholds thresholdsFor(Sensitivity sensitivity) {
    const double scale = sensitivity == Sensitivity::Low ? 1.5 : sensitivity == Sensitivity::High ? 0.75 : 1.0;
    const EventThresholds normal;
    return {normal.gx * scale, normal.gy * scale, normal.gz * scale, normal.brakingKmh * scale};
}

std::vector<Event> findEvents(std::span<const telemetry::Sample> samples, size_t recording,
                              const EventThresholds& thresholds) {
    std::array<double, 3> medians{};
    {
        std::vector<double> axis;
        for (size_t a = 0; a < 3; ++a) {
            axis.resize(samples.size());  // the median drops NaNs
            for (size_t k = 0; k < samples.size(); ++k) axis[k] = samples[k].g[a].value_or(NAN);
            medians[a] = median(axis);
        }
    }
    const std::array<double, 3> limits{thresholds.gx, thresholds.gy, thresholds.gz};
    constexpr EventKind kAxisKinds[] = {EventKind::GX, EventKind::GY, EventKind::GZ};
    // Samples a second apart may land a rounding error short of a whole second.
    constexpr double kSlack = 1e-6;

    std::vector<Detection> detections;
    size_t secondBefore = 0;  // the last sample at least a second of video before k
    for (size_t k = 0; k < samples.size(); ++k) {
        for (size_t a = 0; a < 3; ++a) {
            if (!samples[k].g[a]) continue;
            // Readings of opposite signs near the largest double differ by more than it.
            const double change = std::min(std::fabs(*samples[k].g[a] - medians[a]), std::numeric_limits<double>::max());
            if (change > limits[a]) detections.push_back({k, kAxisKinds[a], change, change / limits[a]});
        }
        // One second of video earlier, both with a fix: the camera's speed is GPS speed.
        const double t = samples[k].videoSeconds;
        while (secondBefore + 1 < k && samples[secondBefore + 1].videoSeconds <= t - 1 + kSlack) ++secondBefore;
        const double apart = t - samples[secondBefore].videoSeconds;
        const auto now = drivenSpeedKmh(samples[k]), before = drivenSpeedKmh(samples[secondBefore]);
        // Further apart than a second and a half, the camera missed samples: no rate to judge.
        if (secondBefore < k && apart >= 1 - kSlack && apart < 1.5 && now && before) {
            const double lost = *before - *now;
            if (lost > thresholds.brakingKmh) detections.push_back({k, EventKind::HardBraking, lost, 1e9 + lost});
        }
    }

    std::vector<Event> events;
    const auto seconds = [&samples](size_t sample) { return samples[sample].videoSeconds; };
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

Event protectedEvent(std::span<const telemetry::Sample> samples, size_t recording) {
    for (const telemetry::Sample& s : samples)
        if (cameraTime(s)) return {s.videoSeconds, EventKind::Protected, 0, recording, s.fix};
    return {0, EventKind::Protected, 0, recording, std::nullopt};
}

}  // namespace trips
