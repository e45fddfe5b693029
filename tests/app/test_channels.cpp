// A moment's channels on one clock: the player composes the rear picture beside or inside
// the front one, seeks and steps move both, a rear that cannot play leaves the front
// playing; the window opens a card row with its channels and the View menu steers them.
#include <gtest/gtest.h>

#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <sys/stat.h>

#include "AppTestSupport.h"
#include "ChannelLoad.h"
#include "Card.h"
#include "MainMenu.h"
#include "MpvPlayer.h"
#include "PlayableMp4.h"
#include "PlaybackSession.h"
#include "Process.h"
#include "VideoPanel.h"
#include "SettingViewController.h"
#include "SnapshotAction.h"
#include "ViewController.h"

namespace {

// Mean difference per colour channel, b scaled to a's size first.
double difference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.scaled(a.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int r = 0; r < x.height(); ++r)
        for (int c = 0; c < x.width(); ++c) {
            const QRgb p = x.pixel(c, r), q = y.pixel(c, r);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * x.width() * x.height());
}

bool openAndWait(MpvPlayer& player, const QByteArray& path, const QByteArrayList& others = {}) {
    bool ok = false, done = false;
    const uint64_t opening = player.open(path, others);
    auto c = QObject::connect(&player, &MediaPlayer::opened, [&](uint64_t n, MediaPlayer::OpenFailure f, const QString&) {
        if (n == opening) ok = f == MediaPlayer::OpenFailure::None, done = true;
    });
    waitUntil([&] { return done; }, 20000);
    QObject::disconnect(c);
    return ok;
}

// The frame once the player has landed at this time: mpv done seeking and the frame it shows settled.
QImage settledFrame(MpvPlayer& player, double seconds, const QSize& size) {
    QImage frame, before;
    waitUntil([&] {
        double at = -1;
        int seeking = 1;
        mpv_get_property(player.handle(), "time-pos", MPV_FORMAT_DOUBLE, &at);
        mpv_get_property(player.handle(), "seeking", MPV_FORMAT_FLAG, &seeking);
        before = std::exchange(frame, player.currentFrame(nullptr));
        QTest::qWait(30);
        return !seeking && std::abs(at - seconds) < 0.01 && frame.size() == size && frame == before;
    }, 10000);
    return frame;
}

QImage frameAt(MpvPlayer& player, double seconds, const QSize& size) {
    player.seekToTime(seconds);
    return settledFrame(player, seconds, size);
}

QImage alone(const QByteArray& path, double seconds) {
    MpvPlayer player{MpvPlayer::Output::None};
    if (!openAndWait(player, path)) return {};
    return frameAt(player, seconds, QSize(160, 120));
}

QByteArray fileEndingIn(const QString& root, const QString& ending) {
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        if (const QString f = it.next(); f.endsWith(ending)) return QFile::encodeName(f);
    return {};
}

}  // namespace

