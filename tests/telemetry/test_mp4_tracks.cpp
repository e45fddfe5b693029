#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "Files.h"
#include "GoProCamera.h"
#include "Mp4Tracks.h"
#include "Process.h"

using namespace telemetry;
namespace fs = std::filesystem;

namespace {

// ffprobe's fields of each row of its compact output, by key.
std::vector<std::map<std::string, std::string>> probeRows(const std::vector<std::string>& args) {
    const testgen::ProcessResult r = testgen::runProcess(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::map<std::string, std::string>> rows;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        auto& row = rows.emplace_back();
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '|');)
            if (const size_t eq = field.find('='); eq != std::string::npos)
                row[field.substr(0, eq)] = field.substr(eq + 1);
    }
    return rows;
}

}  // namespace

// The tables of a real encoder's video track (many samples to a chunk, B-frames)
// and of an added metadata track give each sample where ffprobe finds its packet:
// offset, size, decoding time and duration.
TEST(Mp4Tracks, SamplesAreWhereFfprobeFindsThePackets) {
    if (!testgen::onPath("ffprobe")) GTEST_SKIP() << "ffprobe is not on PATH";
    testgen::TempDir tmp(fs::temp_directory_path() / "tracks-XXXXXX");
    const std::string path = (tmp.path() / "GOPR0001.MP4").string();
    testgen::writeGoPro(path, {.drive = testgen::simulateDrivePoints({.seconds = 4})});

    const RandomAccessFile file(path);
    const TrackListing listing = movieTracks(file);
    EXPECT_EQ(listing.damage, "");
    const auto streams = probeRows(
        {"ffprobe", "-v", "error", "-show_entries", "stream=codec_tag_string,time_base", "-of", "compact=p=0", path});
    ASSERT_EQ(listing.tracks.size(), streams.size());
    const auto packets = probeRows({"ffprobe", "-v", "error", "-show_entries",
                                    "packet=stream_index,pos,size,dts,duration", "-of", "compact=p=0", path});
    const char* handlers[] = {"vide", "meta"};
    for (size_t t = 0; t < streams.size(); ++t) {
        SCOPED_TRACE(t);
        const Mp4Track& track = listing.tracks[t];
        EXPECT_EQ(track.handler, handlers[t]);
        EXPECT_EQ(track.format, streams[t].at("codec_tag_string"));
        EXPECT_EQ("1/" + std::to_string(track.timescale), streams[t].at("time_base"));
        EXPECT_EQ(track.id, t + 1);

        const SampleTable table = trackSamples(file, track);
        EXPECT_EQ(table.damage, "");
        std::vector<std::string> expected, got;
        long long firstDts = 0;
        for (const auto& p : packets) {
            if (p.at("stream_index") != std::to_string(t)) continue;
            if (expected.empty()) firstDts = std::stoll(p.at("dts"));
            expected.push_back(p.at("pos") + " " + p.at("size") + " " +
                               std::to_string(std::stoll(p.at("dts")) - firstDts) + " " + p.at("duration"));
        }
        for (const TrackSample& s : table.samples)
            got.push_back(std::to_string(s.offset) + " " + std::to_string(s.size) + " " +
                          std::to_string(s.start - table.samples.front().start) + " " + std::to_string(s.duration));
        EXPECT_EQ(got, expected);
        EXPECT_GT(got.size(), 3u);
    }
    EXPECT_TRUE(hasTrackOfFormat(file, "gpmd"));
    EXPECT_FALSE(hasTrackOfFormat(file, "camm"));
}
