#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "Drive.h"
#include "Extract_Subtitle.h"
#include "Files.h"
#include "PositionFix.h"
#include "SyntheticMp4.h"
#include "TelemetryReader.h"
#include "TextValues.h"

using namespace telemetry;
using testgen::SyntheticOptions;
namespace fs = std::filesystem;

namespace {

// The line with its "$"-separated component replaced.
std::string withComponent(const std::string& line, int component, const std::string& text) {
    size_t begin = 0;
    for (int i = 0; i < component; ++i) begin = line.find('$', begin) + 1;
    const size_t end = line.find('$', begin);
    return line.substr(0, begin) + text + (end == std::string::npos ? "" : line.substr(end));
}

class ReaderTest : public ::testing::Test {
protected:
    testgen::TempDir tmp{fs::temp_directory_path() / "readers-XXXXXX"};
    const fs::path dir = tmp.path();

    std::string write(const std::vector<std::string>& lines, uint32_t seconds,
                      void (*change)(SyntheticOptions&) = nullptr, testgen::SyntheticLayout* layout = nullptr) {
        SyntheticOptions o;
        for (const auto& l : lines) o.samples.push_back(testgen::timedTextSample(l));
        o.duration = seconds * 1000;
        o.trailer = 64;
        if (change) change(o);
        const std::string path = (dir / "REC_0001.MP4").string();
        const testgen::SyntheticLayout l = testgen::writeSynthetic(path, o);
        if (layout) *layout = l;
        return path;
    }
};

}  // namespace

// Each sample holds the numbers the drive was written with (to the texts'
// precision): the fix where the camera had one, the camera's clock where the date is
// real, speed and G where their texts are numbers; a damaged text leaves its value
// absent instead of 0.
TEST_F(ReaderTest, VendorTrackSamplesHoldTheDrivesNumbers) {
    const testgen::DriveOptions drive{.seconds = 30, .startLat = -33.9, .startLon = -70.6, .noFixSeconds = 3};
    const std::vector<testgen::DrivePoint> points = testgen::simulateDrivePoints(drive);
    std::vector<std::string> lines = testgen::simulateDrive(drive);
    const struct {
        size_t sample;
        int component;
        const char* text;
    } damage[] = {{10, 4, "7060x"}, {11, 1, "abc"}, {11, 2, "9e9999"}, {12, 9, "13"},
                  {13, 7, "-5"},    {14, 6, "east"}, {15, 7, "9e9999"}};
    for (const auto& d : damage) lines[d.sample] = withComponent(lines[d.sample], d.component, d.text);
    const std::string path = write(lines, 15);  // two samples a second

    const RecordingSamples read = ReaderRegistry::standard().read(path);
    EXPECT_EQ(read.reader, "Ambarella");
    ASSERT_TRUE(std::holds_alternative<std::vector<Sample>>(read.result));
    const auto& samples = std::get<std::vector<Sample>>(read.result);
    ASSERT_EQ(samples.size(), lines.size());

    for (size_t k = 0; k < samples.size(); ++k) {
        SCOPED_TRACE(k);
        const Sample& s = samples[k];
        const testgen::DrivePoint& p = points[k];
        EXPECT_DOUBLE_EQ(s.videoSeconds, double(k) / 2);
        EXPECT_FALSE(s.fixQuality);
        const bool damaged = std::ranges::any_of(damage, [k](const auto& d) { return d.sample == k; });
        if (damaged) continue;
        ASSERT_EQ(s.fix.has_value(), p.fix);
        if (s.fix) {
            EXPECT_NEAR(s.fix->lat, p.lat, 0.5e-4);
            EXPECT_NEAR(s.fix->lon, p.lon, 0.5e-4);
            EXPECT_FALSE(s.fix->altitudeMetres);
        }
        ASSERT_TRUE(s.time);
        EXPECT_EQ(s.time->sinceEpoch.count(), p.unixSeconds * 1000);
        EXPECT_EQ(s.time->clock, RecordedTime::Clock::Camera);
        EXPECT_NEAR(s.speedKmh.value_or(-1), p.speedKmh, 0.05);
        EXPECT_EQ(s.headingDegrees, double(std::lround(p.headingDegrees) % 360));
        const double g[] = {p.gx, p.gy, p.gz};
        for (size_t a = 0; a < 3; ++a) EXPECT_NEAR(s.g[a].value_or(99), g[a], 0.005);
    }
    // The first seconds without a fix, and a longitude that is no number, have no
    // position, where the marker would have taken it for 0.
    for (size_t k : {0, 1, 2, 10}) EXPECT_FALSE(samples[k].fix) << k;
    EXPECT_TRUE(samples[9].fix && samples[11].fix);
    EXPECT_EQ(samples[11].g[0], std::nullopt);
    EXPECT_EQ(samples[11].g[1], std::nullopt);
    EXPECT_TRUE(samples[11].g[2]);
    EXPECT_FALSE(samples[12].time);
    EXPECT_FALSE(samples[13].speedKmh);
    EXPECT_FALSE(samples[14].headingDegrees);
    EXPECT_FALSE(samples[15].speedKmh);
}

// A damaged recording gives the reader's reason and nothing of its samples; one
// without telemetry gives no samples, and no reader when no camera's layout is in it.
TEST_F(ReaderTest, DamagedAndBareRecordingsGiveAReasonOrNoSamples) {
    const auto lines = testgen::simulateDrive({.seconds = 20});
    {
        SCOPED_TRACE("truncated in the telemetry track's tables");
        testgen::SyntheticLayout layout;
        write(lines, 20, nullptr, &layout);
        const std::string path = write(lines, 20, nullptr);
        fs::resize_file(path, layout.stcoEntriesOffset + 8);
        const RecordingSamples read = ReaderRegistry::standard().read(path);
        EXPECT_EQ(read.reader, "Ambarella");
        ASSERT_TRUE(std::holds_alternative<ReadFailure>(read.result));
        EXPECT_NE(std::get<ReadFailure>(read.result).reason.find("damaged"), std::string::npos);
    }
    const struct {
        const char* name;
        std::vector<std::string> lines;
        void (*change)(SyntheticOptions&);
        const char* reader;
    } bare[] = {
        {"no samples in the track", {}, nullptr, "Ambarella"},
        {"no vendor marker", lines, [](SyntheticOptions& o) { o.marker = false, o.videoBytesPerSample = 4000; }, ""},
    };
    for (const auto& c : bare) {
        SCOPED_TRACE(c.name);
        const RecordingSamples read = ReaderRegistry::standard().read(write(c.lines, 20, c.change));
        EXPECT_EQ(read.reader, c.reader);
        EXPECT_EQ(read.result, ReadResult(std::vector<Sample>{}));
    }

    const fs::path text = dir / "notes.MP4";
    std::ofstream(text) << "Ambarella EXT, but not a movie\n";
    EXPECT_EQ(ReaderRegistry::standard().read(text.string()).result, ReadResult(std::vector<Sample>{}));
    for (const fs::path& unreadable : {dir / "missing.MP4", dir}) {
        const RecordingSamples read = ReaderRegistry::standard().read(unreadable.string());
        EXPECT_EQ(read.reader, "");
        ASSERT_TRUE(std::holds_alternative<ReadFailure>(read.result)) << unreadable;
        EXPECT_FALSE(std::get<ReadFailure>(read.result).reason.empty());
    }
}
