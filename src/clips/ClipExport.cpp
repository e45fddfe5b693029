#include "ClipExport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <algorithm>
#include <cmath>

#include "FileBytes.h"
#include "VideoTrack.h"

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

QString concatList(const ClipRequest& request, const QStringList& inputs) {
    QString list = "ffconcat version 1.0\n";
    for (const ClipPiece& p : request.pieces)
        list += "file " + quoted(inputs.at(qsizetype(p.file))) + "\ninpoint " + seconds(p.in) + "\noutpoint " +
                seconds(p.out) + "\n";
    return list;
}

QString channelLeftOutReason(const QByteArray& path) {
    if (const std::string why = telemetry::unreadableReason(path.toStdString()); !why.empty())
        return "cannot read: " + QString::fromLocal8Bit(why.c_str());
    // ffmpeg would fail the whole clip on a stream it cannot find.
    if (mp4::hasVideoTrack(path.toStdString()) == false) return QStringLiteral("has no video");
    return {};
}

qsizetype channelInput(const ClipRequest& request, size_t file, size_t channel) {
    size_t at = request.files.size();
    for (size_t f = 0; f < file && f < request.channels.size(); ++f) at += request.channels[f].size();
    return qsizetype(at + channel);
}

namespace {

// A piece's picture with its other channels composed in, each scaled against the
// picture so far (its width or height being the main one's), ending in label.
QString composed(const ClipRequest& request, const ClipPiece& piece, int mainInput, int firstChannel, size_t i) {
    const size_t count = piece.file < request.channels.size() ? request.channels[piece.file].size() : 0;
    QString graph, last = QString("[%1:v:0]").arg(mainInput);
    for (size_t c = 0; c < count; ++c) {
        const QString n = QString("%1_%2").arg(i).arg(c);
        const QString input = QString("[%1:v:0]").arg(firstChannel + int(c));
        if (request.layout == ClipLayout::SideBySide) {
            graph += input + last + "scale2ref=w=trunc(main_h*a/2)*2:h=main_h[r" + n + "][m" + n + "];[m" + n + "][r" + n +
                     "]hstack[c" + n + "];";
        } else {
            graph += input + last + "scale2ref=w=trunc(main_w/8)*2:h=trunc(main_w/4*ih/iw/2)*2[r" + n + "][m" + n + "];[m" +
                     n + "][r" + n + "]overlay=x=W-" + QString::number(c + 1) + "*(w+W/64):y=H-h-W/64[c" + n + "];";
        }
        last = "[c" + n + "]";
    }
    return graph + last;
}

}  // namespace

