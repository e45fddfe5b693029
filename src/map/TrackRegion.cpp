#include "TrackRegion.h"

#include <algorithm>

#include "SubtitleTrackReader.h"

std::optional<MapRegion> trackRegion(const telemetry::Class_Video_Info& record) { return trackRegion({&record}); }

std::optional<MapRegion> trackRegion(const std::vector<const telemetry::Class_Video_Info*>& records) {
    std::vector<std::vector<telemetry::Sample>> samples;
    samples.reserve(records.size());
    for (const telemetry::Class_Video_Info* record : records) samples.push_back(telemetry::samplesOf(*record));
    std::vector<const std::vector<telemetry::Sample>*> each;
    for (const auto& s : samples) each.push_back(&s);
    return trackRegion(each);
}

std::optional<MapRegion> trackRegion(const std::vector<const std::vector<telemetry::Sample>*>& recordings) {
    std::optional<telemetry::GeoPoint> low, high;
    for (const std::vector<telemetry::Sample>* samples : recordings) {
        if (!samples) continue;
        for (const telemetry::Sample& sample : *samples) {
            const auto& fix = sample.fix;
            if (!fix) continue;
            if (!low) low = high = fix;
            low->lat = std::min(low->lat, fix->lat);
            low->lon = std::min(low->lon, fix->lon);
            high->lat = std::max(high->lat, fix->lat);
            high->lon = std::max(high->lon, fix->lon);
        }
    }
    if (!low) return std::nullopt;
    const auto span = [](double from, double to) { return std::max((to - from) * 1.2, kMinimumRegionSpan); };
    return MapRegion{{(low->lat + high->lat) / 2, (low->lon + high->lon) / 2}, span(low->lat, high->lat),
                     span(low->lon, high->lon)};
}
