#pragma once
// The indexed recordings in table-row order, and what is playing now.

#include <QString>
#include <QVector>
#include <cstdint>
#include <memory>

#include "Class_Video_Info.h"
#include "Sample.h"

using RecordingRecord = std::shared_ptr<const telemetry::Class_Video_Info>;

// A row's telemetry as numbers, whichever camera wrote it, its video's length, and
// whether it is an event the camera protected.
struct RowTelemetry {
    std::shared_ptr<const std::vector<telemetry::Sample>> samples;  // null: none
    double seconds = 0;
    bool protectedByCamera = false;  // the camera kept it as an event
};

struct CurrentStorageVideo {
    int32_t num_video_list = 0;  // counts a whole batch from the start of its second phase
    int32_t indexOfNowPlaying = 0;
    int32_t currentdegree = 0;
    QVector<RecordingRecord> video_list;  // entry i belongs to table row i
    QVector<RowTelemetry> telemetry_list;  // entry i belongs to table row i, listed with it
    QString filenameOfNowPlaying;
    QString filepathOfNowPlaying;
};
