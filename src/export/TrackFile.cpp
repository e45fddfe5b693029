#include "TrackFile.h"

#include <QFileInfo>
#include <QSaveFile>

namespace track_export {

TrackFileResult writeTrackFile(const QString& path, TrackFormat format,
                               const std::vector<std::shared_ptr<const telemetry::Class_Video_Info>>& records,
                               const QTimeZone& clockZone) {
    TrackFileResult result;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.error = file.errorString();
        return result;
    }
    bool exported = false;
    {
        TrackWriter writer(format, file, clockZone);
        for (const auto& record : records) {
            const TrackRecording recording = trackRecordingOf(*record);
            if (writer.add(recording)) {
                exported = true;
                continue;
            }
            result.withoutTrack << QFileInfo(recording.name()).fileName();
        }
        writer.finish();
    }
    if (!exported) return result;  // left uncommitted, the temporary file goes
    result.written = file.commit();
    if (!result.written) result.error = file.errorString();
    return result;
}

}  // namespace track_export
