#include "ViewController.h"

#include <QActionGroup>
#include <QApplication>
#include <QChartView>
#include <QFontDatabase>
#include <QTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QListWidget>
#include <QMessageBox>
#include <QOpenGLContext>
#include <QPainter>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QToolButton>
#include <QSlider>
#include <QSplitter>
#include <QVBoxLayout>

#include "ExportTrackAction.h"
#include "ChartInteraction.h"
#include "ClipMarking.h"
#include "TripMap.h"
#include "MarkedSlider.h"
#include "Units.h"
#include "ClipExportAction.h"
#include "ChannelChoice.h"
#include "MainMenu.h"
#include "PlaybackSpeed.h"
#include "SubtitleTrackReader.h"
#include "MpvVideoWidget.h"
#include "PlaybackTick.h"
#include "Snapshot.h"
#include "TileLoader.h"
#include "PositionFix.h"
#include "TransportIcons.h"
#include "VideoPanel.h"
#include "VolumeControl.h"
#include "FileTableModel.h"
#include "FileTableView.h"
#include "Log.h"
#include "PlaybackSession.h"
#include "RecordingIntake.h"
#include "SettingsStore.h"
#include "TextValues.h"

namespace {

QLabel* telemetryLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setStyleHint(QFont::Monospace);
    f.setFamily(QStringLiteral("monospace"));
    label->setFont(f);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// A click on the slider's groove goes to the clicked place, not a page toward it.
class ClickToSeekStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget, QStyleHintReturn* data) const override {
        if (hint == QStyle::SH_Slider_AbsoluteSetButtons) return Qt::LeftButton;
        if (hint == QStyle::SH_Slider_PageSetButtons) return Qt::NoButton;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

QWidget* placeholder(const QString& text, const QString& style, QWidget* parent) {
    auto* area = new QLabel(text, parent);
    area->setAlignment(Qt::AlignCenter);
    area->setStyleSheet(style);
    area->setMinimumSize(160, 120);
    return area;
}

}  // namespace

namespace {
// A platform without OpenGL (a headless one) cannot show an OpenGL widget at all.
bool openGLAvailable() {
    QOpenGLContext context;
    return context.create();
}
}  // namespace

ViewController::ViewController(MpvPlayer::Output video, QWidget* parent)
    : QMainWindow(parent),
      videoOutput_(video == MpvPlayer::Output::Window && !openGLAvailable() ? MpvPlayer::Output::None : video) {
    player = new MpvPlayer(videoOutput_, this);
    session_ = new PlaybackSession(library, *player, this);
    intake_ = std::make_unique<RecordingIntake>(library, RecordingIntake::dialogs(this));
    connect(intake_.get(), &RecordingIntake::rowsChanged, this, &ViewController::reloadRows);
    connect(intake_.get(), &RecordingIntake::progressRangeChanged, this, &ViewController::setProgressRange);
    connect(intake_.get(), &RecordingIntake::progressChanged, this, &ViewController::setProgress);
    connect(intake_.get(), &RecordingIntake::statusMessage, this, [this](const QString& text) { statusBar()->showMessage(text); });
    const UserSettings stored = ::loadSettings();
    directions = new OsrmClient(
        serverUrl("DASHCAM_ROUTING_URL", stored.RoutingServerUrl, QString::fromLatin1(OsrmClient::kDefaultBaseUrl)), this);
    buildWindow();
    viewDidLoad();
}

ViewController::~ViewController() {
    // Nothing may reach the window while it comes apart: the player's news (a queued
    // end of a recording would open the next one) and the indexing run's hand-offs,
    // which it no longer waits for. No event loop runs here.
    player->disconnect(session_);
    session_->disconnect(this);
    player->disconnect(chartSteering);
    player->close();
    intake_.reset();  // stops its run, whose hand-offs would reach the window
    delete chartSteering;  // it steers the chart of draw_Graph, which goes first
    // The video's render context must go before the player it draws.
    delete playerView;
    playerView = nullptr;
}

