#include "RecordingLibrary.h"

RecordingLibrary::RecordingLibrary() { clear(); }

void RecordingLibrary::clear() {
    for (QStringList* column : {&arrayTable_Files, &arrayTable_Time, &arrayTable_Date, &arrayTable_Trip,
                                &arrayTable_Avg, &arrayTable_Folder, &arrayTable_isLoadingComplete})
        column->clear();
    table_cnt = 0;
    currentStorageVideo = CurrentStorageVideo{};
    open_files.clear();
    for (QStringList* column : {&arrayTable_Files, &arrayTable_Time, &arrayTable_Date, &arrayTable_Trip,
                                &arrayTable_Avg, &arrayTable_isLoadingComplete})
        column->reserve(kReservedRows);
    for (int i = 0; i < kReservedRows; ++i) arrayTable_isLoadingComplete.append(QStringLiteral("false"));
    currentStorageVideo.video_list.reserve(kReservedRows);
}

bool RecordingLibrary::isRowIndexed(int32_t row) const {
    return row >= 0 && row < arrayTable_isLoadingComplete.size() &&
           arrayTable_isLoadingComplete.at(row) != QLatin1String("false");
}
