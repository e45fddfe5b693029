#include "ExportSettings.h"

#include <QSettings>

#include "CameraClock.h"

namespace {
const QString kCameraClock = QStringLiteral("CameraClock");
const QString kFormat = QStringLiteral("TrackExportFormat");
const QString kFolder = QStringLiteral("TrackExportFolder");
}  // namespace

QString cameraClockSetting(const QString& stored) {
    if (stored == QLatin1String(kCameraClockUtc)) return stored;
    if (track_export::parseUtcOffset(stored)) return stored;
    return QString::fromLatin1(kCameraClockSystem);
}

QTimeZone cameraClockZone(const QString& setting) {
    if (setting == QLatin1String(kCameraClockUtc)) return QTimeZone::utc();
    if (const auto offset = track_export::parseUtcOffset(setting)) return *offset;
    return QTimeZone::systemTimeZone();
}

QString loadCameraClock() { return cameraClockSetting(QSettings().value(kCameraClock).toString()); }

bool saveCameraClock(const QString& setting, QString* reason) {
    QSettings settings;
    settings.setValue(kCameraClock, cameraClockSetting(setting));
    settings.sync();
    if (settings.status() == QSettings::NoError) return true;
    if (reason) *reason = QSettings::tr("the settings file %1 cannot be written").arg(settings.fileName());
    return false;
}

QString loadTrackExportFormat() { return QSettings().value(kFormat).toString(); }
void saveTrackExportFormat(const QString& name) { QSettings().setValue(kFormat, name); }
QString loadTrackExportFolder() { return QSettings().value(kFolder).toString(); }
void saveTrackExportFolder(const QString& folder) { QSettings().setValue(kFolder, folder); }
