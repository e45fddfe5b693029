#include "InspectJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <numeric>
#include <string_view>
#include <variant>

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

namespace {

using telemetry::Class_Video_Info;

// Each part is appended to one buffer that is handed to the device whenever it is
// full, so memory stays flat however long the recording.
class IndentedJson {
public:
    IndentedJson(QByteArray& pending, QIODevice& out) : pending_(pending), out_(out) {}

    void raw(std::string_view bytes) { pending_.append(bytes.data(), qsizetype(bytes.size())); }
    void indent(int level) { pending_.append(qsizetype(4 * level), ' '); }
    void null() { raw("null"); }
    void number(uint32_t n) {
        char digits[16];
        raw(std::string_view(digits, size_t(std::to_chars(digits, std::end(digits), n).ptr - digits)));
    }

    void string(std::string_view utf8) {
        // Qt reads the bytes as UTF-8, a malformed sequence becoming U+FFFD, and
        // writes that back: only a text beyond ASCII pays for the round trip.
        QByteArray reencoded;
        if (std::ranges::any_of(utf8, [](char c) { return uchar(c) >= 0x80; })) {
            reencoded = QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).toUtf8();
            utf8 = std::string_view(reencoded.constData(), size_t(reencoded.size()));
        }
        pending_ += '"';
        size_t from = 0;
        for (size_t i = 0; i < utf8.size(); ++i) {
            const auto c = uchar(utf8[i]);
            if (c >= 0x20 && c != '"' && c != '\\') continue;
            raw(utf8.substr(from, i - from));
            from = i + 1;
            pending_ += '\\';
            switch (c) {
            case '"': pending_ += '"'; break;
            case '\\': pending_ += '\\'; break;
            case '\b': pending_ += 'b'; break;
            case '\f': pending_ += 'f'; break;
            case '\n': pending_ += 'n'; break;
            case '\r': pending_ += 'r'; break;
            case '\t': pending_ += 't'; break;
            default:
                raw("u00");
                pending_ += "0123456789abcdef"[c >> 4];
                pending_ += "0123456789abcdef"[c & 0xF];
            }
        }
        raw(utf8.substr(from));
        pending_ += '"';
    }

    // An array whose elements each writeElement(element, level) writes.
    template <typename Range, typename Write>
    void array(const Range& elements, int level, Write writeElement) {
        raw("[\n");
        bool first = true;
        for (const auto& element : elements) {
            if (!first) raw(",\n");
            first = false;
            indent(level + 1);
            writeElement(element, level + 1);
            spillIfFull();
        }
        if (!first) pending_ += '\n';
        indent(level);
        pending_ += ']';
    }

    // An object of count members, writeMember(i, level) writing the value of the
    // one named names[i]; names come sorted, as Qt keeps an object's keys.
    template <typename Names, typename Write>
    void object(const Names& names, int level, Write writeMember) {
        raw("{\n");
        for (size_t i = 0; i < std::size(names); ++i) {
            if (i > 0) raw(",\n");
            indent(level + 1);
            pending_ += '"';
            raw(names[i]);
            raw("\": ");
            writeMember(i, level + 1);
        }
        if (std::size(names) > 0) pending_ += '\n';
        indent(level);
        pending_ += '}';
    }

    void spillIfFull() {
        if (pending_.size() < kSpillAt) return;
        out_.write(pending_);
        pending_.resize(0);  // keeps the capacity for the next round
    }

private:
    static constexpr qsizetype kSpillAt = 64 * 1024;
    QByteArray& pending_;
    QIODevice& out_;
};

void value(IndentedJson& json, const Text& text, int) { text ? json.string(*text) : json.null(); }
void value(IndentedJson& json, uint32_t n, int) { json.number(n); }
void value(IndentedJson& json, uint8_t n, int) { json.number(n); }
void value(IndentedJson& json, const std::optional<std::chrono::system_clock::time_point>& time, int) {
    time ? json.string(isoUtcMillis(*time).toStdString()) : json.null();
}

template <typename TextList>
void value(IndentedJson& json, const std::optional<TextList>& list, int level) {
    if (!list) return json.null();
    json.array(*list, level, [&](const auto& text, int) { json.string(text); });
}

// The sample's field indexes in the order of their names.
const std::array<int, Class_Subtitle_Info::kFieldCount>& sampleFieldsByName() {
    static const auto order = [] {
        std::array<int, Class_Subtitle_Info::kFieldCount> o;
        std::iota(o.begin(), o.end(), 0);
        std::ranges::sort(o, {}, [](int i) { return std::string_view(Class_Subtitle_Info::kFieldNames[i]); });
        return o;
    }();
    return order;
}

