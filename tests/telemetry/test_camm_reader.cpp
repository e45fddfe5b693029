#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "CammCamera.h"
#include "CammReader.h"
#include "ExiftoolReading.h"
#include "Files.h"
#include "TelemetryReader.h"

using namespace telemetry;
namespace fs = std::filesystem;

namespace {

class CammReaderTest : public ::testing::Test {
protected:
    testgen::TempDir tmp{fs::temp_directory_path() / "camm-XXXXXX"};
    // South and west, so a lost sign shows; the first second without a fix.
    std::vector<testgen::DrivePoint> drive =
        testgen::simulateDrivePoints({.seconds = 8, .startLat = -22.9068, .startLon = -43.1729, .noFixSeconds = 1});

    std::string write(testgen::CammOptions o) {
        o.drive = drive;
        const std::string path = (tmp.path() / "VID_0001.MP4").string();
        testgen::writeCamm(path, o);
        return path;
    }
};

}  // namespace

// The GPS records read as exiftool reads them: position, altitude, speed and heading
// from the east and north velocities, fix grade; the accelerometer records between
// them give no samples. exiftool dates type 6 on the GPS clock as it is; UTC was 17
// seconds behind it throughout 2016, when this drive is dated.
TEST_F(CammReaderTest, GpsRecordsEqualExiftoolsReading) {
    for (const bool positionsOnly : {false, true}) {
        SCOPED_TRACE(positionsOnly ? "type 5" : "type 6");
        const std::string path = write({.positionsOnly = positionsOnly});
        const RecordingSamples read = ReaderRegistry::standard().read(path);
        EXPECT_EQ(read.reader, "CAMM");
        ASSERT_TRUE(std::holds_alternative<std::vector<Sample>>(read.result));
        const auto& samples = std::get<std::vector<Sample>>(read.result);
        std::vector<exiftool::Document> docs;
        for (const exiftool::Document& doc : exiftool::embeddedDocuments(path))
            if (doc.count("GPSLatitude")) docs.push_back(doc);
        ASSERT_EQ(docs.size(), drive.size()) << "exiftool read no GPS record of " << path;
        ASSERT_EQ(samples.size(), docs.size());

        for (size_t k = 0; k < docs.size(); ++k) {
            SCOPED_TRACE(k);
            exiftool::Document doc = docs[k];
            const Sample& s = samples[k];
            EXPECT_DOUBLE_EQ(s.videoSeconds, std::stod(doc["SampleTime"].at(0)));
            const bool fixed = positionsOnly || std::stoi(doc["GPSMeasureMode"].at(0)) >= 2;
            ASSERT_EQ(s.fix.has_value(), fixed);
            if (fixed) {
                EXPECT_NEAR(s.fix->lat, std::stod(doc["GPSLatitude"].at(0)), 1e-6);
                EXPECT_NEAR(s.fix->lon, std::stod(doc["GPSLongitude"].at(0)), 1e-6);
                ASSERT_TRUE(s.fix->altitudeMetres);
                EXPECT_NEAR(*s.fix->altitudeMetres, std::stod(doc["GPSAltitude"].at(0)), 1e-3);
            }
            if (positionsOnly) {
                EXPECT_FALSE(s.time);
                EXPECT_FALSE(s.speedKmh);
                continue;
            }
            EXPECT_EQ(s.fixQuality, std::stoi(doc["GPSMeasureMode"].at(0)));
            ASSERT_TRUE(s.time);
            EXPECT_EQ(s.time->clock, RecordedTime::Clock::Utc);
            EXPECT_EQ(s.time->sinceEpoch.count(), exiftool::utcMilliseconds(doc["GPSDateTime"].at(0)) - 17000);
            const double east = std::stod(doc["GPSVelocityEast"].at(0)),
                         north = std::stod(doc["GPSVelocityNorth"].at(0));
            ASSERT_TRUE(s.speedKmh);
            EXPECT_NEAR(*s.speedKmh, std::hypot(east, north) * 3.6, 0.1);
            ASSERT_TRUE(s.headingDegrees);
            EXPECT_NEAR(*s.headingDegrees, std::fmod(std::atan2(east, north) * 180 / M_PI + 360, 360), 0.01);
            EXPECT_NEAR(*s.headingDegrees, drive[k].headingDegrees, 0.01);
        }
    }
}

// GPS time runs ahead of UTC by the leap seconds inserted before it, and a record
// dated just before a leap second is not taken for one after it.
TEST_F(CammReaderTest, GpsTimeBecomesUtcAcrossLeapSeconds) {
    for (const long long utc :
         {362793599LL, 362793600LL, 915148799LL, 915148800LL, 1483228799LL, 1483228800LL, 1463043787LL, 1780000000LL}) {
        SCOPED_TRACE(utc);
        EXPECT_EQ(utcOfGpsTime(testgen::gpsSecondsOfUtc(utc)).count(), utc * 1000);
        EXPECT_EQ(utcOfGpsTime(testgen::gpsSecondsOfUtc(utc) + 0.25).count(), utc * 1000 + 250);
    }
    EXPECT_EQ(testgen::gpsSecondsOfUtc(1483228800) - testgen::gpsSecondsOfUtc(1483228799), 2.0);
}

// A damaged recording says why instead of showing part of a drive or another
// recording's; a latitude that is no number leaves that record without a position.
TEST_F(CammReaderTest, DamagedRecordingsGiveAReason) {
    const struct {
        const char* name;
        testgen::CammOptions options;
        const char* reason;
    } cases[] = {
        {"a record cut in half", {.cutRecord = true}, "a damaged record"},
        {"a sample beyond the end", {.tableFault = testgen::TableFault::SamplePastEnd}, "beyond the end"},
        {"more samples than sizes", {.tableFault = testgen::TableFault::SampleCountTooLarge}, "sample sizes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RecordingSamples read = ReaderRegistry::standard().read(write(c.options));
        EXPECT_EQ(read.reader, "CAMM");
        ASSERT_TRUE(std::holds_alternative<ReadFailure>(read.result));
        EXPECT_NE(std::get<ReadFailure>(read.result).reason.find(c.reason), std::string::npos)
            << std::get<ReadFailure>(read.result).reason;
    }
    const RecordingSamples read = ReaderRegistry::standard().read(write({.nanLatitude = true}));
    ASSERT_TRUE(std::holds_alternative<std::vector<Sample>>(read.result));
    const auto& samples = std::get<std::vector<Sample>>(read.result);
    ASSERT_EQ(samples.size(), drive.size());
    EXPECT_FALSE(samples[1].fix);
    EXPECT_TRUE(samples[1].speedKmh);
    EXPECT_TRUE(samples[2].fix);
}
