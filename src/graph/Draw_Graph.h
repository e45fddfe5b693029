#pragma once
// The G-sensor chart: three lines, one point per telemetry sample, over the whole
// recording. The builder prepares the series of a recording, builds the chart,
// and is the one place the chart reads its points from (with a shift of 1.0 on
// every vertical value).

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "Class_Subtitle_Info.h"
#include "Class_Video_Info.h"

class QChart;
class QChartView;

struct PlotPoint {
    float x;  // the sample's position in the table
    float y;  // the axis reading
};
using PlotSeries = std::shared_ptr<const std::vector<PlotPoint>>;

// sign(v) * log10(1 + |v|): where the chart's log-modulus scale places a value.
double logModulus(double v);

class Draw_Graph {
public:
    static constexpr double kShift = 1.0;
    static constexpr double kVisibleMin = 0.5, kVisibleMax = 2.5;  // shifted values

    // Turns a recording's samples into the three prepared series; the count only
    // sets the horizontal extent.
    void setGsensorData(const telemetry::List<telemetry::Class_Subtitle_Info>& samples, uint32_t count);

    // Builds a new chart into the view (the previous one is deleted); with
    // noPlots the chart shows its frame only.
    void setGsensorGraph(QChartView* hostView, bool noPlots);

    // Data source: the points of the plot named "X Plot", "Y Plot" or "Z Plot".
    uint64_t numberOfRecordsForPlot(const QString& plotIdentifier) const;
    std::optional<double> numberForPlot(const QString& plotIdentifier, uint64_t field, uint64_t index) const;

    QChart* graph = nullptr;  // owned by the host view
    PlotSeries dataForPlot_x, dataForPlot_y, dataForPlot_z;        // shown
    PlotSeries contentArray_x, contentArray_y, contentArray_z;     // prepared
    std::optional<uint32_t> max_num;

private:
    const PlotSeries* seriesFor(const QString& plotIdentifier) const;
};
