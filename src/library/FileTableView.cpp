#include "FileTableView.h"

#include <QDragEnterEvent>
#include <QStyle>
#include <algorithm>
#include <utility>
#include <QHeaderView>
#include <QMimeData>
#include <QSortFilterProxyModel>

#include "Batches.h"
#include "FileTableModel.h"

namespace {
bool offersFiles(const QMimeData* mime) { return mime && mime->hasUrls() && !droppedFiles(mime->urls()).isEmpty(); }
}  // namespace

// The rows in the order the user chose, those the filter lets through. A row's marks
// change as its events are found: the proxy filters a changed row again by itself.
class ShownRows : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    RowFilter filter() const { return filter_; }
    void setFilter(RowFilter filter) {
        filter_ = filter;
        invalidateRowsFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        if (filter_ == RowFilter::All) return true;
        const int marks = sourceModel()->index(row, 0, parent).data(FileTableModel::MarksRole).toInt();
        return marks & (filter_ == RowFilter::EventsOnly ? FileTableModel::EventRow : FileTableModel::ParkingRow);
    }

private:
    RowFilter filter_ = RowFilter::All;
};

FileTableView::FileTableView(QWidget* parent) : QTableView(parent), sorted_(new ShownRows(this)) {
    setAccessibleName(tr("Recordings"));
    // Tab leaves the table: moving from cell to cell would go from row to row, each one played.
    setTabKeyNavigation(false);
    sorted_->setSortRole(FileTableModel::SortRole);
    sorted_->setSortCaseSensitivity(Qt::CaseInsensitive);
    // Unsorted until the user clicks a title; a third click goes back to the model's order.
    horizontalHeader()->setSortIndicatorClearable(true);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    setSortingEnabled(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setShowGrid(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DropOnly);
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(sorted_, signal, this, &FileTableView::rowCountsChanged);
    connect(sorted_, &QAbstractItemModel::modelReset, this, &FileTableView::rowCountsChanged);
}

void FileTableView::setModel(QAbstractItemModel* model) {
    sorted_->setSourceModel(model);
    QTableView::setModel(model ? sorted_ : nullptr);
    if (selectionModel()) connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &FileTableView::selectionMoved);
    // A reset drops the selection without a word: nothing asked for stays pending.
    if (model) connect(model, &QAbstractItemModel::modelReset, this, [this] { asked_ = -1; });
    auto* files = qobject_cast<FileTableModel*>(model);
    if (!files) return;
    // Shares the room the File column leaves, so no row needs scrolling sideways.
    horizontalHeader()->setSectionResizeMode(FileTableModel::Folder, QHeaderView::Stretch);
    horizontalHeader()->setSectionResizeMode(FileTableModel::Camera, QHeaderView::ResizeToContents);
    horizontalHeader()->setSectionResizeMode(FileTableModel::Kind, QHeaderView::ResizeToContents);
    const auto showFolders = [this, files] {
        setColumnHidden(FileTableModel::Folder, !files->severalFolders());
        setColumnHidden(FileTableModel::Kind, !files->anyKind());
        setColumnHidden(FileTableModel::Channels, !files->anyChannels());
    };
    // A row the filter hides is still one of all the rows.
    connect(files, &QAbstractItemModel::rowsInserted, this, &FileTableView::rowCountsChanged);
    connect(files, &QAbstractItemModel::rowsInserted, this, showFolders);
    connect(files, &QAbstractItemModel::modelReset, this, showFolders);
    showFolders();
}

void FileTableView::selectRowQuietly(int row) {
    if (!model() || row < 0 || row >= model()->rowCount()) return;
    const QModelIndex index = sorted_->mapFromSource(sorted_->sourceModel()->index(row, 0));
    quiet_ = true;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    quiet_ = false;
    scrollTo(index);
}

