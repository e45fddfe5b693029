#include <gtest/gtest.h>

#include <QDateTime>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#include "AppTestSupport.h"
#include "Card.h"
#include "GoProCamera.h"
#include "NovatekCamera.h"
#include "Process.h"
#include "FileTableModel.h"
#include "FileTableView.h"
#include "MapWidget.h"
#include "TrackRegion.h"
#include "PlaybackSession.h"
#include "TripMap.h"
#include "ViewController.h"

namespace {

// A trip of three 20 s recordings with a hard braking 12 s into the second and G
// noise within the normal thresholds, and a separate 10 s recording an hour later, without a
// fix for three seconds; then the rows a card's damage leaves: a recording cut short, an
// empty file, and the second recording with its video track lost.
class TripsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        testgen::DriveOptions drive;
        drive.startSpeedKmh = 60;
        drive.speedNoise = 0;
        drive.turnNoise = 0;
        drive.gNoise = 0.3;  // within the normal thresholds, beyond the high ones
        drive.incidents = {{testgen::Incident::Braking, 32}};
        const auto cut = testgen::cutDrive(drive, {20, 20, 20}, 0);
        for (size_t i = 0; i < cut.size(); ++i)
            makeRecordingOf(QFile::encodeName(dir.filePath(QStringLiteral("REC_000%1.MP4").arg(i + 1))).toStdString(),
                            cut[i]);
        testgen::DriveOptions later;
        later.seconds = 10;
        later.hour = 10;
        later.minute = later.second = 0;
        makeDriveAt(dir.filePath("REC_0004.MP4"), later, [](int i, QStringList& f) {
            if (i >= 3 && i < 6) f[4] = f[5] = "0";
        });
        QFile whole(dir.filePath("REC_0001.MP4"));
        ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
        QFile shortened(dir.filePath("REC_0005.MP4"));
        ASSERT_TRUE(shortened.open(QIODevice::WriteOnly) && shortened.write(whole.read(whole.size() / 2)) > 0);
        shortened.close();
        QFile(dir.filePath("REC_0006.MP4")).open(QIODevice::WriteOnly);
        QFile second(dir.filePath("REC_0002.MP4"));
        ASSERT_TRUE(second.open(QIODevice::ReadOnly));
        QByteArray noVideo = second.readAll();
        noVideo.replace(noVideo.indexOf("trak", noVideo.indexOf("moov")), 4, "free");
        QFile blind(dir.filePath("REC_0007.MP4"));
        ASSERT_TRUE(blind.open(QIODevice::WriteOnly) && blind.write(noVideo) == noVideo.size());
        blind.close();
        ASSERT_TRUE(openIndexed(w, {tmp.path()}));
        ASSERT_EQ(recordingsTable(w).model()->rowCount(), 7);
    }
    QString cell(int row, int column, int role = Qt::DisplayRole) {
        return recordingsTable(w).model()->index(row, column).data(role).toString();
    }

    QTemporaryDir tmp;
    QDir dir{tmp.path()};
    ViewController w{MpvPlayer::Output::None};
};

}  // namespace

