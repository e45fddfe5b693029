#include "SnapshotAction.h"

#include <QCoreApplication>
#include <QImage>
#include <QTime>

#include "Log.h"
#include "MediaPlayer.h"
#include "Snapshot.h"

SnapshotOutcome takeSnapshot(MediaPlayer& player, const QString& recording, const QString& folder) {
    if (recording.isEmpty() || !player.isOpen()) return {QCoreApplication::translate("ViewController", "No recording is playing: there is no frame to save.")};
    if (folder.isEmpty()) return {QCoreApplication::translate("ViewController", "Choose a snapshot folder in Settings first.")};
    QString reason;
    const QImage frame = player.currentFrame(&reason);
    const QString path = frame.isNull() ? QString() : writeSnapshot(frame, folder, recording, QTime::currentTime(), &reason);
    if (path.isNull()) {
        const QString message = QCoreApplication::translate("ViewController", "Snapshot not saved in %1: %2").arg(folder, reason);
        telemetry::logLine(message.toStdString());
        return {message, 8000};
    }
    return {QCoreApplication::translate("ViewController", "Snapshot saved: %1").arg(path)};
}
