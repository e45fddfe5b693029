#pragma once
// NMEA sentences in a file beside the video, of the same base name with ".nmea" or
// ".NMEA", as cameras without a telemetry format of their own write them. The one
// reader that looks beside the file rather than into it: the registry asks it last,
// by the video's path, for a video no other reader recognises.

#include <optional>
#include <string>

#include "TelemetryReader.h"

namespace telemetry {

class NmeaSidecarReader final : public TelemetryReader {
public:
    std::string_view name() const override { return "NMEA"; }
    // Never from the video's bytes: the sidecar is what there is to recognise.
    bool recognises(const FileBytes&) const override { return false; }
    // The samples of the video's sidecar, at the time since the first sample's; none
    // when it has no sidecar.
    ReadResult read(const std::string& videoPath) const override;

    // The regular file beside the video that holds its sentences, if there is one.
    static std::optional<std::string> sidecarOf(const std::string& videoPath);

private:
    friend class ReaderRegistry;
    NmeaSidecarReader() = default;
};

}  // namespace telemetry
