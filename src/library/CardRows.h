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
    QString place;                // its folder from the batch's common folder on, that folder's name first
    QString kind;                 // "Normal", "Event", "Parking", "Manual", or empty
    QList<RowChannel> channels;   // every channel, the main one first
};

// The batch's files grouped into moments (card::groupMoments), in the order of their
// main channels. Kinds and channels are read from the paths below the folder the
// batch's files have in common (the opened folder, or deeper when all lie deeper).
std::vector<BatchRow> rowsOfBatch(const QByteArrayList& batch);
