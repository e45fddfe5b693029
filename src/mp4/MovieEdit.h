#pragma once
// Adds a camera's telemetry to a finished movie, in whatever form that camera
// writes it: timed tracks, boxes inside the movie box, boxes after it, blocks in the
// media data. The movie box must come last, right after the media data, as ffmpeg
// writes a file without faststart; what is added goes where the movie box was, so no
// chunk of the media moves.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Mp4Boxes.h"

namespace mp4 {

struct TimedTrack {
    std::string handler;  // "meta", "camm", "text", "sbtl" ...
    Box sampleEntry;      // the one entry of the sample description
    uint32_t timescale = 1000;
    std::vector<std::string> samples;  // bytes as stored, one chunk each
    std::vector<uint32_t> durations;   // of each sample, in timescale ticks
};

class MovieEdit {
public:
    // Throws std::runtime_error when the file is not laid out so, std::system_error
    // when it cannot be read.
    explicit MovieEdit(std::string path);

    // The movie box as read, for its header's times and scale; edits go through below.
    const Box& movie() const { return movie_; }
    // The movie header's creation time, in seconds since 1904-01-01.
    uint64_t creationTime() const;
    void setCreationTime(uint64_t secondsSince1904);  // at most 2^32 - 1 in a version-0 header

    // Bytes appended to the media data; returns the file offset they will have.
    uint64_t appendMedia(std::string_view bytes);
    // A track after the existing ones, its samples appended to the media data.
    // Returns the new track's number.
    uint32_t addTrack(const TimedTrack& track);
    // A child of the movie box, after the tracks.
    void addToMovie(Box box);
    // A top-level box after the movie box.
    void addAfterMovie(Box box);

    // Writes everything in place. Throws std::system_error on a write error; the file
    // is then spoilt. Once per edit.
    void write();

private:
    std::string path_;
    BoxSpan mdat_, moov_;
    Box movie_;
    std::vector<uint8_t> media_;  // appended to the media data
    std::vector<Box> after_;
};

}  // namespace mp4