void ViewController::buildWindow() {
    setWindowTitle(QStringLiteral("dashcam-viewer"));
    resize(1280, 800);

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(6, 6, 0, 6);
    auto* buttons = new QHBoxLayout;
    openButton = new QPushButton(tr("Open…"), left);
    openButton->setToolTip(tr("Open a folder of recordings, or recordings (Ctrl+O)"));
    settingsButton = new QPushButton(tr("Settings…"), left);
    buttons->addWidget(openButton);
    buttons->addWidget(settingsButton);
    buttons->addStretch();
    leftLayout->addLayout(buttons);
    tableView = new FileTableView(left);
    tableView->setObjectName(QStringLiteral("recordings"));
    tableModel_ = new FileTableModel(library, this);
    tableView->setModel(tableModel_);
    tableModel_->setDrives(&drives);
    tableView->fixColumnWidths({QStringLiteral("000:00"), QStringLiteral("0000/00/00"), QStringLiteral("00 00:00 · 00:00"),
                                QStringLiteral("⚠")});
    leftLayout->addWidget(tableView, 1);
    list_events = new QListWidget(left);
    list_events->setObjectName(QStringLiteral("eventsList"));
    list_events->setMaximumHeight(110);
    list_events->setUniformItemSizes(true);  // one line each: no need to measure every item
    list_events->setToolTip(tr("Events: a click plays from 5 s before"));
    leftLayout->addWidget(list_events);
    auto* progressRow = new QHBoxLayout;
    progressIndicator = new QProgressBar(left);
    progressIndicator->setObjectName(QStringLiteral("indexingProgress"));
    progressIndicator->setTextVisible(false);
    label_main = new QLabel(left);
    label_main->setObjectName(QStringLiteral("indexingCount"));
    label_main->setMinimumWidth(60);
    label_main->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    progressRow->addWidget(progressIndicator, 1);
    progressRow->addWidget(label_main);
    leftLayout->addLayout(progressRow);

    auto* mpv = static_cast<MpvPlayer*>(player);
    QWidget* picture = mpv->usable() && videoOutput_ == MpvPlayer::Output::Window
                           ? static_cast<QWidget*>(new MpvVideoWidget(mpv, this))
                           : placeholder(tr("No video output"), QStringLiteral("background: black; color: #aaa;"), this);
    playerView = new VideoPanel(player, picture, this);
    slider_video = new MarkedSlider(Qt::Horizontal, playerView);
    slider_video->setObjectName(QStringLiteral("position"));
    slider_video->setRange(0, 0);
    slider_video->setToolTip(tr("Position (Left/Right: 5 s, Page Up/Down: 30 s, Home/End)"));
    auto* sliderStyle = new ClickToSeekStyle;
    sliderStyle->setParent(slider_video);
    slider_video->setStyle(sliderStyle);
    slider_video->setSingleStep(5000);
    slider_video->setPageStep(30000);
    label_position = new QLabel(positionText(0, 0), playerView);
    label_position->setObjectName(QStringLiteral("positionText"));
    label_position->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    snapshotButton = new QPushButton(tr("Snapshot"), playerView);
    snapshotButton->setToolTip(tr("Save the frame on screen as a PNG in the snapshot folder"));
    menu = new MainMenu(this);
    for (QAction* a : {menu->stepBack, menu->stepForward, menu->previous, menu->next}) {
        auto* button = new QToolButton(playerView);
        button->setDefaultAction(a);
        button->setAutoRaise(true);
        playerView->addToBar(button);
    }
    menu->stepBack->setIcon(transportIcon(TransportIcon::StepBack, palette().color(QPalette::ButtonText)));
    menu->stepForward->setIcon(transportIcon(TransportIcon::StepForward, palette().color(QPalette::ButtonText)));
    menu->previous->setIcon(transportIcon(TransportIcon::Previous, palette().color(QPalette::ButtonText)));
    menu->next->setIcon(transportIcon(TransportIcon::Next, palette().color(QPalette::ButtonText)));
    label_rate = new QLabel(speedText(player->speed()), playerView);
    label_rate->setObjectName(QStringLiteral("speed"));
    label_rate->setToolTip(tr("Playback speed ([ slower, ] faster, Backspace resets)"));
    playerView->setSeekBar(slider_video, label_position);
    playerView->addToBar(label_rate);
    menu->markIn->setIconText(tr("In"));
    menu->markOut->setIconText(tr("Out"));
    for (QAction* a : {menu->markIn, menu->markOut}) {
        auto* button = new QToolButton(playerView);
        button->setDefaultAction(a);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setToolTip(tr("%1 (%2): the clip span").arg(a->text().remove(QLatin1Char('&')), a->shortcut().toString()));
        button->setAutoRaise(true);
        playerView->addToBar(button);
    }
    playerView->addToBar(new QWidget(playerView), 1);  // the sound at the right end, as players have it
    playerView->addToBar(snapshotButton);
    playerView->volume()->useMuteAction(menu->mute);
    playerView->addToBar(playerView->volume());
    buildMenu();

    mapView = new MapWidget(serverUrl("DASHCAM_TILE_URL", ::loadSettings().TileServerUrl, QString::fromLatin1(TileLoader::kDefaultUrl)),
                            this);
    mapView->setObjectName(QStringLiteral("map"));
    tripMap_ = new TripMap(mapView, directions, library, drives, menu->fitTrip, menu->followVehicle, this);
    connect(tripMap_, &TripMap::seekRequested, session_, [this](int64_t seconds) { session_->seekTo(double(seconds)); });
    connect(tripMap_, &TripMap::routeRequested, this, [this](GeoCoordinate from, GeoCoordinate to) {
        source = from;
        destination = to;
    });

    auto* labels = new QWidget(this);
    auto* labelLayout = new QVBoxLayout(labels);
    label_gx = telemetryLabel(QStringLiteral("X : -"), labels);
    label_gy = telemetryLabel(QStringLiteral("Y : -"), labels);
    label_gz = telemetryLabel(QStringLiteral("Z : -"), labels);
    label_speed = telemetryLabel(QStringLiteral("SPEED : -"), labels);
    label_date = telemetryLabel(QStringLiteral("DATE: -"), labels);
    label_statistics = telemetryLabel(QString(), labels);
    label_gx->setObjectName(QStringLiteral("gx"));
    label_gy->setObjectName(QStringLiteral("gy"));
    label_gz->setObjectName(QStringLiteral("gz"));
    label_speed->setObjectName(QStringLiteral("sampleSpeed"));
    label_date->setObjectName(QStringLiteral("sampleDate"));
    label_statistics->setObjectName(QStringLiteral("statistics"));
    for (QLabel* l : {label_gx, label_gy, label_gz, label_speed, label_date, label_statistics}) labelLayout->addWidget(l);
    labelLayout->addStretch();
    hostView = new QChartView(this);
    hostView->setRenderHint(QPainter::Antialiasing);
    hostView->setMinimumHeight(160);

    auto* top = new QSplitter(Qt::Horizontal, this);
    top->addWidget(playerView);
    top->addWidget(mapView);
    top->setStretchFactor(0, 3);
    top->setStretchFactor(1, 2);
    auto* bottom = new QSplitter(Qt::Horizontal, this);
    bottom->addWidget(labels);
    bottom->addWidget(hostView);
    bottom->setStretchFactor(1, 1);
    bottom->setSizes({210, 1000});  // the labels need only their text's width
    auto* right = new QSplitter(Qt::Vertical, this);
    right->addWidget(top);
    right->addWidget(bottom);
    right->setStretchFactor(0, 3);
    right->setStretchFactor(1, 2);
    auto* main = new QSplitter(Qt::Horizontal, this);
    main->addWidget(left);
    main->addWidget(right);
    main->setStretchFactor(1, 1);
    main->setSizes({460, 820});  // room for a camera's date-and-time file names beside the fixed columns
    setCentralWidget(main);
    statusBar();

    connect(openButton, &QPushButton::clicked, this, &ViewController::btn_folder_open);
    connect(settingsButton, &QPushButton::clicked, this, &ViewController::btn_setting);
    connect(snapshotButton, &QPushButton::clicked, this, &ViewController::btn_snapshot);
    // Seek when the knob is let go, or when a click or key moves it a step.
    connect(slider_video, &QSlider::sliderReleased, this, &ViewController::sliderValueChanged);
    connect(slider_video, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove)
            QMetaObject::invokeMethod(this, &ViewController::sliderValueChanged, Qt::QueuedConnection);
    });
    auto showPosition = [this] { label_position->setText(positionText(slider_video->value(), slider_video->maximum())); };
    connect(slider_video, &QSlider::valueChanged, this, showPosition);
    connect(slider_video, &QSlider::rangeChanged, this, showPosition);
    connectSession();
    connect(playerView, &VideoPanel::fullScreenToggled, this, [this, left, bottom](bool on) {
        for (QWidget* w : std::initializer_list<QWidget*>{left, bottom, mapView, menuBar(), statusBar()}) w->setVisible(!on);
        on ? showFullScreen() : showNormal();
    });
}

