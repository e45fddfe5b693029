#pragma once
// The three settings that persist between runs, in the per-user settings file.
// Nothing is registered as a default: a missing key reads as 0 or as no folder.

#include <QString>
#include <cstdint>

struct UserSettings {
    int64_t PresetSpeedUnit = 0;     // 0: miles per hour; any other value: kilometres per hour
    int64_t PresetDistanceUnit = 0;  // stored and shown, but no display depends on it
    QString PathOfSaveDirectory;     // the snapshot folder with its trailing "/"; null when never saved
};

UserSettings loadSettings();

// Writes the two unit indexes, narrowed to 32 bits, and the folder, in that order,
// each written through at once. A null folder leaves the stored one as it is.
void saveSettings(int32_t speedUnit, int32_t distanceUnit, const QString& saveDirectory);

// The speed unit's text as the labels show it.
QString speedUnitText(int64_t speedUnit);
