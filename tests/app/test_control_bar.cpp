// The control bar: the volume slider and mute button follow the player and the
// Mute and Volume actions, greyed for a recording without sound; in full screen
// the video alone, the bar shown while the pointer moves. At a laptop's size and a
// desktop's, every control keeps its room and the map a third of the width.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSlider>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "AppTestSupport.h"
#include "FileTableModel.h"
#include "PlayableMp4.h"
#include "Process.h"
#include "ViewController.h"

namespace {

void clickRow(QWidget& w, int row) {
    QTableView& table = recordingsTable(w);
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.visualRect(table.model()->index(row, 0)).center());
}

}  // namespace

TEST(ControlBar, VolumeAndMuteOnTheBarGreyedWithoutSound) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir dir;
    const auto parts = testgen::cutDrive({.seconds = 4}, {2, 2}, 0);
    testgen::writePlayable(QDir(dir.path()).filePath("REC_0001.MP4").toStdString(), {parts[0], 160, 120, 10, true});
    testgen::writePlayable(QDir(dir.path()).filePath("REC_0002.MP4").toStdString(), {parts[1], 160, 120, 10, false});

    ViewController w{MpvPlayer::Output::None};
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    auto* slider = w.findChild<QSlider*>(QStringLiteral("volumeSlider"));
    auto* mute = w.findChild<QToolButton*>(QStringLiteral("muteButton"));
    ASSERT_TRUE(slider && mute);
    EXPECT_FALSE(slider->isEnabled() || mute->isEnabled());  // nothing open, nothing to hear
    ASSERT_TRUE(openIndexed(w, {dir.path()}));

    clickRow(w, 0);
    ASSERT_TRUE(waitUntil([&] { return slider->isEnabled() && mute->isEnabled(); }, 10000));
    EXPECT_EQ(slider->value(), 100);
    QTest::keyClick(&w, Qt::Key_9);  // Volume Down
    QTest::keyClick(&w, Qt::Key_9);
    EXPECT_EQ(slider->value(), 80);
    QTest::keyClick(&w, Qt::Key_0);
    EXPECT_EQ(slider->value(), 90);
    slider->setValue(30);  // as a drag of the knob does
    QTest::keyClick(&w, Qt::Key_0);
    EXPECT_EQ(slider->value(), 40);  // the player took the slider's level
    for (int i = 0; i < 12; ++i) QTest::keyClick(&w, Qt::Key_0);
    EXPECT_EQ(slider->value(), 100);  // full is the file's own level, not amplified

    QTest::keyClick(&w, Qt::Key_M);
    EXPECT_TRUE(mute->isChecked());
    mute->click();
    EXPECT_FALSE(mute->isChecked());
    EXPECT_FALSE(actionNamed(w, "&Mute").isChecked());  // the menu says the same
    mute->click();
    EXPECT_TRUE(actionNamed(w, "&Mute").isChecked());

    clickRow(w, 1);  // silent
    ASSERT_TRUE(waitUntil([&] { return !slider->isEnabled() && !mute->isEnabled(); }, 10000));
    EXPECT_TRUE(mute->isChecked());  // the muting is the player's, kept across recordings
    clickRow(w, 0);
    ASSERT_TRUE(waitUntil([&] { return slider->isEnabled() && mute->isEnabled(); }, 10000));
    EXPECT_EQ(slider->value(), 100);
}

// What the bar shows is what mpv plays at.
TEST(ControlBar, ThePlayersLevelAndMutingReachMpv) {
    MpvPlayer player{MpvPlayer::Output::None};
    ASSERT_TRUE(player.usable());
    const auto mpvVolume = [&] {
        double v = -1;
        mpv_get_property(player.handle(), "volume", MPV_FORMAT_DOUBLE, &v);
        return v;
    };
    const auto mpvMuted = [&] {
        int flag = -1;
        mpv_get_property(player.handle(), "mute", MPV_FORMAT_FLAG, &flag);
        return flag;
    };
    player.setVolume(40);
    player.changeVolume(-15);
    EXPECT_TRUE(waitUntil([&] { return mpvVolume() == 25.0; }, 5000)) << mpvVolume();
    player.changeVolume(500);
    EXPECT_TRUE(waitUntil([&] { return mpvVolume() == 100.0; }, 5000)) << mpvVolume();
    player.setMuted(true);
    EXPECT_TRUE(waitUntil([&] { return mpvMuted() == 1; }, 5000));
    player.setMuted(false);
    EXPECT_TRUE(waitUntil([&] { return mpvMuted() == 0; }, 5000));
}

