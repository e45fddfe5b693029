// A real click on the drawn track, in a real window with the real player: the
// video goes to the second of the sample under the pointer.
#include <gtest/gtest.h>

#include <QLabel>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include "AppTestSupport.h"
#include "FileTableView.h"
#include "PlayableMp4.h"
#include "PlaybackTick.h"
#include "PositionFix.h"
#include "ViewController.h"

TEST(MapClick, ClickOnTheTrackSeeksToTheSampleThere) {
    QTemporaryDir dir;
    testgen::DriveOptions drive;  // due east, fast and straight: the samples lie apart on screen
    drive.seconds = 8, drive.startHeading = 90, drive.startSpeedKmh = 80, drive.turnNoise = drive.speedNoise = 0;
    testgen::PlayableOptions o;
    o.lines = testgen::simulateDrive(drive);
    o.width = 160, o.height = 120;
    testgen::writePlayable(dir.filePath("REC_0001.MP4").toStdString(), o);

    ViewController w;
    w.resize(1280, 800);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_TRUE(w.openPaths({dir.path()}));
    ASSERT_TRUE(waitUntil([&] { return !w.isIndexing(); }));
    const QRect cell = w.tableView->visualRect(w.tableView->model()->index(0, 0));
    QTest::mouseClick(w.tableView->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_TRUE(waitUntil([&] { return w.player->isPlaying(); }, 5000));
    w.player->pause();
    w.player->seekToSeconds(0);
    ASSERT_TRUE(waitUntil([&] { return !w.player->isPlaying() && w.player->currentTime().value < 500'000'000; }, 5000));

    const auto& record = *w.library.currentStorageVideo.video_list.at(0);
    for (const int sample : {5, 2}) {
        SCOPED_TRACE(sample);
        const auto fix = telemetry::positionFix((*record.array_SubtileInfo).at(size_t(sample)));
        ASSERT_TRUE(fix);
        w.mapView->setView({fix->latitude, fix->longitude}, 18);
        const QPoint at = w.mapView->toWidget({fix->latitude, fix->longitude}).toPoint() + QPoint(2, -2);
        QTest::mouseClick(w.mapView, Qt::LeftButton, {}, at);
        ASSERT_TRUE(waitUntil([&] { return std::abs(w.player->currentTime().value - sample * 1'000'000'000LL) < 50'000'000; }, 5000))
            << "at " << w.player->currentTime().value;
        EXPECT_EQ(w.slider_video->value(), sample * 1000);
        const TickTexts shown = tickTexts((*record.array_SubtileInfo).at(size_t(sample)), w.UserSettingSpeedUnit);
        EXPECT_TRUE(waitUntil([&] { return w.label_date->text() == shown.date; }, 3000)) << w.label_date->text().toStdString();
    }
}
