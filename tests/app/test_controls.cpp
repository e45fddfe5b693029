// The menu's actions and the pure parts of the playback controls.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QActionGroup>
#include <QHeaderView>
#include <QSignalSpy>
#include <QToolButton>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QValueAxis>

#include "AppTestSupport.h"
#include "Card.h"
#include "FileTableModel.h"
#include "FileTableView.h"
#include "MainMenu.h"
#include "MapWidget.h"
#include "PlaybackSpeed.h"
#include "RecentPaths.h"
#include "PlaybackSession.h"
#include "Process.h"
#include "ViewController.h"
#include <QStatusBar>

TEST(PlaybackSpeed, StepsOverTheLadderAndHoldsAtItsEnds) {
    struct Case {
        double current;
        int steps;
        double expected;
    } const cases[] = {{1, 1, 1.5}, {1, -1, 0.5}, {1.5, 1, 2}, {2, 1, 4}, {4, 1, 4}, {0.25, -1, 0.25}, {0.5, -1, 0.25},
                       {0.25, 9, 4}, {4, -9, 0.25},
                       // A speed set elsewhere, between rungs, goes to the neighbouring rung.
                       {1.2, 1, 1.5}, {1.2, -1, 1}, {3, 1, 4}, {3, -1, 2}, {0.1, 1, 0.25}, {8, -1, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.current << " by " << c.steps);
        EXPECT_EQ(steppedSpeed(c.current, c.steps), c.expected);
    }
    EXPECT_EQ(speedText(0.25), "0.25x");
    EXPECT_EQ(speedText(1), "1x");
}

class Controls : public ::testing::Test {
protected:
    ViewController w{MpvPlayer::Output::None};
};

TEST_F(Controls, EveryShortcutIsOnOneMenuActionOnly) {
    QSet<QKeySequence> seen;
    for (QAction* a : w.findChildren<QAction*>()) {
        for (const QKeySequence& k : a->shortcuts()) {
            EXPECT_FALSE(seen.contains(k)) << k.toString().toStdString() << " twice";
            seen.insert(k);
        }
        const QObjectList shownIn = a->associatedObjects();
        const bool inMenu = std::any_of(shownIn.begin(), shownIn.end(), [](QObject* o) { return qobject_cast<QMenu*>(o); });
        if (!a->shortcut().isEmpty()) {
            EXPECT_TRUE(inMenu) << a->text().toStdString() << " shows its key in no menu";
        }
    }
    for (QPushButton* button : w.findChildren<QPushButton*>()) EXPECT_TRUE(button->shortcut().isEmpty()) << button->text().toStdString();
}

TEST_F(Controls, SpeedKeysChangeThePlayerAndTheBar) {
    const auto checkedSpeed = [&] {
        for (QAction* a : w.findChildren<QAction*>())
            if (a->isChecked() && a->actionGroup()) return a->text();
        return QString();
    };
    const std::pair<const char*, double> steps[] = {{"Faster", 1.5}, {"Faster", 2}, {"Normal Speed", 1}, {"Slower", 0.5}};
    for (const auto& [action, expected] : steps) {
        actionNamed(w, action).trigger();
        EXPECT_EQ(w.session().player().speed(), expected) << action;
        EXPECT_EQ(labelText(w, "speed"), speedText(expected));
        EXPECT_EQ(checkedSpeed(), speedText(expected));
    }
    actionNamed(w, "0.25x").trigger();
    EXPECT_EQ(w.session().player().speed(), 0.25);
    EXPECT_EQ(labelText(w, "speed"), "0.25x");
}

TEST_F(Controls, TheReadmeListsExactlyTheShortcuts) {
    QFile readme(QStringLiteral(DASHCAM_SOURCE_DIR "/README.md"));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(readme.readAll());
    const QString table = shortcutTable(w.mainMenu().shortcutActions());
    EXPECT_TRUE(text.contains(QStringLiteral("## Keyboard shortcuts\n\n") + table)) << "the README's table should read:\n"
                                                                                   << table.toStdString();
}

