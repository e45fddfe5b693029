#include <gtest/gtest.h>

#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QThread>
#include <QVBoxLayout>
#include <thread>

#include "AppTestSupport.h"
#include "Batches.h"
#include "Card.h"
#include "Process.h"
#include "FileTableModel.h"
#include "FileTableView.h"
#include "IndexingRun.h"
#include "MainThreadHandoff.h"
#include "RecordingIntake.h"
#include "ViewController.h"

namespace {

// Records what the run asks of the window, with the rows as they stood then.
class RecordingHost : public IndexingRun::Host {
public:
    explicit RecordingHost(const RecordingLibrary& library) : library_(library) {}
    void reloadRows(int32_t first, int32_t last) override {
        mainThreadOnly();
        reloads.push_back(QStringLiteral("%1..%2").arg(first).arg(last));
        if (reloads.size() == 1)  // the waiting rows
            firstRows = library_.arrayTable_Files.join(',') + "|" + library_.arrayTable_Time.join(',') + "|" +
                        library_.arrayTable_Date.join(',') + "|" + library_.arrayTable_Trip.join(',');
    }
    void setProgressRange(double minimum, double maximum) override {
        mainThreadOnly();
        events.push_back(QStringLiteral("range %1..%2").arg(minimum).arg(maximum));
    }
    void setProgress(double value, const QString& text) override {
        mainThreadOnly();
        events.push_back(QStringLiteral("value %1 %2 [%3]").arg(value).arg(text, library_.arrayTable_Time.join(' ')));
        // A row that reads as indexed has its record listed.
        for (int row = 0; row < library_.table_cnt; ++row)
            if (library_.isRowIndexed(row) && row >= library_.currentStorageVideo.video_list.size()) flaggedUnlisted = true;
    }
    QStringList reloads, events;
    QString firstRows;
    bool offMainThread = false, flaggedUnlisted = false;

private:
    void mainThreadOnly() {
        if (QThread::currentThread() != qApp->thread()) offMainThread = true;
    }
    const RecordingLibrary& library_;
};

// Hands every scanned file over on its own.
constexpr IndexingRun::Pace kEachFile{std::chrono::milliseconds(0), 1};

// Runs one batch on a thread of its own, serving its hand-offs here.
void runBatch(RecordingLibrary& library, IndexingRun::Host& host, const QByteArrayList& batch,
              IndexingRun::Pace pace = kEachFile) {
    MainThreadHandoff handoff;
    IndexingRun run(library, host, [&](const std::function<void()>& fn) { handoff.runAndWait(fn); }, pace);
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

void runBatch(RecordingLibrary& library, IndexingRun::Host& host, const QStringList& batch,
              IndexingRun::Pace pace = kEachFile) {
    QByteArrayList paths;
    for (const QString& path : batch) paths.append(QFile::encodeName(path));
    runBatch(library, host, paths, pace);
}

}  // namespace

TEST(IndexingRun, FillsRowsInOrderAndAppendsASecondBatch) {
    QTemporaryDir tmp;
    QDir dir(tmp.path());
    QStringList first;
    for (int i = 0; i < 5; ++i) first << makeRecording(dir, QStringLiteral("A%1.MP4").arg(i), 3);
    // A name that is not UTF-8 is scanned by its bytes and shown with replacement characters.
    const QByteArray latin1 = QFile::encodeName(tmp.path()) + "/caf\xe9.MP4";
    makeRecordingAt(latin1.toStdString(), 9);
    const QByteArrayList second = {QFile::encodeName(makeRecording(dir, "B0.MP4", 125)),
                                   QFile::encodeName(makeRecording(dir, "notes.txt", 0, false)), latin1};

    RecordingLibrary library;
    RecordingHost host(library);
    LogCapture log;
    runBatch(library, host, first);
    EXPECT_EQ(host.events.first(), "range 0..5");
    EXPECT_EQ(host.events.last(), "value 5 5/5 [00:03 00:03 00:03 00:03 00:03]");
    // All waiting rows at once, then each indexed row alone.
    EXPECT_EQ(host.reloads, (QStringList{"0..4", "0..0", "1..1", "2..2", "3..3", "4..4"}));
    EXPECT_FALSE(library.isOperationIndexing);

    host.events.clear();
    runBatch(library, host, second);
    EXPECT_EQ(host.events, (QStringList{"range 0..8",
                                        "value 6 6/8 [00:03 00:03 00:03 00:03 00:03 02:05 : :]",
                                        "value 7 7/8 [00:03 00:03 00:03 00:03 00:03 02:05 0:0 :]",
                                        "value 8 8/8 [00:03 00:03 00:03 00:03 00:03 02:05 0:0 00:09]"}));
    EXPECT_FALSE(host.offMainThread);
    EXPECT_FALSE(host.flaggedUnlisted);
    const CurrentStorageVideo& storage = library.currentStorageVideo;
    EXPECT_EQ((std::vector<int>{library.table_cnt, int(storage.num_video_list), int(storage.video_list.size())}),
              (std::vector<int>{8, 8, 8}));
    ASSERT_EQ(storage.video_list.size(), 8);
    EXPECT_EQ((QStringList{QString::fromStdString(*storage.video_list[5]->filename), library.arrayTable_Date[5],
                           library.arrayTable_Avg[7]}),
              (QStringList{"B0.MP4", "2016/05/12", ""}));
    EXPECT_EQ(*storage.video_list[7]->filepath, latin1.toStdString());
    EXPECT_EQ(library.arrayTable_Files.mid(5), (QStringList{"B0.MP4", "notes.txt", QStringLiteral("caf\uFFFD.MP4")}));
    EXPECT_EQ(library.arrayTable_Trip.mid(5), (QStringList{"6", "7", "8"}));
    for (int row = 0; row < 8; ++row) EXPECT_TRUE(library.isRowIndexed(row)) << row;
    EXPECT_FALSE(library.isRowIndexed(8));
    EXPECT_EQ(library.arrayTable_isLoadingComplete.size(), 400);
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), "Load Finished"), 2);
}

