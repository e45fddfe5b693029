#include "RowText.h"

#include <QFile>
#include <algorithm>
#include <QStringList>

#include "TextValues.h"

namespace {
QString twoDigits(uint32_t v) { return v < 10 ? QStringLiteral("0%1").arg(v) : QString::number(v); }
}  // namespace

QString lengthText(const telemetry::Class_Video_Info& record) {
    if (!record.isSupportSubtitle) return QStringLiteral("0:0");
    const uint32_t seconds = record.duration / record.timescale;  // a completed scan has a time scale
    return twoDigits(seconds / 60) + QLatin1Char(':') + twoDigits(seconds % 60);
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
