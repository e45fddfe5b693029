#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Drive.h"
#include "Files.h"
#include "Nmea.h"
#include "NmeaCamera.h"
#include "SyntheticMp4.h"
#include "TelemetryReader.h"

using namespace telemetry;
namespace fs = std::filesystem;
using testgen::withChecksum;

// Each sentence as a receiver of any constellation writes it, and each way one
// goes wrong: numbers are read strictly, a damaged position is absent, never 0.
TEST(NmeaSentences, ReadRmcAndGgaOfEveryTalkerStrictly) {
    const std::string rmc = "RMC,235959.50,A,3351.4410,S,07036.0012,W,10.500,271.3,311299,,,A";
    for (const char* talker : {"GP", "GN", "GL", "GA", "BD"}) {
        SCOPED_TRACE(talker);
        const nmea::Sentence s = nmea::parseSentence(withChecksum(talker + rmc) + "\r\n");
        ASSERT_EQ(s.verdict, nmea::Verdict::Read);
        const auto& r = std::get<nmea::Rmc>(s.value);
        EXPECT_EQ(r.timeOfDayMs, 86'399'500);
        EXPECT_EQ(r.dayUtc, 10956);  // 1999-12-31
        EXPECT_TRUE(r.active);
        EXPECT_NEAR(*r.lat, -(33 + 51.4410 / 60), 1e-12);
        EXPECT_NEAR(*r.lon, -(70 + 36.0012 / 60), 1e-12);
        EXPECT_DOUBLE_EQ(*r.speedKnots, 10.5);
        EXPECT_DOUBLE_EQ(*r.courseDegrees, 271.3);
    }
    const nmea::Sentence gga =
        nmea::parseSentence(withChecksum("GNGGA,000001.234,4807.0380,N,01131.0000,E,2,12,0.8,-12.5,M,47.0,M,,"));
    ASSERT_EQ(gga.verdict, nmea::Verdict::Read);
    const auto& g = std::get<nmea::Gga>(gga.value);
    EXPECT_EQ(g.timeOfDayMs, 1234);
    EXPECT_EQ(g.quality, 2);
    EXPECT_EQ(g.satellites, 12);
    EXPECT_DOUBLE_EQ(*g.hdop, 0.8);
    EXPECT_DOUBLE_EQ(*g.altitudeMetres, -12.5);
    EXPECT_NEAR(*g.lat, 48 + 7.038 / 60, 1e-12);

    const struct {
        std::string text;
        nmea::Verdict verdict;
        bool position;
    } cases[] = {
        {withChecksum("GPRMC,120000,A,nan,N,01131.0000,E,1.0,0.0,010120,,"), nmea::Verdict::Read, false},
        {withChecksum("GPRMC,120000,A,9100.0000,N,01131.0000,E,1.0,0.0,010120,,"), nmea::Verdict::Read, false},
        {withChecksum("GPRMC,120000,A,4860.0000,N,01131.0000,E,1.0,0.0,010120,,"), nmea::Verdict::Read, false},
        {withChecksum("GPRMC,120000,A,4807.0380,X,01131.0000,E,1.0,0.0,010120,,"), nmea::Verdict::Read, false},
        {withChecksum("GPRMC,120000,A,4807.0380,N,18100.0000,E,1.0,0.0,010120,,"), nmea::Verdict::Read, false},
        {withChecksum("GPRMC,120000,A,4807.0380,N,01131.0000,E,1.0,0.0,010120,,"), nmea::Verdict::Read, true},
        {"$GPRMC,120000,A,4807.0380,N,01131.0000,E,1.0,0.0,010120,,*00", nmea::Verdict::BadChecksum, false},
        {"$GPRMC,120000,A,4807.0380,N,01131.0000,E,1.0,0.0,010120,,", nmea::Verdict::BadChecksum, false},
        {"$GPRMC,120000,A,4807.0380,N,0113", nmea::Verdict::Cut, false},
        {withChecksum("GPRMC,120000,A,4807.0380,N,01131.0000,E,1.0,0.0,010120,,").substr(0, 58),
         nmea::Verdict::BadChecksum, false},
        {withChecksum("GPGSV,3,1,11,03,03,111,00"), nmea::Verdict::Other, false},
        {"$GPRMC" + std::string(1 << 20, ','), nmea::Verdict::Other, false},  // no sentence is that long
        {withChecksum("GPRMC,996000,A,4807.0380,N,01131.0000,E,1.0,0.0,010120,,"), nmea::Verdict::Other, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const nmea::Sentence s = nmea::parseSentence(c.text);
        EXPECT_EQ(s.verdict, c.verdict);
        const auto* r = std::get_if<nmea::Rmc>(&s.value);
        EXPECT_EQ(r && r->lat && r->lon, c.position);
    }
    // Where a log carries no checksums, a whole sentence without one is read.
    EXPECT_EQ(nmea::parseSentence("$GPRMC,120000,A,4807.0380,N,01131.0000,E,1.0,0.0,010120,,", false).verdict,
              nmea::Verdict::Read);
}

// A GGA joins the RMC of its time of day, whichever comes first; a receiver without
// a fix gives the time with no position; spoilt sentences are skipped and counted.
TEST(NmeaSentences, SamplesJoinTheGgaOfTheSameTime) {
    nmea::SampleBuilder b;
    b.addText(withChecksum("GNGGA,100000.00,4807.0380,N,01131.0000,E,1,08,1.0,520.5,M,47.0,M,,") + "\n" +
              withChecksum("GPRMC,100000.00,A,4807.0380,N,01131.0000,E,0.0,,120516,,,A") + "\r\n" +
              withChecksum("GPRMC,100001.00,A,4807.0390,N,01131.0010,E,5.0,90.0,120516,,,A") + "\n" +
              withChecksum("GPGGA,100001.00,4807.0390,N,01131.0010,E,1,05,2.0,,M,,M,,") + "\n" +
              withChecksum("GPRMC,100002.00,V,,,,,,,120516,,,N") + "\n" +
              withChecksum("GPGGA,100002.00,,,,,0,00,99.9,,M,,M,,") + "\n" +
              "$GPRMC,100003.00,A,4807.0390,N,01131.0010,E,5.0,90.0,120516,,,A*00\n" +
              "$GPRMC,100004.00,A,4807.03" + withChecksum("GPRMC,100005.00,A,4807.0390,N,01131.0010,E,,,120516,,,A"));
    EXPECT_EQ(b.badChecksums(), 1u);
    EXPECT_EQ(b.cutSentences(), 1u);
    const std::vector<Sample> s = b.finish();
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[0].videoSeconds, 0);
    EXPECT_EQ(s[0].fix->altitudeMetres, 520.5);
    EXPECT_EQ(s[0].fixQuality, 3);
    EXPECT_EQ(s[0].speedKmh, 0.0);
    EXPECT_FALSE(s[0].headingDegrees);
    EXPECT_EQ(s[0].time, (RecordedTime{std::chrono::milliseconds(1463047200000), RecordedTime::Clock::Utc}));
    EXPECT_EQ(s[1].videoSeconds, 1);
    EXPECT_NEAR(*s[1].speedKmh, 9.26, 1e-9);
    EXPECT_FALSE(s[1].fix->altitudeMetres);
    EXPECT_EQ(s[1].fixQuality, 2);
    EXPECT_EQ(s[2].videoSeconds, 2);
    EXPECT_FALSE(s[2].fix);
    EXPECT_EQ(s[2].fixQuality, 0);
    EXPECT_TRUE(s[2].time);
    EXPECT_EQ(s[3].videoSeconds, 5);
    EXPECT_FALSE(s[3].speedKmh);
}

