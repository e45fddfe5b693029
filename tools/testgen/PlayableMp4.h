#pragma once
// Playable dashcam recordings: ffmpeg encodes an H.264 video with a mov_text track
// carrying the telemetry lines; the file is then given the dashcam layout.

#include <cstdint>
#include <string>
#include <vector>

namespace testgen {

struct PlayableOptions {
    std::vector<std::string> lines;  // one telemetry line per second
    int width = 320, height = 240, fps = 10;
    bool sound = false;  // an AAC track with a tone, as cameras with a microphone record
};

// Writes path atomically. Throws std::invalid_argument for unusable options and
// std::runtime_error (with ffmpeg's complaint, when it is ffmpeg's) on failure.
void writePlayable(const std::string& path, const PlayableOptions& options);

// The two halves of writePlayable, apart so that tests can reach ffmpeg's own file.
// encodePlayable writes ffmpeg's output unchanged (moov at the end, text track as
// the muxer lays it out).
void encodePlayable(const std::string& path, const PlayableOptions& options);
// Gives ffmpeg's output the camera's layout: the muxer's empty closing text sample
// dropped, one text sample per chunk, the vendor marker before the text track.
// Checks that the text samples hold exactly the lines.
// A video of that many seconds and nothing else, the movie box last (ffmpeg's own
// layout), for the writers of other cameras' telemetry to add to with mp4::MovieEdit.
struct BareVideo {
    int seconds = 60, width = 320, height = 240, fps = 10;
    // ffmpeg's test source: a rear camera's file shows a picture of its own.
    std::string pattern = "testsrc2";
};
void encodeBareVideo(const std::string& path, const BareVideo& video);

std::vector<uint8_t> applyDashcamLayout(std::vector<uint8_t> mp4, const std::vector<std::string>& lines);

}  // namespace testgen
