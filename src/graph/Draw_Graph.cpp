#include "Draw_Graph.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>
#include <array>
#include <cmath>


#include "TextValues.h"

double logModulus(double v) { return std::copysign(std::log10(1.0 + std::fabs(v)), v); }

namespace {
// The smallest of 1, 2 and 5 times a power of ten that is at least span / intervals
// and at least the smallest step wanted.
double niceStep(double span, double intervals, double smallest) {
    const double target = std::max(span / intervals, smallest);
    const double magnitude = std::pow(10.0, std::floor(std::log10(target)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * magnitude >= target * (1 - 1e-9)) return m * magnitude;
    return 10 * magnitude;
}
}  // namespace

GRange gRange(const std::vector<const std::vector<PlotPoint>*>& series) {
    double lo = Draw_Graph::kVisibleMin - Draw_Graph::kShift, hi = Draw_Graph::kVisibleMax - Draw_Graph::kShift;
    for (const auto* points : series)
        if (points)
            for (const PlotPoint& p : *points)
                if (std::isfinite(p.y)) lo = std::min(lo, double(p.y)), hi = std::max(hi, double(p.y));
    return {std::floor(lo * 2 + 1e-9) / 2, std::ceil(hi * 2 - 1e-9) / 2, niceStep(hi - lo, 8.0, 0.5)};
}

namespace {
// The multiples of the step within the range: where the labels go.
std::pair<int64_t, int64_t> labelSteps(const GRange& r) {
    return {int64_t(std::ceil(r.min / r.step - 1e-9)), int64_t(std::floor(r.max / r.step + 1e-9))};
}
}  // namespace

void Draw_Graph::setGsensorData(const telemetry::List<telemetry::Class_Subtitle_Info>& samples, uint32_t count,
                                double videoSeconds) {
    const int32_t n = samples ? int32_t(samples->size()) : 0;
    auto xs = std::make_shared<std::vector<PlotPoint>>();
    auto ys = std::make_shared<std::vector<PlotPoint>>();
    auto zs = std::make_shared<std::vector<PlotPoint>>();
    auto speeds = std::make_shared<std::vector<PlotPoint>>();
    xs->reserve(size_t(n)), ys->reserve(size_t(n)), zs->reserve(size_t(n)), speeds->reserve(size_t(n));
    for (int32_t i = 0; i < n; ++i) {
        const auto& s = (*samples)[size_t(i)];
        const float x = float(i);
        xs->push_back({x, float(telemetry::floatingValue(s.gx))});
        ys->push_back({x, float(telemetry::floatingValue(s.gy))});
        zs->push_back({x, float(telemetry::floatingValue(s.gz))});
        speeds->push_back({x, float(telemetry::floatingValue(s.speed))});
    }
    // New lists, so a chart still showing the previous ones keeps them.
    contentArray_x = std::move(xs);
    contentArray_y = std::move(ys);
    contentArray_z = std::move(zs);
    contentArray_speed = std::move(speeds);
    max_num = count;
    secondsPerSample = videoSeconds > 0 && count > 0 ? videoSeconds / count : 1.0;
    hasG_ = true;
}

void Draw_Graph::setGsensorData(const std::vector<telemetry::Sample>& samples, double videoSeconds) {
    std::array<std::shared_ptr<std::vector<PlotPoint>>, 3> g;
    for (auto& axis : g) axis = std::make_shared<std::vector<PlotPoint>>();
    auto speeds = std::make_shared<std::vector<PlotPoint>>();
    bool anyG = false;
    for (size_t i = 0; i < samples.size(); ++i) {
        const float x = float(i);
        for (size_t a = 0; a < 3; ++a)
            if (samples[i].g[a]) g[a]->push_back({x, float(*samples[i].g[a])}), anyG = true;
        if (samples[i].speedKmh) speeds->push_back({x, float(*samples[i].speedKmh)});
    }
    contentArray_x = std::move(g[0]);
    contentArray_y = std::move(g[1]);
    contentArray_z = std::move(g[2]);
    contentArray_speed = std::move(speeds);
    const uint32_t count = uint32_t(std::min<size_t>(samples.size(), UINT32_MAX));
    max_num = count;
    secondsPerSample = videoSeconds > 0 && count > 0 ? videoSeconds / count : 1.0;
    hasG_ = anyG;
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

QColor withAlpha(const QColor& c, double alpha) {
    QColor color(c);
    color.setAlphaF(float(alpha));
    return color;
}

// The plot area's bands and minor grid, painted once per size instead of being
// dozens of series: the whole range tinted, every other label interval tinted
// again, two lightened limit bands (1.5 to 4.5 and 7.0 to 8.5 shifted), and nine
// minor lines per interval.
QImage plotBackground(QSize size, const GRange& r, double shift, const QPen& gridPen, const QColor& base,
                      const QColor& text) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(base);
    QPainter p(&image);
    const double top = logModulus(r.max + shift), height = top - logModulus(r.min + shift);
    auto yOf = [&](double g) { return (top - logModulus(std::clamp(g, r.min, r.max) + shift)) / height * size.height(); };
    auto band = [&](double from, double to, const QColor& fill) {
        p.fillRect(QRectF(0.0, yOf(to), size.width(), yOf(from) - yOf(to)), fill);
    };
    const QColor tint = withAlpha(text, 0.1), light = withAlpha(base, 0.5);
    band(r.min, r.max, tint);
    const auto [first, last] = labelSteps(r);
    for (int64_t k = first - 1; k <= last; ++k)
        if (k % 2 == 0) band(std::max(r.min, double(k) * r.step), std::min(r.max, double(k + 1) * r.step), tint);
    band(7.0 - shift, 8.5 - shift, light);
    band(1.5 - shift, 4.5 - shift, light);
    p.setPen(gridPen);
    const double minor = r.step / 10;
    for (int64_t i = int64_t(std::floor(r.min / minor)) + 1; double(i) * minor < r.max - 1e-9; ++i)
        if (i % 10) p.drawLine(QPointF(0.0, yOf(double(i) * minor)), QPointF(size.width(), yOf(double(i) * minor)));
    return image;
}

}  // namespace