TEST_F(TripsWindow, TableShowsTripsAndEvents) {
    // A trip lasts as long as its recordings, not from its first sample to its last.
    const QString trip1 = "Trip 1: from 2016-05-12 09:03:07, 1:00 long, 3 recording(s)";
    const QString cut = "No movie header: not a recording, or cut short";
    const QStringList rows[] = {  // time, its tool tip, trip, its tool tip, event, its tool tip
        {"00:20", "00:20", "1 09:03 · 1:00", trip1, "", ""},
        {"00:20", "00:20", "1", trip1, "⚠", "1 event(s)\n0:12 hard-braking"},
        {"00:20", "00:20", "1", trip1, "", ""},
        {"00:10", "00:10", "2 10:00 · 0:10", "Trip 2: from 2016-05-12 10:00:00, 0:10 long, 1 recording(s)", "", ""},
        // The damaged rows belong to no trip, and say why.
        {"0:0", cut, "", cut, "", cut},
        {"0:0", "Empty file", "", "Empty file", "", "Empty file"},
        {"00:20", "No video track", "", "No video track", "", "No video track"},  // nor its events
    };
    for (int row = 0; row < 7; ++row) {
        QStringList shown;
        for (int column : {FileTableModel::Time, FileTableModel::Trip, FileTableModel::Event})
            shown << cell(row, column) << cell(row, column, Qt::ToolTipRole);
        EXPECT_EQ(shown, rows[row]);
        // One band for the second trip only.
        EXPECT_EQ(recordingsTable(w).model()->index(row, 0).data(Qt::BackgroundRole).isValid(), row == 3) << row;
    }
    // The band is a tint of the palette's base: dark under a dark palette, where light text stays readable on it.
    const QPalette light = QGuiApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    QApplication::setPalette(dark);
    EXPECT_LT(recordingsTable(w).model()->index(3, 0).data(Qt::BackgroundRole).value<QColor>().lightness(), 80);
    QApplication::setPalette(light);
    EXPECT_GT(recordingsTable(w).model()->index(3, 0).data(Qt::BackgroundRole).value<QColor>().lightness(), 180);
    // The old columns stay: the date the recording's first sample has.
    const auto firstTime = samplesInFile(dir.filePath("REC_0001.MP4")).at(0).time.value().sinceEpoch.count();
    EXPECT_EQ(cell(0, FileTableModel::Date), QDateTime::fromMSecsSinceEpoch(firstTime, Qt::UTC).toString("yyyy/MM/dd"));
    EXPECT_EQ(cell(5, FileTableModel::File, Qt::ToolTipRole), "Empty file");
    // Nor have they statistics of their own, or a trip's.
    for (int row : {4, 5, 6}) {
        w.playTheVideo(row);
        EXPECT_EQ(statisticsShown(w), QStringList()) << row;
    }
}

TEST_F(TripsWindow, StatisticsPanelInBothUnits) {
    QSettings().clear();
    const struct {
        int row, unit;
        QString topSpeed, distanceUnit, recordingEvents;
    } cases[] = {{1, 1, "60 km/h", " km", "1"}, {1, 0, "37 mph", " mi", "1"}, {0, 1, "60 km/h", " km", "0"}};
    double kilometres = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row * 10 + c.unit);
        w.playTheVideo(c.row);
        QSettings().setValue("PresetSpeedUnit", c.unit);
        QSettings().setValue("PresetDistanceUnit", c.unit);
        w.SettingViewClosed();
        // Named values with their units, the recording's beside its trip's.
        const QStringList shown = statisticsShown(w);
        ASSERT_EQ(shown.size(), 7) << shown.join('\n').toStdString();
        EXPECT_EQ(shown[0], "\tRecording\tTrip 1");
        const QStringList distance = shown[1].split('\t');
        ASSERT_EQ(distance.size(), 3) << shown[1].toStdString();
        EXPECT_EQ(distance[0], "Distance");
        EXPECT_TRUE(distance[1].endsWith(c.distanceUnit) && distance[2].endsWith(c.distanceUnit)) << shown[1].toStdString();
        EXPECT_TRUE(shown[2].startsWith("Moving time\t")) << shown[2].toStdString();
        EXPECT_TRUE(shown[3].startsWith("Average speed\t")) << shown[3].toStdString();
        EXPECT_EQ(shown[4].section('\t', 0, 1), "Top speed\t" + c.topSpeed);
        EXPECT_TRUE(QRegularExpression("^Max G(\t(X \\d\\.\\d\\d g Y \\d\\.\\d\\d g Z \\d\\.\\d\\d g)){2}$").match(shown[5]).hasMatch())
            << shown[5].toStdString();
        EXPECT_EQ(shown[6], "Events\t" + c.recordingEvents + "\t1");
        // The trip's distance, the same in either unit.
        const double trip = distance[2].section(' ', 0, 0).toDouble();
        if (c.unit == 1) kilometres = trip;
        else EXPECT_NEAR(trip, kilometres * 0.621371, 0.006);
    }
    EXPECT_GT(kilometres, 0.5);  // a minute at up to 60 km/h
}