void ViewController::connectSession() {
    connect(session_, &PlaybackSession::closed, this, &ViewController::clearShownRecording);
    connectChannelChoice(*menu, *session_, *statusBar());
    connect(session_, &PlaybackSession::opening, this, [this](int32_t, const QString& name) {
        setWindowTitle(QStringLiteral("%1 - dashcam-viewer").arg(name));
        playerView->showMessage(tr("Opening %1…").arg(name));
        statusBar()->showMessage(tr("Opening %1…").arg(name));
    });
    connect(session_, &PlaybackSession::opened, this, [this](int32_t, int lengthMs) {
        playerItem = library.currentStorageVideo.filepathOfNowPlaying;
        statusBar()->clearMessage();
        playerView->showVideo();
        slider_video->setRange(0, lengthMs);
        playerView->setFullScreenButtonVisible(true);
    });
    // Nothing to show: say why in the video's place. The telemetry still has its map and chart.
    connect(session_, &PlaybackSession::openFailed, this, [this](const QString& reason, const QString& message) {
        playerView->showMessage(reason);
        statusBar()->showMessage(message);
    });
    connect(session_, &PlaybackSession::rowChosen, this, [this](int32_t row) {
        tableView->selectRowQuietly(row);
        playTheVideo(row);
    });
    // The user holding the knob wins over the player moving it.
    connect(session_, &PlaybackSession::positionChanged, slider_video, [this](int positionMs) {
        if (!slider_video->isSliderDown()) slider_video->setValue(positionMs);
    });
    // A knob already in the second sought (the slider's own seek) stays where the user put it.
    connect(session_, &PlaybackSession::sought, slider_video, [this](double seconds) {
        if (std::llround(slider_video->value() / 1000.0) != std::llround(seconds)) slider_video->setValue(int(seconds * 1000));
    });
    connect(session_, &PlaybackSession::sampleShown, this, [this](const PlaybackSession::ShownSample& sample) {
        if (sample.vehicle) moveVehicleMarker(sample.vehicle->latitude, sample.vehicle->longitude, sample.vehicle->heading);
        showTickTexts(sample.texts);
    });
    connect(session_, &PlaybackSession::speedChanged, this, [this](double speed) {
        label_rate->setText(speedText(speed));
        menu->showSpeed(speed);
    });
}

