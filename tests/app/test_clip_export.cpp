// File ▸ Export Clip… end to end: marks set as the I and O keys set them, the
// dialogs answered by the test, real clips of generated playable recordings.

#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QComboBox>
#include <QRadioButton>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QXYSeries>

#include "AppTestSupport.h"
#include "ClipMarking.h"
#include "ClipExportAction.h"
#include "FileTableModel.h"
#include "Files.h"
#include "MainMenu.h"
#include "PlayableMp4.h"
#include "Process.h"
#include "TripMap.h"
#include "ViewController.h"

namespace {

using clips::TimelineMark;

constexpr double kFrame = 0.1;  // 10 frames a second

// REC_0001 and REC_0002 (3 s each, with sound) then REC_0003 (2 s, silent), one
// drive; REC_0004 (1 s) an hour later.
class ClipExportWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!testgen::onPath("ffmpeg") || !testgen::onPath("ffprobe")) return;
        dir_ = std::make_unique<QTemporaryDir>();
        auto write = [](const char* name, std::vector<std::string> lines, bool sound) {
            const testgen::PlayableOptions o{std::move(lines), 160, 120, 10, sound};
            testgen::writePlayable(QDir(dir_->path()).filePath(name).toStdString(), o);
        };
        const auto parts = testgen::cutDrive({.seconds = 8}, {3, 3, 2}, 0);
        write("REC_0001.MP4", parts[0], true);
        write("REC_0002.MP4", parts[1], true);
        write("REC_0003.MP4", parts[2], false);
        write("REC_0004.MP4", testgen::simulateDrive({.seconds = 1, .hour = 10}), false);
    }
    static void TearDownTestSuite() { dir_.reset(); }

    void SetUp() override {
        if (!dir_) GTEST_SKIP() << "ffmpeg or ffprobe is not on PATH";
        ASSERT_TRUE(openIndexed(w, {dir_->path()}));
        ASSERT_EQ(shownRowCount(w), 4);
        ClipExportAction& action = w.clipExport();
        action.chooseOptions = [this](const QString& span) {
            spans << span;
            return choices;
        };
        action.chooseTarget = [this](const QString& suggested) {
            suggestions << suggested;
            return target;
        };
        action.tell = [this](const QString& message) { told << message; };
        QObject::connect(&action, &ClipExportAction::finished, &action,
                         [this](bool ok, const QString& error) { result = ok ? QStringLiteral("ok") : error; });
    }

    // Triggers the menu entry (then whatever `then` does) and waits for the clip, if one is started.
    void exportClip(const std::function<void()>& then = {}) {
        result.clear();
        w.mainMenu().exportClip->trigger();
        if (then) then();
        ASSERT_TRUE(waitUntil([&] { return !w.clipExport().busy(); }, 60000));
    }
    static std::string probe(const QString& file, const char* entries) {
        return testgen::runProcess({"ffprobe", "-v", "error", "-show_entries", entries, "-of", "csv=p=0",
                                    file.toStdString()}).out;
    }

    static inline std::unique_ptr<QTemporaryDir> dir_;
    ViewController w{MpvPlayer::Output::None};
    QTemporaryDir out;
    std::optional<ClipChoices> choices;
    QString target, result;
    QStringList spans, suggestions, told;
};

// What the window shows of the row at a moment of it: the labels, and the car on the map.
QStringList onScreen(ViewController& w, int row, double seconds) {
    w.playTheVideo(row);
    w.tick({int64_t(seconds * 1000), 1000});
    QStringList shown{labelText(w, "gx"), labelText(w, "gy"), labelText(w, "gz"), labelText(w, "sampleSpeed"),
                      labelText(w, "sampleDate")};
    for (const MapAnnotation& a : w.tripMap().markers(MapAnnotation::Kind::Vehicle))
        shown << QStringLiteral("car at %1,%2").arg(a.coordinate.latitude, 0, 'g', 10).arg(a.coordinate.longitude, 0, 'g', 10);
    return shown;
}

// The points of the chart's three G plots.
QList<qsizetype> plotted(const ViewController& w) {
    QList<qsizetype> points;
    for (auto* series : chartView(w).chart()->series())
        if (series->name().endsWith(QLatin1String(" Plot"))) points << static_cast<QXYSeries*>(series)->count();
    return points;
}

