#pragma once
// CAMM recordings as 360-degree and street-level cameras write them: a "camm"
// track, written from Google's public description of the format, of one GPS
// record (type 6) a second, each followed by an accelerometer record (type 3)
// that a position reader has to step over.

#include <string>
#include <vector>

#include "Drive.h"
#include "MetadataTrack.h"

namespace testgen {

struct CammOptions {
    std::vector<DrivePoint> drive = {};  // one point a second
    BareVideo video = {};                // its seconds are the drive's
    bool positionsOnly = false;          // type 5 records (a position, nothing else) instead of type 6
    // Damage dialled in by the tests:
    bool cutRecord = false;    // the last GPS record loses its second half
    bool nanLatitude = false;  // the second record's latitude is no number
    TableFault tableFault = TableFault::None;
};

// GPS time, which does not skip UTC's leap seconds: seconds since 1980-01-06 of a
// UTC instant given in Unix seconds.
double gpsSecondsOfUtc(long long unixSeconds);
// The altitude the writer gives the drive's point k, in metres.
double cammAltitude(size_t k);

// Writes path atomically; the video lasts as long as the drive.
void writeCamm(const std::string& path, const CammOptions& options);

}  // namespace testgen