void ViewController::buildMenu() {
    connect(menu->open, &QAction::triggered, this, &ViewController::btn_folder_open);
    trackExport = new ExportTrackAction(this);
    connect(menu->exportTrack, &QAction::triggered, this, [this] {
        const CurrentStorageVideo& storage = library.currentStorageVideo;
        trackExport->run(library, drives, session_->recording() ? storage.indexOfNowPlaying : -1);
    });
    connect(menu->clearList, &QAction::triggered, this, &ViewController::clearList);
    clipExport = new ClipExportAction(library, drives, this);
    connect(menu->exportClip, &QAction::triggered, this, [this] { clipExport->run(marking_->in(), marking_->out(), UserSettingSpeedUnit); });
    connect(menu->quit, &QAction::triggered, this, &QWidget::close);
    connect(menu->playPause, &QAction::triggered, playerView, &VideoPanel::togglePlay);
    connect(menu->stepForward, &QAction::triggered, this, [this] { player->stepFrame(true); });
    connect(menu->stepBack, &QAction::triggered, this, [this] { player->stepFrame(false); });
    connect(menu->slower, &QAction::triggered, session_, [this] { session_->stepSpeed(-1); });
    connect(menu->faster, &QAction::triggered, session_, [this] { session_->stepSpeed(1); });
    connect(menu->normalSpeed, &QAction::triggered, session_, [this] { session_->setSpeed(1.0); });
    connect(menu->speeds, &QActionGroup::triggered, session_, [this](QAction* a) { session_->setSpeed(a->data().toDouble()); });
    connect(menu->previous, &QAction::triggered, session_, [this] { session_->playNeighbour(-1); });
    connect(menu->next, &QAction::triggered, session_, [this] { session_->playNeighbour(1); });
    connect(menu->snapshot, &QAction::triggered, this, &ViewController::btn_snapshot);
    connect(menu->mute, &QAction::toggled, this, [this](bool on) { player->setMuted(on); });
    connect(menu->volumeDown, &QAction::triggered, this, [this] { player->changeVolume(-10); });
    connect(menu->volumeUp, &QAction::triggered, this, [this] { player->changeVolume(10); });
    connect(menu->fullScreen, &QAction::triggered, playerView, &VideoPanel::toggleFullScreen);
    connect(menu->leaveFullScreen, &QAction::triggered, playerView, &VideoPanel::leaveFullScreen);
    connect(menu->speedTrace, &QAction::toggled, this, &ViewController::showSpeedTrace);
    intake_->setRecentMenu(menu->recent);
    connect(menu->shortcuts, &QAction::triggered, this, &ViewController::showShortcuts);
    connect(menu->about, &QAction::triggered, this, [this] {
        QMessageBox::about(this, tr("About dashcam-viewer"),
                           tr("<b>dashcam-viewer</b> %1<p>Plays dashcam recordings in step with their telemetry.")
                               .arg(QCoreApplication::applicationVersion()));
    });
}

