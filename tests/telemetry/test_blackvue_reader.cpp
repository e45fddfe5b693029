#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "BlackVueCamera.h"
#include "ExiftoolReading.h"
#include "Files.h"
#include "Mp4Walk.h"
#include "TelemetryReader.h"

using namespace telemetry;
namespace fs = std::filesystem;

namespace {

class BlackVueTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new testgen::TempDir(fs::temp_directory_path() / "blackvue-XXXXXX");
        points_ = testgen::simulateDrivePoints(
            {.seconds = 20, .startLat = -33.86, .startLon = -70.6, .noFixSeconds = 2, .gNoise = 0.3});
        testgen::writeBlackVue(good(), points_);
    }
    static void TearDownTestSuite() { delete dir_; }
    static std::string good() { return (dir_->path() / "20160512_090307_NF.mp4").string(); }

    // A copy of the good recording, the camera's data box found in it.
    static std::string copy(const std::string& name, BoxAt& free, BoxList& children) {
        const fs::path path = dir_->path() / name;
        fs::copy_file(good(), path, fs::copy_options::overwrite_existing);
        const RandomAccessFile file(path.string());
        // ffmpeg's own empty "free" box comes first; the camera's is the last box.
        free = topLevelBoxes(file).boxes.back();
        children = childrenOf(file, free);
        return path.string();
    }
    static void put(const std::string& path, uint64_t at, const std::string& bytes) {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(std::streamoff(at));
        f.write(bytes.data(), std::streamsize(bytes.size()));
    }

    static testgen::TempDir* dir_;
    static std::vector<testgen::DrivePoint> points_;
};
testgen::TempDir* BlackVueTest::dir_ = nullptr;
std::vector<testgen::DrivePoint> BlackVueTest::points_;

std::vector<Sample> samplesOf(const RecordingSamples& read) {
    EXPECT_TRUE(std::holds_alternative<std::vector<Sample>>(read.result));
    const auto* samples = std::get_if<std::vector<Sample>>(&read.result);
    return samples ? *samples : std::vector<Sample>{};
}

}  // namespace

// The registry gives the recording to the BlackVue reader, and its fixes and G-sensor
// records are what exiftool reads from the same file.
TEST_F(BlackVueTest, SamplesEqualExiftool) {
    const RecordingSamples read = ReaderRegistry::standard().read(good());
    EXPECT_EQ(read.reader, "BlackVue");
    const std::vector<Sample> samples = samplesOf(read);
    std::vector<const Sample*> fixes, gsensor;
    for (const Sample& s : samples) {
        if (s.fix) fixes.push_back(&s);
        if (s.g[0]) gsensor.push_back(&s);
    }
    std::vector<exiftool::Document> gpsDocs, gDocs;
    for (const exiftool::Document& d : exiftool::embeddedDocuments(good())) {
        if (d.count("GPSLatitude")) gpsDocs.push_back(d);
        if (d.count("Accelerometer")) gDocs.push_back(d);
    }
    ASSERT_EQ(fixes.size(), gpsDocs.size());
    ASSERT_EQ(fixes.size(), points_.size() - 2);
    for (size_t i = 0; i < fixes.size(); ++i) {
        SCOPED_TRACE(i);
        const Sample& s = *fixes[i];
        const exiftool::Document& d = gpsDocs[i];
        EXPECT_NEAR(s.videoSeconds, *exiftool::number(d, "SampleTime"), 0.0005);
        ASSERT_TRUE(s.time);
        EXPECT_EQ(s.time->clock, RecordedTime::Clock::Utc);
        EXPECT_EQ(s.time->sinceEpoch.count(), exiftool::milliseconds(d, "GPSDateTime"));
        EXPECT_NEAR(s.fix->lat, *exiftool::number(d, "GPSLatitude"), 1e-6);
        EXPECT_NEAR(s.fix->lon, *exiftool::number(d, "GPSLongitude"), 1e-6);
        EXPECT_NEAR(*s.fix->altitudeMetres, *exiftool::number(d, "GPSAltitude"), 1e-6);
        EXPECT_NEAR(*s.speedKmh, *exiftool::number(d, "GPSSpeed"), 0.1);
        EXPECT_NEAR(*s.headingDegrees, *exiftool::number(d, "GPSTrack"), 1e-6);
    }
    ASSERT_EQ(gsensor.size(), gDocs.size());
    ASSERT_EQ(gsensor.size(), points_.size());
    for (size_t i = 0; i < gsensor.size(); ++i) {
        SCOPED_TRACE(i);
        double x, y, z;
        ASSERT_EQ(std::sscanf(gDocs[i]["Accelerometer"].at(0).c_str(), "%lf %lf %lf", &x, &y, &z), 3);
        EXPECT_NEAR(gsensor[i]->videoSeconds, *exiftool::number(gDocs[i], "TimeCode"), 0.0005);
        EXPECT_NEAR(*gsensor[i]->g[0], x, 1e-9);
        EXPECT_NEAR(*gsensor[i]->g[1], y, 1e-9);
        EXPECT_NEAR(*gsensor[i]->g[2], z, 1e-9);
    }
    // A fix and the G-sensor record of the same moment are one sample.
    EXPECT_EQ(samples.size(), points_.size());
}

