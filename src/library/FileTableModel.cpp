#include "FileTableModel.h"

#include <algorithm>

FileTableModel::FileTableModel(const RecordingLibrary& library, QObject* parent)
    : QAbstractTableModel(parent), library_(library) {}

void FileTableModel::reloadRows(int first, int last) {
    const int shownBefore = shownRows_;
    const int rows = library_.table_cnt;
    if (rows > shownRows_) {
        beginInsertRows({}, shownRows_, rows - 1);
        shownRows_ = rows;
        endInsertRows();
    }
    // Rows just inserted are read afresh anyway.
    last = std::min(last, shownBefore - 1);
    if (first <= last) emit dataChanged(index(first, 0), index(last, ColumnCount - 1));
}

void FileTableModel::clear() {
    beginResetModel();
    shownRows_ = 0;
    endResetModel();
}

int FileTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownRows_; }

int FileTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant FileTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shownRows_ || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const int row = index.row();
    switch (index.column()) {
    case File: return library_.arrayTable_Files.value(row);
    case Time: return library_.arrayTable_Time.value(row);
    case Date: return library_.arrayTable_Date.value(row);
    default: return {};
    }
}

QVariant FileTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const titles[ColumnCount] = {"File", "Time", "Date"};
    return section >= 0 && section < ColumnCount ? QVariant(QString::fromLatin1(titles[section])) : QVariant();
}
