#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QValueAxis>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTimer>
#include <QProgressBar>
#include <QSettings>
#include <QTest>

#include "AppTestSupport.h"
#include "FakeHttpServer.h"
#include "FileTableView.h"
#include "MapWidget.h"
#include "PlayableMp4.h"
#include "Process.h"
#include "TextValues.h"
#include "VideoPanel.h"
#include "PlaybackSession.h"
#include "TripMap.h"
#include "ViewController.h"

namespace {

class TestWindow : public ViewController {
public:
    // The Open dialog answers nextChoice; it and a drop's warning are counted.
    TestWindow() : ViewController(MpvPlayer::Output::None) {
        intake().setChoices({[this] { return ++dialogs, nextChoice; }, [this] { ++warnings; }});
    }
    QStringList nextChoice;
    int dialogs = 0, warnings = 0;
};

bool indexed(TestWindow& w) { return waitUntil([&] { return !w.isIndexing(); }); }

// Where the chart's time axis ends: the recording's last sample.
double timeAxisMax(QWidget& w) {
    const auto* axis = qobject_cast<const QValueAxis*>(chartView(w).chart()->axes(Qt::Horizontal).value(0));
    return axis ? axis->max() : -1.0;
}

int plotCount(QChartView* view) {
    int n = 0;
    for (auto* s : view->chart()->series()) n += s->name().endsWith(QLatin1String(" Plot"));
    return n;
}

QString cell(ViewController& w, int row, int column) { return shownCell(w, row, column); }

// The table's size, the progress and the count beside it, as one text.
QString progress(ViewController& w) {
    return QStringLiteral("%1 rows, %2/%3, %4")
        .arg(shownRowCount(w))
        .arg(indexingBar(w).value())
        .arg(indexingBar(w).maximum())
        .arg(indexingCount(w));
}

}  // namespace

// A folder chosen, then files dropped; while a batch is indexed, no other is taken.
TEST(ViewController, OpensAFolderTakesDropsAndPlaysIndexedRowsOnly) {
    QTemporaryDir tmp, more;
    QDir dir(tmp.path());
    makeRecording(dir, "REC_0002.MP4", 30);
    makeRecording(dir, "REC_0001.MP4", 125);
    const QUrl notes = QUrl::fromLocalFile(makeRecording(dir, "notes.txt", 0, false));
    const QUrl rec = QUrl::fromLocalFile(makeRecording(QDir(more.path()), "REC_0100.MP4", 5));
    TestWindow w;
    QTableView& table = recordingsTable(w);
    LogCapture log;
    EXPECT_EQ(progress(w).section(',', 0, 1), "0 rows, 0/100");
    dropOn(table, {notes, rec});  // the first file's extension decides
    EXPECT_EQ(w.warnings, 1);
    dropOn(table, {QUrl::fromLocalFile(dir.filePath("rec_0001.mp4"))});  // not even there: nothing at all
    w.acceptDrop({QUrl::fromLocalFile(dir.filePath("rec_0001.mp4"))});
    EXPECT_EQ(w.warnings, 1);
    EXPECT_FALSE(w.isIndexing());

    w.nextChoice = {tmp.path()};
    actionNamed(w, "&Open…").trigger();
    EXPECT_TRUE(w.isIndexing());  // raised before the thread runs
    w.nextChoice = {more.path()};
    QTest::mouseClick(&buttonNamed(w, "Open…"), Qt::LeftButton);  // busy: no dialog, nothing queued
    EXPECT_EQ(w.dialogs, 1);
    dropOn(table, {rec});
    dropOn(table, {notes});  // the extension test comes first, busy or not
    EXPECT_EQ(w.warnings, 2);
    EXPECT_TRUE(log.contains("waitting for complte") && log.contains("Wait for complete"));
    w.playTheVideo(0);  // not indexed yet
    EXPECT_TRUE(log.contains("NotLoading..."));
    EXPECT_EQ(plotCount(&chartView(w)), 0);

    ASSERT_TRUE(indexed(w));
    EXPECT_EQ(progress(w), "2 rows, 2/2, 2/2");
    EXPECT_EQ((QStringList{cell(w, 0, 0), cell(w, 0, 1), cell(w, 1, 1)}), (QStringList{"REC_0001.MP4", "02:05", "00:30"}));
    EXPECT_EQ(table.model()->headerData(2, Qt::Horizontal).toString(), "Date");

    // A click on a row plays it: the chart shows its series.
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const auto centre = [&](int row) { return table.visualRect(table.model()->index(row, 0)).center(); };
    const auto highlightedAndPlaying = [&] {
        return std::pair(table.selectionModel()->selectedRows().value(0).row(), w.windowTitle());
    };
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, centre(1));
    EXPECT_EQ(highlightedAndPlaying(), std::pair(1, QStringLiteral("REC_0002.MP4 - dashcam-viewer")));
    EXPECT_EQ(plotCount(&chartView(w)), 3);
    EXPECT_EQ(timeAxisMax(w), 30.0);  // a sample a second

    // Dropped files (a folder among them ignored) add their rows below; the first rows stay playable.
    dropOn(table, {QUrl::fromLocalFile(more.path()), rec, notes});
    ASSERT_TRUE(indexed(w));
    EXPECT_EQ(progress(w), "4 rows, 4/4, 4/4");
    EXPECT_EQ((QStringList{cell(w, 2, 0), cell(w, 3, 0), cell(w, 2, 1), cell(w, 3, 1)}),
              (QStringList{"REC_0100.MP4", "notes.txt", "00:05", "0:0"}));
    w.playTheVideo(0);
    EXPECT_EQ(timeAxisMax(w), 125.0);
    EXPECT_EQ(table.selectionModel()->selectedRows().value(0).row(), 1);  // reloads keep the selection

    // However the highlight moves, the highlighted row is the one that plays: a drag
    // across the rows, typing a name.
    QWidget* rows = table.viewport();
    QTest::mousePress(rows, Qt::LeftButton, {}, centre(1));
    for (int row : {2, 0}) {
        QMouseEvent drag(QEvent::MouseMove, centre(row), rows->mapToGlobal(centre(row)), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(rows, &drag);
    }
    QTest::mouseRelease(rows, Qt::LeftButton, {}, centre(0));
    EXPECT_EQ(highlightedAndPlaying(), std::pair(0, QStringLiteral("REC_0001.MP4 - dashcam-viewer")));
    QTest::keyClick(&table, Qt::Key_N);  // notes.txt
    EXPECT_EQ(highlightedAndPlaying(), std::pair(3, QStringLiteral("notes.txt - dashcam-viewer")));
    // A Ctrl+click on it keeps it highlighted.
    QTest::mouseClick(rows, Qt::LeftButton, Qt::ControlModifier, centre(3));
    EXPECT_EQ(highlightedAndPlaying(), std::pair(3, QStringLiteral("notes.txt - dashcam-viewer")));
}

