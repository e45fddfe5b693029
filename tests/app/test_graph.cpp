#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QCategoryAxis>
#include <QCoreApplication>
#include <QChart>
#include <QChartView>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "Draw_Graph.h"

using telemetry::Class_Subtitle_Info;

namespace {
telemetry::List<Class_Subtitle_Info> samplesWithAxes(const std::vector<std::array<const char*, 3>>& axes) {
    std::vector<Class_Subtitle_Info> samples;
    for (const auto& a : axes) {
        Class_Subtitle_Info s;
        s.gx = a[0], s.gy = a[1], s.gz = a[2];
        samples.push_back(s);
    }
    return samples;
}

QList<QLineSeries*> plots(QChart* chart) {
    QList<QLineSeries*> out;
    for (QAbstractSeries* s : chart->series())
        if (s->name().endsWith(QLatin1String(" Plot"))) out.append(static_cast<QLineSeries*>(s));
    return out;
}
}  // namespace

TEST(DrawGraph, SeriesPreparationAndDataSource) {
    Draw_Graph g;
    EXPECT_EQ(g.numberOfRecordsForPlot("X Plot"), 0u);  // nothing shown yet
    g.setGsensorData(samplesWithAxes({{"0.12", "0", "1"}, {"-0.50", "0.25g", "1"}, {"abc", "", " 2"}}), 3);
    std::vector<std::vector<float>> points;  // per series: its x then y values
    for (const PlotSeries& series : {g.contentArray_x, g.contentArray_y, g.contentArray_z}) {
        points.emplace_back();
        for (const PlotPoint& p : *series) points.back().insert(points.back().end(), {p.x, p.y});
    }
    EXPECT_EQ(points, (std::vector<std::vector<float>>{
                          {0, 0.12f, 1, -0.5f, 2, 0}, {0, 0, 1, 0.25f, 2, 0}, {0, 1, 1, 1, 2, 2}}));
    EXPECT_EQ(g.max_num, 3u);

    // The shown series answer with a shift of 1.0 on their vertical values.
    g.setGsensorGraph(nullptr, false);
    EXPECT_EQ(g.numberForPlot("Y Plot", 1, 1), 1.25);
    EXPECT_EQ(g.numberForPlot("Y Plot", 0, 1), 1.0);            // field 0: the time, unshifted
    EXPECT_EQ(g.numberForPlot("X Plot", 2, 0), double(0.12f));  // other fields: no shift
    EXPECT_EQ(g.numberOfRecordsForPlot("W Plot"), 3u);          // the X series' count for an unknown plot...
    EXPECT_FALSE(g.numberForPlot("W Plot", 1, 0).has_value());  // ...but no values
    EXPECT_FALSE(g.numberForPlot("x plot", 1, 0).has_value());

    // The count only sets the horizontal extent; the series follow the list. A
    // preparation without a rebuild leaves the shown series alone.
    g.setGsensorData(samplesWithAxes(std::vector<std::array<const char*, 3>>(120, {"0", "0", "1"})), 100);
    EXPECT_EQ(g.contentArray_y->size(), 120u);
    EXPECT_EQ(g.max_num, 100u);
    EXPECT_EQ(g.numberOfRecordsForPlot("Z Plot"), 3u);
    g.setGsensorData(std::nullopt, 7);
    EXPECT_TRUE(g.contentArray_x->empty());
}

// Seconds of video along the bottom (here two samples a second), a legend naming the axes.
TEST(DrawGraph, ChartFollowsTheRecording) {
    QChartView view;
    Draw_Graph g;
    g.setGsensorGraph(&view, true);
    EXPECT_TRUE(plots(view.chart()).isEmpty());
    auto* x = qobject_cast<QValueAxis*>(view.chart()->axes(Qt::Horizontal).value(0));
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->max(), 0.0);

    g.setGsensorData(samplesWithAxes(std::vector<std::array<const char*, 3>>(300, {"0.1", "-0.2", "1.0"})), 300, 150.0);
    g.setGsensorGraph(&view, false);
    EXPECT_EQ(g.graph, view.chart());
    const auto lines = plots(view.chart());
    QStringList drawn;  // Z added last: drawn on top
    for (const QLineSeries* l : lines)
        drawn << QStringLiteral("%1 %2 %3 %4")
                     .arg(l->name(), l->pen().color().name())
                     .arg(l->pen().widthF())
                     .arg(l->count());
    EXPECT_EQ(drawn, (QStringList{"X Plot #ff0000 2 300", "Y Plot #0000ff 2 300", "Z Plot #00ff00 2 300"}));
    ASSERT_EQ(lines.size(), 3);
    // Placed on the log-modulus scale after the shift: reading 0.1 -> 1.1 -> log10(2.1).
    EXPECT_NEAR(lines[0]->at(7).y(), std::log10(2.1), 1e-6);
    EXPECT_EQ(lines[0]->at(7).x(), 3.5);
    EXPECT_EQ(lines[0]->points().last().x(), 149.5);
    x = qobject_cast<QValueAxis*>(view.chart()->axes(Qt::Horizontal).value(0));
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->max(), 150.0);
    EXPECT_TRUE(x->labelsVisible() && !x->titleText().isEmpty() && view.chart()->legend()->isVisible());
    QStringList legend;
    for (QLegendMarker* m : view.chart()->legend()->markers())
        if (m->isVisible()) legend << m->label();
    EXPECT_EQ(legend, (QStringList{"X", "Y", "Z"}));
}

