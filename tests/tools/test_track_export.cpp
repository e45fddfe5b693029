// GPX, KML, GeoJSON and CSV of recording records, read back by a parser rather than
// compared as text where the format leaves room (attribute order, indentation), and by
// the real readers.

#include <QJsonObject>
#include <QXmlStreamReader>

#include "OgrInfo.h"
#include "ToolTestSupport.h"
#include "CameraClock.h"
#include "SubtitleTrackReader.h"
#include "TrackExport.h"

using telemetry::Class_Subtitle_Info;
using telemetry::Class_Video_Info;
using telemetry::samplesOf;
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
    r.num_subtitle = uint32_t(lines.size());
    r.array_SubtileInfo.emplace();
    for (const std::string& line : lines) {
        Class_Subtitle_Info s;
        s.setSubtitleInfo(line);
        r.array_SubtileInfo->push_back(s);
    }
    return r;
}

// Samples 1 (no fix), 3 (latitude 999 degrees) and 4 (a longitude that is no
// number) give no point. Lower-case "s" and "w" are not south and west; months 13
// and February 30 are no dates, and 0001-01-01 00:30 at +02:00 is no year in UTC.
std::vector<std::string> mixedLines() {
    return {
        sampleLine("481374", "115755", "N", "E", "90", "36.0"),
        sampleLine("0", "115756"),
        sampleLine("338688", "1512093", "S", "W", "370", "-5", "2016$13$12$9$3$7"),
        sampleLine("9990000", "115755"),
        sampleLine("481377", "11575E"),
        sampleLine("481375", "115755", "s", "w", "-90", "54", "2016$2$30$9$3$7"),
        sampleLine("481375", "115756", "N", "E", "45", "45", "1$1$1$0$30$0"),
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

// The KML document as lines: "Placemark NAME", each geometry's parent and name, for
// each point of a gx:Track "when|coord|speed" (the speed from the ExtendedData's
// array of the field the Schema declares), for a LineString or Point its coordinates.
QStringList readKml(const QByteArray& kml) {
    QXmlStreamReader xml(kml);
    QStringList out, path, whens, coords, speeds, schema;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && path.takeLast() == "gx:Track") {
            EXPECT_EQ(std::tuple(whens.size(), speeds.size()), std::tuple(coords.size(), coords.size()));
            for (qsizetype i = 0; i < coords.size(); ++i) out << whens.value(i) + '|' + coords[i] + '|' + speeds.value(i);
            whens.clear(), coords.clear(), speeds.clear();
        }
        if (token != QXmlStreamReader::StartElement) continue;
        const QString name = xml.qualifiedName().toString(), parent = path.isEmpty() ? QString() : path.last();
        const QString field = xml.attributes().value("name").toString();
        if (name == "name" && parent == "Placemark") out << "Placemark " + xml.readElementText();
        else if (name == "when" && parent == "gx:Track") whens << xml.readElementText();
        else if (name == "gx:coord" && parent == "gx:Track") coords << xml.readElementText();
        else if (name == "gx:value" && parent == "gx:SimpleArrayData") speeds << xml.readElementText();
        else if (name == "coordinates") out << parent + " " + xml.readElementText();
        else {
            if (name == "gx:Track" || name == "Point" || name == "LineString") out << parent + " " + name;
            if (name == "gx:SimpleArrayField") schema << field + " " + xml.attributes().value("type").toString();
            if (name == "gx:SimpleArrayData") {
                EXPECT_EQ(schema, QStringList{field + " float"});
            }
            path << name;
        }
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
        const QDateTime time =
            track_export::sampleDateTime(samplesOf(record("A.MP4", {sampleLine("481374", "115755", "N", "E", "90", "36.0", c.date)}))[0], *zone);
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
        // Samples 1, 3 and 4 break the track. 09:03:07 on a clock at +02:00; 36 km/h is 10 m/s;
        // a negative speed is no speed; 370 and -90 degrees are 10 and 270.
        EXPECT_EQ(readGpx(tracks(format, {record("A.MP4", mixedLines()), empty}), ns),
                  (std::vector<std::string>{std::string("gpx ") + version + " dashcam-telemetry", "trk A.MP4", "seg",
                                            "pt 48.1374 11.5755 2016-05-12T07:03:07Z 10 90", "seg",
                                            "pt -33.8688 -151.2093 - - 10", "seg", "pt 48.1375 11.5755 - 15 270",
                                            "pt 48.1375 11.5756 - 12.5 45", "pt 48.1376 11.5757 2016-12-31T21:59:59Z 0 0"}));
    }
    Class_Video_Info r = record("", {sampleLine("481374", "115755")});
    r.filename = std::string("a<b&c\x01", 6) + "\xEF\xBF\xBF.MP4";  // markup, a control character, U+FFFF
    EXPECT_EQ(readGpx(tracks(TrackFormat::Gpx, {r}), kGpx11).at(1), "trk a<b&c\xEF\xBF\xBD\xEF\xBF\xBD.MP4");
}

