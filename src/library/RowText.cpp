#include "RowText.h"

#include <QDateTime>
#include <QFile>
#include <QTimeZone>
#include <QObject>
#include <algorithm>
#include <QStringList>

#include "TextValues.h"

namespace {
QString twoDigits(uint32_t v) { return v < 10 ? QStringLiteral("0%1").arg(v) : QString::number(v); }
}  // namespace

QString lengthText(const telemetry::Class_Video_Info& record) {
    if (!record.isSupportSubtitle) return QStringLiteral("0:0");
    return lengthText(record.duration / record.timescale);  // a completed scan has a time scale
}

QString lengthText(uint32_t seconds) { return twoDigits(seconds / 60) + QLatin1Char(':') + twoDigits(seconds % 60); }

qint64 lengthSeconds(const QString& text) {
    const QStringList fields = text.split(QLatin1Char(':'));
    bool minutesRead = false, secondsRead = false;
    const qint64 minutes = fields.value(0).toLongLong(&minutesRead), seconds = fields.value(1).toLongLong(&secondsRead);
    return fields.size() == 2 && minutesRead && secondsRead ? minutes * 60 + seconds : -1;
}

QString dateText(const std::vector<telemetry::Sample>& samples) {
    for (const telemetry::Sample& s : samples) {
        if (!s.time) continue;
        const QDate date = QDateTime::fromMSecsSinceEpoch(s.time->sinceEpoch.count(), QTimeZone::utc()).date();
        return date.isValid() ? date.toString(QStringLiteral("yyyy/MM/dd")) : QString();
    }
    return QString();
}

QString rowProblem(const telemetry::Class_Video_Info& record, const std::string& unreadable, std::optional<bool> hasVideo) {
    if (record.isSupportSubtitle == 1) return hasVideo == false ? QObject::tr("No video track") : QString();
    if (!unreadable.empty()) return QObject::tr("Cannot read the file: %1").arg(QString::fromLocal8Bit(unreadable.c_str()));
    if (record.fileSize == 0) return QObject::tr("Empty file");
    if (record.duration == 0) return QObject::tr("No movie header: not a recording, or cut short");
    const bool samplesRead = record.array_SubtileInfo && record.array_SubtileInfo->size() == record.num_subtitle;
    if (samplesRead && record.duration_second == 0) return QObject::tr("Shorter than a second");
    if (record.addrOfAmbarella_EXT == 0) return QObject::tr("No telemetry track");
    return QObject::tr("Telemetry cut short: the file is truncated or damaged");
}

QString dateText(const telemetry::Class_Video_Info& record) {
    if (!record.fileDateYMD) return QString();
    const QString stored = QString::fromStdString(*record.fileDateYMD);
    const QStringList fields = stored.split(QLatin1Char('/'));
    if (fields.size() != 3) return stored;
    QStringList shown;
    for (int i = 0; i < 3; ++i)
        shown.append(QStringLiteral("%1").arg(telemetry::integerValue(fields[i].toStdString()), i == 0 ? 4 : 2, 10, QLatin1Char('0')));
    return shown.join(QLatin1Char('/'));
}

QString fileNameOf(const QByteArray& path) { return QFile::decodeName(path.mid(path.lastIndexOf('/') + 1)); }

QString folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QString() : QFile::decodeName(slash == 0 ? QByteArray("/") : path.left(slash));
}

bool rowsFromSeveralFolders(const QStringList& folders) {
    return std::any_of(folders.begin(), folders.end(), [&](const QString& f) { return f != folders.first(); });
}
