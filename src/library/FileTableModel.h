#pragma once
// The file table's rows as a Qt model over the library's columns. The model
// shows the columns as they were at the last reload, as a table that is told
// to reload its data would.

#include <QAbstractTableModel>

#include "RecordingLibrary.h"

class FileTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { File, Time, Date, ColumnCount };

    explicit FileTableModel(const RecordingLibrary& library, QObject* parent = nullptr);

    // Takes over the library's current rows; the selection survives.
    void reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const RecordingLibrary& library_;
    int shownRows_ = 0;
};
