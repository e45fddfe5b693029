// The dashcam-telemetry program as a user runs it: arguments, folders, exit status,
// messages, output files.

#include <QJsonObject>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <map>
#include <sstream>

#include "Card.h"
#include "ToolTestSupport.h"

using namespace tooltest;

namespace {

class Cli : public ScratchTest {
protected:
    std::string drive(const std::string& name, testgen::DriveOptions options, size_t truncateAt = 0) {
        testgen::SyntheticOptions o = recording(testgen::simulateDrive(options), uint32_t(options.seconds));
        if (truncateAt) o.truncateAt = truncateAt;
        return write(name, o);
    }
    // The program's messages are its name, the path and the reason.
    static void expectSaid(const ProgramRun& r, const std::vector<std::string>& messages) {
        for (const std::string& m : messages)
            EXPECT_NE(r.err.find("dashcam-telemetry: " + m), std::string::npos) << r.err;
    }
};

}  // namespace

TEST_F(Cli, InspectKeepsArgumentOrderAndReportsUnreadablePaths) {
    const std::string normal = drive("REC\xff.MP4", {.seconds = 12});  // a name that is not UTF-8
    const std::string tiny = drive("TINY.MP4", {.seconds = 12}, 50), missing = (dir / "MISSING.MP4").string();
    const ProgramRun r = runTool({"inspect", tiny, missing, normal}, dir);
    EXPECT_EQ(r.exitCode, 1);
    expectSaid(r, {missing + ": cannot read: No such file or directory\n",
                   missing + ": Couldn't get file attributes!\n"});
    QJsonArray seen;
    for (const QJsonValue o : jsonArray(r.out))
        seen.append(QJsonArray{o["filepath"], o["filename"], o["isSupportSubtitle"], o["fileSize"],
                               o["num_subtitle"], o["fileDate"].isNull()});
    const qint64 size = qint64(fs::file_size(normal));
    EXPECT_EQ(seen, (QJsonArray{QJsonArray{QString::fromStdString(tiny), "TINY.MP4", 0, 50, 0, false},
                                QJsonArray{QString::fromStdString(missing), "MISSING.MP4", 0, 0, 0, true},
                                QJsonArray{QString::fromUtf8(normal), "REC\xEF\xBF\xBD.MP4", 1, size, 12, false}}));

    // A damaged file that can be read is a finding, not an error.
    const ProgramRun readable = runTool({"inspect", normal, tiny}, dir);
    EXPECT_EQ(std::tuple(readable.exitCode, readable.err, jsonArray(readable.out).size()), std::tuple(0, "", 2));
}

// samples: the numbers of every recording, in the order given, the same whatever
// the camera; a damaged one says why, and a sample leaves out what it lacks.
TEST_F(Cli, SamplesPrintsEachRecordingsNumbersOrWhyNot) {
    const std::string south = drive("SOUTH.MP4", {.seconds = 6, .startLat = -33.9, .startLon = -70.6, .noFixSeconds = 2});
    testgen::SyntheticOptions cut = recording(testgen::simulateDrive({.seconds = 6}), 6);
    cut.offsetOverrides = {{3, 0xFFFFFF00u}};  // a sample past the end of the file
    const std::string damaged = write("CUT.MP4", cut);
    const std::string tiny = drive("TINY.MP4", {.seconds = 6}, 50), missing = (dir / "MISSING.MP4").string();

    const ProgramRun r = runTool({"samples", damaged, missing, tiny, south}, dir);
    EXPECT_EQ(r.exitCode, 1);
    expectSaid(r, {missing + ": cannot read: No such file or directory\n", damaged + ": warning: damaged"});
    EXPECT_EQ(r.out.find("null"), std::string::npos) << r.out;
    const QJsonArray out = jsonArray(r.out);
    ASSERT_EQ(out.size(), 4);
    QJsonArray seen;
    for (const QJsonValue o : out)
        seen.append(QJsonArray{o["file"], o["reader"].toString("none"), o["samples"].toArray().size(), o.toObject().contains("reason")});
    EXPECT_EQ(seen, (QJsonArray{QJsonArray{QString::fromStdString(damaged), "Ambarella", 0, true},
                                QJsonArray{QString::fromStdString(missing), "none", 0, true},
                                QJsonArray{QString::fromStdString(tiny), "none", 0, false},
                                QJsonArray{QString::fromStdString(south), "Ambarella", 6, false}}));

    // The numbers are what the texts inspect shows say: degrees south and west,
    // the camera's own clock, no position before the first fix.
    const QJsonArray texts = jsonArray(runTool({"inspect", south}, dir).out)[0].toObject()["array_SubtileInfo"].toArray();
    const QJsonArray samples = out[3]["samples"].toArray();
    for (qsizetype k = 0; k < samples.size(); ++k) {
        SCOPED_TRACE(k);
        const QJsonObject s = samples[k].toObject();
        EXPECT_EQ(s["video_s"].toDouble(), double(k));
        EXPECT_EQ(s.contains("lat") && s.contains("lon"), k >= 2);
        if (k >= 2) {
            EXPECT_DOUBLE_EQ(s["lat"].toDouble(), -texts[k]["lat"].toString().toDouble() / 10000);
            EXPECT_DOUBLE_EQ(s["lon"].toDouble(), -texts[k]["lon"].toString().toDouble() / 10000);
        }
        EXPECT_EQ(s["speed_kmh"].toDouble(), texts[k]["speed"].toString().toDouble());
        EXPECT_EQ(s["gz"].toDouble(), texts[k]["gz"].toString().toDouble());
        EXPECT_EQ(s["clock"], "camera");
        EXPECT_FALSE(s.contains("fix_quality") || s.contains("altitude_m"));
    }
    EXPECT_EQ(samples[1]["time"], "2016-05-12T09:03:08.000");
}

