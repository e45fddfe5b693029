#pragma once
// The moment a sample's date and time texts name on the camera's clock: the one rule
// for every consumer of those texts.

#include <cstdint>
#include <optional>

#include "Class_Subtitle_Info.h"

namespace telemetry {

// Seconds since 1970-01-01 00:00 of the camera's clock; nothing unless the texts
// name a real date (years 1 to 9999) and time of day.
std::optional<int64_t> cameraClockSeconds(const Class_Subtitle_Info& sample);

}  // namespace telemetry
