#include "ChartInteraction.h"

#include <QChart>
#include <QChartView>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QMouseEvent>
#include <QPen>
#include <QLabel>
#include <algorithm>
#include <cmath>

double chartXForSeconds(double seconds, double length, double left, double width) {
    if (length <= 0) return left;
    return left + std::clamp(seconds, 0.0, length) / length * width;
}

double secondsForChartX(double x, double length, double left, double width) {
    if (length <= 0 || width <= 0) return 0.0;
    return std::clamp((x - left) / width * length, 0.0, length);
}

size_t nearestSample(double seconds, double secondsPerSample, size_t count) {
    if (count == 0 || secondsPerSample <= 0) return 0;
    const double index = std::round(std::max(seconds, 0.0) / secondsPerSample);
    return size_t(std::min(index, double(count - 1)));
}

QString chartHoverText(double seconds, const PlotSeries& x, const PlotSeries& y, const PlotSeries& z,
                       double secondsPerSample) {
    QString text = QStringLiteral("%1 s").arg(seconds, 0, 'f', 1);
    const char* names[] = {"X", "Y", "Z"};
    const PlotSeries* series[] = {&x, &y, &z};
    for (size_t i = 0; i < 3; ++i) {
        const PlotSeries& s = *series[i];
        if (!s || s->empty()) continue;
        const float v = (*s)[nearestSample(seconds, secondsPerSample, s->size())].y;
        text += QStringLiteral("\n%1 : %2").arg(QLatin1String(names[i])).arg(double(v), 0, 'f', 2);
    }
    return text;
}

ChartInteraction::ChartInteraction(QChartView* view, Draw_Graph* graph, QObject* parent)
    : QObject(parent), view_(view), graph_(graph) {
    // The drawing area takes the focus itself.
    for (QWidget* w : {static_cast<QWidget*>(view), view->viewport()}) w->setAccessibleName(tr("Chart"));
    QGraphicsScene* scene = view->scene();
    spanBand_ = scene->addRect(QRectF(), Qt::NoPen, QColor(255, 160, 0, 60));
    const QPen markPen(QColor(200, 110, 0), 1.5);
    inLine_ = scene->addLine(QLineF(), markPen);
    outLine_ = scene->addLine(QLineF(), markPen);
    cursorLine_ = scene->addLine(QLineF(), QPen(view->palette().color(QPalette::Text), 1.5));
    // Over the chart, which every build adds to the scene anew.
    spanBand_->setZValue(10), inLine_->setZValue(11), outLine_->setZValue(11), cursorLine_->setZValue(12);
    for (QGraphicsItem* item : std::initializer_list<QGraphicsItem*>{spanBand_, inLine_, outLine_, cursorLine_}) {
        item->setAcceptedMouseButtons(Qt::NoButton);
        item->setVisible(false);
    }
    graph_->chartBuilt = [this](bool sameSeries) { chartBuilt(sameSeries); };
    // A child of the viewport in the tool tip's colours: shown and hidden by the
    // pointer alone, never by a timer.
    readout_ = new QLabel(view_->viewport());
    readout_->setObjectName(QStringLiteral("chartReadout"));
    readout_->setForegroundRole(QPalette::ToolTipText);
    readout_->setBackgroundRole(QPalette::ToolTipBase);
    readout_->setAutoFillBackground(true);
    readout_->setFrameShape(QFrame::Box);
    readout_->setMargin(3);
    readout_->setAttribute(Qt::WA_TransparentForMouseEvents);
    readout_->hide();
    view_->viewport()->installEventFilter(this);
    view_->viewport()->setMouseTracking(true);
    if (graph_->graph) chartBuilt(false);
}

ChartInteraction::~ChartInteraction() {
    graph_->chartBuilt = nullptr;
    view_->viewport()->removeEventFilter(this);
}

void ChartInteraction::chartBuilt(bool sameSeries) {
    if (!sameSeries) cursor_.reset();
    // Every build takes the palette anew, so the cursor follows a theme change too.
    cursorLine_->setPen(QPen(view_->palette().color(QPalette::Text), 1.5));
    if (QChart* chart = view_->chart())
        connect(chart, &QChart::plotAreaChanged, this, &ChartInteraction::place, Qt::UniqueConnection);
    place();
}

void ChartInteraction::setCursorSeconds(std::optional<double> seconds) {
    cursor_ = seconds;
    placeCursor();
}

void ChartInteraction::setMarks(std::optional<double> in, std::optional<double> out,
                                std::optional<std::pair<double, double>> span) {
    in_ = in, out_ = out, span_ = span;
    place();
}

