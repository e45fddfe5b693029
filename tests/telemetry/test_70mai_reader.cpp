#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ExiftoolReading.h"
#include "Files.h"
#include "Mp4Walk.h"
#include "SeventyMaiCamera.h"
#include "TelemetryReader.h"

using namespace telemetry;
namespace fs = std::filesystem;

namespace {

class SeventyMaiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new testgen::TempDir(fs::temp_directory_path() / "70mai-XXXXXX");
        points_ = testgen::simulateDrivePoints({.seconds = 20, .startLat = -33.86, .startLon = -70.6, .noFixSeconds = 2});
        testgen::writeSeventyMai(good(), points_);
    }
    static void TearDownTestSuite() { delete dir_; }
    static std::string good() { return (dir_->path() / "NO20160512-090307-000001.MP4").string(); }

    // A copy of the good recording and where its records start.
    static std::string copy(const std::string& name, BoxAt& gps) {
        const fs::path path = dir_->path() / name;
        fs::copy_file(good(), path, fs::copy_options::overwrite_existing);
        gps = *firstOf(topLevelBoxes(RandomAccessFile(path.string())), "GPS ");
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
testgen::TempDir* SeventyMaiTest::dir_ = nullptr;
std::vector<testgen::DrivePoint> SeventyMaiTest::points_;

}  // namespace

// Every record is a sample, dated by the movie header's creation time on the camera's
// clock, and what it holds is what exiftool reads from the same file (exiftool dates
// the records from the header as UTC when told the header is UTC).
TEST_F(SeventyMaiTest, SamplesEqualExiftool) {
    const RecordingSamples read = ReaderRegistry::standard().read(good());
    EXPECT_EQ(read.reader, "70mai");
    ASSERT_TRUE(std::holds_alternative<std::vector<Sample>>(read.result));
    const auto& samples = std::get<std::vector<Sample>>(read.result);
    const std::vector<exiftool::Document> docs = exiftool::embeddedDocuments(good(), {"-api", "QuickTimeUTC"});
    ASSERT_EQ(samples.size(), docs.size());
    ASSERT_EQ(samples.size(), points_.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        SCOPED_TRACE(i);
        const Sample& s = samples[i];
        const exiftool::Document& d = docs[i];
        EXPECT_EQ(s.videoSeconds, double(i));
        ASSERT_TRUE(s.time);
        EXPECT_EQ(s.time->clock, RecordedTime::Clock::Camera);
        EXPECT_EQ(s.time->sinceEpoch.count(), exiftool::milliseconds(d, "GPSDateTime"));
        // exiftool reads a record without a fix as 0, 0.
        const double lat = *exiftool::number(d, "GPSLatitude"), lon = *exiftool::number(d, "GPSLongitude");
        ASSERT_EQ(s.fix.has_value(), lat != 0 || lon != 0);
        ASSERT_EQ(s.fix.has_value(), points_[i].fix);
        EXPECT_FALSE(s.headingDegrees || s.fixQuality || s.g[0]);
        if (!s.fix) continue;
        EXPECT_NEAR(s.fix->lat, lat, 1e-6);
        EXPECT_NEAR(s.fix->lon, lon, 1e-6);
        EXPECT_NEAR(*s.speedKmh, *exiftool::number(d, "GPSSpeed"), 0.1);
        // The records keep thousandths of a minute: within two metres of the drive.
        EXPECT_NEAR(s.fix->lat, points_[i].lat, 1e-5);
        EXPECT_NEAR(s.fix->lon, points_[i].lon, 1e-5);
    }
}

// A cut box gives the reason and none of the drive; a record whose position is no
// coordinate loses its fix alone; a box of empty records is a recording without
// telemetry.
TEST_F(SeventyMaiTest, DamagedRecordingsGiveAReasonOrWhatIsReadable) {
    BoxAt gps;
    {
        SCOPED_TRACE("cut in the records");
        const std::string path = copy("cut.MP4", gps);
        fs::resize_file(path, gps.payload() + 36 * 5 + 11);
        const RecordingSamples read = ReaderRegistry::standard().read(path);
        EXPECT_EQ(read.reader, "70mai");
        ASSERT_TRUE(std::holds_alternative<ReadFailure>(read.result));
        EXPECT_NE(std::get<ReadFailure>(read.result).reason.find("cut short"), std::string::npos);
    }
    {
        SCOPED_TRACE("positions that are no coordinates");
        const std::string path = copy("bent.MP4", gps);
        put(path, gps.payload() + 36 * 5 + 16, "X");                            // no hemisphere
        put(path, gps.payload() + 36 * 6 + 17, std::string("\xff\xff\xff\x7f", 4));  // far past 90 degrees
        put(path, gps.payload() + 36 * 7 + 22, std::string("\x60\xea\x00\x00", 4));  // 60.000 minutes
        const RecordingSamples read = ReaderRegistry::standard().read(path);
        ASSERT_TRUE(std::holds_alternative<std::vector<Sample>>(read.result));
        const auto& samples = std::get<std::vector<Sample>>(read.result);
        ASSERT_EQ(samples.size(), points_.size());
        for (size_t i = 2; i < samples.size(); ++i) EXPECT_EQ(samples[i].fix.has_value(), i < 5 || i > 7) << i;
        EXPECT_TRUE(samples[6].time);
    }
    {
        SCOPED_TRACE("only empty records");
        const std::string path = copy("empty.MP4", gps);
        put(path, gps.payload(), std::string(size_t(gps.payloadSize()), '\0'));
        const RecordingSamples read = ReaderRegistry::standard().read(path);
        EXPECT_EQ(read.reader, "70mai");
        EXPECT_EQ(read.result, ReadResult(std::vector<Sample>{}));
    }
}