TEST_F(Cli, ExportKeepsWhatWasReadAndLeavesOutUnreadablePaths) {
    const std::string good = drive("GOOD.MP4", {.seconds = 12, .noFixSeconds = 2});
    testgen::SyntheticOptions damaged = recording(testgen::simulateDrive({.seconds = 8}), 8);
    damaged.offsetOverrides = {{5, 0x7FFFFFFFu}};  // sample 5 lies beyond the file
    const std::string bad = write("BAD.MP4", damaged), missing = (dir / "MISSING.MP4").string();
    const std::string noFix = drive("NOFIX.MP4", {.seconds = 3, .noFixSeconds = 3});

    const ProgramRun r = runTool({"export", "--format", "csv", good, missing, noFix, bad}, dir);
    EXPECT_EQ(r.exitCode, 1);
    std::map<std::string, int> rows, withoutPosition;  // by file; no quoted cells here
    std::istringstream lines(r.out.substr(r.out.find('\n') + 1));
    for (std::string row; std::getline(lines, row);) {
        std::vector<std::string> cells;
        std::istringstream in(row);
        for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
        ASSERT_GT(cells.size(), 8u);
        ++rows[cells[8]];
        withoutPosition[cells[8]] += cells[1].empty() && cells[2].empty();
    }
    EXPECT_EQ(rows, (std::map<std::string, int>{{"GOOD.MP4", 12}, {"BAD.MP4", 5}, {"NOFIX.MP4", 3}}));
    EXPECT_EQ(withoutPosition["GOOD.MP4"], 2);
    expectSaid(r, {noFix + ": warning: no position fix; no track exported\n",
                   missing + ": cannot read: No such file or directory\n",
                   bad + ": warning: no complete telemetry track; exporting the 5 samples read\n"});
    EXPECT_EQ(r.err.find(good), std::string::npos) << r.err;
    // Nothing at all to export is a status of its own; the document is still written,
    // without a track (CSV: with the rows that have no position).
    for (const std::string format : {"gpx", "csv"}) {
        const fs::path written = dir / ("none." + format);
        const ProgramRun none = runTool({"export", "--format", format, "-o", written.string(), noFix}, dir);
        EXPECT_EQ(none.exitCode, 3) << format;
        expectSaid(none, {noFix + ": warning: no position fix"});
        const std::string text = readAll(written);
        if (format == "gpx")
            EXPECT_EQ(std::tuple(text.find("<gpx") != std::string::npos, text.find("<trk") != std::string::npos),
                      std::tuple(true, false)) << text;
        else
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 3) << text;
    }
}

TEST_F(Cli, ExportReadsTheCameraClockInThisComputersZoneAtTheRecordingsDate) {
    const std::string winter = drive("WINTER.MP4", {.seconds = 3, .month = 1});
    const std::string summer = drive("SUMMER.MP4", {.seconds = 3});
    ::setenv("TZ", "Europe/Berlin", 1);
    const ProgramRun r = runTool({"export", "--format", "geojson", winter, summer}, dir);
    ::unsetenv("TZ");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonArray features = QJsonDocument::fromJson(QByteArray::fromStdString(r.out))["features"].toArray();
    ASSERT_EQ(features.size(), 2);
    EXPECT_EQ(std::tuple(str(features[0]["properties"]["start"]), str(features[1]["properties"]["start"])),
              std::tuple("2016-01-12T08:03:07Z", "2016-05-12T07:03:07Z"));  // 09:03:07 at +01:00, at +02:00
}

