#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include "CardWalk.h"
#include "Files.h"
#include "Process.h"
#include "TestgenSupport.h"
#include "SampleValues.h"
#include "TextValues.h"
#include "SampleClock.h"
#include "SubtitleTrackReader.h"
#include "TelemetryReader.h"
#include "Trips.h"

namespace fs = std::filesystem;
using testgen::testing::scan;
using testgen::testing::scannedLines;

namespace {

testgen::ProcessResult testgen_(std::vector<std::string> args) {
    args.insert(args.begin(), DASHCAM_TESTGEN_EXE);
    return testgen::runProcess(args);
}

testgen::TempDir tempDir() { return testgen::TempDir(fs::temp_directory_path() / "testgen-cli-XXXXXX"); }

size_t entries(const fs::path& dir) {
    return size_t(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// The summaries of REC_0001.MP4 and on in a folder.
std::vector<trips::RecordingSummary> summaries(const fs::path& folder, int count) {
    std::vector<trips::RecordingSummary> out;
    for (int i = 1; i <= count; ++i) {
        const fs::path file = folder / ("REC_000" + std::to_string(i) + ".MP4");
        out.push_back(trips::summarizeRecording(telemetry::samplesOf(scan(file.string())), out.size()));
    }
    return out;
}

}  // namespace

TEST(TestgenCli, SamplesAreFiveRecordingsOfOneContinuousDriveByThreeCameras) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not on PATH";
    const testgen::TempDir parent = tempDir();
    const fs::path dir = parent.path() / "samples";
    const testgen::ProcessResult r = testgen_({"samples", dir.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(std::tuple(entries(parent.path()), entries(dir)), std::tuple(1u, 5u));  // no build folder left beside it
    std::vector<std::string> readers;
    std::vector<trips::RecordingSummary> found;
    std::optional<telemetry::Sample> last;
    for (const char* name : {"REC_0001.MP4", "REC_0002.MP4", "REC_0003.MP4", "REC_0004.MP4", "REC_0005.MP4"}) {
        SCOPED_TRACE(name);
        const telemetry::RecordingSamples read = telemetry::ReaderRegistry::standard().read((dir / name).string());
        readers.push_back(read.reader);
        ASSERT_TRUE(std::holds_alternative<std::vector<telemetry::Sample>>(read.result));
        const auto& samples = std::get<std::vector<telemetry::Sample>>(read.result);
        ASSERT_FALSE(samples.empty());
        found.push_back(trips::summarizeRecording(samples, found.size()));
        if (last) {  // picks up where the previous one stopped, a car's length away, heading on
            const auto gap = *trips::cameraTime(samples.front()) - *trips::cameraTime(*last);
            EXPECT_TRUE(gap == 0 || gap == 1) << gap;
            EXPECT_LT(trips::haversineMetres(*samples.front().fix, *last->fix), 30.0);
        }
        last = samples.back();
    }
    EXPECT_EQ(readers, (std::vector<std::string>{"Ambarella", "Ambarella", "Ambarella", "GoPro GPMF", "Novatek"}));
    // One trip across the cameras, with the braking and the pothole the window marks.
    EXPECT_EQ(trips::groupTrips(found).size(), 1u);
    std::vector<size_t> events;
    for (const auto& s : found) events.push_back(s.events.size());
    EXPECT_EQ(events, (std::vector<size_t>{0, 1, 1, 0, 0}));
}

// Benchmarks compare with other tools on the generator's files, so those tools must
// read its synthetic ones as a camera's: H.264 that decodes and the telemetry lines
// in a timed-text track.
TEST(TestgenCli, FileCommandsWriteRecordingsThatOtherToolsRead) {
    const testgen::TempDir dir = tempDir();
    for (const std::string command : {"synthetic", "playable"}) {
        SCOPED_TRACE(command);
        if (command == "playable" && !testgen::onPath("ffmpeg")) continue;
        const std::string path = (dir.path() / (command + ".MP4")).string();
        const testgen::ProcessResult r = testgen_({command, path, "4"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const telemetry::Class_Video_Info record = scan(path);
        EXPECT_EQ(std::tuple(record.isSupportSubtitle, record.num_subtitle, record.duration_second),
                  std::tuple(1, 4u, 4u));
        if (command != "synthetic" || !testgen::onPath("ffprobe") || !testgen::onPath("exiftool")) continue;
        std::string lines;
        for (const std::string& line : scannedLines(record)) lines += line + "\n";
        const auto run = [](std::vector<std::string> argv) {
            const testgen::ProcessResult r = testgen::runProcess(argv);
            return std::tuple(r.exitCode, r.err, r.out);
        };
        EXPECT_EQ(run({"ffprobe", "-v", "error", "-show_entries", "stream=codec_name,width,height,nb_frames", "-of",
                       "csv=p=0", path}),
                  std::tuple(0, "", "h264,320,240,4\nmov_text,N/A,N/A,4\n"));
        EXPECT_EQ(run({"ffmpeg", "-nostdin", "-v", "error", "-i", path, "-map", "0:v", "-f", "null", "-"}),
                  std::tuple(0, "", ""));
        EXPECT_EQ(run({"exiftool", "-q", "-q", "-ee", "-Text", "-s3", path}), std::tuple(0, "", lines));
    }
}

TEST(TestgenCli, UsageErrorsExitWith2AndWriteNothing) {
    const testgen::TempDir dir = tempDir();
    const std::string file = (dir.path() / "x.MP4").string();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"bogus", file}, {"synthetic"}, {"playable", file, "ten"}, {"playable", file, "0"},
             {"synthetic", file, "5s"}, {"samples"}, {"samples", file, "extra"}, {"trip", file, "0"},
             {"card", "nextbase", file}, {"card", "gopro"}, {"card", "gopro", file, "0"}}) {
        const testgen::ProcessResult r = testgen_(args);
        EXPECT_EQ(r.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << ::testing::PrintToString(args);
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));
    const testgen::ProcessResult help = testgen_({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("samples DIR"), std::string::npos);

    const fs::path samples = dir.path() / "samples";  // an existing folder is left alone
    fs::create_directory(samples);
    std::ofstream(samples / "mine.txt") << "keep me";
    const testgen::ProcessResult r = testgen_({"samples", samples.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("already exists"), std::string::npos) << r.err;
    EXPECT_EQ(std::tuple(entries(samples), entries(dir.path())), std::tuple(1u, 1u));
}

TEST(TestgenCli, TripIsOneDriveCutIntoRecordingsWithABraking) {
    const testgen::TempDir dir = tempDir();
    for (const auto& [gap, tripCount] : {std::pair("2", 1u), {"60", 4u}}) {
        SCOPED_TRACE(gap);
        const testgen::ProcessResult r = testgen_({"trip", (dir.path() / gap).string(), "4", "30", gap});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const auto found = summaries(dir.path() / gap, 4);
        EXPECT_EQ(trips::groupTrips(found).size(), tripCount);
        size_t braking = 0;
        for (const auto& s : found)
            for (const auto& e : s.events) braking += e.kind == trips::EventKind::HardBraking;
        EXPECT_EQ(braking, 1u);
    }
}

// Every family's card: the files where the camera puts them, fronts with the
// camera's telemetry, rear channels that play, show a picture of their own and carry
// no telemetry.
TEST(TestgenCli, CardsAreCameraTreesWithPlayableRearChannels) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not on PATH";
    const testgen::TempDir parent = tempDir();
    // Decodes the whole video (it plays) and gives the first frame's picture as a checksum.
    const auto picture = [](const std::string& path) {
        const testgen::ProcessResult r = testgen::runProcess(
            {"ffmpeg", "-nostdin", "-v", "error", "-i", path, "-map", "0:v", "-vf", "scale=64:48", "-f", "framemd5", "-"});
        EXPECT_EQ(std::tuple(r.exitCode, r.err), std::tuple(0, "")) << path;
        const size_t first = r.out.find("\n0,");
        return r.out.substr(first, r.out.find('\n', first + 1) - first);
    };
    const std::map<std::string, std::vector<std::string>> cards = {
        {"novatek",
         {"DCIM/Movie/2016_0512_090307_0001F.MP4", "DCIM/Movie/2016_0512_090307_0001R.MP4",
          "DCIM/Movie/2016_0512_090309_0002F.MP4", "DCIM/Movie/2016_0512_090309_0002R.MP4",
          "DCIM/Movie/Parking/2016_0512_090413_0004F.MP4", "DCIM/Movie/RO/2016_0512_090311_0003F.MP4",
          "DCIM/Movie/RO/2016_0512_090311_0003R.MP4"}},
        {"blackvue",
         {"Record/20160512_090307_NF.mp4", "Record/20160512_090307_NR.mp4", "Record/20160512_090309_NF.mp4",
          "Record/20160512_090309_NR.mp4", "Record/20160512_090311_EF.mp4", "Record/20160512_090311_ER.mp4",
          "Record/20160512_090413_PF.mp4"}},
        {"70mai",
         {"Event/Back/EV20160512-090312-000103B.MP4", "Event/Front/EV20160512-090311-000003F.MP4",
          "Normal/Back/NO20160512-090308-000101B.MP4", "Normal/Back/NO20160512-090310-000102B.MP4",
          "Normal/Front/NO20160512-090307-000001F.MP4", "Normal/Front/NO20160512-090309-000002F.MP4",
          "Parking/Front/PA20160512-090413-000004F.MP4"}},
        {"gopro",
         {"DCIM/100GOPRO/GX010001.MP4", "DCIM/100GOPRO/GX020001.MP4", "DCIM/100GOPRO/GX030001.MP4",
          "DCIM/100GOPRO/GX010002.MP4"}}};
    for (const auto& [family, expected] : cards) {
        SCOPED_TRACE(family);
        const fs::path dir = parent.path() / family;
        const testgen::ProcessResult r = testgen_({"card", family, dir.string(), "2"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        std::vector<std::string> found;
        for (const std::string& path : card::recordingsOnCard(dir.string())) found.push_back(path.substr(dir.string().size() + 1));
        EXPECT_EQ(found, expected);
        for (const std::string& relative : found) {
            SCOPED_TRACE(relative);
            const std::string path = (dir / relative).string();
            const bool rear = relative.find("R.") != std::string::npos || relative.find("B.") != std::string::npos;
            const telemetry::RecordingSamples read = telemetry::ReaderRegistry::standard().read(path);
            const auto* samples = std::get_if<std::vector<telemetry::Sample>>(&read.result);
            EXPECT_EQ(samples && !samples->empty(), !rear) << read.reader;
        }
        // The first moment's two channels.
        if (family != "gopro") EXPECT_NE(picture((dir / found[0]).string()), picture((dir / found[1]).string()));
        else EXPECT_FALSE(picture((dir / found[0]).string()).empty());
    }
    EXPECT_EQ(entries(parent.path()), cards.size());  // no build folder left beside them
}
