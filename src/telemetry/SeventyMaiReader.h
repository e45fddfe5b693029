#pragma once
// 70mai recordings: a top-level "GPS " box of fixed-size records, one a second. A
// record holds its seconds into the video but no date: the date is the movie
// header's creation time, by the camera's own clock, plus those seconds.

#include "TelemetryReader.h"

namespace telemetry {

class SeventyMaiReader final : public TelemetryReader {
public:
    std::string_view name() const override { return "70mai"; }
    bool recognises(const FileBytes& file) const override;
    ReadResult read(const std::string& path) const override;

private:
    friend class ReaderRegistry;
    SeventyMaiReader() = default;
};

}  // namespace telemetry