void value(IndentedJson& json, const List<Class_Subtitle_Info>& samples, int level) {
    if (!samples) return json.null();
    static const auto names = [] {
        std::array<std::string_view, Class_Subtitle_Info::kFieldCount> n;
        std::ranges::transform(sampleFieldsByName(), n.begin(), [](int i) { return Class_Subtitle_Info::kFieldNames[i]; });
        return n;
    }();
    json.array(*samples, level, [&](const Class_Subtitle_Info& sample, int sampleLevel) {
        json.object(names, sampleLevel, [&](size_t i, int) {
            const telemetry::SampleText& field = sample.field(sampleFieldsByName()[i]);
            field ? json.string(field.view()) : json.null();
        });
    });
}

using RecordField =
    std::variant<Text Class_Video_Info::*, uint32_t Class_Video_Info::*, uint8_t Class_Video_Info::*,
                 decltype(&Class_Video_Info::fileDate), decltype(&Class_Video_Info::array_addrOfSubtitle),
                 decltype(&Class_Video_Info::array_subtitle_final), decltype(&Class_Video_Info::array_SubtileInfo),
                 decltype(&Class_Video_Info::array_coordinate_set)>;

struct NamedField {
    std::string_view name;
    RecordField field;
};

// Every field of the record under its own name, sorted by name.
const std::vector<NamedField>& recordFieldsByName() {
    using V = Class_Video_Info;
    static const auto fields = [] {
        std::vector<NamedField> f{
            {"filepath", &V::filepath}, {"filename", &V::filename},
            {"filenameWithoutExtension", &V::filenameWithoutExtension}, {"fileDateYMD", &V::fileDateYMD},
            {"duration", &V::duration}, {"timescale", &V::timescale}, {"duration_second", &V::duration_second},
            {"gapSubtitlePerSecond", &V::gapSubtitlePerSecond}, {"lastPosition", &V::lastPosition},
            {"Start_Lat", &V::Start_Lat}, {"Start_Lon", &V::Start_Lon}, {"End_Lat", &V::End_Lat},
            {"End_Lon", &V::End_Lon}, {"Center_Lat", &V::Center_Lat}, {"Center_Lon", &V::Center_Lon},
            {"sign_start_lat", &V::sign_start_lat}, {"sign_start_lon", &V::sign_start_lon},
            {"sign_end_lat", &V::sign_end_lat}, {"sign_end_lon", &V::sign_end_lon},
            {"sign_center_lat", &V::sign_center_lat}, {"sign_center_lon", &V::sign_center_lon},
            {"sign_maintain_lat", &V::sign_maintain_lat}, {"sign_maintain_lon", &V::sign_maintain_lon},
            {"fileDate", &V::fileDate}, {"fileSize", &V::fileSize}, {"addrOfmoov", &V::addrOfmoov},
            {"addrOfAmbarella_EXT", &V::addrOfAmbarella_EXT}, {"addrOfMVHD", &V::addrOfMVHD},
            {"addrOfSTSZ", &V::addrOfSTSZ}, {"addrOfSTCO", &V::addrOfSTCO}, {"num_subtitle", &V::num_subtitle},
            {"array_addrOfSubtitle", &V::array_addrOfSubtitle}, {"array_lengthOfSubtitle", &V::array_lengthOfSubtitle},
            {"array_subtitle_final", &V::array_subtitle_final}, {"array_SubtileInfo", &V::array_SubtileInfo},
            {"array_coordinate_set", &V::array_coordinate_set}, {"isSupportSubtitle", &V::isSupportSubtitle}};
        std::ranges::sort(f, {}, &NamedField::name);
        return f;
    }();
    return fields;
}

}  // namespace

void InspectWriter::add(const telemetry::Class_Video_Info& record) {
    IndentedJson json(pending_, out_);
    json.raw(added_ ? ",\n" : "[\n");
    json.indent(1);
    static const auto names = [] {
        std::vector<std::string_view> n;
        for (const NamedField& f : recordFieldsByName()) n.push_back(f.name);
        return n;
    }();
    json.object(names, 1, [&](size_t i, int level) {
        std::visit([&](auto member) { value(json, record.*member, level); }, recordFieldsByName()[i].field);
    });
    json.spillIfFull();
    added_ = true;
}

void InspectWriter::finish() {
    pending_ += added_ ? "\n]\n" : "[\n]\n";
    out_.write(pending_);
    pending_.clear();
}

// For the commands whose objects are small: each written alone through
// QJsonDocument, every line indented one more level (a JSON text holds no raw line
// breaks).
void JsonArrayWriter::add(const QJsonObject& object) {
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
