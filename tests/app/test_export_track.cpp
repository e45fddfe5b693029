// File ▸ Export Track… and the Camera clock setting, driven through the window with
// the choice scripted; GDAL's ogrinfo reads what the viewer wrote.

#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QAction>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>

#include "AppTestSupport.h"
#include "ExportSettings.h"
#include "ExportTrackAction.h"
#include "MainMenu.h"
#include "OgrInfo.h"
#include "Process.h"
#include "SettingViewController.h"
#include "SettingsStore.h"
#include "ViewController.h"

namespace {

class ScriptedExport : public ExportTrackAction {
public:
    using ExportTrackAction::ExportTrackAction;
    std::optional<Choice> next;      // what the dialogs answer; nullopt: cancelled
    std::optional<Offer> offered;    // what they were shown last
    std::vector<std::pair<QString, bool>> told;  // text, warning

protected:
    std::optional<Choice> chooseExport(const Offer& offer) override {
        offered = offer;
        return next;
    }
    void tell(const QString& text, bool warning) override { told.emplace_back(text, warning); }
};

// A trip of two 5 s recordings from 09:03:07 on the camera's clock, a recording an
// hour later, and one at 11:00 that never had a position fix.
class ExportWindow : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings().clear();
        const auto trip = testgen::cutDrive({}, {5, 5}, 0);
        const std::vector<std::string> lines[] = {
            trip[0], trip[1], testgen::simulateDrive({.seconds = 5, .hour = 10, .minute = 0, .second = 0}),
            testgen::simulateDrive({.seconds = 3, .hour = 11, .minute = 0, .second = 0, .noFixSeconds = 3})};
        for (int i = 0; i < 4; ++i)
            makeRecordingOf(dir.filePath(QStringLiteral("REC_000%1.MP4").arg(i + 1)).toStdString(), lines[i]);
        ASSERT_TRUE(openIndexed(w, {tmp.path()}));
        ASSERT_EQ(shownRowCount(w), 4);
        exporter = new ScriptedExport(&w);
        w.setTrackExport(exporter);
    }
    void exportTrack(ExportScope scope, const QString& format, const QString& name) {
        exporter->next = ExportTrackAction::Choice{scope, format, dir.filePath(name)};
        w.mainMenu().exportTrack->trigger();
    }

    QTemporaryDir tmp;
    QDir dir{tmp.path()};
    ViewController w{MpvPlayer::Output::None};
    ScriptedExport* exporter = nullptr;
};

}  // namespace

TEST_F(ExportWindow, ScopeRowsThenWritesTheChosenRowsNamesThoseWithoutFixAndRemembersFormatAndFolder) {
    const struct {
        ExportScope scope;
        int current;
        std::vector<int> rows;
    } cases[] = {
        {ExportScope::Recording, 1, {1}},  {ExportScope::Trip, 1, {0, 1}}, {ExportScope::Trip, 0, {0, 1}},
        {ExportScope::Trip, 2, {2}},       {ExportScope::All, -1, {0, 1, 2, 3}}, {ExportScope::All, 2, {0, 1, 2, 3}},
        {ExportScope::Recording, -1, {}},  {ExportScope::Trip, -1, {}},   {ExportScope::Trip, 4, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "scope " << int(c.scope) << " row " << c.current);
        EXPECT_EQ(exportRows(c.scope, c.current, w.driveIndex(), 4), c.rows);
    }

    const auto offered = [&] {
        const ExportTrackAction::Offer& o = *exporter->offered;
        return std::tuple(o.recording, o.tripRows, o.allRows, o.format, o.folder);
    };
    w.mainMenu().exportTrack->trigger();  // cancelled, nothing on screen yet
    ASSERT_TRUE(exporter->offered);
    EXPECT_EQ(offered(), std::tuple(QString(), 0, 4, QString(), QString()));
    EXPECT_TRUE(exporter->told.empty());

    w.playTheVideo(1);
    exportTrack(ExportScope::Trip, "geojson", "trip");  // the suffix is added
    EXPECT_EQ(exporter->told, (std::vector{std::pair("Track exported to " + dir.filePath("trip.geojson"), false)}));
    QFile json(dir.filePath("trip.geojson"));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(json.readAll()).object()["features"].toArray().size(), 2);
    exporter->next.reset();
    w.mainMenu().exportTrack->trigger();
    EXPECT_EQ(offered(), std::tuple(QString("REC_0002.MP4"), 2, 4, QString("geojson"), dir.absolutePath()));

    const auto told = [&] { return exporter->told.back().first.toStdString(); };
    exportTrack(ExportScope::All, "kml", "all.kml");
    EXPECT_TRUE(QFile::exists(dir.filePath("all.kml")));
    EXPECT_TRUE(exporter->told.back().second);
    EXPECT_TRUE(told().ends_with("left out: REC_0004.MP4")) << told();
    exportTrack(ExportScope::All, "gpx", "no/such/folder/x.gpx");
    EXPECT_TRUE(told().starts_with("The track could not be written to")) << told();
    // Never over a listed recording, by its own name or through a linked folder.
    QTemporaryDir links;
    ASSERT_TRUE(QFile::link(tmp.path(), links.filePath("card")));
    QFile recording(dir.filePath("REC_0001.MP4"));
    ASSERT_TRUE(recording.open(QIODevice::ReadOnly));
    const QByteArray bytes = recording.readAll();
    for (const QString& path : {dir.filePath("REC_0001.MP4"), links.filePath("card/REC_0001.MP4")}) {
        exporter->next = ExportTrackAction::Choice{ExportScope::All, "gpx", path};
        w.mainMenu().exportTrack->trigger();
        EXPECT_EQ(exporter->told.back(),
                  std::pair(path + " is a recording in the list: a track cannot take its place; choose another name.", true));
    }
    QFile again(dir.filePath("REC_0001.MP4"));
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_TRUE(again.readAll() == bytes);
    w.playTheVideo(3);
    exportTrack(ExportScope::Recording, "gpx", "blind.gpx");
    EXPECT_EQ(exporter->told.back(), std::make_pair(QString("No track to export: REC_0004.MP4"), true));
    EXPECT_FALSE(QFile::exists(dir.filePath("blind.gpx")));
}

