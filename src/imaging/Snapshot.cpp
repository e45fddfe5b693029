#include "Snapshot.h"

#include <QSaveFile>

QString snapshotPath(const QString& folder, const QString& recordingName, const QTime& localTime) {
    return folder + recordingName + QLatin1Char('_') + localTime.toString(QStringLiteral("HH:mm:ss")) +
           QStringLiteral(".png");
}

bool writePng(const QImage& image, const QString& path, QString* reason) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (reason) *reason = file.errorString();
        return false;
    }
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        if (reason) *reason = file.error() != QFileDevice::NoError ? file.errorString() : QStringLiteral("PNG encoding failed");
        return false;
    }
    if (!file.commit()) {
        if (reason) *reason = file.errorString();
        return false;
    }
    return true;
}
