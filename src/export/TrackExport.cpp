#include "TrackExport.h"

#include <QBuffer>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QStringList>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "CameraClock.h"
#include "SubtitleTrackReader.h"
#include "TextValues.h"

namespace track_export {
namespace {

using telemetry::Class_Subtitle_Info;
using telemetry::Class_Video_Info;
using telemetry::Sample;
using telemetry::Text;

QString qtext(const Text& value) {
    return value ? QString::fromUtf8(value->data(), qsizetype(value->size())) : QString();
}
QString qtext(const telemetry::SampleText& value) {
    return value ? QString::fromUtf8(value.view().data(), qsizetype(value.view().size())) : QString();
}

// Plain decimal notation: xsd:decimal has no exponent, and the shortest form that
// reads back to the same double keeps the camera's four decimals as they were.
QString decimal(double value) {
    if (value == 0) value = 0;  // no "-0" for a zero position in the west
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
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
    telemetry::GeoPoint at;
    const Sample* sample = nullptr;
    QDateTime time;
};
using Run = std::vector<Point>;

// The camera's speed, when it is one: finite and not negative.
std::optional<double> kilometresPerHour(const Sample& s) {
    return s.speedKmh && std::isfinite(*s.speedKmh) && *s.speedKmh >= 0 ? s.speedKmh : std::nullopt;
}
// GPX's types: speed is m/s and not negative, course lies in [0, 360).
std::optional<double> metresPerSecond(const Sample& s) {
    const auto kmh = kilometresPerHour(s);
    return kmh ? std::optional(*kmh / 3.6) : std::nullopt;
}
std::optional<QString> course(const Sample& s) {
    if (!s.headingDegrees || !std::isfinite(*s.headingDegrees)) return std::nullopt;
    const double degrees = std::fmod(std::fmod(*s.headingDegrees, 360.0) + 360.0, 360.0);
    return decimal(degrees < 360.0 ? degrees : 0.0);  // -1e-20 turns into 360 above
}

}  // namespace

std::optional<TrackFormat> trackFormatNamed(const QString& name) {
    if (name == QLatin1String("gpx")) return TrackFormat::Gpx;
    if (name == QLatin1String("gpx10")) return TrackFormat::Gpx10;
    if (name == QLatin1String("kml")) return TrackFormat::Kml;
    if (name == QLatin1String("geojson")) return TrackFormat::GeoJson;
    if (name == QLatin1String("csv")) return TrackFormat::Csv;
    return std::nullopt;
}

TrackRecording trackRecordingOf(const Class_Video_Info& record) {
    TrackRecording r;
    if (record.filename) r.fileName = qtext(record.filename);
    r.path = qtext(record.filepath);
    r.durationSeconds = record.duration_second;
    r.samples = telemetry::samplesOf(record);
    r.texts = &record;
    return r;
}

namespace {

// A sample without a fix ends the run: nobody drove the straight line across the gap.
std::vector<Run> runsOf(const TrackRecording& recording, const QTimeZone& zone) {
    std::vector<Run> runs(1);
    for (const Sample& s : recording.samples) {
        if (s.fix) {
            QDateTime time = sampleDateTime(s, zone);
            if (utcText(time).isNull()) time = {};  // a time no reader takes is no time
            runs.back().push_back({*s.fix, &s, time});
        }
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
    const auto heading = course(*p.sample);
    if (v10) {  // 1.0 orders them course, then speed
        if (heading) xml.writeTextElement(ns, "course", *heading);
        if (speed) xml.writeTextElement(ns, "speed", decimal(*speed));
    } else {
        xml.writeStartElement(ns, "extensions");
        xml.writeStartElement(kTpxNamespace, "TrackPointExtension");
        if (speed) xml.writeTextElement(kTpxNamespace, "speed", decimal(*speed));
        if (heading) xml.writeTextElement(kTpxNamespace, "course", *heading);
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

constexpr char kKmlSpeed[] = "speed_kmh";

void writeKmlHead(QXmlStreamWriter& xml) {
    xml.writeDefaultNamespace(kKmlNamespace);
    xml.writeNamespace(kGxNamespace, "gx");
    xml.writeStartElement(kKmlNamespace, "kml");
    xml.writeStartElement(kKmlNamespace, "Document");
    xml.writeTextElement(kKmlNamespace, "name", "dashcam-telemetry");
    // The type of the per-point values each gx:Track carries in its ExtendedData.
    xml.writeStartElement(kKmlNamespace, "Schema");
    xml.writeAttribute("id", "trackPoint");
    xml.writeAttribute("name", "trackPoint");
    xml.writeStartElement(kGxNamespace, "SimpleArrayField");
    xml.writeAttribute("name", kKmlSpeed);
    xml.writeAttribute("type", "float");
    xml.writeTextElement(kKmlNamespace, "displayName", "Speed (km/h)");
    xml.writeEndElement();
    xml.writeEndElement();
}

// Points of a run that all have a time, or all lack one.
using Piece = std::span<const Point>;
bool timed(Piece piece) { return piece.front().time.isValid(); }
std::vector<Piece> timedPieces(const std::vector<Run>& runs) {
    std::vector<Piece> pieces;
    for (const Run& run : runs)
        for (size_t begin = 0, end = 0; begin < run.size(); begin = end) {
            for (end = begin + 1; end < run.size() && run[end].time.isValid() == run[begin].time.isValid(); ++end) {}
            pieces.push_back(Piece(run).subspan(begin, end - begin));
        }
    return pieces;
}

QString kmlCoordinates(const Point& p, QChar separator) {
    return decimal(p.at.lon) + separator + decimal(p.at.lat) + separator + '0';
}

void writeKmlTrack(QXmlStreamWriter& xml, Piece points) {
    xml.writeStartElement(kGxNamespace, "Track");
    for (const Point& p : points) xml.writeTextElement(kKmlNamespace, "when", utcText(p.time));
    for (const Point& p : points) xml.writeTextElement(kGxNamespace, "coord", kmlCoordinates(p, ' '));
    xml.writeStartElement(kKmlNamespace, "ExtendedData");
    xml.writeStartElement(kKmlNamespace, "SchemaData");
    xml.writeAttribute("schemaUrl", "#trackPoint");
    xml.writeStartElement(kGxNamespace, "SimpleArrayData");
    xml.writeAttribute("name", kKmlSpeed);
    for (const Point& p : points) {
        const auto kmh = kilometresPerHour(*p.sample);
        xml.writeTextElement(kGxNamespace, "value", kmh ? decimal(*kmh) : QString());  // one per coord
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
}

// Without times: a LineString, or a Point for one.
void writeKmlUntimed(QXmlStreamWriter& xml, Piece points) {
    QStringList coordinates;
    for (const Point& p : points) coordinates << kmlCoordinates(p, ',');
    xml.writeStartElement(kKmlNamespace, points.size() == 1 ? "Point" : "LineString");
    xml.writeTextElement(kKmlNamespace, "coordinates", coordinates.join(' '));
    xml.writeEndElement();
}

// A gx:Track per run; several under a gx:MultiTrack that does not join them. A
// gx:Track needs a time for every position, and readers reject an empty one, so
// points without a time go beside the tracks in a MultiGeometry.
void writeKmlPlacemark(QXmlStreamWriter& xml, const QString& name, const std::vector<Run>& runs) {
    const std::vector<Piece> pieces = timedPieces(runs);
    const bool allTimed = std::all_of(pieces.begin(), pieces.end(), timed);
    xml.writeStartElement(kKmlNamespace, "Placemark");
    xml.writeTextElement(kKmlNamespace, "name", name);
    if (pieces.size() > 1 && allTimed) {
        xml.writeStartElement(kGxNamespace, "MultiTrack");
        xml.writeTextElement(kGxNamespace, "interpolate", "0");
    } else if (pieces.size() > 1) {
        xml.writeStartElement(kKmlNamespace, "MultiGeometry");
    }
    for (Piece piece : pieces) {
        if (timed(piece)) writeKmlTrack(xml, piece);
        else writeKmlUntimed(xml, piece);
    }
    if (pieces.size() > 1) xml.writeEndElement();
    xml.writeEndElement();
}

QJsonValue orNull(const QString& text) { return text.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue(text); }

QJsonArray position(const Point& p) { return QJsonArray{p.at.lon == 0 ? 0.0 : p.at.lon, p.at.lat == 0 ? 0.0 : p.at.lat}; }

// One part, or a Multi of several.
QJsonObject geometryOf(const QJsonArray& parts, const char* one, const char* many) {
    return parts.size() == 1 ? QJsonObject{{"type", one}, {"coordinates", parts.first()}}
                             : QJsonObject{{"type", many}, {"coordinates", parts}};
}

// Runs of two points or more are lines, and a run of one a point (a line needs two
// positions; GPX and KML keep such points too); a track with both is a
// GeometryCollection of the lines and the points. The per-point times and speeds
// are flat arrays over the positions in that order: GDAL reads a flat array of
// strings or numbers as a list of them, a nested one only as JSON text.
QJsonObject geoJsonFeature(const TrackRecording& recording, std::vector<Run> runs) {
    std::stable_partition(runs.begin(), runs.end(), [](const Run& run) { return run.size() > 1; });
    QJsonArray lines, points, times, speeds;
    QDateTime start, end;
    for (const Run& run : runs) {
        QJsonArray line;
        for (const Point& p : run) {
            line.append(position(p));
            times.append(orNull(utcText(p.time)));
            const auto kmh = kilometresPerHour(*p.sample);
            speeds.append(kmh ? QJsonValue(*kmh) : QJsonValue(QJsonValue::Null));
            if (p.time.isValid() && (!start.isValid() || p.time < start)) start = p.time;
            if (p.time.isValid() && (!end.isValid() || p.time > end)) end = p.time;
        }
        if (run.size() > 1) lines.append(line);
        else points.append(line.first());
    }
    QJsonObject geometry;
    if (points.isEmpty()) geometry = geometryOf(lines, "LineString", "MultiLineString");
    else if (lines.isEmpty()) geometry = geometryOf(points, "Point", "MultiPoint");
    else geometry = QJsonObject{{"type", "GeometryCollection"},
                                {"geometries", QJsonArray{geometryOf(lines, "LineString", "MultiLineString"),
                                                          geometryOf(points, "Point", "MultiPoint")}}};
    const QJsonObject properties{
        {"filename", recording.fileName ? QJsonValue(*recording.fileName) : QJsonValue(QJsonValue::Null)},
        {"start", orNull(utcText(start))},
        {"end", orNull(utcText(end))},
        {"duration", qint64(recording.durationSeconds)},
        {"times", times},
        {"speeds", speeds},
    };
    return QJsonObject{{"type", "Feature"}, {"geometry", geometry}, {"properties", properties}};
}

// The collection's compact form, as QJsonDocument writes it, a feature at a time:
// its keys in order ("features" before "type"), the features between.
constexpr char kGeoJsonHead[] = R"({"features":[)";
constexpr char kGeoJsonTail[] = R"(],"type":"FeatureCollection"})" "\n";

}  // namespace

QString csvCell(const QString& value) {
    QString cell = value;
    // A spreadsheet runs a cell that starts like a formula, and a file name or a
    // damaged field can: such text gets a leading ' as OWASP advises.
    constexpr QStringView kFormulaStarts = u"=+-@\t\r";
    if (!cell.isEmpty() && kFormulaStarts.contains(cell.front()) && !telemetry::isDecimalNumber(cell.toStdString()))
        cell.prepend(u'\'');
    const bool quote = cell.contains(',') || cell.contains('"') || cell.contains('\r') || cell.contains('\n');
    if (!quote) return cell;
    cell.replace('"', QLatin1String("\"\""));
    return '"' + cell + '"';
}

namespace {

// Readers guess a column's meaning from parts of its name: gpsbabel's unicsv takes
// any name holding "lat", "lon", "speed" (in m/s), "head" or "time", or starting
// with "sec" or "year", for those; GDAL is usually told "lat*" and "lon*". So the
// speed is in m/s, and the raw fields' names hold none of those parts, lest a
// reader take the unsigned ten-thousandths for coordinates.
constexpr const char* kRawColumns[Class_Subtitle_Info::kFieldCount] = {
    "raw_gx", "raw_gy", "raw_gz", "raw_x", "raw_y", "raw_hdg", "raw_kmh", "raw_year",
    "raw_month", "raw_day", "raw_hour", "raw_min", "raw_sec", "raw_ns", "raw_ew"};

QByteArray csvHeader() {
    QStringList header{"time", "latitude", "longitude", "speed_mps", "heading", "gx", "gy", "gz", "file"};
    for (const char* name : kRawColumns) header << QLatin1String(name);
    return (header.join(',') + QLatin1String("\r\n")).toUtf8();  // RFC 4180 ends every record with CRLF
}

QString csvNumber(const std::optional<double>& value) {
    return value && std::isfinite(*value) ? decimal(*value) : QString();
}

QByteArray csvRows(const TrackRecording& recording, const QTimeZone& zone) {
    QString out;
    const QString file = csvCell(recording.name());
    const auto* texts = recording.texts && recording.texts->array_SubtileInfo ? &*recording.texts->array_SubtileInfo : nullptr;
    for (size_t k = 0; k < recording.samples.size(); ++k) {
        const Sample& s = recording.samples[k];
        const auto speed = metresPerSecond(s);
        QStringList row{localText(sampleDateTime(s, zone)), s.fix ? decimal(s.fix->lat) : QString(),
                        s.fix ? decimal(s.fix->lon) : QString(), speed ? decimal(*speed) : QString(),
                        csvNumber(s.headingDegrees), csvNumber(s.g[0]), csvNumber(s.g[1]), csvNumber(s.g[2]), file};
        for (int i = 0; i < Class_Subtitle_Info::kFieldCount; ++i)
            row << (texts && k < texts->size() ? csvCell(qtext((*texts)[k].field(i))) : QString());
        out += row.join(',') + QLatin1String("\r\n");
    }
    return out.toUtf8();
}

constexpr qsizetype kSpillAt = 256 * 1024;

}  // namespace

TrackWriter::TrackWriter(TrackFormat format, QIODevice& out, QTimeZone clockZone)
    : format_(format), device_(out), zone_(std::move(clockZone)) {
    out_.open(QIODevice::WriteOnly);
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

bool TrackWriter::add(const TrackRecording& recording) {
    const std::vector<Run> runs = runsOf(recording, zone_);
    if (format_ == TrackFormat::Csv) out_.write(csvRows(recording, zone_));
    if (runs.empty()) {
        spill(kSpillAt);
        return false;
    }
    const QString name = xmlSafe(recording.name());
    switch (format_) {
        case TrackFormat::Gpx:
        case TrackFormat::Gpx10: writeGpxTrack(*xml_, name, runs, format_ == TrackFormat::Gpx10); break;
        case TrackFormat::Kml: writeKmlPlacemark(*xml_, name, runs); break;
        case TrackFormat::GeoJson:
            if (added_) out_.write(",");
            out_.write(QJsonDocument(geoJsonFeature(recording, runs)).toJson(QJsonDocument::Compact));
            added_ = true;
            break;
        case TrackFormat::Csv: break;
    }
    spill(kSpillAt);
    return true;
}

void TrackWriter::spill(qsizetype atLeast) {
    if (pending_.size() < atLeast) return;
    device_.write(pending_);
    pending_.resize(0);
    out_.seek(0);
}

void TrackWriter::finish() {
    if (format_ == TrackFormat::GeoJson) out_.write(kGeoJsonTail);
    if (xml_) {
        if (format_ == TrackFormat::Kml) xml_->writeEndElement();  // Document
        xml_->writeEndElement();
        xml_->writeEndDocument();
    }
    spill(0);
}

QByteArray exportTracks(TrackFormat format, Records records, const QTimeZone& clockZone) {
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    TrackWriter writer(format, out, clockZone);
    for (const Class_Video_Info& record : records) writer.add(trackRecordingOf(record));
    writer.finish();
    return bytes;
}

}  // namespace track_export
