#pragma once
// GoPro's telemetry: the "gpmd" timed-metadata track, each sample a GPMF payload
// (4-character key, type, structure size, repeat count; big-endian; nested in
// DEVC and STRM) covering its own stretch of the video.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Sample.h"
#include "TelemetryReader.h"

namespace telemetry {

// What one payload says, scaled to units: every fix the GPS gave (GPS5 or GPS9)
// and every accelerometer reading.
struct GpmfPayload {
    struct Fix {
        double lat = 0, lon = 0, altitude = 0, speedMps = 0;
        std::optional<std::chrono::milliseconds> utc;  // GPS9 dates each fix itself
        std::optional<int32_t> quality;                // GPS9 grades each fix
    };
    std::vector<Fix> fixes;
    std::optional<std::chrono::milliseconds> gpsTime;  // GPSU: the first fix's UTC time
    std::optional<int32_t> fixQuality;                 // GPSF
    std::vector<std::array<double, 3>> accel;          // camera X, Y, Z in m/s^2
};

// The payload's contents, or none when its structure is damaged (an item running
// past its container, a number of a type its key cannot have).
std::optional<GpmfPayload> parseGpmf(std::span<const uint8_t> bytes);

// The payload's samples over [start, start + duration) seconds of video: one per
// fix, each with the mean of the accelerometer readings of its share of the time;
// without a fix, G-sensor samples at the GPS's rate.
std::vector<Sample> gpmfSamples(const GpmfPayload& payload, double start, double duration);

class GoProReader final : public TelemetryReader {
public:
    std::string_view name() const override { return "GoPro GPMF"; }
    bool recognises(const FileBytes& file) const override;
    ReadResult read(const std::string& path) const override;

private:
    friend class ReaderRegistry;
    GoProReader() = default;
};

}  // namespace telemetry
