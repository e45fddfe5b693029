#pragma once
// The window's menu bar and its actions. The actions carry the program's only
// keyboard shortcuts (mpv's keys where mpv has one); the window connects them.

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

class QAction;
class QActionGroup;
class QMainWindow;
class QMenu;

class MainMenu : public QObject {
    Q_OBJECT
public:
    explicit MainMenu(QMainWindow* window);

    // File
    QAction* open;
    QMenu* recent;
    QAction* exportTrack;
    QAction* clearList;
    QAction* exportClip;
    QAction* settings;
    QAction* quit;
    // Playback
    QAction* playPause;
    QAction* stepForward;
    QAction* stepBack;
    // Seeking, wherever the focus is but in a text field, which keeps these keys.
    QAction* back5;
    QAction* forward5;
    QAction* back30;
    QAction* forward30;
    QAction* toStart;
    QAction* toEnd;
    QAction* slower;
    QAction* faster;
    QAction* normalSpeed;
    QActionGroup* speeds;  // one checkable action per speed, its data the speed
    QAction* previous;
    QAction* next;
    QAction* snapshot;
    QAction* mute;
    QAction* volumeDown;
    QAction* volumeUp;
    QAction* markIn;   // the clip span, at the playback position
    QAction* markOut;
    QAction* clearMarks;
    // View
    QAction* fullScreen;
    QAction* leaveFullScreen;
    QAction* fitTrip;
    QAction* followVehicle;  // checkable, off at start
    QAction* speedTrace;  // checkable: speed on the chart, on its own axis
    QActionGroup* channelLayouts;  // picture in picture, side by side; data the ChannelLayout
    QActionGroup* mainChannels;    // front, rear, interior: the channel shown large; data its name
    QActionGroup* rowFilters;      // all, events only, parking only: the rows the table shows; data the RowFilter
    // Help
    QAction* shortcuts;
    QAction* about;

    // Every action with a shortcut, in menu order.
    QList<QAction*> shortcutActions() const;
    // Help ▸ Keyboard Shortcuts: every action's keys, in a message box.
    void showShortcuts();
    // Checks the speed's entry in the Speed menu.
    void showSpeed(double speed);

private:
    QMainWindow* window_;
};

// (keys, action name) of each action, the keys as the menu shows them and the
// name without its mnemonic and ellipsis.
QList<QPair<QString, QString>> shortcutList(const QList<QAction*>& actions);
// The list as a Markdown table, as the README has it.
QString shortcutTable(const QList<QAction*>& actions);
