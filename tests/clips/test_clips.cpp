#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>

#include "ClipExport.h"
#include "ClipPlan.h"
#include "Drive.h"
#include "Files.h"
#include "Overlay.h"
#include "PlayableMp4.h"
#include "Process.h"
#include "ToolTestSupport.h"

using clips::ClipPiece;
using tooltest::runTool;

namespace {

TEST(ClipPlan, PiecesOfTheJoinedTimeline) {
    const std::vector<double> durations{10, 5, 8};
    struct Case {
        const char* name;
        double from, to;
        std::optional<std::vector<ClipPiece>> pieces;
    };
    const std::vector<Case> cases{
        {"inside one", 2, 4.5, {{{0, 2, 4.5}}}},
        {"across a boundary", 8.5, 11, {{{0, 8.5, 10}, {1, 0, 1}}}},
        {"over a whole recording", 9, 16, {{{0, 9, 10}, {1, 0, 5}, {2, 0, 1}}}},
        {"ends on a boundary", 6, 10, {{{0, 6, 10}}}},
        {"starts on a boundary", 15, 17, {{{2, 0, 2}}}},
        {"to the very end", 20, 23, {{{2, 5, 8}}}},
        {"past the end", 20, 23.5, std::nullopt},
        {"empty", 4, 4, std::nullopt},
        {"reversed", 5, 4, std::nullopt},
        {"before the start", -1, 2, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(clips::planClip(durations, c.from, c.to), c.pieces);
    }
}

telemetry::Class_Subtitle_Info sample(const std::string& speed, const std::string& second) {
    telemetry::Class_Subtitle_Info s;
    s.setSubtitleInfo(tooltest::sampleLine("481375", "115756", "N", "E", "90", speed, "2016$5$12$9$3$" + second));
    return s;
}

// Sample n of a recording shows from second n to n + 1 of it, moved onto the clip's
// timeline, in the unit asked for.
TEST(ClipOverlay, OneEventPerSecondOnTheClipTimeline) {
    EXPECT_EQ(clips::overlayText(sample("100", "7"), 1), "2016-05-12 09:03:07  100 km/h  G 0.01 -0.02 0.98");
    EXPECT_EQ(clips::overlayText(sample("100", "7"), 0), "2016-05-12 09:03:07  62 mph  G 0.01 -0.02 0.98");

    const std::vector<std::vector<telemetry::Class_Subtitle_Info>> samples{
        {sample("1", "0"), sample("2", "1"), sample("3", "2")}, {sample("4", "3"), sample("5", "4")}};
    const QString script = clips::overlayScript({{0, 1.5, 3}, {1, 0, 1.25}}, samples, 1);
    const auto event = [](const char* span, int second, int kmh) {
        return QStringLiteral("Dialogue: 0,%1,Overlay,,0,0,0,,2016-05-12 09:03:0%2  %3 km/h  G 0.01 -0.02 0.98").arg(span).arg(second).arg(kmh);
    };
    EXPECT_EQ(script.split('\n').filter("Dialogue:"),
              (QStringList{event("0:00:00.00,0:00:00.50", 1, 2), event("0:00:00.50,0:00:01.50", 2, 3),
                           event("0:00:01.50,0:00:02.50", 3, 4), event("0:00:02.50,0:00:02.75", 4, 5)}));
}

TEST(ClipProgress, FractionFromFfmpegLines) {
    const std::vector<std::pair<const char*, std::optional<double>>> cases{
        {"out_time_us=1000000", 0.25}, {"out_time_ms=3000000", 0.75}, {"out_time_us=9000000", 1.0},
        {"out_time_us=N/A", std::nullopt}, {"frame=12", std::nullopt}, {"progress=end", 1.0},
        {"progress=continue", std::nullopt}};
    for (const auto& [line, fraction] : cases) {
        SCOPED_TRACE(line);
        EXPECT_EQ(clips::progressFraction(line, 4.0), fraction);
    }
}

// Two consecutive 3 s recordings at 10 frames a second, made once for the suite.
class ClipFiles : public ::testing::Test {
protected:
    static constexpr double kFrame = 0.1;

    static void SetUpTestSuite() {
        if (!testgen::onPath("ffmpeg") || !testgen::onPath("ffprobe")) return;
        dir_ = std::make_unique<testgen::TempDir>(std::filesystem::temp_directory_path() / "clips-tests-XXXXXX");
        testgen::DriveOptions drive;
        drive.seconds = 6;
        const auto parts = testgen::cutDrive(drive, {3, 3}, 0);
        for (size_t i = 0; i < parts.size(); ++i) {
            testgen::PlayableOptions options;
            options.lines = parts[i];
            options.width = 160;
            options.height = 120;
            files_.push_back((dir_->path() / ("REC_" + std::to_string(i) + ".MP4")).string());
            testgen::writePlayable(files_.back(), options);
        }
        // A copy that carries a place, as some cameras and phones tag their files.
        tagged_ = (dir_->path() / "TAGGED.MP4").string();
        testgen::runProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", files_[0], "-map", "0", "-c", "copy", "-metadata",
                             "location=+48.1375+011.5756/", tagged_});
    }
    static void TearDownTestSuite() { dir_.reset(); }
    void SetUp() override {
        if (!dir_) GTEST_SKIP() << "ffmpeg or ffprobe is not on PATH";
    }

