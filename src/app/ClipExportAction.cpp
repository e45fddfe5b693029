#include "ClipExportAction.h"

#include "SubtitleTrackReader.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStatusBar>

#include "ClipExport.h"
#include "ClipPlan.h"
#include "DriveIndex.h"
#include "FileBytes.h"
#include "Overlay.h"
#include "RecordingLibrary.h"

namespace {

constexpr int kProgressSteps = 1000;

// "0:12.5": marks fall between whole seconds.
QString markText(double seconds) {
    const long long tenths = std::llround(std::max(0.0, seconds) * 10);
    return QStringLiteral("%1.%2").arg(durationText(double(tenths / 10))).arg(tenths % 10);
}

}  // namespace

std::vector<clips::SpanRow> spanRows(const RecordingLibrary& library, const DriveIndex& drives) {
    std::vector<clips::SpanRow> rows;
    const auto& list = library.currentStorageVideo.video_list;
    for (int32_t row = 0; row < library.table_cnt; ++row) {
        const bool follows = row > 0 && drives.has(row) && drives.has(row - 1) &&
                             drives.tripNumberOf(row) == drives.tripNumberOf(row - 1);
        clips::SpanRow r{library.arrayTable_Files.value(row), std::nullopt, follows};
        const RecordingRecord record = library.isRowIndexed(row) && row < list.size() ? list.at(row) : nullptr;
        if (record && record->filepath && record->timescale > 0 && record->duration > 0)
            r.seconds = double(record->duration) / record->timescale;
        rows.push_back(r);
    }
    return rows;
}

ClipExportAction::ClipExportAction(const RecordingLibrary& library, const DriveIndex& drives, QMainWindow* window)
    : QObject(window), library_(library), drives_(drives), window_(window) {
    chooseOptions = [this](const QString& span) -> std::optional<ClipChoices> {
        ClipExportDialog dialog(span, window_);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.choices();
    };
    chooseTarget = [this](const QString& suggested) {
        return QFileDialog::getSaveFileName(window_, tr("Export Clip"), suggested, tr("MP4 video (*.mp4)"));
    };
    tell = [this](const QString& message) { QMessageBox::warning(window_, tr("Export Clip"), message); };
}

ClipExportAction::~ClipExportAction() = default;

QProgressDialog* ClipExportAction::progressDialog() const { return progress_; }

void ClipExportAction::run(const std::optional<clips::TimelineMark>& in, const std::optional<clips::TimelineMark>& out,
                           int64_t speedUnit) {
    if (busy()) return;
    const auto rows = spanRows(library_, drives_);
    const clips::SpanOrReason marked = clips::spanOfMarks(in, out, rows);
    if (!marked.span) return tell(marked.reason);
    const clips::ClipSpan span = *marked.span;

    clips::ClipRequest request;
    std::vector<double> durations;
    std::vector<std::vector<telemetry::Sample>> samples;
    for (int32_t row = span.firstRow; row <= span.lastRow; ++row) {
        const RecordingRecord& record = library_.currentStorageVideo.video_list.at(row);
        request.files.push_back(QByteArray::fromStdString(record->filepath.value_or(std::string())));
        durations.push_back(*rows[size_t(row)].seconds);
        samples.push_back(telemetry::samplesOf(*record));
        request.telemetry.push_back(clips::telemetryOf(*record));
        request.channels.emplace_back();
        // A channel gone since the card was opened, or without a picture, leaves the clip
        // with the main one alone.
        for (const RowChannel& channel : library_.rowChannels.value(row).mid(1))
            if (clips::channelLeftOutReason(channel.path).isEmpty()) request.channels.back().push_back(channel.path);
    }
    const auto pieces = clips::planClip(durations, span.from, span.to);
    if (!pieces) return tell(tr("The marked span is empty."));
    request.pieces = *pieces;

    const QString spanText = tr("%1 s from %2 at %3 to %4 at %5")
                                 .arg(clips::clipSeconds(request.pieces), 0, 'f', 1)
                                 .arg(rows[size_t(span.firstRow)].name, markText(span.from),
                                      rows[size_t(span.lastRow)].name, markText(std::clamp(out->seconds, 0.0, durations.back())));
    const auto choices = chooseOptions(spanText);
    if (!choices) return;
    request.mode = choices->mode;
    request.stripTelemetry = choices->removeLocation;
    if (choices->channels) request.layout = *choices->channels;
    else request.channels.clear();
    if (choices->overlay && choices->mode == clips::ClipMode::Exact)
        request.overlayScript = clips::overlayScript(request.pieces, samples, speedUnit);

    const QFileInfo first(QFile::decodeName(request.files.front()));
    QString target = chooseTarget(first.absoluteDir().filePath(first.completeBaseName() + "_clip.mp4"));
    if (target.isEmpty()) return;
    if (QFileInfo(target).suffix().isEmpty()) target += ".mp4";
    // By the file itself: a linked folder or another spelling of the name must not let
    // the clip replace a recording, in the span or not.
    if (library_.listsFile(QFile::encodeName(target)))
        return tell(tr("%1 is a recording in the list: a clip cannot take its place; choose another name.")
                        .arg(QDir::toNativeSeparators(target)));
    request.output = target;

    export_ = std::make_unique<clips::ClipExport>(request);
    progress_ = new QProgressDialog(tr("Writing %1…").arg(QFileInfo(target).fileName()), tr("Cancel"), 0,
                                    kProgressSteps, window_);
    progress_->setWindowTitle(tr("Export Clip"));
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setAutoReset(false);
    progress_->setAutoClose(false);
    progress_->setMinimumDuration(0);
    progress_->setValue(0);
    connect(progress_, &QProgressDialog::canceled, export_.get(), &clips::ClipExport::cancel);
    connect(export_.get(), &clips::ClipExport::progress, this, [this](double fraction) {
        emit progress(fraction);
        // A modal dialog's setValue serves events: the export may end inside it.
        if (progress_) progress_->setValue(int(fraction * kProgressSteps));
    });
    connect(export_.get(), &clips::ClipExport::finished, this,
            [this, target](bool ok, const QString& error) { done(ok, error, target); });
    export_->start();
}

void ClipExportAction::done(bool ok, const QString& error, const QString& target) {
    if (progress_) {
        progress_->disconnect(export_.get());
        progress_->hide();
        progress_->deleteLater();
        progress_ = nullptr;
    }
    // finished comes from inside the export: delete it once its signal returns.
    export_.release()->deleteLater();
    if (ok) window_->statusBar()->showMessage(tr("Clip written: %1").arg(QDir::toNativeSeparators(target)), 10000);
    else if (error != QLatin1String("cancelled")) tell(tr("The clip was not written:\n%1").arg(error));
    emit finished(ok, error);
}