QStringList ffmpegArguments(const ClipRequest& request, const QStringList& inputs, const QString& listPath,
                            const QString& scriptPath, const QString& target) {
    QStringList args{"-hide_banner", "-nostdin", "-nostats", "-loglevel", "error", "-progress", "pipe:1", "-y"};
    if (request.mode == ClipMode::Fast) {
        // The telemetry is added afterwards: ffmpeg's copy of it is not one our scan reads.
        args << "-f" << "concat" << "-safe" << "0" << "-i" << "file:" + listPath << "-map" << "0:v" << "-map" << "0:a?";
        args << "-c" << "copy";
    } else {
        // Each piece is an input of its own, cut exactly (decoded from the key frame
        // before it, frames before the in point dropped), then joined. Once one piece
        // has sound the clip has it, with silence for the pieces from silent recordings.
        auto sounds = [&](const ClipPiece& p) { return p.file < request.sound.size() && request.sound[p.file]; };
        const bool sound = std::any_of(request.pieces.begin(), request.pieces.end(), sounds);
        QString silences, joined;
        int input = 0;
        for (size_t i = 0; i < request.pieces.size(); ++i) {
            const ClipPiece& p = request.pieces[i];
            const int own = input++;
            args << "-ss" << seconds(p.in) << "-t" << seconds(p.out - p.in) << "-i" << inputs.at(qsizetype(p.file));
            const size_t others = p.file < request.channels.size() ? request.channels[p.file].size() : 0;
            for (size_t c = 0; c < others; ++c)
                args << "-ss" << seconds(p.in) << "-t" << seconds(p.out - p.in) << "-i" << inputs.at(channelInput(request, p.file, c));
            QString picture = composed(request, p, own, input, i);
            input += int(others);
            // The composed picture's last part is its label; what comes before it builds it.
            const qsizetype cut = picture.lastIndexOf('[');
            silences += picture.left(cut);
            joined += picture.mid(cut);
            if (!sound) continue;
            if (sounds(p)) {
                joined += QString("[%1:a:0]").arg(own);
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
    args << "-f" << "mp4" << "file:" + target;
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

namespace {

// Runs ffprobe on the regular file at path, read under a linked name; its standard
// output, or nullopt with *error set.
std::optional<QByteArray> runProbe(const QByteArray& path, const QStringList& options, QString* error) {
    if (const std::string why = telemetry::unreadableReason(path.toStdString()); !why.empty()) {
        *error = QString::fromLocal8Bit(why.c_str());
        return std::nullopt;
    }
    const auto work = makeWorkFolder();
    if (!work->isValid()) {
        *error = work->errorString();
        return std::nullopt;
    }
    const QString input = linkedInput(path, work->path(), 0, error);
    if (input.isEmpty()) return std::nullopt;
    QProcess probe;
    dieWithParent(probe);
    probe.start("ffprobe", QStringList{"-v", "error"} << options << input);
    if (!probe.waitForStarted()) {
        *error = "cannot run ffprobe: " + probe.errorString();
        return std::nullopt;
    }
    probe.waitForFinished(-1);
    if (probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) {
        // Its last line names the cause, after the name it was given.
        const QString said = QString::fromUtf8(probe.readAllStandardError()).trimmed().section('\n', -1);
        *error = said.isEmpty() ? QString("ffprobe failed") : QString(said).remove(input + ": ");
        return std::nullopt;
    }
    return probe.readAllStandardOutput();
}

// ffprobe stops at the first packet, in decoding order, shown at or after the end
// asked for: frames shown before it may follow. A second more covers them.
QStringList videoPacketOptions(double in, double out) {
    return {"-select_streams", "v:0", "-read_intervals", seconds(in) + "%" + seconds(out + 1),
            "-show_entries", "packet=pts_time,duration_time", "-of", "csv=p=0"};
}

// A cut file loses the end of its video, so the last seconds of a piece tell; reading
// the whole piece would cost as much again as the clip's own reading.
double checkedFrom(const ClipPiece& piece) { return std::max(piece.in, piece.out - 3); }

// The end of the last video packet in ffprobe's "pts,duration" lines; 0 when none.
double videoEnd(const QByteArray& packets) {
    double end = 0;
    for (const QByteArray& line : packets.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(',');
        bool ptsOk = false, durationOk = false;
        const double pts = fields.value(0).toDouble(&ptsOk), duration = fields.value(1).toDouble(&durationOk);
        if (ptsOk) end = std::max(end, pts + (durationOk ? duration : 0));
    }
    return end;
}

QString shown(const QByteArray& path) { return QFile::decodeName(path); }

}  // namespace

std::optional<double> probeDuration(const QByteArray& path, QString* error) {
    const auto out = runProbe(path, {"-show_entries", "format=duration", "-of", "csv=p=0"}, error);
    if (!out) return std::nullopt;
    bool ok = false;
    const double d = out->trimmed().toDouble(&ok);
    if (!ok || !(d > 0)) {
        *error = "no duration";
        return std::nullopt;
    }
    return d;
}

std::optional<double> readableUntil(const QByteArray& path, double in, double out, QString* error) {
    const auto packets = runProbe(path, videoPacketOptions(in, out), error);
    if (!packets) return std::nullopt;
    return std::min(out, videoEnd(*packets));
}

ClipExport::ClipExport(ClipRequest request, QObject* parent) : QObject(parent), request_(std::move(request)) {
    for (QProcess* p : {&probe_, &check_, &process_}) dieWithParent(*p);
    connect(&process_, &QProcess::readyReadStandardOutput, this, &ClipExport::readProgress);
    connect(&process_, &QProcess::finished, this, &ClipExport::done);
    connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) fail("cannot run ffmpeg: " + process_.errorString());
    });
    // A file ffprobe cannot read counts as silent: the check of the pieces that
    // follows says what is wrong.
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
    // A piece whose video ends early would make the clip shorter than asked, and
    // ffmpeg would still call that a success.
    connect(&check_, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        const ClipPiece& piece = request_.pieces.at(checked_);
        const QString name = shown(request_.files.at(piece.file));
        if (status != QProcess::NormalExit || exitCode != 0) {
            QString said = QString::fromUtf8(check_.readAllStandardError()).trimmed().section('\n', -1);
            said.remove(inputs_[qsizetype(piece.file)] + ": ");
            return fail(name + ": cannot read: " + (said.isEmpty() ? QString("ffprobe failed") : said));
        }
        const double end = videoEnd(check_.readAllStandardOutput()), from = checkedFrom(piece);
        if (end < piece.out - kReadableSlack)
            return fail(QString("%1: damaged: its video ends %2 %3 s, the clip needs it to %4 s")
                            .arg(name, end > from ? "at" : "before")
                            .arg(std::max(end, from), 0, 'f', 1)
                            .arg(piece.out, 0, 'f', 1));
        ++checked_;
        checkNext();
    });
    connect(&check_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) fail("cannot run ffprobe: " + check_.errorString());
    });
}

