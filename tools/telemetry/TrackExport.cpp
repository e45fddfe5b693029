#include "TrackExport.h"

#include <QBuffer>
#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QStringList>
#include <QTime>
#include <QXmlStreamWriter>

#include <cmath>

#include "PositionFix.h"
#include "TextValues.h"

namespace telemetry_cli {
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

// xsd:dateTime without a zone: the camera writes its own clock, whose zone the
// file does not say.
std::optional<QString> sampleTime(const Class_Subtitle_Info& s) {
    using telemetry::integerValue;
    const int year = integerValue(s.year);
    const QDate date(year, integerValue(s.month), integerValue(s.day));
    const QTime time(integerValue(s.hour), integerValue(s.min), integerValue(s.second));
    if (year < 1 || year > 9999 || !date.isValid() || !time.isValid()) return std::nullopt;
    return date.toString(Qt::ISODate) + 'T' + time.toString(Qt::ISODate);
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
constexpr char kTpxNamespace[] = "http://www.garmin.com/xmlschemas/TrackPointExtension/v2";
constexpr char kXsiNamespace[] = "http://www.w3.org/2001/XMLSchema-instance";

void writeTrackPoint(QXmlStreamWriter& xml, const Class_Subtitle_Info& s, const TrackPoint& p) {
    xml.writeStartElement(kGpxNamespace, "trkpt");
    xml.writeAttribute("lat", decimal(p.lat));
    xml.writeAttribute("lon", decimal(p.lon));
    if (const auto time = sampleTime(s)) xml.writeTextElement(kGpxNamespace, "time", *time);

    // The extension's types: speed is m/s and not negative, course lies in [0, 360).
    const double speed = telemetry::floatingValue(s.speed) / 3.6;
    const int course = (telemetry::integerValue(s.heading) % 360 + 360) % 360;
    xml.writeStartElement(kGpxNamespace, "extensions");
    xml.writeStartElement(kTpxNamespace, "TrackPointExtension");
    if (std::isfinite(speed) && speed >= 0) xml.writeTextElement(kTpxNamespace, "speed", decimal(speed));
    xml.writeTextElement(kTpxNamespace, "course", QString::number(course));
    xml.writeEndElement();
    xml.writeEndElement();

    xml.writeEndElement();
}

}  // namespace

std::optional<TrackFormat> trackFormatNamed(const QString& name) {
    if (name == QLatin1String("gpx")) return TrackFormat::Gpx;
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

void writeGpxHead(QXmlStreamWriter& xml) {
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(kGpxNamespace);
    xml.writeNamespace(kTpxNamespace, "gpxtpx");
    xml.writeNamespace(kXsiNamespace, "xsi");
    xml.writeStartElement(kGpxNamespace, "gpx");
    xml.writeAttribute("version", "1.1");
    xml.writeAttribute("creator", "dashcam-telemetry");
    xml.writeAttribute(kXsiNamespace, "schemaLocation",
                       "http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd "
                       "http://www.garmin.com/xmlschemas/TrackPointExtension/v2 "
                       "https://www8.garmin.com/xmlschemas/TrackPointExtensionv2.xsd");
}

void writeGpxTracks(QXmlStreamWriter& xml, Records records) {
    for (const Class_Video_Info& record : records) {
        xml.writeStartElement(kGpxNamespace, "trk");
        xml.writeTextElement(kGpxNamespace, "name", xmlSafe(fileNameOf(record)));
        // A sample without a track point ends the segment: nobody drove the straight
        // line across the gap.
        bool open = false, any = false;
        if (record.array_SubtileInfo)
            for (const Class_Subtitle_Info& s : *record.array_SubtileInfo) {
                const auto p = trackPoint(s);
                if (p && !open) xml.writeStartElement(kGpxNamespace, "trkseg");
                if (!p && open) xml.writeEndElement();
                open = p.has_value();
                any = any || open;
                if (p) writeTrackPoint(xml, s, *p);
            }
        if (open) xml.writeEndElement();
        if (!any) xml.writeEmptyElement(kGpxNamespace, "trkseg");
        xml.writeEndElement();
    }
}

void writeGpxTail(QXmlStreamWriter& xml) {
    xml.writeEndElement();
    xml.writeEndDocument();
}

QJsonArray geoJsonFeatures(Records records) {
    QJsonArray features;
    for (const Class_Video_Info& record : records) {
        // One line per run of samples with track points; a line needs two positions.
        QJsonArray lines, line;
        const auto endLine = [&] {
            if (line.size() >= 2) lines.append(line);
            line = QJsonArray();
        };
        if (record.array_SubtileInfo)
            for (const Class_Subtitle_Info& s : *record.array_SubtileInfo) {
                if (const auto p = trackPoint(s)) line.append(QJsonArray{p->lon == 0 ? 0.0 : p->lon, p->lat == 0 ? 0.0 : p->lat});
                else endLine();
            }
        endLine();

        QJsonValue geometry = QJsonValue::Null;
        if (lines.size() == 1) geometry = QJsonObject{{"type", "LineString"}, {"coordinates", lines.first()}};
        if (lines.size() > 1) geometry = QJsonObject{{"type", "MultiLineString"}, {"coordinates", lines}};
        const QJsonObject properties{
            {"filename", record.filename ? QJsonValue(qtext(record.filename)) : QJsonValue(QJsonValue::Null)},
            {"date", record.fileDateYMD ? QJsonValue(qtext(record.fileDateYMD)) : QJsonValue(QJsonValue::Null)},
            {"duration", qint64(record.duration_second)},
        };
        features.append(QJsonObject{{"type", "Feature"}, {"geometry", geometry}, {"properties", properties}});
    }
    return features;
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

// RFC 4180 ends every record, the last included, with CRLF.
QByteArray csvHeader() {
    QStringList header{"file"};
    for (const char* name : Class_Subtitle_Info::kFieldNames) header << name;
    header << "lat_deg" << "lon_deg";
    return (header.join(',') + QLatin1String("\r\n")).toUtf8();
}

QByteArray csvRows(Records records) {
    QString out;
    for (const Class_Video_Info& record : records) {
        if (!record.array_SubtileInfo) continue;
        const QString file = csvCell(fileNameOf(record));
        for (const Class_Subtitle_Info& s : *record.array_SubtileInfo) {
            QStringList row{file};
            for (int i = 0; i < Class_Subtitle_Info::kFieldCount; ++i) row << csvCell(qtext(s.field(i)));
            if (const auto p = trackPoint(s)) row << decimal(p->lat) << decimal(p->lon);
            else row << QString() << QString();
            out += row.join(',') + QLatin1String("\r\n");
        }
    }
    return out.toUtf8();
}

}  // namespace

TrackWriter::TrackWriter(TrackFormat format, QIODevice& out) : format_(format), out_(out) {
    switch (format_) {
        case TrackFormat::Gpx:
            xml_ = std::make_unique<QXmlStreamWriter>(&out_);
            writeGpxHead(*xml_);
            break;
        case TrackFormat::GeoJson: out_.write(kGeoJsonHead); break;
        case TrackFormat::Csv: out_.write(csvHeader()); break;
    }
}

TrackWriter::~TrackWriter() = default;

void TrackWriter::add(const Class_Video_Info& record) {
    const Records one(&record, 1);
    switch (format_) {
        case TrackFormat::Gpx: writeGpxTracks(*xml_, one); break;
        case TrackFormat::GeoJson:
            if (added_) out_.write(",");
            out_.write(QJsonDocument(geoJsonFeatures(one).first().toObject()).toJson(QJsonDocument::Compact));
            break;
        case TrackFormat::Csv: out_.write(csvRows(one)); break;
    }
    added_ = true;
}

void TrackWriter::finish() {
    switch (format_) {
        case TrackFormat::Gpx: writeGpxTail(*xml_); break;
        case TrackFormat::GeoJson: out_.write(kGeoJsonTail); break;
        case TrackFormat::Csv: break;
    }
}

QByteArray exportTracks(TrackFormat format, Records records) {
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    TrackWriter writer(format, out);
    for (const Class_Video_Info& record : records) writer.add(record);
    writer.finish();
    return bytes;
}

}  // namespace telemetry_cli