void ViewController::setPlaybackSpeed(double speed) { session_->setSpeed(speed); }

void ViewController::stepPlaybackSpeed(int steps) { session_->stepSpeed(steps); }

void ViewController::playNeighbour(int delta) { session_->playNeighbour(delta); }

bool ViewController::isIndexing() const { return library.isOperationIndexing; }

void ViewController::clearList() {
    if (isIndexing()) {
        telemetry::logLine("waitting for complte");
        statusBar()->showMessage(tr("The list can be cleared once the recordings are indexed."), 5000);
        return;
    }
    session_->close();
    library.clear();
    drives.clear();
    marking_->clear();
    label_statistics->clear();
    tableModel_->clear();
    tripMap_->clear();
    // The chart's axis as at start: no length, no events.
    draw_Graph->setGsensorData(std::nullopt, 0);
    draw_Graph->setEventMarks({});
    draw_Graph->setGsensorGraph(hostView, true);
    playerView->showVideo();
    if (auto* picture = qobject_cast<MpvVideoWidget*>(playerView->video())) picture->clear();
    setProgressRange(0.0, 100.0);
    setProgress(0, QString());
    statusBar()->clearMessage();
    setWindowTitle(QStringLiteral("dashcam-viewer"));
}

void ViewController::showShortcuts() {
    QString rows;
    for (const auto& [keys, name] : shortcutList(menu->shortcutActions()))
        rows += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>").arg(keys.toHtmlEscaped(), name.toHtmlEscaped());
    QMessageBox::information(this, tr("Keyboard Shortcuts"), QStringLiteral("<table cellspacing=6>%1</table>").arg(rows));
}

