#pragma once
// Pittasoft BlackVue recordings: a top-level "free" box holds the camera's own boxes,
// among them "gps " (NMEA sentences, each after its Unix time in milliseconds in
// square brackets) and "3gf " (G-sensor records), and "sttm" (when the video starts).

#include "TelemetryReader.h"

namespace telemetry {

class BlackVueReader final : public TelemetryReader {
public:
    std::string_view name() const override { return "BlackVue"; }
    bool recognises(const FileBytes& file) const override;
    // One sample per RMC sentence, at its stamp less the video's start (the first
    // stamp's when the file has no start time), and one per G-sensor record at its
    // time into the video: a record at the same millisecond as a fix joins its sample.
    ReadResult read(const std::string& path) const override;

private:
    friend class ReaderRegistry;
    BlackVueReader() = default;
};

}  // namespace telemetry
