#pragma once
// One indexing run: every file of the batch gets a waiting row at once, then the
// files are scanned one after another and their rows filled in. The run has a
// thread of its own; every change to the library, table reload and progress
// update is handed to the main thread, and the run waits for each, so the main
// thread never reads a list while it grows.

#include <QString>
#include <atomic>
#include <functional>
#include <memory>

#include "Extract_Subtitle.h"
#include "RecordingLibrary.h"

class IndexingRun {
public:
    // The window's side of the run; called on the main thread only.
    class Host {
    public:
        virtual ~Host() = default;
        virtual void reloadTable() = 0;
        virtual void setProgressRange(double minimum, double maximum) = 0;
        virtual void setProgress(double value, const QString& text) = 0;
    };
    // Runs the function on the main thread and returns when it has run.
    using MainThread = std::function<void(const std::function<void()>&)>;

    IndexingRun(RecordingLibrary& library, Host& host, MainThread onMain);

    // The thread's entry: indexes library.open_files. The caller raises
    // isOperationIndexing before starting the thread; the run lowers it at its end.
    void threadDownLoadBinartFile(const QString& ignored);

    // Asks a run under way to stop after the file it is scanning (the window is
    // closing); rows not reached stay waiting.
    void requestStop() { stopRequested_ = true; }

    // The record being filled and its extractor, replaced for every file.
    std::atomic<std::shared_ptr<telemetry::Class_Video_Info>> ClassVideoInfo;
    std::atomic<std::shared_ptr<telemetry::Extract_Subtitle>> ExtractSubtitle;

private:
    RecordingLibrary& library_;
    Host& host_;
    MainThread onMain_;
    std::atomic<bool> stopRequested_{false};
};