void ViewController::viewDidLoad() {
    // The row columns and the recording list were made with the library.
    connect(tableView, &FileTableView::rowAboutToBeSelected, this, [this](int row) { playTheVideo(int32_t(row)); });
    connect(tableView, &FileTableView::filesDropped, this, &ViewController::acceptDrop);
    // A north-up map the user can zoom; the window gives its lines and markers their look.
    mapView->setDelegate(this);
    draw_Graph = std::make_unique<Draw_Graph>();
    chartSteering = new ChartInteraction(hostView, draw_Graph.get(), this);
    connect(chartSteering, &ChartInteraction::seekRequested, session_, &PlaybackSession::seekTo);
    marking_ = new ClipMarking(library, drives, list_events,
                               {[this] { return session_->position(); }, [this] { return UserSettingSpeedUnit; }},
                               {static_cast<MarkedSlider*>(slider_video), chartSteering}, this);
    connect(marking_, &ClipMarking::eventChosen, session_, &PlaybackSession::seekToEvent);
    connect(marking_, &ClipMarking::refused, this, [this](const QString& message) { statusBar()->showMessage(message, 5000); });
    connect(menu->markIn, &QAction::triggered, marking_, [this] { marking_->placeMark(true); });
    connect(menu->markOut, &QAction::triggered, marking_, [this] { marking_->placeMark(false); });
    connect(menu->clearMarks, &QAction::triggered, marking_, &ClipMarking::clearMarks);
    connect(player, &MediaPlayer::tick, chartSteering,
            [this](MediaTime t) { chartSteering->setCursorSeconds(double(t.value) / t.timescale); });
    draw_Graph->setGsensorGraph(hostView, true);
    loadSettings();
    // The speed line shows without the menu's trace for a recording without G values:
    // it needs its unit from the start.
    draw_Graph->setSpeedTrace({false, trips::speedInUnit(1.0, UserSettingSpeedUnit),
                               QString::fromLatin1(trips::speedUnitName(UserSettingSpeedUnit))});
    setProgressRange(0.0, 100.0);
    progressIndicator->setValue(0);
    library.table_cnt = 0;
    library.isOperationIndexing = false;
}

void ViewController::loadSettings() {
    const UserSettings s = ::loadSettings();
    UserSettingSpeedUnit = s.PresetSpeedUnit;
    session_->setSpeedUnit(UserSettingSpeedUnit);
    UserSettingDistanceUnit = s.PresetDistanceUnit;
    UserSeetingCapturePath = s.PathOfSaveDirectory;
    if (s.EventSensitivity == UserSettingEventSensitivity) return;
    UserSettingEventSensitivity = s.EventSensitivity;
    drives.setThresholds(trips::thresholdsFor(trips::Sensitivity(s.EventSensitivity)), library.currentStorageVideo,
                         library.arrayTable_Problem);
    tableModel_->drivesChanged();
    marking_->showEvents();
    if (session_->recording()) showRecordingEvents(session_->recording()->row);
}

void ViewController::btn_folder_open() { intake_->open(); }

bool ViewController::openPaths(const QStringList& chosen) { return intake_->openPaths(chosen); }

bool ViewController::openPaths(const QByteArrayList& chosen) { return intake_->openPaths(chosen); }

void ViewController::acceptDrop(const QList<QUrl>& urls) { intake_->acceptDrop(urls); }

void ViewController::reloadRows(int32_t first, int32_t last) {
    drives.update(library.currentStorageVideo, library.arrayTable_Problem);
    tableModel_->reloadRows(first, last);
    tableModel_->drivesChanged();
    // A batch only adds recordings, and a summary once made stays: only the new
    // ones' events are added, so the list (and what the user chose in it) stays.
    marking_->eventsAdded();
}

