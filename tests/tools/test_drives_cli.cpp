// trips and events, and folders as arguments, run on a card's folder the generator fills.

#include <QJsonObject>

#include "ToolTestSupport.h"

using namespace tooltest;

namespace {

// A card: a drive of three recordings with a hard braking in the second, a
// fourth recording a minute later, and what a folder on a card also holds.
class Card : public ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        testgen::DriveOptions drive;
        drive.startSpeedKmh = 60;
        drive.speedNoise = 0;
        drive.incidents = {{testgen::Incident::Braking, 32}};
        const auto parts = testgen::cutDrive(drive, {20, 30, 15, 20}, 0);
        // Named so that byte order differs from any case-blind order.
        const char* names[] = {"REC_0001.MP4", "REC_0002.MP4", "REC_0003.mp4", "rec_0004.Mp4"};
        for (size_t i = 0; i < 3; ++i) files.push_back(write(names[i], recording(parts[i], uint32_t(parts[i].size()))));
        testgen::DriveOptions later = drive;
        later.minute += 3;
        later.incidents.clear();
        later.gNoise = 0.3;  // a rough road: within the thresholds, not within High's
        later.seconds = 20;
        files.push_back(write(names[3], recording(testgen::simulateDrive(later), 20)));
        write("._REC_0001.MP4", recording({}, 1));  // hidden: a Mac's twin
        write("REC_0001.MP4.part", recording(parts[0], 20));
        write("notes.txt", recording({}, 1));
    }
    std::vector<std::string> files;
};

}  // namespace

TEST_F(Card, TripsOfAFolder) {
    const ProgramRun r = runTool({"trips", dir.string()}, dir);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonArray trips = jsonArray(r.out);
    ASSERT_EQ(trips.size(), 2);
    const QJsonObject first = trips[0].toObject(), s = first["statistics"].toObject();
    QJsonArray members;
    for (const QJsonValue m : first["recordings"].toArray())
        members.append(QJsonArray{m["file"], m["start"], m["statistics"]["events"]});
    EXPECT_EQ(members, (QJsonArray{QJsonArray{QString::fromStdString(files[0]), "2016-05-12T09:03:07", 0},
                                   QJsonArray{QString::fromStdString(files[1]), "2016-05-12T09:03:27", 1},
                                   QJsonArray{QString::fromStdString(files[2]), "2016-05-12T09:03:57", 0}}));
    EXPECT_EQ(std::tuple(first["trip"].toInt(), str(first["start"]), str(first["end"]), s["events"].toInt()),
              std::tuple(1, "2016-05-12T09:03:07", "2016-05-12T09:04:11", 1));
    EXPECT_GT(s["distance_m"].toDouble(), 500);
    EXPECT_NEAR(s["max_speed_kmh"].toDouble(), 60, 0.05);
    EXPECT_NEAR(s["max_abs_g"]["x"].toDouble(), 1.13, 0.01);  // the braking
    EXPECT_EQ(std::tuple(str(trips[1]["recordings"][0]["file"]), trips[1]["statistics"]["events"].toInt()),
              std::tuple(files[3], 0));

    // A file that cannot be read: reported, and a trip of its own without telemetry.
    const ProgramRun missing = runTool({"trips", files[0], (dir / "GONE.MP4").string(), files[1]}, dir);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("GONE.MP4: cannot read"), std::string::npos) << missing.err;
    const QJsonArray split = jsonArray(missing.out);
    ASSERT_EQ(split.size(), 3);
    EXPECT_EQ(std::tuple(split[1]["start"].isNull(), split[1]["statistics"]["distance_m"].toDouble(-1)),
              std::tuple(true, 0.0));
}

TEST_F(Card, EventsInspectAndExportTakeAFolderAsTheViewerOpensIt) {
    for (const std::string& argument : {dir.string(), files[1]}) {
        SCOPED_TRACE(argument);
        const ProgramRun r = runTool({"events", argument}, dir);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const QJsonArray events = jsonArray(r.out);
        ASSERT_EQ(events.size(), 1);
        const QJsonObject e = events[0].toObject();
        // Second 32 of the drive, 12 of the recording; the speed lost, from texts of one decimal.
        EXPECT_EQ(std::tuple(str(e["file"]), e["time"].toDouble(), str(e["kind"]), str(e["unit"])),
                  std::tuple(files[1], 12.0, "hard-braking", "km/h"));
        EXPECT_NEAR(e["peak"].toDouble(), 40, 0.11);
        EXPECT_NEAR(e["position"]["lat"].toDouble(), 48.14, 0.01);
        EXPECT_NEAR(e["position"]["lon"].toDouble(), 11.58, 0.01);
    }
    EXPECT_GT(jsonArray(runTool({"events", "-s", "high", dir.string()}, dir).out).size(), 1);

    QJsonArray paths;
    for (const QJsonValue o : jsonArray(runTool({"inspect", dir.string()}, dir).out)) paths.append(o["filepath"]);
    EXPECT_EQ(paths, QJsonArray::fromStringList({QString::fromStdString(files[0]), QString::fromStdString(files[1]),
                                                 QString::fromStdString(files[2]), QString::fromStdString(files[3])}));
    const ProgramRun csv = runTool({"export", "-f", "csv", dir.string() + "/"}, dir);
    ASSERT_EQ(csv.exitCode, 0) << csv.err;
    EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 1 + 20 + 30 + 15 + 20);
}
