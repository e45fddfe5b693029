#include "TrackRegion.h"

#include <algorithm>

#include "PositionFix.h"

std::optional<MapRegion> trackRegion(const telemetry::Class_Video_Info& record) { return trackRegion({&record}); }

std::optional<MapRegion> trackRegion(const std::vector<const telemetry::Class_Video_Info*>& records) {
    std::optional<telemetry::Position> low, high;
    for (const telemetry::Class_Video_Info* record : records) {
        if (!record->array_SubtileInfo) continue;
        for (const telemetry::Class_Subtitle_Info& sample : *record->array_SubtileInfo) {
            const auto fix = telemetry::positionFix(sample);
            if (!fix) continue;
            if (!low) low = high = fix;
            low->latitude = std::min(low->latitude, fix->latitude);
            low->longitude = std::min(low->longitude, fix->longitude);
            high->latitude = std::max(high->latitude, fix->latitude);
            high->longitude = std::max(high->longitude, fix->longitude);
        }
    }
    if (!low) return std::nullopt;
    const auto span = [](double from, double to) { return std::max((to - from) * 1.2, kMinimumRegionSpan); };
    return MapRegion{{(low->latitude + high->latitude) / 2, (low->longitude + high->longitude) / 2},
                     span(low->latitude, high->latitude),
                     span(low->longitude, high->longitude)};
}
