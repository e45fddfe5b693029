#pragma once
// The file table: asks before a row is selected by the user (which is what starts
// playback), and takes drops of files anywhere on it.

#include <QStringList>
#include <QTableView>
#include <QUrl>

class FileTableView : public QTableView {
    Q_OBJECT
public:
    explicit FileTableView(QWidget* parent = nullptr);

    // Selects a row from code, without asking (the end of a recording opens the
    // next one itself).
    void selectRowQuietly(int row);

    // Gives column i + 1 the width of samples[i] (or of its title, if wider) and the
    // first column the rest: measuring every row's text as rows change would cost
    // more than indexing them.
    void fixColumnWidths(const QStringList& samples);

    // Also shows the Folder column of a FileTableModel only while its rows come
    // from more than one folder.
    void setModel(QAbstractItemModel* model) override;

signals:
    // Emitted before the selection moves to the row, by a click or the keyboard.
    void rowAboutToBeSelected(int row);
    // Files (not folders) dropped on the table, in drop order.
    void filesDropped(const QList<QUrl>& urls);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The view also moves its cursor when it gains focus without a current row;
    // only a key's move is the user's.
    bool movingByKey_ = false;
};
