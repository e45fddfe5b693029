#include "RowText.h"

#include <QFile>

namespace {
QString twoDigits(uint32_t v) { return v < 10 ? QStringLiteral("0%1").arg(v) : QString::number(v); }
}  // namespace

QString lengthText(const telemetry::Class_Video_Info& record) {
    if (!record.isSupportSubtitle) return QStringLiteral("0:0");
    const uint32_t seconds = record.duration / record.timescale;  // a completed scan has a time scale
    return twoDigits(seconds / 60) + QLatin1Char(':') + twoDigits(seconds % 60);
}

QString fileNameOf(const QByteArray& path) { return QFile::decodeName(path.mid(path.lastIndexOf('/') + 1)); }