ClipExport::~ClipExport() { abandon(); }

void ClipExport::abandon() {
    over_ = true;  // what the killed programs report is no longer heard
    for (QProcess* p : {&probe_, &check_, &process_}) {
        if (p->state() == QProcess::NotRunning) continue;
        p->kill();
        p->waitForFinished();
    }
    if (!partial_.isEmpty()) QFile::remove(partial_);
    partial_.clear();
    work_.reset();
}

void ClipExport::start() {
    const auto failLater = [this](const QString& why) { QTimer::singleShot(0, this, [this, why] { fail(why); }); };
    for (const QByteArray& file : request_.files) {
        // ffprobe and ffmpeg would wait on a FIFO for ever.
        if (const std::string why = telemetry::unreadableReason(file.toStdString()); !why.empty())
            return failLater(shown(file) + ": cannot read: " + QString::fromLocal8Bit(why.c_str()));
    }
    work_ = makeWorkFolder();
    if (!work_->isValid()) return failLater("cannot make a work folder: " + work_->errorString());
    onSignal_ = std::make_unique<SignalCleanup>([this] { abandon(); });
    for (size_t i = 0; i < request_.files.size(); ++i) {
        QString why;
        inputs_ << linkedInput(request_.files[i], work_->path(), int(i), &why);
        if (inputs_.back().isEmpty()) return failLater("cannot write the clip's work files: " + why);
    }
    for (const std::vector<QByteArray>& channels : request_.channels)
        for (const QByteArray& channel : channels) {
            if (const std::string why = telemetry::unreadableReason(channel.toStdString()); !why.empty())
                return failLater(shown(channel) + ": cannot read: " + QString::fromLocal8Bit(why.c_str()));
            QString why;
            inputs_ << linkedInput(channel, work_->path(), int(inputs_.size()), &why);
            if (inputs_.back().isEmpty()) return failLater("cannot write the clip's work files: " + why);
        }

    const bool toStdout = request_.output == QLatin1String("-");
    struct stat st {};
    const bool exists = !toStdout && ::stat(QFile::encodeName(request_.output).constData(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return failLater(request_.output + ": cannot write: is a folder");
    // A device or a FIFO cannot be renamed over; ffmpeg's MP4 needs a file it can
    // seek in, so it writes one in the work folder, copied over at the end.
    inPlace_ = toStdout || (exists && !S_ISREG(st.st_mode));
    target_ = exists && !inPlace_ ? QFileInfo(request_.output).canonicalFilePath() : request_.output;
    if (inPlace_) {
        partial_ = work_->filePath("clip.mp4");
    } else {
        const QFileInfo target(target_);
        // A unique name beside the target, so the rename at the end stays on one file system.
        QTemporaryFile reserve(target.absolutePath() + "/." + target.fileName() + ".XXXXXX.part");
        reserve.setAutoRemove(false);
        if (!reserve.open()) return failLater(request_.output + ": cannot write: " + reserve.errorString());
        partial_ = reserve.fileName();
    }
    // Which recordings have sound, asked one after another without blocking the caller.
    if (request_.mode == ClipMode::Exact && request_.sound.empty()) return probeNext();
    checkNext();
}

void ClipExport::probeNext() {
    if (over_) return;
    if (request_.sound.size() >= request_.files.size()) return checkNext();
    probe_.start("ffprobe", {"-v", "error", "-select_streams", "a", "-show_entries", "stream=index", "-of", "csv=p=0",
                             inputs_.at(qsizetype(request_.sound.size()))});
}

void ClipExport::checkNext() {
    if (over_) return;
    if (checked_ >= request_.pieces.size()) return run();
    const ClipPiece& piece = request_.pieces[checked_];
    check_.start("ffprobe", QStringList{"-v", "error"} << videoPacketOptions(checkedFrom(piece), piece.out)
                                                       << inputs_.at(qsizetype(piece.file)));
}

void ClipExport::run() {
    const QString list = work_->filePath("pieces.ffconcat"), script = work_->filePath("overlay.ass");
    // Whole or not at all: a full temporary folder must fail the clip, not shorten it
    // or lose its overlay. The explicit flush matters: commit() does not hear of a
    // failure of the last buffered write.
    const auto write = [](const QString& path, const QString& text, QString* why) {
        QSaveFile file(path);
        const QByteArray bytes = text.toUtf8();
        if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() && file.commit())
            return true;
        *why = file.errorString();
        return false;
    };
    QString why;
    if ((request_.mode == ClipMode::Fast && !write(list, concatList(request_, inputs_), &why)) ||
        (!request_.overlayScript.isEmpty() && !write(script, request_.overlayScript, &why))) {
        QTimer::singleShot(0, this, [this, why] { fail("cannot write the clip's work files: " + why); });
        return;
    }
    process_.start("ffmpeg", ffmpegArguments(request_, inputs_, list, script, partial_));
}

void ClipExport::cancel() {
    if (over_) return;
    cancelled_ = true;
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();  // done() follows
        return;
    }
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
        said = said.section('\n', -1);  // its last line names the cause
        for (size_t i = 0; i < request_.files.size(); ++i)
            said.replace(inputs_[qsizetype(i)], shown(request_.files[i]));
        return fail(said);
    }
    // Into the work file, so that the clip appears with its telemetry or not at all.
    if (const QString why = addClipTelemetry(partial_, request_, inputs_); !why.isEmpty()) return fail(why);
    QString why;
    if (!deliver(&why)) return fail(request_.output + ": cannot write: " + why);
    over_ = true;
    partial_.clear();
    onSignal_.reset();
    work_.reset();
    emit finished(true, {});
}

