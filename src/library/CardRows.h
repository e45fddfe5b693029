#pragma once
// A batch's files as the rows of the table: the channels of one moment are one row,
// its main channel's, and each row knows where on the card it lies and what kind of
// recording the camera made.

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QString>
#include <vector>

struct RowChannel {
    QString channel;  // "front", "rear" or "interior"
    QByteArray path;
};

struct BatchRow {
    QByteArray path;              // the main channel's: the one indexed
    QString folder;               // the full folder of that file
    // Its folder below the opened folder (empty when in it), or for loose files from
    // their common folder on, that folder's name first.
    QString place;
    QString kind;                 // "Normal", "Event", "Parking", "Manual", or empty
    bool protectedByCamera = false;  // its kind is Event
    QList<RowChannel> channels;   // every channel, the main one first
};

// The batch's files grouped into moments (card::groupMoments), in the order of their
// main channels. Kinds and channels are read from the paths from openedFolder's name
// on, when the batch is that folder's recordings; for loose files (openedFolder empty)
// from the name of the folder they have in common on.
std::vector<BatchRow> rowsOfBatch(const QByteArrayList& batch, const QByteArray& openedFolder = {});
