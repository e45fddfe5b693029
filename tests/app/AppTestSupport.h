#pragma once
// Recordings for the window's tests, made by the project's generator, and helpers
// to wait for the indexing thread while serving its hand-offs.

#include <QCoreApplication>
#include <QDir>
#include <QChartView>
#include <QElapsedTimer>
#include <QAction>
#include <QDragEnterEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QProgressBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Drive.h"
#include "Extract_Subtitle.h"
#include "Log.h"
#include "MapInterface.h"
#include "MapWidget.h"
#include "QtPrinters.h"
#include "StatisticsForm.h"
#include "SubtitleTrackReader.h"
#include "SyntheticMp4.h"

// A recording as the scan reads it from its file, read by the test itself: what the
// window shows for it is checked against this, never against the window's own copy.
inline telemetry::Class_Video_Info recordingInFile(const QByteArray& path) {
    telemetry::Class_Video_Info record;
    telemetry::Extract_Subtitle().ExtractSubtitle(record, path.toStdString());
    return record;
}
inline telemetry::Class_Video_Info recordingInFile(const QString& path) { return recordingInFile(QFile::encodeName(path)); }
inline std::vector<telemetry::Sample> samplesInFile(const QString& path) { return telemetry::samplesOf(recordingInFile(path)); }

// A synthetic recording of the given telemetry lines, one a second, at a path in
// the file system's bytes.
inline void makeRecordingOf(const std::string& path, const std::vector<std::string>& lines) {
    testgen::SyntheticOptions o;
    for (const auto& l : lines) o.samples.push_back(testgen::timedTextSample(l));
    o.duration = uint32_t(lines.size()) * 1000;
    o.videoBytesPerSample = 16;
    o.trailer = 64;
    testgen::writeSynthetic(path, o);
}

// The same of a generated drive of the given length.
inline void makeRecordingAt(const std::string& path, int seconds) {
    testgen::DriveOptions d;
    d.seconds = seconds;
    makeRecordingOf(path, testgen::simulateDrive(d));
}

// The same of a drive with these options; `bend` may rewrite the '$' fields of line i.
inline void makeDriveAt(const QString& path, const testgen::DriveOptions& d,
                        const std::function<void(int i, QStringList& fields)>& bend = {}) {
    std::vector<std::string> lines = testgen::simulateDrive(d);
    for (size_t i = 0; bend && i < lines.size(); ++i) {
        QStringList fields = QString::fromStdString(lines[i]).split('$');
        bend(int(i), fields);
        lines[i] = fields.join('$').toStdString();
    }
    makeRecordingOf(QFile::encodeName(path).toStdString(), lines);
}

// The same in a folder (0 samples: no telemetry at all, a file that is not a recording).
inline QString makeRecording(const QDir& dir, const QString& name, int seconds, bool telemetry = true) {
    const QString path = dir.filePath(name);
    if (!telemetry) {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("not a recording");
        return path;
    }
    makeRecordingAt(QFile::encodeName(path).toStdString(), seconds);
    return path;
}

// The window's map as the user sees it.
inline MapWidget& mapOf(const QWidget& window) {
    auto* map = window.findChild<MapWidget*>(QStringLiteral("map"));
    if (!map) throw std::runtime_error("the window has no map");
    return *map;
}

// The map as drawn now. Drawing a window not yet shown lays it out first, which
// may resize the map: it is drawn again until its size holds.
inline QImage shownMap(MapWidget& map) {
    QImage shown;
    do {
        shown = QImage(map.size(), QImage::Format_ARGB32);
        map.render(&shown);
    } while (shown.size() != map.size());
    return shown;
}

// The colour the map draws at a place, with the place in the middle of its view.
inline QColor drawnAt(MapWidget& map, GeoCoordinate place, double zoom) {
    shownMap(map);  // laid out first: the place's pixel depends on the map's size
    map.setView(place, zoom);
    return shownMap(map).pixelColor(map.toWidget(place).toPoint());
}