// The places a click is told by are the ones the graph puts the pictures at.
TEST(Channels, APointOfThePictureNamesTheChannelShownThere) {
    const std::vector<ChannelTrack> three{{1, 1920, 1080}, {2, 1920, 1080}, {3, 1280, 720}};
    const ChannelPlaces pip = channelPlaces(three, ChannelLayout::PictureInPicture, 0);
    EXPECT_EQ(pip.frame, QSize(1920, 1080));
    // Small pictures 480 wide with a 30 margin, from the bottom right corner: the rear, then the interior.
    EXPECT_EQ(pip.places[1], QRect(1410, 780, 480, 270));
    EXPECT_EQ(pip.places[2], QRect(900, 780, 480, 270));
    const QByteArray graph = channelGraph(three, ChannelLayout::PictureInPicture, 0);
    EXPECT_TRUE(graph.contains("[vid2]scale=480:270[p1];[b0][p1]overlay=1410:780[b1]")) << graph.constData();
    EXPECT_TRUE(graph.contains("[vid3]scale=480:270[p2];[b1][p2]overlay=900:780[vo]")) << graph.constData();
    EXPECT_EQ(channelAt(pip, {1500, 900}), 1);
    EXPECT_EQ(channelAt(pip, {1000, 900}), 2);
    EXPECT_EQ(channelAt(pip, {1395, 900}), 0);  // the margin between them is the large picture's
    EXPECT_EQ(channelAt(pip, {100, 100}), 0);
    EXPECT_EQ(channelAt(pip, {1920, 1080.5}), -1);
    // The interior large: the front is the first small picture.
    const ChannelPlaces interior = channelPlaces(three, ChannelLayout::PictureInPicture, 2);
    EXPECT_EQ(interior.frame, QSize(1280, 720));
    EXPECT_EQ(channelAt(interior, {1200, 650}), 0);
    EXPECT_EQ(channelAt(interior, {900, 650}), 1);
    EXPECT_EQ(channelAt(interior, {100, 650}), 2);
    const ChannelPlaces side = channelPlaces(three, ChannelLayout::SideBySide, 1);
    EXPECT_EQ(side.frame, QSize(5760, 1080));
    EXPECT_EQ(channelAt(side, {100, 10}), 1);
    EXPECT_EQ(channelAt(side, {2000, 10}), 0);
    EXPECT_EQ(channelAt(side, {5000, 1000}), 2);
    EXPECT_TRUE(channelPlaces({three[0]}, ChannelLayout::PictureInPicture, 0).places.empty());

    // A 160x120 picture in a wide area: bars left and right, scaled by 5/3.
    EXPECT_FALSE(pictureAt({400, 200}, {160, 120}, {10, 100}));
    EXPECT_FALSE(pictureAt({400, 200}, {160, 120}, {390, 100}));
    const auto at = pictureAt({400, 200}, {160, 120}, {200, 100});
    ASSERT_TRUE(at);
    EXPECT_NEAR(at->x(), 80, 1e-9);
    EXPECT_NEAR(at->y(), 60, 1e-9);
    EXPECT_FALSE(pictureAt({400, 200}, {}, {200, 100}));
}

// mpv's drop counts a second apart: frames dropped second after second mean the channels
// cannot all be decoded in time; a burst, or a trickle, does not.
TEST(Channels, FramesDroppedSteadilyAreFallingBehind) {
    const struct {
        std::vector<int64_t> counts;
        bool behind;
    } cases[] = {
        {{0, 3, 6, 9, 12, 15}, true},
        {{0, 0, 0, 0, 0, 0, 3, 6, 9, 12, 15}, true},   // only the last five seconds count
        {{0, 3, 6, 9, 12}, false},                     // not five seconds yet
        {{0, 40, 40, 40, 40, 40}, false},              // a burst (a program starting)
        {{0, 1, 2, 3, 4, 4}, false},                   // four frames in five seconds
        {{0, 2, 2, 4, 6, 8}, true},                    // one second without in five
        {{0, 2, 2, 4, 4, 8}, false},                   // two without
        {{0, 30, 33, 36, 39, 42, 45, 45, 45, 45, 45}, false},  // it caught up
        {{7, 8, 9, 10, 11, 12}, true},                 // a frame each second, five in all
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const int64_t n : c.counts) shown += std::to_string(n) + " ";
        EXPECT_EQ(fallingBehind(c.counts), c.behind) << shown;
    }
}

