#include "Statistics.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "Events.h"
#include "SampleValues.h"

namespace trips {

Statistics& Statistics::operator+=(const Statistics& other) {
    distanceMetres += other.distanceMetres;
    movingSeconds += other.movingSeconds;
    maxSpeedKmh = std::max(maxSpeedKmh, other.maxSpeedKmh);
    for (size_t a = 0; a < maxAbsG.size(); ++a) maxAbsG[a] = std::max(maxAbsG[a], other.maxAbsG[a]);
    events += other.events;
    return *this;
}

Statistics recordingStatistics(std::span<const telemetry::Sample> samples) {
    Statistics out;
    const telemetry::Sample* previous = nullptr;
    double previousCos = 0;  // each latitude's cosine once, not once per neighbour
    for (const telemetry::Sample& n : samples) {
        for (size_t a = 0; a < 3; ++a)
            if (n.g[a]) out.maxAbsG[a] = std::max(out.maxAbsG[a], std::fabs(*n.g[a]));
        const auto speed = drivenSpeedKmh(n);
        if (speed) out.maxSpeedKmh = std::max(out.maxSpeedKmh, *speed);
        // Consecutive samples with a fix only: a gap without one is not bridged.
        const double cosLat = n.fix ? std::cos(n.fix->lat * kRadiansPerDegree) : 0;
        if (n.fix && previous && previous->fix) {
            const double seconds = std::max(0.0, n.videoSeconds - previous->videoSeconds);
            const double step = haversineMetres(*previous->fix, *n.fix, previousCos, cosLat);
            if (plausibleStep(step, seconds)) {
                out.distanceMetres += step;
                if (speed && *speed > kMovingKmh) out.movingSeconds += seconds;
            }
        }
        previous = &n;
        previousCos = cosLat;
    }
    return out;
}

}  // namespace trips