// Next and Previous move over the indexed rows from the one playing, selecting it as
// they go; at either end, or with nothing open, they do nothing.
TEST_F(Controls, NextAndPreviousRecordingStopAtTheEnds) {
    QTemporaryDir tmp;
    for (const char* name : {"REC_0001.MP4", "REC_0002.MP4", "REC_0003.MP4"}) makeRecording(QDir(tmp.path()), name, 3);
    ASSERT_TRUE(openIndexed(w, {tmp.path()}));
    QTableView& table = recordingsTable(w);
    const auto shown = [&] {
        return QStringLiteral("%1 %2").arg(table.selectionModel()->selectedRows().value(0).row()).arg(w.windowTitle());
    };
    QAction& next = actionNamed(w, "&Next Recording");
    QAction& previous = actionNamed(w, "Pre&vious Recording");
    next.trigger();
    EXPECT_EQ(shown(), "-1 dashcam-viewer");
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.visualRect(table.model()->index(1, 0)).center());
    const struct {
        QAction* action;
        const char* shown;
    } steps[] = {{&next, "2 REC_0003.MP4 - dashcam-viewer"},     {&next, "2 REC_0003.MP4 - dashcam-viewer"},
                 {&previous, "1 REC_0002.MP4 - dashcam-viewer"}, {&previous, "0 REC_0001.MP4 - dashcam-viewer"},
                 {&previous, "0 REC_0001.MP4 - dashcam-viewer"}};
    for (const auto& step : steps) {
        step.action->trigger();
        EXPECT_EQ(shown(), step.shown) << step.action->text().toStdString();
        ASSERT_TRUE(w.session().recording());
        EXPECT_EQ(w.session().recording()->row, shown().section(' ', 0, 0).toInt());
    }
}

// A click on a column's title sorts the rows by its values (a length of 100 minutes after
// one of 11); next, previous, playing on and the arrow keys then go by the order shown,
// while the recording is still told by its own row.
TEST_F(Controls, TheTableSortsByValueAndPlaysInTheShownOrder) {
    QTemporaryDir tmp;
    const std::pair<const char*, int> lengths[] = {{"REC_0001.MP4", 700}, {"REC_0002.MP4", 6001}, {"REC_0003.MP4", 3}, {"REC_0004.MP4", 65}};
    for (const auto& [name, seconds] : lengths) makeRecording(QDir(tmp.path()), name, seconds);
    ASSERT_TRUE(openIndexed(w, {tmp.path()}));
    QTableView& table = recordingsTable(w);
    QHeaderView& header = *table.horizontalHeader();
    const auto shownNames = [&] {
        QStringList names;
        for (int row = 0; row < shownRowCount(w); ++row) names << shownCell(w, row, FileTableModel::File).left(8);
        return names.join(' ');
    };
    for (int i = 0; i < 3 && !(header.sortIndicatorSection() == FileTableModel::Time && header.sortIndicatorOrder() == Qt::AscendingOrder); ++i)
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {},
                          QPoint(header.sectionViewportPosition(FileTableModel::Time) + 5, header.height() / 2));
    EXPECT_EQ(shownNames(), "REC_0003 REC_0004 REC_0001 REC_0002");
    // The row playing, as shown and as the recording's own.
    const auto playing = [&] {
        return QStringLiteral("%1 %2 %3")
            .arg(table.selectionModel()->selectedRows().value(0).row())
            .arg(w.windowTitle().left(8))
            .arg(w.session().recording() ? w.session().recording()->row : -1);
    };
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.visualRect(table.model()->index(1, 0)).center());
    EXPECT_EQ(playing(), "1 REC_0004 3");
    const std::pair<std::function<void()>, const char*> steps[] = {
        {[&] { actionNamed(w, "&Next Recording").trigger(); }, "2 REC_0001 0"},
        {[&] { w.session().itemDidFinishPlaying(); }, "3 REC_0002 1"},
        {[&] { actionNamed(w, "Pre&vious Recording").trigger(); }, "2 REC_0001 0"},
        {[&] { QTest::keyClick(&table, Qt::Key_Up); }, "1 REC_0004 3"},
        {[&] { QTest::keyClick(&table, Qt::Key_Up); }, "0 REC_0003 2"},
        {[&] { actionNamed(w, "Pre&vious Recording").trigger(); }, "0 REC_0003 2"},
    };
    for (const auto& [step, shown] : steps) {
        step();
        EXPECT_EQ(playing(), QString::fromUtf8(shown));
    }
}

