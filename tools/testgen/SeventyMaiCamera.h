#pragma once
// 70mai recordings: after the movie a top-level "GPS " box of 36-byte little-endian
// records, one a second (words 1 and 1, the seconds into the video, the speed in
// thousandths of a km/h, the N/S letter, the latitude as DDMM.MMM in thousandths,
// the E/W letter, the longitude likewise, ten bytes of zeros), with empty records to
// spare after them. The movie header's creation time is the drive's start by the
// camera's clock: the records have no date of their own.

#include <string>
#include <vector>

#include "Drive.h"
#include "Mp4Boxes.h"

namespace testgen {

struct SeventyMaiOptions {
    int spareRecords = 4;
};

// The "GPS " box alone, and the creation time (seconds since 1904) the movie header
// needs for it.
mp4::Box seventyMaiBox(const std::vector<DrivePoint>& points, const SeventyMaiOptions& options = {});
uint64_t seventyMaiCreationTime(const std::vector<DrivePoint>& points);

void writeSeventyMai(const std::string& path, const std::vector<DrivePoint>& points,
                     const SeventyMaiOptions& options = {});

}  // namespace testgen
