#pragma once
// NMEA sentences in a timed-text track ("tx3g", "text"), as cameras without a
// telemetry format of their own write them: each text sample holds the sentences of
// its moment, placed in the video where the sample starts.

#include <optional>
#include <string>

#include "Mp4Tracks.h"
#include "TelemetryReader.h"

namespace telemetry {

class NmeaTrackReader final : public TelemetryReader {
public:
    std::string_view name() const override { return "NMEA"; }
    // A text track whose first sample starts with an RMC or GGA sentence.
    bool recognises(const FileBytes& file) const override;
    ReadResult read(const std::string& path) const override;

    // The file's first text track that holds sentences, if any.
    static std::optional<Mp4Track> sentenceTrack(const FileBytes& file);

private:
    friend class ReaderRegistry;
    NmeaTrackReader() = default;
};

}  // namespace telemetry
