#include "ViewController.h"

#include <QActionGroup>
#include <QLabel>
#include <QOpenGLContext>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>

#include "ChartInteraction.h"
#include "ClipExportAction.h"
#include "ChannelChoice.h"
#include "ClipMarking.h"
#include "ExportTrackAction.h"
#include "FileTableModel.h"
#include "FileTableView.h"
#include "Log.h"
#include "MainMenu.h"
#include "MarkedSlider.h"
#include "MpvVideoWidget.h"
#include "PlaybackSession.h"
#include "PlaybackSpeed.h"
#include "RowFilterChoice.h"
#include "SettingsStore.h"
#include "SnapshotAction.h"
#include "StatisticsForm.h"
#include "TileLoader.h"
#include "TripMap.h"
#include "VideoPanel.h"
#include "WindowLayout.h"

namespace {
// A platform without OpenGL (a headless one) cannot show an OpenGL widget at all.
bool openGLAvailable() { return QOpenGLContext().create(); }
}  // namespace

ViewController::ViewController(MpvPlayer::Output video, QWidget* parent)
    : QMainWindow(parent),
      videoOutput_(video == MpvPlayer::Output::Window && !openGLAvailable() ? MpvPlayer::Output::None : video) {
    player = new MpvPlayer(videoOutput_, this);
    session_ = new PlaybackSession(library, *player, this);
    intake_ = std::make_unique<RecordingIntake>(library, RecordingIntake::dialogs(this));
    const UserSettings stored = ::loadSettings();
    directions_ = new OsrmClient(
        serverUrl("DASHCAM_ROUTING_URL", stored.RoutingServerUrl, QString::fromLatin1(OsrmClient::kDefaultBaseUrl)), this);
    mapView = new MapWidget(serverUrl("DASHCAM_TILE_URL", stored.TileServerUrl, QString::fromLatin1(TileLoader::kDefaultUrl)), this);
    buildWindow();
    connect(intake_.get(), &RecordingIntake::rowsChanged, this, &ViewController::reloadRows);
    connect(intake_.get(), &RecordingIntake::progressRangeChanged, this,
            [this](double minimum, double maximum) { layout_->setProgressRange(minimum, maximum); });
    connect(intake_.get(), &RecordingIntake::progressChanged, this,
            [this](double value, const QString& text) { layout_->setProgress(value, text); });
    connect(intake_.get(), &RecordingIntake::statusMessage, this, [this](const QString& text) { statusBar()->showMessage(text); });
    viewDidLoad();
}

ViewController::~ViewController() {
    // Nothing may reach the window while it comes apart: the player's news (a queued
    // end of a recording would open the next one) and the indexing run's hand-offs,
    // which it no longer waits for. No event loop runs here.
    player->disconnect(session_);
    session_->disconnect(this);
    player->disconnect(chartSteering_);
    player->close();
    intake_.reset();  // stops its run, whose hand-offs would reach the window
    delete chartSteering_;  // it steers the chart of draw_Graph, which goes first
    // The video's render context must go before the player it draws.
    delete playerView;
    playerView = nullptr;
}

void ViewController::buildWindow() {
    menu_ = new MainMenu(this);
    auto* mpv = static_cast<MpvPlayer*>(player);
    tableModel_ = new FileTableModel(library, this);
    layout_ = std::make_unique<WindowLayout>(
        this, player, mpv->usable() && videoOutput_ == MpvPlayer::Output::Window ? new MpvVideoWidget(mpv, this) : nullptr,
        *menu_, mapView, tableModel_);
    tableView = layout_->table;
    progressIndicator = layout_->progress;
    label_main = layout_->progressText;
    label_gx = layout_->gx;
    label_gy = layout_->gy;
    label_gz = layout_->gz;
    label_speed = layout_->speed;
    label_date = layout_->date;
    slider_video = layout_->slider;
    hostView = layout_->chart;
    playerView = layout_->video;
    tableModel_->setDrives(&drives_);
    buildMenu();
    tripMap_ = new TripMap(mapView, directions_, library, drives_, menu_->fitTrip, menu_->followVehicle, this);
    connect(tripMap_, &TripMap::seekRequested, session_, [this](int64_t seconds) { session_->seekTo(double(seconds)); });
    connect(tripMap_, &TripMap::routeRequested, this, [this](GeoCoordinate from, GeoCoordinate to) { source = from, destination = to; });
    connect(layout_->openButton, &QPushButton::clicked, this, &ViewController::btn_folder_open);
    connect(layout_->settingsButton, &QPushButton::clicked, menu_->settings, &QAction::trigger);
    connect(layout_->snapshotButton, &QPushButton::clicked, this, &ViewController::btn_snapshot);
    // Seek when the knob is let go, or when a click or key moves it a step.
    connect(slider_video, &QSlider::sliderReleased, this, &ViewController::sliderValueChanged);
    connect(slider_video, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove)
            QMetaObject::invokeMethod(this, &ViewController::sliderValueChanged, Qt::QueuedConnection);
    });
    connectSession();
    connect(playerView, &VideoPanel::fullScreenToggled, this, [this](bool on) { layout_->showVideoAlone(on); });
}

