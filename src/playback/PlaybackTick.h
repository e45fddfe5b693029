#pragma once
// What one playback tick shows: the position in milliseconds, the telemetry
// sample for it, and that sample's label texts and marker position. Pure, so a
// test can call it without a player.

#include <QString>
#include <cstdint>
#include <optional>

#include <vector>

#include "Class_Subtitle_Info.h"
#include "Class_Video_Info.h"
#include "Sample.h"

// value * 1000 / timescale, computed in double and kept as a float.
float tickPositionMs(int64_t value, int32_t timescale);

// With a whole number of samples per second: whole seconds played times the
// samples per second, and past the end of the table num_subtitle - lastPosition
// (unsigned, so it may wrap). Otherwise whole seconds * num_subtitle /
// duration_second, at most the last sample.
uint32_t tickSampleIndex(float positionMs, const telemetry::Class_Video_Info& record);

// The other way: the whole second of video at which the tick first shows the
// sample, or the nearest sample it shows (every other one when there are two a
// second). Never past the recording's whole seconds.
int64_t sampleVideoSeconds(uint32_t index, const telemetry::Class_Video_Info& record);

struct TickTexts {
    QString gx, gy, gz, speed, date;
};
// The label texts of a sample; speedUnit 0 shows miles per hour. The date shows
// each field's value, two digits wide (four for the year).
TickTexts tickTexts(const telemetry::Class_Subtitle_Info& sample, int64_t speedUnit);

// The labels of another camera's sample, from its numbers: "X : 0.02", the speed
// as above, the date from its clock; what the sample lacks reads "-".
TickTexts tickTexts(const telemetry::Sample& sample, int64_t speedUnit);
// The sample a tick at positionMs shows: the last one at or before it, or none
// before the first.
std::optional<size_t> sampleAt(const std::vector<telemetry::Sample>& samples, double positionMs);

struct MarkerPosition {
    double latitude = 0, longitude = 0;  // degrees, signed
    bool moves = false;                  // whether the marker is placed there
};
MarkerPosition tickMarker(const telemetry::Class_Subtitle_Info& sample);

// "m:ss / m:ss" of a position and a length in milliseconds, in whole seconds.
QString positionText(int positionMs, int lengthMs);