TEST_F(ClipExportWindow, WritesTheMarkedSpanOrSaysWhyNotAndCancelLeavesNoFile) {
    using Mode = clips::ClipMode;
    struct Moment {
        int row;
        double seconds;
    };
    const struct {
        const char* name;
        std::optional<TimelineMark> in, out;
        std::optional<ClipChoices> choices;  // nullopt: the dialog is cancelled
        const char* target;
        const char* result;    // "ok", an error, or empty: nothing started
        double seconds;        // video and sound; 0: not checked (key frames decide)
        const char* streams;
        const char* told;      // part of the message shown, empty: none
        std::optional<Moment> shown;  // what the clip, opened in the window, shows 1.5 s in
        const char* length;           // its row's length
    } cases[] = {
        {"exact across two, overlay", TimelineMark{0, 2.2}, TimelineMark{1, 1.5}, ClipChoices{Mode::Exact, true, false, std::nullopt},
         "across.mp4", "ok", 2.3, "subtitle\nvideo\naudio\n", "", Moment{1, 0.7}, "00:02"},
        {"exact into a silent recording", TimelineMark{1, 2}, TimelineMark{2, 1}, ClipChoices{Mode::Exact, false, false, std::nullopt},
         "silent.mp4", "ok", 2.0, "subtitle\nvideo\naudio\n", "", Moment{2, 0.5}, "00:02"},
        // From the recording's only key frame, its first.
        {"fast keeps the telemetry", TimelineMark{0, 1}, TimelineMark{1, 1}, ClipChoices{Mode::Fast, false, false, std::nullopt},
         "fast.mp4", "ok", 0, "subtitle\nvideo\naudio\n", "", Moment{0, 1.5}, "00:04"},
        {"fast without location", TimelineMark{0, 1}, TimelineMark{1, 1}, ClipChoices{Mode::Fast, false, true, std::nullopt},
         "private.mp4", "ok", 0, "video\naudio\n", "", std::nullopt, ""},
        {"no marks", std::nullopt, std::nullopt, ClipChoices{}, "x.mp4", "", 0, "", "Mark In (I) and Mark Out (O) first", std::nullopt, ""},
        {"Out before In", TimelineMark{1, 1}, TimelineMark{0, 2}, ClipChoices{}, "x.mp4", "", 0, "", "before Mark In", std::nullopt, ""},
        {"into another trip", TimelineMark{2, 1}, TimelineMark{3, 0.5}, ClipChoices{}, "x.mp4", "", 0, "",
         "REC_0004.MP4 does not follow REC_0003.MP4", std::nullopt, ""},
        {"dialog cancelled", TimelineMark{0, 1}, TimelineMark{0, 2}, std::nullopt, "x.mp4", "", 0, "", "", std::nullopt, ""},
        {"ffmpeg fails", TimelineMark{0, 1}, TimelineMark{0, 2}, ClipChoices{}, "none/x.mp4", "", 0, "",
         "The clip was not written", std::nullopt, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        told.clear();
        w.marking().setMarks(c.in, c.out);
        choices = c.choices;
        target = QDir(out.path()).filePath(QString::fromUtf8(c.target));
        exportClip();
        EXPECT_TRUE(told.join('\n').contains(QString::fromUtf8(c.told))) << told.join('\n').toStdString();
        EXPECT_EQ(told.isEmpty(), *c.told == 0);
        if (*c.told) { EXPECT_FALSE(QFile::exists(target)); }
        if (QString::fromUtf8(c.result) != QLatin1String("ok")) continue;
        EXPECT_EQ(result, QStringLiteral("ok"));
        EXPECT_EQ(probe(target, "stream=codec_type"), c.streams);
        if (c.seconds > 0) {
            std::istringstream durations(probe(target, "stream=duration"));
            for (std::string line; std::getline(durations, line);) EXPECT_NEAR(std::stod(line), c.seconds, kFrame) << line;
        }
        EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QString::fromUtf8(c.target)});
        QFile fresh(QDir(out.path()).filePath(QStringLiteral("fresh")));  // as readable as any new file
        ASSERT_TRUE(fresh.open(QIODevice::WriteOnly));
        EXPECT_EQ(QFileInfo(target).permissions(), fresh.permissions());
        fresh.remove();
        if (c.shown) {  // reviewed in the window as its recordings are
            ASSERT_TRUE(openIndexed(w, {target}));
            const int row = shownRowCount(w) - 1;
            EXPECT_EQ(shownCell(w, row, FileTableModel::Time), QString::fromUtf8(c.length));
            const QStringList clip = onScreen(w, row, 1.5);
            const qsizetype seconds = QString::fromUtf8(c.length).section(':', 1).toInt();
            EXPECT_EQ(plotted(w), QList<qsizetype>(3, seconds));
            EXPECT_EQ(clip, onScreen(w, c.shown->row, c.shown->seconds));
            EXPECT_EQ(clip.size(), 6);  // the car among them
        }
        QFile::remove(target);
    }
    // Never over a listed recording, in the span or not, however its name is spelled.
    QTemporaryDir links;
    ASSERT_TRUE(QFile::link(dir_->path(), links.filePath("card")));
    for (const char* name : {"card/REC_0001.MP4", "card/REC_0004.MP4"}) {
        SCOPED_TRACE(name);
        told.clear();
        w.marking().setMarks(TimelineMark{0, 1}, TimelineMark{1, 1});
        choices = ClipChoices{};
        target = links.filePath(QString::fromUtf8(name));
        const qint64 size = QFileInfo(target).size();
        exportClip();
        EXPECT_EQ(told, QStringList{target + " is a recording in the list: a clip cannot take its place; choose another name."});
        EXPECT_EQ(result, "");  // nothing started
        EXPECT_EQ(QFileInfo(target).size(), size);
    }

    // The dialog names the span; the save dialog proposes a name beside the first recording.
    EXPECT_EQ(spans.first(), QStringLiteral("2.3 s from REC_0001.MP4 at 0:02.2 to REC_0002.MP4 at 0:01.5"));
    EXPECT_EQ(suggestions.first(), QDir(dir_->path()).filePath(QStringLiteral("REC_0001_clip.mp4")));

    // Cancel in the progress dialog at once (the recordings' sound still being probed)
    // or once ffmpeg reports: no clip, no partial file, no message.
    told.clear();
    w.marking().setMarks(TimelineMark{0, 0}, TimelineMark{2, 2});
    choices = ClipChoices{};
    target = QDir(out.path()).filePath(QStringLiteral("cancelled.mp4"));
    auto cancel = [&] {
        QProgressDialog* dialog = w.clipExport().progressDialog();
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QPushButton*>()->click();
    };
    for (const bool atOnce : {true, false}) {
        SCOPED_TRACE(atOnce ? "at once" : "on progress");
        int progressed = 0;
        const auto connection = QObject::connect(&w.clipExport(), &ClipExportAction::progress, &w.clipExport(), [&] {
            if (!atOnce && progressed++ == 0) cancel();
        });
        exportClip(atOnce ? std::function<void()>(cancel) : nullptr);
        QObject::disconnect(connection);
        EXPECT_EQ(progressed > 0, !atOnce);
        EXPECT_EQ(result, QStringLiteral("cancelled"));
        EXPECT_EQ(told, QStringList{});
        EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});
    }
}

