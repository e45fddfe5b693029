#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "ExiftoolReading.h"
#include "Files.h"
#include "GoProCamera.h"
#include "GoProReader.h"
#include "TelemetryReader.h"

using namespace telemetry;
namespace fs = std::filesystem;

namespace {

class GoProReaderTest : public ::testing::Test {
protected:
    testgen::TempDir tmp{fs::temp_directory_path() / "gopro-XXXXXX"};

    // South and west, so a lost sign shows; the first second without a fix.
    std::vector<testgen::DrivePoint> drive = testgen::simulateDrivePoints(
        {.seconds = 6, .startLat = -33.4489, .startLon = -70.6693, .noFixSeconds = 1, .gNoise = 0.3});

    std::string write(testgen::GoProOptions o, const char* name = "GOPR0001.MP4") {
        if (o.drive.empty()) o.drive = drive;
        const std::string path = (tmp.path() / name).string();
        testgen::writeGoPro(path, o);
        return path;
    }

    static RecordingSamples read(const std::string& path) { return ReaderRegistry::standard().read(path); }
};

const std::vector<Sample>& samplesOf(const RecordingSamples& read) {
    static const std::vector<Sample> none;
    EXPECT_TRUE(std::holds_alternative<std::vector<Sample>>(read.result)) << std::get<ReadFailure>(read.result).reason;
    const auto* samples = std::get_if<std::vector<Sample>>(&read.result);
    return samples ? *samples : none;
}

}  // namespace

// Every one of the 18 fixes a second is what exiftool reads from the same payloads:
// position, altitude, 2D speed (m/s to km/h), the payload's GPS time and fix grade;
// a payload without a lock gives no position where exiftool shows its zeros.
TEST_F(GoProReaderTest, EveryFixEqualsExiftoolsReading) {
    const std::string path = write({});
    const RecordingSamples read = this->read(path);
    EXPECT_EQ(read.reader, "GoPro GPMF");
    const std::vector<Sample>& samples = samplesOf(read);
    const std::vector<exiftool::Document> docs = exiftool::embeddedDocuments(path);
    ASSERT_EQ(docs.size(), drive.size()) << "exiftool read no payload of " << path;
    ASSERT_EQ(samples.size(), drive.size() * 18);

    for (size_t d = 0; d < docs.size(); ++d) {
        exiftool::Document doc = docs[d];
        ASSERT_EQ(doc["GPSLatitude"].size(), 18u) << d;
        ASSERT_EQ(doc["GPSSpeed"].size(), 18u) << d;
        const int mode = std::stoi(doc["GPSMeasureMode"].at(0));
        const long long firstFix = exiftool::utcMilliseconds(doc["GPSDateTime"].at(0));
        const double start = std::stod(doc["SampleTime"].at(0)), length = std::stod(doc["SampleDuration"].at(0));
        for (size_t k = 0; k < 18; ++k) {
            SCOPED_TRACE(testing::Message() << "payload " << d << " fix " << k);
            const Sample& s = samples[d * 18 + k];
            EXPECT_NEAR(s.videoSeconds, start + length * double(k) / 18, 1e-9);
            EXPECT_EQ(s.fixQuality, mode);
            ASSERT_TRUE(s.time);
            EXPECT_EQ(s.time->clock, RecordedTime::Clock::Utc);
            EXPECT_EQ(s.time->sinceEpoch.count(), firstFix + std::llround(1000.0 * k / 18));
            ASSERT_TRUE(s.speedKmh);
            EXPECT_NEAR(*s.speedKmh, std::stod(doc["GPSSpeed"][k]) * 3.6, 0.1);
            if (mode < 2) {
                EXPECT_FALSE(s.fix);
                continue;
            }
            ASSERT_TRUE(s.fix);
            EXPECT_NEAR(s.fix->lat, std::stod(doc["GPSLatitude"][k]), 1e-6);
            EXPECT_NEAR(s.fix->lon, std::stod(doc["GPSLongitude"][k]), 1e-6);
            ASSERT_TRUE(s.fix->altitudeMetres);
            EXPECT_NEAR(*s.fix->altitudeMetres, std::stod(doc["GPSAltitude"][k]), 1e-3);
        }
    }
    EXPECT_LT(samples[17].videoSeconds, samples[18].videoSeconds);
}

