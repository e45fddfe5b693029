// Trips, statistics and events of recordings the generator writes and the scan reads.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "Drive.h"
#include "Extract_Subtitle.h"
#include "Files.h"
#include "PositionFix.h"
#include "SampleClock.h"
#include "SampleValues.h"
#include "SubtitleTrackReader.h"
#include "SyntheticMp4.h"
#include "TextValues.h"
#include "Track.h"
#include "Trips.h"

namespace fs = std::filesystem;
using testgen::DriveOptions;
using testgen::Incident;
using trips::EventKind;

namespace {

// The samples the reader of the camera's text track makes of the lines.
std::vector<telemetry::Sample> scanned(const std::vector<std::string>& lines) {
    const testgen::TempDir dir(fs::temp_directory_path() / "trips-XXXXXX");
    const std::string path = (dir.path() / "REC.MP4").string();
    testgen::SyntheticOptions o;
    o.duration = uint32_t(lines.size()) * 1000;
    o.videoBytesPerSample = 16;
    for (const std::string& line : lines) o.samples.push_back(testgen::timedTextSample(line));
    testgen::writeSynthetic(path, o);
    telemetry::Class_Video_Info record;
    telemetry::Extract_Subtitle().ExtractSubtitle(record, path);
    EXPECT_EQ(record.isSupportSubtitle, 1);
    return telemetry::samplesOf(record);
}

std::vector<trips::RecordingSummary> summaries(const std::vector<std::vector<std::string>>& recordings) {
    std::vector<trips::RecordingSummary> out;
    for (const auto& lines : recordings) out.push_back(trips::summarizeRecording(scanned(lines), out.size()));
    return out;
}

// Straight on at a steady speed, no G noise beyond the generator's own.
DriveOptions steady(double kmh, double heading = 0.0) {
    DriveOptions o{.startHeading = heading, .startSpeedKmh = kmh};
    o.turnNoise = o.speedNoise = 0;
    return o;
}

// The line "$gx$gy$gz$lon$lat$..." with one field replaced: a lat of "0" takes the
// fix away, as in a tunnel.
enum Field { kLon = 3, kLat = 4 };
std::string withField(std::string line, Field field, const char* text) {
    size_t at = 0;
    for (int i = 0; i <= field; ++i) at = line.find('$', at) + 1;
    return line.replace(at, line.find('$', at) - at, text);
}
std::string withLat(const std::string& line, const char* lat) { return withField(line, kLat, lat); }

DriveOptions with(DriveOptions o, std::vector<Incident> incidents, double gNoise = 0, int noFixSeconds = 0) {
    o.seconds = 90;
    o.incidents = std::move(incidents);
    o.gNoise = gNoise;
    o.noFixSeconds = noFixSeconds;
    return o;
}

}  // namespace

// Recordings whose samples follow within ten seconds make one trip; one without
// telemetry (-1 in lengths) is a trip of its own.
TEST(Trips, RunsOfRecordingsThatFollowWithinTenSeconds) {
    const struct {
        std::vector<int> lengths;
        int gapSeconds;
        std::vector<size_t> tripOf;
    } cases[] = {{{30, 30, 30, 30}, 2, {0, 0, 0, 0}}, {{30, 30}, 60, {0, 1}}, {{20, 20, 20}, 9, {0, 0, 0}},
                 {{20, 20, 20}, 10, {0, 1, 2}}, {{20, 30, 15}, 0, {0, 0, 0}}, {{20, -1, 20, 20}, 0, {0, 1, 2, 2}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.lengths) + " " + std::to_string(c.gapSeconds));
        std::vector<int> lengths = c.lengths;
        std::erase(lengths, -1);
        auto recordings = summaries(testgen::cutDrive(DriveOptions{}, lengths, c.gapSeconds));
        for (size_t i = 0; i < c.lengths.size(); ++i)
            if (c.lengths[i] < 0)
                recordings.insert(recordings.begin() + long(i),
                                  trips::summarizeRecording({}, i));
        const std::vector<trips::Trip> found = trips::groupTrips(recordings);
        EXPECT_EQ(trips::tripOfRecording(found), c.tripOf);
        ASSERT_EQ(found.size(), c.tripOf.back() + 1);
        EXPECT_EQ(std::tuple(found.front().start, found.back().end),
                  std::tuple(recordings.front().first->time, recordings.back().last->time));
        for (const trips::Trip& t : found)
            EXPECT_EQ(t.start.has_value(), c.lengths[t.firstRecording] > 0) << t.firstRecording;
    }
}

