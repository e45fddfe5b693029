#pragma once
// What the file table shows and what the indexing run fills: the row columns, the
// recording list and the batch to index. Only the main thread changes it; the
// indexing thread hands its writes over (see IndexingRun).

#include <QByteArrayList>
#include <QStringList>
#include <atomic>
#include <cstdint>

#include "CardRows.h"
#include "CurrentStorageVideo.h"

struct RecordingLibrary {
    static constexpr int kReservedRows = 400;

    RecordingLibrary();

    QStringList arrayTable_Files;  // file name per row
    QStringList arrayTable_Time;   // ":" while waiting, then "mm:ss"
    QStringList arrayTable_Date;   // empty while waiting, then the recording's date
    QStringList arrayTable_Trip;   // row number, never shown
    QStringList arrayTable_Avg;    // empty texts, never shown
    QStringList arrayTable_Folder;  // the folder of each row's file
    QStringList arrayTable_Place;   // that folder below the opened one (BatchRow::place)
    QStringList arrayTable_Kind;    // what the camera made of it: "Normal", "Event", ... or empty
    QList<QList<RowChannel>> rowChannels;  // each row's channels, the main (indexed) one first
    QStringList arrayTable_Problem;  // why an indexed row's recording is of no use, or empty
    QStringList arrayTable_Camera;   // the reader of the row's telemetry, or empty
    QStringList arrayTable_isLoadingComplete;  // "true" once the row's record is listed
    int32_t table_cnt = 0;
    std::atomic<bool> isOperationIndexing{false};
    CurrentStorageVideo currentStorageVideo;
    // The batch of the next indexing run, as the file system's bytes; the channels of
    // one moment become one row.
    QByteArrayList open_files;
    // The folder the batch is the recordings of, where the Folder column starts;
    // empty for loose files.
    QByteArray open_folder;

    // A row counts as indexed only when its flag reads "true"; rows past the flag
    // list (from 400 on, before indexing) do not.
    bool isRowIndexed(int32_t row) const;
    // Back to no rows, as constructed; not while a run is indexing.
    void clear();
    // Whether the path names a listed recording or one of the batch being indexed.
    bool listsFile(const QByteArray& path) const;
};

// Whether the path names the same file (device and inode) as one of the recordings,
// however either is spelled: through a symbolic link, "..", or a hard link. A path
// that does not exist names none.
bool isRecordingFile(const QByteArray& path, const QVector<RecordingRecord>& recordings);
