#include "IndexingRun.h"

#include <vector>

#include "FileBytes.h"
#include "Log.h"
#include "RowText.h"
#include "VideoTrack.h"

IndexingRun::IndexingRun(RecordingLibrary& library, Host& host, MainThread onMain)
    : IndexingRun(library, host, std::move(onMain), Pace{}) {}

IndexingRun::IndexingRun(RecordingLibrary& library, Host& host, MainThread onMain, Pace pace)
    : library_(library), host_(host), onMain_(std::move(onMain)), pace_(pace) {}

void IndexingRun::threadDownLoadBinartFile(const QString&) {
    library_.isOperationIndexing = true;
    // The batch is only replaced while no run is under way, so this copy is stable.
    const QByteArrayList batch = library_.open_files;
    const int32_t n = int32_t(batch.size());
    CurrentStorageVideo& storage = library_.currentStorageVideo;

    int32_t base = 0;
    onMain_([&] {
        host_.setProgressRange(0.0, double(storage.num_video_list) + n);
        if (n == 0) return;
        const int32_t first = library_.table_cnt;
        for (int32_t i = 0; i < n; ++i) {
            library_.arrayTable_Files.append(fileNameOf(batch.at(i)));
            library_.arrayTable_Time.append(QStringLiteral(":"));
            library_.arrayTable_Date.append(QString());
            library_.arrayTable_Trip.append(QString::number(i));
            library_.arrayTable_Avg.append(QString());
            library_.arrayTable_Folder.append(folderOf(batch.at(i)));
            library_.arrayTable_Problem.append(QString());
            ++library_.table_cnt;
        }
        host_.reloadRows(first, library_.table_cnt - 1);
    });
    onMain_([&] {
        base = storage.num_video_list;
        storage.num_video_list = base + n;
    });

    struct Scanned {
        RecordingRecord record;
        QString length, date, problem;
    };
    std::vector<Scanned> waiting;  // scanned, not yet handed over; rows from `next` on
    int32_t next = base;
    auto lastHandOff = std::chrono::steady_clock::now();
    auto handOver = [&] {
        onMain_([&] {
            for (Scanned& s : waiting) {
                const int32_t k = next++;
                // The record is listed before its flag turns "true": the opener reads a
                // row's record only after seeing the flag.
                storage.video_list.append(std::move(s.record));
                library_.arrayTable_Time[k] = s.length;
                library_.arrayTable_Date[k] = s.date;
                library_.arrayTable_Trip[k] = QString::number(k + 1);
                library_.arrayTable_Avg[k] = QString();
                library_.arrayTable_Problem[k] = s.problem;
                if (k < library_.arrayTable_isLoadingComplete.size())
                    library_.arrayTable_isLoadingComplete[k] = QStringLiteral("true");
                else
                    library_.arrayTable_isLoadingComplete.append(QStringLiteral("true"));
            }
            host_.reloadRows(next - int32_t(waiting.size()), next - 1);
            host_.setProgress(double(next), QStringLiteral("%1/%2").arg(next).arg(base + n));
        });
        waiting.clear();
        lastHandOff = std::chrono::steady_clock::now();
    };

    for (int32_t k = base; k < base + n && !stopRequested_; ++k) {
        auto record = std::make_shared<telemetry::Class_Video_Info>();
        auto extractor = std::make_shared<telemetry::Extract_Subtitle>();
        ClassVideoInfo = record;
        ExtractSubtitle = extractor;
        const std::string path = batch.at(k - base).toStdString();
        extractor->ExtractSubtitle(*record, path);
        const bool scanned = record->isSupportSubtitle == 1;
        const QString problem = rowProblem(*record, scanned ? std::string() : telemetry::unreadableReason(path),
                                           scanned ? hasVideoTrack(batch.at(k - base)) : std::nullopt);
        waiting.push_back({record, lengthText(*record), dateText(*record), problem});
        if (int32_t(waiting.size()) >= pace_.maxFiles || std::chrono::steady_clock::now() - lastHandOff >= pace_.interval)
            handOver();
    }
    if (!waiting.empty()) handOver();

    library_.isOperationIndexing = false;
    telemetry::logLine("Load Finished");
}