TEST(IndexingRun, HandsScannedFilesOverInGroups) {
    QTemporaryDir tmp;
    QDir dir(tmp.path());
    QStringList batch;
    for (int i = 0; i < 7; ++i) batch << makeRecording(dir, QStringLiteral("G%1.MP4").arg(i), 2);
    RecordingLibrary library;
    RecordingHost host(library);
    runBatch(library, host, batch, {std::chrono::hours(1), 3});
    EXPECT_EQ(host.firstRows, "G0.MP4,G1.MP4,G2.MP4,G3.MP4,G4.MP4,G5.MP4,G6.MP4|:,:,:,:,:,:,:|,,,,,,|0,1,2,3,4,5,6");
    EXPECT_EQ(host.reloads, (QStringList{"0..6", "0..2", "3..5", "6..6"}));
    EXPECT_EQ(host.events, (QStringList{"range 0..7", "value 3 3/7 [00:02 00:02 00:02 : : : :]",
                                        "value 6 6/7 [00:02 00:02 00:02 00:02 00:02 00:02 :]",
                                        "value 7 7/7 [00:02 00:02 00:02 00:02 00:02 00:02 00:02]"}));
    EXPECT_FALSE(host.flaggedUnlisted);
    EXPECT_EQ(library.currentStorageVideo.video_list.size(), 7);
}

TEST(IndexingRun, EmptyBatchAndThe401stRow) {
    RecordingLibrary library;
    RecordingHost host(library);
    LogCapture log;
    runBatch(library, host, QStringList{});
    EXPECT_EQ(host.events, QStringList{"range 0..0"});
    EXPECT_TRUE(host.reloads.isEmpty());
    EXPECT_TRUE(log.contains("Load Finished"));
    EXPECT_EQ(library.table_cnt, 0);

    QTemporaryDir tmp;
    QDir dir(tmp.path());
    QStringList many;
    for (int i = 0; i < 401; ++i) many << makeRecording(dir, QStringLiteral("N%1.txt").arg(i), 0, false);
    runBatch(library, host, many, IndexingRun::Pace{});
    EXPECT_EQ(library.arrayTable_isLoadingComplete.size(), 401);
    EXPECT_TRUE(library.isRowIndexed(400));
    EXPECT_EQ(library.arrayTable_Time[400], "0:0");
    EXPECT_FALSE(host.flaggedUnlisted);
}