// Events Only, chosen before the folder opens, keeps the rows whose events are found as
// they are indexed; the status bar counts them. Next and Previous walk the rows shown,
// also from a recording whose row the filter hid while it played on.
TEST_F(Controls, EventsOnlyShowsTheRowsWithEventsAndNextWalksThem) {
    QTemporaryDir tmp;
    testgen::DriveOptions drive;
    drive.incidents = {{testgen::Incident::Pothole, 2}, {testgen::Incident::Pothole, 12}};
    const auto cut = testgen::cutDrive(drive, {5, 5, 5}, 0);
    for (size_t i = 0; i < cut.size(); ++i)
        makeRecordingOf(QFile::encodeName(QDir(tmp.path()).filePath(QStringLiteral("REC_000%1.MP4").arg(i + 1))).toStdString(), cut[i]);
    QTableView& table = recordingsTable(w);
    const auto shownNames = [&] {
        QStringList names;
        for (int row = 0; row < shownRowCount(w); ++row) names << shownCell(w, row, FileTableModel::File).left(8);
        return names.join(' ');
    };
    const auto note = [&] {
        const auto* label = w.statusBar()->findChild<QLabel*>(QStringLiteral("rowFilterNote"));
        return label && label->isVisibleTo(&w) ? label->text() : QString();
    };
    const auto playing = [&] {
        return QStringLiteral("%1 %2").arg(w.windowTitle().left(8)).arg(w.session().recording() ? w.session().recording()->row : -1);
    };
    QAction& all = actionNamed(w, "&All Recordings");
    QAction& events = actionNamed(w, "&Events Only");
    EXPECT_TRUE(all.isChecked());
    events.trigger();
    ASSERT_TRUE(openIndexed(w, {tmp.path()}));
    EXPECT_EQ(shownNames(), "REC_0001 REC_0003");
    EXPECT_EQ(note(), "Showing events only: 2 of 3 recordings");
    for (int column = 0; column < table.model()->columnCount(); ++column) {  // no room for channels where none are paired
        const QString title = table.model()->headerData(column, Qt::Horizontal).toString();
        EXPECT_TRUE(table.isColumnHidden(column) || title != "Channels");
    }
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.visualRect(table.model()->index(0, 0)).center());
    EXPECT_EQ(playing(), "REC_0001 0");
    actionNamed(w, "&Next Recording").trigger();
    EXPECT_EQ(playing(), "REC_0003 2");

    // The row without events plays on while hidden; Next and Previous go to the rows shown beside it.
    all.trigger();
    EXPECT_TRUE(all.isChecked() && !events.isChecked());
    EXPECT_EQ(note(), "");
    actionNamed(w, "Pre&vious Recording").trigger();
    EXPECT_EQ(playing(), "REC_0002 1");
    events.trigger();
    EXPECT_EQ(shownNames(), "REC_0001 REC_0003");
    EXPECT_EQ(playing(), "REC_0002 1");
    EXPECT_TRUE(table.selectionModel()->selectedRows().isEmpty());
    actionNamed(w, "&Next Recording").trigger();
    EXPECT_EQ(playing(), "REC_0003 2");
    all.trigger();
    actionNamed(w, "Pre&vious Recording").trigger();
    events.trigger();
    actionNamed(w, "Pre&vious Recording").trigger();
    EXPECT_EQ(playing(), "REC_0001 0");
    // Shown again, the row playing is the one highlighted.
    all.trigger();
    EXPECT_EQ(table.selectionModel()->selectedRows().value(0).row(), 0);
}

