#pragma once
// Where a recording's track begins and ends, and the small dots that mark them.
// Their titles name them in the callout; the start and the end dot are told apart by them.

#include <QImage>
#include <QString>
#include <optional>

#include "Class_Video_Info.h"
#include "MapInterface.h"
#include "Sample.h"

inline constexpr const char* kTrackStartTitle = "Track start";
inline constexpr const char* kTrackEndTitle = "Track end";

struct TrackEnds {
    std::optional<GeoCoordinate> start, end;  // the first and last usable fix
};
TrackEnds trackEnds(const telemetry::Class_Video_Info& record);
TrackEnds trackEnds(const std::vector<telemetry::Sample>& samples);

// A green dot for the start, a chequered one for the end; nothing for other titles.
std::optional<QImage> trackEndImage(const QString& title);
