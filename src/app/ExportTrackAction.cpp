#include "ExportTrackAction.h"

#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "ExportSettings.h"
#include "TrackFile.h"

std::vector<int> exportRows(ExportScope scope, int currentRow, const DriveIndex& drives, int listed) {
    std::vector<int> rows;
    if (scope == ExportScope::All) {
        for (int row = 0; row < listed; ++row) rows.push_back(row);
        return rows;
    }
    if (currentRow < 0 || currentRow >= listed) return rows;
    const trips::Trip* trip = scope == ExportScope::Trip ? drives.tripOf(currentRow) : nullptr;
    if (!trip) return {currentRow};  // a row not grouped yet is a trip of its own
    for (size_t row = trip->firstRecording; row < trip->firstRecording + trip->recordings && row < size_t(listed); ++row)
        rows.push_back(int(row));
    return rows;
}

const TrackFormatChoice& trackFormatChoice(const QString& name) {
    for (const TrackFormatChoice& f : kTrackFormats)
        if (name == QLatin1String(f.name)) return f;
    return kTrackFormats[0];
}

QString withSuffix(const QString& path, const TrackFormatChoice& format) {
    if (!QFileInfo(path).suffix().isEmpty()) return path;
    return path + QLatin1Char('.') + QLatin1String(format.suffix);
}

namespace {
QString nameOf(const telemetry::Class_Video_Info& record) {
    const telemetry::Text& name = record.filename ? record.filename : record.filepath;
    return name ? QFileInfo(QString::fromStdString(*name)).fileName() : QString();
}
QString countText(int recordings) {
    return recordings == 1 ? QObject::tr("1 recording") : QObject::tr("%1 recordings").arg(recordings);
}
}  // namespace

ExportTrackAction::ExportTrackAction(QMainWindow* window) : QObject(window), window_(window) {}

void ExportTrackAction::run(const RecordingLibrary& library, const DriveIndex& drives, int currentRow) {
    const QVector<RecordingRecord>& list = library.currentStorageVideo.video_list;
    const int listed = int(list.size());
    if (listed == 0) {
        tell(tr("No recording is indexed yet: there is no track to export."), true);
        return;
    }
    const bool onScreen = currentRow >= 0 && currentRow < listed;
    const Offer offer{onScreen ? nameOf(*list.at(currentRow)) : QString(),
                      int(exportRows(ExportScope::Trip, currentRow, drives, listed).size()), listed,
                      loadTrackExportFormat(), loadTrackExportFolder()};
    const std::optional<Choice> choice = chooseExport(offer);
    if (!choice || choice->path.isEmpty()) return;
    const std::vector<int> rows = exportRows(choice->scope, currentRow, drives, listed);
    if (rows.empty()) {
        tell(tr("No recording is on screen: choose one, or export every row."), true);
        return;
    }
    const TrackFormatChoice& format = trackFormatChoice(choice->format);
    const QString path = withSuffix(choice->path, format);
    // The save dialog's "replace?" must not reach a recording, however its name is spelled.
    if (library.listsFile(QFile::encodeName(path))) {
        tell(tr("%1 is a recording in the list: a track cannot take its place; choose another name.")
                 .arg(QDir::toNativeSeparators(path)),
             true);
        return;
    }
    saveTrackExportFormat(QLatin1String(format.name));
    saveTrackExportFolder(QFileInfo(path).absolutePath());

    std::vector<RecordingRecord> records;
    for (int row : rows) records.push_back(list.at(row));
    const track_export::TrackFileResult result =
        track_export::writeTrackFile(path, format.format, records, cameraClockZone(loadCameraClock()));
    const QString shown = QDir::toNativeSeparators(path);
    if (!result.error.isEmpty()) tell(tr("The track could not be written to %1: %2").arg(shown, result.error), true);
    else if (!result.written) tell(tr("No track to export: %1").arg(result.withoutTrack.join(QStringLiteral(", "))), true);
    else if (!result.withoutTrack.isEmpty())
        tell(tr("Track exported to %1. No position fix, left out: %2").arg(shown, result.withoutTrack.join(QStringLiteral(", "))),
             true);
    else tell(tr("Track exported to %1").arg(shown), false);
}

std::optional<ExportTrackAction::Choice> ExportTrackAction::chooseExport(const Offer& offer) {
    QDialog scopeDialog(window_);
    scopeDialog.setWindowTitle(tr("Export Track"));
    auto* layout = new QVBoxLayout(&scopeDialog);
    layout->addWidget(new QLabel(tr("Export the track of:"), &scopeDialog));
    auto* scopes = new QButtonGroup(&scopeDialog);
    const std::pair<ExportScope, QString> entries[] = {
        {ExportScope::Recording, offer.recording.isEmpty() ? tr("The recording on screen (none)")
                                                           : tr("The recording on screen: %1").arg(offer.recording)},
        {ExportScope::Trip, offer.recording.isEmpty() ? tr("Its trip (no recording on screen)") : tr("Its trip: %1").arg(countText(offer.tripRows))},
        {ExportScope::All, tr("Every row: %1").arg(countText(offer.allRows))},
    };
    for (const auto& [scope, text] : entries) {
        auto* button = new QRadioButton(text, &scopeDialog);
        button->setEnabled(scope == ExportScope::All || !offer.recording.isEmpty());
        scopes->addButton(button, int(scope));
        layout->addWidget(button);
    }
    scopes->button(int(offer.recording.isEmpty() ? ExportScope::All : ExportScope::Recording))->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &scopeDialog);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Choose File…"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &scopeDialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &scopeDialog, &QDialog::reject);
    if (scopeDialog.exec() != QDialog::Accepted) return std::nullopt;
    const auto scope = ExportScope(scopes->checkedId());

    const TrackFormatChoice& last = trackFormatChoice(offer.format);
    QStringList filters;
    for (const TrackFormatChoice& f : kTrackFormats) filters << QLatin1String(f.filter);
    const QString base = scope == ExportScope::All ? QStringLiteral("tracks")
                         : scope == ExportScope::Trip ? QStringLiteral("trip-") + QFileInfo(offer.recording).completeBaseName()
                                                      : QFileInfo(offer.recording).completeBaseName();
    QFileDialog save(window_, tr("Export Track"), offer.folder.isEmpty() ? QDir::homePath() : offer.folder);
    save.setAcceptMode(QFileDialog::AcceptSave);
    save.setNameFilters(filters);
    save.selectNameFilter(QLatin1String(last.filter));
    save.selectFile(base + QLatin1Char('.') + QLatin1String(last.suffix));
    // The name follows the format, so a KML is not saved as "tracks.gpx".
    connect(&save, &QFileDialog::filterSelected, &save, [&save, base](const QString& filter) {
        for (const TrackFormatChoice& f : kTrackFormats)
            if (filter == QLatin1String(f.filter)) save.selectFile(base + QLatin1Char('.') + QLatin1String(f.suffix));
    });
    if (save.exec() != QDialog::Accepted || save.selectedFiles().isEmpty()) return std::nullopt;
    QString format = QLatin1String(last.name);
    for (const TrackFormatChoice& f : kTrackFormats)
        if (save.selectedNameFilter() == QLatin1String(f.filter)) format = QLatin1String(f.name);
    return Choice{scope, format, save.selectedFiles().first()};
}

void ExportTrackAction::tell(const QString& text, bool warning) {
    if (!warning) {
        window_->statusBar()->showMessage(text, 8000);
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Warning, tr("Export Track"), text, QMessageBox::Ok, window_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