// A card's protected event and its parking recording, each on their own; a front and
// rear pair reads "F R" in the Channels column, a single channel nothing.
TEST_F(Controls, TheViewFilterShowsACardsEventsOrParkingAndEachRowItsChannels) {
    if (!testgen::onPath("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir tmp;
    const QString root = tmp.filePath("CARD");
    testgen::writeCard(root.toStdString(), testgen::CardFamily::Novatek, 2);
    ASSERT_TRUE(openIndexed(w, {root}));
    QTableView& table = recordingsTable(w);
    int titled = -1;  // the column titled "Channels"
    for (int column = 0; column < table.model()->columnCount(); ++column)
        if (table.model()->headerData(column, Qt::Horizontal).toString() == "Channels") titled = column;
    ASSERT_GE(titled, 0);
    EXPECT_FALSE(table.isColumnHidden(titled));
    // A row as "number kind channels (their names)", in the order shown.
    const auto shownRows = [&] {
        QStringList rows;
        for (int row = 0; row < shownRowCount(w); ++row) {
            const QModelIndex channels = table.model()->index(row, titled);
            rows << QStringLiteral("%1 %2 %3 (%4)")
                        .arg(shownCell(w, row, FileTableModel::File).mid(17, 4), shownCell(w, row, FileTableModel::Kind),
                             channels.data().toString(), channels.data(Qt::ToolTipRole).toString());
        }
        rows.sort();
        return rows;
    };
    EXPECT_EQ(shownRows(), (QStringList{"0001 Normal F R (front, rear)", "0002 Normal F R (front, rear)",
                                        "0003 Event F R (front, rear)", "0004 Parking  ()"}));
    actionNamed(w, "&Events Only").trigger();
    EXPECT_EQ(shownRows(), QStringList{"0003 Event F R (front, rear)"});
    actionNamed(w, "&Parking Only").trigger();
    EXPECT_EQ(shownRows(), QStringList{"0004 Parking  ()"});
    EXPECT_EQ(w.statusBar()->findChild<QLabel*>(QStringLiteral("rowFilterNote"))->text(), "Showing parking only: 1 of 4 recordings");
    actionNamed(w, "&All Recordings").trigger();
    EXPECT_EQ(shownRows().size(), 4);
}

// Tab and Shift+Tab go round the table, the events list, the transport, the chart and the
// map, and start no recording; the arrow keys in the table still play the row they reach.
TEST_F(Controls, TabGoesRoundThePartsAndStartsNoPlayback) {
    QTemporaryDir tmp;
    for (const char* name : {"REC_0001.MP4", "REC_0002.MP4", "REC_0003.MP4"}) makeRecording(QDir(tmp.path()), name, 3);
    ASSERT_TRUE(openIndexed(w, {tmp.path()}));
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTableView& table = recordingsTable(w);
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.visualRect(table.model()->index(1, 0)).center());
    ASSERT_EQ(w.windowTitle(), "REC_0002.MP4 - dashcam-viewer");
    QSignalSpy opening(&w.session(), &PlaybackSession::opening);
    QAction& next = actionNamed(w, "&Next Recording");
    const auto part = [&](QWidget* focus) {
        if (auto* b = qobject_cast<QToolButton*>(focus); b && b->defaultAction() == &next) return QStringLiteral("transport");
        for (QWidget* p = focus; p; p = p->parentWidget()) {
            if (p == &table) return QStringLiteral("table");
            if (p == &eventsList(w)) return QStringLiteral("events");
            if (p == &positionSlider(w)) return QStringLiteral("slider");
            if (qobject_cast<QChartView*>(p)) return QStringLiteral("chart");
            if (p == &mapOf(w)) return QStringLiteral("map");
        }
        return QString();
    };
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_Tab, Qt::NoModifier}, {Qt::Key_Backtab, Qt::ShiftModifier}}) {
        table.setFocus();
        QSet<QString> reached;
        for (int i = 0; i < 60; ++i) {
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
            reached << part(QApplication::focusWidget());
        }
        reached.remove(QString());
        QStringList names(reached.begin(), reached.end());
        names.sort();
        EXPECT_EQ(names.join(' '), "chart events map slider table transport") << key;
    }
    EXPECT_EQ(opening.size(), 0);
    EXPECT_EQ(w.windowTitle(), "REC_0002.MP4 - dashcam-viewer");
    table.setFocus();
    QTest::keyClick(&table, Qt::Key_Down);
    EXPECT_EQ(w.windowTitle(), "REC_0003.MP4 - dashcam-viewer");
}

// Whatever takes the focus says what it is to a screen reader.
TEST_F(Controls, EveryControlHasAnAccessibleName) {
    int controls = 0;
    for (QWidget* widget : w.findChildren<QWidget*>()) {
        if (!(widget->focusPolicy() & Qt::TabFocus)) continue;
        ++controls;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(face, nullptr);
        EXPECT_FALSE(face->text(QAccessible::Name).trimmed().isEmpty())
            << widget->metaObject()->className() << " " << widget->objectName().toStdString() << " in "
            << (widget->parentWidget() ? widget->parentWidget()->metaObject()->className() : "") << " "
            << widget->toolTip().toStdString();
    }
    EXPECT_GE(controls, 10);
}

// The player's ticks move the knob and the text beside it, except while the user holds the knob.
TEST_F(Controls, TicksMoveTheKnobUnlessItIsHeld) {
    QSlider& slider = positionSlider(w);
    slider.setRange(0, 10000);
    const struct {
        bool held;
        int tickMs;
        QString shown;
    } ticks[] = {{false, 3000, "3000 0:03 / 0:10"}, {true, 4000, "3000 0:03 / 0:10"}, {false, 5000, "5000 0:05 / 0:10"}};
    for (const auto& t : ticks) {
        slider.setSliderDown(t.held);
        w.session().tick({t.tickMs, 1000});
        EXPECT_EQ(QStringLiteral("%1 %2").arg(slider.value()).arg(labelText(w, "positionText")), t.shown) << t.tickMs;
    }
}