TEST(TrackExport, KmlHasAGxTrackPerRunWithUtcTimesAndSpeeds) {
    // Samples 2 (month 13) and 5, 6 (February 30, year 0 in UTC) have no time, so no
    // gx:Track; a negative speed is no speed.
    EXPECT_EQ(readKml(tracks(TrackFormat::Kml, {record("A.MP4", mixedLines()), Class_Video_Info(),
                                               record("B.MP4", {sampleLine("481376", "115757")})})),
              (QStringList{"Placemark A.MP4", "MultiGeometry gx:Track", "2016-05-12T07:03:07Z|11.5755 48.1374 0|36",
                           "MultiGeometry Point", "Point -151.2093,-33.8688,0", "MultiGeometry LineString",
                           "LineString 11.5755,48.1375,0 11.5756,48.1375,0", "MultiGeometry gx:Track",
                           "2016-12-31T21:59:59Z|11.5757 48.1376 0|0", "Placemark B.MP4", "Placemark gx:Track",
                           "2016-05-12T07:03:07Z|11.5757 48.1376 0|36"}));
    // Runs that all have times, under a gx:MultiTrack.
    EXPECT_EQ(readKml(tracks(TrackFormat::Kml, {record("C.MP4", {sampleLine("481376", "115757"), sampleLine("0", "0"),
                                                                 sampleLine("481377", "115757", "N", "E", "9", "-1")})})),
              (QStringList{"Placemark C.MP4", "gx:MultiTrack gx:Track", "2016-05-12T07:03:07Z|11.5757 48.1376 0|36",
                           "gx:MultiTrack gx:Track", "2016-05-12T07:03:07Z|11.5757 48.1377 0|"}));
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
    const auto feature = [](const QJsonObject& geometry, const char* name, int seconds, const char* start,
                            const char* end, const QJsonArray& times, const QJsonArray& speeds) {
        return QJsonObject{{"type", "Feature"},
                           {"geometry", geometry},
                           {"properties", QJsonObject{{"filename", name}, {"start", start}, {"end", end},
                                                      {"duration", seconds}, {"times", times}, {"speeds", speeds}}}};
    };
    const auto geometry = [](const char* type, const QJsonArray& coordinates) {
        return QJsonObject{{"type", type}, {"coordinates", coordinates}};
    };
    // Samples 1, 3 and 4 break the track: a line of three points, then the runs of one
    // point before the breaks. Times and speeds follow the positions in that order.
    EXPECT_EQ(features[0].toObject(),
              feature(QJsonObject{{"type", "GeometryCollection"},
                                  {"geometries",
                                   QJsonArray{geometry("LineString", {QJsonArray{11.5755, 48.1375}, QJsonArray{11.5756, 48.1375},
                                                                      QJsonArray{11.5757, 48.1376}}),
                                              geometry("MultiPoint", {QJsonArray{11.5755, 48.1374},
                                                                      QJsonArray{-151.2093, -33.8688}})}}},
                      "A.MP4", 60, "2016-05-12T07:03:07Z", "2016-12-31T21:59:59Z",
                      {QJsonValue::Null, QJsonValue::Null, "2016-12-31T21:59:59Z", "2016-05-12T07:03:07Z", QJsonValue::Null},
                      {54, 45, 0, 36, QJsonValue::Null}));
    EXPECT_EQ(features[1].toObject(), feature(geometry("Point", {11.5755, 48.1374}), "ONE.MP4", 5, "2016-05-12T07:03:07Z",
                                              "2016-05-12T07:03:07Z", {"2016-05-12T07:03:07Z"}, {36}));
    EXPECT_EQ(features[2].toObject(),
              feature(geometry("MultiLineString", {QJsonArray{QJsonArray{11.5755, 48.1374}, QJsonArray{11.5755, 48.1375}},
                                                   QJsonArray{QJsonArray{11.5755, 48.138}, QJsonArray{11.5755, 48.1381}}}),
                      "GAP.MP4", 60, "2016-05-12T07:03:07Z", "2016-05-12T07:03:11Z",
                      {"2016-05-12T07:03:07Z", "2016-05-12T07:03:08Z", "2016-05-12T07:03:10Z", "2016-05-12T07:03:11Z"},
                      {36, 40, QJsonValue::Null, 50}));
}