TEST_F(TripsWindow, EventOnChartMapAndList) {
    ASSERT_EQ(eventsList(w).count(), 1);
    // The speed lost, in the unit of the settings, as the map and the labels give it.
    double lost[2] = {};
    for (int unit : {0, 1}) {
        QSettings().setValue("PresetSpeedUnit", unit);
        w.SettingViewClosed();
        ASSERT_EQ(eventsList(w).count(), 1);
        const QString item = eventsList(w).item(0)->text();
        const QString ending = unit ? " km/h lost  REC_0002.MP4" : " mph lost  REC_0002.MP4";
        EXPECT_TRUE(item.startsWith("0:12  hard-braking, ") && item.endsWith(ending)) << item.toStdString();
        lost[unit] = item.section(' ', 3, 3).toDouble();
    }
    EXPECT_NEAR(lost[0], lost[1] * 0.621371, 0.06);
    EXPECT_GT(lost[1], 15);
    for (int row : {0, 1}) {
        SCOPED_TRACE(row);
        w.playTheVideo(row);
        std::vector<double> marks;
        for (auto* s : chartView(w).chart()->series())
            if (s->name() == "Event mark") {
                for (const QPointF& p : static_cast<QLineSeries*>(s)->points()) marks.push_back(p.x());
                EXPECT_TRUE(s->property("toolTip").toString().startsWith("0:12 hard-braking, ") &&
                            s->property("toolTip").toString().endsWith(" km/h lost"))
                    << s->property("toolTip").toString().toStdString();
            }
        EXPECT_EQ(w.tripMap().markers(MapAnnotation::Kind::Event).size(), row == 1 ? 1 : 0);
        EXPECT_EQ(marks, (row == 1 ? std::vector<double>{12, 12} : std::vector<double>{}));  // one tick: two ends
    }
    // The car on the event, tick after tick: the event's warning stays drawn whole above it.
    const MapAnnotation event = w.tripMap().markers(MapAnnotation::Kind::Event).value(0);
    const QImage warning = *w.tripMap().viewForAnnotation(event);
    const auto isOrange = [](QRgb c) { return qRed(c) > 230 && qGreen(c) > 140 && qGreen(c) < 200 && qBlue(c) < 60; };
    int orange = 0;
    for (int y = 0; y < warning.height(); ++y)
        for (int x = 0; x < warning.width(); ++x) orange += isOrange(warning.pixel(x, y));
    MapWidget& map = mapOf(w);
    shownMap(map);  // laid out
    map.setView(event.coordinate, 18);
    for (int64_t ms : {11000, 12000, 12000}) w.tick({ms, 1000});
    const QList<MapAnnotation> car = w.tripMap().markers(MapAnnotation::Kind::Vehicle);
    ASSERT_EQ(car.size(), 1);
    ASSERT_LT(QLineF(map.toWidget(car[0].coordinate), map.toWidget(event.coordinate)).length(), 4.0);
    const QImage shown = shownMap(map);
    QRect box(QPoint(), warning.size());
    box.moveCenter(map.toWidget(event.coordinate).toPoint());
    int shownOrange = 0;
    for (int y = box.top() - 1; y <= box.bottom() + 1; ++y)
        for (int x = box.left() - 1; x <= box.right() + 1; ++x) shownOrange += isOrange(shown.pixel(x, y));
    EXPECT_GE(shownOrange, orange * 9 / 10) << orange;
    // From another recording, the click opens the event's first, to play 5 s before it.
    w.playTheVideo(3);
    clickEvent(w, 0);
    EXPECT_EQ(openRow(w), 1);
    EXPECT_EQ(recordingsTable(w).selectionModel()->selectedRows().value(0).row(), 1);
    ASSERT_TRUE(w.session().recording());
    EXPECT_EQ(w.session().recording()->pendingSeek, std::optional<double>(7));

    // Recordings indexed later add their events below, leaving the event the user
    // chose chosen.
    eventsList(w).setCurrentRow(0);
    const QString chosen = eventsList(w).item(0)->text();
    ASSERT_TRUE(dir.mkdir("more") && QFile::copy(dir.filePath("REC_0002.MP4"), dir.filePath("more/REC_0008.MP4")));
    // The event's recording open, a row still indexing is refused: the trip's lines
    // go, and its event markers with them.
    ASSERT_FALSE(w.tripMap().markers(MapAnnotation::Kind::Event).isEmpty());
    const int32_t added = shownRowCount(w);
    ASSERT_TRUE(w.openPaths(QStringList{dir.filePath("more/REC_0008.MP4")}));
    w.playTheVideo(added);
    EXPECT_TRUE(w.tripMap().lines().isEmpty());
    EXPECT_TRUE(w.tripMap().markers(MapAnnotation::Kind::Event).isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !w.isIndexing(); }));
    ASSERT_EQ(eventsList(w).count(), 2);
    EXPECT_EQ(eventsList(w).currentRow(), 0);
    EXPECT_EQ(eventsList(w).item(0)->text(), chosen);
    EXPECT_TRUE(eventsList(w).item(1)->text().endsWith("  REC_0008.MP4")) << eventsList(w).item(1)->text().toStdString();
}

