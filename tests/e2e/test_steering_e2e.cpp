// Steering the real player in a real window: a click on the drawn track goes to the
// sample's second, a click on the chart to the frame there with the cursor following,
// and I and O mark the span on the slider and the chart.
#include <gtest/gtest.h>

#include <QChartView>
#include <QGraphicsRectItem>
#include <QTemporaryDir>
#include <QTest>

#include "AppTestSupport.h"
#include "Card.h"
#include "Process.h"
#include "VideoPanel.h"
#include "ClipMarking.h"
#include "ChartInteraction.h"
#include "FileTableView.h"
#include "MarkedSlider.h"
#include "PlayableMp4.h"
#include "PositionFix.h"
#include "PlaybackSession.h"
#include "ViewController.h"

namespace {
double seconds(MediaTime t) { return double(t.value) / t.timescale; }
}  // namespace

TEST(SteeringE2E, TrackAndChartClicksSeekAndIOMarkTheSpan) {
    QTemporaryDir dir;
    // Due east, fast and straight: the samples lie apart on screen.
    const testgen::DriveOptions drive{.seconds = 10, .startHeading = 90, .startSpeedKmh = 80, .turnNoise = 0,
                                      .speedNoise = 0};
    const testgen::PlayableOptions video{.lines = testgen::simulateDrive(drive), .width = 160, .height = 120};
    testgen::writePlayable(dir.filePath("REC_0001.MP4").toStdString(), video);
    ViewController w;
    w.resize(1280, 800);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_TRUE(openIndexed(w, {dir.path()}));
    QTableView& table = recordingsTable(w);
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.visualRect(table.model()->index(0, 0)).center());
    const MediaPlayer& player = w.session().player();
    ASSERT_TRUE(waitUntil([&] { return player.isPlaying(); }, 5000));
    actionNamed(w, "&Play/Pause").trigger();
    ASSERT_TRUE(waitUntil([&] { return !player.isPlaying(); }, 5000));

    const telemetry::Class_Video_Info record = recordingInFile(dir.filePath("REC_0001.MP4"));
    for (const int sample : {5, 2}) {
        SCOPED_TRACE(sample);
        const auto fix = telemetry::positionFix((*record.array_SubtileInfo).at(size_t(sample)));
        ASSERT_TRUE(fix);
        mapOf(w).setView({fix->latitude, fix->longitude}, 18);
        const QPoint at = mapOf(w).toWidget({fix->latitude, fix->longitude}).toPoint() + QPoint(2, -2);
        QTest::mouseClick(&mapOf(w), Qt::LeftButton, {}, at);
        ASSERT_TRUE(waitUntil([&] { return std::abs(seconds(player.currentTime()) - sample) < 0.05; }, 5000))
            << "at " << seconds(player.currentTime());
        EXPECT_EQ(positionSlider(w).value(), sample * 1000);
    }

    // To the frame under the pointer, not the whole second.
    for (double target : {7.4, 2.6}) {
        SCOPED_TRACE(target);
        const std::optional<QPoint> at = w.chartSteering().viewportPointFor(target);
        ASSERT_TRUE(at);
        QTest::mouseClick(chartView(w).viewport(), Qt::LeftButton, {}, *at);
        ASSERT_TRUE(waitUntil([&] { return std::abs(seconds(player.currentTime()) - target) < 0.15; }, 5000))
            << "at " << seconds(player.currentTime());
        QTest::qWait(100);  // the seek's tick
        EXPECT_NEAR(*w.chartSteering().cursorSeconds(), seconds(player.currentTime()), 0.05);
    }

    // In at 2.6 s, Out after a frame step from 6 s.
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_I);
    w.session().seekTo(6);
    // Stepped once the seek has landed (its tick has moved the cursor).
    ASSERT_TRUE(waitUntil([&] { return std::abs(*w.chartSteering().cursorSeconds() - 6.0) < 0.05; }, 5000));
    QTest::qWait(100);
    const double before = seconds(player.currentTime());
    QTest::keyClick(&w, Qt::Key_Period);
    ASSERT_TRUE(waitUntil([&] { return *w.chartSteering().cursorSeconds() > before + 0.05; }, 5000))
        << *w.chartSteering().cursorSeconds() << " at " << seconds(player.currentTime()) << " from " << before;
    QTest::keyClick(&w, Qt::Key_O);
    ASSERT_TRUE(w.marking().in() && w.marking().out());
    EXPECT_NEAR(w.marking().in()->seconds, 2.6, 0.15);
    EXPECT_NEAR(w.marking().out()->seconds, 6.1, 0.05);
    const auto span = static_cast<MarkedSlider&>(positionSlider(w)).span();
    ASSERT_TRUE(span);
    EXPECT_NEAR(span->first, 2600, 150);
    EXPECT_NEAR(span->second, 6100, 50);
    EXPECT_TRUE(w.chartSteering().spanItem()->isVisible());
    // Out before In is refused.
    w.session().seekTo(1);
    ASSERT_TRUE(waitUntil([&] { return seconds(player.currentTime()) < 1.05; }, 5000));
    QTest::keyClick(&w, Qt::Key_O);
    EXPECT_NEAR(w.marking().out()->seconds, 6.1, 0.05);
}

// In the real window a click reaches the picture through mpv's own window: on the small
// picture it makes that channel large, as View > Channels does.
TEST(SteeringE2E, AClickOnTheSmallPictureMakesItsChannelLarge) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir tmp;
    const QString root = tmp.filePath("CARD");
    testgen::writeCard(root.toStdString(), testgen::CardFamily::Novatek, 2);
    ViewController w;
    w.resize(1280, 800);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_TRUE(openIndexed(w, {root}));
    QTableView& table = recordingsTable(w);
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.visualRect(table.model()->index(0, 0)).center());
    const MediaPlayer& player = w.session().player();
    ASSERT_TRUE(waitUntil([&] { return player.isPlaying(); }, 5000));
    ASSERT_EQ(w.session().channels(), (QStringList{"front", "rear"}));
    QWidget* picture = w.playerView->video();
    // The small picture of the 160x120 frame is 40x30 at (118, 88).
    const double scale = std::min(picture->width() / 160.0, picture->height() / 120.0);
    const QPointF origin((picture->width() - 160 * scale) / 2, (picture->height() - 120 * scale) / 2);
    const QPoint small = (origin + QPointF(138, 103) * scale).toPoint();
    ASSERT_NE(picture->childAt(small), nullptr);  // mpv's window's container is what is under the pointer
    QTest::mouseClick(picture->childAt(small), Qt::LeftButton, {}, picture->childAt(small)->mapFrom(picture, small));
    EXPECT_TRUE(waitUntil([&] { return actionNamed(w, "&Rear Large").isChecked(); }, 5000));
    EXPECT_FALSE(w.playerView->isFullScreen());
}