void ChartInteraction::placeCursor() {
    const QChart* chart = view_->chart();
    const double length = graph_->shownSeconds;
    if (!cursor_ || !chart || length <= 0) return cursorLine_->setVisible(false);
    const QRectF area = chart->mapRectToScene(chart->plotArea());
    const double x = chartXForSeconds(*cursor_, length, area.left(), area.width());
    const QLineF line(x, area.top(), x, area.bottom());
    // Only a move costs a repaint, and only of the strips the line leaves and enters.
    if (line != cursorLine_->line()) cursorLine_->setLine(line);
    cursorLine_->setVisible(true);
}

void ChartInteraction::place() {
    placeCursor();
    const QChart* chart = view_->chart();
    const double length = graph_->shownSeconds;
    const bool shown = chart && length > 0;
    const QRectF area = shown ? chart->mapRectToScene(chart->plotArea()) : QRectF();
    auto xOf = [&](double s) { return chartXForSeconds(s, length, area.left(), area.width()); };
    auto placeLine = [&](QGraphicsLineItem* item, const std::optional<double>& s) {
        item->setVisible(shown && s);
        if (shown && s) item->setLine(xOf(*s), area.top(), xOf(*s), area.bottom());
    };
    placeLine(inLine_, in_);
    placeLine(outLine_, out_);
    spanBand_->setVisible(shown && span_);
    if (shown && span_) spanBand_->setRect(QRectF(QPointF(xOf(span_->first), area.top()), QPointF(xOf(span_->second), area.bottom())));
}

std::optional<double> ChartInteraction::secondsAt(QPoint viewportPos) const {
    const QChart* chart = view_->chart();
    if (!chart || graph_->shownSeconds <= 0) return std::nullopt;
    const QRectF area = chart->mapRectToScene(chart->plotArea());
    const QPointF scenePos = view_->mapToScene(viewportPos);
    if (scenePos.y() < area.top() || scenePos.y() > area.bottom()) return std::nullopt;
    return secondsForChartX(scenePos.x(), graph_->shownSeconds, area.left(), area.width());
}

std::optional<QPoint> ChartInteraction::viewportPointFor(double seconds) const {
    const QChart* chart = view_->chart();
    if (!chart || graph_->shownSeconds <= 0) return std::nullopt;
    const QRectF area = chart->mapRectToScene(chart->plotArea());
    return view_->mapFromScene(QPointF(chartXForSeconds(seconds, graph_->shownSeconds, area.left(), area.width()),
                                       area.center().y()));
}

bool ChartInteraction::eventFilter(QObject* watched, QEvent* event) {
    if (watched != view_->viewport()) return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->position().toPoint();
        const bool press = event->type() == QEvent::MouseButtonPress;
        if (press && mouse->button() == Qt::LeftButton) dragging_ = bool(secondsAt(pos));
        if ((press || mouse->buttons() & Qt::LeftButton) && dragging_) {
            // A drag may leave the plot: it keeps to the plot's horizontal extent.
            const QChart* chart = view_->chart();
            const QRectF area = chart->mapRectToScene(chart->plotArea());
            const double s = secondsForChartX(view_->mapToScene(pos).x(), graph_->shownSeconds, area.left(), area.width());
            // A cursor that shows playback follows at once, before the player answers.
            if (cursor_) setCursorSeconds(s);
            emit seekRequested(s);
            return true;
        }
        if (const auto s = secondsAt(pos); s && !press) {
            QString text = chartHoverText(*s, graph_->dataForPlot_x, graph_->dataForPlot_y, graph_->dataForPlot_z,
                                          graph_->shownSecondsPerSample);
            // An event's own words when the pointer is on its mark.
            for (const EventMark& mark : graph_->eventMarks())
                if (const auto at = viewportPointFor(mark.seconds); at && std::abs(at->x() - pos.x()) <= 3)
                    text += QLatin1Char('\n') + mark.toolTip;
            showReadout(pos, text);
        } else if (!press)
            readout_->hide();
        return false;
    }
    case QEvent::MouseButtonRelease:
        if (std::exchange(dragging_, false)) return true;
        return false;
    case QEvent::Leave:
        readout_->hide();
        return false;
    default:
        return false;
    }
}

QString ChartInteraction::readout() const { return readout_->isHidden() ? QString() : readout_->text(); }

void ChartInteraction::showReadout(QPoint viewportPos, const QString& text) {
    readout_->setText(text);
    readout_->adjustSize();
    // Below and right of the pointer, turned to the other side near an edge.
    const QSize room = view_->viewport()->size(), size = readout_->size();
    QPoint at = viewportPos + QPoint(14, 14);
    if (at.x() + size.width() > room.width()) at.setX(viewportPos.x() - 8 - size.width());
    if (at.y() + size.height() > room.height()) at.setY(viewportPos.y() - 8 - size.height());
    readout_->move(std::max(0, at.x()), std::max(0, at.y()));
    readout_->show();
    readout_->raise();
}
