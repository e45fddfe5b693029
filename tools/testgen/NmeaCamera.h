#pragma once
// NMEA 0183 sentences of a drive, as a GPS receiver writes them: an RMC and a GGA a
// second, each with its checksum; and a camera that keeps them in a file beside its
// video.

#include <string>
#include <string_view>
#include <vector>

#include "Drive.h"

namespace testgen {

// Faults dialled into a drive's sentences, by the second whose RMC they spoil.
struct NmeaFaults {
    std::vector<size_t> badChecksum;  // a checksum that does not match
    std::vector<size_t> cut;          // cut in half, the rest of its line lost
};

// "$" body "*" and the checksum.
std::string withChecksum(std::string_view body);
// The receiver's height at a second of the drive, metres.
double altitudeAt(size_t second);
// Per second an RMC (talker GP) and a GGA (talker GN); a second without a fix has
// status V and quality 0 with empty positions.
std::vector<std::string> nmeaSentences(const std::vector<DrivePoint>& points, const NmeaFaults& faults = {});

struct NmeaCameraOptions {
    std::string extension = ".nmea";
    NmeaFaults faults;
};

// The video at videoPath and its sentences, one a line, in the file of the same base
// name with the extension.
void writeNmeaCamera(const std::string& videoPath, const std::vector<DrivePoint>& points,
                     const NmeaCameraOptions& options = {});

// A video whose timed-text track holds the sentences, a second's RMC and GGA to a
// sample, as cameras without a format of their own record them.
void writeNmeaTrack(const std::string& path, const std::vector<DrivePoint>& points, const NmeaFaults& faults = {});

}  // namespace testgen