// A card's root: the channels of a moment are one row, the front's, which knows its
// rear file; the Kind column says what the camera made, the Folder column where below
// the root; the protected recording follows its drive, whatever its folder, and is marked so.
TEST(IndexingRun, CardRowsAreMomentsWithTheirKindFolderAndChannels) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not on PATH";
    QTemporaryDir tmp;
    const QString root = tmp.filePath("CARD");
    testgen::writeCard(root.toStdString(), testgen::CardFamily::Novatek, 2);
    RecordingLibrary library;
    RecordingHost host(library);
    library.open_folder = openedFolder({QFile::encodeName(root)});
    runBatch(library, host, batchForChoice({QFile::encodeName(root)}));
    FileTableModel model(library);
    model.reloadRows(0, library.table_cnt - 1);
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int column : {FileTableModel::File, FileTableModel::Time, FileTableModel::Folder, FileTableModel::Camera,
                           FileTableModel::Kind})
            cells << model.index(row, column).data().toString();
        for (const RowChannel& c : library.rowChannels.value(row)) cells << c.channel + "=" + QFileInfo(QFile::decodeName(c.path)).fileName();
        rows << cells.join(' ');
    }
    EXPECT_EQ(rows, (QStringList{
                        "2016_0512_090307_0001F.MP4 00:02 DCIM/Movie Novatek Normal front=2016_0512_090307_0001F.MP4 rear=2016_0512_090307_0001R.MP4",
                        "2016_0512_090309_0002F.MP4 00:02 DCIM/Movie Novatek Normal front=2016_0512_090309_0002F.MP4 rear=2016_0512_090309_0002R.MP4",
                        "2016_0512_090311_0003F.MP4 00:02 DCIM/Movie/RO Novatek Event front=2016_0512_090311_0003F.MP4 rear=2016_0512_090311_0003R.MP4",
                        "2016_0512_090413_0004F.MP4 00:02 DCIM/Movie/Parking Novatek Parking front=2016_0512_090413_0004F.MP4"}));
    QList<bool> protectedRows;
    for (const RowTelemetry& row : library.currentStorageVideo.telemetry_list) protectedRows << row.protectedByCamera;
    EXPECT_EQ(protectedRows, (QList<bool>{false, false, true, false}));
    EXPECT_EQ(library.currentStorageVideo.video_list.size(), 4);
    EXPECT_TRUE(model.severalFolders() && model.anyKind());
    EXPECT_EQ(model.headerData(FileTableModel::Kind, Qt::Horizontal).toString(), "Kind");
}

// The table hears of new rows as inserted and of indexed rows as changed, nothing more. Giving
// it focus moves its cursor to row 0 inside Qt; only a real move to a row may ask for that row.
TEST(FileTableView, SignalsOnlyChangedRowsAndFocusAloneAsksForNoRow) {
    RecordingLibrary library;
    FileTableModel model(library);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    for (int i = 0; i < 4; ++i) library.arrayTable_Files.append(QStringLiteral("R%1.MP4").arg(i));
    library.table_cnt = 4;
    model.reloadRows(0, 3);
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ((QList<int>{inserted[0][1].toInt(), inserted[0][2].toInt()}), (QList<int>{0, 3}));
    EXPECT_EQ(changed.size(), 0);
    model.reloadRows(2, 3);
    ASSERT_EQ(changed.size(), 1);
    const QModelIndex from = changed[0][0].toModelIndex(), to = changed[0][1].toModelIndex();
    EXPECT_EQ((QList<int>{from.row(), to.row(), to.column()}), (QList<int>{2, 3, FileTableModel::ColumnCount - 1}));
    EXPECT_EQ(model.data(model.index(3, FileTableModel::File)), "R3.MP4");
    struct Way {
        const char* name;
        std::function<void(FileTableView&)> focus;
    };
    const Way ways[] = {
        {"click on a row", [](FileTableView&) {}},
        {"Tab into the table", [](FileTableView&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }},
        {"click on a column header",
         [](FileTableView& t) {
             QHeaderView* h = t.horizontalHeader();
             QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(1) + 5, h->height() / 2));
         }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        QWidget window;  // where the focus is before it comes to the table
        auto* edit = new QLineEdit(&window);
        auto* table = new FileTableView(&window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(table);
        table->setModel(&model);
        QList<int> asked;
        QObject::connect(table, &FileTableView::rowAboutToBeSelected, [&](int row) { asked.append(row); });
        window.resize(400, 300);
        edit->setFocus();
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        ASSERT_TRUE(edit->hasFocus());
        way.focus(*table);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(2, 0)).center());
        ASSERT_TRUE(table->hasFocus());
        QTest::keyClick(table, Qt::Key_Up);
        EXPECT_EQ(asked, (QList<int>{2, 1}));
    }
}

