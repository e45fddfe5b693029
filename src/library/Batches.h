#pragma once
// How a choice in the open dialog, a drop or the command line becomes the batch of
// paths for the next indexing run.

#include <QList>
#include <QStringList>
#include <QUrl>

// The full paths of a folder's direct entries whose names contain ".MP4"
// (case-sensitive), in byte order of their names. Hidden entries count like any
// other; an unreadable folder gives nothing.
QStringList recordingsInFolder(const QString& folder);

// A choice of items: when the first is a folder, its recordings (the other items
// are ignored); otherwise every item as given.
QStringList batchForChoice(const QStringList& chosen);

// The dropped items that are files (folders and anything that is not a file are
// left out), as paths in drop order.
QStringList droppedFiles(const QList<QUrl>& urls);

// Whether a drop whose first file is this path may be queued: its extension must
// be exactly "MP4".
bool isSupportedDrop(const QString& firstPath);
