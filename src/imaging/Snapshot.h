#pragma once
// Frame snapshots: the file name, and the PNG written whole or not at all, never
// over an existing file.

#include <QImage>
#include <QString>
#include <QTime>

// folder + recording file name + "_" + the local time as HH-mm-ss + ".png", with
// "_2", "_3", ... before ".png" for the later ones of a second (attempt 1 has no
// suffix). The folder text brings its own trailing "/". No colons: the FAT and
// exFAT of camera cards refuse them.
QString snapshotPath(const QString& folder, const QString& recordingName, const QTime& localTime, int attempt = 1);

// Writes the image as PNG to the first of snapshotPath's names that is free; an
// existing file is never replaced. The path written, or a null text with the
// reason (the system's own, such as "No space left on device").
QString writeSnapshot(const QImage& image, const QString& folder, const QString& recordingName, const QTime& localTime,
                      QString* reason);