// A folder without recordings: a still, empty bar (a 0..0 range is Qt's busy
// indicator) and a message saying so.
TEST(ViewController, EmptyFolderShowsAStillBarAndSaysSo) {
    QTemporaryDir tmp;
    QFile(tmp.filePath("notes.txt")).open(QIODevice::WriteOnly);
    ViewController w(MpvPlayer::Output::None);
    w.intake().setChoices({[&] { return QStringList{tmp.path()}; }, [] {}});
    actionNamed(w, "&Open…").trigger();
    ASSERT_TRUE(waitUntil([&] { return !w.isIndexing(); }));
    const QProgressBar& bar = indexingBar(w);
    EXPECT_EQ((QList<int>{bar.value(), shownRowCount(w)}), (QList<int>{bar.minimum(), 0}));
    EXPECT_LT(bar.minimum(), bar.maximum());
    EXPECT_EQ(w.statusBar()->currentMessage(), "No recordings found in " + tmp.path());
}

// The intake on its own: what it tells of a run, in order. Going away while a run is
// under way, it stops the run and waits for it: the run's flag is down when it is gone.
TEST(RecordingIntake, TellsARunInOrderAndStopsOneUnderWayWhenGone) {
    QTemporaryDir tmp, many;
    makeRecording(QDir(tmp.path()), "REC_0001.MP4", 3);
    makeRecording(QDir(tmp.path()), "REC_0002.MP4", 4);
    // Long ones: the run is in the middle of one when the intake goes.
    for (int i = 0; i < 12; ++i) makeRecording(QDir(many.path()), QStringLiteral("M%1.MP4").arg(i, 2, 10, QLatin1Char('0')), 3600);
    RecordingLibrary library;
    auto intake = std::make_unique<RecordingIntake>(library, RecordingIntake::Choices{[] { return QStringList(); }, [] {}});
    QStringList told;
    QObject::connect(intake.get(), &RecordingIntake::indexingStarted, [&] { told << "started"; });
    QObject::connect(intake.get(), &RecordingIntake::rowsChanged, [&](int first, int last) {
        told << QStringLiteral("rows %1..%2 %3").arg(first).arg(last).arg(library.arrayTable_Time.mid(first, last - first + 1).join(' '));
    });
    QObject::connect(intake.get(), &RecordingIntake::progressRangeChanged,
                     [&](double minimum, double maximum) { told << QStringLiteral("range %1..%2").arg(minimum).arg(maximum); });
    QObject::connect(intake.get(), &RecordingIntake::progressChanged,
                     [&](double value, const QString& text) { told << QStringLiteral("value %1 %2").arg(value).arg(text); });
    QSignalSpy finished(intake.get(), &RecordingIntake::indexingFinished);

    ASSERT_TRUE(intake->openPaths(QStringList{tmp.path()}));
    EXPECT_FALSE(intake->openPaths(QStringList{many.path()}));  // one run at a time
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_FALSE(intake->isIndexing());
    // However the scans were grouped, the rows end read and the count at 2/2.
    ASSERT_GE(told.size(), 5) << told.join('\n').toStdString();
    EXPECT_EQ(told.mid(0, 3), (QStringList{"started", "range 0..2", "rows 0..1 : :"}));
    EXPECT_TRUE(told.contains("rows 0..1 00:03 00:04") || told.contains("rows 1..1 00:04")) << told.join('\n').toStdString();
    EXPECT_EQ(told.last(), "value 2 2/2");
    EXPECT_EQ(finished.size(), 1);

    ASSERT_TRUE(intake->openPaths(QStringList{many.path()}));
    ASSERT_TRUE(waitUntil([&] { return library.currentStorageVideo.video_list.size() > 2; }));
    intake.reset();
    EXPECT_FALSE(library.isOperationIndexing);
    EXPECT_EQ(library.table_cnt, 14);
    EXPECT_LT(library.currentStorageVideo.video_list.size(), 14);  // the rest stays waiting
}