TEST(TrackExport, CsvRowsForEverySampleWithQuoting) {
    Class_Video_Info quoted = record("trip \"one\", day.MP4",
                                     {sampleLine("481374", "115755", "S", "W", "90", "36.0", "2016$5$12$9$3$7",
                                                 "1,5$say \"hi\"$0.98"),
                                      sampleLine("0", "115756", "N", "E", "-5", "7.5", "2016$13$12$9$3$7",
                                                 "0.01$-0.02$line\nbreak")});
    Class_Video_Info unscanned;
    unscanned.filename = "NONE.MP4";
    // Text that a spreadsheet would run as a formula: a file name, raw fields.
    Class_Video_Info formulas = record("-B.MP4", {sampleLine("481376", "115757"),
                                                  sampleLine("9e9999", "9e9999", "@N", "\rE", "+90", "36.0",
                                                             "2016$5$12$9$3$7", "=1+2$+1$\t=9")});
    const QByteArray csv = tracks(TrackFormat::Csv, {quoted, unscanned, formulas});

    const std::string file = "\"trip \"\"one\"\", day.MP4\"";
    EXPECT_EQ(csv.toStdString(),
              "time,latitude,longitude,speed_mps,heading,gx,gy,gz,file,raw_gx,raw_gy,raw_gz,raw_x,raw_y,raw_hdg,"
              "raw_kmh,raw_year,raw_month,raw_day,raw_hour,raw_min,raw_sec,raw_ns,raw_ew\r\n"
              "2016-05-12T09:03:07+02:00,-48.1374,-11.5755,10,90,,,0.98," + file +
                  ",\"1,5\",\"say \"\"hi\"\"\",0.98,115755,481374,90,36.0,2016,05,12,09,03,07,S,W\r\n"
                  ",,,2.0833333333333335,-5,0.01,-0.02,," + file + ",0.01,-0.02,\"line\nbreak\",115756,0,-5,7.5,2016,13,12,09,03,07,N,E\r\n"
                  "2016-05-12T09:03:07+02:00,48.1376,11.5757,10,90,0.01,-0.02,0.98,'-B.MP4,0.01,-0.02,0.98,115757,481376,90,"
                  "36.0,2016,05,12,09,03,07,N,E\r\n"
                  "2016-05-12T09:03:07+02:00,,,10,90,,1,,'-B.MP4,'=1+2,+1,'\t=9,9e9999,9e9999,+90,36.0,2016,05,"
                  "12,09,03,07,'@N,\"'\rE\"\r\n");  // infinite: no fix; numbers stay numbers, what is none stays empty
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
        if (std::string(f.format) == "geojson") {  // flat arrays are lists of their type, not JSON text
            EXPECT_EQ(std::tuple(tracks.fieldTypes["times"], tracks.fieldTypes["speeds"]), std::tuple("StringList", "RealList"));
            EXPECT_EQ(first.fields.at("times").rfind("(8:2016-05-12T12:03:10Z,", 0), 0u) << first.fields.at("times");
        }
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

    const std::string csv = (dir / "t.csv").string();
    std::vector<std::string> args{"export", "--format", "csv", "--utc-offset", "-03:00", "-o", csv};
    args.insert(args.end(), files.begin(), files.end());
    ASSERT_EQ(runTool(args, dir).exitCode, 0);

    // gpsbabel's unicsv, which guesses a column from any part of its name, takes the
    // signed degrees, the speed in m/s and the time with its offset, and nothing of
    // the raw fields. A row without a fix is a point at its "unknown" position.
    const ProgramRun babel = runProgram("gpsbabel", {"-t", "-i", "unicsv", "-f", csv, "-o", "unicsv", "-F", "-"}, dir);
    const QStringList babelLines = QString::fromStdString(babel.out).remove('\r').split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(std::tuple(babel.exitCode, babel.err, babelLines.size()), std::tuple(0, "", 1 + 20)) << babel.out;
    ASSERT_GT(babelLines.size(), 4);
    EXPECT_EQ(babelLines[0], "No,Latitude,Longitude,Speed,Course,Date,Time") << babel.out;
    const QStringList point = babelLines[4].split(',');  // the first row with a fix
    ASSERT_EQ(point.size(), 7) << babel.out;
    EXPECT_NEAR(point[1].toDouble(), -sampleField(gap[3], 4) / 10000, 1e-6);
    EXPECT_NEAR(point[2].toDouble(), -sampleField(gap[3], 3) / 10000, 1e-6);
    EXPECT_NEAR(point[3].toDouble() * 3.6, sampleField(gap[3], 6), 0.02);
    EXPECT_EQ(point[4].toDouble(), sampleField(gap[3], 5));
    EXPECT_EQ(point.mid(5), (QStringList{"2016/05/12", "12:03:10"}));

    // GDAL at its defaults takes no column for a position; told the usual "lon*" and
    // "lat*", it finds the signed degrees. Its time keeps the camera's offset.
    const auto defaults = parseOgrinfo(runProgram("ogrinfo", {"-ro", "-al", csv}, dir).out);
    ASSERT_TRUE(defaults.contains("t"));
    EXPECT_EQ(defaults.at("t").featureCount, 12 + 3 + 5);
    for (const OgrFeature& row : defaults.at("t").features) EXPECT_EQ(row.geometry, "");
    const ProgramRun read = runProgram("ogrinfo", {"-ro", "-al", "-oo", "X_POSSIBLE_NAMES=lon*", "-oo",
                                                  "Y_POSSIBLE_NAMES=lat*", "-oo", "AUTODETECT_TYPE=YES", csv}, dir);
    auto csvLayers = parseOgrinfo(read.out);
    OgrLayer& rows = csvLayers["t"];
    EXPECT_EQ(std::tuple(rows.featureCount, rows.fieldTypes["time"], rows.fieldTypes["speed_mps"]),
              std::tuple(12 + 3 + 5, "DateTime", "Real"));
    ASSERT_GT(rows.features.size(), 3u);
    EXPECT_EQ(rows.features[3].fields["time"], "2016/05/12 09:03:10-03");
    EXPECT_EQ(rows.features[3].geometry.rfind("POINT (-70.", 0), 0u) << rows.features[3].geometry;
    EXPECT_EQ(rows.features[0].geometry, "");  // no fix
}
