#include "InspectJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <cstdio>

namespace telemetry_cli {
namespace {

using telemetry::Class_Subtitle_Info;
using telemetry::List;
using telemetry::Text;

QJsonValue text(std::string_view value) { return QString::fromUtf8(value.data(), qsizetype(value.size())); }
QJsonValue text(const Text& value) { return value ? text(std::string_view(*value)) : QJsonValue::Null; }
QJsonValue text(const telemetry::SampleText& value) { return value ? text(value.view()) : QJsonValue::Null; }

QJsonValue number(uint32_t value) { return qint64(value); }

template <typename TextList>
QJsonValue texts(const std::optional<TextList>& list) {
    if (!list) return QJsonValue::Null;
    QJsonArray out;
    for (const auto& s : *list) out.append(text(std::string_view(s)));
    return out;
}

QJsonValue samples(const List<Class_Subtitle_Info>& list) {
    if (!list) return QJsonValue::Null;
    QJsonArray out;
    for (const Class_Subtitle_Info& s : *list) out.append(sampleJson(s));
    return out;
}

}  // namespace

QJsonObject sampleJson(const Class_Subtitle_Info& sample) {
    QJsonObject out;
    for (int i = 0; i < Class_Subtitle_Info::kFieldCount; ++i)
        out.insert(QLatin1String(Class_Subtitle_Info::kFieldNames[i]), text(sample.field(i)));
    return out;
}

QJsonObject inspectJson(const telemetry::Class_Video_Info& r) {
    QJsonObject o;
    o.insert("filepath", text(r.filepath));
    o.insert("filename", text(r.filename));
    o.insert("filenameWithoutExtension", text(r.filenameWithoutExtension));
    o.insert("fileDateYMD", text(r.fileDateYMD));
    o.insert("duration", number(r.duration));
    o.insert("timescale", number(r.timescale));
    o.insert("duration_second", number(r.duration_second));
    o.insert("gapSubtitlePerSecond", number(r.gapSubtitlePerSecond));
    o.insert("lastPosition", number(r.lastPosition));
    o.insert("Start_Lat", text(r.Start_Lat));
    o.insert("Start_Lon", text(r.Start_Lon));
    o.insert("End_Lat", text(r.End_Lat));
    o.insert("End_Lon", text(r.End_Lon));
    o.insert("Center_Lat", text(r.Center_Lat));
    o.insert("Center_Lon", text(r.Center_Lon));
    o.insert("sign_start_lat", number(r.sign_start_lat));
    o.insert("sign_start_lon", number(r.sign_start_lon));
    o.insert("sign_end_lat", number(r.sign_end_lat));
    o.insert("sign_end_lon", number(r.sign_end_lon));
    o.insert("sign_center_lat", number(r.sign_center_lat));
    o.insert("sign_center_lon", number(r.sign_center_lon));
    o.insert("sign_maintain_lat", number(r.sign_maintain_lat));
    o.insert("sign_maintain_lon", number(r.sign_maintain_lon));
    o.insert("fileDate", r.fileDate ? QJsonValue(isoUtcMillis(*r.fileDate)) : QJsonValue(QJsonValue::Null));
    o.insert("fileSize", number(r.fileSize));
    o.insert("addrOfmoov", number(r.addrOfmoov));
    o.insert("addrOfAmbarella_EXT", number(r.addrOfAmbarella_EXT));
    o.insert("addrOfMVHD", number(r.addrOfMVHD));
    o.insert("addrOfSTSZ", number(r.addrOfSTSZ));
    o.insert("addrOfSTCO", number(r.addrOfSTCO));
    o.insert("num_subtitle", number(r.num_subtitle));
    o.insert("array_addrOfSubtitle", texts(r.array_addrOfSubtitle));
    o.insert("array_lengthOfSubtitle", texts(r.array_lengthOfSubtitle));
    o.insert("array_subtitle_final", texts(r.array_subtitle_final));
    o.insert("array_SubtileInfo", samples(r.array_SubtileInfo));
    o.insert("array_coordinate_set", texts(r.array_coordinate_set));
    o.insert("isSupportSubtitle", number(r.isSupportSubtitle));
    return o;
}

void JsonArrayWriter::add(const QJsonObject& object) {
    // An element of an indented array is the object written alone, every line
    // indented one more level (a JSON text holds no raw line breaks).
    const QByteArray alone = QJsonDocument(object).toJson(QJsonDocument::Indented);
    QByteArray element = added_ ? ",\n" : "[\n";
    element.reserve(alone.size() + alone.count('\n') * 4 + 2);
    for (qsizetype begin = 0; begin < alone.size();) {
        const qsizetype end = alone.indexOf('\n', begin);
        element += "    ";
        element += QByteArrayView(alone).sliced(begin, end - begin);
        begin = end + 1;
        if (begin < alone.size()) element += '\n';
    }
    out_.write(element);
    added_ = true;
}

void JsonArrayWriter::finish() { out_.write(added_ ? "\n]\n" : "[\n]\n"); }

QString isoUtcMillis(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto ms = floor<milliseconds>(time);
    const auto day = floor<days>(ms);
    const year_month_day date{day};
    const hh_mm_ss clock{ms - day};
    char out[64];
    std::snprintf(out, sizeof out, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(clock.hours().count()),
                  int(clock.minutes().count()), int(clock.seconds().count()),
                  int(clock.subseconds().count()));
    return QString::fromLatin1(out);
}

}  // namespace telemetry_cli
