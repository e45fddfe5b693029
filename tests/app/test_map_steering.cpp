// Steering from the map: a click on the track seeks to the sample there, Fit Trip,
// Follow Vehicle, the track's end markers, and the file table's Folder column.
#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QApplication>
#include <QAction>
#include <QTest>

#include "AppTestSupport.h"
#include "FileTableModel.h"
#include "FileTableView.h"
#include "FollowView.h"
#include "MainMenu.h"
#include "MapSteering.h"
#include "SubtitleTrackReader.h"
#include "MapWidget.h"
#include "PlaybackTick.h"
#include "PositionFix.h"
#include "RowText.h"
#include "TrackEnds.h"
#include "TrackHit.h"
#include "TrackRegion.h"
#include "TripMap.h"
#include "Trips.h"
#include "PlaybackSession.h"
#include "ViewController.h"

namespace {

using Pixels = QVector<std::optional<QPointF>>;
constexpr std::nullopt_t gap = std::nullopt;

bool isRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }

// One sample a second at each (lat, lon) in ten-thousandths; "0" is no fix.
RecordingRecord recordOf(const std::vector<std::pair<std::string, std::string>>& positions) {
    auto record = std::make_shared<telemetry::Class_Video_Info>();
    record->array_SubtileInfo.emplace();
    for (const auto& [lat, lon] : positions) {
        telemetry::Class_Subtitle_Info s;
        s.setSubtitleInfo("$0$0$1$" + lon + "$" + lat + "$90$36$2016$5$12$9$3$7$N$E");
        record->array_SubtileInfo->push_back(s);
    }
    record->num_subtitle = record->duration_second = uint32_t(positions.size());
    record->gapSubtitlePerSecond = 1;
    record->isSupportSubtitle = 1;
    return record;
}

// Eastward along a street, 0.0002 degrees a second, no fix at second 3.
RecordingRecord street() {
    return recordOf({{"481000", "115000"}, {"481000", "115002"}, {"481000", "115004"}, {"0", "0"}, {"481000", "115008"},
                     {"481000", "115010"}});
}

}  // namespace

TEST(TrackHit, ClickNearThePieceNearestItGivesItsNearerEnd) {
    // A street out and back 10 px apart, then after a gap one lone fix.
    const Pixels pixels = {QPointF(0, 0), QPointF(100, 0), QPointF(100, 10), QPointF(0, 10), gap, QPointF(200, 0)};
    const struct {
        QPointF click;
        std::optional<uint32_t> sample;
    } cases[] = {
        {{0, 0}, 0},       {{30, 4}, 0},          {{80, 4}, 1},         {{80, 6}, 2},  // the nearer of the two streets
        {{30, 9}, 3},      {{100, -6}, 1},        {{100, -6.5}, std::nullopt},        // just beyond the tolerance
        {{-7, 10}, std::nullopt}, {{100, 0}, 1}, {{100, 10}, 2},
        {{100, 50}, std::nullopt}, {{204, 3}, 5}, {{150, 5}, std::nullopt},           // no line across the gap
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.click.x() << "," << c.click.y());
        EXPECT_EQ(trackhit::sampleAt(pixels, c.click), c.sample);
    }
    EXPECT_EQ(trackhit::sampleAt({}, {0, 0}), std::nullopt);
    EXPECT_EQ(trackhit::sampleAt({gap, gap}, {0, 0}), std::nullopt);
}

