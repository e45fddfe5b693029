#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "Files.h"
#include "Process.h"
#include "TestgenSupport.h"
#include "SampleValues.h"
#include "TextValues.h"
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

}  // namespace

TEST(TestgenCli, SamplesAreThreeRecordingsOfOneContinuousDrive) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not on PATH";
    const testgen::TempDir parent = tempDir();
    const fs::path dir = parent.path() / "samples";
    const testgen::ProcessResult r = testgen_({"samples", dir.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names, (std::vector<std::string>{"REC_0001.MP4", "REC_0002.MP4", "REC_0003.MP4"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(parent.path()), fs::directory_iterator()), 1)
        << "the folder it was built in is left beside it";

    std::optional<telemetry::Class_Subtitle_Info> last;
    std::vector<trips::RecordingSummary> summaries;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const telemetry::Class_Video_Info record = scan((dir / name).string());
        summaries.push_back(trips::summarizeRecording(record, summaries.size()));
        ASSERT_EQ(record.isSupportSubtitle, 1);
        EXPECT_EQ(record.duration_second, record.num_subtitle) << "one line per second";
        ASSERT_FALSE(record.array_SubtileInfo->empty());
        const telemetry::Class_Subtitle_Info& first = record.array_SubtileInfo->front();
        if (last) {
            // Picks up one second after the previous recording stopped, a car's length away.
            EXPECT_EQ(*trips::cameraTime(first), *trips::cameraTime(*last) + 1);
            const auto value = [](const telemetry::SampleText& t) { return telemetry::floatingValue(t.view()); };
            EXPECT_NEAR(value(first.lon), value(last->lon), 10.0);
            EXPECT_NEAR(value(first.lat), value(last->lat), 10.0);
            const double turn = std::fabs(value(first.heading) - value(last->heading));
            EXPECT_LT(std::min(turn, 360.0 - turn), 30.0) << "heading";
        }
        last = record.array_SubtileInfo->back();
    }
    // One trip, with the braking and the pothole the window marks.
    const std::vector<trips::Trip> found = trips::groupTrips(summaries);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].recordings, 3u);
    EXPECT_EQ(summaries[1].events.size(), 1u);
    EXPECT_EQ(summaries[2].events.size(), 1u);
}

TEST(TestgenCli, SamplesLeaveAnExistingFolderAlone) {
    const testgen::TempDir parent = tempDir();
    const fs::path dir = parent.path() / "samples";
    fs::create_directory(dir);
    std::ofstream(dir / "mine.txt") << "keep me";

    const testgen::ProcessResult r = testgen_({"samples", dir.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("already exists"), std::string::npos) << r.err;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(parent.path()), fs::directory_iterator()), 1);
}

// Benchmarks compare with other tools on the generator's files, so those tools
// must read its synthetic ones as the recordings of a camera: an H.264 video track
// that decodes and a timed-text track holding the telemetry lines.
TEST(TestgenCli, FileCommandsWriteRecordingsThatOtherToolsRead) {
    const testgen::TempDir dir = tempDir();
    const bool tools = testgen::onPath("ffmpeg") && testgen::onPath("ffprobe") && testgen::onPath("exiftool");
    for (const std::string command : {"synthetic", "playable"}) {
        SCOPED_TRACE(command);
        if (command == "playable" && !testgen::onPath("ffmpeg")) continue;
        const std::string path = (dir.path() / (command + ".MP4")).string();
        const testgen::ProcessResult r = testgen_({command, path, "4"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const telemetry::Class_Video_Info record = scan(path);
        EXPECT_EQ(record.isSupportSubtitle, 1);
        EXPECT_EQ(record.num_subtitle, 4u);
        EXPECT_EQ(record.duration_second, 4u);
        if (command != "synthetic" || !tools) continue;
        std::string lines;
        for (const std::string& line : scannedLines(record)) lines += line + "\n";
        const auto run = [](std::vector<std::string> argv) {
            const testgen::ProcessResult r = testgen::runProcess(argv);
            return std::tuple(r.exitCode, r.err, r.out);
        };
        EXPECT_EQ(run({"ffprobe", "-v", "error", "-show_entries", "stream=codec_name,width,height,nb_frames", "-of", "csv=p=0", path}),
                  std::tuple(0, "", "h264,320,240,4\nmov_text,N/A,N/A,4\n"));
        EXPECT_EQ(run({"ffmpeg", "-nostdin", "-v", "error", "-i", path, "-map", "0:v", "-f", "null", "-"}), std::tuple(0, "", ""));
        EXPECT_EQ(run({"exiftool", "-q", "-q", "-ee", "-Text", "-s3", path}), std::tuple(0, "", lines));
    }
}

TEST(TestgenCli, UsageErrorsExitWith2AndWriteNothing) {
    const testgen::TempDir dir = tempDir();
    const std::string file = (dir.path() / "x.MP4").string();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"bogus", file}, {"synthetic"}, {"playable", file, "ten"}, {"playable", file, "0"}, {"synthetic", file, "5s"},
             {"samples"}, {"samples", file, "extra"}, {"trip", file, "0"}}) {
        const testgen::ProcessResult r = testgen_(args);
        EXPECT_EQ(r.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << ::testing::PrintToString(args);
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));

    const testgen::ProcessResult help = testgen_({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("samples DIR"), std::string::npos);
}

TEST(TestgenCli, TripIsOneDriveCutIntoRecordingsWithABraking) {
    const testgen::TempDir dir = tempDir();
    for (const auto& [gap, tripCount] : std::initializer_list<std::pair<const char*, size_t>>{{"2", 1}, {"60", 4}}) {
        SCOPED_TRACE(gap);
        const fs::path folder = dir.path() / gap;
        const testgen::ProcessResult r = testgen_({"trip", folder.string(), "4", "30", gap});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        std::vector<trips::RecordingSummary> summaries;
        for (const char* name : {"REC_0001.MP4", "REC_0002.MP4", "REC_0003.MP4", "REC_0004.MP4"})
            summaries.push_back(trips::summarizeRecording(scan((folder / name).string()), summaries.size()));
        EXPECT_EQ(trips::groupTrips(summaries).size(), tripCount);
        size_t braking = 0;
        for (const auto& s : summaries)
            for (const auto& e : s.events) braking += e.kind == trips::EventKind::HardBraking;
        EXPECT_EQ(braking, 1u);
    }
}
