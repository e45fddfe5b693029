#pragma once
// A track export written to a file as a whole or not at all.

#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <memory>
#include <vector>

#include "Class_Video_Info.h"
#include "TrackExport.h"

namespace track_export {

struct TrackFileResult {
    bool written = false;      // the file is in place
    QStringList withoutTrack;  // the recordings that had no track point, by file name
    QString error;             // why the file could not be written; empty otherwise
};

// Writes the records' tracks to path through a temporary file that replaces it
// only when complete. When no record has a track point, nothing is written and
// path is left as it was.
TrackFileResult writeTrackFile(const QString& path, TrackFormat format,
                               const std::vector<std::shared_ptr<const telemetry::Class_Video_Info>>& records,
                               const QTimeZone& clockZone);

}  // namespace track_export
