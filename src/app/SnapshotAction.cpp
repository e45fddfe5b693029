#include "SnapshotAction.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTime>
#include <algorithm>
#include <memory>
#include <sys/stat.h>

#include "ClipWork.h"
#include "Log.h"
#include "MediaPlayer.h"
#include "Snapshot.h"

QImage decodedFrame(const QByteArray& file, double seconds, QString* reason) {
    auto fail = [&](const QString& why) {
        if (reason) *reason = why;
        return QImage();
    };
    // ffmpeg would wait on a FIFO for ever, and read a device for ever.
    if (struct stat st {}; ::stat(file.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return fail(QCoreApplication::translate("ViewController", "%1 is not a regular file").arg(QFile::decodeName(file)));
    const std::unique_ptr<QTemporaryDir> work = clips::makeWorkFolder();
    if (!work->isValid()) return fail(work->errorString());
    QString error;
    const QString input = clips::linkedInput(file, work->path(), 0, &error);
    if (input.isEmpty()) return fail(error);
    QProcess ffmpeg;
    clips::dieWithParent(ffmpeg);
    // Seeking before the input decodes from the key frame before and drops the frames
    // before the time, so the frame is the one at it, whatever the key frames.
    // The last frame: the file's last half second, backwards.
    const QStringList from = seconds < 0 ? QStringList{"-sseof", "-0.5", "-i", input, "-map", "0:v:0", "-vf", "reverse"}
                                         : QStringList{"-ss", QString::number(std::max(0.0, seconds - 0.001), 'f', 6), "-i", input,
                                                       "-map", "0:v:0"};
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 QStringList{"-nostdin", "-v", "error"} + from + QStringList{"-frames:v", "1", "-c:v", "ppm", "-f", "image2pipe", "-"});
    if (!ffmpeg.waitForStarted()) return fail(QCoreApplication::translate("ViewController", "cannot run ffmpeg: %1").arg(ffmpeg.errorString()));
    ffmpeg.closeWriteChannel();
    if (!ffmpeg.waitForFinished(30000)) {
        ffmpeg.kill();
        ffmpeg.waitForFinished();
        return fail(QCoreApplication::translate("ViewController", "ffmpeg took too long to decode the frame"));
    }
    QImage frame;
    if (ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0) frame.loadFromData(ffmpeg.readAllStandardOutput(), "PPM");
    if (frame.isNull()) {
        const QString said = QString::fromLocal8Bit(ffmpeg.readAllStandardError()).trimmed();
        return fail(said.isEmpty() ? QCoreApplication::translate("ViewController", "ffmpeg gave no frame") : said);
    }
    return frame;
}

SnapshotOutcome takeSnapshot(MediaPlayer& player, const QString& recording, const QString& folder, bool allChannels) {
    if (recording.isEmpty() || !player.isOpen()) return {QCoreApplication::translate("ViewController", "No recording is playing: there is no frame to save.")};
    if (folder.isEmpty()) return {QCoreApplication::translate("ViewController", "Choose a snapshot folder in Settings first.")};
    QString reason;
    // mpv gives only the composed picture; the large channel's own comes from its file.
    const auto large = allChannels ? std::nullopt : player.largeChannelFrame();
    const QImage frame = large ? decodedFrame(large->file, large->seconds, &reason) : player.currentFrame(&reason);
    const QString path = frame.isNull() ? QString() : writeSnapshot(frame, folder, recording, QTime::currentTime(), &reason);
    if (path.isNull()) {
        const QString message = QCoreApplication::translate("ViewController", "Snapshot not saved in %1: %2").arg(folder, reason);
        telemetry::logLine(message.toStdString());
        return {message, 8000};
    }
    return {QCoreApplication::translate("ViewController", "Snapshot saved: %1").arg(path)};
}
