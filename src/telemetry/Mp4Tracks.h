#pragma once
// The movie's tracks and where each of their samples lies, read from the sample
// tables alone: the readers of timed-metadata tracks (GoPro, CAMM, timed text)
// then read just the samples they want, never the media around them.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "FileBytes.h"
#include "Mp4Walk.h"

namespace telemetry {

struct Mp4Track {
    uint32_t id = 0;
    std::string handler;  // hdlr's handler type: "vide", "soun", "meta", "camm", "text", "sbtl" ...
    std::string format;   // the first sample entry's type: "avc1", "gpmd", "camm", "tx3g", "text" ...
    uint32_t timescale = 0;
    uint64_t durationTicks = 0;  // as the media header gives it
    BoxAt sampleTable;           // the track's stbl, for trackSamples
};

struct TrackListing {
    std::vector<Mp4Track> tracks;
    // Set when the movie box or a track's boxes are damaged; the tracks read before
    // the damage are still listed.
    std::string damage;
};

// The tracks of the file's movie box, in file order; none without a movie box.
// Reads box headers and the few small header boxes of each track.
TrackListing movieTracks(const FileBytes& file);
// The first track whose sample entry is of that format, or none.
std::optional<Mp4Track> firstTrackOfFormat(const FileBytes& file, std::string_view format);
inline bool hasTrackOfFormat(const FileBytes& file, std::string_view format) {
    return firstTrackOfFormat(file, format).has_value();
}

struct TrackSample {
    uint64_t offset = 0;  // in the file
    uint32_t size = 0;
    uint64_t start = 0;     // in the track's timescale ticks
    uint32_t duration = 0;  // in ticks
};

struct SampleTable {
    std::vector<TrackSample> samples;
    std::string damage;  // why the tables cannot be read; the samples are then empty
};

// Every sample of the track from stsz, stsc, stco/co64 and stts, without reading
// the media. Tables that contradict each other or their boxes are damage. At most
// maxSamples samples (a million: 11 days of one-a-second metadata, hours of video),
// so a hostile table cannot ask for unbounded memory.
SampleTable trackSamples(const FileBytes& file, const Mp4Track& track, size_t maxSamples = 1 << 20);

// Where the track's first sample lies, from the first entries of its tables alone:
// enough to recognise a format by its first bytes. None without a sample.
std::optional<TrackSample> firstSample(const FileBytes& file, const Mp4Track& track);

// Hands each sample's bytes, with where it lies in the video in seconds, to use in
// track order, reading one sample at a time. Stops at the first reason not to go
// on, its own (damaged tables, a sample beyond the file or over sampleLimit bytes)
// or the one use returns, and returns it; empty when every sample was used.
using SampleUse = std::function<std::string(std::span<const uint8_t> bytes, double start, double duration)>;
std::string forEachSample(const FileBytes& file, const Mp4Track& track, uint32_t sampleLimit, const SampleUse& use);

// The sample's bytes, when it lies inside the file and is at most limit bytes.
std::optional<std::vector<uint8_t>> sampleBytes(const FileBytes& file, const TrackSample& sample, uint32_t limit);

}  // namespace telemetry