// Puts the finished clip in its place.
bool ClipExport::deliver(QString* error) {
    if (inPlace_) {
        QFile from(partial_), to;
        const bool opened = request_.output == QLatin1String("-")
                                ? to.open(STDOUT_FILENO, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)
                                : (to.setFileName(target_), to.open(QIODevice::WriteOnly));
        if (!from.open(QIODevice::ReadOnly) || !opened) {
            *error = from.isOpen() ? to.errorString() : from.errorString();
            return false;
        }
        while (!from.atEnd()) {
            const QByteArray chunk = from.read(1 << 20);
            if (chunk.isEmpty() || to.write(chunk) != chunk.size()) break;
        }
        to.close();  // flushes: a full device says so only here
        if (from.error() != QFileDevice::NoError || to.error() != QFileDevice::NoError || !from.atEnd()) {
            *error = to.error() != QFileDevice::NoError ? to.errorString() : from.errorString();
            return false;
        }
        return true;
    }
    // The reserved name was made private (0600); the clip gets what any new file gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(partial_).constData(), 0666 & ~mask);
    // rename(2) replaces an existing target in one step.
    if (std::rename(QFile::encodeName(partial_).constData(), QFile::encodeName(target_).constData()) == 0) return true;
    *error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

void ClipExport::fail(const QString& error) {
    if (over_) return;
    abandon();
    onSignal_.reset();
    emit finished(false, error);
}

}  // namespace clips