TEST(Trips, EventsFoundWhereTheDriveHasThem) {
    using enum EventKind;
    using S = trips::Sensitivity;
    const struct {
        const char* name;
        DriveOptions drive;
        S sensitivity;
        std::vector<std::pair<EventKind, double>> expected;  // kind and video second; empty: none
        bool someOnXOrY = false;  // instead of expected: at least one, each on X or Y
    } cases[] = {
        {"braking from 60 to 20", with(steady(60), {{Incident::Braking, 30}}), S::Normal, {{HardBraking, 30}}},
        {"noise within thresholds", with(steady(60), {}, 0.3), S::Normal, {}},
        {"same noise is too much for high", with(steady(60), {}, 0.3), S::High, {}, true},
        {"pothole", with(steady(60), {{Incident::Pothole, 20}}), S::Low, {{GZ, 20}}},
        {"braking without a fix shakes only X", with(steady(60), {{Incident::Braking, 30}}, 0, 40), S::Normal, {{GX, 30}}},
        {"two seconds apart merge into the braking", with(steady(60), {{Incident::Pothole, 28}, {Incident::Braking, 30}}),
         S::Normal, {{HardBraking, 30}}},
        {"three seconds apart stay two", with(steady(60), {{Incident::Braking, 30}, {Incident::Pothole, 33}}), S::Normal,
         {{HardBraking, 30}, {GZ, 33}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> lines = testgen::simulateDrive(c.drive);
        lines[10].replace(1, lines[10].find('$', 1) - 1, "1e999");  // a G beyond any number is no event
        const auto samples = scanned(lines);
        EXPECT_LT(trips::recordingStatistics(samples).maxAbsG[0], 1.5);
        const auto events = trips::findEvents(samples, 7, trips::thresholdsFor(c.sensitivity));
        if (c.someOnXOrY) {
            EXPECT_FALSE(events.empty());
            for (const trips::Event& e : events) EXPECT_TRUE(e.kind == GX || e.kind == GY);
            continue;
        }
        ASSERT_EQ(events.size(), c.expected.size());
        for (size_t i = 0; i < events.size(); ++i) {
            EXPECT_EQ(std::tuple(events[i].kind, events[i].videoSeconds, events[i].recording),
                      std::tuple(c.expected[i].first, c.expected[i].second, 7u)) << i;
            EXPECT_EQ(events[i].position.has_value(), c.drive.noFixSeconds <= events[i].videoSeconds) << i;
        }
    }

    // Readings of opposite signs near the largest double are apart by more than a
    // double holds: still an event whose peak is a number (the events list prints it).
    std::vector<telemetry::Sample> wild(3);
    for (size_t k = 0; k < wild.size(); ++k) wild[k].videoSeconds = double(k) * 5, wild[k].g[0] = k == 1 ? -1.7e308 : 1.7e308;
    const auto events = trips::findEvents(wild, 0);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].videoSeconds, 5);
    EXPECT_TRUE(std::isfinite(events[0].peak));
}

// 600 s at 72 km/h is 12 km; the generator's degrees are 111.32 km, ours 111.19.
TEST(Trips, StraightDriveOfKnownLength) {
    const struct {
        const char* name;
        double heading;
        std::vector<int> replaced;  // seconds whose field is replaced
        Field field;
        const char* text;
        double expectedMetres;
    } cases[] = {{"north", 0, {}, kLat, "", 12000}, {"east", 90, {}, kLat, "", 12000},
                 // 10 samples without a fix: 11 steps of 20 m not bridged
                 {"tunnel not bridged", 0, {300, 301, 302, 303, 304, 305, 306, 307, 308, 309}, kLat, "0", 11780},
                 // 999 degrees north is no place: 2 steps missing, no jump
                 {"fix off the globe is no fix", 0, {300}, kLat, "9990000", 11960},
                 // a damaged longitude is no fix at longitude 0, 850 km west
                 {"longitude not a number is no fix", 0, {300}, kLon, "E", 11960},
                 // 10 degrees north is a place, but not one reached in a second
                 {"jump of 4000 km is not driven", 0, {300}, kLat, "100000", 11960}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DriveOptions o = steady(72, c.heading);
        o.seconds = 601;  // 600 steps between 601 samples
        std::vector<std::string> lines = testgen::simulateDrive(o);
        for (int t : c.replaced) lines.at(size_t(t)) = withField(lines.at(size_t(t)), c.field, c.text);
        const trips::Statistics s = trips::recordingStatistics(scanned(lines));
        EXPECT_NEAR(s.distanceMetres, c.expectedMetres, c.expectedMetres * 0.005);
        EXPECT_NEAR(s.maxSpeedKmh, 72.0, 0.05);
        EXPECT_NEAR(s.averageSpeedKmh(), 72.0, 72.0 * 0.005);
    }
}

