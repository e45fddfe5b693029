#pragma once
// What every consumer of a reader's samples may take for granted, whatever the bytes
// were: finite numbers, coordinates on the globe, samples in video order.

#include <cmath>
#include <cstdlib>
#include <vector>

#include "PositionFix.h"
#include "Sample.h"

namespace fuzzcheck {

inline bool finite(const std::optional<double>& v) { return !v || std::isfinite(*v); }

inline void requireUsable(const std::vector<telemetry::Sample>& samples) {
    double last = 0;
    for (const telemetry::Sample& s : samples) {
        if (!std::isfinite(s.videoSeconds) || s.videoSeconds < last) std::abort();
        last = s.videoSeconds;
        if (s.fix && (!telemetry::isUsableCoordinate(s.fix->lat, s.fix->lon) || !finite(s.fix->altitudeMetres)))
            std::abort();
        if (!finite(s.speedKmh) || (s.speedKmh && *s.speedKmh < 0) || !finite(s.headingDegrees)) std::abort();
        for (const auto& g : s.g)
            if (!finite(g)) std::abort();
        if (s.fixQuality && *s.fixQuality != 0 && *s.fixQuality != 2 && *s.fixQuality != 3) std::abort();
    }
}

}  // namespace fuzzcheck