TEST_F(Cli, OutputFileIsReplacedOnlyWhenWrittenWholeAndNeverOverAnInput) {
    const std::string a = drive("A.MP4", {.seconds = 6}), b = drive("B.MP4", {.seconds = 3});
    const ProgramRun toStdout = runTool({"export", "--format", "geojson", a}, dir);
    ASSERT_EQ(toStdout.exitCode, 0) << toStdout.err;
    const fs::path out = dir / "trip.geojson";
    std::ofstream(out) << "previous contents";
    fs::create_hard_link(out, dir / "kept");  // a file written in place would change under this name too
    const ProgramRun toFile = runTool({"export", "--format=geojson", "-o", out.string(), a}, dir);
    EXPECT_EQ(std::tuple(toFile.exitCode, toFile.out, readAll(out), readAll(dir / "kept")),
              std::tuple(0, "", toStdout.out, "previous contents"));
    EXPECT_EQ(runTool({"inspect", "--output", (dir / "a.json").string(), b, a}, dir).exitCode, 0);
    EXPECT_EQ(jsonArray(readAll(dir / "a.json")).size(), 2);

    const std::string nowhere = (dir / "no-such-folder" / "x.gpx").string();
    const ProgramRun unwritable = runTool({"export", "-f", "gpx", "-o", nowhere, a}, dir);
    EXPECT_EQ(unwritable.exitCode, 1);
    expectSaid(unwritable, {nowhere + ": cannot write: "});
    EXPECT_FALSE(fs::exists(dir / "no-such-folder"));
    const ProgramRun full = runTool({"export", "-f", "csv", a}, dir, "/dev/full");
    EXPECT_EQ(full.exitCode, 1);
    expectSaid(full, {"cannot write standard output: No space left on device"});
    // "-" is standard output, not a file of that name.
    const ProgramRun dash = runToolIn(dir, {"export", "--format", "geojson", "-o", "-", a});
    EXPECT_EQ(std::tuple(dash.exitCode, dash.out, fs::exists(dir / "-")), std::tuple(0, toStdout.out, false));

    // On a full file system the file does not appear, not even empty. A file system
    // of the test's own, mounted where only the tool sees it, where the machine lets
    // the test make one.
    if (testgen::runProcess({"unshare", "-m", "true"}).exitCode == 0) {
        fs::create_directory(dir / "small");
        const ProgramRun r = testgen::runProcess(
            {"unshare", "-m", "sh", "-c",
             "mount -t tmpfs -o size=64k tmpfs \"$0\" || exit 99; cat /dev/zero >\"$0/fill\" 2>/dev/null;"
             " env LC_ALL=C \"$@\"; status=$?; ls \"$0\"; exit $status",
             (dir / "small").string(), DASHCAM_TELEMETRY_EXE, "inspect", "-o", (dir / "small" / "a.json").string(), a});
        EXPECT_EQ(std::tuple(r.exitCode, r.out), std::tuple(1, "fill\n"));
        expectSaid(r, {(dir / "small" / "a.json").string() + ": cannot write: No space left on device"});
    }

    // A FIFO or a device is written into, never replaced by a file.
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ProgramRun intoFifo;
    const std::string read =
        readFifoWhile(fifo, [&] { intoFifo = runTool({"export", "-f", "geojson", "-o", fifo.string(), a}, dir); });
    EXPECT_EQ(std::tuple(intoFifo.exitCode, intoFifo.err, read, fs::is_fifo(fifo)),
              std::tuple(0, "", toStdout.out, true));
    // Devices of the test's own (where it may make them), so that a fault cannot
    // replace the system's.
    const fs::path null = dir / "null", fullDevice = dir / "full";
    if (::mknod(null.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0 &&
        ::mknod(fullDevice.c_str(), S_IFCHR | 0600, makedev(1, 7)) == 0) {
        const ProgramRun intoNull = runTool({"trips", "-o", null.string(), a}, dir);
        EXPECT_EQ(std::tuple(intoNull.exitCode, intoNull.err), std::tuple(0, ""));
        const ProgramRun intoFull = runTool({"inspect", "-o", fullDevice.string(), a}, dir);
        EXPECT_EQ(intoFull.exitCode, 1);
        expectSaid(intoFull, {fullDevice.string() + ": cannot write: No space left on device"});
        EXPECT_TRUE(fs::is_character_file(null) && fs::is_character_file(fullDevice));
    }

    const std::string original = readAll(a);
    fs::create_hard_link(a, dir / "hard.MP4");
    fs::create_symlink(a, dir / "link.MP4");
    fs::create_directory(dir / "sub");
    for (const std::string& input : {a, (dir / "sub" / ".." / "A.MP4").string(), (dir / "hard.MP4").string(),
                                     (dir / "link.MP4").string()}) {
        for (std::vector<std::string> args : {std::vector<std::string>{"export", "-f", "gpx"}, {"inspect"}}) {
            args.insert(args.end(), {"-o", input, b, a});
            SCOPED_TRACE(::testing::PrintToString(args));
            const ProgramRun r = runTool(args, dir);
            EXPECT_EQ(std::tuple(r.exitCode, r.out, r.err),
                      std::tuple(2, "", "dashcam-telemetry: " + input +
                                            ": is one of the input files; not overwriting it\n"));
        }
    }
    EXPECT_EQ(readAll(a), original);
}

TEST_F(Cli, BadArgumentsExitWithTwo) {
    const std::string a = drive("A.MP4", {.seconds = 3});
    const std::vector<std::vector<std::string>> bad{
        {}, {"frobnicate", a}, {"inspect"}, {"export", "--format", "gpx"}, {"export", a},
        {"export", "--format", "kmz", a}, {"export", "-f", "gpx", "--utc-offset", "+2", a},
        {"trips", "--utc-offset", "+02:00", a}, {"export", "--format"}, {"inspect", "--format", "gpx", a},
        {"trips", "--format", "gpx", a}, {"export", "-f", "gpx", "--sensitivity", "high", a},
        {"events", "--sensitivity", "loud", a}, {"trips"}, {"inspect", "--bogus", a}, {"samples"},
        {"samples", "--format", "gpx", a}, {"samples", "-s", "high", a}, {"samples", "--fast", a},
        {"export", "-f", "gpx", "-o", "", a}, {"export", "-f", "gpx", "-o", (dir / "\xff.gpx").string(), a}};
    for (const auto& args : bad) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const ProgramRun r = runTool(args, dir);
        EXPECT_EQ(std::tuple(r.exitCode, r.out), std::tuple(2, ""));
        EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(dir / "\xff.gpx") || fs::exists(dir / "\xEF\xBF\xBD.gpx"));  // nor as Qt decodes it

    for (const auto& args : std::vector<std::vector<std::string>>{{"--help"}, {"export", "-h"}}) {
        const ProgramRun help = runTool(args, dir);
        EXPECT_EQ(help.exitCode, 0);
        for (const char* part : {"Usage: dashcam-telemetry inspect", "dashcam-telemetry samples", "Exit status"})
            EXPECT_NE(help.out.find(part), std::string::npos) << help.out;
    }
    const ProgramRun version = runTool({"--version"}, dir);
    EXPECT_EQ(std::tuple(version.exitCode, version.out),
              std::tuple(0, std::string("dashcam-telemetry ") + DASHCAM_VERSION + "\n"));
}