TEST(ControlBar, FullScreenShowsTheVideoAloneAndTheBarWhileThePointerMoves) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir dir;
    testgen::writePlayable(QDir(dir.path()).filePath("REC_0001.MP4").toStdString(),
                           {testgen::simulateDrive({.seconds = 3}), 160, 120, 10, false});
    ViewController w{MpvPlayer::Output::None};
    w.resize(1024, 640);
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QWidget* bar = w.findChild<QWidget*>(QStringLiteral("controlBar"));
    ASSERT_NE(bar, nullptr);
    QTest::keyClick(&w, Qt::Key_F);
    EXPECT_FALSE(w.isFullScreen());  // nothing open to show
    ASSERT_TRUE(openIndexed(w, {dir.path()}));
    clickRow(w, 0);
    QWidget* fullScreenButton = nullptr;
    for (QToolButton* b : bar->findChildren<QToolButton*>())
        if (b->toolTip().startsWith("Full screen")) fullScreenButton = b;
    ASSERT_NE(fullScreenButton, nullptr);
    ASSERT_TRUE(waitUntil([&] { return fullScreenButton->isVisible(); }, 10000));

    QTest::keyClick(&w, Qt::Key_F);
    ASSERT_TRUE(w.isFullScreen());
    EXPECT_FALSE(w.menuBar()->isVisible() || recordingsTable(w).isVisible() || eventsList(w).isVisible());
    EXPECT_TRUE(bar->isVisible());  // at first, then it steps aside
    ASSERT_TRUE(waitUntil([&] { return !bar->isVisible(); }, 6000));
    // The picture is what the bar leaves: the panel's first child that is not the bar.
    QWidget* picture = bar->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).first();
    ASSERT_NE(picture, bar);
    QTest::mouseMove(picture, picture->rect().center());
    EXPECT_TRUE(bar->isVisible());
    ASSERT_TRUE(waitUntil([&] { return !bar->isVisible(); }, 6000));
    QTest::keyClick(&w, Qt::Key_F);  // the key still works with the bar hidden
    EXPECT_FALSE(w.isFullScreen());
    EXPECT_TRUE(w.menuBar()->isVisible() && bar->isVisible() && recordingsTable(w).isVisible());

    // A double-click on the picture goes in and out.
    QWidget* video = nullptr;
    for (QWidget* shown : picture->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (shown->isVisible()) video = shown;
    ASSERT_NE(video, nullptr);
    QTest::mouseDClick(video, Qt::LeftButton);
    EXPECT_TRUE(w.isFullScreen());
    QTest::mouseDClick(video, Qt::LeftButton);
    EXPECT_FALSE(w.isFullScreen());
}

TEST(ControlBar, EveryControlKeepsItsRoomAndTheMapAThird) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir dir;
    const QDir day1(QDir(dir.path()).filePath("2024_0612")), day2(QDir(dir.path()).filePath("2024_0613"));
    ASSERT_TRUE(day1.mkpath(".") && day2.mkpath("."));
    const auto parts = testgen::cutDrive({.seconds = 4}, {2, 2}, 0);
    // A camera's long names, differing only near their end.
    const QString name = "20240612_101500_0001F.MP4";
    testgen::writePlayable(day1.filePath(name).toStdString(), {parts[0], 160, 120, 10, true});
    testgen::writePlayable(day2.filePath("20240613_080000_0002F.MP4").toStdString(), {parts[1], 160, 120, 10, true});

    ViewController w{MpvPlayer::Output::None};
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_TRUE(openIndexed(w, {day1.path(), day2.path()}));  // two folders: the Folder column shows
    clickRow(w, 0);
    ASSERT_TRUE(waitUntil([&] { return positionSlider(w).maximum() > 0; }, 10000));
    auto* bar = w.findChild<QWidget*>(QStringLiteral("controlBar"));
    ASSERT_NE(bar, nullptr);
    QTableView& table = recordingsTable(w);
    const QModelIndex file = table.model()->index(0, FileTableModel::File);
    EXPECT_EQ(file.data(Qt::ToolTipRole).toString(), day1.filePath(name));

    // The user gives the map all the room the video would yield, dragging the handle between them.
    auto* split = qobject_cast<QSplitter*>(mapOf(w).parentWidget());
    ASSERT_NE(split, nullptr);
    const auto dragMapHandle = [&] {
        QSplitterHandle* handle = split->handle(split->indexOf(&mapOf(w)));
        const QPoint from = handle->rect().center(), to(handle->mapFromGlobal(split->mapToGlobal(QPoint())).x(), from.y());
        for (const auto& [type, at, buttons] : {std::tuple(QEvent::MouseButtonPress, from, Qt::LeftButton),
                                                std::tuple(QEvent::MouseMove, to, Qt::LeftButton),
                                                std::tuple(QEvent::MouseButtonRelease, to, Qt::NoButton)}) {
            QMouseEvent event(type, at, handle->mapToGlobal(at), Qt::LeftButton, buttons, {});
            QApplication::sendEvent(handle, &event);
        }
    };
    const struct {
        QSize size;
        bool dragged;
    } cases[] = {{{1024, 640}, false}, {{1280, 800}, false}, {{1280, 800}, true}};
    for (const auto& [size, dragged] : cases) {
        SCOPED_TRACE(size.width() + dragged);
        w.resize(size);
        ASSERT_TRUE(waitUntil([&] { return w.size() == size; }, 5000));
        QCoreApplication::processEvents();
        if (dragged) {
            const int before = mapOf(w).width();
            dragMapHandle();
            EXPECT_GT(mapOf(w).width(), before) << "the handle did not move";
        }
        if (size.width() >= 1280) {
            EXPECT_GE(3 * mapOf(w).width(), w.width()) << mapOf(w).width();
        }
        EXPECT_GE(positionSlider(w).width(), 200);
        for (QWidget* control : bar->findChildren<QWidget*>()) {
            if (!qobject_cast<QAbstractButton*>(control) && !qobject_cast<QAbstractSlider*>(control)) continue;
            const std::string what = (control->toolTip() + " " + control->objectName()).toStdString();
            EXPECT_TRUE(control->isVisible()) << what;
            // Below its size hint only where it is made so (the volume slider's fixed width).
            const int least = control == &positionSlider(w) ? 200 : std::min(control->sizeHint().width(), control->maximumWidth());
            EXPECT_GE(control->width(), least) << what;
        }
        // The name as the table draws it in its column keeps the number that tells it apart.
        const int room = table.columnWidth(FileTableModel::File) - 2 * (table.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) - 1;
        const QString shown = table.fontMetrics().elidedText(name, table.textElideMode(), room);
        EXPECT_TRUE(shown.contains("0001F")) << shown.toStdString() << " in " << room << " px";
        EXPECT_GE(room, table.fontMetrics().horizontalAdvance(QStringLiteral("2024…0001F.MP4"))) << room;
    }
}