TEST(Trips, TripAddsUpItsRecordingsAndTheHopsBetweenThem) {
    DriveOptions o = steady(72);
    o.incidents = {{Incident::Pothole, 100}};
    std::vector<std::vector<std::string>> cut = testgen::cutDrive(o, {150, 150, 150, 151}, 0);
    const auto recordings = summaries(cut);
    const std::vector<trips::Trip> found = trips::groupTrips(recordings);
    ASSERT_EQ(found.size(), 1u);
    const trips::Statistics& s = found[0].statistics;
    EXPECT_NEAR(s.distanceMetres, 12000, 12000 * 0.005);
    EXPECT_EQ(std::tuple(s.movingSeconds, s.events), std::tuple(600.0, 1u));
    EXPECT_NEAR(s.maxAbsG[2], 2.0, 0.1);  // the pothole, in the first recording only
    EXPECT_NEAR(recordings[0].statistics.maxAbsG[2], 2.0, 0.1);
    EXPECT_LT(recordings[1].statistics.maxAbsG[2], 1.2);

    // The third recording starts 4000 km north: neither the hop to it nor its first
    // step is driven, 2 steps and their 2 s left out.
    const auto fixOf = [](const std::string& line) {
        telemetry::Class_Subtitle_Info sample;
        sample.setSubtitleInfo(line);
        const auto p = telemetry::positionFix(sample);
        return trips::GeoPoint{p->latitude, p->longitude, std::nullopt};
    };
    const double lost = trips::haversineMetres(fixOf(cut[1].back()), fixOf(cut[2][0])) +
                        trips::haversineMetres(fixOf(cut[2][0]), fixOf(cut[2][1]));
    cut[2][0] = withLat(cut[2][0], "900000");
    const trips::Statistics jumped = trips::groupTrips(summaries(cut))[0].statistics;
    EXPECT_NEAR(jumped.distanceMetres, s.distanceMetres - lost, 0.01);
    EXPECT_EQ(jumped.movingSeconds, 598.0);
}

TEST(Trips, CameraTimeIsOnlyARealInstant) {
    const auto timeOf = [](const char* date) {
        telemetry::Class_Subtitle_Info s;
        s.setSubtitleInfo(std::string("$0$0$1$0$0$0$0$") + date + "$N$E");
        return telemetry::cameraClockSeconds(s);
    };
    EXPECT_EQ(trips::cameraTimeText(*timeOf("2016$5$12$9$3$7")), "2016-05-12T09:03:07");
    EXPECT_EQ(*timeOf("2016$3$1$0$0$0") - *timeOf("2016$2$29$23$59$59"), 1);
    for (const char* bad : {"2016$2$30$9$3$7", "2016$13$1$9$3$7", "2016$5$12$24$0$0", "2016$5$12$9$3$60", "0$0$0$0$0$0", "x$5$12$9$3$7"})
        EXPECT_FALSE(timeOf(bad)) << bad;
}

TEST(Trips, TrackRunsBreakWhereThereIsNoFix) {
    DriveOptions o = steady(36);
    o.seconds = 12;
    std::vector<std::string> lines = testgen::simulateDrive(o);
    for (size_t t : {3u, 4u}) lines[t] = withLat(lines[t], "0");
    lines[10] = withField(lines[10], kLon, "1157x55");  // a longitude that is no number is no fix either
    const auto samples = scanned(lines);
    const auto sizes = [&](size_t step) {
        std::vector<size_t> out;
        for (const auto& run : trips::trackRuns(samples, step)) out.push_back(run.size());
        return out;
    };
    EXPECT_EQ(sizes(1), (std::vector<size_t>{3, 5, 1}));  // samples 0-2, 5-9, 11
    EXPECT_EQ(sizes(2), (std::vector<size_t>{2, 3, 1}));  // 0 2, 5 7 9, 11
    EXPECT_EQ(sizes(4), (std::vector<size_t>{2, 2, 1}));  // 0 2, 5 9, 11
    const auto runs = trips::trackRuns(samples, 4);
    EXPECT_EQ(runs[1].back(), *samples.at(9).fix);
}
