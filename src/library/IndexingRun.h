#pragma once
// One indexing run: every file of the batch gets a waiting row at once, then the
// files are scanned one after another and their rows filled in. The run has a
// thread of its own; every change to the library, table reload and progress
// update is handed to the main thread, and the run waits for each, so the main
// thread never reads a list while it grows. Scanned files are handed over in
// groups, at most every 50 ms, so a folder of thousands of small recordings
// indexes at the speed of the scan instead of the speed of repainting.

#include <QString>
#include <atomic>
#include <chrono>
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
        // Rows first to last changed; rows beyond the table's last reload are new.
        virtual void reloadRows(int32_t first, int32_t last) = 0;
        virtual void setProgressRange(double minimum, double maximum) = 0;
        virtual void setProgress(double value, const QString& text) = 0;
    };
    // Runs the function on the main thread and returns when it has run.
    using MainThread = std::function<void(const std::function<void()>&)>;

    // When scanned files are handed over: once `interval` has passed since the last
    // hand-off, or as soon as `maxFiles` wait, whichever comes first.
    struct Pace {
        std::chrono::milliseconds interval{50};
        int32_t maxFiles = 256;  // bounds the main thread's work per hand-off
    };

    IndexingRun(RecordingLibrary& library, Host& host, MainThread onMain);
    IndexingRun(RecordingLibrary& library, Host& host, MainThread onMain, Pace pace);

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
    Pace pace_;
    std::atomic<bool> stopRequested_{false};
};