// The overlay is drawn by re-encoding: Fast turns it off, whatever the box says.
TEST(ClipExportDialog, OverlayAndChannelsWithExactOnly) {
    for (const bool fast : {false, true}) {
        SCOPED_TRACE(fast ? "fast" : "exact");
        ClipExportDialog dialog(QStringLiteral("span"));
        const auto boxes = dialog.findChildren<QCheckBox*>();
        ASSERT_EQ(boxes.size(), 2);
        for (QCheckBox* box : boxes) box->setChecked(true);  // overlay, remove location
        QComboBox* channels = dialog.findChild<QComboBox*>();
        ASSERT_TRUE(channels);
        channels->setCurrentText(QStringLiteral("Side by Side"));
        dialog.findChildren<QRadioButton*>().at(fast ? 1 : 0)->setChecked(true);
        const ClipChoices c = dialog.choices();
        EXPECT_EQ(std::tuple(c.mode, c.overlay, c.removeLocation, boxes.at(0)->isEnabled(), channels->isEnabled()),
                  std::tuple(fast ? clips::ClipMode::Fast : clips::ClipMode::Exact, !fast, true, !fast, !fast));
        EXPECT_EQ(c.channels, fast ? std::nullopt : std::optional(clips::ClipLayout::SideBySide));
    }
}

}  // namespace
