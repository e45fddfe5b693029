#include "RecordingLibrary.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {
bool sameFile(const QByteArray& a, const std::string& b) {
    std::error_code error;  // either missing: not the same
    return std::filesystem::equivalent(a.toStdString(), b, error);
}
}  // namespace

RecordingLibrary::RecordingLibrary() { clear(); }

void RecordingLibrary::clear() {
    for (QStringList* column : {&arrayTable_Files, &arrayTable_Time, &arrayTable_Date, &arrayTable_Trip,
                                &arrayTable_Avg, &arrayTable_Folder, &arrayTable_Place, &arrayTable_Kind,
                                &arrayTable_Problem, &arrayTable_Camera, &arrayTable_isLoadingComplete})
        column->clear();
    rowChannels.clear();
    table_cnt = 0;
    currentStorageVideo = CurrentStorageVideo{};
    open_files.clear();
    open_folder.clear();
    for (QStringList* column : {&arrayTable_Files, &arrayTable_Time, &arrayTable_Date, &arrayTable_Trip,
                                &arrayTable_Avg, &arrayTable_isLoadingComplete})
        column->reserve(kReservedRows);
    for (int i = 0; i < kReservedRows; ++i) arrayTable_isLoadingComplete.append(QStringLiteral("false"));
    currentStorageVideo.video_list.reserve(kReservedRows);
    currentStorageVideo.telemetry_list.reserve(kReservedRows);
}

bool RecordingLibrary::isRowIndexed(int32_t row) const {
    return row >= 0 && row < arrayTable_isLoadingComplete.size() &&
           arrayTable_isLoadingComplete.at(row) != QLatin1String("false");
}

bool RecordingLibrary::listsFile(const QByteArray& path) const {
    return isRecordingFile(path, currentStorageVideo.video_list) ||
           std::any_of(open_files.begin(), open_files.end(), [&](const QByteArray& f) { return sameFile(path, f.toStdString()); });
}

bool isRecordingFile(const QByteArray& path, const QVector<RecordingRecord>& recordings) {
    return std::any_of(recordings.begin(), recordings.end(),
                       [&](const RecordingRecord& r) { return r && r->filepath && sameFile(path, *r->filepath); });
}