// trips, events, inspect and export of a card's folder: a drive of three recordings
// with a hard braking in the second, a fourth a few minutes later, and what a folder
// on a card also holds.
TEST_F(Cli, FoldersAsTheViewerOpensThem) {
    const testgen::DriveOptions drive{.startSpeedKmh = 60, .speedNoise = 0,
                                      .incidents = {{testgen::Incident::Braking, 32}}};
    const auto parts = testgen::cutDrive(drive, {20, 30, 15, 20}, 0);
    // A rough road (within the thresholds, not within High's) a few minutes later.
    const auto later = testgen::simulateDrive({.seconds = 20, .startSpeedKmh = 60, .minute = 6, .speedNoise = 0,
                                               .gNoise = 0.3});
    // Named so that byte order differs from any case-blind order.
    const std::vector<std::string> files{write("REC_0001.MP4", recording(parts[0], 20)),
                                         write("REC_0002.MP4", recording(parts[1], 30)),
                                         write("REC_0003.mp4", recording(parts[2], 15)),
                                         write("rec_0004.Mp4", recording(later, 20))};
    write("._REC_0001.MP4", recording({}, 1));  // hidden: a Mac's twin
    write("REC_0001.MP4.part", recording(parts[0], 20));
    write("notes.txt", recording({}, 1));

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

// A card's root, as a driver opens it: each moment once, its channels together, its
// kind from where the camera put it; chapters of one recording one drive.
TEST_F(Cli, CardRootAsTheViewerOpensIt) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not on PATH";
    // Each recording of each trip as "kind channel=name ...".
    const auto tripsOf = [](const ProgramRun& r) {
        std::vector<std::vector<std::string>> out;
        for (const QJsonValue trip : jsonArray(r.out)) {
            out.emplace_back();
            for (const QJsonValue recording : trip["recordings"].toArray()) {
                std::string text = recording["kind"].isNull() ? "-" : str(recording["kind"]);
                for (const QJsonValue channel : recording["channels"].toArray())
                    text.append(" ").append(str(channel["channel"])).append("=").append(fs::path(str(channel["file"])).filename().string());
                EXPECT_EQ(recording["file"], recording["channels"][0]["file"]);
                out.back().push_back(text);
            }
        }
        return out;
    };
    using Trips = std::vector<std::vector<std::string>>;
    // A protected recording is in its drive's trip, wherever its folder sorts; its
    // events begin with the camera's protecting it, at its start and where it was.
    struct Expected {
        Trips trips;
        std::vector<std::string> events;  // "kind name"
    };
    const std::map<testgen::CardFamily, Expected> expected = {
        {testgen::CardFamily::Novatek,
         {{{"normal front=2016_0512_090307_0001F.MP4 rear=2016_0512_090307_0001R.MP4",
            "normal front=2016_0512_090310_0002F.MP4 rear=2016_0512_090310_0002R.MP4",
            "event front=2016_0512_090313_0003F.MP4 rear=2016_0512_090313_0003R.MP4"},
           {"parking front=2016_0512_090416_0004F.MP4"}},
          {"protected 2016_0512_090313_0003F.MP4"}}},
        {testgen::CardFamily::BlackVue,
         {{{"normal front=20160512_090307_NF.mp4 rear=20160512_090307_NR.mp4",
            "normal front=20160512_090310_NF.mp4 rear=20160512_090310_NR.mp4",
            "event front=20160512_090313_EF.mp4 rear=20160512_090313_ER.mp4"},
           {"parking front=20160512_090416_PF.mp4"}},
          {"protected 20160512_090313_EF.mp4", "gz 20160512_090313_EF.mp4"}}},
        // The back camera's files start a second late and are numbered on their own.
        {testgen::CardFamily::SeventyMai,
         {{{"normal front=NO20160512-090307-000001F.MP4 rear=NO20160512-090308-000101B.MP4",
            "normal front=NO20160512-090310-000002F.MP4 rear=NO20160512-090311-000102B.MP4",
            "event front=EV20160512-090313-000003F.MP4 rear=EV20160512-090314-000103B.MP4"},
           {"parking front=PA20160512-090416-000004F.MP4"}},
          {"protected EV20160512-090313-000003F.MP4"}}},
        {testgen::CardFamily::GoPro,
         {{{"- front=GX010001.MP4", "- front=GX020001.MP4", "- front=GX030001.MP4"}, {"- front=GX010002.MP4"}},
          {"gz GX030001.MP4"}}}};
    for (const auto& [family, want] : expected) {
        SCOPED_TRACE(int(family));
        const fs::path root = dir / std::to_string(int(family));
        testgen::writeCard(root.string(), family, 3);
        const ProgramRun r = runTool({"trips", root.string()}, dir);
        ASSERT_EQ(std::tuple(r.exitCode, r.err), std::tuple(0, ""));
        EXPECT_EQ(tripsOf(r), want.trips);
        // The pothole that made the camera protect its event recording, after the protecting.
        const ProgramRun events = runTool({"events", root.string()}, dir);
        ASSERT_EQ(std::tuple(events.exitCode, events.err), std::tuple(0, ""));
        std::vector<std::string> found;
        for (const QJsonValue e : jsonArray(events.out)) {
            found.push_back(str(e["kind"]) + " " + fs::path(str(e["file"])).filename().string());
            EXPECT_TRUE(e["position"].isObject()) << found.back();
            if (str(e["kind"]) == "protected") {
                EXPECT_EQ(std::tuple(e["peak"].isNull(), e["unit"].isNull()), std::tuple(true, true));
            }
        }
        EXPECT_EQ(found, want.events);
        if (family != testgen::CardFamily::BlackVue) continue;
        // The track of the fronts alone, rear files neither read nor complained of.
        const ProgramRun track = runTool({"export", "-f", "geojson", root.string()}, dir);
        ASSERT_EQ(std::tuple(track.exitCode, track.err), std::tuple(0, ""));
        EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(track.out))["features"].toArray().size(), 4);
    }
}