TEST(Channels, ThePlayerComposesTheRearBesideOrInsideTheFrontAndPlaysTheFrontWithoutIt) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir tmp;
    const QString root = tmp.filePath("CARD");
    testgen::writeCard(root.toStdString(), testgen::CardFamily::Novatek, 2);
    const QByteArray front = fileEndingIn(root, "_0001F.MP4"), rear = fileEndingIn(root, "_0001R.MP4");
    ASSERT_FALSE(front.isEmpty() || rear.isEmpty());
    const QImage frontAlone = alone(front, 0.5), rearAlone = alone(rear, 0.5);
    ASSERT_GT(difference(frontAlone, rearAlone), 20);  // two pictures a test can tell apart

    MpvPlayer player{MpvPlayer::Output::None};
    player.setChannelView(ChannelLayout::SideBySide, 0);
    ASSERT_TRUE(openAndWait(player, front, {rear}));
    EXPECT_TRUE(player.channelsLeftOut().isEmpty());
    QImage frame = frameAt(player, 0.5, QSize(320, 120));
    ASSERT_EQ(frame.size(), QSize(320, 120));
    EXPECT_LT(difference(frame.copy(0, 0, 160, 120), frontAlone), 6);
    EXPECT_LT(difference(frame.copy(160, 0, 160, 120), rearAlone), 6);

    // Switched while open: the rear large, the front small in the bottom right corner.
    player.setChannelView(ChannelLayout::PictureInPicture, 1);
    frame = frameAt(player, 0.5, QSize(160, 120));
    ASSERT_EQ(frame.size(), QSize(160, 120));
    const QRect corner(118, 88, 40, 30);
    EXPECT_LT(difference(frame.copy(corner), frontAlone), difference(frame.copy(corner), rearAlone.copy(corner)) / 2);
    EXPECT_GT(difference(frame.copy(corner), rearAlone.copy(corner)), 20);
    const QImage top = frame.copy(0, 0, 160, 80);
    EXPECT_LT(difference(top, rearAlone.copy(0, 0, 160, 80)), 6);

    // Told it cannot keep up: the large channel alone, and the player says which it left out.
    QByteArray kept;
    QByteArrayList dropped;
    QObject::connect(&player, &MediaPlayer::fellBehind, [&](const QByteArray& k, const QByteArrayList& d) { kept = k, dropped = d; });
    player.showLargeChannelAlone();
    EXPECT_EQ(kept, rear);
    EXPECT_EQ(dropped, QByteArrayList{front});
    // mpv takes the graph away on its own time, and the composed frame it showed until then
    // has the same size: wait for the rear's own picture.
    EXPECT_TRUE(waitUntil([&] { return difference(frameAt(player, 0.5, QSize(160, 120)), rearAlone) < 6; }, 10000))
        << difference(frameAt(player, 0.5, QSize(160, 120)), rearAlone);
    EXPECT_FALSE(player.largeChannelFrame());  // a snapshot of the picture is the channel's own

    // A rear that is gone, or has no picture: the front plays alone and the player says so.
    const QString noPicture = tmp.filePath("NOPIC.MP4");
    ASSERT_EQ(testgen::runProcess({"ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i", "sine=duration=2", "-c:a", "aac",
                                   noPicture.toStdString()}).exitCode, 0);
    for (const QByteArray& missing : {QFile::encodeName(tmp.filePath("GONE.MP4")), QFile::encodeName(noPicture)}) {
        player.setChannelView(ChannelLayout::SideBySide, 0);
        ASSERT_TRUE(openAndWait(player, front, {missing})) << missing.constData();
        EXPECT_EQ(player.channelsLeftOut(), QByteArrayList{missing});
        EXPECT_LT(difference(frameAt(player, 0.5, QSize(160, 120)), frontAlone), 6) << missing.constData();
    }
}

