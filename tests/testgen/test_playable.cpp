#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "Drive.h"
#include "Files.h"
#include "Mp4Boxes.h"
#include "PlayableMp4.h"
#include "Process.h"
#include "SyntheticMp4.h"
#include "TestgenSupport.h"

namespace fs = std::filesystem;
using testgen::testing::scan;

namespace {

std::vector<std::string> timedTextSamples(const std::vector<std::string>& lines) {
    std::vector<std::string> samples;
    for (const std::string& line : lines) samples.push_back(testgen::timedTextSample(line));
    return samples;
}

auto makeTempDir() { return std::make_unique<testgen::TempDir>(fs::temp_directory_path() / "testgen-tests-XXXXXX"); }

}  // namespace

// One playable recording, encoded once for the whole suite.
class PlayableRecording : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!testgen::onPath("ffmpeg")) return;
        dir_ = makeTempDir();
        options_ = {.lines = testgen::simulateDrive({.seconds = 12, .noFixSeconds = 2, .seed = 7}), .width = 160, .height = 120, .fps = 10};
        path_ = (dir_->path() / "REC_TEST.MP4").string();
        try {
            testgen::writePlayable(path_, options_);
        } catch (const std::exception& e) {
            error_ = e.what();
        }
    }
    static void TearDownTestSuite() { dir_.reset(); }

    void SetUp() override {
        if (!dir_) GTEST_SKIP() << "ffmpeg is not on PATH";
        ASSERT_EQ(error_, "") << "writePlayable failed";
    }

    static inline std::unique_ptr<testgen::TempDir> dir_;
    static inline testgen::PlayableOptions options_;
    static inline std::string path_, error_;
};

// What the scan reads must be what ffprobe reads; the text track is off by default
// (or players print the raw lines over the picture) and the video decodes cleanly.
TEST_F(PlayableRecording, ScanAgreesWithFfprobeAndTheFileDecodes) {
    const telemetry::Class_Video_Info record = scan(path_);
    ASSERT_EQ(record.isSupportSubtitle, 1);
    EXPECT_EQ(std::tuple(record.duration_second, record.num_subtitle, record.gapSubtitlePerSecond),
              std::tuple(options_.lines.size(), options_.lines.size(), 1u));
    EXPECT_EQ(*record.array_subtitle_final, timedTextSamples(options_.lines));
    const auto decode = testgen::runProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", path_, "-f", "null", "-"});
    EXPECT_EQ(std::tuple(decode.exitCode, decode.err), std::tuple(0, ""));
    if (!testgen::onPath("ffprobe")) GTEST_SKIP() << "ffprobe is not on PATH";
    const auto probe = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"ffprobe", "-v", "error", "-select_streams", "s"});
        args.push_back(path_);
        const testgen::ProcessResult r = testgen::runProcess(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.out;
    };
    // Keyed output: ffprobe prints the fields in its own order, not the one asked for.
    std::vector<std::string> positions, sizes;
    std::istringstream rows(probe({"-show_packets", "-show_entries", "packet=pos,size", "-of", "compact=p=0"}));
    for (std::string row; std::getline(rows, row);) {
        std::istringstream fields(row);
        for (std::string field; std::getline(fields, field, '|');) {
            if (field.starts_with("pos=")) positions.push_back(field.substr(4));
            if (field.starts_with("size=")) sizes.push_back(field.substr(5));
        }
    }
    EXPECT_EQ(*record.array_addrOfSubtitle, positions);
    EXPECT_EQ(*record.array_lengthOfSubtitle, sizes);
    // ffprobe hides a zero-length closing packet, but its frame count comes from the
    // sample-size table, so a kept closing sample shows there.
    EXPECT_EQ(probe({"-show_entries", "stream=nb_frames:stream_disposition=default", "-of", "csv=p=0"}),
              std::to_string(options_.lines.size()) + ",0\n");
}

// The scan takes the first 00 01 00 00 in a window that begins inside the media
// data; video bytes that read so must not be taken for the movie header's rate.
TEST_F(PlayableRecording, EncodesAlikeAndVideoBytesThatMimicTheRateDoNotMisleadTheScan) {
    const std::string encoded = (dir_->path() / "encoded.mp4").string();
    testgen::encodePlayable(encoded, options_);
    std::vector<uint8_t> bytes = testgen::readFile(encoded);
    // Encoded again with the same options: the same bytes.
    EXPECT_TRUE(testgen::applyDashcamLayout(bytes, options_.lines) == testgen::readFile(path_));
    const uint32_t windowStart = mp4::readBE32(bytes, 40);  // mdat follows ftyp and free
    ASSERT_EQ(std::string(bytes.begin() + 44, bytes.begin() + 48), "mdat");
    mp4::setBE32(bytes, windowStart + 20, 0x00010000);  // inside the last video chunk
    const std::string mimic = (dir_->path() / "mimic.mp4").string();
    testgen::writeFileAtomically(mimic, bytes);
    ASSERT_NE(scan(mimic).duration_second, options_.lines.size()) << "the planted bytes do not reach the scan";

    testgen::writeFileAtomically(mimic, testgen::applyDashcamLayout(bytes, options_.lines));
    const telemetry::Class_Video_Info record = scan(mimic);
    ASSERT_EQ(record.isSupportSubtitle, 1);
    EXPECT_EQ(record.duration_second, options_.lines.size());
    EXPECT_EQ(*record.array_subtitle_final, timedTextSamples(options_.lines));
}

TEST(PlayableErrors, FailuresThrowWithTheReasonAndLeaveNothing) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not on PATH";
    const auto dir = makeTempDir();
    const auto file = [&](const char* name) { return (dir->path() / name).string(); };
    // 20000 pixels wide is beyond what libx264 accepts.
    testgen::PlayableOptions wide{.lines = testgen::simulateDrive({.seconds = 2}), .width = 20000, .height = 16};
    EXPECT_THROW(testgen::writePlayable(file("none.mp4"), testgen::PlayableOptions{}), std::invalid_argument);
    EXPECT_THROW(testgen::writePlayable(file("missing/a.mp4"), {.lines = wide.lines}), std::runtime_error);
    try {
        testgen::writePlayable(file("wide.mp4"), wide);
        ADD_FAILURE() << "an impossible frame size was accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("ffmpeg"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("20000x16"), std::string::npos) << "no ffmpeg complaint: " << e.what();
    }
    EXPECT_TRUE(fs::is_empty(dir->path())) << "a failed write left files behind";
}