// What the chart needs to fit itself to its plot area again.
struct ChartFitting {
    struct Line {
        PlotSeries series;  // the shown series, whole
        QLineSeries* line = nullptr;
        bool logScale = true;  // shifted and placed on the log-modulus scale, or scaled
        double scale = 1.0;
    };
    std::vector<Line> lines;
    double secondsPerSample = 1.0, shift = 0.0;
    double lastSample = 0;  // the horizontal extent, in sample positions
    GRange range{};
    QPen gridPen;
    QColor base, text;  // the palette's, for a dark theme as for a light one
    int columns = -1;
    QSize backgroundSize;
};

namespace {

constexpr double kTimeLabelPixels = 45;  // room for "1200" and a gap

void fit(QChart* chart, ChartFitting& f, const QRectF& plotArea) {
    const int columns = std::max(1, int(plotArea.width()));
    if (columns != f.columns) {
        f.columns = columns;
        for (const ChartFitting::Line& l : f.lines) {
            if (!l.line || !l.series) continue;
            // Thinned first: the scale's logarithm keeps the order of values, so the
            // lowest and highest stay the lowest and highest.
            const std::vector<PlotPoint> kept = decimateMinMax(*l.series, 0.0, f.lastSample, columns);
            QList<QPointF> points;
            points.reserve(qsizetype(kept.size()));
            for (const PlotPoint& p : kept)
                points.append({p.x * f.secondsPerSample, l.logScale ? logModulus(double(p.y) + f.shift) : double(p.y) * l.scale});
            l.line->replace(points);
        }
    }
    // As many time labels as the width holds: Qt would cut the rest to "...".
    const double seconds = f.lastSample * f.secondsPerSample;
    if (auto* time = chart ? qobject_cast<QValueAxis*>(chart->axes(Qt::Horizontal).value(0)) : nullptr; time && seconds > 0)
        time->setTickInterval(niceStep(seconds, std::clamp(plotArea.width() / kTimeLabelPixels, 1.0, 10.0), 1.0));
    const QSize size = plotArea.size().toSize();
    if (chart && size != f.backgroundSize && !size.isEmpty()) {
        f.backgroundSize = size;
        QBrush brush(plotBackground(size, f.range, f.shift, f.gridPen, f.base, f.text));
        brush.setTransform(QTransform::fromTranslate(plotArea.left(), plotArea.top()));
        chart->setPlotAreaBackgroundBrush(brush);
    }
}

}  // namespace