void ViewController::connectSession() {
    connect(session_, &PlaybackSession::closed, this, &ViewController::clearShownRecording);
    connectChannelChoice(*menu_, *session_, *playerView, *statusBar());
    connectRowFilter(*menu_, *tableView, *session_, *statusBar());
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
        layout_->showTickTexts(sample.texts);
    });
    connect(session_, &PlaybackSession::speedChanged, this, [this](double speed) {
        layout_->rate->setText(speedText(speed));
        menu_->showSpeed(speed);
    });
}

void ViewController::buildMenu() {
    connect(menu_->open, &QAction::triggered, this, &ViewController::btn_folder_open);
    trackExport_ = new ExportTrackAction(this);
    connect(menu_->exportTrack, &QAction::triggered, this, [this] {
        trackExport_->run(library, drives_, session_->recording() ? library.currentStorageVideo.indexOfNowPlaying : -1);
    });
    connect(menu_->clearList, &QAction::triggered, this, &ViewController::clearList);
    clipExport_ = new ClipExportAction(library, drives_, this);
    connect(menu_->exportClip, &QAction::triggered, this, [this] { clipExport_->run(marking_->in(), marking_->out(), UserSettingSpeedUnit); });
    connect(menu_->quit, &QAction::triggered, this, &QWidget::close);
    connect(menu_->playPause, &QAction::triggered, playerView, &VideoPanel::togglePlay);
    connect(menu_->stepForward, &QAction::triggered, this, [this] { player->stepFrame(true); });
    connect(menu_->stepBack, &QAction::triggered, this, [this] { player->stepFrame(false); });
    connect(menu_->slower, &QAction::triggered, session_, [this] { session_->stepSpeed(-1); });
    connect(menu_->faster, &QAction::triggered, session_, [this] { session_->stepSpeed(1); });
    connect(menu_->normalSpeed, &QAction::triggered, session_, [this] { session_->setSpeed(1.0); });
    connect(menu_->speeds, &QActionGroup::triggered, session_, [this](QAction* a) { session_->setSpeed(a->data().toDouble()); });
    connect(menu_->previous, &QAction::triggered, session_, [this] { session_->playNeighbour(-1); });
    connect(menu_->next, &QAction::triggered, session_, [this] { session_->playNeighbour(1); });
    for (const auto& [a, by] : {std::pair{menu_->back5, -5}, {menu_->forward5, 5}, {menu_->back30, -30}, {menu_->forward30, 30}})
        connect(a, &QAction::triggered, session_, [this, by = by] { session_->seekBy(by); });
    connect(menu_->toStart, &QAction::triggered, session_, [this] { session_->seekTo(0); });
    connect(menu_->toEnd, &QAction::triggered, session_, &PlaybackSession::seekToEnd);
    session_->setOrder([this](int32_t row, int delta) { return int32_t(tableView->shownNeighbour(row, delta)); });
    connect(menu_->snapshot, &QAction::triggered, this, &ViewController::btn_snapshot);
    connect(menu_->mute, &QAction::toggled, this, [this](bool on) { player->setMuted(on); });
    connect(menu_->volumeDown, &QAction::triggered, this, [this] { player->changeVolume(-10); });
    connect(menu_->volumeUp, &QAction::triggered, this, [this] { player->changeVolume(10); });
    connect(menu_->fullScreen, &QAction::triggered, playerView, &VideoPanel::toggleFullScreen);
    connect(menu_->leaveFullScreen, &QAction::triggered, playerView, &VideoPanel::leaveFullScreen);
    connect(menu_->speedTrace, &QAction::toggled, this, &ViewController::showSpeedTrace);
    connect(menu_->settings, &QAction::triggered, this, &ViewController::btn_setting);
    intake_->setRecentMenu(menu_->recent);
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
    drives_.clear();
    marking_->clear();
    layout_->statistics->clear();
    tableModel_->clear();
    tripMap_->clear();
    // The chart's axis as at start: no length, no events.
    draw_Graph->setGsensorData(std::nullopt, 0);
    draw_Graph->setEventMarks({});
    draw_Graph->setGsensorGraph(hostView, true);
    playerView->showVideo();
    if (auto* picture = qobject_cast<MpvVideoWidget*>(playerView->video())) picture->clear();
    layout_->resetProgress();
    statusBar()->clearMessage();
    setWindowTitle(QStringLiteral("dashcam-viewer"));
}

void ViewController::showShortcuts() { menu_->showShortcuts(); }

