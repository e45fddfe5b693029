#include "IndexingRun.h"

#include <QObject>
#include <algorithm>
#include <vector>

#include "FileBytes.h"
#include "Log.h"
#include "MovieHeader.h"
#include "SubtitleTrackReader.h"
#include "TelemetryReader.h"
#include "RowText.h"
#include "VideoTrack.h"

namespace {

struct Row {
    RecordingRecord record;
    RowTelemetry telemetry;
    QString length, date, problem, camera;
};

QString textOf(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// A scanned file's row: the camera of the scan's texts, or whichever other camera's
// reader knows the file.
Row rowOf(const RecordingRecord& record, const std::string& path, const QByteArray& file) {
    Row row{record, {}, {}, {}, {}, {}};
    // The scan completes on any movie; only one with the camera's marker has its texts.
    if (record->isSupportSubtitle == 1 && record->addrOfAmbarella_EXT != 0) {
        row.telemetry = {std::make_shared<const std::vector<telemetry::Sample>>(telemetry::samplesOf(*record)),
                         double(record->duration) / record->timescale};
        row.camera = QStringLiteral("Ambarella");
        row.length = lengthText(*record), row.date = dateText(*record);
        row.problem = rowProblem(*record, {}, mp4::hasVideoTrack(file.toStdString()));
        return row;
    }
    const std::string unreadable = telemetry::unreadableReason(path);
    // A file with the scan's marker is that camera's, damaged: the scan's reason says most.
    if (unreadable.empty() && record->addrOfAmbarella_EXT == 0) {
        telemetry::RecordingSamples read = telemetry::ReaderRegistry::standard().read(path);
        if (!read.reader.empty()) {
            row.camera = textOf(read.reader);
            const auto header = telemetry::movieHeader(telemetry::RandomAccessFile(path));
            const double seconds = header ? header->seconds() : 0.0;
            row.length = lengthText(uint32_t(std::clamp(seconds, 0.0, double(UINT32_MAX))));
            if (auto* samples = std::get_if<std::vector<telemetry::Sample>>(&read.result)) {
                row.date = dateText(*samples);
                row.telemetry = {std::make_shared<const std::vector<telemetry::Sample>>(std::move(*samples)), seconds};
                row.problem = mp4::hasVideoTrack(file.toStdString()) == false ? QObject::tr("No video track") : QString();
            } else {
                row.problem = textOf(std::get<telemetry::ReadFailure>(read.result).reason);
            }
            return row;
        }
    }
    row.length = lengthText(*record), row.date = dateText(*record);
    const bool scanned = record->isSupportSubtitle == 1;
    row.problem = rowProblem(*record, unreadable, scanned ? mp4::hasVideoTrack(file.toStdString()) : std::nullopt);
    if (scanned) row.telemetry.seconds = double(record->duration) / record->timescale;
    return row;
}

}  // namespace

IndexingRun::IndexingRun(RecordingLibrary& library, Host& host, MainThread onMain)
    : IndexingRun(library, host, std::move(onMain), Pace{}) {}

IndexingRun::IndexingRun(RecordingLibrary& library, Host& host, MainThread onMain, Pace pace)
    : library_(library), host_(host), onMain_(std::move(onMain)), pace_(pace) {}

void IndexingRun::threadDownLoadBinartFile(const QString&) {
    library_.isOperationIndexing = true;
    // The batch is only replaced while no run is under way, so it is read once, here
    // on the run's thread: pairing channels may read their movie headers.
    const std::vector<BatchRow> rows = rowsOfBatch(library_.open_files, library_.open_folder);
    const int32_t n = int32_t(rows.size());
    CurrentStorageVideo& storage = library_.currentStorageVideo;

    int32_t base = 0;
    onMain_([&] {
        host_.setProgressRange(0.0, double(storage.num_video_list) + n);
        if (n == 0) return;
        const int32_t first = library_.table_cnt;
        for (int32_t i = 0; i < n; ++i) {
            const BatchRow& row = rows[size_t(i)];
            library_.arrayTable_Files.append(fileNameOf(row.path));
            library_.arrayTable_Time.append(QStringLiteral(":"));
            library_.arrayTable_Date.append(QString());
            library_.arrayTable_Trip.append(QString::number(i));
            library_.arrayTable_Avg.append(QString());
            library_.arrayTable_Folder.append(row.folder);
            library_.arrayTable_Place.append(row.place);
            library_.arrayTable_Kind.append(row.kind);
            library_.rowChannels.append(row.channels);
            library_.arrayTable_Problem.append(QString());
            library_.arrayTable_Camera.append(QString());
            ++library_.table_cnt;
        }
        host_.reloadRows(first, library_.table_cnt - 1);
    });
    onMain_([&] {
        base = storage.num_video_list;
        storage.num_video_list = base + n;
    });

    std::vector<Row> waiting;  // scanned, not yet handed over; rows from `next` on
    int32_t next = base;
    auto lastHandOff = std::chrono::steady_clock::now();
    auto handOver = [&] {
        onMain_([&] {
            for (Row& s : waiting) {
                const int32_t k = next++;
                // The record is listed before its flag turns "true": the opener reads a
                // row's record only after seeing the flag.
                storage.video_list.append(std::move(s.record));
                storage.telemetry_list.append(std::move(s.telemetry));
                library_.arrayTable_Camera[k] = s.camera;
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
        const QByteArray& file = rows[size_t(k - base)].path;
        const std::string path = file.toStdString();
        extractor->ExtractSubtitle(*record, path);
        waiting.push_back(rowOf(record, path, file));
        waiting.back().telemetry.protectedByCamera = rows[size_t(k - base)].protectedByCamera;
        if (int32_t(waiting.size()) >= pace_.maxFiles || std::chrono::steady_clock::now() - lastHandOff >= pace_.interval)
            handOver();
    }
    if (!waiting.empty()) handOver();

    library_.isOperationIndexing = false;
    telemetry::logLine("Load Finished");
}
