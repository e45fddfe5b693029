#pragma once
// Writes a clip through the ffmpeg program run as a child process: progress read
// from its -progress output, cancellable, the target replaced only by a finished
// clip (ffmpeg writes a temporary file beside it, which gets the span's telemetry
// and is then renamed).

#include <memory>
#include <optional>
#include <vector>

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "ClipPlan.h"
#include "ClipTelemetry.h"

namespace clips {

enum class ClipMode {
    Exact,  // re-encoded (H.264 CRF 20, sound AAC) from the first frame of the span to its last
    Fast,   // streams copied, so the clip starts at the key frame at or before the span
};

struct ClipRequest {
    std::vector<QString> files;       // the recordings the pieces index
    std::vector<ClipPiece> pieces;
    ClipMode mode = ClipMode::Exact;
    bool stripTelemetry = false;      // no telemetry track, no metadata
    std::vector<RecordingTelemetry> telemetry;  // per file; the clip keeps its span's
    QString overlayScript;            // ASS script burnt in (Exact only); empty: none
    std::vector<bool> sound;          // per file: has a sound track (Exact keeps it); probed when empty
    QString output;
};

// The clip's length in seconds.
double clipSeconds(const std::vector<ClipPiece>& pieces);

// Fast mode's input: an ffconcat list naming each piece with its in and out point.
QString concatList(const ClipRequest& request);

// ffmpeg's arguments; listPath and scriptPath are where concatList and the overlay
// script were written, target the file ffmpeg writes.
QStringList ffmpegArguments(const ClipRequest& request, const QString& listPath, const QString& scriptPath,
                            const QString& target);

// The fraction done after one line of ffmpeg's -progress output, or nullopt when
// the line does not tell.
std::optional<double> progressFraction(const QByteArray& line, double clipSeconds);

// A recording's length in seconds as ffprobe reads it; nullopt with *error set
// when it cannot.
std::optional<double> probeDuration(const QString& path, QString* error);

class ClipExport : public QObject {
    Q_OBJECT
public:
    explicit ClipExport(ClipRequest request, QObject* parent = nullptr);
    ~ClipExport() override;

    // Starts ffmpeg; finished follows once, also when it cannot start.
    void start();
    // Stops ffmpeg and removes what it wrote; finished(false, "cancelled") follows.
    void cancel();

signals:
    void progress(double fraction);
    void finished(bool ok, const QString& error);

private:
    void probeNext();
    void run();
    void readProgress();
    void done(int exitCode, QProcess::ExitStatus status);
    void fail(const QString& error);

    ClipRequest request_;
    QProcess probe_, process_;
    std::unique_ptr<QTemporaryDir> work_;
    QString partial_;
    QByteArray pending_;
    bool cancelled_ = false, over_ = false;
};

}  // namespace clips
