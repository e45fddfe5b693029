#pragma once
// Playable dashcam recordings: ffmpeg encodes an H.264 video with a mov_text track
// carrying the telemetry lines; the file is then given the dashcam layout.

#include <string>
#include <vector>

namespace testgen {

struct PlayableOptions {
    std::vector<std::string> lines;  // one telemetry line per second
    int width = 320, height = 240, fps = 10;
};

// Writes path; throws std::runtime_error with ffmpeg's complaint when it fails.
void writePlayable(const std::string& path, const PlayableOptions& options);

}  // namespace testgen