TEST(DrawGraph, LogModulus) {
    EXPECT_EQ((std::vector<double>{logModulus(0.0), logModulus(9.0), logModulus(-99.0)}),
              (std::vector<double>{0, 1, -2}));
    // Shifted 1.0 (reading 0) sits about 34 % up the visible range.
    EXPECT_NEAR((logModulus(1.0) - logModulus(0.5)) / (logModulus(2.5) - logModulus(0.5)), 0.34, 0.01);
}

TEST(SeriesDecimation, FewEnoughPointsForTheWidthAreAllKept) {
    std::vector<PlotPoint> few(150);  // crowded into a tenth of the width, yet all of them drawn
    for (size_t i = 0; i < few.size(); ++i) few[i] = {float(i) / 10, float(i % 7)};
    EXPECT_EQ(decimateMinMax(few, 0.0, 150.0, 100).size(), 150u);
}

// The fixed 0.5 to 2.5 (shifted) is the least the chart shows; a recording's own values
// widen it. The labels name the readings, not the shifted values the lines are drawn
// at: a reading sits level with its own label, as the labels under the video show it.
TEST(DrawGraph, VerticalRangeTakesInEveryValue) {
    struct Case {
        const char* name;
        std::vector<std::array<const char*, 3>> axes;
        double min, max;  // shifted
        QStringList labels;
    };
    for (const Case& c : std::vector<Case>{
             {"quiet drive", {{"0.1", "-0.2", "1.0"}}, 0.5, 2.5, {"-0.5", "0.0", "0.5", "1.0", "1.5"}},
             {"braking and pothole", {{"-0.9", "0", "1"}, {"0", "2.1", "1"}}, 0.0, 3.5,
              {"-1.0", "-0.5", "0.0", "0.5", "1.0", "1.5", "2.0", "2.5"}},
             {"a wild reading", {{"0", "0", "40"}}, 0.5, 41.0, {"0", "10", "20", "30", "40"}}}) {
        SCOPED_TRACE(c.name);
        QChartView view;
        Draw_Graph g;
        g.setGsensorData(samplesWithAxes(c.axes), uint32_t(c.axes.size()));
        g.setGsensorGraph(&view, false);
        auto* y = static_cast<QCategoryAxis*>(view.chart()->axes(Qt::Vertical).value(0));
        ASSERT_NE(y, nullptr);
        EXPECT_NEAR(y->min(), logModulus(c.min), 1e-9);
        EXPECT_NEAR(y->max(), logModulus(c.max), 1e-9);
        for (QLineSeries* line : plots(view.chart()))
            for (const QPointF& p : line->points()) EXPECT_TRUE(p.y() >= y->min() && p.y() <= y->max()) << p.y();
        EXPECT_EQ(y->categoriesLabels(), c.labels);
        EXPECT_EQ(y->titleText(), "Acceleration (g)");
        // Each reading of the first sample is drawn level with the label of its value.
        for (QLineSeries* line : plots(view.chart())) {
            const double reading = std::stod(c.axes[0][size_t(plots(view.chart()).indexOf(line))]);
            const QString label = QString::number(reading, 'f', c.labels.first().contains('.') ? 1 : 0);
            if (!c.labels.contains(label)) continue;
            EXPECT_NEAR(line->at(0).y(), y->endValue(label), 1e-6) << label.toStdString();
        }
    }
}

// A ten-hour recording reaches the chart as about two points per pixel column, in order, with
// its one-sample peaks either way, and again so after the chart is resized.
TEST(DrawGraph, LongRecordingIsThinnedToTheWidth) {
    QChartView view;
    view.resize(800, 300);
    Draw_Graph g;
    std::vector<std::array<const char*, 3>> axes(36000, {"0.1", "0", "1"});
    axes[17777] = {"2.4", "0", "1"};  // a pothole
    axes[30001] = {"-2.0", "0", "1"};  // a hard braking
    g.setGsensorData(samplesWithAxes(axes), 36000);
    g.setGsensorGraph(&view, false);
    auto widthNow = [&] { return view.chart()->plotArea().width(); };
    for (int width : {800, 1600}) {
        SCOPED_TRACE(width);
        view.resize(width, 300);
        QCoreApplication::processEvents();
        const QLineSeries* xLine = plots(view.chart()).value(0);
        ASSERT_NE(xLine, nullptr);
        EXPECT_TRUE(xLine->count() >= widthNow() && xLine->count() <= 2 * widthNow() + 2) << xLine->count();
        const auto pts = xLine->points();
        for (double peak : {17777.0, 30001.0})
            EXPECT_TRUE(std::any_of(pts.begin(), pts.end(), [&](const QPointF& p) { return p.x() == peak; })) << peak;
        EXPECT_TRUE(std::is_sorted(pts.begin(), pts.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); }));
    }
}