TEST(PlaybackTick, SampleVideoSecondsIsTheFirstSecondTheTickShowsTheSample) {
    // (samples, whole seconds, samples per second as indexed)
    for (const auto& [n, d, gap] : {std::tuple{60u, 60u, 1u}, {60u, 30u, 2u}, {60u, 59u, 2u}, {30u, 60u, 1u}, {7u, 3u, 3u}}) {
        telemetry::Class_Video_Info record;
        record.num_subtitle = n, record.duration_second = d, record.gapSubtitlePerSecond = gap, record.lastPosition = 2;
        for (uint32_t index = 0; index < n; ++index) {
            SCOPED_TRACE(testing::Message() << "sample " << index << " of " << n << " in " << d << " s");
            const int64_t s = sampleVideoSeconds(index, record);
            ASSERT_TRUE(s >= 0 && s < int64_t(d)) << s;
            const auto shownAt = [&](int64_t second) { return tickSampleIndex(float(second * 1000), record); };
            if (n % d == 0) {
                EXPECT_EQ(shownAt(s), index - index % gap);  // the nearest the tick ever shows
            } else if (s < int64_t(d) - 1) {
                EXPECT_TRUE(shownAt(s) >= index && (s == 0 || shownAt(s - 1) < index));
            }
        }
    }
}

TEST(FollowView, PansOntoTheMarkerOnlyNearAnEdge) {
    const QSizeF view(200, 100);  // the margin is 30 px at the sides, 15 at top and bottom
    const struct {
        QPointF marker;
        bool pans;
    } cases[] = {{{30, 15}, false}, {{170, 85}, false}, {{29, 50}, true},
                 {{100, 86}, true}, {{171, 50}, true}, {{100, 14}, true}, {{-400, 50}, true}};  // off the view
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.marker.x() << "," << c.marker.y());
        EXPECT_EQ(followPan(c.marker, view), c.pans ? std::optional(c.marker) : std::nullopt);
    }
}

