#pragma once
// What one playback tick shows: the position in milliseconds, the telemetry
// sample for it, and that sample's label texts and marker position. Pure, so a
// test can call it without a player.

#include <QString>
#include <cstdint>
#include <optional>

#include "Class_Subtitle_Info.h"
#include "Class_Video_Info.h"

// value * 1000 / timescale, computed in double and kept as a float.
float tickPositionMs(int64_t value, int32_t timescale);

// Whole seconds played times the samples per second; past the end of the table,
// num_subtitle - lastPosition (unsigned, so it may wrap).
uint32_t tickSampleIndex(float positionMs, const telemetry::Class_Video_Info& record);

struct TickTexts {
    QString gx, gy, gz, speed, date;
};
// The label texts of a sample; speedUnit 0 shows miles per hour.
TickTexts tickTexts(const telemetry::Class_Subtitle_Info& sample, int64_t speedUnit);

struct MarkerPosition {
    double latitude = 0, longitude = 0;  // degrees, signed
    bool moves = false;                  // whether the marker is placed there
};
MarkerPosition tickMarker(const telemetry::Class_Subtitle_Info& sample);