// Two moving pictures: at each place a seek or a step leaves the player, each channel shows its own frame of that time.
TEST(Channels, SeeksAndStepsMoveEveryChannel) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir tmp;
    const QByteArray front = QFile::encodeName(tmp.filePath("F.MP4")), rear = QFile::encodeName(tmp.filePath("R.MP4"));
    testgen::encodeBareVideo(front.toStdString(), {.seconds = 3, .width = 160, .height = 120, .fps = 10, .pattern = "testsrc2"});
    testgen::encodeBareVideo(rear.toStdString(), {.seconds = 3, .width = 160, .height = 120, .fps = 10, .pattern = "life"});
    MpvPlayer player{MpvPlayer::Output::None};
    player.setChannelView(ChannelLayout::SideBySide, 0);
    ASSERT_TRUE(openAndWait(player, front, {rear}));
    for (const double at : {1.5, 0.3, 2.2}) {
        const QImage frame = frameAt(player, at, QSize(320, 120));
        EXPECT_LT(difference(frame.copy(0, 0, 160, 120), alone(front, at)), 6) << at;
        EXPECT_LT(difference(frame.copy(160, 0, 160, 120), alone(rear, at)), 6) << at;
        EXPECT_GT(difference(frame.copy(160, 0, 160, 120), alone(rear, at + 0.5)), 6) << at;
    }
    // Three frames on: both pictures are 0.3 s further.
    for (int i = 0; i < 3; ++i) player.stepFrame(true);
    const QImage frame = settledFrame(player, 2.5, QSize(320, 120));
    EXPECT_LT(difference(frame.copy(0, 0, 160, 120), alone(front, 2.5)), 6);
    EXPECT_LT(difference(frame.copy(160, 0, 160, 120), alone(rear, 2.5)), 6);
}

