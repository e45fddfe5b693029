// A user's session with the real player: three playable recordings played, sought, paused,
// snapped, stepped and sped up; then damaged ones, which must say why they do not play and
// never show another recording's data.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "AppTestSupport.h"
#include "FileTableView.h"
#include "MainMenu.h"
#include "MpvVideoWidget.h"
#include "PlayableMp4.h"
#include "PlaybackTick.h"
#include "SettingsStore.h"
#include "TrackEnds.h"
#include "VideoPanel.h"
#include "PlaybackSession.h"
#include "TripMap.h"
#include "ViewController.h"

namespace {

// A camera that writes its date and time fields two digits wide ("05").
std::string withPaddedDate(const std::string& line) {
    QStringList c = QString::fromStdString(line).split('$');
    for (int i = 8; i <= 13 && i < c.size(); ++i) c[i] = c[i].rightJustified(2, '0');
    return c.join('$').toStdString();
}

// Clicks a row as the user does; returns once the click has been handled.
void clickRow(ViewController& w, int row) {
    QTableView& table = recordingsTable(w);
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.visualRect(table.model()->index(row, 0)).center());
}

// Play/Pause as the user presses it, when the player is not already where it should be.
void playOrPause(ViewController& w, bool play) {
    if (w.session().player().isPlaying() != play) actionNamed(w, "&Play/Pause").trigger();
}

// A recording as read from its file, once: a file removed later keeps what it held.
const telemetry::Class_Video_Info& fileRecord(const QByteArray& path) {
    static std::map<QByteArray, telemetry::Class_Video_Info> read;
    auto it = read.find(path);
    if (it == read.end()) it = read.emplace(path, recordingInFile(path)).first;
    return it->second;
}

bool neutral(ViewController& w) {
    QList<MapAnnotation> markers = mapOf(w).annotations();
    // The open recording's own track ends may show; nothing else.
    const TrackEnds own = w.session().recording() ? trackEnds(fileRecord(w.session().recording()->path)) : TrackEnds{};
    markers.removeIf([&](const MapAnnotation& a) {
        const auto at = a.title == kTrackStartTitle ? own.start : a.title == kTrackEndTitle ? own.end : std::nullopt;
        return a.kind == MapAnnotation::Kind::TrackEnd && at && at->latitude == a.coordinate.latitude && at->longitude == a.coordinate.longitude;
    });
    return labelText(w, "gx") == "X : -" && labelText(w, "sampleSpeed") == "SPEED : -" && labelText(w, "sampleDate") == "DATE: -" &&
           markers.isEmpty();
}

void writeRecordings(const QDir& dir) {
    testgen::DriveOptions drive;
    drive.seconds = 14;
    const auto lines = testgen::simulateDrive(drive);
    const int lengths[3] = {6, 5, 3};
    for (int i = 0, from = 0; i < 3; from += lengths[i++]) {
        testgen::PlayableOptions o;
        for (int k = from; k < from + lengths[i]; ++k) o.lines.push_back(withPaddedDate(lines[k]));
        o.width = 320, o.height = 240, o.fps = 10;
        testgen::writePlayable(dir.filePath(QStringLiteral("REC_000%1.MP4").arg(i + 1)).toStdString(), o);
    }
}

// The sample a tick at this time must show, read from the open recording's file.
const telemetry::Class_Subtitle_Info& sampleAt(ViewController& w, MediaTime t) {
    const telemetry::Class_Video_Info& record = fileRecord(w.session().recording().value().path);
    return (*record.array_SubtileInfo).at(tickSampleIndex(tickPositionMs(t.value, t.timescale), record));
}

int64_t speedUnit() { return loadSettings().PresetSpeedUnit; }

}  // namespace

