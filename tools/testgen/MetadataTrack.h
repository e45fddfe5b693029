#pragma once
// A playable recording with one timed-metadata track added, as the cameras that
// keep their telemetry in a track of its own write it (GoPro, CAMM), with the
// damage to its sample tables that the readers' tests dial in.

#include <cstdint>
#include <optional>
#include <string>

#include "Drive.h"
#include "MovieEdit.h"
#include "PlayableMp4.h"

namespace testgen {

enum class TableFault {
    None,
    SamplePastEnd,        // the last sample's chunk offset points beyond the file
    SampleCountTooLarge,  // the sample-size table claims more sizes than it holds
};

struct MetadataRecording {
    BareVideo video;
    mp4::TimedTrack track;
    std::optional<long long> createdUnixSeconds;  // the movie header's creation time
    TableFault fault = TableFault::None;
};

// Encodes the video with ffmpeg, adds the track and writes path atomically.
void writeMetadataRecording(const std::string& path, const MetadataRecording& recording);

// A recording as long as the drive and dated from its start, its track of that
// handler with a sample entry of that format that holds nothing but the data
// reference, in milliseconds; the samples are the caller's to add.
MetadataRecording driveRecording(const std::vector<DrivePoint>& drive, BareVideo video, const char* handler,
                                 const char* format, TableFault fault);

// The numbers of a drive point between two seconds of the drive, linearly.
DrivePoint interpolate(const DrivePoint& a, const DrivePoint& b, double fraction);

}  // namespace testgen
