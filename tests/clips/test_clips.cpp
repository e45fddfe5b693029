#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QJsonObject>
#include <QThread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <fstream>

#include "ClipExport.h"
#include "ClipPlan.h"
#include "Card.h"
#include "ClipTelemetry.h"
#include "Drive.h"
#include "Extract_Subtitle.h"
#include "Files.h"
#include "Overlay.h"
#include "PlayableMp4.h"
#include "Process.h"
#include "SyntheticMp4.h"
#include "TelemetryTrack.h"
#include "ToolTestSupport.h"

using clips::ClipPiece;
using tooltest::runTool;
namespace fs = std::filesystem;

namespace {

TEST(ClipPlan, PiecesOfTheJoinedTimeline) {
    const struct {
        double from, to;
        std::optional<std::vector<ClipPiece>> pieces;
    } cases[] = {
        {2, 4.5, {{{0, 2, 4.5}}}},                            // inside one
        {8.5, 11, {{{0, 8.5, 10}, {1, 0, 1}}}},               // across a boundary
        {9, 16, {{{0, 9, 10}, {1, 0, 5}, {2, 0, 1}}}},        // over a whole recording
        {6, 10, {{{0, 6, 10}}}},                              // ends on a boundary
        {15, 17, {{{2, 0, 2}}}},                              // starts on one
        {20, 23, {{{2, 5, 8}}}},                              // to the very end
        {20, 23.5, std::nullopt}, {4, 4, std::nullopt}, {5, 4, std::nullopt}, {-1, 2, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(clips::planClip({10, 5, 8}, c.from, c.to), c.pieces) << c.from;
    for (const auto& [line, fraction] : std::vector<std::pair<const char*, std::optional<double>>>{
             {"out_time_us=1000000", 0.25}, {"out_time_ms=3000000", 0.75}, {"out_time_us=9000000", 1.0},
             {"out_time_us=N/A", std::nullopt}, {"frame=12", std::nullopt}, {"progress=end", 1.0},
             {"progress=continue", std::nullopt}})
        EXPECT_EQ(clips::progressFraction(line, 4.0), fraction) << line;  // ffmpeg's progress of a 4 s clip
}

// A sample at videoSeconds of its video, dated `second` past 09:03 on 2016-05-12.
telemetry::Sample sample(double kmh, int second, double videoSeconds = 0) {
    telemetry::Sample s;
    s.videoSeconds = videoSeconds;
    s.time = telemetry::RecordedTime{std::chrono::seconds(1463043780 + second), telemetry::RecordedTime::Clock::Camera};
    s.speedKmh = kmh;
    s.g = {0.01, -0.02, 0.98};
    return s;
}

// Sample n of a recording shows from second n to n + 1 of it, moved onto the clip's
// timeline, in the unit asked for.
TEST(ClipOverlay, OneEventPerSecondOnTheClipTimeline) {
    EXPECT_EQ(clips::overlayText(sample(100, 7), 1), "2016-05-12 09:03:07  100 km/h  G 0.01 -0.02 0.98");
    EXPECT_EQ(clips::overlayText(sample(100, 7), 0), "2016-05-12 09:03:07  62 mph  G 0.01 -0.02 0.98");
    const QString script = clips::overlayScript(
        {{0, 1.5, 3}, {1, 0, 1.25}},
        {{sample(1, 0, 0), sample(2, 1, 1), sample(3, 2, 2)}, {sample(4, 3, 0), sample(5, 4, 1)}}, 1);
    const auto event = [](const char* span, int second, int kmh) {
        return QStringLiteral("Dialogue: 0,%1,Overlay,,0,0,0,,2016-05-12 09:03:0%2  %3 km/h  G 0.01 -0.02 0.98")
            .arg(span).arg(second).arg(kmh);
    };
    EXPECT_EQ(script.split('\n').filter("Dialogue:"),
              (QStringList{event("0:00:00.00,0:00:00.50", 1, 2), event("0:00:00.50,0:00:01.50", 2, 3),
                           event("0:00:01.50,0:00:02.50", 3, 4), event("0:00:02.50,0:00:02.75", 4, 5)}));
}

// Each second of a clip takes the samples its recording showed in the second under
// the clip second's start, as many a second as the first recording has. The table
// ends before a second without any, as none can be skipped.
TEST(ClipTelemetry, EachSecondTakesWhatItsRecordingShowedThen) {
    const std::vector<clips::RecordingTelemetry> recordings = {
        {{"a0", "a1", "a2", "a3", "a4", "a5"}, 2}, {{"b0", "b1", "b2"}, 1}, {{}, 0}};
    const struct {
        std::vector<ClipPiece> pieces;
        uint32_t seconds;
        std::vector<std::string> samples;
    } cases[] = {
        {{{0, 0.5, 3}}, 2, {"a0", "a1", "a2", "a3"}},
        {{{0, 2.2, 3}, {1, 0, 2}}, 3, {"a4", "a5", "b0", "b0", "b1", "b1"}},
        {{{1, 1, 3}, {0, 0, 1}}, 3, {"b1", "b2", "a0"}},
        {{{1, 1, 3}}, 5, {"b1", "b2"}},               // past the span the recording runs on, to its table's end
        {{{1, 0, 2}, {2, 0, 2}}, 4, {"b0", "b1"}},    // into one without telemetry
        {{{2, 0, 2}, {1, 0, 2}}, 4, {}},
    };
    for (const auto& c : cases) {
        const clips::ClipSamples clip = clips::clipSamples(c.pieces, recordings, c.seconds);
        EXPECT_EQ(clip.samples, c.samples) << ::testing::PrintToString(c.samples);
        EXPECT_EQ(clip.perSecond, c.samples.empty() ? 0u : recordings[c.pieces[0].file].perSecond);
    }
    // A first recording claiming as many a second as the scan takes in all: not one more.
    const std::vector<clips::RecordingTelemetry> crowded = {
        {std::vector<std::string>(telemetry::kMaxSamples, "a"), telemetry::kMaxSamples}, {{"b0", "b1", "b2"}, 1}};
    EXPECT_EQ(clips::clipSamples({{0, 0, 1}, {1, 0, 3}}, crowded, 4).samples.size(), telemetry::kMaxSamples);
}

// Added in place to a file whose movie box follows its media data, the track is the
// one the scan reads: also when the movie header's times hold the bytes it takes for
// the rate, and however large the other tracks' tables. A file laid out otherwise is
// refused as it is.
TEST(ClipTelemetry, TrackAddedInPlaceIsTheOneTheScanReads) {
    const testgen::TempDir dir(fs::temp_directory_path() / "clip-track-XXXXXX");
    const std::string path = (dir.path() / "movie.mp4").string();
    const auto lines = testgen::simulateDrive({.seconds = 3});
    std::vector<std::string> added;
    for (const std::string& line : lines) added.push_back(testgen::timedTextSample(line));
    testgen::SyntheticOptions o;
    o.duration = 3000;
    o.videoBytesPerSample = 16;
    for (const size_t samples : {3, 60000}) {  // the second: tables of more than the scan's movie window
        SCOPED_TRACE(samples);
        o.samples.assign(samples, "x");
        const testgen::SyntheticLayout layout = testgen::writeSynthetic(path, o);
        {
            std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(std::streamoff(layout.mvhdTypeOffset + 12));  // the modification time
            file.write("\x12\x34\x00\x01", 4);                     // before the time scale's 00 00 03 E8
        }
        mp4::MovieFile movie(path);
        EXPECT_EQ(movie.wholeSeconds(), 3u);
        movie.addTelemetryTrack(added, 1);
        telemetry::Class_Video_Info record;
        telemetry::Extract_Subtitle().ExtractSubtitle(record, path);
        EXPECT_EQ(std::tuple(record.isSupportSubtitle, record.duration, record.timescale), std::tuple(1, 3000u, 1000u));
        const auto& read = record.array_subtitle_final;
        EXPECT_EQ(read ? std::vector<std::string>(read->begin(), read->end()) : std::vector<std::string>{}, added);
    }

    o.trailer = 64;  // a box after the movie box
    testgen::writeSynthetic(path, o);
    const auto before = fs::file_size(path);
    EXPECT_THROW(mp4::MovieFile{path}, std::runtime_error);
    EXPECT_EQ(fs::file_size(path), before);
}

// Two consecutive 3 s recordings at 10 frames a second, made once for the suite, a
// copy of the first that carries a place, as some cameras and phones tag their files,
// one with sound, and the second cut short in two ways.
class ClipFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!testgen::onPath("ffmpeg") || !testgen::onPath("ffprobe")) return;
        dir_ = std::make_unique<testgen::TempDir>(fs::temp_directory_path() / "clips-tests-XXXXXX");
        lines_ = testgen::cutDrive({.seconds = 6}, {3, 3}, 0);
        for (size_t i = 0; i < lines_.size(); ++i) {
            files_.push_back(out("REC_" + std::to_string(i) + ".MP4"));
            testgen::writePlayable(files_.back(), {.lines = lines_[i], .width = 160, .height = 120});
        }
        testgen::runProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", files_[0], "-map", "0", "-c", "copy",
                             "-metadata", "location=+48.1375+011.5756/", out("TAGGED.MP4")});
        testgen::writePlayable(out("SOUND.MP4"), {.lines = lines_[0], .width = 160, .height = 120, .sound = true});
        // Cut short, as a camera leaves its last file: with the index at the end the
        // file cannot be read at all; with the index first (as some cameras write it)
        // its length reads whole while the end of its video is missing.
        fs::copy_file(files_[1], out("TRUNC.MP4"));
        fs::resize_file(out("TRUNC.MP4"), fs::file_size(files_[1]) / 2);
        testgen::runProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", files_[1], "-map", "0", "-c", "copy",
                             "-movflags", "+faststart", out("CUT.MP4")});
        fs::resize_file(out("CUT.MP4"), fs::file_size(out("CUT.MP4")) * 2 / 5);
    }
    static void TearDownTestSuite() { dir_.reset(); }
    void SetUp() override {
        if (!dir_) GTEST_SKIP() << "ffmpeg or ffprobe is not on PATH";
    }

    static std::string out(const std::string& name) { return (dir_->path() / name).string(); }
    static std::string probe(const std::string& file, const std::string& entries) {
        return testgen::runProcess({"ffprobe", "-v", "error", "-show_entries", entries, "-of", "csv=p=0", file}).out;
    }
    static double seconds(const std::string& file) {
        const std::string d = probe(file, "format=duration");
        return d.empty() ? 0 : std::stod(d);
    }
    // Files left in the folder that are neither recordings nor finished clips.
    static std::vector<std::string> leftovers() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_->path()))
            if (entry.path().extension() != ".MP4" && entry.path().extension() != ".mp4" &&
                !entry.path().filename().string().starts_with("run."))
                names.push_back(entry.path().filename().string());
        return names;
    }

    static inline std::unique_ptr<testgen::TempDir> dir_;
    static inline std::vector<std::string> files_;
    static inline std::vector<std::vector<std::string>> lines_;  // each recording's telemetry, one a second
};

