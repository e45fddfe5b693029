#pragma once
// The part of the world a recording's map shows: where its fixes are, all of them.

#include <optional>
#include <vector>

#include "Class_Video_Info.h"
#include "MapInterface.h"
#include "Sample.h"

struct MapRegion {
    GeoCoordinate centre;
    double spanLatitude = 0, spanLongitude = 0;  // degrees
};

inline constexpr double kMinimumRegionSpan = 0.01;  // degrees: a few streets

// The bounding box of every sample with a usable fix, with a margin of a tenth of
// its size on each side, never narrower than kMinimumRegionSpan on either axis.
// Nothing when no sample has a fix: the map then stays where it is.
std::optional<MapRegion> trackRegion(const telemetry::Class_Video_Info& record);

// The same over the fixes of several recordings (a trip): one box around them all.
std::optional<MapRegion> trackRegion(const std::vector<const telemetry::Class_Video_Info*>& records);
// The same over decoded samples, whichever camera wrote them.
std::optional<MapRegion> trackRegion(const std::vector<const std::vector<telemetry::Sample>*>& recordings);