// Without a test's answers the drop's refusal is the window-modal alert, and nothing is queued.
TEST(ViewController, AnUnsupportedDropIsSaidInAnAlertOverTheWindow) {
    QTemporaryDir tmp;
    const QUrl notes = QUrl::fromLocalFile(makeRecording(QDir(tmp.path()), "notes.txt", 0, false));
    ViewController w(MpvPlayer::Output::None);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_TRUE(dropOn(recordingsTable(w), {notes}));
    const auto* alert = w.findChild<QMessageBox*>();
    ASSERT_NE(alert, nullptr);
    QStringList buttons;
    for (const QAbstractButton* b : alert->buttons()) buttons << b->text();
    EXPECT_EQ((QStringList{alert->text(), alert->informativeText(), buttons.join(','), QString::number(alert->isVisible()),
                           QString::number(alert->windowModality())}),
              (QStringList{"Warning!", "Not supported file!", "OK", "1", QString::number(Qt::WindowModal)}));
    EXPECT_FALSE(w.isIndexing());
    EXPECT_EQ(shownRowCount(w), 0);
}

TEST(ViewController, SettingsClosedShowsTheSampleOnScreenInTheNewUnit) {
    QSettings().clear();
    QTemporaryDir tmp;
    makeRecording(QDir(tmp.path()), "REC_0001.MP4", 10);
    makeRecording(QDir(tmp.path()), "REC_0002.MP4", 0, false);
    TestWindow w;
    LogCapture log;
    ASSERT_TRUE(openIndexed(w, {tmp.path()}));
    const double kmh = samplesInFile(QDir(tmp.path()).filePath("REC_0001.MP4")).at(5).speedKmh.value();
    const struct {
        int row;      // -1: nothing opened
        bool ticked;  // a tick has shown a sample
        int unit;
        QString speed;
    } cases[] = {{-1, false, 1, "SPEED : 000Kmh"},
                 {0, false, 0, "SPEED : 000Mph"},
                 {0, true, 1, QStringLiteral("SPEED : %1Kmh").arg(int(kmh))},
                 {0, true, 0, QStringLiteral("SPEED : %1Mph").arg(int(kmh * 0.621371))},
                 {1, true, 1, "SPEED : 000Kmh"}};  // no telemetry
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.row << c.ticked << c.unit);
        if (c.row >= 0) w.playTheVideo(c.row);
        if (c.ticked) w.session().tick({5000, 1000});
        QSettings().setValue("PresetSpeedUnit", c.unit);
        w.SettingViewClosed();
        EXPECT_EQ(labelText(w, "sampleSpeed"), c.speed);
    }
    EXPECT_TRUE(log.contains("SettingView Close"));
}