TEST(Playback, UserSession) {
    QTemporaryDir recordings;
    writeRecordings(QDir(recordings.path()));
    LogCapture log;
    ViewController w;
    w.resize(1280, 800);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_TRUE(openIndexed(w, {recordings.path()}));
    ASSERT_EQ(shownRowCount(w), 3);
    const MediaPlayer& player = w.session().player();
    QSlider& slider = positionSlider(w);
    VideoPanel& panel = *w.findChild<VideoPanel*>();

    // Every tick's labels and vehicle marker must be those of the sample for its time.
    std::vector<double> ticks;  // in seconds
    int mismatches = 0;
    const auto checkTicks = QObject::connect(&player, &MediaPlayer::tick, &w, [&](MediaTime t) {
        ticks.push_back(double(t.value) / t.timescale);
        const auto& sample = sampleAt(w, t);
        const TickTexts e = tickTexts(sample, speedUnit());
        if (labelText(w, "gx") != e.gx || labelText(w, "sampleSpeed") != e.speed || labelText(w, "sampleDate") != e.date) ++mismatches;
        const MarkerPosition m = tickMarker(sample);
        const QList<MapAnnotation> markers = w.tripMap().markers(MapAnnotation::Kind::Vehicle);
        if (markers.size() != 1 || markers.first().coordinate.latitude != m.latitude ||
            markers.first().coordinate.longitude != m.longitude)
            ++mismatches;
    });
    auto* video = qobject_cast<MpvVideoWidget*>(panel.video());
    ASSERT_NE(video, nullptr) << "no OpenGL video widget under Xvfb";
    // The video area as the X server shows it.
    const auto videoOnScreen = [&] {
        const QPoint at = video->mapTo(&w, QPoint(0, 0));
        return w.screen()->grabWindow(w.winId(), at.x(), at.y(), video->width(), video->height()).toImage();
    };
    const auto black = [](const QImage& image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) > 16) return false;
        return !image.isNull();
    };
    int framesDrawn = 0;
    QElapsedTimer sinceClick;
    qint64 firstFrameMs = -1;
    QObject::connect(video, &MpvVideoWidget::frameDrawn, &w, [&] {
        if (framesDrawn++ == 0) firstFrameMs = sinceClick.elapsed();
    });

    EXPECT_EQ(shownCell(w, 0, 2), "2016/05/12");  // by value, not the stored "005"
    sinceClick.start();
    clickRow(w, 0);
    std::printf("click handled in %lld ms\n", static_cast<long long>(sinceClick.elapsed()));
    EXPECT_EQ(panel.message(), "Opening REC_0001.MP4…");  // the click returns while the file loads
    ASSERT_TRUE(waitUntil([&] { return player.isPlaying(); }, 5000));
    EXPECT_EQ(panel.message(), "");
    EXPECT_EQ(slider.maximum(), 6000);
    ASSERT_TRUE(waitUntil([&] { return firstFrameMs >= 0; }, 10000));
    std::printf("click to first frame: %lld ms\n", static_cast<long long>(firstFrameMs));

    // Offline, with no routing: the recorded track in red, after the trip's others in grey.
    ASSERT_TRUE(waitUntil([&] { return !mapOf(w).overlays().isEmpty() && mapOf(w).overlays().last().level == 0; }, 5000));
    EXPECT_EQ(mapOf(w).overlays().last().points.size(), 6);  // through every sample's fix
    // Drawn red, between two fixes where no marker sits.
    const QVector<GeoCoordinate> fixes = mapOf(w).overlays().last().points;
    const QColor drawn = drawnAt(mapOf(w), {(fixes[2].latitude + fixes[3].latitude) / 2, (fixes[2].longitude + fixes[3].longitude) / 2}, 19);
    EXPECT_TRUE(drawn.red() > 200 && drawn.green() < 60 && drawn.blue() < 60) << drawn.name().toStdString();

    // Play a couple of seconds (the tick check above follows the labels), then seek with the slider.
    ASSERT_TRUE(waitUntil([&] { return player.currentTime().value >= 2'200'000'000; }, 10000));
    EXPECT_GE(slider.value(), 2000);
    // The knob dragged there and let go.
    slider.setSliderDown(true);
    slider.setValue(4300);
    slider.setSliderDown(false);
    ASSERT_TRUE(waitUntil([&] { return player.currentTime().value >= 4'000'000'000; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(labelText(w, "sampleDate"), tickTexts(sampleAt(w, {4000, 1000}), speedUnit()).date);

    playOrPause(w, false);
    ASSERT_TRUE(waitUntil([&] { return !player.isPlaying(); }, 3000));
    const MediaTime pausedAt = player.currentTime();

    // Snapshot of the paused frame, at the video's own size.
    QTemporaryDir snaps;
    QSettings().setValue("PathOfSaveDirectory", snaps.path() + "/");
    w.SettingViewClosed();
    QTest::mouseClick(&buttonNamed(w, "Snapshot"), Qt::LeftButton);
    const QStringList pngs = QDir(snaps.path()).entryList({"REC_0001.MP4_*.png"});
    ASSERT_EQ(pngs.size(), 1);
    EXPECT_EQ(QImage(QDir(snaps.path()).filePath(pngs.first())).size(), QSize(320, 240));
    EXPECT_EQ(player.currentTime().value, pausedAt.value);  // still paused where it was

    const size_t playsBefore = std::count(log.lines.begin(), log.lines.end(), "Play");
    playOrPause(w, true);
    ASSERT_TRUE(waitUntil([&] { return player.isPlaying(); }, 3000));
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), "Play"), long(playsBefore + 1));

    // The end of the first recording opens the second, selected in the table.
    ASSERT_TRUE(waitUntil([&] { return openRow(w) == 1; }, 10000));
    EXPECT_EQ(recordingsTable(w).selectionModel()->selectedRows().value(0).row(), 1);
    ASSERT_TRUE(waitUntil([&] { return player.isPlaying(); }, 3000));
    EXPECT_EQ(slider.maximum(), 5000);

    // The last recording's end keeps the end on screen: the slider and the end's sample, not the start's.
    const size_t endsBefore = std::count(log.lines.begin(), log.lines.end(), "Video End");
    clickRow(w, 2);
    ASSERT_TRUE(waitUntil([&] { return std::count(log.lines.begin(), log.lines.end(), "Video End") > long(endsBefore); }, 15000));
    QTest::qWait(300);  // any late tick would land here
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(slider.value(), slider.maximum());
    EXPECT_EQ(labelText(w, "positionText"), "0:03 / 0:03");
    EXPECT_EQ(labelText(w, "sampleDate"), tickTexts(sampleAt(w, {3000, 1000}), speedUnit()).date);
    EXPECT_EQ(openRow(w), 2);

    // The frame on screen can still be saved, and Play (Space) starts it again.
    QTest::mouseClick(&buttonNamed(w, "Snapshot"), Qt::LeftButton);
    EXPECT_EQ(QDir(snaps.path()).entryList({"REC_0003.MP4_*.png"}).size(), 1);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_Space);
    ASSERT_TRUE(waitUntil([&] { return player.isPlaying(); }, 3000));
    ASSERT_TRUE(waitUntil([&] { return slider.value() < 1000; }, 3000));

    // Frame steps move one frame (1/fps), paused, and the labels' tick runs.
    playOrPause(w, false);
    clickRow(w, 0);
    ASSERT_TRUE(waitUntil([&] { return player.isPlaying(); }, 5000));
    EXPECT_EQ(w.windowTitle(), "REC_0001.MP4 - dashcam-viewer");
    playOrPause(w, false);
    w.session().seekTo(2);
    EXPECT_EQ(slider.value(), 2000);  // at once, not only at the player's tick
    ASSERT_TRUE(waitUntil([&] { return std::abs(player.currentTime().value - 2'000'000'000) < 1'000'000; }, 5000));
    const double frame = 1.0 / 10;
    for (const auto& [key, frames] : {std::pair{Qt::Key_Period, 1}, {Qt::Key_Period, 2}, {Qt::Key_Comma, 1}}) {
        SCOPED_TRACE(key);
        const size_t ticksBefore = ticks.size();
        QTest::keyClick(&w, key);
        ASSERT_TRUE(waitUntil([&] { return ticks.size() > ticksBefore && std::abs(ticks.back() - (2 + frames * frame)) < frame / 4; }, 5000))
            << "at " << (ticks.empty() ? -1 : ticks.back());
        EXPECT_FALSE(player.isPlaying());
        EXPECT_NEAR(slider.value(), (2 + frames * frame) * 1000, 2);
    }

    // ] twice: 1.5x, then 2x, as mpv itself reports it; the video runs that much faster
    // and still ticks once per second of video.
    QTest::keyClick(&w, Qt::Key_BracketRight);
    QTest::keyClick(&w, Qt::Key_BracketRight);
    EXPECT_EQ(labelText(w, "speed"), "2x");
    double reported = 0;
    ASSERT_TRUE(waitUntil([&] {
        return mpv_get_property(static_cast<const MpvPlayer&>(player).handle(), "speed", MPV_FORMAT_DOUBLE, &reported) >= 0 && reported == 2.0;
    }, 2000));
    w.session().seekTo(0);
    ASSERT_TRUE(waitUntil([&] { return player.currentTime().value < 100'000'000; }, 5000));
    const size_t ticksBefore2x = ticks.size();
    QElapsedTimer wall;
    wall.start();
    const double startVideo = double(player.currentTime().value) / 1e9;
    playOrPause(w, true);
    ASSERT_TRUE(waitUntil([&] { return wall.elapsed() >= 1500; }, 5000));
    const double videoRan = double(player.currentTime().value) / 1e9 - startVideo, wallRan = wall.elapsed() / 1000.0;
    std::printf("at %gx: %.2f s of video in %.2f s\n", reported, videoRan, wallRan);
    // Well above what 1x could play in that time, and not beyond the reported speed.
    EXPECT_GT(videoRan, wallRan * (1 + reported) / 2 - 0.2);
    EXPECT_LT(videoRan, wallRan * reported + 0.2);
    std::vector<int> seconds;  // one tick per whole second of video reached, none skipped or doubled
    for (size_t i = ticksBefore2x; i < ticks.size(); ++i)
        if (seconds.empty() || int(ticks[i]) != seconds.back()) seconds.push_back(int(ticks[i]));
    for (size_t i = 1; i < seconds.size(); ++i) EXPECT_EQ(seconds[i], seconds[i - 1] + 1);
    EXPECT_GE(seconds.size(), size_t(videoRan));
    QTest::keyClick(&w, Qt::Key_Backspace);
    EXPECT_EQ(player.speed(), 1.0);
    EXPECT_EQ(labelText(w, "speed"), "1x");

    // An event of the next recording: it opens and plays from 5 s before the event, never from its start.
    const size_t ticksBeforeEvent = ticks.size();
    w.session().seekToEvent(1, 8.0);
    ASSERT_TRUE(waitUntil([&] { return ticks.size() > ticksBeforeEvent && ticks.back() >= 3.0; }, 5000));
    EXPECT_EQ(recordingsTable(w).selectionModel()->selectedRows().value(0).row(), 1);
    for (size_t i = ticksBeforeEvent; i < ticks.size(); ++i) EXPECT_TRUE(ticks[i] < 0.5 || ticks[i] >= 2.9) << ticks[i];
    clickRow(w, 0);
    ASSERT_TRUE(waitUntil([&] { return player.isPlaying(); }, 5000));

    // The slider: a click on the groove goes there, keys step 5 s and 30 s.
    playOrPause(w, false);
    const QRect groove = slider.rect();
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(groove.left() + groove.width() * 3 / 4, groove.center().y()));
    EXPECT_NEAR(slider.value(), 4500, 400);
    ASSERT_TRUE(waitUntil([&] { return player.currentTime().value >= 4'000'000'000; }, 3000));
    // The keys seek wherever the focus is, but in a text field; the table keeps its row.
    QWidget* const table = &recordingsTable(w);
    QWidget* const events = &eventsList(w);
    const struct {
        QWidget* focus;
        Qt::Key key;
        int expected;
    } seekKeys[] = {{table, Qt::Key_Home, 0},         {table, Qt::Key_Right, 5000}, {events, Qt::Key_Left, 0},
                    {events, Qt::Key_PageUp, 6000}, {&slider, Qt::Key_PageDown, 0}, {table, Qt::Key_End, 6000}};
    for (const auto& k : seekKeys) {
        k.focus->setFocus();
        QTest::keyClick(k.focus, k.key);
        EXPECT_EQ(slider.value(), k.expected) << k.key << " on " << k.focus->objectName().toStdString();
    }
    EXPECT_EQ(recordingsTable(w).selectionModel()->selectedRows().value(0).row(), 0);

    EXPECT_GT(ticks.size(), 5u);
    EXPECT_EQ(mismatches, 0);
    for (const char* line : {"File Exists", "duration: 6.00", "ERROR", "slider chagne 4300.000000", "Pause", "Video End"})
        EXPECT_TRUE(log.contains(line)) << line;
    QObject::disconnect(checkTicks);

    // Damaged recordings, in a second batch below: each says why it does not play.
    QTemporaryDir damaged;
    const QDir dir(damaged.path());
    QFile source(QDir(recordings.path()).filePath("REC_0001.MP4"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray good = source.readAll();
    const auto writeAll = [&](const char* name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size()) << name;
    };
    QByteArray garbled = good;  // the video's bytes turned to noise
    for (qsizetype i = garbled.indexOf("mdat") + 4, end = garbled.indexOf("moov"); i < end; ++i) garbled[i] = char(i * 131 % 251);
    writeAll("REC_0004.MP4", garbled);
    QByteArray noVideo = good;  // the video track made a free box: the telemetry track alone
    noVideo.replace(noVideo.indexOf("trak", noVideo.indexOf("moov")), 4, "free");
    writeAll("REC_0005.MP4", noVideo);
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.filePath("REC_0006.MP4")).constData(), 0600), 0);
    writeAll("REC_0007.MP4", good);

    // Indexing them while the video is paused changes the table and the progress bar,
    // and never puts the video's picture on screen again.
    int swaps = 0;
    const auto countSwaps = QObject::connect(video, &MpvVideoWidget::frameSwapped, &w, [&] { ++swaps; });
    for (int before = -1; before != swaps;) {  // the slider's seeks have landed
        before = swaps;
        QTest::qWait(300);
    }
    swaps = 0;
    ASSERT_TRUE(openIndexed(w, {dir.filePath("REC_0004.MP4"), dir.filePath("REC_0005.MP4"), dir.filePath("REC_0006.MP4"),
                                dir.filePath("REC_0007.MP4")}));
    ASSERT_EQ(shownRowCount(w), 7);
    QTest::qWait(100);  // the last repaint
    EXPECT_EQ(swaps, 0);
    actionNamed(w, "Frame Step &Forward").trigger();  // a new frame does reach the screen
    EXPECT_TRUE(waitUntil([&] { return swaps > 0; }, 3000));
    QObject::disconnect(countSwaps);
    fileRecord(QFile::encodeName(dir.filePath("REC_0007.MP4")));  // what the window indexed, before it goes
    ASSERT_TRUE(QFile::remove(dir.filePath("REC_0007.MP4")));
    const int goodRow = 1, garbledRow = 3;  // REC_0002.MP4, REC_0004.MP4

    QList<qint64> clickMs;
    auto outcome = [&](int row) {
        QElapsedTimer click;
        click.start();
        clickRow(w, row);
        clickMs.append(click.elapsed());
        EXPECT_EQ(panel.message(), "Opening " + shownCell(w, row, 0) + "…");
        EXPECT_TRUE(neutral(w));  // nothing of the recording before
        waitUntil([&] { return player.isPlaying() || !panel.message().startsWith("Opening"); }, 10000);
        return player.isPlaying() ? QString("plays") : panel.message();
    };
    const struct {
        int row;
        const char* says;
    } cases[] = {{3, "Cannot decode the video"}, {4, "No video track"}, {5, "Not a regular file"}, {6, "File is gone"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        ASSERT_EQ(outcome(goodRow), "plays");
        ASSERT_TRUE(waitUntil([&] { return !neutral(w); }, 5000));  // its labels and marker are up
        EXPECT_EQ(outcome(c.row), c.says);
        // The panel, not the last frame, is what the screen shows.
        EXPECT_TRUE(waitUntil([&] { return videoOnScreen().pixel(4, 4) == qRgb(0x20, 0x20, 0x20); }, 2000));
        EXPECT_TRUE(neutral(w));
        EXPECT_EQ(slider.maximum(), 0);
    }

    // The same damaged file, again and again, after a good one or not: the same outcome.
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        if (i % 2) {
            ASSERT_EQ(outcome(goodRow), "plays");
        }
        ASSERT_EQ(outcome(garbledRow), "Cannot decode the video");
    }

    std::sort(clickMs.begin(), clickMs.end());
    std::printf("%lld clicks handled in %lld ms median, %lld ms at most\n", static_cast<long long>(clickMs.size()),
                static_cast<long long>(clickMs[clickMs.size() / 2]), static_cast<long long>(clickMs.last()));

    // A name that is not UTF-8 reaches mpv as the file system's bytes.
    const QByteArray latin1Name = QFile::encodeName(dir.path()) + "/caf\xe9.MP4";
    ASSERT_EQ(::symlink(QFile::encodeName(source.fileName()).constData(), latin1Name.constData()), 0);
    MediaPlayer::OpenFailure failure = MediaPlayer::OpenFailure::NoPlayer;
    MpvPlayer own(MpvPlayer::Output::None);
    const auto opened =
        QObject::connect(&own, &MediaPlayer::opened, [&](uint64_t, MediaPlayer::OpenFailure f) { failure = f; });
    own.open(latin1Name);
    ASSERT_TRUE(waitUntil([&] { return failure != MediaPlayer::OpenFailure::NoPlayer; }, 5000));
    EXPECT_EQ(failure, MediaPlayer::OpenFailure::None);
    QObject::disconnect(opened);

    // A newer click wins over a load still under way, in both orders.
    clickRow(w, garbledRow);
    clickRow(w, goodRow);
    ASSERT_TRUE(waitUntil([&] { return player.isPlaying(); }, 5000));
    QTest::qWait(300);
    EXPECT_EQ(panel.message(), "");
    clickRow(w, goodRow);
    clickRow(w, garbledRow);
    ASSERT_TRUE(waitUntil([&] { return panel.message() == "Cannot decode the video"; }, 5000));
    QTest::qWait(300);
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(slider.maximum(), 0);
    EXPECT_EQ(openRow(w), garbledRow);

    // Clear List takes the last frame off the screen too, as the X server shows it.
    clickRow(w, goodRow);
    ASSERT_TRUE(waitUntil([&] { return player.isPlaying() && !black(videoOnScreen()); }, 5000));
    playOrPause(w, false);
    ASSERT_TRUE(waitUntil([&] { return !player.isPlaying(); }, 3000));
    QTest::qWait(300);
    ASSERT_FALSE(black(videoOnScreen()));
    actionNamed(w, "&Clear List").trigger();
    EXPECT_TRUE(waitUntil([&] { return black(videoOnScreen()); }, 2000));
    EXPECT_FALSE(player.isOpen());
    EXPECT_FALSE(w.session().recording());
    EXPECT_EQ(slider.maximum(), 0);
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