TEST_F(TripsWindow, EventSensitivityFromTheDialogFindsTheEventsAgain) {
    QSettings().clear();
    w.playTheVideo(2);
    const struct {
        int chosen;
        bool moreThanTheBraking;  // the drive's G noise counts as jolts once the thresholds are low enough
    } cases[] = {{0, false}, {2, true}, {1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        SettingViewController dialog(&w, {}, {});
        if (c.chosen == 0) {
            EXPECT_EQ(dialog.eventSensitivity->currentText(), "Normal");  // never saved
        }
        dialog.eventSensitivity->setCurrentIndex(c.chosen);
        dialog.btn_save_and_close();
        EXPECT_EQ(QSettings().value("EventSensitivity").toInt(), c.chosen);
        EXPECT_EQ(eventsList(w).count() > 1, c.moreThanTheBraking);
    }
}

TEST_F(TripsWindow, RestOfTheTripInGreyAndTheMapFitsIt) {
    const telemetry::Class_Video_Info files[] = {recordingInFile(dir.filePath("REC_0001.MP4")),
                                                 recordingInFile(dir.filePath("REC_0002.MP4")),
                                                 recordingInFile(dir.filePath("REC_0003.MP4"))};
    const std::vector<const telemetry::Class_Video_Info*> trip = {&files[0], &files[1], &files[2]};
    const struct {
        int row, greyLines;
    } cases[] = {{1, 2}, {0, 2}, {3, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        w.playTheVideo(c.row);
        int grey = 0;
        for (const MapPolyline& line : mapOf(w).overlays()) grey += line.level == 1;
        EXPECT_EQ(grey, c.greyLines);
        if (c.row == 3) {  // its red track breaks where it had no fix
            int red = 0;
            EXPECT_TRUE(waitUntil([&] {
                red = 0;
                for (const MapPolyline& line : mapOf(w).overlays()) red += line.level == 0 && !line.points.isEmpty();
                return red > 0;
            }, 5000));
            EXPECT_EQ(red, 2);
            continue;
        }
        const GeoCoordinate centre = trackRegion(trip)->centre;
        EXPECT_NEAR(mapOf(w).centre().latitude, centre.latitude, 1e-9);
        EXPECT_NEAR(mapOf(w).centre().longitude, centre.longitude, 1e-9);
    }
    // The next recording of the same trip keeps the view the driver moved to; another trip is fitted.
    w.playTheVideo(1);
    mapOf(w).setRegion({10.0, 20.0}, 0.01, 0.01, false);
    w.playTheVideo(2);
    EXPECT_NEAR(mapOf(w).centre().latitude, 10.0, 1e-9);
    w.playTheVideo(3);
    EXPECT_GT(std::abs(mapOf(w).centre().latitude - 10.0), 1.0);
}

// A card with other cameras' recordings beside the text-track camera's: each row
// names its camera and plays with its own numbers; a damaged one says why.
TEST(OtherCamerasWindow, RowsNameTheirCameraAndPlayWithTheirOwnNumbers) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not on PATH";
    QSettings().clear();
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    testgen::DriveOptions drive;
    drive.seconds = 10;
    drive.hour = 14;  // the text-track recording's drive starts at 9:03
    const auto points = testgen::simulateDrivePoints(drive);
    testgen::writeGoPro(dir.filePath("GX010001.MP4").toStdString(), {.drive = points});
    testgen::writeNovatek(dir.filePath("NOVA0001.MP4").toStdString(), points);
    makeRecording(dir, "REC_0001.MP4", 10);
    // Its first payload claims more fixes than it holds.
    testgen::writeGoPro(dir.filePath("GX010002.MP4").toStdString(), {.drive = points, .cutPayload = true});

    ViewController w{MpvPlayer::Output::None};
    ASSERT_TRUE(openIndexed(w, {tmp.path()}));
    const auto cell = [&](int row, int column, int role = Qt::DisplayRole) {
        return recordingsTable(w).model()->index(row, column).data(role).toString();
    };
    ASSERT_EQ(recordingsTable(w).model()->rowCount(), 4);
    EXPECT_EQ((QStringList{cell(0, FileTableModel::Camera), cell(2, FileTableModel::Camera), cell(3, FileTableModel::Camera)}),
              (QStringList{"GoPro GPMF", "Novatek", "Ambarella"}));
    EXPECT_EQ((QStringList{cell(0, FileTableModel::Time), cell(0, FileTableModel::Date), cell(2, FileTableModel::Time)}),
              (QStringList{"00:10", "2016/05/12", "00:10"}));
    EXPECT_TRUE(cell(0, FileTableModel::Trip).startsWith("1 14:03"));
    EXPECT_FALSE(cell(1, FileTableModel::Camera).isEmpty());
    EXPECT_FALSE(cell(1, FileTableModel::File, Qt::ToolTipRole).isEmpty());  // why it cannot be read
    EXPECT_TRUE(cell(1, FileTableModel::Trip).isEmpty());

    // Five seconds into the GoPro recording: its own date, speed and G values.
    w.playTheVideo(0);
    w.tick({5000, 1000});
    EXPECT_EQ(labelText(w, "sampleDate"), "DATE: 2016/05/12 14:03:12");
    EXPECT_EQ(labelText(w, "sampleSpeed"), QStringLiteral("SPEED : %1Mph").arg(int(points[5].speedKmh * 0.621371)));
    const QString gz = labelText(w, "gz");
    EXPECT_TRUE(gz.startsWith("Z : 1.0") || gz.startsWith("Z : 0.9")) << gz.toStdString();
    // The damaged one shows none of it afterwards.
    w.playTheVideo(1);
    w.tick({5000, 1000});
    EXPECT_NE(labelText(w, "sampleDate"), "DATE: 2016/05/12 14:03:12");
    // Novatek has no G-sensor: its chart shows the speed instead of three empty lines.
    w.playTheVideo(2);
    QStringList lines;
    for (QAbstractSeries* s : chartView(w).chart()->series())
        if (auto* line = qobject_cast<QLineSeries*>(s); line && line->count() > 0) lines << line->name();
    EXPECT_EQ(lines.size(), 1) << lines.join(", ").toStdString();
}

// A card's root in the window: the Folder column from the root down, the protected
// recording in its drive's trip and in the events list, where a click opens it; a
// protected file that is no recording is listed too, at its start.
TEST(CardWindow, ProtectedRecordingInItsDriveAndInTheEventsList) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not on PATH";
    QSettings().clear();
    QTemporaryDir tmp;
    const QString root = tmp.filePath("CARD");
    testgen::writeCard(root.toStdString(), testgen::CardFamily::Novatek, 2);
    makeRecording(QDir(root + "/DCIM/Movie/RO"), "2016_0512_100000_0009F.MP4", 0, false);
    ViewController w{MpvPlayer::Output::None};
    ASSERT_TRUE(openIndexed(w, {root}));
    ASSERT_EQ(shownRowCount(w), 5);
    QStringList rows;
    for (int row = 0; row < shownRowCount(w); ++row)
        rows << QStringList{shownCell(w, row, FileTableModel::Folder), shownCell(w, row, FileTableModel::Kind),
                            shownCell(w, row, FileTableModel::Trip).section(' ', 0, 0)}
                    .join(' ');
    EXPECT_EQ(rows, (QStringList{"DCIM/Movie Normal 1", "DCIM/Movie Normal 1", "DCIM/Movie/RO Event 1",
                                 "DCIM/Movie/Parking Parking 2", "DCIM/Movie/RO Event "}));
    QStringList listed;
    for (int i = 0; i < eventsList(w).count(); ++i) listed << eventsList(w).item(i)->text();
    EXPECT_EQ(listed, (QStringList{"0:00  protected by the camera  2016_0512_090311_0003F.MP4",
                                   "0:00  protected by the camera  2016_0512_100000_0009F.MP4"}));
    ASSERT_FALSE(listed.isEmpty());
    clickEvent(w, 0);
    EXPECT_TRUE(waitUntil([&] { return w.session().isOpen() && w.session().recording()->row == 2; }));
    // These cameras wrote no G values: the panel says so instead of showing zeros as maxima.
    EXPECT_EQ(statisticsShown(w).value(5), "Max G\t–\t–");
}