// Serves queued calls until the condition holds (or gives up after a while).
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The window's parts as a user finds them on screen.
inline QTableView& recordingsTable(QWidget& w) { return *w.findChild<QTableView*>(QStringLiteral("recordings")); }
inline QChartView& chartView(const QWidget& w) { return *w.findChild<QChartView*>(); }  // the G-sensor chart
inline QString shownCell(QWidget& w, int row, int column) {
    return recordingsTable(w).model()->index(row, column).data().toString();
}
inline int shownRowCount(QWidget& w) { return recordingsTable(w).model()->rowCount(); }
inline QProgressBar& indexingBar(QWidget& w) { return *w.findChild<QProgressBar*>(QStringLiteral("indexingProgress")); }
inline QString indexingCount(QWidget& w) { return w.findChild<QLabel*>(QStringLiteral("indexingCount"))->text(); }
// A label of the window by its object name: "gx", "gy", "gz", "sampleSpeed", "sampleDate",
// "positionText" (beside the slider), "speed" (the playback speed).
inline QString labelText(QWidget& w, const char* name) {
    const QLabel* label = w.findChild<QLabel*>(QString::fromLatin1(name));
    if (!label) throw std::runtime_error(std::string("no label ") + name);
    return label->text();
}
// The statistics form as shown: a line a row, its cells ("Distance", "0.32 mi", ...) joined by tabs.
inline QStringList statisticsShown(QWidget& w) {
    const auto* form = w.findChild<StatisticsForm*>(QStringLiteral("statistics"));
    if (!form) throw std::runtime_error("no statistics form");
    return form->lines();
}
inline QSlider& positionSlider(QWidget& w) { return *w.findChild<QSlider*>(QStringLiteral("position")); }
inline QListWidget& eventsList(QWidget& w) { return *w.findChild<QListWidget*>(QStringLiteral("eventsList")); }
// Clicks the listed event as the mouse does.
inline void clickEvent(QWidget& w, int index) {
    QListWidget& list = eventsList(w);
    list.scrollToItem(list.item(index));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(index)).center());
}
// The window's action or button of this text (with its '&'); the test stops at a missing one.
inline QAction& actionNamed(QWidget& w, const QString& text) {
    for (QAction* a : w.findChildren<QAction*>())
        if (a->text() == text) return *a;
    throw std::runtime_error("no action " + text.toStdString());
}
inline QPushButton& buttonNamed(QWidget& w, const QString& text) {
    for (QPushButton* b : w.findChildren<QPushButton*>())
        if (b->text() == text) return *b;
    throw std::runtime_error("no button " + text.toStdString());
}

// Drags the URLs onto the widget and drops them there if it offers to take them; whether it did.
inline bool dropOn(QAbstractScrollArea& target, const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target.viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    if (enter.isAccepted()) QCoreApplication::sendEvent(target.viewport(), &drop);
    return enter.isAccepted();
}

// Opens the paths in the window and waits until they are indexed.
template <class Window>
bool openIndexed(Window& w, const QStringList& paths) {
    return w.openPaths(paths) && waitUntil([&] { return !w.isIndexing(); });
}

// The row of the recording chosen last (opening, playing or failed), or -1.
template <class Window>
int openRow(Window& w) {
    return w.session().recording() ? int(w.session().recording()->row) : -1;
}

// A window (of a test's own subclass, or not) that asks this routing server; empty: routing off.
template <class Window, class... Args>
std::unique_ptr<Window> windowRoutedTo(const QString& url, Args&&... args) {
    qputenv("DASHCAM_ROUTING_URL", url.toUtf8());
    auto w = std::make_unique<Window>(std::forward<Args>(args)...);
    qputenv("DASHCAM_ROUTING_URL", "");
    return w;
}

// Points as "latitude,longitude" texts, to compare a whole line at once.
inline QStringList pointTexts(const QVector<GeoCoordinate>& points) {
    QStringList texts;
    for (const GeoCoordinate& p : points)
        texts << QString::number(p.latitude, 'g', 10) + ',' + QString::number(p.longitude, 'g', 10);
    return texts;
}

// Collects the core's log lines while alive.
class LogCapture {
public:
    LogCapture() { telemetry::setLogSink([this](std::string_view l) { lines.emplace_back(l); }); }
    ~LogCapture() { telemetry::setLogSink({}); }
    bool contains(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
    std::vector<std::string> lines;
};