TEST(FitTrip, TheRecordingFirstThenTheRestOfItsTrip) {
    const QVector<RecordingRecord> list = {recordOf({{"480000", "110000"}}), recordOf({{"481000", "111000"}}),
                                           recordOf({{"482000", "112000"}}), recordOf({{"0", "0"}})};
    trips::Trip trip;
    trip.firstRecording = 0, trip.recordings = 3;
    const struct {
        int32_t row;
        const trips::Trip* trip;
        std::vector<int> records;
    } cases[] = {{1, &trip, {1, 0, 2}}, {0, &trip, {0, 1, 2}}, {2, nullptr, {2}}, {3, nullptr, {3}}, {4, nullptr, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        std::vector<RecordingRecord> expected;
        for (int k : c.records) expected.push_back(list.at(k));
        EXPECT_EQ(fitRecords(list, c.row, c.trip), expected);
    }
}

TEST(TrackEnds, FirstAndLastFixOnly) {
    const TrackEnds ends = trackEnds(*recordOf({{"0", "0"}, {"481000", "115000"}, {"481000", "115004"}, {"0", "0"}}));
    ASSERT_TRUE(ends.start && ends.end);
    EXPECT_EQ(ends.start->longitude, 11.5);
    EXPECT_DOUBLE_EQ(ends.end->longitude, 11.5004);
    EXPECT_FALSE(trackEnds(*recordOf({{"0", "0"}})).start);
    EXPECT_FALSE(trackEnds(telemetry::Class_Video_Info{}).end);
    EXPECT_NE(trackEndImage(kTrackStartTitle)->pixel(7, 7), trackEndImage(kTrackEndTitle)->pixel(7, 7));
    EXPECT_FALSE(trackEndImage("Start"));
}

// The map and the two View actions as the window has them, without the window.
class Steering : public ::testing::Test {
protected:
    void SetUp() override {
        follow.setCheckable(true);  // as in the View menu
        map.resize(400, 300);
        map.show();
        QObject::connect(&steering, &MapSteering::seekRequested, [this](int64_t s) { seeks.push_back(s); });
        steering.showRecording(record, {record});
        map.setView({48.1, 11.5005}, 18);
    }
    QPoint pixelOf(int sample) const {
        const auto fix = telemetry::positionFix(record->array_SubtileInfo->at(size_t(sample)));
        return map.toWidget({fix->latitude, fix->longitude}).toPoint();
    }
    QStringList titles() const {
        QStringList t;
        for (const MapAnnotation& a : map.annotations()) t.append(a.title);
        return t;
    }

    MapWidget map{QString()};
    QAction fitTrip{"Fit Trip"}, follow{"Follow Vehicle"};
    MapSteering steering{&map, &fitTrip, &follow};
    RecordingRecord record = street();
    std::vector<int64_t> seeks;
};

TEST_F(Steering, ClickOnTheTrackSeeksToTheSampleThereAndADragPans) {
    EXPECT_EQ(titles(), QStringList({kTrackStartTitle, kTrackEndTitle}));
    for (int sample : {1, 2, 4}) QTest::mouseClick(&map, Qt::LeftButton, {}, pixelOf(sample) + QPoint(1, 3));
    EXPECT_EQ(seeks, std::vector<int64_t>({1, 2, 4}));
    QTest::mouseClick(&map, Qt::LeftButton, {}, pixelOf(2) + QPoint(0, 20));  // off the track
    QTest::mouseClick(&map, Qt::LeftButton, {}, pixelOf(5));  // the end's marker shows its title
    // A drag that starts on the track pans the map and turns Follow Vehicle off.
    follow.setChecked(true);
    const GeoCoordinate before = map.centre();
    QTest::mousePress(&map, Qt::LeftButton, {}, pixelOf(2));
    QTest::mouseMove(&map, pixelOf(2) + QPoint(40, 0));
    QTest::mouseRelease(&map, Qt::LeftButton, {}, pixelOf(2) + QPoint(40, 0));
    EXPECT_EQ(seeks.size(), 3u);
    EXPECT_NE(map.centre().longitude, before.longitude);
    EXPECT_FALSE(follow.isChecked());
    // Nothing open: no markers, and a click on where the track was does nothing.
    steering.clear();
    EXPECT_TRUE(titles().isEmpty());
    QTest::mouseClick(&map, Qt::LeftButton, {}, pixelOf(4));
    EXPECT_EQ(seeks.size(), 3u);
}

// Another camera's recording: its decoded samples, two a second, are what a click
// finds, and it seeks to the whole second of the sample's own video time.
TEST_F(Steering, AnotherCamerasSamplesSeekToTheirOwnVideoTime) {
    auto samples = std::make_shared<std::vector<telemetry::Sample>>(telemetry::samplesOf(*record));
    for (size_t k = 0; k < samples->size(); ++k) (*samples)[k].videoSeconds = 0.5 * double(k) + 0.25;
    steering.showRecording(record, {record}, samples, {samples});
    for (int sample : {1, 2, 4}) QTest::mouseClick(&map, Qt::LeftButton, {}, pixelOf(sample) + QPoint(1, 3));
    EXPECT_EQ(seeks, std::vector<int64_t>({0, 1, 2}));
    EXPECT_EQ(titles(), QStringList({kTrackStartTitle, kTrackEndTitle}));
    map.setView({0, 0}, 5);
    fitTrip.trigger();
    EXPECT_TRUE(waitUntil([&] { return std::abs(map.centre().latitude - 48.1) < 0.01; }, 5000));
}

TEST(FolderColumn, FolderOfAPath) {
    const struct {
        const char* path;
        const char* folder;
    } folders[] = {{"/a/b/REC.MP4", "/a/b"}, {"/REC.MP4", "/"}, {"REC.MP4", ""}, {"/a/b/", "/a/b"}};
    for (const auto& f : folders) EXPECT_EQ(folderOf(f.path), f.folder) << f.path;
}

// In the window: the ends' markers belong to the open recording only, and the
// Folder column follows the folders opened.
TEST(MapSteeringInWindow, EndMarkersOfTheOpenRecordingOnly) {
    QTemporaryDir tmp;
    QDir day1(tmp.path()), day2(tmp.path());
    ASSERT_TRUE(day1.mkpath("day1") && day2.mkpath("day2") && day1.cd("day1") && day2.cd("day2"));
    makeRecording(day1, "REC_0001.MP4", 8);
    makeRecording(day1, "REC_0002.MP4", 0, false);  // damaged: no telemetry
    makeRecording(day2, "REC_0003.MP4", 8);
    ViewController w{MpvPlayer::Output::None};
    // The markers drawn as ends, each where the open recording's track has that end.
    const auto ends = [&] {
        const TrackEnds own = w.session().recording() ? trackEnds(recordingInFile(w.session().recording()->path)) : TrackEnds{};
        int n = 0;
        for (const MapAnnotation& a : w.tripMap().markers(MapAnnotation::Kind::TrackEnd)) {
            const auto at = a.title == kTrackStartTitle ? own.start : own.end;
            n += at && at->latitude == a.coordinate.latitude && at->longitude == a.coordinate.longitude ? 1 : 100;
        }
        return n;
    };
    ASSERT_TRUE(openIndexed(w, {day1.path()}));
    EXPECT_TRUE(recordingsTable(w).isColumnHidden(FileTableModel::Folder));
    ASSERT_TRUE(openIndexed(w, {day2.path()}));
    EXPECT_FALSE(recordingsTable(w).isColumnHidden(FileTableModel::Folder));
    const QAbstractItemModel& rows = *recordingsTable(w).model();
    const QModelIndex cell = rows.index(2, FileTableModel::Folder);
    EXPECT_EQ(std::tuple(cell.data().toString(), cell.data(Qt::ToolTipRole).toString(),
                         rows.headerData(FileTableModel::Folder, Qt::Horizontal).toString()),
              std::tuple(QString("day2"), day2.path(), QString("Folder")));

    w.playTheVideo(0);
    EXPECT_EQ(ends(), 2);
    w.tick({3, 1});  // the vehicle marker comes and goes; the ends stay
    EXPECT_EQ(ends(), 2);
    // Not following, the map stays where the user took it; following, it goes back to the
    // car at the same zoom, then holds still while the car is well inside. Fit Trip shows the track.
    EXPECT_FALSE(w.mainMenu().followVehicle->isChecked());
    mapOf(w).setView({10.0, 10.0}, 15);
    w.tick({4, 1});
    EXPECT_EQ(mapOf(w).centre().latitude, 10.0);
    w.mainMenu().followVehicle->setChecked(true);
    w.tick({5, 1});
    EXPECT_GT(mapOf(w).centre().latitude, 40.0);
    EXPECT_EQ(mapOf(w).zoom(), 15);
    const double followed = mapOf(w).centre().latitude;
    w.tick({6, 1});
    EXPECT_EQ(mapOf(w).centre().latitude, followed);
    mapOf(w).setView({10.0, 10.0}, 15);
    w.mainMenu().fitTrip->trigger();
    const TrackEnds first = trackEnds(recordingInFile(day1.filePath("REC_0001.MP4")));
    EXPECT_TRUE(waitUntil([&] {
        return mapOf(w).rect().contains(mapOf(w).toWidget(*first.start).toPoint()) &&
               mapOf(w).rect().contains(mapOf(w).toWidget(*first.end).toPoint());
    }, 2000));
    w.playTheVideo(1);
    EXPECT_EQ(ends(), 0);
    EXPECT_TRUE(mapOf(w).annotations().isEmpty());
    w.playTheVideo(2);
    EXPECT_EQ(ends(), 2);
    // A row still waiting for its indexing is refused: the track goes, and its ends' markers with it.
    QDir day3(tmp.path());
    ASSERT_TRUE(day3.mkpath("day3") && day3.cd("day3"));
    makeRecording(day3, "REC_0004.MP4", 8);
    ASSERT_TRUE(w.openPaths(QStringList{day3.path()}));
    w.playTheVideo(3);
    EXPECT_TRUE(mapOf(w).overlays().isEmpty());
    EXPECT_EQ(ends(), 0);
    ASSERT_TRUE(waitUntil([&] { return !w.isIndexing(); }));
    w.mainMenu().clearList->trigger();
    EXPECT_EQ(ends(), 0);
    EXPECT_TRUE(recordingsTable(w).isColumnHidden(FileTableModel::Folder));
}

// The red line runs through every fix, so the markers sit on it at any zoom, and a
// click anywhere on it seeks.
TEST(MapSteeringInWindow, TheTrackRunsThroughEveryFixAndAClickAnywhereOnItSeeks) {
    // East for two seconds, round a corner, then north: (north, east) in ten-thousandths of a degree.
    const std::pair<int, int> steps[] = {{0, 0}, {0, 2}, {0, 4}, {2, 4}, {4, 4}, {6, 4}, {8, 4}, {10, 4}, {12, 4}, {14, 4}};
    std::vector<std::string> lines;
    for (size_t i = 0; i < std::size(steps); ++i)
        lines.push_back("$0$0$1$" + std::to_string(115000 + steps[i].second) + "$" + std::to_string(481000 + steps[i].first) +
                        "$0$36$2016$5$12$9$3$" + std::to_string(7 + i) + "$N$E");
    QTemporaryDir tmp;
    makeRecordingOf(QFile::encodeName(tmp.filePath("REC_0001.MP4")).toStdString(), lines);
    ViewController w{MpvPlayer::Output::None};
    w.resize(1280, 800);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_TRUE(openIndexed(w, {tmp.path()}));
    std::vector<int64_t> seeks;
    QObject::connect(&w.tripMap(), &TripMap::seekRequested, [&](int64_t s) { seeks.push_back(s); });
    w.playTheVideo(0);
    ASSERT_TRUE(waitUntil([&] { return !mapOf(w).overlays().isEmpty(); }, 5000));  // no routing: the recorded track
    mapOf(w).setView({48.1007, 11.5002}, 17);
    QImage image(mapOf(w).size(), QImage::Format_ARGB32);
    mapOf(w).render(&image);
    const auto pixelOf = [&](size_t i) {
        return mapOf(w).toWidget({(481000 + steps[i].first) / 1e4, (115000 + steps[i].second) / 1e4});
    };
    for (size_t i = 1; i + 1 < std::size(steps); ++i) {  // the ends lie under their markers
        const QPoint p = pixelOf(i).toPoint();
        ASSERT_TRUE(mapOf(w).rect().contains(p)) << p.x() << "," << p.y();
        EXPECT_TRUE(isRed(image.pixel(p))) << "sample " << i;
    }
    int clicks = 0;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3) {
            const QPointF at(x, y);
            if (!isRed(image.pixel(x, y)) || QLineF(at, pixelOf(0)).length() < 12 || QLineF(at, pixelOf(9)).length() < 12) continue;
            QTest::mouseClick(&mapOf(w), Qt::LeftButton, {}, at.toPoint());
            ++clicks;
            ASSERT_EQ(seeks.size(), size_t(clicks)) << "no seek for a click at " << x << "," << y;
        }
    EXPECT_GT(clicks, 20);
}

// The map's Fit and Follow buttons are drawn in the palette's button text colour: light on a
// dark palette's buttons, not the dark grey they had, which vanished there.
TEST(MapSteeringInWindow, ButtonIconsInThePalettesTextColour) {
    const QPalette light = QGuiApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Button, QColor(43, 43, 43));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    QApplication::setPalette(dark);
    {
        ViewController w{MpvPlayer::Output::None};
        for (const char* name : {"Fit &Trip", "F&ollow Vehicle"}) {
            const QImage icon = actionNamed(w, QString::fromUtf8(name)).icon().pixmap(16, 16).toImage();
            int inked = 0, darkest = 255;
            for (int y = 0; y < icon.height(); ++y)
                for (int x = 0; x < icon.width(); ++x)
                    if (const QColor c = icon.pixelColor(x, y); c.alpha() > 128) {
                        ++inked;
                        darkest = std::min(darkest, c.lightness());
                    }
            EXPECT_GT(inked, 10) << name;
            EXPECT_GT(darkest, 150) << name;
        }
    }
    QApplication::setPalette(light);
}
