// The dashcam-telemetry program as a user runs it: arguments, exit status,
// messages, output files.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <map>
#include <sstream>

#include "ToolTestSupport.h"

using namespace tooltest;

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> out;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) out.push_back(part);
    return out;
}

class Cli : public ScratchTest {
protected:
    std::string drive(const std::string& name, testgen::DriveOptions options, std::vector<std::string>* lines = nullptr) {
        const auto generated = testgen::simulateDrive(options);
        if (lines) *lines = generated;
        return write(name, recording(generated, uint32_t(options.seconds)));
    }
};

}  // namespace

TEST_F(Cli, InspectKeepsArgumentOrderAndReportsUnreadablePaths) {
    const std::string normal = drive("REC\xff.MP4", {.seconds = 12});  // a name that is not UTF-8
    testgen::SyntheticOptions cut = recording(testgen::simulateDrive({.seconds = 12}), 12);
    cut.truncateAt = 50;
    const std::string tiny = write("TINY.MP4", cut), missing = (dir / "MISSING.MP4").string();

    const ProgramRun r = runTool({"inspect", tiny, missing, normal}, dir);
    EXPECT_EQ(r.exitCode, 1);
    const QJsonArray objects = jsonArray(r.out);
    ASSERT_EQ(objects.size(), 3);
    const std::string order[] = {tiny, missing, normal};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(str(objects[i]["filepath"]), QString::fromUtf8(order[i]).toStdString());
        EXPECT_EQ(objects[i]["isSupportSubtitle"].toInt(-1), i / 2) << order[i];
    }
    EXPECT_EQ(objects[2]["filename"].toString(), QString::fromUtf8("REC\xEF\xBF\xBD.MP4"));
    EXPECT_EQ(objects[2]["num_subtitle"].toInt(), 12);
    EXPECT_EQ(objects[0]["fileSize"].toInt(), 50);
    EXPECT_TRUE(objects[1]["fileDate"].isNull());
    EXPECT_EQ(objects[1]["fileSize"].toInt(-1), 0);
    for (const char* why : {": cannot read: No such file or directory\n", ": Couldn't get file attributes!\n"})
        EXPECT_NE(r.err.find("dashcam-telemetry: " + missing + why), std::string::npos) << r.err;

    // A damaged file that can be read is a finding, not an error.
    const ProgramRun readable = runTool({"inspect", normal, tiny}, dir);
    EXPECT_EQ(std::tuple(readable.exitCode, readable.err, jsonArray(readable.out).size()), std::tuple(0, "", 2));
}

TEST_F(Cli, ExportKeepsWhatWasReadAndLeavesOutUnreadablePaths) {
    const std::string good = drive("GOOD.MP4", {.seconds = 12, .noFixSeconds = 2});
    testgen::SyntheticOptions damaged = recording(testgen::simulateDrive({.seconds = 8}), 8);
    damaged.offsetOverrides = {{5, 0x7FFFFFFFu}};  // sample 5 lies beyond the file
    const std::string bad = write("BAD.MP4", damaged);
    const std::string missing = (dir / "MISSING.MP4").string();
    const std::string noFix = drive("NOFIX.MP4", {.seconds = 3, .noFixSeconds = 3});

    const ProgramRun r = runTool({"export", "--format", "csv", good, missing, noFix, bad}, dir);
    EXPECT_EQ(r.exitCode, 1);
    const std::vector<std::string> rows = split(r.out, '\n');
    ASSERT_EQ(rows.size(), 1u + 12u + 3u + 5u);
    std::map<std::string, int> rowsOf, withoutPosition;
    for (size_t i = 1; i < rows.size(); ++i) {
        const std::vector<std::string> row = split(rows[i], ',');  // no quoted cells here
        ASSERT_GT(row.size(), 8u);
        ++rowsOf[row[8]];
        withoutPosition[row[8]] += row[1].empty() && row[2].empty();
    }
    EXPECT_EQ(std::tuple(rowsOf["GOOD.MP4"], rowsOf["BAD.MP4"], withoutPosition["GOOD.MP4"]), std::tuple(12, 5, 2));
    for (const std::string& message : {noFix + ": warning: no position fix; no track exported\n",
                                       missing + ": cannot read: No such file or directory\n",
                                       bad + ": warning: no complete telemetry track; exporting the 5 samples read\n"})
        EXPECT_NE(r.err.find("dashcam-telemetry: " + message), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(good), std::string::npos) << r.err;
    // Nothing at all to export is a status of its own, whatever the format.
    for (const char* format : {"gpx", "csv"}) {
        const ProgramRun none = runTool({"export", "--format", format, noFix}, dir);
        EXPECT_EQ(none.exitCode, 3) << format;
        EXPECT_NE(none.err.find(noFix + ": warning: no position fix"), std::string::npos) << none.err;
    }
}

TEST_F(Cli, ExportReadsTheCameraClockInThisComputersZoneAtTheRecordingsDate) {
    const std::string winter = drive("WINTER.MP4", {.seconds = 3, .month = 1}), summer = drive("SUMMER.MP4", {.seconds = 3});
    ::setenv("TZ", "Europe/Berlin", 1);
    const ProgramRun r = runTool({"export", "--format", "geojson", winter, summer}, dir);
    ::unsetenv("TZ");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonArray features = QJsonDocument::fromJson(QByteArray::fromStdString(r.out))["features"].toArray();
    ASSERT_EQ(features.size(), 2);
    EXPECT_EQ(str(features[0]["properties"]["start"]), "2016-01-12T08:03:07Z");  // 09:03:07 at +01:00
    EXPECT_EQ(str(features[1]["properties"]["start"]), "2016-05-12T07:03:07Z");  // summer time, +02:00
}

