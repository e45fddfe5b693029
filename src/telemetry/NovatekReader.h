#pragma once
// Novatek's "freeGPS " blocks: one a second in the media data, found through the
// `gps ` index in the movie box or, when the camera never wrote the movie box, by a
// bounded scan of the media data. The blocks are read in the layout most cameras
// with the chip write (little-endian time and date, 'A' status, hemispheres,
// DDMM.MMMM floats, speed in knots, track).

#include "TelemetryReader.h"

namespace telemetry {

class NovatekReader final : public TelemetryReader {
public:
    std::string_view name() const override { return "Novatek"; }
    bool recognises(const FileBytes& file) const override;
    ReadResult read(const std::string& path) const override;

private:
    friend class ReaderRegistry;
    NovatekReader() = default;
};

}  // namespace telemetry
