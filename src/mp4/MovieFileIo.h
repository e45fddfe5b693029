#pragma once
// Reading and writing a movie file in place, for the edits that add telemetry to one.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Mp4Boxes.h"

namespace mp4 {

// A file descriptor that throws std::system_error (with the path) on every failure.
class File {
public:
    File(const std::string& path, int flags);  // open(2) flags; O_CLOEXEC is added
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    uint64_t size() const;
    // Throws std::runtime_error when the file ends before n bytes.
    void read(uint64_t at, uint8_t* out, size_t n) const;
    void write(uint64_t at, const uint8_t* in, size_t n);
    void truncate(uint64_t length);
    // Some file systems report a failed write only here.
    void close();

private:
    [[noreturn]] void fail() const;
    std::string path_;
    int fd_;
};

// The boxes at the top of the file. Throws std::runtime_error on a size that does not fit.
std::vector<BoxSpan> topLevelBoxes(const File& file);

// A movie whose movie box comes last, right after its 32-bit media data box, as ffmpeg
// writes one without faststart: what is added then goes where the movie box was and
// no chunk of the media moves. Throws std::runtime_error when the file is not so.
struct MovieAtTheEnd {
    BoxSpan mdat, moov;
    Box movie;
};
MovieAtTheEnd readMovieAtTheEnd(const File& file);

}  // namespace mp4
