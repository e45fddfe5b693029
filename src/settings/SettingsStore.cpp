#include "SettingsStore.h"

#include <QSettings>

namespace {
int64_t integerForKey(const QSettings& settings, const char* key) {
    bool ok = false;
    const qlonglong v = settings.value(QLatin1String(key)).toLongLong(&ok);
    return ok ? v : 0;
}
}  // namespace

UserSettings loadSettings() {
    const QSettings settings;
    UserSettings s;
    s.PresetSpeedUnit = integerForKey(settings, "PresetSpeedUnit");
    s.PresetDistanceUnit = integerForKey(settings, "PresetDistanceUnit");
    const QVariant path = settings.value(QStringLiteral("PathOfSaveDirectory"));
    if (path.isValid()) s.PathOfSaveDirectory = path.toString();
    return s;
}

void saveSettings(int32_t speedUnit, int32_t distanceUnit, const QString& saveDirectory) {
    QSettings settings;
    settings.setValue(QStringLiteral("PresetSpeedUnit"), speedUnit);
    settings.sync();
    settings.setValue(QStringLiteral("PresetDistanceUnit"), distanceUnit);
    settings.sync();
    if (!saveDirectory.isNull()) {
        settings.setValue(QStringLiteral("PathOfSaveDirectory"), saveDirectory);
        settings.sync();
    }
}

QString speedUnitText(int64_t speedUnit) { return speedUnit == 0 ? QStringLiteral("Mph") : QStringLiteral("Kmh"); }