// A card row plays with its rear; the View menu offers the row's channels and switches the layout.
TEST(Channels, TheWindowPlaysACardRowWithItsChannels) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir tmp;
    const QString root = tmp.filePath("CARD");
    testgen::writeCard(root.toStdString(), testgen::CardFamily::Novatek, 2);
    ViewController w{MpvPlayer::Output::None};
    ASSERT_TRUE(openIndexed(w, {root}));
    mpv_handle* mpv = static_cast<const MpvPlayer&>(w.session().player()).handle();
    const auto shownWidth = [&] {
        int64_t width = 0;
        mpv_get_property(mpv, "dwidth", MPV_FORMAT_INT64, &width);
        return width;
    };
    const auto offered = [&] {
        QStringList names;
        for (QAction* a : w.findChild<MainMenu*>()->mainChannels->actions())
            if (a->isEnabled()) names << a->text().remove('&');
        return names;
    };
    QTableView& table = recordingsTable(w);
    const auto click = [&](int row) {
        QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.visualRect(table.model()->index(row, 0)).center());
        return waitUntil([&] { return w.session().isOpen() && w.session().recording()->row == row; });
    };
    ASSERT_TRUE(click(0));
    EXPECT_EQ(offered(), (QStringList{"Front Large", "Rear Large"}));

    // A click on the small picture makes it the large one, and the menu says so; a click
    // on the large picture changes nothing.
    const QImage frontAlone = alone(w.library.rowChannels.value(0).value(0).path, 0.5);
    const QImage rearAlone = alone(w.library.rowChannels.value(0).value(1).path, 0.5);
    ASSERT_GT(difference(frontAlone, rearAlone), 20);
    auto& player = static_cast<MpvPlayer&>(*w.player);
    QWidget* picture = w.findChild<VideoPanel*>()->video();
    // The small picture of a 160x120 frame is 40x30 at (118, 88): its middle, on the letterboxed widget.
    const double scale = std::min(picture->width() / 160.0, picture->height() / 120.0);
    const QPointF origin((picture->width() - 160 * scale) / 2, (picture->height() - 120 * scale) / 2);
    const QPoint small = (origin + QPointF(138, 103) * scale).toPoint(), large = (origin + QPointF(40, 40) * scale).toPoint();
    const auto topLooksLike = [&](const QImage& channel) {
        return waitUntil([&] {
            const QImage frame = player.currentFrame(nullptr);
            return frame.size() == QSize(160, 120) && difference(frame.copy(0, 0, 160, 80), channel.copy(0, 0, 160, 80)) < 6;
        }, 10000);
    };
    player.pause();
    w.session().seekTo(0.5);
    ASSERT_TRUE(topLooksLike(frontAlone));
    QTest::mouseClick(picture, Qt::LeftButton, {}, large);
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    EXPECT_TRUE(actionNamed(w, "&Front Large").isChecked());
    QTest::mouseClick(picture, Qt::LeftButton, {}, small);
    EXPECT_TRUE(waitUntil([&] { return actionNamed(w, "&Rear Large").isChecked(); })) << small.x() << "," << small.y();
    EXPECT_TRUE(topLooksLike(rearAlone));
    QTest::mouseClick(picture, Qt::LeftButton, {}, small);
    EXPECT_TRUE(waitUntil([&] { return actionNamed(w, "&Front Large").isChecked(); }));
    EXPECT_TRUE(topLooksLike(frontAlone));
    actionNamed(w, "&Side by Side").trigger();
    EXPECT_TRUE(waitUntil([&] { return shownWidth() == 320; }, 10000)) << shownWidth();
    actionNamed(w, "&Picture in Picture").trigger();
    EXPECT_TRUE(waitUntil([&] { return shownWidth() == 160; }, 10000)) << shownWidth();
    actionNamed(w, "&Side by Side").trigger();
    // The parking recording (after the drive's event) has no rear: it plays alone, and only Front is offered.
    ASSERT_TRUE(click(3));
    EXPECT_EQ(offered(), QStringList{"Front Large"});
    EXPECT_TRUE(waitUntil([&] { return shownWidth() == 160; }, 10000)) << shownWidth();
    // The next pair plays side by side at once.
    ASSERT_TRUE(click(1));
    EXPECT_TRUE(waitUntil([&] { return shownWidth() == 320; }, 10000)) << shownWidth();
    // Playback that cannot keep up drops the rear, and the status bar says so.
    w.player->pause();  // on this row: its end would play the next one
    w.session().seekTo(0.5);
    ASSERT_EQ(shownWidth(), 320);
    w.player->showLargeChannelAlone();
    const QString rearName = QFile::decodeName(w.library.rowChannels.value(1).value(1).path);
    EXPECT_TRUE(waitUntil([&] { return w.statusBar()->currentMessage().startsWith("Cannot keep up with " + rearName + ": playing "); }))
        << w.statusBar()->currentMessage().toStdString();
    EXPECT_TRUE(waitUntil([&] { return shownWidth() == 160; }, 10000)) << shownWidth();
    EXPECT_EQ(w.session().recording()->row, 1);
    // A rear gone since the card was opened: the front plays alone, and the status bar says so.
    ASSERT_TRUE(click(3));
    const QDir movies(root + "/DCIM/Movie");
    const QByteArray rear = QFile::encodeName(movies.filePath(movies.entryList({"*R.MP4"}, QDir::Files, QDir::Name).value(0)));
    ASSERT_TRUE(QFile::remove(QFile::decodeName(rear)));
    ASSERT_TRUE(click(0));
    EXPECT_TRUE(waitUntil([&] { return w.statusBar()->currentMessage().startsWith("Playing without " + QFile::decodeName(rear)); }, 10000))
        << w.statusBar()->currentMessage().toStdString();
    EXPECT_TRUE(waitUntil([&] { return shownWidth() == 160; }, 10000)) << shownWidth();
}