void ViewController::seekToEvent(int32_t row, double videoSeconds) { session_->seekToEvent(row, videoSeconds); }

void ViewController::seekTo(int64_t seconds) { session_->seekTo(double(seconds)); }

void ViewController::setProgressRange(double minimum, double maximum) {
    // An empty range would make the bar Qt's busy indicator, animating for ever.
    if (maximum <= minimum) {
        progressIndicator->setRange(0, 1);
        progressIndicator->setValue(0);
        return;
    }
    progressIndicator->setRange(int(minimum), int(maximum));
}

void ViewController::setProgress(double value, const QString& text) {
    progressIndicator->setValue(int(value));
    label_main->setText(text);
}

void ViewController::clearShownRecording() {
    // Nothing of the previous recording may stay on screen while another opens.
    label_gx->setText(QStringLiteral("X : -"));
    label_gy->setText(QStringLiteral("Y : -"));
    label_gz->setText(QStringLiteral("Z : -"));
    label_speed->setText(QStringLiteral("SPEED : -"));
    label_date->setText(QStringLiteral("DATE: -"));
    tripMap_->clearMarkers();
    slider_video->setRange(0, 0);
    playerView->setFullScreenButtonVisible(false);
    playerItem.clear();
    label_statistics->clear();
}

void ViewController::showStatistics() {
    const int row = session_->recording() ? session_->recording()->row : -1;
    const trips::Trip* trip = row < 0 ? nullptr : drives.tripOf(row);
    if (!trip) return label_statistics->clear();
    label_statistics->setText(
        statisticsText(tr("RECORDING"), drives.summaries().at(size_t(row)).statistics, UserSettingDistanceUnit, UserSettingSpeedUnit) +
        QLatin1Char('\n') + statisticsText(tr("TRIP %1").arg(drives.tripNumberOf(row) + 1), trip->statistics,
                                           UserSettingDistanceUnit, UserSettingSpeedUnit));
}

void ViewController::playTheVideo(int32_t row) {
    if (!session_->open(row)) {
        tripMap_->hideTrip();
        return;
    }
    const CurrentStorageVideo& storage = library.currentStorageVideo;
    const RecordingRecord record = storage.video_list.at(row);

    tripMap_->showRecording(row);

    if (record->addrOfAmbarella_EXT != 0 || !storage.telemetry_list.value(row).samples)
        draw_Graph->setGsensorData(record->array_SubtileInfo, record->num_subtitle,
                                   record->timescale ? double(record->duration) / record->timescale : 0.0);
    else
        draw_Graph->setGsensorData(*storage.telemetry_list.value(row).samples, storage.telemetry_list.value(row).seconds);
    showRecordingEvents(row);
    marking_->showMarks();
    showStatistics();
}

void ViewController::showRecordingEvents(int32_t row) {
    const std::vector<trips::Event> none;
    const std::vector<trips::Event>& events = drives.has(row) ? drives.summaries().at(size_t(row)).events : none;
    std::vector<EventMark> marks;
    for (const trips::Event& e : events)
        marks.push_back({e.videoSeconds,
                         QStringLiteral("%1 %2").arg(durationText(e.videoSeconds), eventDescription(e, UserSettingSpeedUnit))});
    tripMap_->showEvents(row);
    draw_Graph->setEventMarks(std::move(marks));
    draw_Graph->setGsensorGraph(hostView, false);
}


void ViewController::tick(MediaTime time) { session_->tick(time); }

void ViewController::showTickTexts(const TickTexts& texts) {
    label_gx->setText(texts.gx);
    label_gy->setText(texts.gy);
    label_gz->setText(texts.gz);
    label_speed->setText(texts.speed);
    label_date->setText(texts.date);
}

void ViewController::moveVehicleMarker(double latitude, double longitude, int32_t heading) {
    tripMap_->vehicleAt(latitude, longitude, heading);
}

