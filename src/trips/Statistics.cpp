#include "Statistics.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "Events.h"
#include "SampleNumbers.h"

namespace trips {

Statistics& Statistics::operator+=(const Statistics& other) {
    distanceMetres += other.distanceMetres;
    movingSeconds += other.movingSeconds;
    maxSpeedKmh = std::max(maxSpeedKmh, other.maxSpeedKmh);
    for (size_t a = 0; a < maxAbsG.size(); ++a) maxAbsG[a] = std::max(maxAbsG[a], other.maxAbsG[a]);
    events += other.events;
    return *this;
}

std::vector<SampleNumbers> sampleNumbers(const telemetry::Class_Video_Info& record) {
    std::vector<SampleNumbers> out;
    if (record.isSupportSubtitle != 1 || !record.array_SubtileInfo || record.gapSubtitlePerSecond == 0) return out;
    out.reserve(record.array_SubtileInfo->size());
    for (const telemetry::Class_Subtitle_Info& s : *record.array_SubtileInfo) {
        SampleNumbers& n = out.emplace_back(SampleNumbers{gForces(s), usableFix(s), std::nullopt});
        if (n.fix) n.speedKmh = speedKmh(s);
    }
    return out;
}

Statistics statisticsOf(const std::vector<SampleNumbers>& samples, uint32_t samplesPerSecond) {
    Statistics out;
    if (samplesPerSecond == 0) return out;
    const double sampleSeconds = 1.0 / double(samplesPerSecond);
    const SampleNumbers* previous = nullptr;
    double previousCos = 0;  // each latitude's cosine once, not once per neighbour
    for (const SampleNumbers& n : samples) {
        for (size_t a = 0; a < 3; ++a)
            if (!std::isnan(n.g[a])) out.maxAbsG[a] = std::max(out.maxAbsG[a], std::fabs(n.g[a]));
        if (n.speedKmh) out.maxSpeedKmh = std::max(out.maxSpeedKmh, *n.speedKmh);
        // Consecutive samples with a fix only: a gap without one is not bridged.
        const double cosLat = n.fix ? std::cos(n.fix->lat * kRadiansPerDegree) : 0;
        if (n.fix && previous && previous->fix) {
            const double step = haversineMetres(*previous->fix, *n.fix, previousCos, cosLat);
            if (plausibleStep(step, sampleSeconds)) {
                out.distanceMetres += step;
                if (n.speedKmh && *n.speedKmh > kMovingKmh) out.movingSeconds += sampleSeconds;
            }
        }
        previous = &n;
        previousCos = cosLat;
    }
    return out;
}

Statistics recordingStatistics(const telemetry::Class_Video_Info& record) {
    return statisticsOf(sampleNumbers(record), record.gapSubtitlePerSecond);
}

}  // namespace trips