// exiftool shows the accelerometer only as binary, and not GPS9 at all: these are
// checked against the drive the file was written from. The camera stores its axes
// Z, X, Y; the mean of each fix's share of the readings is the G value in g.
TEST_F(GoProReaderTest, AccelerometerAndGps9FollowTheDrive) {
    const std::vector<Sample> gps5 = samplesOf(read(write({})));
    const std::vector<Sample> gps9 = samplesOf(read(write({.gps9 = true}, "GX010001.MP4")));
    ASSERT_EQ(gps5.size(), drive.size() * 18);
    ASSERT_EQ(gps9.size(), gps5.size());
    for (size_t i = 0; i < gps5.size(); ++i) {
        SCOPED_TRACE(i);
        const size_t second = i / 18, k = i % 18;
        const testgen::DrivePoint expected =
            testgen::interpolate(drive[second], drive[std::min(second + 1, drive.size() - 1)], (k + 0.5) / 18);
        const double g[3] = {expected.gx, expected.gy, expected.gz};
        for (size_t axis = 0; axis < 3; ++axis) {
            ASSERT_TRUE(gps5[i].g[axis]);
            EXPECT_NEAR(*gps5[i].g[axis], g[axis], 0.01) << "axis " << axis;
            EXPECT_EQ(gps9[i].g[axis], gps5[i].g[axis]);
        }
        // GPS9 dates every fix itself and grades it.
        ASSERT_TRUE(gps9[i].time);
        EXPECT_EQ(gps9[i].time->sinceEpoch.count(), drive[second].unixSeconds * 1000 + std::llround(1000.0 * k / 18));
        EXPECT_EQ(gps9[i].time->clock, RecordedTime::Clock::Utc);
        EXPECT_EQ(gps9[i].fixQuality, drive[second].fix ? 3 : 0);
        EXPECT_EQ(gps9[i].fix.has_value(), gps5[i].fix.has_value());
        if (gps9[i].fix && gps5[i].fix) {
            EXPECT_NEAR(gps9[i].fix->lat, gps5[i].fix->lat, 1e-7);
            EXPECT_NEAR(gps9[i].fix->lon, gps5[i].fix->lon, 1e-7);
            EXPECT_EQ(gps9[i].fix->altitudeMetres, gps5[i].fix->altitudeMetres);
        }
        EXPECT_EQ(gps9[i].speedKmh, gps5[i].speedKmh);
        EXPECT_EQ(gps9[i].videoSeconds, gps5[i].videoSeconds);
    }
}

// A damaged recording says why instead of showing part of a drive or another
// recording's; one without telemetry is simply empty; numbers that scale to
// infinity are absent, never 0.
TEST_F(GoProReaderTest, DamagedOrEmptyRecordingsGiveAReasonOrNoSamples) {
    const struct {
        const char* name;
        testgen::GoProOptions options;
        const char* reason;  // null: samples
    } cases[] = {
        {"a payload's item runs past it", {.cutPayload = true}, "a damaged payload"},
        {"a sample beyond the end", {.tableFault = testgen::TableFault::SamplePastEnd}, "beyond the end"},
        {"more samples than sizes", {.tableFault = testgen::TableFault::SampleCountTooLarge}, "sample sizes"},
        {"no GPS or accelerometer", {.noTelemetry = true}, nullptr},
        {"scale factors of 0", {.zeroScale = true}, nullptr},
        {"a fix grade beyond any integer", {.fixGrade = 0xFD000000u}, nullptr},
        {"a GPS9 fix grade beyond any integer", {.gps9 = true, .fixGrade = 0xFFFFu}, nullptr},
    };
    {
        SCOPED_TRACE("another camera's payloads in a gpmd track");
        const RecordingSamples read = this->read(write({.foreignPayloads = true}));
        EXPECT_EQ(read.reader, "");
        EXPECT_EQ(read.result, ReadResult(std::vector<Sample>{}));
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RecordingSamples read = this->read(write(c.options));
        EXPECT_EQ(read.reader, "GoPro GPMF");
        if (c.reason) {
            ASSERT_TRUE(std::holds_alternative<ReadFailure>(read.result));
            EXPECT_NE(std::get<ReadFailure>(read.result).reason.find(c.reason), std::string::npos)
                << std::get<ReadFailure>(read.result).reason;
            continue;
        }
        const std::vector<Sample>& samples = samplesOf(read);
        if (c.options.noTelemetry) {
            EXPECT_TRUE(samples.empty());
            continue;
        }
        ASSERT_EQ(samples.size(), drive.size() * 18);
        for (size_t i = 0; i < samples.size(); ++i) {
            const Sample& s = samples[i];
            // A grade the format does not have says nothing; the fix is as good as its numbers.
            EXPECT_EQ(s.fixQuality.has_value(), !c.options.fixGrade) << i;
            if (drive[i / 18].fix) {
                EXPECT_EQ(s.fix.has_value(), !c.options.zeroScale) << i;
            }
            EXPECT_EQ(s.speedKmh.has_value(), !c.options.zeroScale);
            EXPECT_TRUE(s.g[2]);  // the accelerometer's own scale is sound
        }
    }
}