namespace {

class NmeaSidecarTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new testgen::TempDir(fs::temp_directory_path() / "nmea-XXXXXX");
        testgen::DriveOptions drive{.seconds = 20, .startLat = -33.86, .startLon = -70.6, .noFixSeconds = 2};
        drive.year = 2019, drive.month = 12, drive.day = 31, drive.hour = 23, drive.minute = 59, drive.second = 50;
        points_ = testgen::simulateDrivePoints(drive);
        testgen::writeNmeaCamera(video(), points_);
        testgen::writeNmeaTrack(trackVideo(), points_);
    }
    static void TearDownTestSuite() { delete dir_; }
    static std::string video() { return (dir_->path() / "FILE0001.MP4").string(); }
    static std::string trackVideo() { return (dir_->path() / "TRACK001.MP4").string(); }
    static fs::path sidecar() { return dir_->path() / "FILE0001.nmea"; }

    static testgen::TempDir* dir_;
    static std::vector<testgen::DrivePoint> points_;
};
testgen::TempDir* NmeaSidecarTest::dir_ = nullptr;
std::vector<testgen::DrivePoint> NmeaSidecarTest::points_;

}  // namespace

// The sentences beside a video that no other reader takes, or in its text track,
// are its samples, one a second from the first, across midnight and the new year,
// as the receiver measured the drive.
TEST_F(NmeaSidecarTest, SamplesFollowTheDriveBesideTheVideo) {
  for (const std::string& path : {video(), trackVideo()}) {
    SCOPED_TRACE(path);
    const RecordingSamples read = ReaderRegistry::standard().read(path);
    EXPECT_EQ(read.reader, "NMEA");
    ASSERT_TRUE(std::holds_alternative<std::vector<Sample>>(read.result));
    const auto& samples = std::get<std::vector<Sample>>(read.result);
    ASSERT_EQ(samples.size(), points_.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        SCOPED_TRACE(i);
        const Sample& s = samples[i];
        const testgen::DrivePoint& p = points_[i];
        EXPECT_EQ(s.videoSeconds, double(i));
        EXPECT_EQ(s.time, (RecordedTime{std::chrono::seconds(p.unixSeconds), RecordedTime::Clock::Utc}));
        ASSERT_EQ(s.fix.has_value(), p.fix);
        EXPECT_EQ(s.fixQuality, p.fix ? 3 : 0);
        if (!p.fix) continue;
        EXPECT_NEAR(s.fix->lat, p.lat, 1e-6);
        EXPECT_NEAR(s.fix->lon, p.lon, 1e-6);
        EXPECT_NEAR(*s.fix->altitudeMetres, testgen::altitudeAt(i), 0.05);
        EXPECT_NEAR(*s.speedKmh, p.speedKmh, 0.01);
        EXPECT_NEAR(*s.headingDegrees, p.headingDegrees, 0.01);
        EXPECT_FALSE(s.g[0] || s.g[1] || s.g[2]);
    }
  }
}