void ViewController::viewDidLoad() {
    // The row columns and the recording list were made with the library.
    connect(tableView, &FileTableView::rowAboutToBeSelected, this, [this](int row) { playTheVideo(int32_t(row)); });
    connect(tableView, &FileTableView::filesDropped, this, &ViewController::acceptDrop);
    // A north-up map the user can zoom; the window gives its lines and markers their look.
    mapView->setDelegate(this);
    draw_Graph = std::make_unique<Draw_Graph>();
    chartSteering_ = new ChartInteraction(hostView, draw_Graph.get(), this);
    connect(chartSteering_, &ChartInteraction::seekRequested, session_, &PlaybackSession::seekTo);
    marking_ = new ClipMarking(library, drives_, layout_->events,
                               {[this] { return session_->position(); }, [this] { return UserSettingSpeedUnit; }},
                               {layout_->slider, chartSteering_}, this);
    connect(marking_, &ClipMarking::eventChosen, session_, &PlaybackSession::seekToEvent);
    connect(marking_, &ClipMarking::refused, this, [this](const QString& message) { statusBar()->showMessage(message, 5000); });
    connect(menu_->markIn, &QAction::triggered, marking_, [this] { marking_->placeMark(true); });
    connect(menu_->markOut, &QAction::triggered, marking_, [this] { marking_->placeMark(false); });
    connect(menu_->clearMarks, &QAction::triggered, marking_, &ClipMarking::clearMarks);
    connect(player, &MediaPlayer::tick, chartSteering_,
            [this](MediaTime t) { chartSteering_->setCursorSeconds(double(t.value) / t.timescale); });
    loadSettings();
    // The speed line shows without the menu's trace for a recording without G values:
    // it needs its unit from the start.
    showSpeedTrace();
    layout_->resetProgress();
    library.table_cnt = 0;
    library.isOperationIndexing = false;
}

void ViewController::loadSettings() {
    const UserSettings s = ::loadSettings();
    UserSettingSpeedUnit = s.PresetSpeedUnit;
    session_->setSpeedUnit(UserSettingSpeedUnit);
    UserSettingDistanceUnit = s.PresetDistanceUnit;
    UserSeetingCapturePath = s.PathOfSaveDirectory;
    snapshotChannels_ = s.PresetSnapshotChannels;
    if (s.EventSensitivity == eventSensitivity_) return;
    eventSensitivity_ = s.EventSensitivity;
    drives_.setThresholds(trips::thresholdsFor(trips::Sensitivity(s.EventSensitivity)), library.currentStorageVideo,
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
    drives_.update(library.currentStorageVideo, library.arrayTable_Problem);
    tableModel_->reloadRows(first, last);
    tableModel_->drivesChanged();
    // A batch only adds recordings, and a summary once made stays: only the new
    // ones' events are added, so the list (and what the user chose in it) stays.
    marking_->eventsAdded();
}

void ViewController::seekToEvent(int32_t row, double videoSeconds) { session_->seekToEvent(row, videoSeconds); }
void ViewController::seekTo(int64_t seconds) { session_->seekTo(double(seconds)); }

void ViewController::clearShownRecording() {
    // Nothing of the previous recording may stay on screen while another opens.
    layout_->clearTickTexts();
    tripMap_->clearMarkers();
    slider_video->setRange(0, 0);
    playerView->setFullScreenButtonVisible(false);
    playerItem.clear();
    layout_->statistics->clear();
}

void ViewController::showStatistics() {
    const int row = session_->recording() ? session_->recording()->row : -1;
    const trips::Trip* trip = row < 0 ? nullptr : drives_.tripOf(row);
    if (!trip) return layout_->statistics->clear();
    layout_->statistics->setStatistics(drives_.summaries().at(size_t(row)).statistics,
                                       std::pair{int(drives_.tripNumberOf(row)) + 1, trip->statistics}, UserSettingDistanceUnit,
                                       UserSettingSpeedUnit);
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
    const std::vector<trips::Event>& events = drives_.has(row) ? drives_.summaries().at(size_t(row)).events : none;
    std::vector<EventMark> marks;
    for (const trips::Event& e : events)
        marks.push_back({e.videoSeconds,
                         QStringLiteral("%1 %2").arg(durationText(e.videoSeconds), eventDescription(e, UserSettingSpeedUnit))});
    tripMap_->showEvents(row);
    draw_Graph->setEventMarks(std::move(marks));
    draw_Graph->setGsensorGraph(hostView, false);
}

void ViewController::tick(MediaTime time) { session_->tick(time); }
void ViewController::showTickTexts(const TickTexts& texts) { layout_->showTickTexts(texts); }

void ViewController::moveVehicleMarker(double latitude, double longitude, int32_t heading) { tripMap_->vehicleAt(latitude, longitude, heading); }

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

std::optional<QImage> ViewController::viewForAnnotation(const MapAnnotation& a) { return tripMap_->viewForAnnotation(a); }

void ViewController::btn_snapshot() {
    const SnapshotOutcome outcome =
        takeSnapshot(*player, session_->isOpen() ? library.currentStorageVideo.filenameOfNowPlaying : QString(), UserSeetingCapturePath,
                     snapshotChannels_ == QLatin1String("all"));
    statusBar()->showMessage(outcome.message, outcome.timeoutMs);
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
    draw_Graph->setSpeedTrace({menu_->speedTrace->isChecked(), trips::speedInUnit(1.0, UserSettingSpeedUnit),
                               QString::fromLatin1(trips::speedUnitName(UserSettingSpeedUnit))});
    draw_Graph->rebuild(hostView);
}

void ViewController::setTrackExport(ExportTrackAction* action) {
    delete trackExport_;
    trackExport_ = action;
}
