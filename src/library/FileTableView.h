#pragma once
// The file table: asks for a row whenever the user selects it (which is what
// starts playback), so the highlighted row is the one that plays, and takes drops
// of files anywhere on it. A click on a column's title sorts by it; the rows it
// tells and takes are always the model's own.

#include <QStringList>
#include <QTableView>
#include <QUrl>

class ShownRows;

// Which rows the table shows: the View menu's choice.
enum class RowFilter { All, EventsOnly, ParkingOnly };

class FileTableView : public QTableView {
    Q_OBJECT
public:
    explicit FileTableView(QWidget* parent = nullptr);

    // Selects a row from code, without asking (the end of a recording opens the
    // next one itself).
    void selectRowQuietly(int row);
    // The row shown delta rows on from a row; -1 past either end. From a row the
    // filter hides, the nearest shown one beyond it in the model's order.
    int shownNeighbour(int row, int delta) const;

    // Shows only the rows the filter lets through; the model keeps all of them.
    void setRowFilter(RowFilter filter);
    RowFilter rowFilter() const;
    // The rows shown, and all the model's.
    int shownRowCount() const;
    int allRowCount() const;

    // Gives column i + 1 the width of samples[i] (or of its title, if wider) and the
    // first column the rest: measuring every row's text as rows change would cost
    // more than indexing them.
    void fixColumnWidths(const QStringList& samples);

    // Also shows the Folder column of a FileTableModel only while its rows come
    // from more than one folder.
    void setModel(QAbstractItemModel* model) override;

signals:
    // Emitted when the user selects the row: before the selection moves for a click
    // or a key, as it moves for anything else (a drag across rows, typing a name).
    void rowAboutToBeSelected(int row);
    // Files (not folders) dropped on the table, in drop order.
    void filesDropped(const QList<QUrl>& urls);
    // The rows shown or all the rows may count otherwise.
    void rowCountsChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    // The row that plays stays highlighted: a Ctrl+click does not deselect it.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index, const QEvent* event) const override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

private:
    void selectionMoved();
    int sourceRow(const QModelIndex& shown) const;

    ShownRows* sorted_;

    // The view also moves its cursor when it gains focus without a current row;
    // only a key's move is the user's.
    bool movingByKey_ = false;
    bool quiet_ = false;  // the selection is moved from code
    int asked_ = -1;      // the row asked for ahead of its selection
};
