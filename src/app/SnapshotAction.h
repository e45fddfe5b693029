#pragma once
// Playback ▸ Snapshot: the frame on screen as a PNG in the snapshot folder, and what the
// status bar says of it.

#include <QByteArray>
#include <QImage>
#include <QString>

class MediaPlayer;

struct SnapshotOutcome {
    QString message;
    int timeoutMs = 5000;
};

// `recording` is the file name of the open recording, empty while none is; `folder` is
// null until the user has chosen one. With several channels on screen, allChannels saves
// the picture composed of them, else the large channel's own frame at its own size.
SnapshotOutcome takeSnapshot(MediaPlayer& player, const QString& recording, const QString& folder, bool allChannels);

// The frame of a video file shown at this time (its first at or after it, less a
// millisecond for the position's rounding), or its last for a negative time, decoded by
// ffmpeg; a null image with a reason when there is none.
QImage decodedFrame(const QByteArray& file, double seconds, QString* reason);