// A snapshot of a pair saves the large channel's own frame, without the small picture and
// at its own size, until the settings ask for all channels as one picture.
TEST(Channels, SnapshotsSaveTheLargeChannelOrAllChannelsAsTheSettingsSay) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    QSettings().remove("PresetSnapshotChannels");
    QTemporaryDir tmp, snaps;
    const QString root = tmp.filePath("CARD");
    testgen::writeCard(root.toStdString(), testgen::CardFamily::Novatek, 2);
    ViewController w{MpvPlayer::Output::None};
    ASSERT_TRUE(openIndexed(w, {root}));
    w.UserSeetingCapturePath = snaps.path() + "/";
    QTableView& table = recordingsTable(w);
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.visualRect(table.model()->index(0, 0)).center());
    ASSERT_TRUE(waitUntil([&] { return w.session().isOpen() && w.session().recording()->row == 0; }));
    const QImage frontAlone = alone(w.library.rowChannels.value(0).value(0).path, 0.5);
    const QImage rearAlone = alone(w.library.rowChannels.value(0).value(1).path, 0.5);
    auto& player = static_cast<MpvPlayer&>(*w.player);
    player.pause();
    w.session().seekTo(0.5);
    const auto shown = [&](const QSize& size) {
        return waitUntil([&] {
            double at = -1;
            mpv_get_property(player.handle(), "time-pos", MPV_FORMAT_DOUBLE, &at);
            return std::abs(at - 0.5) < 0.01 && player.currentFrame(nullptr).size() == size;
        }, 10000);
    };
    const auto snapshot = [&] {
        for (const QString& f : QDir(snaps.path()).entryList({"*.png"})) QFile::remove(QDir(snaps.path()).filePath(f));
        QTest::mouseClick(&buttonNamed(w, "Snapshot"), Qt::LeftButton);
        const QStringList pngs = QDir(snaps.path()).entryList({"*.png"});
        return pngs.size() == 1 ? QImage(QDir(snaps.path()).filePath(pngs.first())) : QImage();
    };
    const QRect corner(118, 88, 40, 30);  // where the small picture is
    ASSERT_TRUE(shown(QSize(160, 120)));
    ASSERT_GT(difference(player.currentFrame(nullptr).copy(corner), frontAlone.copy(corner)), 20);
    QImage saved = snapshot();
    ASSERT_EQ(saved.size(), QSize(160, 120)) << w.statusBar()->currentMessage().toStdString();
    EXPECT_LT(difference(saved, frontAlone), 6);
    EXPECT_LT(difference(saved.copy(corner), frontAlone.copy(corner)), 6);

    actionNamed(w, "&Side by Side").trigger();
    actionNamed(w, "&Rear Large").trigger();
    ASSERT_TRUE(shown(QSize(320, 120)));
    saved = snapshot();
    ASSERT_EQ(saved.size(), QSize(160, 120)) << w.statusBar()->currentMessage().toStdString();
    EXPECT_LT(difference(saved, rearAlone), 6);
    // At the end mpv has no time: the channel's last frame, not none.
    const QByteArray frontFile = w.library.rowChannels.value(0).value(0).path;
    QString reason;
    const QImage last = decodedFrame(frontFile, -1, &reason);
    ASSERT_EQ(last.size(), QSize(160, 120)) << reason.toStdString();
    EXPECT_LT(difference(last, alone(frontFile, 1.9)), 6);
    EXPECT_GT(difference(last, frontAlone), 6);
    // A FIFO in the channel's place: refused at once, where ffmpeg would wait for a writer.
    const QByteArray fifo = QFile::encodeName(tmp.filePath("FIFO.MP4"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    EXPECT_TRUE(decodedFrame(fifo, 0.5, &reason).isNull());
    EXPECT_TRUE(reason.endsWith("is not a regular file")) << reason.toStdString();

    // All channels, chosen in the settings: the picture as composed, the rear first.
    actionNamed(w, QStringLiteral("Se&ttings…")).trigger();
    auto* dialog = w.findChild<SettingViewController*>();
    ASSERT_NE(dialog, nullptr);
    dialog->snapshotChannels->setCurrentIndex(dialog->snapshotChannels->findText("All channels as one picture"));
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->click();
    EXPECT_EQ(QSettings().value("PresetSnapshotChannels").toString(), "all");
    w.UserSeetingCapturePath = snaps.path() + "/";
    saved = snapshot();
    ASSERT_EQ(saved.size(), QSize(320, 120)) << w.statusBar()->currentMessage().toStdString();
    EXPECT_LT(difference(saved.copy(0, 0, 160, 120), rearAlone), 6);
    EXPECT_LT(difference(saved.copy(160, 0, 160, 120), frontAlone), 6);
    QSettings().remove("PresetSnapshotChannels");
}
