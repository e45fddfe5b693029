#pragma once
// The overlay burnt into a clip: an ASS subtitle script with one event per sample
// of telemetry (date and time, speed, G values), timed on the clip's timeline.

#include <cstdint>
#include <vector>

#include <QString>

#include "ClipPlan.h"
#include "Sample.h"

namespace clips {

// "2016-05-12 09:03:07  52 km/h  G 0.02 -0.11 0.98"; a part the sample does not
// give as a number is left out. speedUnit as the settings store it (0 mph).
QString overlayText(const telemetry::Sample& sample, int64_t speedUnit);

// samples[i] are recording i's samples in video order, each shown from its video
// time to the next one's (the last for a second).
QString overlayScript(const std::vector<ClipPiece>& pieces, const std::vector<std::vector<telemetry::Sample>>& samples,
                      int64_t speedUnit);

}  // namespace clips