int FileTableView::shownNeighbour(int row, int delta) const {
    const QAbstractItemModel* all = sorted_->sourceModel();
    if (!all) return -1;
    const QModelIndex shown = sorted_->mapFromSource(all->index(row, 0));
    if (shown.isValid()) return sourceRow(sorted_->index(shown.row() + delta, 0));
    if (delta == 0) return -1;
    // The row playing was filtered out: the shown order does not place it.
    for (int next = row + (delta > 0 ? 1 : -1); next >= 0 && next < all->rowCount(); next += delta > 0 ? 1 : -1)
        if (sorted_->mapFromSource(all->index(next, 0)).isValid()) return next;
    return -1;
}

void FileTableView::setRowFilter(RowFilter filter) {
    if (filter == sorted_->filter()) return;
    sorted_->setFilter(filter);
}

RowFilter FileTableView::rowFilter() const { return sorted_->filter(); }
int FileTableView::shownRowCount() const { return sorted_->rowCount(); }
int FileTableView::allRowCount() const { return sorted_->sourceModel() ? sorted_->sourceModel()->rowCount() : 0; }

int FileTableView::sourceRow(const QModelIndex& shown) const {
    const QModelIndex source = sorted_->mapToSource(shown);
    return source.isValid() ? source.row() : -1;
}

void FileTableView::selectionMoved() {
    const QModelIndexList rows = selectionModel()->selectedRows();
    const int row = rows.isEmpty() ? -1 : sourceRow(rows.first());
    const bool asked = std::exchange(asked_, -1) == row;
    if (!quiet_ && !asked && row >= 0) emit rowAboutToBeSelected(row);
}

void FileTableView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && event->button() == Qt::LeftButton) {
        asked_ = sourceRow(index);
        emit rowAboutToBeSelected(asked_);
    }
    QTableView::mousePressEvent(event);
}

QItemSelectionModel::SelectionFlags FileTableView::selectionCommand(const QModelIndex& index, const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags command = QTableView::selectionCommand(index, event);
    return command.testFlag(QItemSelectionModel::Deselect) || command.testFlag(QItemSelectionModel::Toggle)
               ? QItemSelectionModel::NoUpdate
               : command;
}

void FileTableView::keyPressEvent(QKeyEvent* event) {
    movingByKey_ = true;
    QTableView::keyPressEvent(event);
    movingByKey_ = false;
}

QModelIndex FileTableView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex next = QTableView::moveCursor(action, modifiers);
    if (movingByKey_ && next.isValid() && next.row() != currentIndex().row()) {
        asked_ = sourceRow(next);
        emit rowAboutToBeSelected(asked_);
    }
    return next;
}

void FileTableView::fixColumnWidths(const QStringList& samples) {
    QHeaderView* header = horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    const int padding = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin) + 16;
    for (int i = 0; i < samples.size() && i + 1 < header->count(); ++i) {
        const QString title = model()->headerData(i + 1, Qt::Horizontal).toString();
        const int text = std::max(fontMetrics().horizontalAdvance(samples[i]), header->fontMetrics().horizontalAdvance(title));
        header->setSectionResizeMode(i + 1, QHeaderView::Fixed);
        header->resizeSection(i + 1, text + padding);
    }
}

void FileTableView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    // The filter hides the row playing: the view would highlight the next row instead, and so
    // play it. The row playing plays on, highlighted nowhere.
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.parent() == parent && current.row() >= start && current.row() <= end) {
        quiet_ = true;
        selectionModel()->clear();
        quiet_ = false;
    }
    QTableView::rowsAboutToBeRemoved(parent, start, end);
}

void FileTableView::dragEnterEvent(QDragEnterEvent* event) {
    if (offersFiles(event->mimeData())) event->acceptProposedAction();
    else event->ignore();
}

void FileTableView::dragMoveEvent(QDragMoveEvent* event) {
    if (offersFiles(event->mimeData())) event->acceptProposedAction();
    else event->ignore();
}

void FileTableView::dropEvent(QDropEvent* event) {
    if (!offersFiles(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(event->mimeData()->urls());
}
