#include "ClipTelemetry.h"

#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cmath>
#include <exception>

#include "ClipExport.h"
#include "ClipWork.h"
#include "Extract_Subtitle.h"
#include "TelemetryTrack.h"

namespace clips {
namespace {

// Marks and cut points are decimal seconds: 2.2 is a hair below 2.2 in binary.
constexpr double kSlack = 1e-6;

}  // namespace

RecordingTelemetry telemetryOf(const telemetry::Class_Video_Info& record) {
    RecordingTelemetry t;
    if (record.isSupportSubtitle != 1 || !record.array_subtitle_final) return t;
    for (const std::string_view sample : *record.array_subtitle_final) t.samples.emplace_back(sample);
    t.perSecond = record.gapSubtitlePerSecond;
    return t;
}

ClipSamples clipSamples(const std::vector<ClipPiece>& pieces, const std::vector<RecordingTelemetry>& recordings,
                        uint32_t seconds) {
    ClipSamples out;
    auto recording = [&](const ClipPiece& p) { return p.file < recordings.size() ? &recordings[p.file] : nullptr; };
    if (pieces.empty() || !recording(pieces.front())) return out;
    const uint32_t perSecond = recording(pieces.front())->perSecond;
    size_t piece = 0;
    double pieceStart = 0;  // on the clip's timeline
    for (uint32_t s = 0; s < seconds; ++s) {
        // Past the last piece the last recording runs on: a stream copy may end late.
        while (piece + 1 < pieces.size() && s + kSlack >= pieceStart + pieces[piece].out - pieces[piece].in) {
            pieceStart += pieces[piece].out - pieces[piece].in;
            ++piece;
        }
        const RecordingTelemetry* r = recording(pieces[piece]);
        if (!r || r->perSecond == 0 || perSecond == 0) break;
        const uint64_t first = uint64_t(std::floor(pieces[piece].in + (s - pieceStart) + kSlack)) * r->perSecond;
        // More than the scan takes would only make a clip it refuses.
        if (first + r->perSecond > r->samples.size() || out.samples.size() + perSecond > telemetry::kMaxSamples) break;
        for (uint32_t i = 0; i < perSecond; ++i) out.samples.push_back(r->samples[first + uint64_t(i) * r->perSecond / perSecond]);
    }
    if (!out.samples.empty()) out.perSecond = perSecond;
    return out;
}

std::optional<double> keyFrameAtOrBefore(const QString& path, double seconds, QString* error) {
    QProcess probe;
    dieWithParent(probe);
    // A seek lands on the key frame a stream copy starts from; the first packet read is it.
    probe.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries", "packet=pts_time", "-of", "csv=p=0",
                            "-read_intervals", QString::number(seconds, 'f', 6) + "%+#1", path});
    if (!probe.waitForStarted()) {
        *error = "cannot run ffprobe: " + probe.errorString();
        return std::nullopt;
    }
    probe.waitForFinished(-1);
    bool ok = false;
    const double at = probe.readAllStandardOutput().trimmed().split('\n').value(0).toDouble(&ok);
    if (probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0 || !ok || !std::isfinite(at)) {
        const QString said = QString::fromUtf8(probe.readAllStandardError()).trimmed();
        *error = said.isEmpty() ? QString("no video key frame") : said;
        return std::nullopt;
    }
    return at;
}

QString addClipTelemetry(const QString& path, const ClipRequest& request, const QStringList& inputs) {
    const bool any = std::any_of(request.telemetry.begin(), request.telemetry.end(),
                                 [](const RecordingTelemetry& t) { return t.perSecond > 0; });
    if (request.stripTelemetry || !any || request.pieces.empty()) return {};
    std::vector<ClipPiece> pieces = request.pieces;
    if (request.mode == ClipMode::Fast) {
        QString why;
        const auto key = keyFrameAtOrBefore(inputs.at(qsizetype(pieces.front().file)), pieces.front().in, &why);
        if (!key) return QFile::decodeName(request.files.at(pieces.front().file)) + ": " + why;
        pieces.front().in = std::clamp(*key, 0.0, pieces.front().in);
    }
    try {
        mp4::MovieFile clip(QFile::encodeName(path).toStdString());
        const ClipSamples samples = clipSamples(pieces, request.telemetry, clip.wholeSeconds());
        if (!samples.samples.empty()) clip.addTelemetryTrack(samples.samples, samples.perSecond);
    } catch (const std::exception& e) {
        return "cannot add the telemetry track: " + QString::fromLocal8Bit(e.what());
    }
    return {};
}

}  // namespace clips
