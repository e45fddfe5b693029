#pragma once
// Frame snapshots: the file name, and the PNG written whole or not at all.

#include <QDateTime>
#include <QImage>
#include <QString>

// folder + recording file name + "_" + the local time as HH:mm:ss + ".png"; the
// folder text brings its own trailing "/".
QString snapshotPath(const QString& folder, const QString& recordingName, const QTime& localTime);

// Writes the image as PNG through a temporary file that replaces path only when
// complete. False with a reason when it could not.
bool writePng(const QImage& image, const QString& path, QString* reason);