// Fewer than 4 steps: the road route, its instructions in the log; more: the recorded
// track; no route: the track all the same, with the server's reason in the log. The
// server is the one in the settings.
TEST(ViewController, RoadRouteOrRecordedTrack) {
    int steps = 3;  // 0: the server finds no route
    FakeHttpServer osrm([&](const QString&) {
        if (!steps) return FakeHttpServer::Reply{400, "application/json", R"({"code":"NoRoute","message":"Impossible route"})"};
        QByteArray list;
        for (int i = 0; i < steps; ++i)
            list += QByteArray(i ? "," : "") + R"({"name":"Road )" + QByteArray::number(i) + R"(","maneuver":{"type":")" +
                    (i == 0 ? "depart" : i == steps - 1 ? "arrive" : "turn") + R"(","modifier":"left"}})";
        return FakeHttpServer::Reply{200, "application/json",
            R"({"code":"Ok","routes":[{"geometry":{"coordinates":[[11.50,48.10],[11.55,48.15],[11.52,48.12]]},"legs":[{"steps":[)" + list + "]}]}]}"};
    });
    QSettings().setValue("RoutingServerUrl", osrm.url());
    qunsetenv("DASHCAM_ROUTING_URL");
    TestWindow w;
    w.resize(1280, 800);  // the map at the size a user sees it: a line's width is read off its pixels
    qputenv("DASHCAM_ROUTING_URL", "");
    QSettings().clear();
    LogCapture log;
    const auto route = [&](int n, QStringList track) {
        steps = n;
        const qsizetype before = mapOf(w).overlays().size();
        w.getDirections(481000, 115000, 481200, 115200, 481100, 115100, track);
        EXPECT_TRUE(waitUntil([&] { return mapOf(w).overlays().size() == before + 1; }, 5000));
        return mapOf(w).overlays().value(before);
    };
    const QStringList track = {"481000,115000,N,E", "481100,115100,N,E", "bad,entry", "481200,115200,N,E"};

    MapPolyline line = route(3, track);
    EXPECT_EQ(pointTexts(line.points), (QStringList{"48.1,11.5", "48.15,11.55", "48.12,11.52"}));  // the road's
    EXPECT_TRUE(log.contains("Turn left onto Road 1"));
    EXPECT_TRUE(log.contains("You have arrived at your destination"));
    EXPECT_TRUE(osrm.paths().value(0).startsWith("/route/v1/driving/11.500000,48.100000;11.520000,48.120000?"))
        << osrm.paths().value(0).toStdString();  // longitude first, start then end
    EXPECT_FALSE(log.contains("ERROR"));

    line = route(4, track);  // through every well-formed entry
    EXPECT_EQ(pointTexts(line.points), (QStringList{"48.1,11.5", "48.11,11.51", "48.12,11.52"}));

    line = route(0, {"338688,704567,S,W", "338600,704500,S,W"});  // signs flipped by S and W
    EXPECT_TRUE(log.contains("ERROR"));
    EXPECT_TRUE(std::any_of(log.lines.begin(), log.lines.end(), [](const std::string& l) { return l.find("NoRoute") != l.npos; }));
    EXPECT_EQ(pointTexts(line.points), (QStringList{"-33.8688,-70.4567", "-33.86,-70.45"}));
    // Drawn red and 4 px wide: how far it is red across its middle.
    MapWidget& map = mapOf(w);
    const GeoCoordinate middle{(line.points[0].latitude + line.points[1].latitude) / 2,
                               (line.points[0].longitude + line.points[1].longitude) / 2};
    const auto red = [](QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; };
    EXPECT_TRUE(red(drawnAt(map, middle, 14)));
    const QImage shown = shownMap(map);
    const QPointF along = map.toWidget(line.points[1]) - map.toWidget(line.points[0]);
    const QPointF across = QPointF(-along.y(), along.x()) / std::hypot(along.x(), along.y());
    double redWidth = 0;
    for (double t = -8; t <= 8; t += 0.125) {
        const QPointF p = map.toWidget(middle) + across * t;
        // Counted where red covers at least half the pixel: the edges' blend depends on where the line falls.
        const QColor c = shown.pixelColor(int(std::floor(p.x())), int(std::floor(p.y())));
        redWidth += (c.red() > 200 && c.green() < 128 && c.blue() < 128) * 0.125;
    }
    EXPECT_NEAR(redWidth, 4.0, 0.75);
}

