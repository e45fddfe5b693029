#pragma once
// Google's Camera Motion Metadata: the "camm" track that 360-degree and
// street-level cameras write, a little-endian record per sample. Types 5 (a
// position) and 6 (a GPS reading with its time, fix type and velocity) give
// samples; the motion types (angles, gyroscope, accelerometer, magnetometer) do not.

#include <span>

#include "Sample.h"
#include "TelemetryReader.h"

namespace telemetry {

// Seconds since the GPS epoch (1980-01-06) on the satellites' clock, as
// milliseconds since 1970 UTC: GPS time does not skip the leap seconds UTC has
// inserted since 1980, so they are taken off.
std::chrono::milliseconds utcOfGpsTime(double gpsSeconds);

// The records of one sample, spread over [start, start + duration) seconds. None
// when a record runs past the sample or has a type the format does not define.
std::optional<std::vector<Sample>> cammSamples(std::span<const uint8_t> bytes, double start, double duration);

class CammReader final : public TelemetryReader {
public:
    std::string_view name() const override { return "CAMM"; }
    bool recognises(const FileBytes& file) const override;
    ReadResult read(const std::string& path) const override;

private:
    friend class ReaderRegistry;
    CammReader() = default;
};

}  // namespace telemetry
