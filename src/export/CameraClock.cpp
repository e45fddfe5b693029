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

QDateTime sampleDateTime(const telemetry::Class_Subtitle_Info& s, const QTimeZone& zone) {
    using telemetry::integerValue;
    const int year = integerValue(s.year);
    const QDate date(year, integerValue(s.month), integerValue(s.day));
    const QTime time(integerValue(s.hour), integerValue(s.min), integerValue(s.second));
    if (year < 1 || year > 9999 || !date.isValid() || !time.isValid()) return {};
    return QDateTime(date, time, zone);
}

QString utcText(const QDateTime& time) {
    if (!time.isValid()) return {};
    const QDateTime utc = time.toUTC();
    // xsd:dateTime, which GPX and KML readers check, has four-digit years from 0001.
    if (utc.date().year() < 1 || utc.date().year() > 9999) return {};
    return utc.toString(Qt::ISODate);
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