void ViewController::tickOnSamples(float positionMs, const std::vector<telemetry::Sample>& samples) {
    session_->tickOnSamples(positionMs, samples);
}

void ViewController::sliderValueChanged() {
    // Whole seconds, as the knob's millisecond could not be found again.
    session_->seekTo(double(std::llround(slider_video->value() / 1000.0)));
    telemetry::logLine(QString::asprintf("slider chagne %f", double(slider_video->value())).toStdString());
}

void ViewController::itemDidFinishPlaying() { session_->itemDidFinishPlaying(); }


void ViewController::rateChanged() { session_->rateChanged(); }

void ViewController::getDirections(double startLat, double startLon, double endLat, double endLon, double centreLat,
                                   double centreLon, const QStringList& coordinateSet) {
    tripMap_->getDirections(startLat, startLon, endLat, endLon, centreLat, centreLon, coordinateSet);
}

void ViewController::showRoute(const DirectionsAnswer& response) { tripMap_->showRoute(response); }

void ViewController::drawRoute(const QStringList& coordinateSet) { tripMap_->drawRoute(coordinateSet); }

QPen ViewController::rendererForOverlay(const MapPolyline& line) { return tripMap_->rendererForOverlay(line); }

std::optional<QImage> ViewController::viewForAnnotation(const MapAnnotation& annotation) {
    return tripMap_->viewForAnnotation(annotation);
}

void ViewController::btn_snapshot() {
    const QString recording = library.currentStorageVideo.filenameOfNowPlaying;
    if (!session_->isOpen() || !player->isOpen()) {
        statusBar()->showMessage(tr("No recording is playing: there is no frame to save."), 5000);
        return;
    }
    if (UserSeetingCapturePath.isEmpty()) {
        statusBar()->showMessage(tr("Choose a snapshot folder in Settings first."), 5000);
        return;
    }
    QString reason;
    const QImage frame = player->currentFrame(&reason);
    const QString path = frame.isNull() ? QString()
                                        : writeSnapshot(frame, UserSeetingCapturePath, recording, QTime::currentTime(), &reason);
    if (path.isNull()) {
        const QString message = tr("Snapshot not saved in %1: %2").arg(UserSeetingCapturePath, reason);
        telemetry::logLine(message.toStdString());
        statusBar()->showMessage(message, 8000);
        return;
    }
    statusBar()->showMessage(tr("Snapshot saved: %1").arg(path), 5000);
}

void ViewController::btn_setting() {
    // A fresh dialog each time, showing what is stored; modal, and the action returns at once.
    auto* dialog = new SettingViewController(this, QString::fromLatin1(TileLoader::kDefaultUrl),
                                             QString::fromLatin1(OsrmClient::kDefaultBaseUrl), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void ViewController::SettingViewClosed() {
    loadSettings();
    // The sample on screen in the new unit at once, rather than waiting for a tick
    // that a paused player never sends.
    const std::optional<TickTexts> shown = session_->shownTexts();
    label_speed->setText(shown ? shown->speed : QStringLiteral("SPEED : 000%1").arg(speedUnitText(UserSettingSpeedUnit)));
    showStatistics();
    marking_->showEvents();  // their speeds in the new unit too
    if (session_->recording()) showRecordingEvents(session_->recording()->row);
    showSpeedTrace();
    telemetry::logLine("SettingView Close");
}

void ViewController::placeMark(bool in) { marking_->placeMark(in); }

void ViewController::proposeEventSpan(int32_t row, double videoSeconds) { marking_->proposeEventSpan(row, videoSeconds); }

void ViewController::showMarks() { marking_->showMarks(); }

void ViewController::showSpeedTrace() {
    draw_Graph->setSpeedTrace({menu->speedTrace->isChecked(), trips::speedInUnit(1.0, UserSettingSpeedUnit),
                               QString::fromLatin1(trips::speedUnitName(UserSettingSpeedUnit))});
    draw_Graph->rebuild(hostView);
}
