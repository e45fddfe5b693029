#pragma once
// Steering playback from the G-sensor chart: a cursor at the playback time, the
// clip marks, a click or drag that asks to seek to the time under the pointer,
// and a readout of the time and the readings under the pointer that stays while
// the pointer rests (a tool tip would time out). The cursor and marks are items of
// their own over the chart, moved without rebuilding it.

#include <QObject>
#include <QPoint>
#include <QString>
#include <optional>
#include <utility>

#include "Draw_Graph.h"

class QChartView;
class QGraphicsLineItem;
class QGraphicsRectItem;
class QLabel;

// Where a second of a recording `length` seconds long lies across a plot whose
// horizontal extent starts at `left` and is `width` wide, and back; both clamped
// to the recording.
double chartXForSeconds(double seconds, double length, double left, double width);
double secondsForChartX(double x, double length, double left, double width);

// The sample nearest to a second, of `count` samples `secondsPerSample` apart.
size_t nearestSample(double seconds, double secondsPerSample, size_t count);

// "12.3 s" and the readings of the nearest sample, as read (without the chart's shift).
QString chartHoverText(double seconds, const PlotSeries& x, const PlotSeries& y, const PlotSeries& z,
                       double secondsPerSample);

class ChartInteraction : public QObject {
    Q_OBJECT
public:
    // Follows every chart the graph builds into the view.
    ChartInteraction(QChartView* view, Draw_Graph* graph, QObject* parent = nullptr);
    ~ChartInteraction() override;

    // The playback time the cursor shows; none hides it.
    void setCursorSeconds(std::optional<double> seconds);
    std::optional<double> cursorSeconds() const { return cursor_; }
    // The clip marks within the recording on the chart, in seconds.
    void setMarks(std::optional<double> in, std::optional<double> out, std::optional<std::pair<double, double>> span);

    // Where in the view's viewport a second lies (at mid-height of the plot); none
    // while the chart shows no recording.
    std::optional<QPoint> viewportPointFor(double seconds) const;
    QGraphicsLineItem* cursorItem() const { return cursorLine_; }
    QGraphicsRectItem* spanItem() const { return spanBand_; }
    // The hover readout's text; empty while it is hidden.
    QString readout() const;

signals:
    void seekRequested(double seconds);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chartBuilt(bool sameSeries);
    void place();
    void placeCursor();
    std::optional<double> secondsAt(QPoint viewportPos) const;
    void showReadout(QPoint viewportPos, const QString& text);

    QChartView* view_;
    Draw_Graph* graph_;
    QGraphicsLineItem* cursorLine_;
    QGraphicsLineItem* inLine_;
    QGraphicsLineItem* outLine_;
    QGraphicsRectItem* spanBand_;
    QLabel* readout_;
    std::optional<double> cursor_, in_, out_;
    std::optional<std::pair<double, double>> span_;
    bool dragging_ = false;
};
