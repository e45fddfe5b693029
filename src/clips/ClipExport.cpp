#include "ClipExport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QTimer>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <algorithm>
#include <cmath>

namespace clips {
namespace {

// ffconcat quotes names in single quotes; a quote inside is closed, escaped, reopened.
QString quoted(const QString& path) { return "'" + QString(path).replace("'", R"('\'')") + "'"; }

// A file name as a filter option inside a filter graph: escaped once for the
// option's value and once for the graph.
QString filterPath(const QString& path) {
    QString value = path;
    value.replace('\\', R"(\\)").replace('\'', R"(\')").replace(':', R"(\:)");
    QString graph;
    for (const QChar c : value) {
        if (QString(R"(\'[],;)").contains(c)) graph += '\\';
        graph += c;
    }
    return graph;
}

QString seconds(double s) { return QString::number(s, 'f', 6); }

}  // namespace

double clipSeconds(const std::vector<ClipPiece>& pieces) {
    double total = 0;
    for (const ClipPiece& p : pieces) total += p.out - p.in;
    return total;
}

QString concatList(const ClipRequest& request) {
    QString list = "ffconcat version 1.0\n";
    for (const ClipPiece& p : request.pieces)
        list += "file " + quoted(QFileInfo(request.files.at(p.file)).absoluteFilePath()) + "\ninpoint " +
                seconds(p.in) + "\noutpoint " + seconds(p.out) + "\n";
    return list;
}

QStringList ffmpegArguments(const ClipRequest& request, const QString& listPath, const QString& scriptPath,
                            const QString& target) {
    QStringList args{"-hide_banner", "-nostdin", "-nostats", "-loglevel", "error", "-progress", "pipe:1", "-y"};
    if (request.mode == ClipMode::Fast) {
        // The telemetry is added afterwards: ffmpeg's copy of it is not one our scan reads.
        args << "-f" << "concat" << "-safe" << "0" << "-i" << listPath << "-map" << "0:v" << "-map" << "0:a?";
        args << "-c" << "copy";
    } else {
        // Each piece is an input of its own, cut exactly (decoded from the key frame
        // before it, frames before the in point dropped), then joined. Once one piece
        // has sound the clip has it, with silence for the pieces from silent recordings.
        auto sounds = [&](const ClipPiece& p) { return p.file < request.sound.size() && request.sound[p.file]; };
        const bool sound = std::any_of(request.pieces.begin(), request.pieces.end(), sounds);
        QString silences, joined;
        for (size_t i = 0; i < request.pieces.size(); ++i) {
            const ClipPiece& p = request.pieces[i];
            args << "-ss" << seconds(p.in) << "-t" << seconds(p.out - p.in) << "-i" << request.files.at(p.file);
            joined += QString("[%1:v:0]").arg(i);
            if (!sound) continue;
            if (sounds(p)) {
                joined += QString("[%1:a:0]").arg(i);
            } else {
                silences += QString("anullsrc=r=48000:cl=stereo,atrim=duration=%1[s%2];").arg(seconds(p.out - p.in)).arg(i);
                joined += QString("[s%1]").arg(i);
            }
        }
        QString graph = silences + joined + QString("concat=n=%1:v=1:a=%2").arg(request.pieces.size()).arg(sound ? 1 : 0);
        graph += sound ? "[joined][a];[joined]" : ",";
        graph += request.overlayScript.isEmpty() ? QString("null") : "subtitles=filename=" + filterPath(scriptPath);
        graph += "[v]";
        args << "-filter_complex" << graph << "-map" << "[v]" << "-c:v" << "libx264" << "-crf" << "20"
             << "-preset" << "veryfast" << "-pix_fmt" << "yuv420p";
        if (sound) args << "-map" << "[a]" << "-c:a" << "aac";
    }
    if (request.stripTelemetry) args << "-map_metadata" << "-1" << "-map_chapters" << "-1";
    // Without faststart the movie box stays after the media, as a camera lays out its
    // files: the telemetry track is added there, and our scan reads any clip's length.
    args << "-f" << "mp4" << target;
    return args;
}

std::optional<double> progressFraction(const QByteArray& line, double clipSeconds) {
    if (line.trimmed() == "progress=end") return 1.0;
    // out_time_ms holds microseconds too, an old misnomer ffmpeg keeps.
    for (const char* key : {"out_time_us=", "out_time_ms="}) {
        if (!line.startsWith(key)) continue;
        bool ok = false;
        const qint64 us = line.mid(qsizetype(qstrlen(key))).trimmed().toLongLong(&ok);
        if (!ok || clipSeconds <= 0) return std::nullopt;
        return std::clamp(double(us) / 1e6 / clipSeconds, 0.0, 1.0);
    }
    return std::nullopt;
}

std::optional<double> probeDuration(const QString& path, QString* error) {
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path});
    if (!probe.waitForStarted()) {
        *error = "cannot run ffprobe: " + probe.errorString();
        return std::nullopt;
    }
    probe.waitForFinished(-1);
    bool ok = false;
    const double d = probe.readAllStandardOutput().trimmed().toDouble(&ok);
    if (probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0 || !ok || !(d > 0)) {
        const QString said = QString::fromUtf8(probe.readAllStandardError()).trimmed();
        *error = said.isEmpty() ? QString("no duration") : said;
        return std::nullopt;
    }
    return d;
}

