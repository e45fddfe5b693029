// GPX, GeoJSON and CSV of recording records, read back by a parser rather than
// compared as text where the format leaves room (attribute order, indentation).

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>

#include <optional>

#include "ToolTestSupport.h"
#include "TrackExport.h"

using telemetry::Class_Subtitle_Info;
using telemetry::Class_Video_Info;
using tooltest::sampleLine;

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

struct GpxPoint {
    double lat = 0, lon = 0;
    std::optional<std::string> time, speed, course;
};
struct GpxTrack {
    std::string name;
    int segments = 0;
    std::vector<size_t> segmentStarts;  // index of each trkseg's first point
    std::vector<GpxPoint> points;
};
struct Gpx {
    std::string version, creator;
    std::vector<GpxTrack> tracks;
};

const QString kGpx = "http://www.topografix.com/GPX/1/1";
const QString kTpx = "http://www.garmin.com/xmlschemas/TrackPointExtension/v2";

// Reads the elements this test cares about, checking each one's namespace and
// place; anything misplaced is a failure.
Gpx parseGpx(const QByteArray& bytes) {
    Gpx gpx;
    QXmlStreamReader xml(bytes);
    QStringList path;  // "ns|name" of the open elements
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            path.removeLast();
            continue;
        }
        if (token != QXmlStreamReader::StartElement) continue;
        const QString here = path.join('/');
        const QString ns = xml.namespaceUri().toString(), name = xml.name().toString();
        path << ns + '|' + name;
        if (here.isEmpty()) {
            EXPECT_EQ(ns, kGpx);
            EXPECT_EQ(name, "gpx");
            gpx.version = xml.attributes().value("version").toString().toStdString();
            gpx.creator = xml.attributes().value("creator").toString().toStdString();
        } else if (ns == kGpx && name == "trk") {
            gpx.tracks.emplace_back();
        } else if (ns == kGpx && name == "name" && path.size() == 3) {
            gpx.tracks.back().name = xml.readElementText().toStdString();
            path.removeLast();
        } else if (ns == kGpx && name == "trkseg") {
            ++gpx.tracks.back().segments;
            gpx.tracks.back().segmentStarts.push_back(gpx.tracks.back().points.size());
        } else if (ns == kGpx && name == "trkpt") {
            GpxPoint p;
            p.lat = xml.attributes().value("lat").toDouble();
            p.lon = xml.attributes().value("lon").toDouble();
            gpx.tracks.back().points.push_back(p);
        } else if (ns == kGpx && name == "time") {
            gpx.tracks.back().points.back().time = xml.readElementText().toStdString();
            path.removeLast();
        } else if (ns == kTpx && (name == "speed" || name == "course")) {
            EXPECT_TRUE(here.endsWith(kGpx + "|extensions/" + kTpx + "|TrackPointExtension")) << here.toStdString();
            auto& field = name == "speed" ? gpx.tracks.back().points.back().speed : gpx.tracks.back().points.back().course;
            field = xml.readElementText().toStdString();
            path.removeLast();
        } else if (!(ns == kGpx && name == "extensions") && !(ns == kTpx && name == "TrackPointExtension")) {
            ADD_FAILURE() << "unexpected element " << name.toStdString();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return gpx;
}

double number(const std::optional<std::string>& text) { return text ? std::stod(*text) : -1; }

QByteArray tracks(telemetry_cli::TrackFormat format, const std::vector<Class_Video_Info>& records) {
    return telemetry_cli::exportTracks(format, records);
}
using telemetry_cli::TrackFormat;

}  // namespace

TEST(TrackExport, GpxHasOneTrackPerRecordingAndThePointsWithAFix) {
    Class_Video_Info empty;
    empty.filename = "EMPTY.MP4";  // a scan that never reached the samples
    const Gpx gpx = parseGpx(tracks(TrackFormat::Gpx, {record("A.MP4", mixedLines()), empty}));

    EXPECT_EQ(gpx.version, "1.1");
    EXPECT_EQ(gpx.creator, "dashcam-telemetry");
    ASSERT_EQ(gpx.tracks.size(), 2u);
    EXPECT_EQ(gpx.tracks[0].name, "A.MP4");
    EXPECT_EQ(gpx.tracks[1].name, "EMPTY.MP4");
    // Samples 1 and 3 break the track: no line across them.
    EXPECT_EQ(gpx.tracks[0].segmentStarts, (std::vector<size_t>{0, 1, 2}));
    EXPECT_EQ(gpx.tracks[1].segments, 1);
    EXPECT_TRUE(gpx.tracks[1].points.empty());

    const auto& p = gpx.tracks[0].points;
    ASSERT_EQ(p.size(), 4u);
    EXPECT_DOUBLE_EQ(p[0].lat, 48.1374);
    EXPECT_DOUBLE_EQ(p[0].lon, 11.5755);
    EXPECT_EQ(p[0].time, "2016-05-12T09:03:07");
    EXPECT_NEAR(number(p[0].speed), 10.0, 1e-9);  // 36 km/h
    EXPECT_EQ(p[0].course, "90");

    EXPECT_DOUBLE_EQ(p[1].lat, -33.8688);
    EXPECT_DOUBLE_EQ(p[1].lon, -151.2093);
    EXPECT_EQ(p[1].time, std::nullopt);
    EXPECT_EQ(p[1].speed, std::nullopt);  // a negative speed is no speed
    EXPECT_EQ(p[1].course, "10");         // 370 degrees

    EXPECT_DOUBLE_EQ(p[2].lat, 48.1375);
    EXPECT_DOUBLE_EQ(p[2].lon, 11.5755);
    EXPECT_EQ(p[2].time, std::nullopt);
    EXPECT_NEAR(number(p[2].speed), 15.0, 1e-9);
    EXPECT_EQ(p[2].course, "270");  // -90 degrees

    EXPECT_EQ(p[3].time, "2016-12-31T23:59:59");
    EXPECT_NEAR(number(p[3].speed), 0.0, 1e-12);
    EXPECT_EQ(p[3].course, "0");
}

