#include "FileTableView.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMimeData>

#include "Batches.h"

namespace {
bool offersFiles(const QMimeData* mime) { return mime && mime->hasUrls() && !droppedFiles(mime->urls()).isEmpty(); }
}  // namespace

FileTableView::FileTableView(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setShowGrid(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DropOnly);
}

void FileTableView::selectRowQuietly(int row) {
    if (!model() || row < 0 || row >= model()->rowCount()) return;
    const QModelIndex index = model()->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void FileTableView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && event->button() == Qt::LeftButton) emit rowAboutToBeSelected(index.row());
    QTableView::mousePressEvent(event);
}

QModelIndex FileTableView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex next = QTableView::moveCursor(action, modifiers);
    if (next.isValid() && next.row() != currentIndex().row()) emit rowAboutToBeSelected(next.row());
    return next;
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
