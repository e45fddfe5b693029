#include "IndexingRun.h"

#include <QFile>

#include "Log.h"
#include "RowText.h"

IndexingRun::IndexingRun(RecordingLibrary& library, Host& host, MainThread onMain)
    : library_(library), host_(host), onMain_(std::move(onMain)) {}

void IndexingRun::threadDownLoadBinartFile(const QString&) {
    library_.isOperationIndexing = true;
    // The batch is only replaced while no run is under way, so this copy is stable.
    const QStringList batch = library_.open_files;
    const int32_t n = int32_t(batch.size());
    CurrentStorageVideo& storage = library_.currentStorageVideo;

    onMain_([&] { host_.setProgressRange(0.0, double(storage.num_video_list) + n); });

    for (int32_t i = 0; i < n; ++i) {
        onMain_([&] {
            library_.arrayTable_Files.append(fileNameOf(batch.at(i)));
            library_.arrayTable_Time.append(QStringLiteral(":"));
            library_.arrayTable_Date.append(QString());
            library_.arrayTable_Trip.append(QString::number(i));
            library_.arrayTable_Avg.append(QString());
            ++library_.table_cnt;
            host_.reloadTable();
        });
    }

    int32_t base = 0;
    onMain_([&] {
        base = storage.num_video_list;
        storage.num_video_list = base + n;
    });

    for (int32_t k = base; k < base + n && !stopRequested_; ++k) {
        auto record = std::make_shared<telemetry::Class_Video_Info>();
        auto extractor = std::make_shared<telemetry::Extract_Subtitle>();
        ClassVideoInfo = record;
        ExtractSubtitle = extractor;
        extractor->ExtractSubtitle(*record, QFile::encodeName(batch.at(k - base)).toStdString());
        const QString length = lengthText(*record);
        const QString date = dateText(*record);

        onMain_([&] {
            // The record is listed before its flag turns "true": the opener reads a
            // row's record only after seeing the flag.
            storage.video_list.append(record);
            library_.arrayTable_Time[k] = length;
            library_.arrayTable_Date[k] = date;
            library_.arrayTable_Trip[k] = QString::number(k + 1);
            library_.arrayTable_Avg[k] = QString();
            if (k < library_.arrayTable_isLoadingComplete.size())
                library_.arrayTable_isLoadingComplete[k] = QStringLiteral("true");
            else
                library_.arrayTable_isLoadingComplete.append(QStringLiteral("true"));
            host_.reloadTable();
            host_.setProgress(double(k + 1), QStringLiteral("%1/%2").arg(k + 1).arg(base + n));
        });
    }

    library_.isOperationIndexing = false;
    telemetry::logLine("Load Finished");
}
