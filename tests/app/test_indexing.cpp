#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QObject>
#include <QThread>
#include <QTemporaryDir>
#include <thread>

#include "AppTestSupport.h"
#include "IndexingRun.h"
#include "MainThreadHandoff.h"

namespace {

// Records what the run asks of the window, with the rows as they stood then.
class RecordingHost : public IndexingRun::Host {
public:
    explicit RecordingHost(const RecordingLibrary& library) : library_(library) {}
    void reloadTable() override {
        ++reloads;
        mainThreadOnly();
    }
    void setProgressRange(double minimum, double maximum) override {
        mainThreadOnly();
        events.push_back(QStringLiteral("range %1..%2").arg(minimum).arg(maximum));
    }
    void setProgress(double value, const QString& text) override {
        mainThreadOnly();
        events.push_back(QStringLiteral("value %1 %2 [%3]").arg(value).arg(text, library_.arrayTable_Time.join(' ')));
    }
    int reloads = 0;
    QStringList events;
    bool offMainThread = false;

private:
    void mainThreadOnly() {
        if (QThread::currentThread() != qApp->thread()) offMainThread = true;
    }
    const RecordingLibrary& library_;
};

// Runs one batch on a thread of its own, serving its hand-offs here.
void runBatch(RecordingLibrary& library, RecordingHost& host, const QStringList& batch) {
    MainThreadHandoff handoff;
    IndexingRun run(library, host, [&](const std::function<void()>& fn) { handoff.runAndWait(fn); });
    library.open_files = batch;
    library.isOperationIndexing = true;
    std::atomic<bool> done{false};
    std::thread t([&] {
        run.threadDownLoadBinartFile(QStringLiteral("NSThread"));
        done = true;
    });
    const bool finished = waitUntil([&] { return done.load(); });
    t.join();
    ASSERT_TRUE(finished);
}

}  // namespace

TEST(IndexingRun, FillsRowsInOrderAndAppendsASecondBatch) {
    QTemporaryDir tmp;
    QDir dir(tmp.path());
    QStringList first, second;
    for (int i = 0; i < 5; ++i) first << makeRecording(dir, QStringLiteral("A%1.MP4").arg(i), 3);
    second << makeRecording(dir, "B0.MP4", 125) << makeRecording(dir, "notes.txt", 0, false)
           << makeRecording(dir, "B2.MP4", 9);

    RecordingLibrary library;
    RecordingHost host(library);
    LogCapture log;
    runBatch(library, host, first);
    EXPECT_EQ(host.events.first(), "range 0..5");
    EXPECT_EQ(host.events.last(), "value 5 5/5 [00:03 00:03 00:03 00:03 00:03]");
    EXPECT_EQ(host.reloads, 10);  // once per file in each phase
    EXPECT_FALSE(library.isOperationIndexing);

    host.events.clear();
    runBatch(library, host, second);
    EXPECT_EQ(host.events, (QStringList{"range 0..8",
                                        "value 6 6/8 [00:03 00:03 00:03 00:03 00:03 02:05 : :]",
                                        "value 7 7/8 [00:03 00:03 00:03 00:03 00:03 02:05 0:0 :]",
                                        "value 8 8/8 [00:03 00:03 00:03 00:03 00:03 02:05 0:0 00:09]"}));
    EXPECT_FALSE(host.offMainThread);
    EXPECT_EQ(library.table_cnt, 8);
    EXPECT_EQ(library.currentStorageVideo.num_video_list, 8);
    ASSERT_EQ(library.currentStorageVideo.video_list.size(), 8);
    EXPECT_EQ(*library.currentStorageVideo.video_list[5]->filename, "B0.MP4");
    EXPECT_EQ(library.arrayTable_Files.mid(5), (QStringList{"B0.MP4", "notes.txt", "B2.MP4"}));
    EXPECT_EQ(library.arrayTable_Trip.mid(5), (QStringList{"6", "7", "8"}));
    EXPECT_EQ(library.arrayTable_Date[5], "2016/05/12");
    EXPECT_EQ(library.arrayTable_Avg[7], "");
    for (int row = 0; row < 8; ++row) EXPECT_TRUE(library.isRowIndexed(row)) << row;
    EXPECT_FALSE(library.isRowIndexed(8));
    EXPECT_EQ(library.arrayTable_isLoadingComplete.size(), 400);
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), "Load Finished"), 2);
}

TEST(IndexingRun, WaitingRowsBeforeTheSecondPhase) {
    RecordingLibrary library;
    // A host that looks at the rows at the first reload of the second phase.
    class PeekingHost : public RecordingHost {
    public:
        using RecordingHost::RecordingHost;
        void reloadTable() override {
            RecordingHost::reloadTable();
            if (reloads == 2) firstPhaseRows = lib->arrayTable_Files.join(',') + "|" + lib->arrayTable_Time.join(',') +
                                                   "|" + lib->arrayTable_Date.join(',') + "|" + lib->arrayTable_Trip.join(',');
        }
        const RecordingLibrary* lib = nullptr;
        QString firstPhaseRows;
    } host(library);
    host.lib = &library;
    QTemporaryDir tmp;
    QDir dir(tmp.path());
    runBatch(library, host, {makeRecording(dir, "X.MP4", 2), makeRecording(dir, "Y.MP4", 2)});
    EXPECT_EQ(host.firstPhaseRows, "X.MP4,Y.MP4|:,:|,|0,1");
}

TEST(IndexingRun, EmptyBatchAndThe401stRow) {
    RecordingLibrary library;
    RecordingHost host(library);
    LogCapture log;
    runBatch(library, host, {});
    EXPECT_EQ(host.events, QStringList{"range 0..0"});
    EXPECT_TRUE(log.contains("Load Finished"));
    EXPECT_EQ(library.table_cnt, 0);

    QTemporaryDir tmp;
    QDir dir(tmp.path());
    QStringList many;
    for (int i = 0; i < 401; ++i) many << makeRecording(dir, QStringLiteral("N%1.txt").arg(i), 0, false);
    runBatch(library, host, many);
    EXPECT_EQ(library.arrayTable_isLoadingComplete.size(), 401);
    EXPECT_TRUE(library.isRowIndexed(400));
    EXPECT_EQ(library.arrayTable_Time[400], "0:0");
}
