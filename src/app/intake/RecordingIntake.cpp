// How recordings come in: the Open dialog, paths, drops, the recent list and the indexing run.
#include "RecordingIntake.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <filesystem>
#include <system_error>

#include "Batches.h"
#include "Log.h"
#include "MainThreadHandoff.h"
#include "RecentPaths.h"

namespace {

// A file dialog in which files and folders can both be chosen: a selected folder
// is accepted instead of being entered.
class RecordingsDialog : public QFileDialog {
public:
    explicit RecordingsDialog(QWidget* parent) : QFileDialog(parent, QObject::tr("Open recordings or a folder")) {
        setOption(QFileDialog::DontUseNativeDialog, true);
        setFileMode(QFileDialog::ExistingFiles);
        setNameFilters({QObject::tr("Recordings (*.mp4 *.MP4 *.mov *.MOV)"), QObject::tr("All files (*)")});
        if (const QString last = loadLastFolder(); !last.isEmpty()) setDirectory(last);
        if (const QSize size = loadOpenDialogSize(); size.isValid()) resize(size);
    }
    ~RecordingsDialog() override { saveOpenDialogSize(size()); }
    void accept() override {
        const QStringList chosen = selectedFiles();
        if (!chosen.isEmpty() && QFileInfo(chosen.first()).isDir()) {
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
    }
};

}  // namespace

RecordingIntake::Choices RecordingIntake::dialogs(QWidget* parent) {
    return {[parent] {
                RecordingsDialog dialog(parent);
                if (dialog.exec() != QDialog::Accepted) return QStringList();
                return dialog.selectedFiles();
            },
            [parent] {
                auto* alert = new QMessageBox(QMessageBox::Warning, QStringLiteral("Warning!"), QStringLiteral("Warning!"),
                                              QMessageBox::NoButton, parent);
                alert->setInformativeText(QStringLiteral("Not supported file!"));
                alert->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
                alert->setWindowModality(Qt::WindowModal);
                alert->setAttribute(Qt::WA_DeleteOnClose);
                alert->open();
            }};
}

RecordingIntake::RecordingIntake(RecordingLibrary& library, Choices choices, QObject* parent)
    : QObject(parent), library_(library), choices_(std::move(choices)), handoff_(new MainThreadHandoff(this)) {}

RecordingIntake::~RecordingIntake() {
    if (!thread_.joinable()) return;
    run_->requestStop();
    handoff_->abandon();
    thread_.join();  // the run lowers isOperationIndexing itself, stopped or not
}

void RecordingIntake::setChoices(Choices choices) { choices_ = std::move(choices); }

void RecordingIntake::setRecentMenu(QMenu* menu) {
    recentMenu_ = menu;
    fillRecentMenu();
}

void RecordingIntake::open() {
    if (isIndexing()) {
        telemetry::logLine("waitting for complte");
        return;
    }
    const QStringList chosen = choices_.recordings();
    if (!chosen.isEmpty()) openPaths(chosen);
}

bool RecordingIntake::openPaths(const QStringList& chosen) {
    QByteArrayList paths;
    for (const QString& path : chosen) paths.append(QFile::encodeName(path));
    return openPaths(paths);
}

bool RecordingIntake::openPaths(const QByteArrayList& chosen) {
    if (isIndexing()) {
        telemetry::logLine("waitting for complte");
        return false;
    }
    QByteArrayList absolute;
    for (const QByteArray& path : chosen) {
        std::error_code error;  // no working folder: the path as given
        const std::filesystem::path given(path.toStdString());
        const std::filesystem::path made = std::filesystem::absolute(given, error);
        QByteArray full = QByteArray::fromStdString((error ? given : made).lexically_normal().native());
        if (full.size() > 1 && full.endsWith('/')) full.chop(1);
        absolute.append(full);
    }
    const QByteArrayList batch = batchForChoice(absolute);
    if (!batch.isEmpty()) rememberOpened(absolute);
    if (batch.isEmpty() && !absolute.isEmpty())
        emit statusMessage(tr("No recordings found in %1").arg(QFile::decodeName(absolute.first())));
    startIndexing(batch, openedFolder(absolute));
    return true;
}

void RecordingIntake::acceptDrop(const QList<QUrl>& urls) {
    const QByteArrayList files = droppedFiles(urls);
    if (files.isEmpty()) return;
    if (!isSupportedDrop(files.first())) {
        choices_.unsupportedDrop();
        return;
    }
    if (isIndexing()) {
        telemetry::logLine("Wait for complete");
        return;
    }
    startIndexing(files, {});
}

void RecordingIntake::startIndexing(const QByteArrayList& batch, const QByteArray& folder) {
    if (thread_.joinable()) thread_.join();  // the last run has ended; its thread may still be finishing
    library_.open_files = batch;
    library_.open_folder = folder;
    // Raised before the thread starts, so no second batch can be queued meanwhile.
    library_.isOperationIndexing = true;
    run_ = std::make_unique<IndexingRun>(library_, static_cast<IndexingRun::Host&>(*this),
                                         [handoff = handoff_](const std::function<void()>& fn) { handoff->runAndWait(fn); });
    const uint64_t number = ++runs_;
    emit indexingStarted();
    thread_ = std::thread([this, run = run_.get(), number] {
        run->threadDownLoadBinartFile(QStringLiteral("NSThread"));
        QMetaObject::invokeMethod(
            this, [this, number] { if (number == runs_) emit indexingFinished(); }, Qt::QueuedConnection);
    });
}

void RecordingIntake::rememberOpened(const QByteArrayList& paths) {
    if (paths.isEmpty()) return;
    QStringList recent = loadRecentPaths();
    // The first chosen ends up first.
    for (auto it = paths.rbegin(); it != paths.rend(); ++it) recent = withRecent(recent, QFile::decodeName(*it));
    saveRecentPaths(recent);
    const QFileInfo first(QFile::decodeName(paths.first()));
    saveLastFolder(first.isDir() ? first.absoluteFilePath() : first.absolutePath());
    fillRecentMenu();
}

void RecordingIntake::fillRecentMenu() {
    if (!recentMenu_) return;
    recentMenu_->clear();
    const QStringList recent = loadRecentPaths();
    for (const QString& path : recent)
        connect(recentMenu_->addAction(path), &QAction::triggered, this, [this, path] { openPaths(QStringList{path}); });
    recentMenu_->setEnabled(!recent.isEmpty());
}
