#pragma once
// A recording's track as the lines to draw: one per run of samples with a usable
// fix, so that no line crosses a stretch the camera had no position for.

#include <cstddef>
#include <vector>

#include <span>

#include "Sample.h"
#include "SampleValues.h"

namespace trips {

// Runs of consecutive samples with a fix, every `step`th sample of a run
// kept (a long recording need not draw every second) and each run's last one
// always; runs of one point included. Empty without telemetry.
std::vector<std::vector<GeoPoint>> trackRuns(std::span<const telemetry::Sample> samples, size_t step = 1);

}  // namespace trips
