#pragma once
// The window's widgets and how they share its space: the file table and events list, the
// video with its control bar, the map beside it, and below them the telemetry, the
// statistics and the chart. It owns no state of the program; the window connects it.

#include <QCoreApplication>
#include <QString>

class FileTableView;
class QAbstractItemModel;
class MainMenu;
class MapWidget;
class MarkedSlider;
class MediaPlayer;
class QChartView;
class QLabel;
class QListWidget;
class QMainWindow;
class QProgressBar;
class QPushButton;
class QSplitter;
class QWidget;
class StatisticsForm;
class VideoPanel;
struct TickTexts;

class WindowLayout {
    Q_DECLARE_TR_FUNCTIONS(WindowLayout)

public:
    // Builds the widgets into the window: `picture` is where the video shows (none: a
    // placeholder saying so), the menu's
    // transport and mark actions get buttons on the control bar, the table shows `rows`.
    WindowLayout(QMainWindow* window, MediaPlayer* player, QWidget* picture, MainMenu& menu, MapWidget* map,
                 QAbstractItemModel* rows);

    // The telemetry of the sample on screen; none: the dashes of no recording.
    void showTickTexts(const TickTexts& texts);
    void clearTickTexts();
    // The indexing run's progress; an empty range shows an empty bar.
    void setProgressRange(double minimum, double maximum);
    void setProgress(double value, const QString& text);
    void resetProgress();  // 0 of 100, no text: as at start
    // The video alone on the screen, or the whole window again.
    void showVideoAlone(bool alone);

    FileTableView* table;
    QListWidget* events;  // every listed recording's events; a click seeks
    QProgressBar* progress;
    QLabel* progressText;
    QPushButton* openButton;
    QPushButton* settingsButton;
    VideoPanel* video;
    MarkedSlider* slider;
    QLabel* position;  // "m:ss / m:ss" beside the slider
    QLabel* rate;  // the playback speed, on the control bar
    QPushButton* snapshotButton;
    MapWidget* map;
    QLabel* gx;
    QLabel* gy;
    QLabel* gz;
    QLabel* speed;
    QLabel* date;
    StatisticsForm* statistics;
    QChartView* chart;

private:
    QWidget* buildList(QWidget* parent, QAbstractItemModel* rows);
    QWidget* buildTelemetry(QWidget* parent);
    void buildControlBar(MediaPlayer* player, MainMenu& menu);

    QMainWindow* window_;
    QWidget* list_ = nullptr;
    QWidget* below_ = nullptr;
};
