#include "Draw_Graph.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>
#include <cmath>

#include "TextValues.h"

double logModulus(double v) { return std::copysign(std::log10(1.0 + std::fabs(v)), v); }

void Draw_Graph::setGsensorData(const telemetry::List<telemetry::Class_Subtitle_Info>& samples, uint32_t count) {
    const int32_t n = samples ? int32_t(samples->size()) : 0;
    auto xs = std::make_shared<std::vector<PlotPoint>>();
    auto ys = std::make_shared<std::vector<PlotPoint>>();
    auto zs = std::make_shared<std::vector<PlotPoint>>();
    xs->reserve(size_t(n)), ys->reserve(size_t(n)), zs->reserve(size_t(n));
    for (int32_t i = 0; i < n; ++i) {
        const auto& s = (*samples)[size_t(i)];
        const float x = float(i);
        xs->push_back({x, float(telemetry::floatingValue(s.gx))});
        ys->push_back({x, float(telemetry::floatingValue(s.gy))});
        zs->push_back({x, float(telemetry::floatingValue(s.gz))});
    }
    // New lists, so a chart still showing the previous ones keeps them.
    contentArray_x = std::move(xs);
    contentArray_y = std::move(ys);
    contentArray_z = std::move(zs);
    max_num = count;
}

const PlotSeries* Draw_Graph::seriesFor(const QString& id) const {
    if (id == QLatin1String("X Plot")) return &dataForPlot_x;
    if (id == QLatin1String("Y Plot")) return &dataForPlot_y;
    if (id == QLatin1String("Z Plot")) return &dataForPlot_z;
    return nullptr;
}

uint64_t Draw_Graph::numberOfRecordsForPlot(const QString& id) const {
    const PlotSeries* series = seriesFor(id);
    if (!series) series = &dataForPlot_x;
    return *series ? (*series)->size() : 0;
}

std::optional<double> Draw_Graph::numberForPlot(const QString& id, uint64_t field, uint64_t index) const {
    const PlotSeries* series = seriesFor(id);
    if (!series || !*series || index >= (*series)->size()) return std::nullopt;
    const PlotPoint& p = (**series)[size_t(index)];
    if (field == 0) return double(p.x);
    if (field == 1) return double(p.y) + kShift;
    return double(p.y);
}

namespace {

QColor withAlpha(Qt::GlobalColor c, double alpha) {
    QColor color(c);
    color.setAlphaF(float(alpha));
    return color;
}

// A horizontal band across the plot, between two shifted values.
QAreaSeries* band(double xMax, double from, double to, const QColor& fill) {
    auto* lower = new QLineSeries;
    auto* upper = new QLineSeries;
    lower->append(0.0, logModulus(from)), lower->append(xMax, logModulus(from));
    upper->append(0.0, logModulus(to)), upper->append(xMax, logModulus(to));
    auto* area = new QAreaSeries(upper, lower);
    area->setPen(Qt::NoPen);
    area->setBrush(fill);
    return area;
}

QLineSeries* horizontalLine(double xMax, double value, const QPen& pen) {
    auto* line = new QLineSeries;
    line->append(0.0, logModulus(value)), line->append(xMax, logModulus(value));
    line->setPen(pen);
    return line;
}

}  // namespace

