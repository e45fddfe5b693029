#include "CameraClock.h"

#include <cstdlib>

#include "TextValues.h"

namespace track_export {

std::optional<QTimeZone> parseUtcOffset(QStringView text) {
    if (text.size() != 6 || (text[0] != u'+' && text[0] != u'-') || text[3] != u':') return std::nullopt;
    const auto digits = [&](int at) -> int {
        const QChar a = text[at], b = text[at + 1];
        return a.isDigit() && b.isDigit() && a.unicode() < 128 && b.unicode() < 128 ? (a.unicode() - '0') * 10 + (b.unicode() - '0') : -1;
    };
    const int hours = digits(1), minutes = digits(4);
    if (hours < 0 || minutes < 0 || minutes > 59 || hours * 60 + minutes > 14 * 60) return std::nullopt;
    const int seconds = (hours * 60 + minutes) * 60;
    return QTimeZone(text[0] == u'-' ? -seconds : seconds);
}

QDateTime sampleDateTime(const telemetry::Sample& s, const QTimeZone& zone) {
    if (!s.time) return {};
    // Beyond the years 1 to 9999 either way, so the conversions below cannot overflow.
    constexpr qint64 kLimitMs = 400'000LL * 366 * 86'400'000;
    const qint64 ms = s.time->sinceEpoch.count();
    if (ms < -kLimitMs || ms > kLimitMs) return {};
    const QDateTime read = QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc());
    const int year = read.date().year();
    if (year < 1 || year > 9999) return {};
    if (s.time->clock == telemetry::RecordedTime::Clock::Utc) return read.toTimeZone(zone);
    // The camera's clock: the same fields, on a clock set to zone.
    return QDateTime(read.date(), read.time(), zone);
}

QString utcText(const QDateTime& time) {
    if (!time.isValid()) return {};
    const QDateTime utc = time.toUTC();
    // xsd:dateTime, which GPX and KML readers check, has four-digit years from 0001.
    if (utc.date().year() < 1 || utc.date().year() > 9999) return {};
    return utc.toString(utc.time().msec() ? Qt::ISODateWithMs : Qt::ISODate);
}

QString localText(const QDateTime& time) {
    if (!time.isValid()) return {};
    // Qt writes a zero offset as "Z"; a table reads better with the offset spelled out.
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace track_export
