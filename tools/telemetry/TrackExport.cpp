#include "TrackExport.h"

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

QString fileNameOf(const Class_Video_Info& record) { return qtext(record.filename ? record.filename : record.filepath); }

// Plain decimal notation: xsd:decimal has no exponent, and the shortest form that
// reads back to the same double keeps the camera's four decimals as they were.
QString decimal(double value) {
    if (value == 0) value = 0;  // no "-0" for a zero position in the west
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

double signedDegrees(const Text& value, const Text& hemisphere, const char* negative) {
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

QByteArray toGpx(const std::vector<Class_Video_Info>& records) {
    QByteArray out;
    QXmlStreamWriter xml(&out);
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
    for (const Class_Video_Info& record : records) {
        xml.writeStartElement(kGpxNamespace, "trk");
        xml.writeTextElement(kGpxNamespace, "name", xmlSafe(fileNameOf(record)));
        xml.writeStartElement(kGpxNamespace, "trkseg");
        if (record.array_SubtileInfo)
            for (const Class_Subtitle_Info& s : *record.array_SubtileInfo)
                if (const auto p = trackPoint(s)) writeTrackPoint(xml, s, *p);
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

QByteArray toGeoJson(const std::vector<Class_Video_Info>& records) {
    QJsonArray features;
    for (const Class_Video_Info& record : records) {
        QJsonArray line;
        if (record.array_SubtileInfo)
            for (const Class_Subtitle_Info& s : *record.array_SubtileInfo)
                if (const auto p = trackPoint(s)) line.append(QJsonArray{p->lon == 0 ? 0.0 : p->lon, p->lat == 0 ? 0.0 : p->lat});

        QJsonValue geometry = QJsonValue::Null;  // a LineString needs two positions
        if (line.size() >= 2) geometry = QJsonObject{{"type", "LineString"}, {"coordinates", line}};
        const QJsonObject properties{
            {"filename", record.filename ? QJsonValue(qtext(record.filename)) : QJsonValue(QJsonValue::Null)},
            {"date", record.fileDateYMD ? QJsonValue(qtext(record.fileDateYMD)) : QJsonValue(QJsonValue::Null)},
            {"duration", qint64(record.duration_second)},
        };
        features.append(QJsonObject{{"type", "Feature"}, {"geometry", geometry}, {"properties", properties}});
    }
    const QJsonObject collection{{"type", "FeatureCollection"}, {"features", features}};
    return QJsonDocument(collection).toJson(QJsonDocument::Compact) + '\n';
}

QString csvCell(const QString& value) {
    const bool quote = value.contains(',') || value.contains('"') || value.contains('\r') || value.contains('\n');
    if (!quote) return value;
    QString quoted = value;
    quoted.replace('"', QLatin1String("\"\""));
    return '"' + quoted + '"';
}

QByteArray toCsv(const std::vector<Class_Video_Info>& records) {
    // RFC 4180 ends every record, the last included, with CRLF.
    QStringList header{"file"};
    for (const char* name : Class_Subtitle_Info::kFieldNames) header << name;
    header << "lat_deg" << "lon_deg";
    QString out = header.join(',') + QLatin1String("\r\n");

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

QByteArray exportTracks(TrackFormat format, const std::vector<Class_Video_Info>& records) {
    switch (format) {
        case TrackFormat::Gpx: return toGpx(records);
        case TrackFormat::GeoJson: return toGeoJson(records);
        case TrackFormat::Csv: return toCsv(records);
    }
    return {};
}

}  // namespace telemetry_cli
