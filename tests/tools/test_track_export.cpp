// GPX, KML, GeoJSON and CSV of recording records, read back by a parser rather than
// compared as text where the format leaves room (attribute order, indentation), and by
// the real readers.

#include <QJsonObject>
#include <QXmlStreamReader>

#include "OgrInfo.h"
#include "ToolTestSupport.h"
#include "CameraClock.h"
#include "TrackExport.h"

using telemetry::Class_Subtitle_Info;
using telemetry::Class_Video_Info;
using namespace tooltest;
using ogr::OgrFeature;
using ogr::OgrLayer;
using ogr::parseOgrinfo;

namespace {

Class_Video_Info record(const char* name, const std::vector<std::string>& lines, const char* date = "2016/05/12",
                        uint32_t seconds = 60) {
    Class_Video_Info r;
    r.filepath = std::string("/media/card/") + name;
    r.filename = name;
    r.fileDateYMD = date;
    r.duration_second = seconds;
    r.array_SubtileInfo.emplace();
    for (const std::string& line : lines) {
        Class_Subtitle_Info s;
        s.setSubtitleInfo(line);
        r.array_SubtileInfo->push_back(s);
    }
    return r;
}

// Samples 1 (no fix) and 3 (latitude 999 degrees) give no point. Lower-case "s"
// and "w" are not south and west; months 13 and February 30 are no dates.
std::vector<std::string> mixedLines() {
    return {
        sampleLine("481374", "115755", "N", "E", "90", "36.0"),
        sampleLine("0", "115756"),
        sampleLine("338688", "1512093", "S", "W", "370", "-5", "2016$13$12$9$3$7"),
        sampleLine("9990000", "115755"),
        sampleLine("481375", "115755", "s", "w", "-90", "54", "2016$2$30$9$3$7"),
        sampleLine("481376", "115757", "N", "E", "0", "0", "2016$12$31$23$59$59"),
    };
}

const QString kGpx11 = "http://www.topografix.com/GPX/1/1", kGpx10 = "http://www.topografix.com/GPX/1/0";
const QString kTpx = "http://www.garmin.com/xmlschemas/TrackPointExtension/v2";

// The document as lines "gpx VERSION CREATOR", "trk NAME", "seg", "pt LAT LON TIME SPEED
// COURSE" ("-" where left out), with each element's namespace and place checked: speed
// and course in Garmin's extension (1.1) or in the trkpt (1.0). Anything else fails.
std::vector<std::string> readGpx(const QByteArray& bytes, const QString& ns) {
    const bool v11 = ns == kGpx11;
    const QString point = "gpx/trk/trkseg/trkpt", values = v11 ? point + "/extensions/tpx:TrackPointExtension/tpx:"
                                                               : point + "/";
    std::vector<std::string> out;
    QStringList path, fields;  // path: the open elements, "tpx:" marking Garmin's namespace
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && path.takeLast() == "trkpt")
            out.push_back(("pt " + fields.join(' ')).toStdString());
        if (token != QXmlStreamReader::StartElement) continue;
        const bool tpx = xml.namespaceUri() == kTpx;
        EXPECT_TRUE(tpx || xml.namespaceUri() == ns) << xml.name().toString().toStdString();
        path << (tpx ? "tpx:" : "") + xml.name().toString();
        const QString at = path.join('/');
        const auto attribute = [&](const char* name) { return xml.attributes().value(name).toString(); };
        const auto text = [&] {
            path.removeLast();
            return xml.readElementText();
        };
        if (at == "gpx") out.push_back(("gpx " + attribute("version") + " " + attribute("creator")).toStdString());
        else if (at == "gpx/trk/name") out.push_back("trk " + text().toStdString());
        else if (at == "gpx/trk/trkseg") out.push_back("seg");
        else if (at == point) fields = {QString::number(attribute("lat").toDouble(), 'g', 10),
                                        QString::number(attribute("lon").toDouble(), 'g', 10), "-", "-", "-"};
        else if (at == point + "/time") fields[2] = text();
        else if (at == values + "speed") fields[3] = QString::number(text().toDouble(), 'g', 10);
        else if (at == values + "course") fields[4] = text();
        else if (at != "gpx/trk" && !(v11 && values.startsWith(at + "/")))
            ADD_FAILURE() << "unexpected " << at.toStdString();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return out;
}