// Each clip's length and streams as ffprobe reads them, whether it keeps the place
// the tagged copy carries (the concat demuxer Fast mode reads through passes no tags on),
// and the telemetry our scan and ffmpeg read in it: for each whole second of the clip
// the sample its recording showed then. The tagged copy's own was lost in the copy.
TEST_F(ClipFiles, ClipsHaveTheSpanAndTheStreamsAsked) {
    using Shown = std::vector<std::pair<size_t, size_t>>;  // (recording, second) for each second of the clip
    const struct {
        std::vector<std::string> options;
        double seconds;  // negative: key frames decide
        const char* streams;
        std::vector<const char*> recordings;
        bool located;
        Shown telemetry;
    } cases[] = {
        {{"--from", "1", "--to", "2"}, 1.0, "subtitle\nvideo\n", {"REC_0.MP4", "REC_1.MP4"}, false, {{0, 1}}},
        {{"--from", "1", "--to", "2", "--overlay"}, 1.0, "subtitle\nvideo\n", {"REC_0.MP4", "REC_1.MP4"}, false, {{0, 1}}},
        {{"--from", "0.5", "--to", "2.5"}, 2.0, "video\n", {"TAGGED.MP4", "REC_1.MP4"}, true, {}},
        {{"--from", "2.2", "--to", "4.5", "--overlay"}, 2.3, "video\n", {"TAGGED.MP4", "REC_1.MP4"}, true, {}},
        {{"--from", "2.2", "--to", "4.5"}, 2.3, "subtitle\nvideo\n", {"REC_0.MP4", "REC_1.MP4"}, false, {{0, 2}, {1, 0}}},
        {{"--from", "1", "--to", "4", "--strip-telemetry"}, 3.0, "video\n", {"TAGGED.MP4", "REC_1.MP4"}, false, {}},
        {{"--from", "1", "--to", "3", "--strip-telemetry"}, 2.0, "video\n", {"REC_0.MP4", "REC_1.MP4"}, false, {}},
        {{"--from", "0", "--to", "4", "--fast"}, -1, "video\n", {"TAGGED.MP4", "REC_1.MP4"}, false, {}},
        // The copy starts at the recording's only key frame, its first.
        {{"--from", "1.5", "--to", "4", "--fast"}, -1, "subtitle\nvideo\n", {"REC_0.MP4", "REC_1.MP4"}, false,
         {{0, 0}, {0, 1}, {0, 2}, {1, 0}}},
        {{"--from", "0", "--to", "4", "--fast", "--strip-telemetry"}, -1, "video\n", {"TAGGED.MP4", "REC_1.MP4"},
         false, {}},
        // Re-encoded, the sound stays.
        {{"--from", "0.5", "--to", "2.5"}, 2.0, "subtitle\nvideo\naudio\n", {"SOUND.MP4"}, false, {{0, 0}, {0, 1}}},
        // A file cut short after the span is never read.
        {{"--from", "0.5", "--to", "2.5"}, 2.0, "subtitle\nvideo\n", {"REC_0.MP4", "TRUNC.MP4"}, false,
         {{0, 0}, {0, 1}}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(::testing::PrintToString(c.options) + ::testing::PrintToString(c.recordings));
        std::vector<std::string> args{"clip", "-o", out("clip" + std::to_string(i) + ".mp4")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        for (const char* name : c.recordings) args.push_back(out(name));
        const auto run = runTool(args, dir_->path());
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(probe(args[2], "format_tags=location").find("48.1375") != std::string::npos, c.located);
        EXPECT_EQ(probe(args[2], "stream=codec_type"), c.streams);
        if (c.seconds > 0) {
            EXPECT_NEAR(std::stod(probe(args[2], "stream=duration")), c.seconds, 0.1);
        }
        EXPECT_EQ(leftovers(), std::vector<std::string>{});

        std::vector<std::string> samples;
        std::string times;  // as ffprobe prints them, one a line
        for (size_t s = 0; s < c.telemetry.size(); ++s) {
            samples.push_back(testgen::timedTextSample(lines_.at(c.telemetry[s].first).at(c.telemetry[s].second)));
            times += std::to_string(s) + ".000000\n";
        }
        telemetry::Class_Video_Info record;
        telemetry::Extract_Subtitle().ExtractSubtitle(record, args[2]);
        const auto& read = record.array_subtitle_final;
        EXPECT_EQ(read ? std::vector<std::string>(read->begin(), read->end()) : std::vector<std::string>{}, samples);
        if (!samples.empty()) {
            EXPECT_EQ(std::tuple(record.isSupportSubtitle, record.gapSubtitlePerSecond, record.duration_second),
                      std::tuple(1, 1u, uint32_t(samples.size())));
        }
        const std::string shown = testgen::runProcess({"ffprobe", "-v", "error", "-select_streams", "s", "-show_entries",
                                                       "packet=pts_time", "-of", "csv=p=0", args[2]}).out;
        EXPECT_EQ(shown, times);
        const QJsonObject inspected = tooltest::jsonArray(runTool({"inspect", args[2]}, dir_->path()).out)[0].toObject();
        EXPECT_EQ(std::tuple(inspected["duration_second"].toInt(), inspected["num_subtitle"].toInt()),
                  std::tuple(c.seconds > 0 ? int(c.seconds) : int(record.duration_second), int(samples.size())));
        // The media decodes as ffmpeg wrote it.
        const auto decoded = testgen::runProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", args[2], "-map", "0:v",
                                                  "-f", "null", "-"});
        EXPECT_EQ(std::tuple(decoded.exitCode, decoded.err), std::tuple(0, std::string()));
    }
    // The overlay sits at the bottom left; the rest of the picture stays as it was.
    const auto frame = [](const std::string& file) {  // 8-bit grey pixels, half a second in
        return testgen::runProcess({"ffmpeg", "-nostdin", "-v", "error", "-ss", "0.5", "-i", file, "-frames:v", "1",
                                    "-f", "rawvideo", "-pix_fmt", "gray", "-"}).out;
    };
    const std::string off = frame(out("clip0.mp4")), on = frame(out("clip1.mp4"));
    ASSERT_EQ(std::tuple(on.size(), off.size()), std::tuple(160u * 120u, 160u * 120u));
    const auto difference = [&](int x0, int y0, int x1, int y1) {
        double sum = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) sum += std::abs(uint8_t(on[y * 160 + x]) - uint8_t(off[y * 160 + x]));
        return sum / ((x1 - x0) * (y1 - y0));
    };
    EXPECT_GT(difference(0, 108, 80, 120), 20.0);  // the text's box
    EXPECT_LT(difference(0, 0, 160, 60), 3.0);     // only encoding noise

    // Asked to, a clip goes around what cannot be read: a file that cannot be read
    // at all leaves the timeline, a cut one gives what is left of its video.
    const std::string around = out("around.mp4");
    const auto skipped = runTool({"clip", "--from", "1", "--to", "5", "--skip-damaged", "-o", around, out("TRUNC.MP4"),
                                  files_[0], out("CUT.MP4")},
                                 dir_->path());
    ASSERT_EQ(skipped.exitCode, 0) << skipped.err;
    for (const std::string& said : {out("TRUNC.MP4") + ": warning: cannot read", out("CUT.MP4") + ": warning: damaged"})
        EXPECT_NE(skipped.err.find(said), std::string::npos) << skipped.err;
    EXPECT_GT(seconds(around), 2.5);
    EXPECT_LT(seconds(around), 3.75);
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