void Draw_Graph::setGsensorGraph(QChartView* hostView, bool noPlots) {
    auto* chart = new QChart;
    chart->setBackgroundBrush(Qt::transparent);
    chart->setBackgroundRoundness(5.0);
    chart->setMargins(QMargins(20, 10, 20, 10));
    chart->legend()->hide();
    chart->setPlotAreaBackgroundBrush(Qt::white);
    chart->setPlotAreaBackgroundVisible(true);

    const double xMax = double(max_num.value_or(0));
    const QPen gridPen(Qt::darkGray, 0.25);
    const QPen axisPen(Qt::black, 0.25, Qt::SolidLine, Qt::RoundCap);

    auto* xAxis = new QValueAxis;
    xAxis->setRange(0.0, xMax);
    xAxis->setMinorTickCount(4);
    xAxis->setTickType(QValueAxis::TicksDynamic);
    xAxis->setTickAnchor(0.0);
    xAxis->setTickInterval(xMax > 0 ? std::max(1.0, std::pow(10.0, std::floor(std::log10(xMax))) / 2.0) : 1.0);
    xAxis->setLinePen(axisPen);
    xAxis->setGridLinePen(gridPen);
    xAxis->setMinorGridLinePen(gridPen);
    // The horizontal axis crosses at a value far above the visible range, so its line
    // and labels lie outside the chart; only its grid shows.
    xAxis->setLineVisible(false);
    xAxis->setLabelsVisible(false);
    chart->addAxis(xAxis, Qt::AlignTop);

    // Log-modulus scale: values are placed at logModulus(v) on a linear axis whose
    // labels name the shifted values.
    auto* yAxis = new QCategoryAxis;
    yAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    yAxis->setStartValue(logModulus(kVisibleMin));
    for (double v = kVisibleMin; v <= kVisibleMax + 1e-9; v += 0.5)
        yAxis->append(QString::number(v, 'f', 1), logModulus(v));
    yAxis->setRange(logModulus(kVisibleMin), logModulus(kVisibleMax));
    yAxis->setLinePen(axisPen);
    yAxis->setGridLinePen(gridPen);
    chart->addAxis(yAxis, Qt::AlignLeft);

    auto attach = [&](QAbstractSeries* s) {
        chart->addSeries(s);
        s->attachAxis(xAxis);
        s->attachAxis(yAxis);
    };
    if (xMax > 0) {
        // Bands: the horizontal axis tints every band alike, the vertical one every
        // other band; the two background limit bands lighten 1.5 to 4.5 and 7.0 to 8.5.
        attach(band(xMax, kVisibleMin, kVisibleMax, withAlpha(Qt::darkGray, 0.1)));
        for (double v = kVisibleMin; v < kVisibleMax; v += 1.0) attach(band(xMax, v, v + 0.5, withAlpha(Qt::darkGray, 0.1)));
        attach(band(xMax, 7.0, 8.5, withAlpha(Qt::white, 0.5)));
        attach(band(xMax, 1.5, 4.5, withAlpha(Qt::white, 0.5)));
        for (int i = 1; i < 40; ++i)
            if (i % 10) attach(horizontalLine(xMax, kVisibleMin + i * 0.05, gridPen));  // minor ticks: 9 per interval
    }

    if (!noPlots) {
        struct Row { const char* id; Qt::GlobalColor colour; PlotSeries* shown; const PlotSeries* prepared; };
        for (const Row& row : {Row{"X Plot", Qt::red, &dataForPlot_x, &contentArray_x},
                               Row{"Y Plot", Qt::blue, &dataForPlot_y, &contentArray_y},
                               Row{"Z Plot", Qt::green, &dataForPlot_z, &contentArray_z}}) {
            *row.shown = *row.prepared;
            auto* plot = new QLineSeries;
            plot->setName(QString::fromLatin1(row.id));
            plot->setPen(QPen(row.colour, 2.0));
            const QString id = plot->name();
            const uint64_t count = numberOfRecordsForPlot(id);
            QList<QPointF> points;
            points.reserve(qsizetype(count));
            for (uint64_t i = 0; i < count; ++i)
                points.append({numberForPlot(id, 0, i).value_or(0.0), logModulus(numberForPlot(id, 1, i).value_or(0.0))});
            plot->replace(points);
            attach(plot);
        }
    }

    graph = chart;
    if (hostView) {
        QChart* previous = hostView->chart();
        hostView->setChart(chart);
        delete previous;  // the view lets go of it without deleting it
    } else {
        delete chart;  // nowhere to show it
        graph = nullptr;
    }
}
