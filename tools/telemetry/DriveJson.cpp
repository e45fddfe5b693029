#include "DriveJson.h"

#include <cmath>

namespace telemetry_cli {
namespace {

// To `decimals` places; a division, so that 52.9 stays 52.9 and not 52.900000000000006.
double rounded(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

QJsonValue timeJson(const std::optional<trips::CameraTime>& time) {
    return time ? QJsonValue(QString::fromStdString(trips::cameraTimeText(*time))) : QJsonValue(QJsonValue::Null);
}

}  // namespace

QJsonObject statisticsJson(const trips::Statistics& s) {
    return {
        {"distance_m", rounded(s.distanceMetres, 1)},
        {"moving_time_s", rounded(s.movingSeconds, 1)},
        {"average_speed_kmh", rounded(s.averageSpeedKmh(), 1)},
        {"max_speed_kmh", rounded(s.maxSpeedKmh, 1)},
        {"max_abs_g", QJsonObject{{"x", rounded(s.maxAbsG[0], 2)},
                                  {"y", rounded(s.maxAbsG[1], 2)},
                                  {"z", rounded(s.maxAbsG[2], 2)}}},
        {"events", qint64(s.events)},
    };
}

QJsonArray tripsJson(std::span<const trips::Trip> tripList, std::span<const trips::RecordingSummary> recordings,
                     const QStringList& files, std::span<const QJsonObject> cards) {
    QJsonArray out;
    for (size_t t = 0; t < tripList.size(); ++t) {
        const trips::Trip& trip = tripList[t];
        QJsonArray members;
        for (size_t i = trip.firstRecording; i < trip.firstRecording + trip.recordings; ++i) {
            const trips::RecordingSummary& r = recordings[i];
            QJsonObject member{
                {"file", files.value(qsizetype(i))},
                {"start", timeJson(r.first ? std::optional(r.first->time) : std::nullopt)},
                {"end", timeJson(r.last ? std::optional(r.last->time) : std::nullopt)},
                {"statistics", statisticsJson(r.statistics)},
            };
            if (i < cards.size())
                for (auto field = cards[i].begin(); field != cards[i].end(); ++field) member.insert(field.key(), field.value());
            members.append(member);
        }
        out.append(QJsonObject{
            {"trip", qint64(t + 1)},
            {"start", timeJson(trip.start)},
            {"end", timeJson(trip.end)},
            {"statistics", statisticsJson(trip.statistics)},
            {"recordings", members},
        });
    }
    return out;
}

QJsonObject cardJson(const card::Moment& moment) {
    const auto text = [](std::string_view bytes) { return QString::fromUtf8(bytes.data(), qsizetype(bytes.size())); };
    QJsonArray channels;
    const auto add = [&](const card::ChannelFile& c) {
        channels.append(QJsonObject{{"channel", text(card::channelName(c.channel))}, {"file", text(c.path)}});
    };
    add(moment.mainChannel());
    for (size_t c = 0; c < moment.channels.size(); ++c)
        if (c != moment.main) add(moment.channels[c]);
    const std::string_view kind = card::kindName(moment.kind);
    return {{"kind", kind.empty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text(kind))}, {"channels", channels}};
}

QJsonArray eventsJson(std::span<const trips::Event> events, const QStringList& files) {
    QJsonArray out;
    for (const trips::Event& e : events) {
        const bool braking = e.kind == trips::EventKind::HardBraking;
        const bool protectedOne = e.kind == trips::EventKind::Protected;  // no peak to tell
        QJsonValue position = QJsonValue::Null;
        if (e.position) position = QJsonObject{{"lat", e.position->lat}, {"lon", e.position->lon}};
        out.append(QJsonObject{
            {"file", files.value(qsizetype(e.recording))},
            {"time", rounded(e.videoSeconds, 3)},
            {"kind", QString::fromLatin1(trips::eventKindName(e.kind).data(), qsizetype(trips::eventKindName(e.kind).size()))},
            {"peak", protectedOne ? QJsonValue(QJsonValue::Null) : QJsonValue(rounded(e.peak, braking ? 1 : 2))},
            {"unit", protectedOne ? QJsonValue(QJsonValue::Null) : QJsonValue(braking ? "km/h" : "g")},
            {"position", position},
        });
    }
    return out;
}

}  // namespace telemetry_cli