// ".NMEA" is found as well; a log whose sentences are all spoilt gives the reason;
// spoilt sentences cost only their own second; a video without a log has no reader.
// The log is asked for last: a video in a camera's own format is read as that, and
// neither the log itself nor a folder of its name is taken for a video's log.
TEST_F(NmeaSidecarTest, SpoiltOrMissingLogsGiveAReasonOrNothing) {
    const fs::path video = dir_->path() / "FILE0002.MP4";
    fs::copy_file(NmeaSidecarTest::video(), video);
    EXPECT_EQ(ReaderRegistry::standard().read(video.string()).reader, "");
    EXPECT_EQ(ReaderRegistry::standard().read(video.string()).result, ReadResult(std::vector<Sample>{}));

    std::string log;
    for (const std::string& s : testgen::nmeaSentences(points_, {.badChecksum = {5}, .cut = {9}})) log += s + "\n";
    std::ofstream(dir_->path() / "FILE0002.NMEA") << log;
    RecordingSamples read = ReaderRegistry::standard().read(video.string());
    EXPECT_EQ(read.reader, "NMEA");
    ASSERT_TRUE(std::holds_alternative<std::vector<Sample>>(read.result));
    const auto& samples = std::get<std::vector<Sample>>(read.result);
    ASSERT_EQ(samples.size(), points_.size() - 2);
    EXPECT_EQ(samples[5].videoSeconds, 6);
    EXPECT_EQ(samples[8].videoSeconds, 10);

    const fs::path ambarella = dir_->path() / "REC_0001.MP4";
    testgen::SyntheticOptions o;
    for (const std::string& line : testgen::simulateDrive({.seconds = 3})) o.samples.push_back(testgen::timedTextSample(line));
    o.duration = 3000;
    testgen::writeSynthetic(ambarella.string(), o);
    std::ofstream(dir_->path() / "REC_0001.nmea") << log;
    read = ReaderRegistry::standard().read(ambarella.string());
    EXPECT_EQ(read.reader, "Ambarella");
    EXPECT_EQ(std::get<std::vector<Sample>>(read.result).size(), 3u);
    EXPECT_EQ(ReaderRegistry::standard().read((dir_->path() / "REC_0001.nmea").string()).reader, "");
    const fs::path other = dir_->path() / "OTHER.MP4";
    fs::copy_file(video, other);
    fs::create_directory(dir_->path() / "OTHER.nmea");
    EXPECT_EQ(ReaderRegistry::standard().read(other.string()).reader, "");

    for (char& c : log)
        if (c == '*') c = '#';
    std::ofstream(dir_->path() / "FILE0002.NMEA") << log;
    read = ReaderRegistry::standard().read(video.string());
    ASSERT_TRUE(std::holds_alternative<ReadFailure>(read.result));
    EXPECT_NE(std::get<ReadFailure>(read.result).reason.find("checksum"), std::string::npos);

    // In a text track: a spoilt sentence costs its own second only; a track of
    // nothing but spoilt ones says so.
    std::vector<size_t> all(points_.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = i;
    const fs::path spoilt = dir_->path() / "TRACK002.MP4", worthless = dir_->path() / "TRACK003.MP4";
    testgen::writeNmeaTrack(spoilt.string(), points_, {.badChecksum = {5}, .cut = {9}});
    testgen::writeNmeaTrack(worthless.string(), points_, {.badChecksum = all, .cut = {}});
    read = ReaderRegistry::standard().read(spoilt.string());
    ASSERT_TRUE(std::holds_alternative<std::vector<Sample>>(read.result));
    EXPECT_EQ(std::get<std::vector<Sample>>(read.result).size(), points_.size() - 2);
    EXPECT_EQ(std::get<std::vector<Sample>>(read.result)[5].videoSeconds, 6);
    read = ReaderRegistry::standard().read(worthless.string());
    EXPECT_EQ(read.reader, "NMEA");
    ASSERT_TRUE(std::holds_alternative<ReadFailure>(read.result));
    EXPECT_NE(std::get<ReadFailure>(read.result).reason.find("checksum"), std::string::npos);
}
