#pragma once
// File ▸ Export Clip…: the marked span to an MP4 through the clip library, with the
// dialog, the save dialog and a progress dialog that can cancel. The choices go
// through replaceable functions, so tests answer them without a user.

#include <functional>
#include <memory>
#include <optional>

#include <QObject>
#include <QPointer>
#include <QString>

#include "ClipExportDialog.h"
#include "ClipMarks.h"
#include "ClipSpan.h"

class DriveIndex;
class QMainWindow;
class QProgressDialog;
struct RecordingLibrary;

// Each listed row as the span sees it: its name, its length once it is indexed, and
// whether its trip is the row before's.
std::vector<clips::SpanRow> spanRows(const RecordingLibrary& library, const DriveIndex& drives);

class ClipExportAction : public QObject {
    Q_OBJECT
public:
    ClipExportAction(const RecordingLibrary& library, const DriveIndex& drives, QMainWindow* window);
    ~ClipExportAction() override;

    // Exports the span between the marks, or says why it cannot.
    void run(const std::optional<clips::TimelineMark>& in, const std::optional<clips::TimelineMark>& out,
             int64_t speedUnit);
    bool busy() const { return export_ != nullptr; }
    // While a clip is being written.
    QProgressDialog* progressDialog() const;

    // The user's answers; nullopt or an empty name when cancelled.
    std::function<std::optional<ClipChoices>(const QString& span)> chooseOptions;
    std::function<QString(const QString& suggested)> chooseTarget;
    std::function<void(const QString& message)> tell;

signals:
    void progress(double fraction);
    void finished(bool ok, const QString& error);

private:
    void done(bool ok, const QString& error, const QString& target);

    const RecordingLibrary& library_;
    const DriveIndex& drives_;
    QMainWindow* window_;
    std::unique_ptr<clips::ClipExport> export_;
    QPointer<QProgressDialog> progress_;
};
