#include "Snapshot.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <unistd.h>

QString snapshotPath(const QString& folder, const QString& recordingName, const QTime& localTime, int attempt) {
    const QString suffix = attempt > 1 ? QStringLiteral("_%1").arg(attempt) : QString();
    return folder + recordingName + QLatin1Char('_') + localTime.toString(QStringLiteral("HH-mm-ss")) + suffix +
           QStringLiteral(".png");
}

QString writeSnapshot(const QImage& image, const QString& folder, const QString& recordingName, const QTime& localTime,
                      QString* reason) {
    auto fail = [&](const QString& why) {
        if (reason) *reason = why;
        return QString();
    };
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return fail(QCoreApplication::translate("Snapshot", "PNG encoding failed"));

    // Written whole under a hidden name first, then moved to a free name: a rename
    // that refuses to replace, so two snapshots in one second both survive.
    QTemporaryFile file(folder + QStringLiteral(".snapshot-XXXXXX.png"));
    if (!file.open()) return fail(file.errorString());
    // As any file the user makes, not the temporary file's owner-only mode.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    // Written by hand: a buffered device reports a short write, the usual way a
    // disk fills up, as "Unknown error"; errno has the reason.
    for (qsizetype done = 0; done < png.size();) {
        const ssize_t n = ::write(file.handle(), png.constData() + done, size_t(png.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail(QString::fromLocal8Bit(std::strerror(n < 0 ? errno : EIO)));
        done += n;
    }
    if (::fsync(file.handle()) != 0 && errno != EINVAL) return fail(QString::fromLocal8Bit(std::strerror(errno)));
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const QString path = snapshotPath(folder, recordingName, localTime, attempt);
        if (QFile::exists(path)) continue;
        if (file.rename(path)) {
            file.setAutoRemove(false);
            return path;
        }
        if (!QFile::exists(path)) return fail(file.errorString());  // failed for another reason than a race
    }
    return fail(QCoreApplication::translate("Snapshot", "too many snapshots in one second"));
}