void Draw_Graph::setGsensorGraph(QChartView* hostView, bool noPlots) {
    auto* chart = new QChart;
    chart->setBackgroundBrush(Qt::transparent);
    chart->setBackgroundRoundness(5.0);
    chart->setMargins(QMargins(20, 10, 20, 10));
    const QPalette palette = hostView ? hostView->palette() : QGuiApplication::palette();
    const QColor base = palette.color(QPalette::Base), text = palette.color(QPalette::Text);
    chart->setPlotAreaBackgroundBrush(base);
    chart->setPlotAreaBackgroundVisible(true);
    chart->legend()->setLabelColor(text);

    const bool sameSeries = !noPlots && !lastNoPlots_ && dataForPlot_x == contentArray_x;
    if (!noPlots) {
        dataForPlot_x = contentArray_x;
        dataForPlot_y = contentArray_y;
        dataForPlot_z = contentArray_z;
        dataForPlot_speed = contentArray_speed;
    }
    lastNoPlots_ = noPlots;
    auto fitting = std::make_shared<ChartFitting>();
    fitting->lastSample = double(max_num.value_or(0));
    fitting->range = noPlots ? gRange({}) : gRange({dataForPlot_x.get(), dataForPlot_y.get(), dataForPlot_z.get()});
    fitting->base = base, fitting->text = text;
    // Half way between the text and the page: grey on white, and on a dark theme too.
    fitting->gridPen = QPen(QColor((text.red() + base.red()) / 2, (text.green() + base.green()) / 2,
                                   (text.blue() + base.blue()) / 2),
                            0.25);
    fitting->secondsPerSample = secondsPerSample;
    fitting->shift = kShift;
    const GRange& range = fitting->range;
    const double xMax = double(max_num.value_or(0)) * secondsPerSample;
    const QPen axisPen(text, 0.25, Qt::SolidLine, Qt::RoundCap);
    auto inPalette = [&](QAbstractAxis* axis) {
        axis->setLabelsBrush(text);
        axis->setTitleBrush(text);
    };

    auto* xAxis = new QValueAxis;
    xAxis->setRange(0.0, xMax);
    xAxis->setMinorTickCount(4);
    xAxis->setTickType(QValueAxis::TicksDynamic);
    xAxis->setTickAnchor(0.0);
    xAxis->setTickInterval(xMax > 0 ? niceStep(xMax, 10.0, 1.0) : 1.0);
    xAxis->setLabelFormat(QStringLiteral("%.0f"));
    xAxis->setTitleText(QCoreApplication::translate("Draw_Graph", "Video time (s)"));
    xAxis->setLinePen(axisPen);
    xAxis->setGridLinePen(fitting->gridPen);
    xAxis->setMinorGridLinePen(fitting->gridPen);
    inPalette(xAxis);
    chart->addAxis(xAxis, Qt::AlignBottom);

    // Log-modulus scale: shifted values are placed at logModulus(v) on a linear axis;
    // its labels name the readings, as the labels under the video do.
    auto* yAxis = new QCategoryAxis;
    yAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    yAxis->setStartValue(logModulus(range.min + kShift));
    const auto [firstLabel, lastLabel] = labelSteps(range);
    for (int64_t k = firstLabel; k <= lastLabel; ++k) {
        const double g = double(k) * range.step;
        yAxis->append(QString::number(g, 'f', range.step < 1.0 ? 1 : 0), logModulus(g + kShift));
    }
    yAxis->setRange(logModulus(range.min + kShift), logModulus(range.max + kShift));
    yAxis->setTitleText(QCoreApplication::translate("Draw_Graph", "Acceleration (g)"));
    yAxis->setLinePen(axisPen);
    yAxis->setGridLinePen(fitting->gridPen);
    inPalette(yAxis);
    chart->addAxis(yAxis, Qt::AlignLeft);

    if (!noPlots) {
        struct Row { const char* id; const char* legend; Qt::GlobalColor colour; PlotSeries shown; };
        const Row rows[] = {{"X Plot", "X", Qt::red, dataForPlot_x},
                            {"Y Plot", "Y", Qt::blue, dataForPlot_y},
                            {"Z Plot", "Z", Qt::green, dataForPlot_z}};
        for (size_t r = 0; r < 3; ++r) {
            auto* plot = new QLineSeries;
            plot->setName(QString::fromLatin1(rows[r].id));
            plot->setPen(QPen(rows[r].colour, 2.0));
            fitting->lines.push_back({rows[r].shown, plot});
            if (rows[r].shown && !rows[r].shown->empty())
                fitting->lastSample = std::max(fitting->lastSample, double(rows[r].shown->back().x));
            chart->addSeries(plot);
            plot->attachAxis(xAxis);
            plot->attachAxis(yAxis);
            chart->legend()->markers(plot).value(0)->setLabel(QString::fromLatin1(rows[r].legend));
        }
        const QPen markPen(QColor(255, 140, 0), 2.0, Qt::DashLine);
        for (const EventMark& mark : eventMarks_) {
            auto* tick = new QLineSeries;
            tick->setName(QStringLiteral("Event mark"));
            tick->setProperty("toolTip", mark.toolTip);
            tick->setPen(markPen);
            tick->append(mark.seconds, logModulus(range.min + kShift));
            tick->append(mark.seconds, logModulus(range.max + kShift));
            chart->addSeries(tick);
            tick->attachAxis(xAxis);
            tick->attachAxis(yAxis);
            chart->legend()->markers(tick).value(0)->setVisible(false);
        }
        if (speedTrace_.on || !hasG_) addSpeedLine(chart, xAxis, *fitting);
        chart->legend()->setAlignment(Qt::AlignTop);
    } else {
        chart->legend()->hide();
    }

    // The chart fits its lines and background to its plot area whenever that is laid
    // out (as soon as a view takes it) or resized; a chart without a view gets
    // lines for a plot 1000 pixels wide.
    QObject::connect(chart, &QChart::plotAreaChanged, chart,
                     [chart, fitting](const QRectF& area) { fit(chart, *fitting, area); });
    if (!hostView) fit(nullptr, *fitting, QRectF(0, 0, 1000, 200));

    shownSeconds = noPlots ? 0.0 : xMax;
    shownSecondsPerSample = secondsPerSample;
    graph = chart;
    if (hostView) {
        QChart* previous = hostView->chart();
        hostView->setChart(chart);
        delete previous;  // the view lets go of it without deleting it
    } else {
        delete chart;  // nowhere to show it
        graph = nullptr;
    }
    if (chartBuilt) chartBuilt(sameSeries);
}

