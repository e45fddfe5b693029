#pragma once
// The export settings kept with the others: the zone of the camera's clock
// ("CameraClock": "system", "UTC" or an offset such as "+02:00") and the format
// and folder of the last track export ("TrackExportFormat", "TrackExportFolder").

#include <QString>
#include <QTimeZone>

inline constexpr char kCameraClockSystem[] = "system";
inline constexpr char kCameraClockUtc[] = "UTC";

// The stored text as one of the three forms; anything else (missing, garbage)
// is "system", this computer's zone.
QString cameraClockSetting(const QString& stored);
// The zone the camera's clock is read in. "system" is the computer's zone with its
// rules, so a recording's own date decides between summer and winter time.
QTimeZone cameraClockZone(const QString& setting);

QString loadCameraClock();
// False, with the reason, when the settings file could not be written.
bool saveCameraClock(const QString& setting, QString* reason = nullptr);

// The format's name as the command-line tool takes it ("gpx", "kml", ...); empty
// when none was saved.
QString loadTrackExportFormat();
void saveTrackExportFormat(const QString& name);
QString loadTrackExportFolder();  // empty when none was saved
void saveTrackExportFolder(const QString& folder);
