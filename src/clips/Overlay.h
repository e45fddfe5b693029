#pragma once
// The overlay burnt into a clip: an ASS subtitle script with one event per second
// of telemetry (date and time, speed, G values), timed on the clip's timeline.

#include <cstdint>
#include <vector>

#include <QString>

#include "ClipPlan.h"
#include "Class_Subtitle_Info.h"

namespace clips {

// "2016-05-12 09:03:07  52 km/h  G 0.02 -0.11 0.98"; a part the sample does not
// give as a number is left out. speedUnit as the settings store it (0 mph).
QString overlayText(const telemetry::Class_Subtitle_Info& sample, int64_t speedUnit);

// samples[i] are recording i's samples, sample n covering seconds [n, n+1).
QString overlayScript(const std::vector<ClipPiece>& pieces,
                      const std::vector<std::vector<telemetry::Class_Subtitle_Info>>& samples, int64_t speedUnit);

}  // namespace clips
