#pragma once
// The G-sensor chart: three lines over the whole recording, against seconds of
// video. The builder prepares the series of a recording, builds the chart, and
// answers for the points it shows (with a shift of 1.0 on every vertical value).
// The chart gets at most about two points per pixel column of its plot (the lowest
// and highest of each), redone when it is resized, so a ten-hour recording costs
// what a short one does.

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Class_Subtitle_Info.h"
#include "Sample.h"
#include "Class_Video_Info.h"
#include "SeriesDecimation.h"

class QAbstractAxis;
class QChart;
class QChartView;
struct ChartFitting;

using PlotSeries = std::shared_ptr<const std::vector<PlotPoint>>;

// sign(v) * log10(1 + |v|): where the chart's log-modulus scale places a value.
double logModulus(double v);

// The vertical extent of a chart in g, the readings as recorded (the lines are
// drawn shifted, the labels are not): at least the fixed 0.5 to 2.5 of shifted
// values, widened to every value of the series, to the half g. Labels go at the
// multiples of `step`, at most about eight intervals.
struct GRange {
    double min, max, step;
};
GRange gRange(const std::vector<const std::vector<PlotPoint>*>& series);

// A moment to point at on the chart: a vertical tick at a video second.
struct EventMark {
    double seconds = 0;
    QString toolTip;
};

// The optional speed line: on its own axis at the right, in the unit chosen.
struct SpeedTrace {
    bool on = false;
    double perKmh = 1.0;                    // the shown unit per km/h
    QString unit = QStringLiteral("km/h");  // for the axis title
};

class Draw_Graph {
public:
    static constexpr double kShift = 1.0;
    static constexpr double kVisibleMin = 0.5, kVisibleMax = 2.5;  // shifted values

    // Turns a recording's samples into the three prepared series; the count only
    // sets the horizontal extent. The samples are spread evenly over the video's
    // length in seconds (0: one sample a second).
    void setGsensorData(const telemetry::List<telemetry::Class_Subtitle_Info>& samples, uint32_t count,
                        double videoSeconds = 0.0);

    // The same of decoded samples, whichever camera wrote them: a value a sample
    // lacks is left out of its line. A recording without any G-sensor value shows
    // its speed line whether or not the speed trace is on.
    void setGsensorData(const std::vector<telemetry::Sample>& samples, double videoSeconds);

    // Builds a new chart into the view (the previous one is deleted); with
    // noPlots the chart shows its frame only.
    void setGsensorGraph(QChartView* hostView, bool noPlots);

    // Builds the chart again as it was last built (after a change of its options).
    void rebuild(QChartView* hostView) { setGsensorGraph(hostView, lastNoPlots_); }
    // Takes effect at the next build.
    void setSpeedTrace(SpeedTrace trace) { speedTrace_ = std::move(trace); }
    const SpeedTrace& speedTrace() const { return speedTrace_; }
    // Called after every build with whether the chart shows the same series as the
    // chart it replaced (a rebuild) rather than another recording's or none.
    std::function<void(bool sameSeries)> chartBuilt;

    // The marks the next chart with plots shows, each a series named "Event mark"
    // whose words (property "toolTip") the chart's hover readout adds on it.
    void setEventMarks(std::vector<EventMark> marks) { eventMarks_ = std::move(marks); }
    const std::vector<EventMark>& eventMarks() const { return eventMarks_; }

    // Data source: the points of the plot named "X Plot", "Y Plot" or "Z Plot".
    uint64_t numberOfRecordsForPlot(const QString& plotIdentifier) const;
    std::optional<double> numberForPlot(const QString& plotIdentifier, uint64_t field, uint64_t index) const;

    QChart* graph = nullptr;  // owned by the host view
    PlotSeries dataForPlot_x, dataForPlot_y, dataForPlot_z;        // shown
    PlotSeries contentArray_x, contentArray_y, contentArray_z;     // prepared
    PlotSeries dataForPlot_speed, contentArray_speed;              // km/h, shown and prepared
    std::optional<uint32_t> max_num;
    double secondsPerSample = 1.0;  // of the prepared series
    bool hasG_ = true;              // of the prepared series
    // Of the chart built last: its horizontal extent in seconds (0 without plots),
    // and the seconds between its samples.
    double shownSeconds = 0.0, shownSecondsPerSample = 1.0;

private:
    std::vector<EventMark> eventMarks_;
    SpeedTrace speedTrace_;
    bool lastNoPlots_ = true;
    const PlotSeries* seriesFor(const QString& plotIdentifier) const;
    void addSpeedLine(QChart* chart, QAbstractAxis* xAxis, ChartFitting& fitting) const;
};
