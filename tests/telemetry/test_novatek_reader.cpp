#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "Drive.h"
#include "Files.h"
#include "MovieEdit.h"
#include "NovatekCamera.h"
#include "Process.h"
#include "TelemetryReader.h"

using namespace telemetry;
namespace fs = std::filesystem;

namespace {

struct ExiftoolFix {
    std::string time;  // "YYYY:MM:DD HH:MM:SSZ"
    double lat, lon, speedKmh, track;
    std::optional<double> altitude;
};

// What exiftool reads from the file's freeGPS blocks, one line per fix.
std::vector<ExiftoolFix> exiftoolFixes(const std::string& path) {
    const auto r = testgen::runProcess({"exiftool", "-ee", "-n", "-f", "-p",
                                        "$GPSDateTime|$GPSLatitude|$GPSLongitude|$GPSSpeed|$GPSTrack|$GPSAltitude", path});
    std::vector<ExiftoolFix> fixes;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("-|")) continue;  // the file's own tags, no block's
        std::replace(line.begin(), line.end(), '|', ' ');
        std::istringstream fields(line);
        ExiftoolFix f;
        std::string date, time, altitude;
        fields >> date >> time >> f.lat >> f.lon >> f.speedKmh >> f.track >> altitude;
        f.time = date + " " + time;
        if (altitude != "-") f.altitude = std::stod(altitude);
        if (fields || fields.eof()) fixes.push_back(f);
    }
    return fixes;
}

std::string utcText(const RecordedTime& t) {
    const std::time_t s = std::time_t(t.sinceEpoch.count() / 1000);
    std::tm tm{};
    gmtime_r(&s, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%SZ", &tm);
    return text;
}

class NovatekReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not on PATH";
    }
    testgen::TempDir tmp{fs::temp_directory_path() / "novatek-XXXXXX"};
    const fs::path dir = tmp.path();

    std::string write(const std::string& name, const std::vector<testgen::DrivePoint>& points,
                      const testgen::NovatekOptions& options = {}) {
        const std::string path = (dir / name).string();
        testgen::writeNovatek(path, points, options);
        return path;
    }
};

std::vector<testgen::DrivePoint> drive(int seconds, double lat = 48.1374, double lon = 11.5755, int noFix = 0) {
    return testgen::simulateDrivePoints({.seconds = seconds, .startLat = lat, .startLon = lon, .noFixSeconds = noFix});
}

const std::vector<Sample>& samplesOf(const RecordingSamples& read) {
    static const std::vector<Sample> none;
    EXPECT_TRUE(std::holds_alternative<std::vector<Sample>>(read.result))
        << std::get<ReadFailure>(read.result).reason;
    const auto* samples = std::get_if<std::vector<Sample>>(&read.result);
    return samples ? *samples : none;
}

}  // namespace

// Indexed and index-less files, on both sides of both zero lines: the reader's fixes
// are exiftool's, a block a second; the seconds without a fix keep their satellite
// time and nothing else.
TEST_F(NovatekReaderTest, SamplesEqualExiftoolsReading) {
    if (!testgen::onPath("exiftool")) GTEST_SKIP() << "exiftool is not on PATH";
    // exiftool takes the doubles only from indexed blocks, so they are checked there.
    const struct {
        double lat, lon;
        bool index;
        std::optional<double> altitude;
    } cases[] = {{48.1374, 11.5755, true, {}},
                 {-33.9, -70.6, true, {}},
                 {-33.9, -70.6, false, {}},
                 {48.1374, 11.5755, false, {}},
                 {-33.9, 11.5755, true, 512.25}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.lat) + (c.index ? " indexed" : " scanned") + (c.altitude ? " doubles" : ""));
        const auto points = drive(15, c.lat, c.lon, 3);
        const std::string path =
            write(c.index ? "indexed.mp4" : "scanned.mp4", points, {.index = c.index, .altitudeMetres = c.altitude});
        const RecordingSamples read = ReaderRegistry::standard().read(path);
        EXPECT_EQ(read.reader, "Novatek");
        const auto& samples = samplesOf(read);
        ASSERT_EQ(samples.size(), points.size());

        const auto expected = exiftoolFixes(path);
        ASSERT_EQ(expected.size(), points.size() - 3);
        for (size_t k = 0; k < samples.size(); ++k) {
            SCOPED_TRACE(k);
            const Sample& s = samples[k];
            EXPECT_EQ(s.videoSeconds, double(k));
            ASSERT_TRUE(s.time);
            EXPECT_EQ(s.time->clock, RecordedTime::Clock::Utc);
            EXPECT_EQ(s.time->sinceEpoch.count(), points[k].unixSeconds * 1000);
            EXPECT_FALSE(s.fixQuality);
            EXPECT_EQ(s.g, (std::array<std::optional<double>, 3>{}));
            if (k < 3) {
                EXPECT_FALSE(s.fix || s.speedKmh || s.headingDegrees);
                continue;
            }
            const ExiftoolFix& e = expected[k - 3];
            ASSERT_TRUE(s.fix && s.speedKmh && s.headingDegrees);
            EXPECT_NEAR(s.fix->lat, e.lat, 1e-6);
            EXPECT_NEAR(s.fix->lon, e.lon, 1e-6);
            EXPECT_EQ(s.fix->altitudeMetres, e.altitude);
            EXPECT_EQ(s.fix->altitudeMetres, c.altitude);
            EXPECT_EQ(utcText(*s.time), e.time);
            EXPECT_NEAR(*s.speedKmh, e.speedKmh, 0.1);
            EXPECT_NEAR(*s.headingDegrees, e.track, 1e-3);
            // And where the drive was, to the float's precision or the double's.
            const double precision = c.altitude ? 1e-9 : 2e-5;
            EXPECT_NEAR(s.fix->lat, points[k].lat, precision);
            EXPECT_NEAR(s.fix->lon, points[k].lon, precision);
        }
    }
}

