// Steering the real player from the chart and marking a clip span: a click on the
// chart seeks there and the cursor follows, I and O mark the span on the slider.
#include <gtest/gtest.h>

#include <QDir>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QChartView>
#include <QTemporaryDir>
#include <QTest>

#include "AppTestSupport.h"
#include "ChartInteraction.h"
#include "FileTableView.h"
#include "MarkedSlider.h"
#include "PlayableMp4.h"
#include "ViewController.h"

namespace {
double seconds(MediaTime t) { return double(t.value) / t.timescale; }
}  // namespace

TEST(ChartSteeringE2E, ClickOnTheChartSeeksAndIOMarkTheSpan) {
    QTemporaryDir dir;
    testgen::DriveOptions drive;
    drive.seconds = 10;
    testgen::PlayableOptions o;
    o.lines = testgen::simulateDrive(drive);
    testgen::writePlayable(QDir(dir.path()).filePath(QStringLiteral("REC_0001.MP4")).toStdString(), o);

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

    // To the frame under the pointer, not the whole second.
    for (double target : {7.4, 2.6}) {
        SCOPED_TRACE(target);
        const std::optional<QPoint> at = w.chartSteering->viewportPointFor(target);
        ASSERT_TRUE(at);
        QTest::mouseClick(w.hostView->viewport(), Qt::LeftButton, {}, *at);
        ASSERT_TRUE(waitUntil([&] { return std::abs(seconds(w.player->currentTime()) - target) < 0.15; }, 5000))
            << "at " << seconds(w.player->currentTime());
        QTest::qWait(100);  // the seek's tick
        EXPECT_NEAR(*w.chartSteering->cursorSeconds(), seconds(w.player->currentTime()), 0.05);
        EXPECT_NEAR(w.chartSteering->cursorItem()->line().x1(), w.hostView->mapToScene(*at).x(), 2.0);
    }

    // In at 2.6 s, Out after a frame step at 6 s: the span on the slider and the chart.
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_I);
    w.player->seekToSeconds(6);
    // Stepped once the seek has landed (its tick has moved the cursor).
    ASSERT_TRUE(waitUntil([&] { return std::abs(*w.chartSteering->cursorSeconds() - 6.0) < 0.05; }, 5000));
    QTest::qWait(100);
    const double before = seconds(w.player->currentTime());
    QTest::keyClick(&w, Qt::Key_Period);
    ASSERT_TRUE(waitUntil([&] { return *w.chartSteering->cursorSeconds() > before + 0.05; }, 5000))  // the cursor steps too
        << *w.chartSteering->cursorSeconds() << " at " << seconds(w.player->currentTime()) << " from " << before;
    QTest::keyClick(&w, Qt::Key_O);
    ASSERT_TRUE(w.markIn && w.markOut);
    EXPECT_NEAR(w.markIn->seconds, 2.6, 0.15);
    EXPECT_NEAR(w.markOut->seconds, 6.1, 0.05);
    const auto span = static_cast<MarkedSlider*>(w.slider_video)->span();
    ASSERT_TRUE(span);
    EXPECT_NEAR(span->first, 2600, 150);
    EXPECT_NEAR(span->second, 6100, 50);
    EXPECT_TRUE(w.chartSteering->spanItem()->isVisible());
    // Out before In is refused.
    w.player->seekToSeconds(1);
    ASSERT_TRUE(waitUntil([&] { return seconds(w.player->currentTime()) < 1.05; }, 5000));
    QTest::keyClick(&w, Qt::Key_O);
    EXPECT_NEAR(w.markOut->seconds, 6.1, 0.05);
}