// A cut or bent data box gives the reader's reason and none of the drive; spoilt
// sentences cost only their own second; without the start time the samples still
// start at the video's start.
TEST_F(BlackVueTest, DamagedRecordingsGiveAReasonOrWhatIsReadable) {
    BoxAt free;
    BoxList children;
    {
        SCOPED_TRACE("cut in the G-sensor records");
        const std::string path = copy("cut.mp4", free, children);
        fs::resize_file(path, firstOf(children, "3gf ")->payload() + 25);
        const RecordingSamples read = ReaderRegistry::standard().read(path);
        EXPECT_EQ(read.reader, "BlackVue");
        ASSERT_TRUE(std::holds_alternative<ReadFailure>(read.result));
        EXPECT_NE(std::get<ReadFailure>(read.result).reason.find("cut short"), std::string::npos);
    }
    {
        SCOPED_TRACE("a log box larger than its parent");
        const std::string path = copy("bent.mp4", free, children);
        put(path, firstOf(children, "gps ")->offset, std::string("\x7f\0\0\0", 4));
        const RecordingSamples read = ReaderRegistry::standard().read(path);
        EXPECT_EQ(read.reader, "BlackVue");
        ASSERT_TRUE(std::holds_alternative<ReadFailure>(read.result));
    }
    {
        SCOPED_TRACE("a G-sensor record cut at the box's end");
        const std::string path = copy("short3gf.mp4", free, children);
        const BoxAt g = *firstOf(children, "3gf ");
        char size[4] = {char(0), char(0), char((g.size - 4) >> 8), char((g.size - 4) & 0xff)};
        put(path, g.offset, std::string(size, 4));
        put(path, free.offset, std::string{char(0), char(0), char((free.size - 4) >> 8), char((free.size - 4) & 0xff)});
        fs::resize_file(path, free.end() - 4);
        const std::vector<Sample> samples = samplesOf(ReaderRegistry::standard().read(path));
        ASSERT_EQ(samples.size(), points_.size());
        EXPECT_TRUE(samples[points_.size() - 2].g[2]);
        EXPECT_FALSE(samples.back().g[2]);
    }
    {
        SCOPED_TRACE("spoilt sentences, no start time");
        const std::string path = (dir_->path() / "faults.mp4").string();
        testgen::writeBlackVue(path, points_, {.faults = {.badChecksum = {4}, .cut = {7}}, .startTime = false});
        const std::vector<Sample> samples = samplesOf(ReaderRegistry::standard().read(path));
        ASSERT_EQ(samples.size(), points_.size());
        EXPECT_EQ(samples.front().videoSeconds, 0);
        EXPECT_EQ(samples.back().videoSeconds, double(points_.size() - 1));
        for (size_t second : {4, 7}) {
            EXPECT_FALSE(samples[second].time) << second;
            EXPECT_TRUE(samples[second].g[2]) << second;
        }
        EXPECT_TRUE(samples[5].fix && samples[8].fix);
    }
}
