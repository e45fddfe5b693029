#pragma once
// The samples command's view of a recording: which reader took it and the
// format-neutral samples it gave, the same for every camera.

#include <QJsonObject>
#include <QString>

#include "Sample.h"
#include "TelemetryReader.h"

namespace telemetry_cli {

// Absent values are left out of the objects, never written as 0 or null.
QJsonObject sampleNumbersJson(const telemetry::Sample& sample);
// {"file", "reader" (left out when no reader took the file), "samples", and
// "reason" when the recording could not be read}.
QJsonObject recordingSamplesJson(const QString& file, const telemetry::RecordingSamples& read);

// "2016-05-12T09:03:07.250", with a "Z" when the clock is UTC.
QString recordedTimeText(const telemetry::RecordedTime& time);

}  // namespace telemetry_cli