// Each fault a damaged card brings: the reader's reason, or, where the blocks were
// found by scanning, the seconds that were whole; never another recording's data.
TEST_F(NovatekReaderTest, DamagedFilesGiveAReasonOrTheWholeSeconds) {
    const auto points = drive(12);
    const struct {
        const char* name;
        testgen::NovatekOptions options;
        const char* reason;  // empty: the samples of every whole block
    } cases[] = {
        {"truncated block", {.truncatedBlock = 4}, "GPS block 5 of 12 is cut short"},
        {"index past end", {.indexPastEnd = true}, "GPS index points past the end of the file"},
        {"count does not fit", {.countTooLarge = true}, "GPS index lists 1012 blocks but has room for 12"},
        {"truncated block, no index", {.index = false, .truncatedBlock = 4}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RecordingSamples read = ReaderRegistry::standard().read(write("damaged.mp4", points, c.options));
        EXPECT_EQ(read.reader, "Novatek");
        if (*c.reason) {
            ASSERT_TRUE(std::holds_alternative<ReadFailure>(read.result));
            EXPECT_EQ(std::get<ReadFailure>(read.result).reason, c.reason);
            continue;
        }
        const auto& samples = samplesOf(read);
        ASSERT_EQ(samples.size(), points.size() - 1);
        for (size_t k = 0; k < samples.size(); ++k) {
            const size_t second = k < 4 ? k : k + 1;  // the cut block's second stays empty
            EXPECT_EQ(samples[k].time->sinceEpoch.count(), points[second].unixSeconds * 1000) << k;
            EXPECT_EQ(samples[k].videoSeconds, double(second)) << k;
        }
    }

    // A recording cut off mid-way through its blocks, before the camera wrote the
    // movie box: the blocks before the cut, found by scanning.
    const std::string whole = write("whole.mp4", points);
    const auto all = samplesOf(ReaderRegistry::standard().read(whole));
    ASSERT_EQ(all.size(), points.size());
    auto bytes = testgen::readFile(whole);
    const size_t firstBlock = size_t(std::search(bytes.begin(), bytes.end(), "freeGPS ", "freeGPS " + 8) - bytes.begin()) - 4;
    bytes.resize(firstBlock + 7 * 0x8000 + 0x4000);
    const std::string cut = (dir / "cut.mp4").string();
    testgen::writeFileAtomically(cut, bytes);
    const RecordingSamples read = ReaderRegistry::standard().read(cut);
    EXPECT_EQ(read.reader, "Novatek");
    EXPECT_EQ(samplesOf(read), std::vector<Sample>(all.begin(), all.begin() + 7));
}

// The index alone marks the camera: with no entries the recording has no telemetry,
// which is no failure; a video without index or blocks is no Novatek recording.
TEST_F(NovatekReaderTest, RecordingsWithoutBlocks) {
    const std::string bare = (dir / "bare.mp4").string();
    testgen::encodeBareVideo(bare, {.seconds = 2});
    EXPECT_EQ(ReaderRegistry::standard().read(bare).reader, "");

    mp4::MovieEdit edit(bare);
    edit.addToMovie(mp4::leaf("gps ", mp4::Payload().u32(0).u32(0)));
    edit.write();
    const RecordingSamples read = ReaderRegistry::standard().read(bare);
    EXPECT_EQ(read.reader, "Novatek");
    EXPECT_EQ(read.result, ReadResult(std::vector<Sample>{}));
}

// The generator's command writes what the reader reads, and nothing on a usage error.
TEST_F(NovatekReaderTest, GeneratorCommandWritesARecordingOfThatLength) {
    const std::string path = (dir / "cli.mp4").string();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"novatek"}, {"novatek", path, "0"}, {"novatek", path, "5", "extra"}}) {
        std::vector<std::string> argv = {DASHCAM_TESTGEN_EXE};
        argv.insert(argv.end(), args.begin(), args.end());
        EXPECT_EQ(testgen::runProcess(argv).exitCode, 2) << ::testing::PrintToString(args);
    }
    EXPECT_TRUE(fs::is_empty(dir));
    const auto r = testgen::runProcess({DASHCAM_TESTGEN_EXE, "novatek", path, "5"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(dir), {}), std::vector<fs::path>{path});
    const RecordingSamples read = ReaderRegistry::standard().read(path);
    EXPECT_EQ(read.reader, "Novatek");
    EXPECT_EQ(samplesOf(read).size(), 5u);
}
