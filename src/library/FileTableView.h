#pragma once
// The file table: asks before a row is selected by the user (which is what starts
// playback), and takes drops of files anywhere on it.

#include <QTableView>
#include <QUrl>

class FileTableView : public QTableView {
    Q_OBJECT
public:
    explicit FileTableView(QWidget* parent = nullptr);

    // Selects a row from code, without asking (the end of a recording opens the
    // next one itself).
    void selectRowQuietly(int row);

signals:
    // Emitted before the selection moves to the row, by a click or the keyboard.
    void rowAboutToBeSelected(int row);
    // Files (not folders) dropped on the table, in drop order.
    void filesDropped(const QList<QUrl>& urls);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
