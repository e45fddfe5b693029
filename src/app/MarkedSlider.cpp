#include "MarkedSlider.h"

#include <QCoreApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

MarkedSlider::MarkedSlider(Qt::Orientation orientation, QWidget* parent) : QSlider(orientation, parent) {
    setAccessibleName(QCoreApplication::translate("MarkedSlider", "Position"));
}

void MarkedSlider::setMarks(std::optional<int> in, std::optional<int> out, std::optional<std::pair<int, int>> span) {
    if (in == in_ && out == out_ && span == span_) return;
    in_ = in, out_ = out, span_ = span;
    update();
}

void MarkedSlider::paintEvent(QPaintEvent* event) {
    QSlider::paintEvent(event);
    if (!in_ && !out_ && !span_) return;
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    // Where the handle's centre stands at a value.
    auto xOf = [&](int value) {
        return groove.left() + handle.width() / 2 +
               QStyle::sliderPositionFromValue(minimum(), maximum(), qBound(minimum(), value, maximum()),
                                               groove.width() - handle.width());
    };
    QPainter p(this);
    const QColor mark(200, 110, 0);
    if (span_) p.fillRect(QRect(QPoint(xOf(span_->first), groove.top()), QPoint(xOf(span_->second), groove.bottom())),
                          QColor(255, 160, 0, 110));
    p.setPen(QPen(mark, 2));
    for (const std::optional<int>& at : {in_, out_})
        if (at) p.drawLine(xOf(*at), rect().top() + 1, xOf(*at), rect().bottom() - 1);
}
