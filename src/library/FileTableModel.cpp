#include "FileTableModel.h"

#include <QColor>
#include <QDate>
#include <QDir>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>

#include "DriveIndex.h"
#include "RowText.h"

namespace {

// In the order the Channels column lists them, whatever channel is main, so that rows read alike.
const struct {
    const char* channel;  // as a row names it
    const char* letter;  // the channel's name's first letter, in the Channels column
    const char* name;
} kChannels[] = {
    {"front", QT_TRANSLATE_NOOP("FileTableModel", "F"), QT_TRANSLATE_NOOP("FileTableModel", "front")},
    {"rear", QT_TRANSLATE_NOOP("FileTableModel", "R"), QT_TRANSLATE_NOOP("FileTableModel", "rear")},
    {"interior", QT_TRANSLATE_NOOP("FileTableModel", "I"), QT_TRANSLATE_NOOP("FileTableModel", "interior")},
};

// "F R" and "front, rear" for a front and rear pair; nothing for a row of one channel,
// as most rows of most cameras are.
QString channelsText(const QList<RowChannel>& channels, bool letters) {
    if (channels.size() < 2) return {};
    QStringList texts;
    for (const auto& c : kChannels) {
        const bool has = std::any_of(channels.begin(), channels.end(),
                                     [&c](const RowChannel& r) { return r.channel == QLatin1String(c.channel); });
        if (has) texts << (letters ? FileTableModel::tr(c.letter) : FileTableModel::tr(c.name));
    }
    return texts.join(letters ? QStringLiteral(" ") : QStringLiteral(", "));
}

}  // namespace

FileTableModel::FileTableModel(const RecordingLibrary& library, QObject* parent)
    : QAbstractTableModel(parent), library_(library) {}

void FileTableModel::reloadRows(int first, int last) {
    const int shownBefore = shownRows_;
    const int rows = library_.table_cnt;
    if (rows > shownRows_) {
        severalFolders_ = rowsFromSeveralFolders(library_.arrayTable_Folder);
        anyKind_ = std::any_of(library_.arrayTable_Kind.begin(), library_.arrayTable_Kind.end(),
                               [](const QString& kind) { return !kind.isEmpty(); });
        anyChannels_ = std::any_of(library_.rowChannels.begin(), library_.rowChannels.end(),
                                   [](const QList<RowChannel>& channels) { return channels.size() > 1; });
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
    severalFolders_ = false;
    anyKind_ = false;
    anyChannels_ = false;
    endResetModel();
}

void FileTableModel::drivesChanged() {
    if (shownRows_ > 0) emit dataChanged(index(0, Trip), index(shownRows_ - 1, Event));
}

int FileTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownRows_; }

int FileTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant FileTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shownRows_) return {};
    const int row = index.row();
    const bool drive = drives_ && drives_->has(row);
    // Every other trip on a band, so a trip's rows read as one: a tint of the palette's
    // base, so that its text stays readable under a dark palette too.
    if (role == Qt::BackgroundRole) {
        if (!drive || drives_->tripNumberOf(row) % 2 == 0) return {};
        const QPalette palette = QGuiApplication::palette();
        const QColor base = palette.color(QPalette::Base), tint = palette.color(QPalette::Highlight);
        return QColor::fromRgbF(0.85f * base.redF() + 0.15f * tint.redF(), 0.85f * base.greenF() + 0.15f * tint.greenF(),
                                0.85f * base.blueF() + 0.15f * tint.blueF());
    }
    // A row of no use says why wherever the pointer rests on it; its texts stay as they are.
    if (const QString problem = library_.arrayTable_Problem.value(row); role == Qt::ToolTipRole && !problem.isEmpty())
        return problem;
    if (role == Qt::ToolTipRole && drive && index.column() == Trip) return drives_->tripToolTip(row);
    if (role == Qt::ToolTipRole && drive && index.column() == Event) return drives_->eventToolTip(row);
    if (role == Qt::ToolTipRole && index.column() == Folder) return library_.arrayTable_Folder.value(row);
    // The name may show elided: the whole path, as one row among many folders needs it.
    if (role == Qt::ToolTipRole && index.column() == File && !library_.arrayTable_Folder.value(row).isEmpty())
        return QDir(library_.arrayTable_Folder.value(row)).filePath(library_.arrayTable_Files.value(row));
    if (role == Qt::ToolTipRole && index.column() == Channels) return channelsText(library_.rowChannels.value(row), false);
    if (role == SortRole) return sortValue(index);
    if (role == MarksRole) return marks(row);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    switch (index.column()) {
    case File: return library_.arrayTable_Files.value(row);
    case Time: return library_.arrayTable_Time.value(row);
    case Date: return library_.arrayTable_Date.value(row);
    case Trip: return drive ? drives_->tripText(row) : QString();
    case Event: return drive ? drives_->eventText(row) : QString();
    case Channels: return channelsText(library_.rowChannels.value(row), true);
    case Folder: {
        // Where on the card: below the opened folder, or for a file in it that folder's name.
        if (const QString place = library_.arrayTable_Place.value(row); !place.isEmpty()) return place;
        const QString folder = library_.arrayTable_Folder.value(row);
        return folder == QLatin1String("/") ? folder : folder.mid(folder.lastIndexOf(QLatin1Char('/')) + 1);
    }
    case Camera: return library_.arrayTable_Camera.value(row);
    case Kind: return library_.arrayTable_Kind.value(row);
    default: return {};
    }
}

QVariant FileTableModel::sortValue(const QModelIndex& index) const {
    const int row = index.row();
    switch (index.column()) {
    case Time: return lengthSeconds(library_.arrayTable_Time.value(row));
    // Rows not yet read (no date) first, as a date's text would have them.
    case Date: return QDate::fromString(library_.arrayTable_Date.value(row), QStringLiteral("yyyy/MM/dd")).toJulianDay();
    case Trip: return drives_ && drives_->has(row) ? qlonglong(drives_->tripNumberOf(row)) : qlonglong(-1);
    default: return data(index, Qt::DisplayRole);
    }
}

int FileTableModel::marks(int row) const {
    // An event is one the camera protected or one found in the telemetry: either is what a
    // driver looks for after a knock, and a camera that protects none still has the G events.
    // The kind's text is CardRows' own, translated as it is there.
    const QString kind = library_.arrayTable_Kind.value(row);
    const bool found = drives_ && !drives_->eventText(row).isEmpty();
    return (kind == QObject::tr("Event") || found ? EventRow : 0) | (kind == QObject::tr("Parking") ? ParkingRow : 0);
}

QVariant FileTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    if (section == Event) return QStringLiteral("⚠");  // a sign, in every language
    static const char* const titles[ColumnCount] = {QT_TR_NOOP("File"),     QT_TR_NOOP("Time"),   QT_TR_NOOP("Date"),
                                                    QT_TR_NOOP("Trip"),     nullptr,              QT_TR_NOOP("Channels"),
                                                    QT_TR_NOOP("Folder"),   QT_TR_NOOP("Camera"), QT_TR_NOOP("Kind")};
    return section >= 0 && section < ColumnCount ? QVariant(tr(titles[section])) : QVariant();
}
