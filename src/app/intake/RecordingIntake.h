#pragma once
// How recordings come in: the Open dialog, paths, drops, the recent list and the indexing run.

#include <QByteArrayList>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <thread>

#include "IndexingRun.h"

class MainThreadHandoff;
class QMenu;
class QWidget;

class RecordingIntake : public QObject, private IndexingRun::Host {
    Q_OBJECT
public:
    // What the intake asks of the user. Tests answer in the dialogs' place.
    struct Choices {
        std::function<QStringList()> recordings;  // files or one folder to open; empty when cancelled
        std::function<void()> unsupportedDrop;    // tells the user a drop is not taken
    };
    // The real dialogs, over this widget.
    static Choices dialogs(QWidget* parent);

    RecordingIntake(RecordingLibrary& library, Choices choices, QObject* parent = nullptr);
    // Stops a run under way after the file it is scanning and waits for it. What it
    // still had to hand over is dropped unrun, so the receivers of the signals may
    // be going away (no event loop needs to run); rows not reached stay waiting.
    ~RecordingIntake() override;

    void setChoices(Choices choices);
    // The menu to keep filled with the recent paths; an entry opens its path again.
    void setRecentMenu(QMenu* menu);

    // Asks for recordings and opens them; nothing while a run is under way.
    void open();
    // A folder first gives its recordings, files are taken as given. False when a
    // run is under way.
    bool openPaths(const QStringList& chosen);
    bool openPaths(const QByteArrayList& chosen);  // the file system's bytes (the command line's)
    void acceptDrop(const QList<QUrl>& urls);
    bool isIndexing() const { return library_.isOperationIndexing; }

signals:
    void indexingStarted();
    void rowsChanged(int first, int last);  // rows beyond the last change are new
    void progressRangeChanged(double minimum, double maximum);
    void progressChanged(double value, const QString& text);
    void indexingFinished();
    void statusMessage(const QString& text);

private:
    // folder: the one the batch is the recordings of; empty for loose files.
    void startIndexing(const QByteArrayList& batch, const QByteArray& folder);
    void rememberOpened(const QByteArrayList& paths);
    void fillRecentMenu();

    // IndexingRun::Host, on the main thread
    void reloadRows(int32_t first, int32_t last) override { emit rowsChanged(first, last); }
    void setProgressRange(double minimum, double maximum) override { emit progressRangeChanged(minimum, maximum); }
    void setProgress(double value, const QString& text) override { emit progressChanged(value, text); }

    RecordingLibrary& library_;
    Choices choices_;
    QMenu* recentMenu_ = nullptr;
    MainThreadHandoff* handoff_;
    std::unique_ptr<IndexingRun> run_;
    std::thread thread_;
    uint64_t runs_ = 0;  // counts the runs started; a run's end is told only while it is the latest
};
