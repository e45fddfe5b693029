#include "SettingsStore.h"

#include <QSettings>
#include <QUrl>
#include <algorithm>

#include "Log.h"

namespace {
int64_t integerForKey(const QSettings& settings, const char* key) {
    bool ok = false;
    const qlonglong v = settings.value(QLatin1String(key)).toLongLong(&ok);
    return ok ? v : 0;
}

QString textForKey(const QSettings& settings, const QString& key) {
    const QVariant v = settings.value(key);
    return v.isValid() ? v.toString() : QString();
}

QString statusText(QSettings::Status status, const QString& file) {
    if (status == QSettings::AccessError) return QSettings::tr("the settings file %1 cannot be written").arg(file);
    return QSettings::tr("the settings file %1 is not in a readable format").arg(file);
}
}  // namespace

UserSettings loadSettings() {
    const QSettings settings;
    UserSettings s;
    s.PresetSpeedUnit = std::clamp<int64_t>(integerForKey(settings, "PresetSpeedUnit"), 0, 1);
    s.PresetDistanceUnit = std::clamp<int64_t>(integerForKey(settings, "PresetDistanceUnit"), 0, 1);
    s.PathOfSaveDirectory = textForKey(settings, QStringLiteral("PathOfSaveDirectory"));
    s.TileServerUrl = textForKey(settings, QStringLiteral("TileServerUrl"));
    s.RoutingServerUrl = textForKey(settings, QStringLiteral("RoutingServerUrl"));
    if (settings.contains(QStringLiteral("EventSensitivity")))
        s.EventSensitivity = std::clamp<int64_t>(integerForKey(settings, "EventSensitivity"), 0, 2);
    if (textForKey(settings, QStringLiteral("PresetSnapshotChannels")) == QLatin1String("all")) s.PresetSnapshotChannels = QStringLiteral("all");
    return s;
}

bool saveSettings(int32_t speedUnit, int32_t distanceUnit, const QString& saveDirectory, const QString& tileServerUrl,
                  const QString& routingServerUrl, QString* reason) {
    QSettings settings;
    const std::pair<QString, QVariant> values[] = {
        {QStringLiteral("PresetSpeedUnit"), speedUnit},
        {QStringLiteral("PresetDistanceUnit"), distanceUnit},
        {QStringLiteral("PathOfSaveDirectory"), saveDirectory},
        {QStringLiteral("TileServerUrl"), tileServerUrl},
        {QStringLiteral("RoutingServerUrl"), routingServerUrl},
    };
    for (const auto& [key, value] : values) {
        if (value.typeId() == QMetaType::QString && value.toString().isNull()) continue;
        settings.setValue(key, value);
        settings.sync();
        // A read-only or full folder: the choice would be lost without a word.
        if (settings.status() != QSettings::NoError) {
            if (reason) *reason = statusText(settings.status(), settings.fileName());
            return false;
        }
    }
    return true;
}

namespace {
bool saveValue(const QString& key, const QVariant& value, QString* reason) {
    QSettings settings;
    settings.setValue(key, value);
    settings.sync();
    if (settings.status() == QSettings::NoError) return true;
    if (reason) *reason = statusText(settings.status(), settings.fileName());
    return false;
}
}  // namespace

bool saveEventSensitivity(int32_t sensitivity, QString* reason) {
    return saveValue(QStringLiteral("EventSensitivity"), sensitivity, reason);
}

bool saveSnapshotChannels(const QString& channels, QString* reason) {
    return saveValue(QStringLiteral("PresetSnapshotChannels"), channels, reason);
}

bool isWebServerUrl(const QString& url) {
    const QUrl parsed(url.trimmed());
    const QString scheme = parsed.scheme().toLower();
    return parsed.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !parsed.host().isEmpty();
}

QString serverUrl(const char* environmentVariable, const QString& stored, const QString& builtIn) {
    const bool fromEnvironment = qEnvironmentVariableIsSet(environmentVariable);
    const QString url = fromEnvironment ? qEnvironmentVariable(environmentVariable).trimmed()
                        : !stored.isNull() ? stored.trimmed()
                                           : builtIn;
    if (url.isEmpty() || isWebServerUrl(url)) return url;
    telemetry::logLine(QStringLiteral("Ignored the server %1 from %2: only http and https URLs are taken; the service is off")
                           .arg(url, fromEnvironment ? QString::fromLatin1(environmentVariable) : QStringLiteral("the settings"))
                           .toStdString());
    return QString();
}

QString speedUnitText(int64_t speedUnit) { return speedUnit == 0 ? QStringLiteral("Mph") : QStringLiteral("Kmh"); }