TEST_F(Cli, OutputFileIsReplacedOnlyWhenWrittenWhole) {
    const std::string a = drive("A.MP4", {.seconds = 6});
    const ProgramRun toStdout = runTool({"export", "--format", "geojson", a}, dir);
    ASSERT_EQ(toStdout.exitCode, 0) << toStdout.err;

    const fs::path out = dir / "trip.geojson";
    std::ofstream(out) << "previous contents";
    fs::create_hard_link(out, dir / "kept");  // a file written in place would change under this name too
    const ProgramRun toFile = runTool({"export", "--format=geojson", "-o", out.string(), a}, dir);
    EXPECT_EQ(toFile.exitCode, 0) << toFile.err;
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(readAll(out), toStdout.out);
    EXPECT_EQ(readAll(dir / "kept"), "previous contents");

    const ProgramRun inspect = runTool({"inspect", "--output", (dir / "a.json").string(), a}, dir);
    EXPECT_EQ(inspect.exitCode, 0) << inspect.err;
    EXPECT_EQ(jsonArray(readAll(dir / "a.json")).size(), 1);

    const std::string nowhere = (dir / "no-such-folder" / "x.gpx").string();
    const ProgramRun unwritable = runTool({"export", "-f", "gpx", "-o", nowhere, a}, dir);
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_NE(unwritable.err.find("dashcam-telemetry: " + nowhere + ": cannot write: "), std::string::npos) << unwritable.err;
    EXPECT_FALSE(fs::exists(dir / "no-such-folder"));

    const ProgramRun full = runTool({"export", "-f", "csv", a}, dir, "/dev/full");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_NE(full.err.find("dashcam-telemetry: cannot write standard output: No space left on device"), std::string::npos) << full.err;
}

TEST_F(Cli, RefusesToWriteOverAnInputHoweverItIsNamed) {
    const std::string a = drive("A.MP4", {.seconds = 3}), b = drive("B.MP4", {.seconds = 3});
    const std::string original = readAll(a);
    fs::create_hard_link(a, dir / "hard.MP4");
    fs::create_symlink(a, dir / "link.MP4");
    fs::create_directory(dir / "sub");
    for (const std::string& out : {a, (dir / "sub" / ".." / "A.MP4").string(), (dir / "hard.MP4").string(),
                                   (dir / "link.MP4").string()}) {
        for (const std::vector<std::string>& command : {std::vector<std::string>{"export", "-f", "gpx"}, {"inspect"}}) {
            SCOPED_TRACE(command[0] + " -o " + out);
            std::vector<std::string> args = command;
            args.insert(args.end(), {"-o", out, b, a});
            const ProgramRun r = runTool(args, dir);
            EXPECT_EQ(std::tuple(r.exitCode, r.out, r.err),
                      std::tuple(2, "", "dashcam-telemetry: " + out + ": is one of the input files; not overwriting it\n"));
        }
    }
    EXPECT_EQ(readAll(a), original);
    EXPECT_EQ(runTool({"inspect", "-o", (dir / "new.json").string(), b, a}, dir).exitCode, 0);
}

TEST_F(Cli, BadArgumentsExitWithTwo) {
    const std::string a = drive("A.MP4", {.seconds = 3});
    const std::vector<std::vector<std::string>> bad{
        {}, {"frobnicate", a}, {"inspect"}, {"export", "--format", "gpx"}, {"export", a}, {"export", "--format", "kmz", a},
        {"export", "-f", "gpx", "--utc-offset", "+2", a}, {"trips", "--utc-offset", "+02:00", a}, {"export", "--format"},
        {"inspect", "--format", "gpx", a}, {"trips", "--format", "gpx", a}, {"export", "-f", "gpx", "--sensitivity", "high", a},
        {"events", "--sensitivity", "loud", a}, {"trips"}, {"inspect", "--bogus", a}, {"export", "-f", "gpx", "-o", "", a},
        {"export", "-f", "gpx", "-o", (dir / "\xff.gpx").string(), a}};
    for (const auto& args : bad) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const ProgramRun r = runTool(args, dir);
        EXPECT_EQ(std::tuple(r.exitCode, r.out), std::tuple(2, ""));
        EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(dir / "\xff.gpx"));
    EXPECT_FALSE(fs::exists(dir / "\xEF\xBF\xBD.gpx"));  // the name as Qt would have decoded it

    for (const auto& args : std::vector<std::vector<std::string>>{{"--help"}, {"export", "-h"}}) {
        const ProgramRun help = runTool(args, dir);
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_NE(help.out.find("Usage: dashcam-telemetry inspect"), std::string::npos) << help.out;
        EXPECT_NE(help.out.find("Exit status"), std::string::npos) << help.out;
    }
    const ProgramRun version = runTool({"--version"}, dir);
    EXPECT_EQ(std::tuple(version.exitCode, version.out), std::tuple(0, std::string("dashcam-telemetry ") + DASHCAM_VERSION + "\n"));
}
