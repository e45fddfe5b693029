#pragma once
// Writes a clip through the ffmpeg program run as a child process: progress read
// from its -progress output, cancellable, the target replaced only by a finished
// clip (ffmpeg writes a temporary file beside it, which gets the span's telemetry
// and is then renamed; a device or FIFO gets the finished clip written into it instead).

#include <memory>
#include <optional>
#include <vector>

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "ClipPlan.h"
#include "ClipWork.h"
#include "ClipTelemetry.h"

namespace clips {

enum class ClipMode {
    Exact,  // re-encoded (H.264 CRF 20, sound AAC) from the first frame of the span to its last
    Fast,   // streams copied, so the clip starts at the key frame at or before the span
};

// How a moment's other channels join its main one in a clip.
enum class ClipLayout {
    PictureInPicture,  // small in the bottom right corner, a quarter of its width
    SideBySide,        // beside it, at its height
};

struct ClipRequest {
    std::vector<QByteArray> files;    // the recordings the pieces index, as the file system names them
    std::vector<ClipPiece> pieces;
    ClipMode mode = ClipMode::Exact;
    bool stripTelemetry = false;      // no telemetry track, no metadata
    std::vector<RecordingTelemetry> telemetry;  // per file; the clip keeps its span's
    QString overlayScript;            // ASS script burnt in (Exact only); empty: none
    std::vector<bool> sound;          // per file: has a sound track (Exact keeps it); probed when empty
    QString output;                   // "-": standard output
    // Per file, the other channels of its moment composed into the picture (Exact
    // only); missing or empty: the recording alone.
    std::vector<std::vector<QByteArray>> channels;
    ClipLayout layout = ClipLayout::PictureInPicture;
};

// Why a moment's other channel cannot join a clip (it cannot be read, or has no
// picture, as when a camera lost the rear's video), or empty when it can.
QString channelLeftOutReason(const QByteArray& path);

// The input name of file's channel-th other channel: these follow the files' own in inputs.
qsizetype channelInput(const ClipRequest& request, size_t file, size_t channel);

// The clip's length in seconds.
double clipSeconds(const std::vector<ClipPiece>& pieces);

// Fast mode's input: an ffconcat list naming each piece with its in and out point;
// inputs are the names ffmpeg reads request.files under.
QString concatList(const ClipRequest& request, const QStringList& inputs);

// ffmpeg's arguments; listPath and scriptPath are where concatList and the overlay
// script were written, target the file ffmpeg writes.
QStringList ffmpegArguments(const ClipRequest& request, const QStringList& inputs, const QString& listPath,
                            const QString& scriptPath, const QString& target);

// The fraction done after one line of ffmpeg's -progress output, or nullopt when
// the line does not tell.
std::optional<double> progressFraction(const QByteArray& line, double clipSeconds);

// A recording's length in seconds as ffprobe reads it; nullopt with *error set
// when it cannot. Only a regular file is probed.
std::optional<double> probeDuration(const QByteArray& path, QString* error);

// How far, in seconds, the video of a recording can be read when it is asked for
// from in to out: out, or less when its data ends early (a cut file whose index
// survived). nullopt with *error set when ffprobe cannot read it at all.
std::optional<double> readableUntil(const QByteArray& path, double in, double out, QString* error);

// Short of this, a piece's video counts as cut off: what is left allows for a
// recording whose sound outlasts its last frame.
constexpr double kReadableSlack = 0.25;

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
    void checkNext();
    void run();
    void readProgress();
    void done(int exitCode, QProcess::ExitStatus status);
    bool deliver(QString* error);
    void fail(const QString& error);
    // Stops the helper programs and removes what was written, at once.
    void abandon();

    ClipRequest request_;
    QProcess probe_, check_, process_;
    std::unique_ptr<QTemporaryDir> work_;
    std::unique_ptr<SignalCleanup> onSignal_;
    QStringList inputs_;
    QString target_;     // where the clip goes: the output with its links resolved
    bool inPlace_ = false;  // written into the target, not renamed over it
    QString partial_;
    size_t checked_ = 0;  // pieces whose video was found whole
    QByteArray pending_;
    bool cancelled_ = false, over_ = false;
};

}  // namespace clips
