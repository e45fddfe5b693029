#include "MainMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <tuple>

#include "ChannelGraph.h"
#include "FileTableView.h"
#include "PlaybackSpeed.h"

MainMenu::MainMenu(QMainWindow* window) : QObject(window), window_(window) {
    QMenuBar* bar = window->menuBar();
    auto add = [window](QMenu* menu, const QString& text, const QKeySequence& keys = {}) {
        QAction* a = menu->addAction(text);
        a->setShortcut(keys);
        // Also on the window: the keys work in full screen, and whatever has the focus.
        a->setShortcutContext(Qt::WindowShortcut);
        window->addAction(a);
        return a;
    };

    QMenu* file = bar->addMenu(tr("&File"));
    open = add(file, tr("&Open…"), QKeySequence::Open);
    recent = file->addMenu(tr("Open &Recent"));
    recent->setObjectName(QStringLiteral("recentMenu"));
    clearList = add(file, tr("&Clear List"));
    file->addSeparator();
    exportTrack = add(file, tr("&Export Track…"), QKeySequence(Qt::CTRL | Qt::Key_E));
    exportClip = add(file, tr("Export C&lip…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    file->addSeparator();
    settings = add(file, tr("Se&ttings…"), QKeySequence::Preferences);
    file->addSeparator();
    quit = add(file, tr("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q));  // the standard key is missing on some platforms

    QMenu* playback = bar->addMenu(tr("&Playback"));
    playPause = add(playback, tr("&Play/Pause"), Qt::Key_Space);
    stepForward = add(playback, tr("Frame Step &Forward"), Qt::Key_Period);
    stepBack = add(playback, tr("Frame Step &Back"), Qt::Key_Comma);
    back5 = add(playback, tr("Back 5 s"), Qt::Key_Left);
    forward5 = add(playback, tr("Forward 5 s"), Qt::Key_Right);
    back30 = add(playback, tr("Back 30 s"), Qt::Key_PageDown);
    forward30 = add(playback, tr("Forward 30 s"), Qt::Key_PageUp);
    toStart = add(playback, tr("To the Start"), Qt::Key_Home);
    toEnd = add(playback, tr("To the End"), Qt::Key_End);
    QMenu* speed = playback->addMenu(tr("&Speed"));
    slower = add(speed, tr("Slower"), Qt::Key_BracketLeft);
    faster = add(speed, tr("Faster"), Qt::Key_BracketRight);
    normalSpeed = add(speed, tr("Normal Speed"), Qt::Key_Backspace);
    speed->addSeparator();
    speeds = new QActionGroup(this);
    for (double s : kPlaybackSpeeds) {
        QAction* a = speed->addAction(speedText(s));
        a->setCheckable(true);
        a->setData(s);
        speeds->addAction(a);
    }
    playback->addSeparator();
    previous = add(playback, tr("Pre&vious Recording"), Qt::Key_Less);
    next = add(playback, tr("&Next Recording"), Qt::Key_Greater);
    snapshot = add(playback, tr("Snapsho&t"), Qt::Key_S);
    playback->addSeparator();
    mute = add(playback, tr("&Mute"), Qt::Key_M);
    mute->setCheckable(true);
    volumeDown = add(playback, tr("Volume &Down"), Qt::Key_9);
    volumeUp = add(playback, tr("Volume &Up"), Qt::Key_0);
    playback->addSeparator();
    markIn = add(playback, tr("Mark &In"), Qt::Key_I);
    markOut = add(playback, tr("Mark &Out"), Qt::Key_O);
    clearMarks = add(playback, tr("&Clear Marks"));

    QMenu* view = bar->addMenu(tr("&View"));
    fullScreen = add(view, tr("&Full Screen"), Qt::Key_F);
    leaveFullScreen = add(view, tr("&Leave Full Screen"), Qt::Key_Escape);
    view->addSeparator();
    fitTrip = add(view, tr("Fit &Trip"), QKeySequence(Qt::CTRL | Qt::Key_0));
    followVehicle = add(view, tr("F&ollow Vehicle"));
    followVehicle->setCheckable(true);
    speedTrace = add(view, tr("&Speed Trace"));
    speedTrace->setCheckable(true);
    view->addSeparator();
    QMenu* channels = view->addMenu(tr("&Channels"));
    auto choice = [&](QActionGroup* group, const QString& text, const QVariant& data) {
        QAction* a = channels->addAction(text);
        a->setCheckable(true);
        a->setData(data);
        group->addAction(a);
    };
    channelLayouts = new QActionGroup(this);
    choice(channelLayouts, tr("&Picture in Picture"), int(ChannelLayout::PictureInPicture));
    choice(channelLayouts, tr("&Side by Side"), int(ChannelLayout::SideBySide));
    channelLayouts->actions().constFirst()->setChecked(true);
    channels->addSeparator();
    mainChannels = new QActionGroup(this);
    choice(mainChannels, tr("&Front Large"), QStringLiteral("front"));
    choice(mainChannels, tr("&Rear Large"), QStringLiteral("rear"));
    choice(mainChannels, tr("&Interior Large"), QStringLiteral("interior"));
    mainChannels->actions().constFirst()->setChecked(true);
    // Not kept between runs: a table that opens with rows hidden would look like a card
    // missing its recordings.
    view->addSeparator();
    rowFilters = new QActionGroup(this);
    const std::tuple<const char*, QString, RowFilter> filters[] = {
        {"filterAll", tr("&All Recordings"), RowFilter::All},
        {"filterEvents", tr("&Events Only"), RowFilter::EventsOnly},
        {"filterParking", tr("&Parking Only"), RowFilter::ParkingOnly},
    };
    for (const auto& [name, text, filter] : filters) {
        QAction* a = add(view, text);
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(true);
        a->setData(int(filter));
        rowFilters->addAction(a);
    }
    rowFilters->actions().constFirst()->setChecked(true);

    QMenu* help = bar->addMenu(tr("&Help"));
    shortcuts = add(help, tr("&Keyboard Shortcuts"));
    about = add(help, tr("&About"));
    connect(shortcuts, &QAction::triggered, this, &MainMenu::showShortcuts);
    connect(about, &QAction::triggered, this, [this] {
        QMessageBox::about(window_, tr("About dashcam-viewer"),
                           tr("<b>dashcam-viewer</b> %1<p>Plays dashcam recordings in step with their telemetry.")
                               .arg(QCoreApplication::applicationVersion()));
    });
    showSpeed(1.0);
}

void MainMenu::showShortcuts() {
    QString rows;
    for (const auto& [keys, name] : shortcutList(shortcutActions()))
        rows += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>").arg(keys.toHtmlEscaped(), name.toHtmlEscaped());
    QMessageBox::information(window_, tr("Keyboard Shortcuts"), QStringLiteral("<table cellspacing=6>%1</table>").arg(rows));
}

QList<QAction*> MainMenu::shortcutActions() const {
    QList<QAction*> all;
    for (QAction* a : window_->actions())
        if (!a->shortcut().isEmpty()) all.append(a);
    return all;
}

void MainMenu::showSpeed(double speed) {
    for (QAction* a : speeds->actions()) a->setChecked(a->data().toDouble() == speed);
}

QList<QPair<QString, QString>> shortcutList(const QList<QAction*>& actions) {
    QList<QPair<QString, QString>> list;
    for (const QAction* a : actions) {
        QString name = a->text().remove(QLatin1Char('&'));
        name.remove(QStringLiteral("…"));
        list.append({a->shortcut().toString(QKeySequence::NativeText), name});
    }
    return list;
}

QString shortcutTable(const QList<QAction*>& actions) {
    QString table = QStringLiteral("| Key | Action |\n|---|---|\n");
    for (const auto& [keys, name] : shortcutList(actions)) {
        // A | in a key would end the cell.
        QString cell = keys;
        table += QStringLiteral("| `%1` | %2 |\n").arg(cell.replace(QLatin1Char('|'), QStringLiteral("\\|")), name);
    }
    return table;
}
