#pragma once
// Playback ▸ Snapshot: the frame on screen as a PNG in the snapshot folder, and what the
// status bar says of it.

#include <QString>

class MediaPlayer;

struct SnapshotOutcome {
    QString message;
    int timeoutMs = 5000;
};

// `recording` is the file name of the open recording, empty while none is; `folder` is
// null until the user has chosen one.
SnapshotOutcome takeSnapshot(MediaPlayer& player, const QString& recording, const QString& folder);
