#pragma once
// The settings that persist between runs, in the per-user settings file: the
// speed and distance units, the snapshot folder, and the map's tile and routing
// servers. Nothing is registered as a default: a missing key reads as 0 or as no
// text.

#include <QString>
#include <cstdint>

struct UserSettings {
    int64_t PresetSpeedUnit = 0;     // 0: miles per hour; 1: kilometres per hour
    int64_t PresetDistanceUnit = 0;  // 0 or 1; stored and shown, but no display depends on it
    QString PathOfSaveDirectory;     // the snapshot folder with its trailing "/"; null when never saved
    QString TileServerUrl;           // null when never saved; empty turns the map's tiles off
    QString RoutingServerUrl;        // null when never saved; empty turns routing off
    int64_t EventSensitivity = 1;    // EventSensitivity: 0 low, 1 normal (also when never saved), 2 high
    // What a snapshot of several channels saves: "main", the large channel's own frame (also
    // when never saved or unknown), or "all", the picture composed of them.
    QString PresetSnapshotChannels = QStringLiteral("main");
};

// The stored units are clamped to 0..1, what the dialog's pop-ups offer.
UserSettings loadSettings();

// Writes the two unit indexes, narrowed to 32 bits, the folder and the two
// servers, in that order, each written through at once. A null text leaves the
// stored one as it is. False, with the reason, when the settings file could not
// be written.
bool saveSettings(int32_t speedUnit, int32_t distanceUnit, const QString& saveDirectory, const QString& tileServerUrl,
                  const QString& routingServerUrl, QString* reason = nullptr);

// Writes EventSensitivity (0..2) through at once; false, with the reason, as above.
bool saveEventSensitivity(int32_t sensitivity, QString* reason = nullptr);

// Writes PresetSnapshotChannels ("main" or "all") through at once; false, with the reason, as above.
bool saveSnapshotChannels(const QString& channels, QString* reason = nullptr);

// Whether a server URL may be used: http or https with a host. Any other scheme
// has Qt read something local (a file:// FIFO blocks the window for ever).
bool isWebServerUrl(const QString& url);

// The server to use: the environment variable when it is set (even to nothing),
// else the stored text (empty: off), else the built-in server. One that is not a
// web server URL is refused with a log line, and the service is off.
QString serverUrl(const char* environmentVariable, const QString& stored, const QString& builtIn);

// The speed unit's text as the labels show it.
QString speedUnitText(int64_t speedUnit);
