#pragma once
// How a choice in the open dialog, a drop or the command line becomes the batch of
// paths for the next indexing run. Paths are the file system's bytes, so a name
// that is not UTF-8 (common on cards written by cameras) survives to the scan.

#include <QByteArrayList>
#include <QList>
#include <QUrl>

// The full paths of the recordings on a card opened at folder: its entries and
// those of its subfolders whose names end in ".mp4" or ".mov" in any case, hidden
// entries (a name starting with ".", such as the "._" twins a Mac writes) left
// out, ordered by their paths relative to folder (card::recordingsOnCard). For a
// folder without subfolders that is byte order of the names. An unreadable folder
// gives nothing.
QByteArrayList recordingsInFolder(const QByteArray& folder);

// A choice of items: when the first is a folder, its recordings (the other items
// are ignored); otherwise every item as given.
QByteArrayList batchForChoice(const QByteArrayList& chosen);
// The folder a choice opens: its first item when that is a folder, else empty.
QByteArray openedFolder(const QByteArrayList& chosen);

// The dropped items that are files (folders and anything that is not a file are
// left out), as paths in drop order.
QByteArrayList droppedFiles(const QList<QUrl>& urls);

// Whether a drop whose first file is this path may be queued: by the name alone,
// as a folder's recordings are chosen.
bool isSupportedDrop(const QByteArray& firstPath);
