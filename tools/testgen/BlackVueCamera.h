#pragma once
// BlackVue recordings: after the movie a top-level "free" box holding "sttm" (the
// video's start, Unix milliseconds), "gps " (NMEA lines, each after its Unix time in
// milliseconds in square brackets) and "3gf " (G-sensor records: 32-bit milliseconds
// into the video and three 16-bit axes in tenths of a g, big-endian).

#include <string>
#include <vector>

#include "Drive.h"
#include "Mp4Boxes.h"
#include "NmeaCamera.h"

namespace testgen {

struct BlackVueOptions {
    NmeaFaults faults;
    bool startTime = true;  // write "sttm"
};

// The camera's data box alone.
mp4::Box blackVueBox(const std::vector<DrivePoint>& points, const BlackVueOptions& options = {});

void writeBlackVue(const std::string& path, const std::vector<DrivePoint>& points, const BlackVueOptions& options = {});

}  // namespace testgen
