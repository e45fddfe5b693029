#pragma once
// The telemetry a clip keeps: the samples of its span, re-timed to the clip and
// written into the file ffmpeg made as a camera writes them, so that the clip reads
// like a recording.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "ClipPlan.h"
#include "Class_Video_Info.h"

namespace clips {

struct ClipRequest;

struct RecordingTelemetry {
    std::vector<std::string> samples;  // each as the recording stores it
    uint32_t perSecond = 0;            // 0: none the viewer would show
};

// What the scan read, when it read the whole table.
RecordingTelemetry telemetryOf(const telemetry::Class_Video_Info& record);

struct ClipSamples {
    std::vector<std::string> samples;
    uint32_t perSecond = 0;
};

// For each of the clip's first `seconds` whole seconds, the samples its recording
// shows in the second under its start, as many a second as the first recording has.
// Ends before the first second without them: the table cannot skip one.
ClipSamples clipSamples(const std::vector<ClipPiece>& pieces, const std::vector<RecordingTelemetry>& recordings,
                        uint32_t seconds);

// The presentation time of the last video key frame at or before `seconds`, where a
// stream copy cut there starts; nullopt with *error set when ffprobe cannot tell.
std::optional<double> keyFrameAtOrBefore(const QString& path, double seconds, QString* error);

// Adds the span's telemetry to the clip ffmpeg wrote at path (nothing when stripped
// or there is none); inputs are the names ffprobe reads the request's files by.
// Returns why it could not; empty when done.
QString addClipTelemetry(const QString& path, const ClipRequest& request, const QStringList& inputs);

}  // namespace clips
