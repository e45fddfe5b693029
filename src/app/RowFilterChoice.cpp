#include "RowFilterChoice.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QStatusBar>

#include "FileTableView.h"
#include "MainMenu.h"
#include "PlaybackSession.h"

void connectRowFilter(MainMenu& menu, FileTableView& table, const PlaybackSession& session, QStatusBar& status) {
    // A lasting note rather than a message: the next "Opening …" would wipe a message away.
    auto* note = new QLabel(&status);
    note->setObjectName(QStringLiteral("rowFilterNote"));
    status.addPermanentWidget(note);
    const auto count = [note, &table] {
        const int shown = table.shownRowCount(), all = table.allRowCount();
        switch (table.rowFilter()) {
            case RowFilter::All: note->clear(); break;
            case RowFilter::EventsOnly:
                note->setText(QObject::tr("Showing events only: %1 of %2 recordings").arg(shown).arg(all));
                break;
            case RowFilter::ParkingOnly:
                note->setText(QObject::tr("Showing parking only: %1 of %2 recordings").arg(shown).arg(all));
                break;
        }
        note->setVisible(table.rowFilter() != RowFilter::All);
    };
    QObject::connect(menu.rowFilters, &QActionGroup::triggered, &table, [&table, &session, count](const QAction* a) {
        table.setRowFilter(RowFilter(a->data().toInt()));
        if (session.recording()) table.selectRowQuietly(session.recording()->row);
        count();
    });
    QObject::connect(&table, &FileTableView::rowCountsChanged, note, count);
    count();
}
