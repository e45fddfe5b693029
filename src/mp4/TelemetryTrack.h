#pragma once
// Telemetry in the camera's form: a timed-text track whose samples are the telemetry
// texts, one sample per chunk, behind a box holding the vendor marker. Our scan finds
// it by byte patterns, so the layout matters as much as the boxes.

#include <cstdint>
#include <string>
#include <vector>

#include "Mp4Boxes.h"

namespace mp4 {

// The box a camera writes ahead of its telemetry track; players skip it.
Box vendorMarker();
// The 3GPP timed-text sample description players and tag readers expect of it.
Box timedTextSampleEntry();

// An MP4 file whose movie box comes last, right after its media data, as ffmpeg
// writes one without faststart. Throws std::runtime_error when the file is not
// laid out so, std::system_error when it cannot be read.
class MovieFile {
public:
    explicit MovieFile(std::string path);

    // The movie's length in whole seconds, as the scan reads it from the movie header.
    uint32_t wholeSeconds() const { return seconds_; }

    // Adds the telemetry track, in place: the samples (bytes as stored, perSecond of
    // them a second) at the end of the media data, the track first in the movie box.
    // Throws as the constructor does, also on a write error; the file is then spoilt.
    void addTelemetryTrack(const std::vector<std::string>& samples, uint32_t perSecond);

private:
    std::string path_;
    BoxSpan mdat_, moov_;
    Box movie_;
    uint32_t seconds_ = 0;
};

}  // namespace mp4