TEST(RecentPaths, MostRecentFirstWithoutDuplicatesAtMostEight) {
    const struct {
        QStringList before;
        QString opened;
        QStringList after;
    } cases[] = {{{}, "/a", {"/a"}},
                 {{"/a", "/b"}, "/c", {"/c", "/a", "/b"}},
                 {{"/a", "/b", "/c"}, "/b", {"/b", "/a", "/c"}},
                 {{"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8"}, "/9", {"/9", "/1", "/2", "/3", "/4", "/5", "/6", "/7"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.opened.toStdString());
        EXPECT_EQ(withRecent(c.before, c.opened), c.after);
    }
}

TEST_F(Controls, OpenRecentReopensAndClearListForgetsEverything) {
    QTemporaryDir a, b;
    makeRecording(QDir(a.path()), "REC_0001.MP4", 3);
    makeRecording(QDir(b.path()), "REC_0002.MP4", 3);
    for (const QString& folder : {a.path(), b.path(), a.path() + "/REC_0001.MP4"}) ASSERT_TRUE(openIndexed(w, {folder}));
    QMenu& recent = *w.findChild<QMenu*>("recentMenu");
    QStringList shown;
    for (QAction* action : recent.actions()) shown.append(action->text());
    ASSERT_EQ(shown, QStringList({a.path() + "/REC_0001.MP4", b.path(), a.path()}));
    EXPECT_TRUE(recent.isEnabled());
    EXPECT_EQ(loadLastFolder(), a.path());
    // An entry opens its path again; a Clear List while it is indexed is refused.
    recent.actions().at(1)->trigger();
    ASSERT_TRUE(w.isIndexing());
    actionNamed(w, "&Clear List").trigger();
    ASSERT_TRUE(waitUntil([&] { return !w.isIndexing(); }));
    ASSERT_EQ(shownRowCount(w), 4);
    EXPECT_EQ(shownCell(w, 3, 0), "REC_0002.MP4");
    w.playTheVideo(3);
    ASSERT_NE(w.windowTitle(), "dashcam-viewer");

    // Nothing of the old rows may be taken for the rows that come next, nor stay on screen:
    // the map back at the whole world, the chart's time axis at nothing.
    ASSERT_GT(mapOf(w).zoom(), 10);
    actionNamed(w, "&Clear List").trigger();
    const MapWidget fresh{QString()};
    const auto* timeAxis = qobject_cast<const QValueAxis*>(chartView(w).chart()->axes(Qt::Horizontal).value(0));
    ASSERT_NE(timeAxis, nullptr);
    const QStringList cleared = {QString::number(shownRowCount(w)),
                                 w.windowTitle(),
                                 labelText(w, "sampleDate"),
                                 QString::number(mapOf(w).overlays().size() + mapOf(w).annotations().size()),
                                 QString::number(indexingBar(w).value()),
                                 QString::number(w.session().player().isOpen() || w.session().recording()),
                                 QString::number(w.driveIndex().summaries().size() + w.driveIndex().trips().size()),
                                 QString::number(eventsList(w).count()),
                                 statisticsShown(w).join('\n'),
                                 pointTexts({mapOf(w).centre(), {mapOf(w).zoom(), 0}}).join(' '),
                                 QString::number(timeAxis->max())};
    EXPECT_EQ(cleared, (QStringList{"0", "dashcam-viewer", "DATE: -", "0", "0", "0", "0", "0", "",
                                    pointTexts({fresh.centre(), {fresh.zoom(), 0}}).join(' '), "0"}));
    // The next folder starts at the first row again.
    ASSERT_TRUE(openIndexed(w, {b.path()}));
    EXPECT_EQ((QStringList{QString::number(shownRowCount(w)), shownCell(w, 0, 0), shownCell(w, 0, 1)}),
              (QStringList{"1", "REC_0002.MP4", "00:03"}));
    // Indexed anew: it plays.
    w.playTheVideo(0);
    EXPECT_EQ(w.windowTitle(), "REC_0002.MP4 - dashcam-viewer");
    saveRecentPaths({});
}
