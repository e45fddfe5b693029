#pragma once
// File ▸ Export Track…: which recordings, in which format, to which file; then the
// file written with the camera's clock read in the zone the settings give.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>
#include <vector>

#include "CurrentStorageVideo.h"
#include "DriveIndex.h"
#include "RecordingLibrary.h"
#include "TrackExport.h"

class QMainWindow;

enum class ExportScope { Recording, Trip, All };

// The list rows an export of the scope takes, in list order: the row on screen,
// the rows of its trip, or every listed row. Empty when the scope needs a row on
// screen and there is none (currentRow < 0 or not listed).
std::vector<int> exportRows(ExportScope scope, int currentRow, const DriveIndex& drives, int listed);

struct TrackFormatChoice {
    track_export::TrackFormat format;
    const char* name;    // as the settings and the command-line tool have it
    const char* filter;  // the save dialog's name filter
    const char* suffix;
};
inline constexpr TrackFormatChoice kTrackFormats[] = {
    {track_export::TrackFormat::Gpx, "gpx", "GPX 1.1 (*.gpx)", "gpx"},
    {track_export::TrackFormat::Gpx10, "gpx10", "GPX 1.0 (*.gpx)", "gpx"},
    {track_export::TrackFormat::Kml, "kml", "KML (*.kml)", "kml"},
    {track_export::TrackFormat::GeoJson, "geojson", "GeoJSON (*.geojson)", "geojson"},
    {track_export::TrackFormat::Csv, "csv", "CSV (*.csv)", "csv"},
};
// The entry of a format name; GPX 1.1 for an unknown one.
const TrackFormatChoice& trackFormatChoice(const QString& name);
// The path with the format's suffix when the name typed has none.
QString withSuffix(const QString& path, const TrackFormatChoice& format);

class ExportTrackAction : public QObject {
    Q_OBJECT
public:
    explicit ExportTrackAction(QMainWindow* window);

    // What the user is offered.
    struct Offer {
        QString recording;  // the file name of the row on screen; empty when none
        int tripRows = 0, allRows = 0;
        QString format, folder;  // the last ones used, or empty
    };
    struct Choice {
        ExportScope scope = ExportScope::All;
        QString format;  // a kTrackFormats name
        QString path;
    };

    // Asks, then writes. currentRow: the list row on screen, -1 when none.
    void run(const RecordingLibrary& library, const DriveIndex& drives, int currentRow);

protected:
    // The scope, format and file the user picks; nullopt when cancelled. Tests replace it.
    virtual std::optional<Choice> chooseExport(const Offer& offer);
    // An outcome for the user: a warning, or a short note when all went well.
    virtual void tell(const QString& text, bool warning);

    QMainWindow* window_;
};