ClipExport::ClipExport(ClipRequest request, QObject* parent) : QObject(parent), request_(std::move(request)) {
    connect(&process_, &QProcess::readyReadStandardOutput, this, &ClipExport::readProgress);
    connect(&process_, &QProcess::finished, this, &ClipExport::done);
    connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) fail("cannot run ffmpeg: " + process_.errorString());
    });
    // Without ffprobe a file counts as silent: the clip is still written, without sound.
    connect(&probe_, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        request_.sound.push_back(status == QProcess::NormalExit && exitCode == 0 &&
                                 !probe_.readAllStandardOutput().trimmed().isEmpty());
        probeNext();
    });
    connect(&probe_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart) return;
        request_.sound.push_back(false);
        probeNext();
    });
}

ClipExport::~ClipExport() {
    for (QProcess* p : {&probe_, &process_}) {
        if (p->state() == QProcess::NotRunning) continue;
        p->kill();
        p->waitForFinished();
    }
    if (!partial_.isEmpty() && !over_) QFile::remove(partial_);
}

void ClipExport::start() {
    work_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/dashcam-clip-XXXXXX");
    const QFileInfo target(request_.output);
    // A unique name beside the target, so the rename at the end stays on one file system.
    QTemporaryFile reserve(target.absolutePath() + "/." + target.fileName() + ".XXXXXX.part");
    reserve.setAutoRemove(false);
    if (!work_->isValid() || !reserve.open()) {
        const QString why = work_->isValid() ? reserve.errorString() : work_->errorString();
        QTimer::singleShot(0, this, [this, why] { fail(request_.output + ": cannot write: " + why); });
        return;
    }
    partial_ = reserve.fileName();
    // Which recordings have sound, asked one after another without blocking the caller.
    if (request_.mode == ClipMode::Exact && request_.sound.empty()) return probeNext();
    run();
}

void ClipExport::probeNext() {
    if (over_) return;
    if (request_.sound.size() >= request_.files.size()) return run();
    probe_.start("ffprobe", {"-v", "error", "-select_streams", "a", "-show_entries", "stream=index", "-of", "csv=p=0",
                             request_.files.at(request_.sound.size())});
}

void ClipExport::run() {
    const QString list = work_->filePath("pieces.ffconcat"), script = work_->filePath("overlay.ass");
    QFile listFile(list), scriptFile(script);
    const bool written = listFile.open(QIODevice::WriteOnly) && listFile.write(concatList(request_).toUtf8()) >= 0 &&
                         scriptFile.open(QIODevice::WriteOnly) &&
                         scriptFile.write(request_.overlayScript.toUtf8()) >= 0;
    listFile.close();
    scriptFile.close();
    if (!written) {
        QTimer::singleShot(0, this, [this] { fail("cannot write the clip's work files"); });
        return;
    }
    process_.start("ffmpeg", ffmpegArguments(request_, list, script, partial_));
}

void ClipExport::cancel() {
    if (over_) return;
    cancelled_ = true;
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();  // done() follows
        return;
    }
    probe_.kill();
    fail("cancelled");
}

void ClipExport::readProgress() {
    pending_ += process_.readAllStandardOutput();
    qsizetype end;
    while ((end = pending_.indexOf('\n')) >= 0) {
        const QByteArray line = pending_.left(end);
        pending_.remove(0, end + 1);
        if (const auto f = progressFraction(line, clipSeconds(request_.pieces)); f && !cancelled_) emit progress(*f);
    }
}

void ClipExport::done(int exitCode, QProcess::ExitStatus status) {
    if (over_) return;
    if (cancelled_) return fail("cancelled");
    if (status != QProcess::NormalExit || exitCode != 0) {
        QString said = QString::fromUtf8(process_.readAllStandardError()).trimmed();
        if (said.isEmpty()) said = QString("ffmpeg exited with status %1").arg(exitCode);
        return fail(said.section('\n', -1));  // its last line names the cause
    }
    if (const QString why = addClipTelemetry(partial_, request_); !why.isEmpty()) return fail(why);
    // The reserved name was made private (0600); the clip gets what any new file gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(partial_).constData(), 0666 & ~mask);
    // rename(2) replaces an existing target in one step.
    if (std::rename(QFile::encodeName(partial_).constData(), QFile::encodeName(request_.output).constData()) != 0)
        return fail(request_.output + ": cannot write: " + QString::fromLocal8Bit(std::strerror(errno)));
    over_ = true;
    partial_.clear();
    emit finished(true, {});
}

void ClipExport::fail(const QString& error) {
    if (over_) return;
    over_ = true;
    if (!partial_.isEmpty()) QFile::remove(partial_);
    partial_.clear();
    emit finished(false, error);
}

}  // namespace clips