void Draw_Graph::addSpeedLine(QChart* chart, QAbstractAxis* xAxis, ChartFitting& fitting) const {
    double top = 0;
    if (dataForPlot_speed)
        for (const PlotPoint& p : *dataForPlot_speed) top = std::max(top, double(p.y) * speedTrace_.perKmh);
    auto* axis = new QValueAxis;
    axis->setRange(0.0, std::max(10.0, top * 1.05));
    axis->applyNiceNumbers();
    axis->setLabelFormat(QStringLiteral("%.0f"));
    axis->setTitleText(QCoreApplication::translate("Draw_Graph", "Speed (%1)").arg(speedTrace_.unit));
    axis->setLabelsBrush(fitting.text);
    axis->setTitleBrush(fitting.text);
    axis->setGridLineVisible(false);
    axis->setMinorGridLineVisible(false);
    chart->addAxis(axis, Qt::AlignRight);
    auto* line = new QLineSeries;
    line->setName(QStringLiteral("Speed"));
    line->setPen(QPen(QColor(120, 60, 160), 1.5));
    chart->addSeries(line);
    line->attachAxis(xAxis);
    line->attachAxis(axis);
    chart->legend()->markers(line).value(0)->setLabel(QCoreApplication::translate("Draw_Graph", "Speed (%1)").arg(speedTrace_.unit));
    fitting.lines.push_back({dataForPlot_speed, line, false, speedTrace_.perKmh});
}