TEST(FileTableView, OffersADropOnlyForFiles) {
    QTemporaryDir tmp;
    QDir dir(tmp.path());
    const QUrl rec = QUrl::fromLocalFile(makeRecording(dir, "REC_0001.MP4", 3)), folder = QUrl::fromLocalFile(tmp.path());
    FileTableView table;
    QList<QList<QUrl>> dropped;
    QObject::connect(&table, &FileTableView::filesDropped, [&](const QList<QUrl>& urls) { dropped.append(urls); });
    auto drag = [&](const QList<QUrl>& urls) { return dropOn(table, urls); };
    EXPECT_FALSE(drag({folder}));  // a folder alone is not offered
    EXPECT_TRUE(dropped.isEmpty());
    EXPECT_TRUE(drag({folder, rec}));
    EXPECT_EQ(dropped, (QList<QList<QUrl>>{{folder, rec}}));
}

// Playing on from a recording that ended passes over the ones that cannot be played; a
// click on one of them shows why, and stays there.
TEST(ViewController, PlaysOnPastRecordingsThatCannotBePlayed) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not on PATH";
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    const auto lines = testgen::simulateDrive({.seconds = 2});
    for (int i : {0, 1}) {
        testgen::PlayableOptions o;
        o.lines = {lines[size_t(i)]};
        o.width = 160, o.height = 120;
        testgen::writePlayable(dir.filePath(QStringLiteral("REC_000%1.MP4").arg(i ? 4 : 1)).toStdString(), o);
    }
    QFile good(dir.filePath("REC_0001.MP4"));
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    QByteArray garbled = good.readAll();  // the pictures turned to noise
    for (qsizetype i = garbled.indexOf("mdat") + 4, end = garbled.indexOf("moov"); i < end; ++i) garbled[i] = char(i * 131 % 251);
    QFile damaged(dir.filePath("REC_0002.MP4"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly) && damaged.write(garbled) == garbled.size());
    damaged.close();
    QFile(dir.filePath("REC_0003.MP4")).open(QIODevice::WriteOnly);  // empty

    TestWindow w;
    LogCapture log;
    ASSERT_TRUE(openIndexed(w, {tmp.path()}));
    ASSERT_EQ(shownRowCount(w), 4);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const auto click = [&](int row) {
        QTest::mouseClick(recordingsTable(w).viewport(), Qt::LeftButton, {},
                          recordingsTable(w).visualRect(recordingsTable(w).model()->index(row, 0)).center());
    };
    const auto highlightedAndPlaying = [&] {
        return std::pair(recordingsTable(w).selectionModel()->selectedRows().value(0).row(), openRow(w));
    };
    const VideoPanel& video = *w.findChild<VideoPanel*>();
    const MediaPlayer& player = w.session().player();
    click(0);
    ASSERT_TRUE(waitUntil([&] { return openRow(w) == 3 && player.isPlaying(); }, 20000))
        << "stopped at row " << openRow(w) << ": " << video.message().toStdString();
    EXPECT_EQ(highlightedAndPlaying(), std::pair(3, 3));
    for (const char* name : {"REC_0002.MP4", "REC_0003.MP4"})
        EXPECT_TRUE(std::any_of(log.lines.begin(), log.lines.end(),
                                [&](const std::string& l) { return l.starts_with(std::string("Cannot play ") + name); }))
            << name;

    click(1);
    ASSERT_TRUE(waitUntil([&] { return !video.message().startsWith("Opening"); }, 10000));
    QTest::qWait(200);
    EXPECT_EQ(highlightedAndPlaying(), std::pair(1, 1));
    EXPECT_FALSE(player.isPlaying());
    EXPECT_FALSE(w.session().isOpen());
    EXPECT_TRUE(w.statusBar()->currentMessage().startsWith("Cannot play REC_0002.MP4")) << w.statusBar()->currentMessage().toStdString();
}

// The window closes while a batch is indexed and just as a recording has ended: the
// end, already queued, reaches nothing of it, and the run is not waited for.
TEST(ViewController, ClosingWhileIndexingHearsNoMoreOfThePlayer) {
    QTemporaryDir tmp, more;
    for (const char* name : {"REC_0001.MP4", "REC_0002.MP4"}) makeRecording(QDir(tmp.path()), name, 3);
    for (int i = 0; i < 50; ++i) makeRecording(QDir(more.path()), QStringLiteral("REC_1%1.MP4").arg(i, 3, 10, QLatin1Char('0')), 3);
    auto w = std::make_unique<TestWindow>();
    ASSERT_TRUE(openIndexed(*w, {tmp.path()}));
    w->playTheVideo(0);
    LogCapture log;
    ASSERT_TRUE(w->openPaths(QStringList{more.path()}));
    MediaPlayer* player = w->findChild<MediaPlayer*>();
    ASSERT_NE(player, nullptr);
    QTimer::singleShot(0, player, [player] { emit player->endOfItem(); });
    w.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(log.contains("Video End"));
}