// "MULTILINESTRING ((1 2,3 4),(5 6,7 8))": the number of points of each part.
std::vector<int> shape(const std::string& wkt) {
    std::vector<int> parts;
    const std::string body = wkt.substr(wkt.find('('));
    for (size_t open = body.find_last_of('(', body.find(')')); open != std::string::npos;) {
        const size_t close = body.find(')', open);
        const std::string part = body.substr(open + 1, close - open - 1);
        parts.push_back(int(std::count(part.begin(), part.end(), ',')) + 1);
        open = body.find('(', close);
    }
    return parts;
}

// A field of a sample line "$gx$gy$gz$lon$lat$heading$speed$...".
double sampleField(const std::string& line, int index) {
    size_t at = 0;
    for (int i = 0; i <= index; ++i) at = line.find('$', at) + 1;
    return std::stod(line.substr(at));
}

class TrackReaders : public ScratchTest {};

using track_export::TrackFormat;
const QTimeZone kPlusTwo(2 * 3600);

QByteArray tracks(TrackFormat format, const std::vector<Class_Video_Info>& records) {
    return track_export::exportTracks(format, records, kPlusTwo);
}

}  // namespace

TEST(CameraClock, OffsetsAndZonesToUtc) {
    // zone: an offset text for parseUtcOffset, or an IANA name.
    const struct {
        const char *zone, *date, *utc, *local;
    } cases[] = {
        {"-05:30", "2016$12$31$23$59$59", "2017-01-01T05:29:59Z", "2016-12-31T23:59:59-05:30"},
        {"+00:00", "2016$1$1$0$0$0", "2016-01-01T00:00:00Z", "2016-01-01T00:00:00+00:00"},
        {"+14:00", "2016$1$1$12$0$0", "2015-12-31T22:00:00Z", "2016-01-01T12:00:00+14:00"},
        // The same zone on either side of a summer-time change.
        {"Europe/Berlin", "2016$3$27$1$30$0", "2016-03-27T00:30:00Z", "2016-03-27T01:30:00+01:00"},
        {"Europe/Berlin", "2016$3$27$3$30$0", "2016-03-27T01:30:00Z", "2016-03-27T03:30:00+02:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.zone) + " " + c.date);
        const auto zone = c.zone[0] == '+' || c.zone[0] == '-' ? track_export::parseUtcOffset(QString(c.zone))
                                                               : std::optional(QTimeZone(c.zone));
        ASSERT_TRUE(zone && zone->isValid());
        Class_Subtitle_Info s;
        s.setSubtitleInfo(sampleLine("481374", "115755", "N", "E", "90", "36.0", c.date));
        const QDateTime time = track_export::sampleDateTime(s, *zone);
        EXPECT_EQ(track_export::utcText(time).toStdString(), c.utc);
        EXPECT_EQ(track_export::localText(time).toStdString(), c.local);
    }
    for (const char* bad : {"", "+2:00", "02:00", "+02:0", "+02-00", "+14:01", "+01:60", "+0a:00", "UTC", "+02:00 "})
        EXPECT_FALSE(track_export::parseUtcOffset(QString(bad))) << bad;
}

TEST(TrackExport, GpxHasOneTrackPerRecordingWithAFixAndTimesInUtc) {
    Class_Video_Info empty;
    empty.filename = "EMPTY.MP4";  // a scan that never reached the samples: left out
    for (const auto& [format, ns, version] : {std::tuple(TrackFormat::Gpx, kGpx11, "1.1"),
                                              std::tuple(TrackFormat::Gpx10, kGpx10, "1.0")}) {
        // Samples 1 and 3 break the track. 09:03:07 on a clock at +02:00; 36 km/h is 10 m/s;
        // a negative speed is no speed; 370 and -90 degrees are 10 and 270.
        EXPECT_EQ(readGpx(tracks(format, {record("A.MP4", mixedLines()), empty}), ns),
                  (std::vector<std::string>{std::string("gpx ") + version + " dashcam-telemetry", "trk A.MP4", "seg",
                                            "pt 48.1374 11.5755 2016-05-12T07:03:07Z 10 90", "seg",
                                            "pt -33.8688 -151.2093 - - 10", "seg", "pt 48.1375 11.5755 - 15 270",
                                            "pt 48.1376 11.5757 2016-12-31T21:59:59Z 0 0"}));
    }
    Class_Video_Info r = record("", {sampleLine("481374", "115755")});
    r.filename = std::string("a<b&c\x01", 6) + "\xEF\xBF\xBF.MP4";  // markup, a control character, U+FFFF
    EXPECT_EQ(readGpx(tracks(TrackFormat::Gpx, {r}), kGpx11).at(1), "trk a<b&c\xEF\xBF\xBD\xEF\xBF\xBD.MP4");
}

TEST(TrackExport, KmlHasAGxTrackPerRunWithUtcTimes) {
    const QByteArray kml = tracks(TrackFormat::Kml, {record("A.MP4", mixedLines()), Class_Video_Info(),
                                                     record("B.MP4", {sampleLine("481376", "115757")})});
    QXmlStreamReader xml(kml);
    QStringList names, whens, coords, tracksIn, path;  // tracksIn: the parent of each gx:Track
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) path.removeLast();
        if (token != QXmlStreamReader::StartElement) continue;
        const QString name = xml.qualifiedName().toString(), parent = path.isEmpty() ? QString() : path.last();
        if (name == "name" && parent == "Placemark") names << xml.readElementText();
        else if (name == "when" && parent == "gx:Track") whens << xml.readElementText();
        else if (name == "gx:coord" && parent == "gx:Track") coords << xml.readElementText();
        else {
            if (name == "gx:Track") tracksIn << parent;
            path << name;
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(names, (QStringList{"A.MP4", "B.MP4"}));
    EXPECT_EQ(tracksIn, (QStringList{"gx:MultiTrack", "gx:MultiTrack", "gx:MultiTrack", "Placemark"}));
    EXPECT_EQ(whens, (QStringList{"2016-05-12T07:03:07Z", "", "", "2016-12-31T21:59:59Z", "2016-05-12T07:03:07Z"}));
    EXPECT_EQ(coords, (QStringList{"11.5755 48.1374 0", "-151.2093 -33.8688 0", "11.5755 48.1375 0", "11.5757 48.1376 0",
                                   "11.5757 48.1376 0"}));
}

TEST(TrackExport, GeoJsonFeatureCollectionWithPointTimesAndSpeeds) {
    Class_Video_Info one = record("ONE.MP4", {sampleLine("481374", "115755"), sampleLine("0", "0")}, "2017/01/02", 5);
    Class_Video_Info none;  // never scanned past the header: left out
    none.filename = "NONE.MP4";
    const auto at = [](const char* lat, const char* speed, const char* second) {
        return sampleLine(lat, "115755", "N", "E", "90", speed, std::string("2016$5$12$9$3$") + second);
    };
    Class_Video_Info gap = record("GAP.MP4", {at("481374", "36", "7"), at("481375", "40", "8"), at("0", "0", "9"),
                                              at("481380", "-1", "10"), at("481381", "50", "11")});
    const QByteArray text = tracks(TrackFormat::GeoJson, {record("A.MP4", mixedLines()), one, none, gap});

    const QJsonObject doc = QJsonDocument::fromJson(text).object();
    const QJsonArray features = doc["features"].toArray();
    ASSERT_EQ(std::tuple(str(doc["type"]), features.size()), std::tuple("FeatureCollection", 3));
    // Written a feature at a time, byte for byte as Qt writes the whole collection.
    EXPECT_EQ(text, QJsonDocument(doc).toJson(QJsonDocument::Compact) + '\n');
    const auto feature = [](const char* type, const QJsonArray& coordinates, const char* name, const char* start,
                            const char* end, const QJsonArray& times, const QJsonArray& speeds) {
        return QJsonObject{{"type", "Feature"},
                           {"geometry", QJsonObject{{"type", type}, {"coordinates", coordinates}}},
                           {"properties", QJsonObject{{"filename", name}, {"start", start}, {"end", end},
                                                      {"duration", 60},
                                                      {"coordinateProperties",
                                                       QJsonObject{{"times", times}, {"speeds", speeds}}}}}};
    };
    // Samples 1 and 3 break the track; the runs of one point before them are no lines.
    EXPECT_EQ(features[0].toObject(),
              feature("LineString", {QJsonArray{11.5755, 48.1375}, QJsonArray{11.5757, 48.1376}}, "A.MP4",
                      "2016-12-31T21:59:59Z", "2016-12-31T21:59:59Z", {QJsonValue::Null, "2016-12-31T21:59:59Z"},
                      {54, 0}));
    const QJsonObject b = features[1].toObject();  // one point is no line
    EXPECT_TRUE(b.contains("geometry") && b["geometry"].isNull() && b["properties"]["start"].isNull());
    EXPECT_EQ(b["properties"]["filename"].toString(), "ONE.MP4");
    EXPECT_EQ(features[2].toObject(),
              feature("MultiLineString",
                      {QJsonArray{QJsonArray{11.5755, 48.1374}, QJsonArray{11.5755, 48.1375}},
                       QJsonArray{QJsonArray{11.5755, 48.138}, QJsonArray{11.5755, 48.1381}}},
                      "GAP.MP4", "2016-05-12T07:03:07Z", "2016-05-12T07:03:11Z",
                      {QJsonArray{"2016-05-12T07:03:07Z", "2016-05-12T07:03:08Z"},
                       QJsonArray{"2016-05-12T07:03:10Z", "2016-05-12T07:03:11Z"}},
                      {QJsonArray{36, 40}, QJsonArray{QJsonValue::Null, 50}}));
}

TEST(TrackExport, CsvRowsForEverySampleWithQuoting) {
    Class_Video_Info quoted = record("trip \"one\", day.MP4",
                                     {sampleLine("481374", "115755", "S", "W", "90", "36.0", "2016$5$12$9$3$7",
                                                 "1,5$say \"hi\"$0.98"),
                                      sampleLine("0", "115756", "N", "E", "-5", "7.5", "2016$13$12$9$3$7",
                                                 "0.01$-0.02$line\nbreak")});
    Class_Video_Info unscanned;
    unscanned.filename = "NONE.MP4";
    const QByteArray csv = tracks(TrackFormat::Csv, {quoted, unscanned, record("B.MP4", {sampleLine("481376", "115757"), sampleLine("9e9999", "9e9999")})});

    const std::string file = "\"trip \"\"one\"\", day.MP4\"";
    EXPECT_EQ(csv.toStdString(),
              "time,latitude,longitude,speed_kmh,heading,gx,gy,gz,file,gx_raw,gy_raw,gz_raw,lon_raw,lat_raw,heading_raw,"
              "speed_raw,year_raw,month_raw,day_raw,hour_raw,min_raw,second_raw,NS_raw,WE_raw\r\n"
              "2016-05-12T09:03:07+02:00,-48.1374,-11.5755,36,90,1,0,0.98," + file +
                  ",\"1,5\",\"say \"\"hi\"\"\",0.98,115755,481374,90,36.0,2016,05,12,09,03,07,S,W\r\n"
                  ",,,7.5,-5,0.01,-0.02,0," + file + ",0.01,-0.02,\"line\nbreak\",115756,0,-5,7.5,2016,13,12,09,03,07,N,E\r\n"
                  "2016-05-12T09:03:07+02:00,48.1376,11.5757,36,90,0.01,-0.02,0.98,B.MP4,0.01,-0.02,0.98,115757,481376,90,"
                  "36.0,2016,05,12,09,03,07,N,E\r\n"
                  "2016-05-12T09:03:07+02:00,,,36,90,0.01,-0.02,0.98,B.MP4,0.01,-0.02,0.98,9e9999,9e9999,90,36.0,2016,05,"
                  "12,09,03,07,N,E\r\n");  // infinite: no fix
}

// Real readers of the exported tracks, GDAL's ogrinfo and gpsbabel, on one set of
// recordings exported in every format.
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
        for (const auto& feature : tracks.features) runs.push_back(shape(feature.geometry));
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
