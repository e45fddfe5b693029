// Real readers of the exported tracks: GDAL's ogrinfo and gpsbabel, on one set of
// recordings exported in every format.

#include "OgrInfo.h"
#include "ToolTestSupport.h"

using namespace tooltest;
using ogr::OgrFeature;
using ogr::OgrLayer;
using ogr::parseOgrinfo;

namespace {

// "MULTILINESTRING ((1 2,3 4),(5 6,7 8))": the kind and the number of points of each part.
std::pair<std::string, std::vector<int>> shape(const std::string& wkt) {
    std::vector<int> parts;
    const std::string body = wkt.substr(wkt.find('('));
    for (size_t open = body.find_last_of('(', body.find(')')); open != std::string::npos;) {
        const size_t close = body.find(')', open);
        const std::string part = body.substr(open + 1, close - open - 1);
        parts.push_back(int(std::count(part.begin(), part.end(), ',')) + 1);
        open = body.find('(', close);
    }
    return {wkt.substr(0, wkt.find(" (")), parts};
}

// A field of a sample line "$gx$gy$gz$lon$lat$heading$speed$...".
double sampleField(const std::string& line, int index) {
    size_t at = 0;
    for (int i = 0; i <= index; ++i) at = line.find('$', at) + 1;
    return std::stod(line.substr(at));
}

class TrackReaders : public ScratchTest {};

}  // namespace

TEST_F(TrackReaders, ReadersSeeEveryFormatsTracksTimesAndSpeeds) {
    if (!testgen::onPath("ogrinfo") || !testgen::onPath("gpsbabel")) GTEST_SKIP() << "no ogrinfo or gpsbabel";

    // GAP: south-west of the equator and meridian, 3 s without a fix, then a run of
    // 4 points, a sample without one, a run of 4. PLAIN: 5 points. NOFIX: none.
    std::vector<std::string> gap = testgen::simulateDrive({.seconds = 12, .startLat = -33.8688, .startLon = -70.6693, .noFixSeconds = 3});
    gap[7] = testgen::simulateDrive({.seconds = 8, .noFixSeconds = 8})[7];
    const std::vector<std::string> files{write("GAP.MP4", recording(gap, 12)),
                                         write("NOFIX.MP4", recording(testgen::simulateDrive({.seconds = 3, .noFixSeconds = 3}), 3)),
                                         write("PLAIN.MP4", recording(testgen::simulateDrive({.seconds = 5}), 5))};

    const struct {
        const char *format, *trackLayer, *timeField, *babelFormat;
    } formats[] = {{"gpx", "tracks", "", "gpx"},
                   {"gpx10", "tracks", "", "gpx"},
                   {"kml", "dashcam-telemetry", "begin", "kml"},
                   {"geojson", "t", "start", nullptr}};
    for (const auto& f : formats) {
        SCOPED_TRACE(f.format);
        const std::string out = (dir / (std::string("t.") + f.format)).string();
        std::vector<std::string> args{"export", "--format", f.format, "--utc-offset", "-03:00", "-o", out};
        args.insert(args.end(), files.begin(), files.end());
        const ProgramRun exported = runTool(args, dir);
        ASSERT_EQ(exported.exitCode, 0) << exported.err;

        const ProgramRun read = runProgram("ogrinfo", {"-ro", "-al", out}, dir);
        ASSERT_EQ(read.exitCode, 0) << read.err;
        auto layers = parseOgrinfo(read.out);
        OgrLayer& tracks = layers[f.trackLayer];
        std::vector<std::vector<int>> runs;  // NOFIX left out, GAP in two runs
        for (const auto& feature : tracks.features) runs.push_back(shape(feature.geometry).second);
        EXPECT_EQ(std::tuple(tracks.featureCount, runs), std::tuple(2, std::vector<std::vector<int>>{{4, 4}, {5}}));
        // The first point with a fix: 09:03:10 on the camera's clock.
        const bool v10 = std::string(f.format) == "gpx10";
        OgrLayer& points = layers["track_points"];
        const OgrFeature& first = *f.timeField ? tracks.features.at(0) : points.features.at(0);
        EXPECT_EQ(first.fields.at(*f.timeField ? f.timeField : "time"), "2016/05/12 12:03:10+00");
        EXPECT_EQ(points.featureCount, *f.timeField ? -1 : 13);  // a point layer in GPX only
        if (v10) {
            EXPECT_EQ(std::tuple(points.fieldTypes["speed"], points.fieldTypes["course"]), std::tuple("Real", "Real"));
            EXPECT_NEAR(std::stod(first.fields.at("speed")) * 3.6, sampleField(gap[3], 6), 1e-6);
        }
        if (!f.babelFormat) continue;

        const ProgramRun babel =
            runProgram("gpsbabel", {"-t", "-i", f.babelFormat, "-f", out, "-o", "unicsv", "-F", "-"}, dir);
        EXPECT_EQ(std::tuple(babel.exitCode, babel.err, std::count(babel.out.begin(), babel.out.end(), '\n')),
                  std::tuple(0, "", 1 + 13)) << babel.out;
        const std::string header = babel.out.substr(0, babel.out.find('\n'));
        EXPECT_EQ(header.find(",Speed,") != std::string::npos, v10) << header;
        EXPECT_NE(babel.out.find(",2016/05/12,12:03:10"), std::string::npos) << babel.out;
    }

    // GDAL's usual guess of the CSV's position columns finds the signed degrees, not
    // the unsigned ten-thousandths; its time keeps the camera's offset.
    std::vector<std::string> args{"export", "--format", "csv", "--utc-offset", "-03:00", "-o", (dir / "t.csv").string()};
    args.insert(args.end(), files.begin(), files.end());
    ASSERT_EQ(runTool(args, dir).exitCode, 0);
    const ProgramRun read = runProgram("ogrinfo", {"-ro", "-al", "-oo", "X_POSSIBLE_NAMES=lon*", "-oo",
                                                  "Y_POSSIBLE_NAMES=lat*", "-oo", "AUTODETECT_TYPE=YES",
                                                  (dir / "t.csv").string()}, dir);
    auto csvLayers = parseOgrinfo(read.out);
    OgrLayer& rows = csvLayers["t"];
    EXPECT_EQ(std::tuple(rows.featureCount, rows.fieldTypes["time"], rows.fieldTypes["speed_kmh"]),
              std::tuple(12 + 3 + 5, "DateTime", "Real"));
    ASSERT_GT(rows.features.size(), 3u);
    EXPECT_EQ(rows.features[3].fields["time"], "2016/05/12 09:03:10-03");
    EXPECT_EQ(rows.features[3].geometry.rfind("POINT (-70.", 0), 0u) << rows.features[3].geometry;
    EXPECT_EQ(rows.features[0].geometry, "");  // no fix
}
