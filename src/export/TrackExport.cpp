#include "TrackExport.h"

#include <QBuffer>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QStringList>
#include <QXmlStreamWriter>

#include <cmath>
#include <vector>

#include "CameraClock.h"
#include "PositionFix.h"
#include "TextValues.h"

namespace track_export {
namespace {

using telemetry::Class_Subtitle_Info;
using telemetry::Class_Video_Info;
using telemetry::Text;

QString qtext(const Text& value) {
    return value ? QString::fromUtf8(value->data(), qsizetype(value->size())) : QString();
}
QString qtext(const telemetry::SampleText& value) {
    return value ? QString::fromUtf8(value.view().data(), qsizetype(value.view().size())) : QString();
}

QString fileNameOf(const Class_Video_Info& record) { return qtext(record.filename ? record.filename : record.filepath); }

// Plain decimal notation: xsd:decimal has no exponent, and the shortest form that
// reads back to the same double keeps the camera's four decimals as they were.
QString decimal(double value) {
    if (value == 0) value = 0;  // no "-0" for a zero position in the west
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

double signedDegrees(const telemetry::SampleText& value, const telemetry::SampleText& hemisphere, const char* negative) {
    const double degrees = telemetry::floatingValue(value) / 10000.0;
    return hemisphere == negative ? -degrees : degrees;
}

// XML 1.0 cannot carry control characters or U+FFFE/U+FFFF, which a file name
// may hold; a broken name beats a file no reader accepts.
QString xmlSafe(QString text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        const bool allowed = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c < 0xD800) ||
                             (c >= 0xE000 && c <= 0xFFFD);
        if (!allowed) text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

constexpr char kGpxNamespace[] = "http://www.topografix.com/GPX/1/1";
constexpr char kGpx10Namespace[] = "http://www.topografix.com/GPX/1/0";
constexpr char kTpxNamespace[] = "http://www.garmin.com/xmlschemas/TrackPointExtension/v2";
constexpr char kXsiNamespace[] = "http://www.w3.org/2001/XMLSchema-instance";
constexpr char kKmlNamespace[] = "http://www.opengis.net/kml/2.2";
constexpr char kGxNamespace[] = "http://www.google.com/kml/ext/2.2";

struct Point {
    TrackPoint at;
    const Class_Subtitle_Info* sample = nullptr;
    QDateTime time;
};
using Run = std::vector<Point>;

// GPX's types: speed is m/s and not negative, course lies in [0, 360).
std::optional<double> metresPerSecond(const Class_Subtitle_Info& s) {
    const double speed = telemetry::floatingValue(s.speed) / 3.6;
    return std::isfinite(speed) && speed >= 0 ? std::optional(speed) : std::nullopt;
}
int course(const Class_Subtitle_Info& s) { return (telemetry::integerValue(s.heading) % 360 + 360) % 360; }

}  // namespace

std::optional<TrackFormat> trackFormatNamed(const QString& name) {
    if (name == QLatin1String("gpx")) return TrackFormat::Gpx;
    if (name == QLatin1String("gpx10")) return TrackFormat::Gpx10;
    if (name == QLatin1String("kml")) return TrackFormat::Kml;
    if (name == QLatin1String("geojson")) return TrackFormat::GeoJson;
    if (name == QLatin1String("csv")) return TrackFormat::Csv;
    return std::nullopt;
}

double latitudeDegrees(const Class_Subtitle_Info& s) { return signedDegrees(s.lat, s.NS, "S"); }
double longitudeDegrees(const Class_Subtitle_Info& s) { return signedDegrees(s.lon, s.WE, "W"); }

std::optional<TrackPoint> trackPoint(const Class_Subtitle_Info& s) {
    const auto fix = telemetry::positionFix(s);
    if (!fix) return std::nullopt;
    return TrackPoint{fix->latitude, fix->longitude};
}

namespace {

// A sample without a track point ends the run: nobody drove the straight line
// across the gap.
std::vector<Run> runsOf(const Class_Video_Info& record, const QTimeZone& zone) {
    std::vector<Run> runs(1);
    if (record.array_SubtileInfo)
        for (const Class_Subtitle_Info& s : *record.array_SubtileInfo) {
            if (const auto p = trackPoint(s)) runs.back().push_back({*p, &s, sampleDateTime(s, zone)});
            else if (!runs.back().empty()) runs.emplace_back();
        }
    if (runs.back().empty()) runs.pop_back();
    return runs;
}

void writeGpxHead(QXmlStreamWriter& xml, bool v10) {
    const char* ns = v10 ? kGpx10Namespace : kGpxNamespace;
    xml.writeDefaultNamespace(ns);
    if (!v10) xml.writeNamespace(kTpxNamespace, "gpxtpx");
    xml.writeNamespace(kXsiNamespace, "xsi");
    xml.writeStartElement(ns, "gpx");
    xml.writeAttribute("version", v10 ? "1.0" : "1.1");
    xml.writeAttribute("creator", "dashcam-telemetry");
    xml.writeAttribute(kXsiNamespace, "schemaLocation",
                       v10 ? "http://www.topografix.com/GPX/1/0 http://www.topografix.com/GPX/1/0/gpx.xsd"
                           : "http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd "
                             "http://www.garmin.com/xmlschemas/TrackPointExtension/v2 "
                             "https://www8.garmin.com/xmlschemas/TrackPointExtensionv2.xsd");
}

void writeGpxPoint(QXmlStreamWriter& xml, const Point& p, bool v10) {
    const char* ns = v10 ? kGpx10Namespace : kGpxNamespace;
    xml.writeStartElement(ns, "trkpt");
    xml.writeAttribute("lat", decimal(p.at.lat));
    xml.writeAttribute("lon", decimal(p.at.lon));
    if (p.time.isValid()) xml.writeTextElement(ns, "time", utcText(p.time));
    const auto speed = metresPerSecond(*p.sample);
    if (v10) {  // 1.0 orders them course, then speed
        xml.writeTextElement(ns, "course", QString::number(course(*p.sample)));
        if (speed) xml.writeTextElement(ns, "speed", decimal(*speed));
    } else {
        xml.writeStartElement(ns, "extensions");
        xml.writeStartElement(kTpxNamespace, "TrackPointExtension");
        if (speed) xml.writeTextElement(kTpxNamespace, "speed", decimal(*speed));
        xml.writeTextElement(kTpxNamespace, "course", QString::number(course(*p.sample)));
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

void writeGpxTrack(QXmlStreamWriter& xml, const QString& name, const std::vector<Run>& runs, bool v10) {
    const char* ns = v10 ? kGpx10Namespace : kGpxNamespace;
    xml.writeStartElement(ns, "trk");
    xml.writeTextElement(ns, "name", name);
    for (const Run& run : runs) {
        xml.writeStartElement(ns, "trkseg");
        for (const Point& p : run) writeGpxPoint(xml, p, v10);
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

void writeKmlHead(QXmlStreamWriter& xml) {
    xml.writeDefaultNamespace(kKmlNamespace);
    xml.writeNamespace(kGxNamespace, "gx");
    xml.writeStartElement(kKmlNamespace, "kml");
    xml.writeStartElement(kKmlNamespace, "Document");
    xml.writeTextElement(kKmlNamespace, "name", "dashcam-telemetry");
}

// A gx:Track per run; several under a gx:MultiTrack that does not join them.
void writeKmlPlacemark(QXmlStreamWriter& xml, const QString& name, const std::vector<Run>& runs) {
    xml.writeStartElement(kKmlNamespace, "Placemark");
    xml.writeTextElement(kKmlNamespace, "name", name);
    if (runs.size() > 1) {
        xml.writeStartElement(kGxNamespace, "MultiTrack");
        xml.writeTextElement(kGxNamespace, "interpolate", "0");
    }
    for (const Run& run : runs) {
        xml.writeStartElement(kGxNamespace, "Track");
        for (const Point& p : run) xml.writeTextElement(kKmlNamespace, "when", utcText(p.time));
        for (const Point& p : run) xml.writeTextElement(kGxNamespace, "coord", decimal(p.at.lon) + ' ' + decimal(p.at.lat) + " 0");
        xml.writeEndElement();
    }
    if (runs.size() > 1) xml.writeEndElement();
    xml.writeEndElement();
}

QJsonValue orNull(const QString& text) { return text.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue(text); }

QJsonObject geoJsonFeature(const Class_Video_Info& record, std::vector<Run> runs) {
    std::erase_if(runs, [](const Run& run) { return run.size() < 2; });  // a line needs two positions
    QJsonArray lines, times, speeds;
    QDateTime start, end;
    for (const Run& run : runs) {
        QJsonArray line, runTimes, runSpeeds;
        for (const Point& p : run) {
            line.append(QJsonArray{p.at.lon == 0 ? 0.0 : p.at.lon, p.at.lat == 0 ? 0.0 : p.at.lat});
            runTimes.append(orNull(utcText(p.time)));
            const double kmh = telemetry::floatingValue(p.sample->speed);
            runSpeeds.append(std::isfinite(kmh) && kmh >= 0 ? QJsonValue(kmh) : QJsonValue(QJsonValue::Null));
            if (p.time.isValid() && (!start.isValid() || p.time < start)) start = p.time;
            if (p.time.isValid() && (!end.isValid() || p.time > end)) end = p.time;
        }
        lines.append(line);
        times.append(runTimes);
        speeds.append(runSpeeds);
    }
    QJsonValue geometry = QJsonValue::Null;
    if (lines.size() == 1) geometry = QJsonObject{{"type", "LineString"}, {"coordinates", lines.first()}};
    if (lines.size() > 1) geometry = QJsonObject{{"type", "MultiLineString"}, {"coordinates", lines}};
    const bool one = lines.size() == 1;
    const QJsonObject properties{
        {"filename", record.filename ? QJsonValue(qtext(record.filename)) : QJsonValue(QJsonValue::Null)},
        {"start", orNull(utcText(start))},
        {"end", orNull(utcText(end))},
        {"duration", qint64(record.duration_second)},
        {"coordinateProperties",
         QJsonObject{{"times", one ? times.first() : QJsonValue(times)}, {"speeds", one ? speeds.first() : QJsonValue(speeds)}}},
    };
    return QJsonObject{{"type", "Feature"}, {"geometry", geometry}, {"properties", properties}};
}

// The collection's compact form, as QJsonDocument writes it, a feature at a time:
// its keys in order ("features" before "type"), the features between.
constexpr char kGeoJsonHead[] = R"({"features":[)";
constexpr char kGeoJsonTail[] = R"(],"type":"FeatureCollection"})" "\n";

}  // namespace

QString csvCell(const QString& value) {
    const bool quote = value.contains(',') || value.contains('"') || value.contains('\r') || value.contains('\n');
    if (!quote) return value;
    QString quoted = value;
    quoted.replace('"', QLatin1String("\"\""));
    return '"' + quoted + '"';
}

namespace {

// The raw fields are named "_raw" so that no reader takes the ten-thousandths
// for coordinates, nor the texts for the numbers before them.
QByteArray csvHeader() {
    QStringList header{"time", "latitude", "longitude", "speed_kmh", "heading", "gx", "gy", "gz", "file"};
    for (const char* name : Class_Subtitle_Info::kFieldNames) header << QLatin1String(name) + QLatin1String("_raw");
    return (header.join(',') + QLatin1String("\r\n")).toUtf8();  // RFC 4180 ends every record with CRLF
}

QString csvNumber(const telemetry::SampleText& text) {
    const double value = telemetry::floatingValue(text);
    return text && std::isfinite(value) ? decimal(value) : QString();
}

QByteArray csvRows(const Class_Video_Info& record, const QTimeZone& zone) {
    QString out;
    if (!record.array_SubtileInfo) return {};
    const QString file = csvCell(fileNameOf(record));
    for (const Class_Subtitle_Info& s : *record.array_SubtileInfo) {
        const auto p = trackPoint(s);
        QStringList row{localText(sampleDateTime(s, zone)), p ? decimal(p->lat) : QString(), p ? decimal(p->lon) : QString(),
                        csvNumber(s.speed), s.heading ? QString::number(telemetry::integerValue(s.heading)) : QString(),
                        csvNumber(s.gx), csvNumber(s.gy), csvNumber(s.gz), file};
        for (int i = 0; i < Class_Subtitle_Info::kFieldCount; ++i) row << csvCell(qtext(s.field(i)));
        out += row.join(',') + QLatin1String("\r\n");
    }
    return out.toUtf8();
}

}  // namespace

TrackWriter::TrackWriter(TrackFormat format, QIODevice& out, QTimeZone clockZone)
    : format_(format), out_(out), zone_(std::move(clockZone)) {
    if (format_ == TrackFormat::GeoJson) out_.write(kGeoJsonHead);
    if (format_ == TrackFormat::Csv) out_.write(csvHeader());
    if (format_ == TrackFormat::GeoJson || format_ == TrackFormat::Csv) return;
    xml_ = std::make_unique<QXmlStreamWriter>(&out_);
    xml_->setAutoFormatting(true);
    xml_->setAutoFormattingIndent(2);
    xml_->writeStartDocument();
    if (format_ == TrackFormat::Kml) writeKmlHead(*xml_);
    else writeGpxHead(*xml_, format_ == TrackFormat::Gpx10);
}

TrackWriter::~TrackWriter() = default;

bool TrackWriter::add(const Class_Video_Info& record) {
    const std::vector<Run> runs = runsOf(record, zone_);
    if (format_ == TrackFormat::Csv) out_.write(csvRows(record, zone_));
    if (runs.empty()) return false;
    const QString name = xmlSafe(fileNameOf(record));
    switch (format_) {
        case TrackFormat::Gpx:
        case TrackFormat::Gpx10: writeGpxTrack(*xml_, name, runs, format_ == TrackFormat::Gpx10); break;
        case TrackFormat::Kml: writeKmlPlacemark(*xml_, name, runs); break;
        case TrackFormat::GeoJson:
            if (added_) out_.write(",");
            out_.write(QJsonDocument(geoJsonFeature(record, runs)).toJson(QJsonDocument::Compact));
            added_ = true;
            break;
        case TrackFormat::Csv: break;
    }
    return true;
}

void TrackWriter::finish() {
    if (format_ == TrackFormat::GeoJson) out_.write(kGeoJsonTail);
    if (!xml_) return;
    if (format_ == TrackFormat::Kml) xml_->writeEndElement();  // Document
    xml_->writeEndElement();
    xml_->writeEndDocument();
}

QByteArray exportTracks(TrackFormat format, Records records, const QTimeZone& clockZone) {
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    TrackWriter writer(format, out, clockZone);
    for (const Class_Video_Info& record : records) writer.add(record);
    writer.finish();
    return bytes;
}

}  // namespace track_export
