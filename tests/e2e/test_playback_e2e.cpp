// A user's session with the real player: index three playable recordings, play
// one, check that the labels follow the video, seek, pause, take a snapshot, and
// let a recording end into the next.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>

#include "AppTestSupport.h"
#include "FileTableView.h"
#include "MpvVideoWidget.h"
#include "PlayableMp4.h"
#include "PlaybackTick.h"
#include "QtPrinters.h"
#include "VideoPanel.h"
#include "ViewController.h"

namespace {

QTemporaryDir* recordings = nullptr;

class PlaybackTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        recordings = new QTemporaryDir;
        testgen::DriveOptions drive;
        drive.seconds = 14;
        const auto lines = testgen::simulateDrive(drive);
        const int lengths[3] = {6, 5, 3};
        int from = 0;
        for (int i = 0; i < 3; ++i) {
            testgen::PlayableOptions o;
            o.lines.assign(lines.begin() + from, lines.begin() + from + lengths[i]);
            from += lengths[i];
            o.width = 320, o.height = 240, o.fps = 10;
            testgen::writePlayable(QDir(recordings->path()).filePath(QStringLiteral("REC_000%1.MP4").arg(i + 1)).toStdString(), o);
        }
    }
    static void TearDownTestSuite() { delete recordings; }

    // The sample a tick at this time must show.
    static const telemetry::Class_Subtitle_Info& sampleAt(const ViewController& w, MediaTime t) {
        const auto& record = *w.library.currentStorageVideo.video_list.at(w.library.currentStorageVideo.indexOfNowPlaying);
        const uint32_t index = tickSampleIndex(tickPositionMs(t.value, t.timescale), record);
        return (*record.array_SubtileInfo).at(index);
    }
};

}  // namespace

TEST_F(PlaybackTest, UserSession) {
    LogCapture log;
    ViewController w;
    w.resize(1280, 800);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_TRUE(w.openPaths({recordings->path()}));
    ASSERT_TRUE(waitUntil([&] { return !w.isIndexing(); }));
    ASSERT_EQ(w.tableView->model()->rowCount(), 3);

    // Every tick's labels and vehicle marker must be those of the sample for its time.
    int ticks = 0, mismatches = 0;
    QObject::connect(w.player, &MediaPlayer::tick, &w, [&](MediaTime t) {
        ++ticks;
        const auto& sample = sampleAt(w, t);
        const TickTexts e = tickTexts(sample, w.UserSettingSpeedUnit);
        if (w.label_gx->text() != e.gx || w.label_speed->text() != e.speed || w.label_date->text() != e.date) ++mismatches;
        const MarkerPosition m = tickMarker(sample);
        QList<MapAnnotation> markers = w.mapView->annotations();
        markers.removeIf([](const MapAnnotation& a) { return a.title != QLatin1String("Start"); });
        if (markers.size() != 1 || markers.first().coordinate.latitude != m.latitude ||
            markers.first().coordinate.longitude != m.longitude)
            ++mismatches;
    });
    auto* video = qobject_cast<MpvVideoWidget*>(w.playerView->video());
    ASSERT_NE(video, nullptr) << "no OpenGL video widget under Xvfb";
    int framesDrawn = 0;
    QElapsedTimer sinceClick;
    qint64 firstFrameMs = -1;
    QObject::connect(video, &MpvVideoWidget::frameDrawn, &w, [&] {
        if (framesDrawn++ == 0) firstFrameMs = sinceClick.elapsed();
    });

    const QRect row0 = w.tableView->visualRect(w.tableView->model()->index(0, 0));
    sinceClick.start();
    QTest::mouseClick(w.tableView->viewport(), Qt::LeftButton, {}, row0.center());
    ASSERT_TRUE(w.player->isPlaying());
    EXPECT_TRUE(log.contains("File Exists"));
    EXPECT_TRUE(log.contains("duration: 6.00"));
    EXPECT_EQ(w.slider_video->maximum(), 6000);
    ASSERT_TRUE(waitUntil([&] { return firstFrameMs >= 0; }, 10000));
    std::printf("click to first frame: %lld ms\n", static_cast<long long>(firstFrameMs));

    // Offline, with no routing: the recorded track, in red.
    ASSERT_TRUE(waitUntil([&] { return w.mapView->overlays().size() == 1; }, 5000));
    EXPECT_TRUE(log.contains("ERROR"));
    EXPECT_EQ(w.rendererForOverlay(w.mapView->overlays().first()).color(), QColor(Qt::red));
    EXPECT_EQ(w.mapView->overlays().first().points.size(), 3);  // samples 0 and 5, and the last one

    // Play a couple of seconds: the labels move on with the video.
    const QString firstDate = w.label_date->text();
    ASSERT_TRUE(waitUntil([&] { return w.player->currentTime().value >= 2'200'000'000; }, 10000));
    EXPECT_NE(w.label_date->text(), firstDate);
    EXPECT_TRUE(log.contains("Play"));
    EXPECT_GE(w.slider_video->value(), 2000);

    // Seek with the slider to 4 s: the next tick shows sample 4.
    w.slider_video->setValue(4000);
    w.sliderValueChanged();
    EXPECT_TRUE(log.contains("slider chagne 4000.000000"));
    ASSERT_TRUE(waitUntil([&] { return w.player->currentTime().value >= 4'000'000'000; }, 5000));
    QTest::qWait(100);
    const auto& rec0 = *w.library.currentStorageVideo.video_list.at(0);
    EXPECT_EQ(w.label_date->text(), tickTexts((*rec0.array_SubtileInfo)[4], w.UserSettingSpeedUnit).date);

    // Pause and resume.
    w.player->pause();
    ASSERT_TRUE(waitUntil([&] { return !w.player->isPlaying(); }, 3000));
    EXPECT_TRUE(log.contains("Pause"));
    const MediaTime pausedAt = w.player->currentTime();

    // Snapshot of the paused frame, at the video's own size.
    QTemporaryDir snaps;
    w.UserSeetingCapturePath = snaps.path() + "/";
    w.btn_snapshot();
    const QStringList pngs = QDir(snaps.path()).entryList({"REC_0001.MP4_*.png"});
    ASSERT_EQ(pngs.size(), 1);
    EXPECT_EQ(QImage(QDir(snaps.path()).filePath(pngs.first())).size(), QSize(320, 240));
    EXPECT_EQ(w.player->currentTime().value, pausedAt.value);  // still paused where it was

    const size_t playsBefore = std::count(log.lines.begin(), log.lines.end(), "Play");
    w.player->play();
    ASSERT_TRUE(waitUntil([&] { return w.player->isPlaying(); }, 3000));
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), "Play"), long(playsBefore + 1));

    // The end of the first recording opens the second, selected in the table.
    ASSERT_TRUE(waitUntil([&] { return w.library.currentStorageVideo.indexOfNowPlaying == 1; }, 10000));
    EXPECT_TRUE(log.contains("Video End"));
    EXPECT_EQ(w.tableView->selectionModel()->selectedRows().value(0).row(), 1);
    ASSERT_TRUE(waitUntil([&] { return w.player->isPlaying(); }, 3000));
    EXPECT_EQ(w.slider_video->maximum(), 5000);

    EXPECT_GT(ticks, 5);
    EXPECT_EQ(mismatches, 0);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("XDG_CACHE_HOME", config.path().toUtf8());
    qputenv("DASHCAM_TILE_URL", "");     // offline: the map draws on its plain background
    qputenv("DASHCAM_ROUTING_URL", "");  // no routing: the recorded track is drawn
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");  // libmpv's requirement
    return RUN_ALL_TESTS();
}