// A card's moment with its rear: the clip shows the rear beside the front, or small in its
// corner, or not at all.
TEST_F(ClipFiles, ChannelsComposedAsAsked) {
    const testgen::TempDir cardDir(fs::temp_directory_path() / "clips-card-XXXXXX");
    const fs::path card = cardDir.path() / "card";
    testgen::writeCard(card.string(), testgen::CardFamily::Novatek, 2);
    const auto frame = [](const std::string& file, int* width) {  // RGB pixels, half a second in
        const std::string size = probe(file, "stream=width,height");
        *width = std::stoi(size);
        return testgen::runProcess({"ffmpeg", "-nostdin", "-v", "error", "-ss", "0.5", "-i", file, "-frames:v", "1",
                                    "-f", "rawvideo", "-pix_fmt", "rgb24", "-"}).out;
    };
    // The colour-bar rear's yellow bar at (x, y) of the clip, or not.
    const auto yellowAt = [](const std::string& rgb, int width, int x, int y) {
        const auto* p = reinterpret_cast<const uint8_t*>(rgb.data()) + (size_t(y) * size_t(width) + size_t(x)) * 3;
        return p[0] > 150 && p[1] > 150 && p[2] < 60;
    };
    const struct {
        std::vector<std::string> options;
        int width;
        std::vector<std::pair<int, int>> yellow, notYellow;
    } cases[] = {
        {{"--channels", "all", "--layout", "side"}, 320, {{160 + 34, 20}}, {{34, 20}}},
        {{"--channels", "all"}, 160, {{126, 92}}, {{34, 20}}},
        {{"--channels", "main", "--layout", "side"}, 160, {}, {{126, 92}}},
        {{}, 160, {}, {{126, 92}}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(::testing::PrintToString(cases[i].options));
        const std::string clip = out("channels" + std::to_string(i) + ".mp4");
        std::vector<std::string> args{"clip", "--from", "0.2", "--to", "1.6", "-o", clip};
        args.insert(args.end(), cases[i].options.begin(), cases[i].options.end());
        args.push_back(card.string());
        const auto run = runTool(args, dir_->path());
        ASSERT_EQ(run.exitCode, 0) << run.err;
        int width = 0;
        const std::string rgb = frame(clip, &width);
        EXPECT_EQ(width, cases[i].width);
        ASSERT_EQ(rgb.size(), size_t(width) * 120 * 3);
        for (const auto& [x, y] : cases[i].yellow) EXPECT_TRUE(yellowAt(rgb, width, x, y)) << x << "," << y;
        for (const auto& [x, y] : cases[i].notYellow) EXPECT_FALSE(yellowAt(rgb, width, x, y)) << x << "," << y;
        EXPECT_NEAR(std::stod(probe(clip, "stream=duration")), 1.4, 0.1);
    }
    // A rear whose video the camera lost is left out, said so, and the clip still comes out.
    std::vector<fs::path> rears;
    for (const auto& entry : fs::directory_iterator(card / "DCIM" / "Movie"))
        if (entry.path().filename().string().ends_with("R.MP4")) rears.push_back(entry.path());
    ASSERT_FALSE(rears.empty());
    std::sort(rears.begin(), rears.end());
    {
        std::ifstream in(rears.front(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const size_t track = bytes.find("trak", bytes.find("moov"));
        ASSERT_NE(track, std::string::npos);
        bytes.replace(track, 4, "free");
        std::ofstream(rears.front(), std::ios::binary | std::ios::trunc) << bytes;
    }
    const std::string blind = out("blind-rear.mp4");
    const auto run = runTool({"clip", "--from", "0.2", "--to", "0.8", "--channels", "all", "-o", blind, card.string()},
                             dir_->path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find(rears.front().string() + ": warning: has no video; left out"), std::string::npos) << run.err;
    int blindWidth = 0;
    EXPECT_FALSE(yellowAt(frame(blind, &blindWidth), 160, 126, 92));
    EXPECT_EQ(blindWidth, 160);

    // Asked wrongly: nothing written.
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--channels", "both"}, {"--layout", "grid"},
                                                {"--channels", "all", "--fast"}}) {
        std::vector<std::string> args{"clip", "--from", "0", "--to", "1", "-o", out("bad.mp4"), files_[0]};
        args.insert(args.end(), bad.begin(), bad.end());
        EXPECT_EQ(runTool(args, dir_->path()).exitCode, 2) << ::testing::PrintToString(bad);
        EXPECT_FALSE(fs::exists(out("bad.mp4")));
    }
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

TEST_F(ClipFiles, FailuresAndCancelLeaveNoFileAndSayWhy) {
    const std::string clip = out("failed.mp4");
    fs::create_directory(out("folder.mp4"));
    const struct {
        std::vector<std::string> args;
        int status;
        std::string says;
    } cases[] = {
        {{"--from", "5", "--to", "7", "-o", clip, files_[0], files_[1]}, 2, "outside"},
        {{"--from", "0", "--to", "1", "-o", clip, out("run.stderr")}, 1, "cannot read"},
        {{"--from", "0", "--to", "1", "--fast", "--overlay", "-o", clip, files_[0]}, 2, "leave out --fast"},
        // ffmpeg's file cannot take the place of a folder
        {{"--from", "0", "--to", "1", "-o", out("folder.mp4"), files_[0]}, 1, "clip not written"},
        {{"--from", "0", "--to", "1", "-o", out("none/x.mp4"), files_[0]}, 1, "clip not written"},
        // A recording in the span that cannot be read whole is named, and stops the clip.
        {{"--from", "1", "--to", "5", "-o", clip, files_[0], out("CUT.MP4")}, 1,
         "clip not written: " + out("CUT.MP4") + ": damaged: its video ends at"},
        {{"--from", "0", "--to", "1", "-o", clip, out("TRUNC.MP4"), files_[0]}, 1, out("TRUNC.MP4") + ": cannot read"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"clip"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(::testing::PrintToString(args));
        const auto run = runTool(args, dir_->path());
        EXPECT_EQ(run.exitCode, c.status);
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(clip));
        EXPECT_EQ(leftovers(), std::vector<std::string>{});
    }

    // A full temporary folder: the overlay cannot be written, so there is no clip.
    // A file system of its own, mounted where only the tool sees it, when this
    // machine lets the test make one.
    if (testgen::runProcess({"unshare", "-m", "true"}).exitCode == 0) {
        testgen::TempDir tmp(fs::temp_directory_path() / "clips-full-XXXXXX");
        const auto full = testgen::runProcess(
            {"unshare", "-m", "sh", "-c",
             "mount -t tmpfs -o size=64k tmpfs \"$0\" || exit 99; cat /dev/zero >\"$0/fill\" 2>/dev/null;"
             " exec env LC_ALL=C TMPDIR=\"$0\" \"$@\"",
             tmp.path().string(), DASHCAM_TELEMETRY_EXE, "clip", "--from", "0", "--to", "2", "--overlay", "-o", clip,
             files_[0]});
        EXPECT_EQ(full.exitCode, 1);
        EXPECT_NE(full.err.find("clip not written: cannot write the clip's work files"), std::string::npos) << full.err;
        EXPECT_FALSE(fs::exists(clip));
        EXPECT_EQ(leftovers(), std::vector<std::string>{});
    }

    // Cancelled once ffmpeg reports progress: neither the clip nor its partial file stays.
    clips::ClipRequest request;
    request.files = {QByteArray::fromStdString(files_[0]), QByteArray::fromStdString(files_[1])};
    request.pieces = *clips::planClip({3, 3}, 0, 6);
    request.output = QString::fromStdString(out("cancelled.mp4"));
    clips::ClipExport exporter(request);
    QEventLoop loop;
    bool progressed = false;
    QString error;
    QObject::connect(&exporter, &clips::ClipExport::progress, &exporter, [&] {
        progressed = true;
        exporter.cancel();
    });
    QObject::connect(&exporter, &clips::ClipExport::finished, &loop, [&](bool, const QString& why) {
        error = why;
        loop.quit();
    });
    exporter.start();
    loop.exec();
    EXPECT_EQ(std::tuple(progressed, error, fs::exists(out("cancelled.mp4"))), std::tuple(true, "cancelled", false));
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

// Recordings named as ffmpeg would take a protocol, standard input or a time, or
// not in UTF-8, are read as the files they are; a FIFO is refused at once. A clip
// goes to standard output for "-", and into a FIFO without replacing it.
TEST_F(ClipFiles, AnyNameInAndOut) {
    testgen::TempDir names(fs::temp_directory_path() / "clips-names-XXXXXX");
    const fs::path d = names.path();
    for (const std::string name : {"-", "pipe:1.MP4", "12:00:00.MP4", "concat:x.MP4", "\xff.MP4"}) {
        fs::copy_file(files_[0], d / name);
        for (const std::string mode : {"--fast", "--overlay"}) {
            SCOPED_TRACE(name + " " + mode);
            const auto run =
                tooltest::runToolIn(d, {"clip", "--from", "0.5", "--to", "2.5", mode, "-o", "clip.mp4", "--", name});
            ASSERT_EQ(run.exitCode, 0) << run.err;
            EXPECT_GE(seconds((d / "clip.mp4").string()), 1.9);
            fs::remove(d / "clip.mp4");
        }
    }
    ASSERT_EQ(::mkfifo((d / "fifo.MP4").c_str(), 0600), 0);
    const auto fromFifo = tooltest::runToolIn(d, {"clip", "--from", "0", "--to", "1", "-o", "clip.mp4", "fifo.MP4"});
    EXPECT_EQ(fromFifo.exitCode, 1);
    EXPECT_NE(fromFifo.err.find("fifo.MP4: cannot read: not a regular file"), std::string::npos) << fromFifo.err;

    const auto toStdout = tooltest::runToolIn(d, {"clip", "--from", "0.5", "--to", "2.5", "-o", "-", files_[0]});
    ASSERT_EQ(toStdout.exitCode, 0) << toStdout.err;
    std::ofstream(d / "captured.mp4", std::ios::binary) << toStdout.out;
    EXPECT_NEAR(seconds((d / "captured.mp4").string()), 2.0, 0.1);
    EXPECT_EQ(tooltest::readAll(d / "-"), tooltest::readAll(files_[0]));  // the recording named "-" stays as it was

    const fs::path fifo = d / "out.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    tooltest::ProgramRun intoFifo;
    const std::string clip = tooltest::readFifoWhile(fifo, [&] {
        intoFifo = runTool({"clip", "--from", "0.5", "--to", "2.5", "-o", fifo.string(), files_[0]}, d);
    });
    ASSERT_EQ(intoFifo.exitCode, 0) << intoFifo.err;
    EXPECT_TRUE(fs::is_fifo(fifo));
    std::ofstream(d / "read.mp4", std::ios::binary) << clip;
    EXPECT_NEAR(seconds((d / "read.mp4").string()), 2.0, 0.1);
}

bool processGone(pid_t pid) {
    if (::kill(pid, 0) != 0) return errno == ESRCH;
    const std::string stat = tooltest::readAll("/proc/" + std::to_string(pid) + "/stat");
    const size_t end = stat.rfind(')');  // a zombie waits for whoever took it over to reap it
    return end != std::string::npos && stat.compare(end, 3, ") Z") == 0;
}

std::vector<std::string> entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Stopped by a signal while ffmpeg writes the clip: ffmpeg goes with the tool, and
// neither the partial clip nor the work folder stays. A clip first sweeps away the
// work folders of processes that are gone.
TEST_F(ClipFiles, StoppedBySignalLeavesNothingBehind) {
    testgen::TempDir scratch(fs::temp_directory_path() / "clips-signal-XXXXXX");
    const fs::path bin = scratch.path() / "bin", tmp = scratch.path() / "tmp", target = scratch.path() / "out";
    for (const fs::path& folder : {bin, tmp, target}) fs::create_directory(folder);
    std::string ffmpeg = testgen::runProcess({"sh", "-c", "command -v ffmpeg"}).out;
    ffmpeg.erase(ffmpeg.find_last_not_of('\n') + 1);
    // The real ffmpeg, reading its first input at a fifth of its speed so that it is
    // still at work when the signal comes, leaving its process id.
    std::ofstream(bin / "ffmpeg") << "#!/bin/sh\necho $$ >\"$(dirname \"$0\")/ffmpeg.pid.new\"\n"
                                  << "mv \"$(dirname \"$0\")/ffmpeg.pid.new\" \"$(dirname \"$0\")/ffmpeg.pid\"\n"
                                  << "exec '" << ffmpeg << "' -readrate 0.2 \"$@\"\n";
    fs::permissions(bin / "ffmpeg", fs::perms::owner_all);

    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string ours = "dashcam-clip-" + std::to_string(::getpid()) + "-kept00";
    fs::create_directories(tmp / ("dashcam-clip-" + std::to_string(dead) + "-gone00") / "sub");
    fs::create_directory(tmp / ours);

    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        fs::remove(bin / "ffmpeg.pid");
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PATH", QString::fromStdString(bin.string()) + ":" + env.value("PATH"));
        env.insert("TMPDIR", QString::fromStdString(tmp.string()));
        tool.setProcessEnvironment(env);
        tool.setChildProcessModifier([] {  // as from a terminal, whatever this test inherited
            for (const int s : {SIGTERM, SIGINT, SIGHUP}) std::signal(s, SIG_DFL);
        });
        tool.start(DASHCAM_TELEMETRY_EXE, {"clip", "--from", "0", "--to", "6", "-o",
                                           QString::fromStdString((target / "clip.mp4").string()),
                                           QString::fromStdString(files_[0]), QString::fromStdString(files_[1])});
        ASSERT_TRUE(tool.waitForStarted());
        pid_t encoder = 0;
        while (encoder == 0 && !tool.waitForFinished(20)) {
            std::ifstream in(bin / "ffmpeg.pid");
            in >> encoder;
        }
        ASSERT_GT(encoder, 0) << tool.readAllStandardError().toStdString();
        ::kill(pid_t(tool.processId()), signal);
        ASSERT_TRUE(tool.waitForFinished(60000));
        EXPECT_EQ(tool.exitStatus(), QProcess::CrashExit);
        bool gone = false;
        for (int i = 0; i < 500 && !(gone = processGone(encoder)); ++i) QThread::msleep(20);
        EXPECT_TRUE(gone);
        if (!gone) ::kill(encoder, SIGKILL);
        EXPECT_EQ(entries(target), std::vector<std::string>{});
        EXPECT_EQ(entries(tmp), std::vector<std::string>{ours});
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
