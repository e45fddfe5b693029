#pragma once
// The main window. It owns the window's state and builds and connects the controllers
// (the intake, the clip marking, the playback session, the map); the widgets and their
// places are WindowLayout's, the work the subsystems' (library, graph, settings).

#include <QByteArrayList>
#include <QMainWindow>
#include <QStringList>
#include <QUrl>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

#include "DriveIndex.h"
#include "Draw_Graph.h"
#include "MapInterface.h"
#include "MapWidget.h"
#include "OsrmClient.h"
#include "MediaPlayer.h"
#include "MpvPlayer.h"
#include "RecordingIntake.h"
#include "RecordingLibrary.h"
#include "SettingViewController.h"

class ExportTrackAction;
class ChartInteraction;
class ClipExportAction;
class ClipMarking;
class FileTableModel;
class MainMenu;
class PlaybackSession;
class TripMap;
class FileTableView;
class QChartView;
class QLabel;
struct TickTexts;
class QProgressBar;
class QSlider;
class VideoPanel;
class WindowLayout;

class ViewController : public QMainWindow,
                       public SettingViewDelegate,
                       public MapViewDelegate {
    Q_OBJECT
public:
    // Output::None plays without showing the video (tests without a display).
    explicit ViewController(MpvPlayer::Output video = MpvPlayer::Output::Window, QWidget* parent = nullptr);
    ~ViewController() override;

    // Actions.
    void btn_folder_open();
    void btn_setting();
    void SettingViewClosed() override;
    void playTheVideo(int32_t row);
    // Plays from 5 s before an event, opening its recording first when another is open.
    void seekToEvent(int32_t row, double videoSeconds);
    // Seeks the recording now playing, or the one opening once it plays.
    void seekTo(int64_t seconds);
    // Queues paths as the open button queues a choice: a folder first gives its
    // recordings, files are taken as given. False when a run is under way.
    bool openPaths(const QStringList& chosen);
    // The same with paths as the file system's bytes (the command line's).
    bool openPaths(const QByteArrayList& chosen);
    void acceptDrop(const QList<QUrl>& urls);
    void tick(MediaTime time);
    // The tick of a recording whose telemetry another camera's reader decoded.
    void tickOnSamples(float positionMs, const std::vector<telemetry::Sample>& samples);
    void moveVehicleMarker(double latitude, double longitude, int32_t heading);
    void showTickTexts(const TickTexts& texts);
    void sliderValueChanged();
    void itemDidFinishPlaying();
    void rateChanged();
    void btn_click() {}
    void btn_snapshot();
    void getDirections(double startLat, double startLon, double endLat, double endLon, double centreLat,
                       double centreLon, const QStringList& coordinateSet);
    void showRoute(const DirectionsAnswer& response);
    void drawRoute(const QStringList& coordinateSet);

    // MapViewDelegate
    QPen rendererForOverlay(const MapPolyline& line) override;
    std::optional<QImage> viewForAnnotation(const MapAnnotation& annotation) override;

    bool isIndexing() const;
    // Opening, drops, the recent list and indexing; tests answer its dialogs.
    RecordingIntake& intake() { return *intake_; }
    // The open recording: opening, seeking, the next and previous, speed, the tick's sample.
    PlaybackSession& session() { return *session_; }
    // The clip marks and the events list; Export Clip takes its marks.
    ClipMarking& marking() { return *marking_; }
    // What the map shows: the route or track, the trip, the markers.
    TripMap& tripMap() { return *tripMap_; }

    // The window's other parts, for those who drive it as a user would.
    MainMenu& mainMenu() { return *menu_; }
    const DriveIndex& driveIndex() const { return drives_; }  // trips and events of the listed recordings
    ChartInteraction& chartSteering() { return *chartSteering_; }  // cursor, marks and seeking on the chart
    ClipExportAction& clipExport() { return *clipExport_; }  // File ▸ Export Clip…
    // File ▸ Export Track… asks this one from now on; the window takes it.
    void setTrackExport(ExportTrackAction* action);

    // State.
    RecordingLibrary library;
    int64_t UserSettingSpeedUnit = 0;
    int64_t UserSettingDistanceUnit = 0;
    QString UserSeetingCapturePath;  // null until a folder has been saved
    std::unique_ptr<Draw_Graph> draw_Graph;
    QString playerItem;  // the path of the recording open in the player; empty while none is
    GeoCoordinate source, destination;
    MediaPlayer* player = nullptr;
    MapWidget* mapView = nullptr;

    // Interface elements, as the layout made them.
    FileTableView* tableView = nullptr;
    QProgressBar* progressIndicator = nullptr;
    QLabel* label_main = nullptr;
    QLabel* label_gx = nullptr;
    QLabel* label_gy = nullptr;
    QLabel* label_gz = nullptr;
    QLabel* label_speed = nullptr;
    QLabel* label_date = nullptr;
    QSlider* slider_video = nullptr;
    QChartView* hostView = nullptr;
    VideoPanel* playerView = nullptr;

    // Playback controls of the menu and the bar.
    void setPlaybackSpeed(double speed);
    void stepPlaybackSpeed(int steps);
    void playNeighbour(int delta);  // the recording delta rows on, if it is indexed
    void showShortcuts();
    // Empties the table and shows the window as at start; refused while indexing.
    void clearList();
    // Clip marks: In or Out at the playback position, the span around an event,
    // and drawing them on the slider and the chart.
    void placeMark(bool in);
    void proposeEventSpan(int32_t row, double videoSeconds);
    void showMarks();
    void showSpeedTrace();  // the chart again, with or without speed, in the chosen unit

private:
    void buildWindow();
    void buildMenu();
    void viewDidLoad();
    void loadSettings();
    void clearShownRecording();
    void showStatistics();
    void showRecordingEvents(int32_t row);  // on the chart and the map
    void connectSession();

    void reloadRows(int32_t first, int32_t last);  // the intake's run indexed these

    MpvPlayer::Output videoOutput_;
    int64_t eventSensitivity_ = 1;  // trips::Sensitivity
    QString snapshotChannels_;      // PresetSnapshotChannels
    DriveIndex drives_;
    OsrmClient* directions_ = nullptr;
    MainMenu* menu_ = nullptr;
    std::unique_ptr<WindowLayout> layout_;
    ExportTrackAction* trackExport_ = nullptr;
    ClipExportAction* clipExport_ = nullptr;
    ChartInteraction* chartSteering_ = nullptr;
    PlaybackSession* session_ = nullptr;
    FileTableModel* tableModel_ = nullptr;
    ClipMarking* marking_ = nullptr;
    TripMap* tripMap_ = nullptr;
    // Last, so that it goes first: its run writes to the library while it lasts.
    std::unique_ptr<RecordingIntake> intake_;
};