TEST(TrackExport, GpxNameCannotBreakTheXml) {
    Class_Video_Info r;
    r.filename = std::string("a<b&c\x01", 6) + "\xEF\xBF\xBF.MP4";  // markup, a control character, U+FFFF
    const Gpx gpx = parseGpx(tracks(TrackFormat::Gpx, {r}));
    ASSERT_EQ(gpx.tracks.size(), 1u);
    EXPECT_EQ(gpx.tracks[0].name, "a<b&c\xEF\xBF\xBD\xEF\xBF\xBD.MP4");
}

TEST(TrackExport, GeoJsonFeatureCollection) {
    Class_Video_Info one = record("ONE.MP4", {sampleLine("481374", "115755"), sampleLine("0", "0")}, "2017/01/02", 5);
    Class_Video_Info none;  // never scanned past the header
    none.filename = "NONE.MP4";
    Class_Video_Info gap = record("GAP.MP4", {sampleLine("481374", "115755"), sampleLine("481375", "115755"),
                                              sampleLine("0", "0"), sampleLine("481380", "115755"),
                                              sampleLine("481381", "115755")});
    const QByteArray text = tracks(TrackFormat::GeoJson, {record("A.MP4", mixedLines()), one, none, gap});

    QJsonParseError error;
    const QJsonObject doc = QJsonDocument::fromJson(text, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_EQ(doc["type"].toString(), "FeatureCollection");
    const QJsonArray features = doc["features"].toArray();
    ASSERT_EQ(features.size(), 4);
    // Written a feature at a time, byte for byte as Qt writes the whole collection.
    EXPECT_EQ(text, QJsonDocument(doc).toJson(QJsonDocument::Compact) + '\n');

    const QJsonObject a = features[0].toObject();
    EXPECT_EQ(a["type"].toString(), "Feature");
    EXPECT_EQ(a["geometry"]["type"].toString(), "LineString");
    // Samples 1 and 3 break the track; the runs of one point before them are no lines.
    const QJsonArray expected{QJsonArray{11.5755, 48.1375}, QJsonArray{11.5757, 48.1376}};
    EXPECT_EQ(a["geometry"]["coordinates"].toArray(), expected);
    EXPECT_EQ(a["properties"].toObject(),
              (QJsonObject{{"filename", "A.MP4"}, {"date", "2016/05/12"}, {"duration", 60}}));

    const QJsonObject b = features[1].toObject();
    EXPECT_TRUE(b["geometry"].isNull());  // one point is no line
    EXPECT_EQ(b["properties"].toObject(),
              (QJsonObject{{"filename", "ONE.MP4"}, {"date", "2017/01/02"}, {"duration", 5}}));

    const QJsonObject c = features[2].toObject();
    EXPECT_TRUE(c.contains("geometry"));
    EXPECT_TRUE(c["geometry"].isNull());
    EXPECT_TRUE(c["properties"]["date"].isNull());
    EXPECT_EQ(c["properties"]["duration"].toInt(-1), 0);

    const QJsonObject d = features[3].toObject();
    EXPECT_EQ(d["geometry"]["type"].toString(), "MultiLineString");
    const QJsonArray lines{QJsonArray{QJsonArray{11.5755, 48.1374}, QJsonArray{11.5755, 48.1375}},
                           QJsonArray{QJsonArray{11.5755, 48.138}, QJsonArray{11.5755, 48.1381}}};
    EXPECT_EQ(d["geometry"]["coordinates"].toArray(), lines);
}

TEST(TrackExport, CsvRowsForEverySampleWithQuoting) {
    Class_Video_Info quoted = record("trip \"one\", day.MP4",
                                     {sampleLine("481374", "115755", "S", "W", "90", "36.0", "2016$5$12$9$3$7",
                                                 "1,5$say \"hi\"$0.98"),
                                      sampleLine("0", "115756", "N", "E", "90", "36.0", "2016$5$12$9$3$7",
                                                 "0.01$-0.02$line\nbreak")});
    Class_Video_Info unscanned;
    unscanned.filename = "NONE.MP4";
    const QByteArray csv = tracks(TrackFormat::Csv, {quoted, unscanned, record("B.MP4", {sampleLine("481376", "115757"), sampleLine("9e9999", "9e9999")})});

    const std::string file = "\"trip \"\"one\"\", day.MP4\"";
    EXPECT_EQ(csv.toStdString(),
              "file,gx,gy,gz,lon,lat,heading,speed,year,month,day,hour,min,second,NS,WE,lat_deg,lon_deg\r\n" + file +
                  ",\"1,5\",\"say \"\"hi\"\"\",0.98,115755,481374,90,36.0,2016,05,12,09,03,07,S,W,-48.1374,-11.5755\r\n" +
                  file + ",0.01,-0.02,\"line\nbreak\",115756,0,90,36.0,2016,05,12,09,03,07,N,E,,\r\n" +
                  "B.MP4,0.01,-0.02,0.98,115757,481376,90,36.0,2016,05,12,09,03,07,N,E,48.1376,11.5757\r\n"
                  "B.MP4,0.01,-0.02,0.98,9e9999,9e9999,90,36.0,2016,05,12,09,03,07,N,E,,\r\n");  // infinite: no fix
}
