#pragma once
// GoPro recordings: a "gpmd" timed-metadata track of one GPMF payload a second,
// written from the GPMF format's public description. Each payload holds a device
// with an accelerometer stream (ACCL, camera axes stored Z, X, Y as the HERO5
// does) and a GPS stream (GPS5 with GPSU, GPSF and GPSP, or the newer GPS9).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Drive.h"
#include "MetadataTrack.h"

namespace testgen {

struct GoProOptions {
    std::vector<DrivePoint> drive = {};  // one point a second
    BareVideo video = {};                // its seconds are the drive's
    int fixesPerSecond = 18;             // interpolated between the drive's seconds
    int accelPerSecond = 200;
    bool gps9 = false;         // GPS9 (each fix dated) instead of GPS5 and GPSU
    bool noTelemetry = false;  // payloads naming the device and nothing else
    // The payloads in another camera's layout ("FMAS" records, as some dashcams write
    // into a "gpmd" track), which a GoPro reader must not take for its own.
    bool foreignPayloads = false;
    // Damage dialled in by the tests:
    bool cutPayload = false;                // the first payload's GPS item claims more fixes than it holds
    bool zeroScale = false;                 // the GPS scale factors are 0, so every number is infinite
    std::optional<uint32_t> fixGrade = {};  // GPSF (or GPS9's fix) as written instead of 3 or 0
    TableFault tableFault = TableFault::None;
};

// The GPS5 altitude the writer gives the drive's point k, in metres.
double goproAltitude(size_t k);

// Writes path atomically; the video lasts as long as the drive.
void writeGoPro(const std::string& path, const GoProOptions& options);

}  // namespace testgen