TEST(ExportTrack, NothingIndexedSaysSoWithoutAsking) {
    QSettings().clear();
    ViewController w{MpvPlayer::Output::None};
    auto* exporter = new ScriptedExport(&w);
    w.setTrackExport(exporter);
    exporter->next = ExportTrackAction::Choice{ExportScope::All, "gpx", QDir::temp().filePath("never.gpx")};
    w.mainMenu().exportTrack->trigger();
    EXPECT_FALSE(exporter->offered);
    ASSERT_EQ(exporter->told.size(), 1u);
    EXPECT_TRUE(exporter->told[0].first.startsWith("No recording is indexed yet"));
    EXPECT_FALSE(QFile::exists(QDir::temp().filePath("never.gpx")));
}

// The camera's 09:03:07 read on the chosen clock, as GDAL reads it back in UTC.
TEST_F(ExportWindow, GdalReadsTheViewersGpxWithUtcTimesAndNumericSpeeds) {
    qputenv("LC_ALL", "C");
    if (!testgen::onPath("ogrinfo")) GTEST_SKIP() << "ogrinfo is not on PATH";
    const struct {
        const char *clock, *format, *time;
    } cases[] = {{"UTC", "gpx10", "09:03:07"}, {"+02:00", "gpx10", "07:03:07"}, {"-03:30", "gpx", "12:33:07"}};
    w.playTheVideo(0);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.clock) + " " + c.format);
        ASSERT_TRUE(saveCameraClock(c.clock));
        const QString name = QStringLiteral("%1.gpx").arg(c.format);
        exportTrack(ExportScope::Recording, c.format, name);
        const std::string out = testgen::runProcess({"ogrinfo", "-ro", "-al", dir.filePath(name).toStdString()}).out;
        auto layers = ogr::parseOgrinfo(out);
        EXPECT_EQ(layers["tracks"].featureCount, 1) << out;
        ogr::OgrLayer& points = layers["track_points"];
        ASSERT_EQ(points.features.size(), 5u) << out;
        EXPECT_EQ(points.features[0].fields["time"], std::string("2016/05/12 ") + c.time + "+00");
        if (std::string(c.format) != "gpx10") continue;
        EXPECT_EQ(points.fieldTypes["speed"], "Real");
        const double kmh = samplesInFile(dir.filePath("REC_0001.MP4")).at(0).speedKmh.value();
        EXPECT_NEAR(std::stod(points.features[0].fields["speed"]) * 3.6, kmh, 1e-6);
    }
}

TEST(CameraClock, SettingTextGivesTheZone) {
    const QDateTime summer(QDate(2016, 5, 12), QTime(9, 3, 7), QTimeZone::systemTimeZone());
    const struct {
        const char *stored, *setting;
        std::optional<int> offset;  // nullopt: this computer's zone
    } cases[] = {{"system", "system", {}}, {"UTC", "UTC", 0},         {"+02:00", "+02:00", 7200},
                 {"-03:30", "-03:30", -12600}, {"", "system", {}},    {"utc", "system", {}},
                 {"+2:00", "system", {}},      {"+15:00", "system", {}}, {"Europe/Berlin", "system", {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(cameraClockSetting(c.stored), c.setting);
        const QTimeZone zone = cameraClockZone(cameraClockSetting(c.stored));
        if (c.offset) EXPECT_EQ(zone.offsetFromUtc(summer), *c.offset);
        else EXPECT_EQ(zone, QTimeZone::systemTimeZone());
    }
}

TEST(CameraClock, DialogStoresItBesideTheOtherSettingsAndRefusesABadOffset) {
    QSettings().clear();
    {
        SettingViewController dialog(nullptr, "", "");
        EXPECT_EQ(std::pair(dialog.cameraClock->currentIndex(), dialog.cameraOffset->isEnabled()), std::pair(0, false));
        dialog.btn_select_speed_unit->setCurrentIndex(1);
        dialog.cameraClock->setCurrentIndex(2);
        EXPECT_TRUE(dialog.cameraOffset->isEnabled());
        dialog.cameraOffset->setText("+2:00");
        dialog.btn_save_and_close();
        EXPECT_FALSE(dialog.saveError->isHidden());
        EXPECT_FALSE(QSettings().contains("CameraClock") || QSettings().contains("PresetSpeedUnit"));  // nothing stored
        dialog.cameraOffset->setText("+02:00");
        dialog.btn_save_and_close();
    }
    EXPECT_EQ(QSettings().value("CameraClock").toString(), "+02:00");
    EXPECT_EQ(loadSettings().PresetSpeedUnit, 1);
    {
        SettingViewController dialog(nullptr, "", "");
        EXPECT_EQ(std::pair(dialog.cameraClock->currentIndex(), dialog.cameraOffset->text()), std::pair(2, QString("+02:00")));
        dialog.cameraClock->setCurrentIndex(1);
        dialog.btn_save_and_close();
    }
    EXPECT_EQ(loadCameraClock(), "UTC");
    QSettings().setValue("CameraClock", "half past");
    EXPECT_EQ(SettingViewController(nullptr, "", "").cameraClock->currentIndex(), 0);
    EXPECT_EQ(loadCameraClock(), "system");
}