    static std::string out(const std::string& name) { return (dir_->path() / name).string(); }
    static std::string probe(const std::string& file, const std::string& entries) {
        return testgen::runProcess({"ffprobe", "-v", "error", "-show_entries", entries, "-of", "csv=p=0", file}).out;
    }
    // The frame at a time as 8-bit grey pixels.
    static std::string frame(const std::string& file, double at) {
        return testgen::runProcess({"ffmpeg", "-nostdin", "-v", "error", "-ss", std::to_string(at), "-i", file, "-frames:v", "1",
                                    "-f", "rawvideo", "-pix_fmt", "gray", "-"}).out;
    }
    // Files left in the folder that are neither recordings nor finished clips.
    static std::vector<std::string> leftovers() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir_->path()))
            if (entry.path().extension() != ".MP4" && entry.path().extension() != ".mp4" &&
                entry.path().filename().string().rfind("run.", 0) != 0)
                names.push_back(entry.path().filename().string());
        return names;
    }

    static inline std::unique_ptr<testgen::TempDir> dir_;
    static inline std::vector<std::string> files_;
    static inline std::string tagged_;
};

// Each clip's length and streams as ffprobe reads them.
TEST_F(ClipFiles, ClipsHaveTheSpanAndTheStreamsAsked) {
    struct Case {
        const char* name;
        std::vector<std::string> options;
        double seconds;  // negative: key frames decide
        const char* streams;
        bool located;  // the clip keeps the place the first recording is tagged with (the
                       // concat demuxer Fast mode reads through passes no file tags on)
    };
    const std::vector<Case> cases{
        {"exact, inside one", {"--from", "0.5", "--to", "2.5"}, 2.0, "video\n", true},
        {"exact, across two", {"--from", "2.2", "--to", "4.5", "--overlay"}, 2.3, "video\n", true},
        {"exact, stripped", {"--from", "1", "--to", "4", "--strip-telemetry"}, 3.0, "video\n", false},
        {"fast keeps the telemetry", {"--from", "0", "--to", "4", "--fast"}, -1, "video\nsubtitle\n", false},
        {"fast, stripped", {"--from", "0", "--to", "4", "--fast", "--strip-telemetry"}, -1, "video\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string clip = out("clip.mp4");
        std::vector<std::string> args{"clip", "-o", clip};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.insert(args.end(), {tagged_, files_[1]});
        const auto run = runTool(args, dir_->path());
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(probe(clip, "format_tags=location").find("48.1375") != std::string::npos, c.located);
        EXPECT_EQ(probe(clip, "stream=codec_type"), c.streams);
        if (c.seconds > 0) {
            EXPECT_NEAR(std::stod(probe(clip, "stream=duration")), c.seconds, kFrame);
        }
        EXPECT_EQ(leftovers(), std::vector<std::string>{});
    }
}

// The overlay sits at the bottom left; the rest of the picture stays as it was.
TEST_F(ClipFiles, OverlayIsBurntIntoTheBottomLeft) {
    for (const bool overlay : {false, true}) {
        std::vector<std::string> args{"clip", "--from", "1", "--to", "2", "-o", out(overlay ? "on.mp4" : "off.mp4")};
        if (overlay) args.push_back("--overlay");
        args.push_back(files_[0]);
        const auto run = runTool(args, dir_->path());
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    const std::string on = frame(out("on.mp4"), 0.5), off = frame(out("off.mp4"), 0.5);
    ASSERT_EQ(on.size(), 160u * 120u);
    ASSERT_EQ(off.size(), on.size());
    auto difference = [&](int x0, int y0, int x1, int y1) {
        double sum = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) sum += std::abs(int(uint8_t(on[y * 160 + x])) - int(uint8_t(off[y * 160 + x])));
        return sum / ((x1 - x0) * (y1 - y0));
    };
    EXPECT_GT(difference(0, 108, 80, 120), 20.0);  // the text's box
    EXPECT_LT(difference(0, 0, 160, 60), 3.0);     // only encoding noise
}

TEST_F(ClipFiles, FailuresLeaveNoFileAndSayWhy) {
    const std::string clip = out("failed.mp4");
    std::filesystem::create_directory(out("folder.mp4"));
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
        const char* says;
    };
    const std::vector<Case> cases{
        {"span past the end", {"clip", "--from", "5", "--to", "7", "-o", clip, files_[0], files_[1]}, 2, "outside"},
        {"not a recording", {"clip", "--from", "0", "--to", "1", "-o", clip, out("run.stderr")}, 1, "cannot read"},
        {"overlay with fast", {"clip", "--from", "0", "--to", "1", "--fast", "--overlay", "-o", clip, files_[0]}, 2,
         "leave out --fast"},
        {"OUT is a folder: ffmpeg's file cannot take its place",
         {"clip", "--from", "0", "--to", "1", "-o", out("folder.mp4"), files_[0]}, 1, "clip not written"},
        {"no such folder", {"clip", "--from", "0", "--to", "1", "-o", out("none/x.mp4"), files_[0]}, 1,
         "clip not written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto run = runTool(c.args, dir_->path());
        EXPECT_EQ(run.exitCode, c.status);
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(clip));
        EXPECT_EQ(leftovers(), std::vector<std::string>{});
    }
}

// Cancelled once ffmpeg reports progress: neither the clip nor its partial file stays.
TEST_F(ClipFiles, CancelLeavesNoFile) {
    clips::ClipRequest request;
    request.files = {QString::fromStdString(files_[0]), QString::fromStdString(files_[1])};
    request.pieces = *clips::planClip({3, 3}, 0, 6);
    request.output = QString::fromStdString(out("cancelled.mp4"));
    clips::ClipExport clip(request);
    QEventLoop loop;
    bool progressed = false;
    QString error;
    QObject::connect(&clip, &clips::ClipExport::progress, &clip, [&] {
        progressed = true;
        clip.cancel();
    });
    QObject::connect(&clip, &clips::ClipExport::finished, &loop, [&](bool, const QString& why) {
        error = why;
        loop.quit();
    });
    clip.start();
    loop.exec();
    EXPECT_TRUE(progressed);
    EXPECT_EQ(error, "cancelled");
    EXPECT_FALSE(std::filesystem::exists(out("cancelled.mp4")));
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
