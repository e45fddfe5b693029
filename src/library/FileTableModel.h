#pragma once
// The file table's rows as a Qt model over the library's columns. The model
// shows the rows as they were at the last reload; a reload names the rows that
// changed, so the view repaints and re-lays out only those.

#include <QAbstractTableModel>

#include "RecordingLibrary.h"

class DriveIndex;

class FileTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { File, Time, Date, Trip, Event, Channels, Folder, Camera, Kind, ColumnCount };
    // A cell's value to sort by: numbers where the text holds one (a length, a trip's number).
    static constexpr int SortRole = Qt::UserRole;
    // A row's RowMarks, which the View menu's filters go by.
    static constexpr int MarksRole = Qt::UserRole + 1;
    enum RowMark { EventRow = 1, ParkingRow = 2 };

    explicit FileTableModel(const RecordingLibrary& library, QObject* parent = nullptr);
    // The trips and events the Trip and event columns show; none until set.
    void setDrives(const DriveIndex* drives) { drives_ = drives; }

    // Takes over the library's new rows and the changes to rows first to last;
    // the selection survives.
    void reloadRows(int first, int last);
    // Shows no rows, after the library was cleared.
    void clear();
    // The trips regrouped: any row's Trip and event cells may read otherwise.
    void drivesChanged();
    // Whether the rows shown come from more than one folder.
    bool severalFolders() const { return severalFolders_; }
    // Whether any row shown is of a kind the camera told (normal, event, ...).
    bool anyKind() const { return anyKind_; }
    // Whether any row shown has more than one channel.
    bool anyChannels() const { return anyChannels_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVariant sortValue(const QModelIndex& index) const;
    int marks(int row) const;

    const RecordingLibrary& library_;
    int shownRows_ = 0;
    bool severalFolders_ = false;
    bool anyKind_ = false;
    bool anyChannels_ = false;
    const DriveIndex* drives_ = nullptr;
};
